#!/usr/bin/env bash
# Builds the browser game with Debian's Emscripten and writes, in build-web/:
#   site/                       index.html with its style and scripts in
#                               page/, zarvy.js, zarvy.wasm, zarvy.data
#                               (the packed images), the web app's manifest
#                               and icons, the offline worker sw.js,
#                               icon.png and the
#                               licences: a folder for any static web
#                               server, at any path
#   zarvy-<version>-web.zip     that folder's files, index.html at the root
#   zarvy-<version>.html        one self-contained file to open from disk
# and, for the browser tests, scene/ (the snapshot program's page). Two
# builds of one commit give the same zip and the same single file: the
# zip's times are the last commit's (or SOURCE_DATE_EPOCH's), and nothing
# in the outputs names the folder they were built in.
#
# ZARVY_WEB_DEPS names a folder of libraries built with emcc to use instead
# of build-web/deps; ZARVY_WEB_TARGETS=zarvy builds the game alone (the site,
# the zip and the single file), without the tests' scene page.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=build-web
mkdir -p "$out"

scripts/install-deps.sh
. scripts/web-env.sh
deps=${ZARVY_WEB_DEPS:-$root/$out/deps}
scripts/web-deps.sh "$deps"
deps=$(cd "$deps" && pwd)
targets=()
for target in ${ZARVY_WEB_TARGETS:-}; do
    targets+=(--target "$target")
done

log="$root/$out/build.log"
if ! { emcmake cmake -S . -B "$out/game" -DCMAKE_BUILD_TYPE=Release -DZARVY_WEB_DEPS="$deps" &&
       cmake --build "$out/game" -j2 "${targets[@]}"; } > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "The browser build failed; its whole output is in $log." >&2
    exit 1
fi

# Emscripten's image packer gives each pack a random id (for a cache the game
# does not use): the id becomes the pack's own hash, so the same images give
# the same script.
pack_id() {
    python3 - "$1" "$2" <<'PY'
import hashlib, re, sys
script, pack = sys.argv[1], sys.argv[2]
digest = hashlib.sha256(open(pack, "rb").read()).hexdigest()
uuid = "%s-%s-%s-%s-%s" % (digest[:8], digest[8:12], digest[12:16], digest[16:20], digest[20:32])
text = open(script, encoding="utf-8").read()
text, count = re.subn(r'"package_uuid":"[0-9a-f-]{36}"', '"package_uuid":"%s"' % uuid, text)
if count != 1:
    sys.exit("%s: %d package ids instead of one" % (script, count))
open(script, "w", encoding="utf-8").write(text)
PY
}

version=$(sed -n 's/^project(Zarvy VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
site="$out/site"
rm -rf "$site" "$out/scene"
mkdir -p "$site"
cp packaging/web/index.html "$site/index.html"
cp -r packaging/web/page "$site/page"
cp "$out/game/zarvy.js" "$out/game/zarvy.wasm" "$out/game/zarvy.data" "$site/"
cp packaging/icons/zarvy-64.png "$site/icon.png"
cp packaging/web/manifest.webmanifest "$site/"
cp -r packaging/web/icons "$site/icons"
cp LICENSE "$site/LICENSE.txt"
cp -r "$deps/licenses" "$site/licenses"
pack_id "$site/zarvy.js" "$site/zarvy.data"
# The offline worker last: it lists every other file of the site and hashes them.
python3 scripts/make-web-worker.py packaging/web/sw.js "$site"
if [ -z "${ZARVY_WEB_TARGETS:-}" ]; then
    mkdir -p "$out/scene"
    cp "$out/game/zarvy-snapshot.js" "$out/game/zarvy-snapshot.wasm" "$out/game/zarvy-snapshot.data" \
        packaging/web/scene.html "$out/scene/"
    pack_id "$out/scene/zarvy-snapshot.js" "$out/scene/zarvy-snapshot.data"
fi

epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}
zip="$out/zarvy-$version-web.zip"
python3 scripts/make-zip.py --at-root "$site" "$zip" "$epoch"
page="$out/zarvy-$version.html"
python3 scripts/make-web-page.py "$site" "$page"
echo "Built $site, $zip and $page"
