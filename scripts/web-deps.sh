#!/usr/bin/env bash
# Builds zlib, libpng and libjpeg-turbo with Debian's Emscripten as static
# WebAssembly libraries into PREFIX (include/, lib/, licenses/), from the
# Debian sources that scripts/deps-sources.sh fetches, checks and unpacks
# (into ZARVY_DEPS_SOURCES, by default build-deps/ at the top of the tree).
# GLUT, GL and GLEW come with Emscripten itself.
#
#   scripts/web-deps.sh build-web/deps
#
# What is built stays beside PREFIX (deps-build/, web-deps.log).
set -Eeuo pipefail
shopt -s inherit_errexit

if [ $# -ne 1 ]; then
    echo "usage: $0 PREFIX_DIR" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")/.." && pwd)
sources=${ZARVY_DEPS_SOURCES:-$here/build-deps}
. "$here/scripts/web-env.sh"
. "$here/scripts/deps-lib.sh"

mkdir -p "$(dirname "$1")"
top=$(cd "$(dirname "$1")" && pwd)
prefix=$top/$(basename "$1")

# The stamp names the package versions, Emscripten's version and this
# script: a change to any of them means the libraries are stale.
stamp() {
    "$here/scripts/deps-sources.sh" --stamp
    echo "emscripten=$(dpkg-query -W -f='${Version}' emscripten 2>/dev/null || echo none)"
    echo "recipe=$(sha256sum "$0" "$here/scripts/web-env.sh" "$here/scripts/deps-lib.sh" | cut -d' ' -f1 | tr '\n' ' ' | sed 's/ $//')"
}
wanted=$(stamp)

if deps_up_to_date "$prefix" "$wanted"; then
    echo "Browser libraries in $prefix are up to date."
    exit 0
fi
deps_refuse_foreign "$prefix"
deps_need_tools cmake make emcc emar emcmake sha256sum
deps_log_to web-deps "$top/web-deps.log"

step=sources
"$here/scripts/deps-sources.sh" "$sources"
sources=$(cd "$sources" && pwd)
blddir=$top/deps-build
rm -rf "$prefix" "$blddir"
mkdir -p "$blddir" "$prefix/include" "$prefix/lib" "$prefix/licenses"
echo "incomplete" >"$prefix/versions.txt"

cmake_build() {
    local src=$1 bld=$2
    shift 2
    local flags
    flags=$(flags_for "$src" "$bld")
    run emcmake cmake -S "$src" -B "$bld" -G "Unix Makefiles" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_FIND_ROOT_PATH="$prefix" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS_RELEASE="$flags -DNDEBUG" \
        -DBUILD_SHARED_LIBS=OFF \
        "$@"
    run cmake --build "$bld" -j2
    run cmake --install "$bld"
}

# --- zlib -----------------------------------------------------------------
# Without a configure run zconf.h knows neither <unistd.h> nor <stdarg.h>,
# which Emscripten's C library has.
step=zlib
zlib_static "$sources/zlib" "$blddir/zlib" emcc emar -DHAVE_UNISTD_H -DHAVE_STDARG_H

# --- libpng ---------------------------------------------------------------
step=libpng
src=$sources/libpng1.6
cmake_build "$src" "$blddir/libpng" \
    -DZLIB_LIBRARY="$prefix/lib/libz.a" -DZLIB_INCLUDE_DIR="$prefix/include" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON
licence libpng "$src/LICENSE"

# --- libjpeg-turbo --------------------------------------------------------
# CMake's type-size check reads the size from the compiled test program,
# which Emscripten emits as JavaScript: the size comes out empty and the
# Huffman coder stops with "Cannot determine word size". WebAssembly's
# size_t and unsigned long are 4 bytes. Only the static library is built
# (not the programs and tests beside it), and installed by hand.
step=libjpeg-turbo
src=$sources/libjpeg-turbo
bld=$blddir/libjpeg-turbo
flags=$(flags_for "$src" "$bld")
SOURCE_DATE_EPOCH=$(epoch_of "$src") \
    run emcmake cmake -S "$src" -B "$bld" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="$flags -DNDEBUG" \
    -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=0 -DWITH_TURBOJPEG=OFF
grep -q '^#define SIZEOF_SIZE_T  4$' "$bld/jconfigint.h" || {
    echo "libjpeg-turbo's jconfigint.h does not give size_t 4 bytes" >>"$log"; false; }
run cmake --build "$bld" -j2 --target jpeg-static
cp "$bld/libjpeg.a" "$prefix/lib/"
cp "$src/jpeglib.h" "$src/jerror.h" "$src/jmorecfg.h" "$bld/jconfig.h" "$prefix/include/"
licence libjpeg-turbo "$src/LICENSE.md" "$src/README.ijg"

# Programs and docs that the CMake installs bring along are not needed.
rm -rf "$prefix/bin" "$prefix/share"

deps_done "$prefix/versions.txt" "$wanted" "Browser libraries built into $prefix (log: $log)."
