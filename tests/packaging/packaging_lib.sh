# Helpers for the packaging tests: an installed tree is checked file by file
# and its launcher is started as a player would, from an unrelated folder.

# skip_on_sanitizer_build BUILD -- the installed game is the normal build's;
# a sanitizer build is never installed or packaged.
skip_on_sanitizer_build() {
    if grep -q '^ZARVY_SANITIZE:BOOL=ON' "$1/CMakeCache.txt" 2>/dev/null; then
        echo "$(basename "$0" .sh): skipped on the sanitizer build"
        exit 0
    fi
}

# The project's version, as CMake was given it.
project_version() {
    sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt"
}

# check_tree ROOT LAUNCHER_DIR -- every file of an installed tree under ROOT
# (the prefix as seen in the file system) is in its place with its mode.
check_tree() {
    local root=$1 launcher_dir=$2 entry path mode actual
    for entry in \
        "$launcher_dir/zarvy 755" \
        "lib/games/zarvy/zarvy 755" \
        "share/games/zarvy/Textures/asteroid_v8.jpg 644" \
        "share/games/zarvy/Textures/clouds.png 644" \
        "share/games/zarvy/Textures/explosion.png 644" \
        "share/games/zarvy/Textures/fighter.png 644" \
        "share/games/zarvy/Textures/flame.png 644" \
        "share/games/zarvy/Textures/flameBottom.png 644" \
        "share/games/zarvy/Textures/front.png 644" \
        "share/applications/zarvy.desktop 644" \
        "share/icons/hicolor/48x48/apps/zarvy.png 644" \
        "share/icons/hicolor/64x64/apps/zarvy.png 644" \
        "share/icons/hicolor/128x128/apps/zarvy.png 644" \
        "share/icons/hicolor/256x256/apps/zarvy.png 644" \
        "share/metainfo/org.zarvy.zarvy.metainfo.xml 644" \
        "share/man/man6/zarvy.6.gz 644" \
        "share/doc/zarvy/copyright 644" \
        "share/doc/zarvy/changelog.gz 644"; do
        path=${entry% *}
        mode=${entry##* }
        [ -f "$root/$path" ] || fail "not installed: $path"
        actual=$(stat -c %a "$root/$path")
        [ "$actual" = "$mode" ] || fail "$path has mode $actual, not $mode"
    done
    # Nothing else: every file is one of those above.
    local count
    count=$(find "$root" -type f | wc -l)
    [ "$count" -eq 18 ] || fail "$count files installed, not 18: $(find "$root" -type f)"
    # Folders must be open to every user, whatever the umask.
    local closed
    closed=$(find "$root" -type d ! -perm 755)
    [ -z "$closed" ] || fail "folders without mode 755: $closed"
}

# play_installed LAUNCHER -- starts LAUNCHER from an empty folder on the
# current display; the window opens, every image loads, Escape ends it with 0.
play_installed() {
    local launcher=$1 elsewhere log
    elsewhere=$(mktemp -d)
    log=$(mktemp)
    ZARVY_BIN=$launcher
    start_game "$elsewhere" "$log"
    wait_for_window || fail "no window from $launcher"
    wait_frames 2
    quit_game
    wait_for_exit 5 || fail "exit"
    [ "$EXIT_STATUS" -eq 0 ] || fail "exit status $EXIT_STATUS"
    if grep -q 'Texture:' "$log" "$log.err"; then
        fail "images not found from another folder: $(cat "$log" "$log.err")"
    fi
    grep -q '^Status: Using GLEW ' "$log" || fail "the game did not start: $(cat "$log" "$log.err")"
    [ -z "$(ls -A "$elsewhere")" ] || fail "the game wrote into its caller's folder"
    rm -rf "$elsewhere" "$log" "$log.err"
}

# check_launcher_options LAUNCHER VERSION -- what the launcher answers
# without opening a window.
check_launcher_options() {
    local launcher=$1 version=$2 out status
    out=$(DISPLAY= "$launcher" --version 2>&1)
    [ "$out" = "zarvy $version" ] || fail "--version said: $out"
    out=$(DISPLAY= "$launcher" --help 2>&1)
    status=$?
    [ "$status" -eq 0 ] || fail "--help exit status $status"
    echo "$out" | grep -q '^Usage: zarvy' || fail "--help: $out"
    echo "$out" | grep -q 'Escape *quit' || fail "--help lacks the controls: $out"
    local images
    images=$(echo "$out" | sed -n 's/^Images: //p')
    [ -f "$images/fighter.png" ] || fail "--help names $images as the image folder"

    # No display: the same line make run prints, and status 1.
    local expected
    expected=$(env -u DISPLAY bash "$ROOT/scripts/run-game.sh" 2>&1 | sed 's/make run$/zarvy/')
    out=$(env -u DISPLAY "$launcher" 2>&1)
    status=$?
    [ "$status" -eq 1 ] || fail "without a display the exit status was $status"
    [ -n "$expected" ] && [ "$out" = "$expected" ] || fail "without a display it said: $out (make run: $expected)"
}

# second_checkout ROOT DEST -- checks out ROOT's sources again in DEST: a
# clone at ROOT's commit (so it finds the commit's time itself) with every
# change not yet committed copied over it (staged, unstaged, deleted, and
# new files git does not ignore): the sources the build under test was made
# from.
second_checkout() {
    local root=$1 dest=$2 path
    git clone -q --shared --no-checkout "$root" "$dest" || fail "git clone of $root"
    git -C "$dest" checkout -q --detach "$(git -C "$root" rev-parse HEAD)" || fail "checkout in $dest"
    while IFS= read -r -d '' path; do
        if [ -e "$root/$path" ]; then
            mkdir -p "$(dirname "$dest/$path")"
            cp -a "$root/$path" "$dest/$path"
        else
            rm -f "$dest/$path"
        fi
    done < <(git -C "$root" diff -z --name-only --no-renames HEAD; git -C "$root" ls-files -z --others --exclude-standard)
}

# reproducible_start NAME -- the opening of a reproducibility test run from
# the tree's root (ROOT): outside a git checkout there is no commit to build
# again, so NAME is skipped. Otherwise `stage` is a scratch folder removed at
# exit, and SOURCE_DATE_EPOCH is unset: each build finds its time stamp
# itself, as a plain build does.
reproducible_start() {
    if ! git -C "$ROOT" rev-parse --verify -q HEAD >/dev/null 2>&1; then
        echo "$1: skipped outside a git checkout"
        exit 0
    fi
    stage=$(mktemp -d)
    trap 'rm -rf "$stage"' EXIT
    unset SOURCE_DATE_EPOCH
}

# zip_entries ZIP -- each entry's name, time, mode and the sha256 of its bytes.
zip_entries() {
    python3 - "$1" <<'PY'
import hashlib, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    for entry in archive.infolist():
        print(entry.filename, "%04d-%02d-%02d %02d:%02d:%02d" % entry.date_time,
              oct(entry.external_attr >> 16), hashlib.sha256(archive.read(entry)).hexdigest())
PY
}

# same_zips FIRST AGAIN -- the two zips are the same bytes; if not, fails
# with the entries that differ. Leaves their listings in $stage/first.txt
# and $stage/again.txt.
same_zips() {
    zip_entries "$1" >"$stage/first.txt" || fail "cannot read $1"
    zip_entries "$2" >"$stage/again.txt" || fail "cannot read $2"
    if ! cmp -s "$1" "$2"; then
        local differences
        differences=$(diff "$stage/first.txt" "$stage/again.txt")
        fail "the two zips differ:
${differences:-(in the structure of the zip itself: the entries are alike)}"
    fi
}

# zip_entries_not_stamped LISTING -- the entries of a zip_entries listing
# whose time is not the last commit's, in the two-second steps of zip.
zip_entries_not_stamped() {
    local stamp
    stamp=$(python3 -c 'import sys, time; t = time.gmtime(int(sys.argv[1]) // 2 * 2); print(time.strftime("%Y-%m-%d %H:%M:%S", t))' \
            "$(git -C "$ROOT" log -1 --format=%ct)")
    awk -v stamp="$stamp" '$2 " " $3 != stamp' "$1"
}
