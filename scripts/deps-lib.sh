# Shared by the scripts that fetch and build the cross targets' third-party
# libraries (deps-sources.sh, windows-deps.sh, web-deps.sh); sourced, never
# run. Every command's output goes to one log, and a failure names the step
# it happened in with the log's last lines.
#
#   . "$here/scripts/deps-lib.sh"
#   deps_log_to NAME LOG      (from here on `run` and `fail` use LOG)
#   step="what runs now"; run CMD ARGS...
#   deps_done STAMP_FILE WANTED MESSAGE

# Starts LOG afresh; NAME prefixes what the script says on failure.
deps_log_to() {
    deps_name=$1
    log=$2
    : >"$log"
    step=start
    trap deps_on_error ERR
}

deps_on_error() {
    # A failing $(...) also fails its caller: report once, from the top.
    [ "$BASHPID" = "$$" ] || return 0
    echo "$deps_name: failed during '$step'; the log's last lines ($log):" >&2
    tail -n 40 "$log" >&2
}

# Runs a command with its output in the log.
run() {
    echo "+ [${SECONDS}s] $*" >>"$log"
    "$@" >>"$log" 2>&1
}

# Stops with a message of the script's own, in the log and on stderr.
fail() {
    echo "$*" >>"$log"
    echo "$deps_name: $*" >&2
    trap - ERR
    exit 1
}

# Writes WANTED to STAMP_FILE, the mark that everything is built, and says
# MESSAGE.
deps_done() {
    step=stamp
    echo "$2" >"$1"
    trap - ERR
    echo "$3"
}

# True when DIR's versions.txt says DIR holds exactly WANTED.
deps_up_to_date() {
    [ -f "$1/versions.txt" ] && [ "$(cat "$1/versions.txt")" = "$2" ]
}

# A prefix is wiped before a rebuild, so stale headers or libraries of an
# older version cannot linger; refuse to wipe a folder these scripts did not
# make (one holding no versions.txt).
deps_refuse_foreign() {
    if [ -d "$1" ] && [ -n "$(ls -A "$1")" ] && [ ! -f "$1/versions.txt" ]; then
        echo "$1 is not empty and holds no versions.txt of this script: not touching it." >&2
        exit 1
    fi
}

# Stops unless every named tool is on the PATH.
deps_need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
    done
}

# Reproducible flags: no source or build folder names in the objects.
flags_for() {
    echo "-O2 -ffile-prefix-map=$1=. -ffile-prefix-map=$2=."
}

# Dates baked into a library come from the package's changelog, not the clock.
epoch_of() {
    dpkg-parsechangelog -l "$1/debian/changelog" -S Timestamp
}

# Copies a library's licence files into $prefix/licenses/NAME.
licence() {
    local name=$1
    shift
    mkdir -p "$prefix/licenses/$name"
    cp "$@" "$prefix/licenses/$name/"
}

# zlib as a static library in $prefix, its sources (SRC) compiled directly
# into BLD with the compiler CC and the archiver AR; the flags after them go
# to every compile. Debian's tarball lacks the files zlib's own builds want
# for some targets, and a static library needs no configure run.
zlib_static() {
    local src=$1 bld=$2 cc=$3 ar=$4 f
    shift 4
    local objs=()
    mkdir -p "$bld"
    for f in adler32 crc32 deflate infback inffast inflate inftrees trees zutil \
             compress uncompr gzclose gzlib gzread gzwrite; do
        # shellcheck disable=SC2046
        run "$cc" $(flags_for "$src" "$bld") "$@" -c "$src/$f.c" -o "$bld/$f.o"
        objs+=("$bld/$f.o")
    done
    run "$ar" rcsD "$prefix/lib/libz.a" "${objs[@]}"
    cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
    licence zlib "$src/LICENSE"
}
