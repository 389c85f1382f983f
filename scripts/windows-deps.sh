#!/usr/bin/env bash
# Cross-builds the game's third-party libraries as static 64-bit Windows
# libraries into PREFIX (include/, lib/, licenses/), from the Debian sources
# that scripts/deps-sources.sh fetches, checks and unpacks (into
# ZARVY_DEPS_SOURCES, by default build-deps/ at the top of the tree), with
# GoogleTest from /usr/src/googletest for the unit tests.
#
#   scripts/windows-deps.sh build-windows/deps
#
# What is built stays beside PREFIX (deps-build/, windows-deps.log).
set -Eeuo pipefail
# Failures inside functions and $(...) must stop the script too.
shopt -s inherit_errexit

triple=x86_64-w64-mingw32
jobs=2

if [ $# -ne 1 ]; then
    echo "usage: $0 PREFIX_DIR" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$here/cmake/mingw-w64.cmake
sources=${ZARVY_DEPS_SOURCES:-$here/build-deps}
. "$here/scripts/deps-lib.sh"

mkdir -p "$(dirname "$1")"
top=$(cd "$(dirname "$1")" && pwd)
prefix=$top/$(basename "$1")

# The stamp names the package versions, the GoogleTest sources and this
# script itself: a change to any of them means the libraries are stale.
gtest_version=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || echo none)
stamp() {
    "$here/scripts/deps-sources.sh" --stamp
    echo "googletest=$gtest_version"
    echo "recipe=$(sha256sum "$0" "$toolchain" "$here/scripts/deps-lib.sh" | cut -d' ' -f1 | tr '\n' ' ' | sed 's/ $//')"
}
wanted=$(stamp)

if deps_up_to_date "$prefix" "$wanted"; then
    echo "Windows libraries in $prefix are up to date."
    exit 0
fi
deps_refuse_foreign "$prefix"
deps_need_tools cmake make sha256sum ${triple}-gcc ${triple}-g++ ${triple}-ar ${triple}-ranlib
[ -f /usr/src/googletest/CMakeLists.txt ] || { echo "/usr/src/googletest is missing (libgtest-dev)" >&2; exit 1; }
deps_log_to windows-deps "$top/windows-deps.log"

"$here/scripts/deps-sources.sh" "$sources"
sources=$(cd "$sources" && pwd)
srcdir=$top/sources
blddir=$top/deps-build
rm -rf "$prefix" "$srcdir" "$blddir"
mkdir -p "$srcdir" "$blddir" "$prefix/include" "$prefix/lib" "$prefix/licenses"
# Claims PREFIX at once, so a run after a failed one may wipe it; the real
# stamp is written only when everything is built.
echo "incomplete" >"$prefix/versions.txt"

# --- build helpers ------------------------------------------------------
cc=${triple}-gcc
ar=${triple}-ar

cmake_build() {
    local src=$1 bld=$2
    shift 2
    local flags
    flags=$(flags_for "$src" "$bld")
    run cmake -S "$src" -B "$bld" -G "Unix Makefiles" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DZARVY_WINDOWS_DEPS="$prefix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS_RELEASE="$flags -DNDEBUG" \
        -DCMAKE_CXX_FLAGS_RELEASE="$flags -DNDEBUG" \
        -DBUILD_SHARED_LIBS=OFF \
        "$@"
    run cmake --build "$bld" -j"$jobs"
    run cmake --install "$bld"
}

# The unpacked source tree of one Debian source package.
unpack() {
    echo "$sources/$1"
}

# --- zlib -----------------------------------------------------------------
# Debian's tarball has no win32/ folder (neither Makefile.gcc nor the .rc
# its CMake build wants), and a static library needs neither: compile the
# library's sources directly.
step=zlib
zlib_static "$(unpack zlib)" "$blddir/zlib" "$cc" "$ar" -Wall

# --- libpng ---------------------------------------------------------------
step=libpng
src=$(unpack libpng1.6)
cmake_build "$src" "$blddir/libpng" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON
licence libpng "$src/LICENSE"

# --- libjpeg-turbo --------------------------------------------------------
step=libjpeg-turbo
src=$(unpack libjpeg-turbo)
SOURCE_DATE_EPOCH=$(epoch_of "$src") cmake_build "$src" "$blddir/libjpeg-turbo" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=0 -DWITH_TURBOJPEG=OFF
licence libjpeg-turbo "$src/LICENSE.md" "$src/README.ijg"

