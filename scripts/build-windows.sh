#!/usr/bin/env bash
# Builds the Windows game and its tests with mingw-w64, and packs
# build-windows/zarvy-<version>-win64.zip: zarvy.exe, the images, README.txt
# and every licence. Two builds of one commit give the same zip: the file
# times are the last commit's (or SOURCE_DATE_EPOCH's), the entries sorted.
#
# ZARVY_WINDOWS_DEPS names a folder of cross-built libraries to use instead
# of build-windows/deps; ZARVY_WINDOWS_TARGETS the targets to build instead
# of all (the zip needs only zarvy).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=build-windows
mkdir -p "$out"

scripts/install-deps.sh
deps=${ZARVY_WINDOWS_DEPS:-$root/$out/deps}
scripts/windows-deps.sh "$deps"
deps=$(cd "$deps" && pwd)
targets=()
for target in ${ZARVY_WINDOWS_TARGETS:-}; do
    targets+=(--target "$target")
done

log="$root/$out/build.log"
if ! { cmake -S . -B "$out/game" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
        -DZARVY_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DZARVY_LINUX_BUILD_DIR="${ZARVY_LINUX_BUILD_DIR:-$root/build}" &&
       cmake --build "$out/game" -j2 "${targets[@]}"; } > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "The Windows build failed; its whole output is in $log." >&2
    exit 1
fi

version=$(sed -n 's/^project(Zarvy VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
stage="$out/stage/zarvy-$version"
rm -rf "$out/stage"
mkdir -p "$stage/Textures" "$stage/licenses"
cp "$out/game/zarvy.exe" "$stage/"
cp Textures/*.png Textures/*.jpg "$stage/Textures/"
sed "s/@PROJECT_VERSION@/$version/g" packaging/windows/README.txt.in > "$stage/README.txt"
cp LICENSE "$stage/LICENSE.txt"
cp -r "$deps/licenses/." "$stage/licenses/"

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
zip="$out/zarvy-$version-win64.zip"
python3 scripts/make-zip.py "$stage" "$zip" "$epoch"
echo "Built $zip"