# --- freeglut -------------------------------------------------------------
# As a GLUT replacement freeglut installs GL/glut.h and names its library
# libglut.a, which is what CMake's FindGLUT looks for. Code that links it
# statically must define FREEGLUT_STATIC and link winmm and gdi32.
step=freeglut
src=$(unpack freeglut)
cmake_build "$src" "$blddir/freeglut" \
    -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
    -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_REPLACE_GLUT=ON
licence freeglut "$src/COPYING"

# --- GLEW -----------------------------------------------------------------
# GLEW's Makefile links its static library for this target wrongly; one
# source file makes the whole library. GLEW_STATIC drops the dllimport
# declarations (users define it too); the library itself needs no GLU.
step=glew
src=$(unpack glew)
bld=$blddir/glew
mkdir -p "$bld" "$prefix/include/GL" "$prefix/lib/cmake/GLEW"
# shellcheck disable=SC2046
run $cc $(flags_for "$src" "$bld") -Wall -DGLEW_STATIC -DGLEW_NO_GLU \
    -I"$src/include" -c "$src/src/glew.c" -o "$bld/glew.o"
run $ar rcsD "$prefix/lib/libglew32.a" "$bld/glew.o"
cp "$src/include/GL/glew.h" "$src/include/GL/wglew.h" "$prefix/include/GL/"
# CMake's FindGLEW looks only for .lib and .dll.a files on Windows, but it
# first asks for a GLEW package config: give it one that names the static
# library and carries GLEW_STATIC to every user.
cat >"$prefix/lib/cmake/GLEW/GLEWConfig.cmake" <<'EOF'
# Static GLEW cross-built by scripts/windows-deps.sh.
get_filename_component(_glew_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET GLEW::GLEW)
    add_library(GLEW::GLEW STATIC IMPORTED)
    set_target_properties(GLEW::GLEW PROPERTIES
        IMPORTED_CONFIGURATIONS RELEASE
        IMPORTED_LOCATION_RELEASE "${_glew_prefix}/lib/libglew32.a"
        IMPORTED_LINK_INTERFACE_LIBRARIES_RELEASE "opengl32"
        MAP_IMPORTED_CONFIG_DEBUG RELEASE
        MAP_IMPORTED_CONFIG_RELWITHDEBINFO RELEASE
        MAP_IMPORTED_CONFIG_MINSIZEREL RELEASE
        INTERFACE_INCLUDE_DIRECTORIES "${_glew_prefix}/include"
        INTERFACE_COMPILE_DEFINITIONS "GLEW_STATIC"
        INTERFACE_LINK_LIBRARIES "opengl32")
endif()
unset(_glew_prefix)
EOF
licence glew "$src/LICENSE.txt"

# --- GoogleTest -----------------------------------------------------------
# Only the unit tests link it; it is not shipped, so no licence is copied.
# On Windows GoogleTest's Notification (used only to start threads in
# GoogleTest's own tests) is built on std::mutex, which the libstdc++ of
# mingw's win32 thread model lacks; its other locks use Win32 directly.
# Its port header for local settings supplies a Notification without it;
# being installed, it holds for the tests that include the headers too.
step=googletest
src=$srcdir/googletest
cp -r /usr/src/googletest "$src"
cat >"$src/googletest/include/gtest/internal/custom/gtest-port.h" <<'EOF'
// Cross-built for mingw-w64 with win32 threads, whose libstdc++ has no
// std::mutex: Notification waits on an atomic flag instead.
#ifndef GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_
#define GOOGLETEST_INCLUDE_GTEST_INTERNAL_CUSTOM_GTEST_PORT_H_

#include <atomic>

#define GTEST_HAS_NOTIFICATION_ 1

// Declared as <windows.h> does, which this header must not pull in.
extern "C" __declspec(dllimport) void __stdcall Sleep(unsigned long milliseconds);

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }

  void WaitForNotification() {
    while (!notified_.load()) Sleep(1);
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace internal
}  // namespace testing

#endif
EOF
cmake_build "$src" "$blddir/googletest" \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=ON

# Programs and docs that the CMake installs bring along are not needed.
rm -rf "$prefix/bin" "$prefix/share"

deps_done "$prefix/versions.txt" "$wanted" "Windows libraries built into $prefix (log: $log)."
