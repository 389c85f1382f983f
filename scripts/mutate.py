#!/usr/bin/env python3
"""Mutation testing of the game's logic: `make mutate`.

Changes the code one small edit at a time (a mutant), rebuilds the unit
test programs incrementally and runs them; a mutant that makes a test fail
(or hang) is noticed, one that passes every test survives. The score is the
share of mutants noticed, leaving out the survivors judged equivalent in
tests/mutation/equivalents.txt and the mutants that do not compile.

The files mutated are those tests/mutation/files.txt names. The work is
done in a private copy of the tree (build-mutate/src) with a build folder
of its own (build-mutate/build): the working tree and build/ are never
touched, whatever happens to the run. Results are appended to a file per
state of the tree (build-mutate/results-<hash>.jsonl), so an interrupted
run resumes where it stopped; any edit of the code or the tests starts a
new file.

Environment:
  MUTATE_SAMPLE   number of mutants to draw from the enumeration (empty: all)
  MUTATE_SEED     seed of the draw (the Makefile fixes it)
  MUTATE_FILES    a regular expression that limits the files enumerated (optional)
  MUTATE_DIR      work folder (default build-mutate)
  MUTATE_REV      mutate the tree of this commit instead of the working tree
  MUTATE_CARRY    an earlier results file whose noticed mutants are taken over
  MUTATE_ONLY     a regular expression: run only the chosen mutants of matching files
  MUTATE_LIST=1   only list the candidate sites and exit
"""

import decimal
import fnmatch
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FILES_LIST = os.path.join(ROOT, "tests", "mutation", "files.txt")
EQUIVALENTS = os.path.join(ROOT, "tests", "mutation", "equivalents.txt")

# The unit test programs that run the game's logic; each runs as one
# process. Left out: the end-to-end scripts, the golden pictures and the
# soak, as the issue of a mutant should be told by a unit test; and the
# programs whose tests never run a line of the mutated files: tests_image
# and tests_imagelib (image/ sits beside math/ and includes from neither),
# and tests_tools (the generators' output and the tools' arguments; the game
# reaches it only through the golden pictures).
PROGRAMS = ["math", "game", "render", "app", "scene"]
SKIPPED = os.path.join(ROOT, "tests", "mutation", "skipped.txt")


def gtest_filter():
    """The negative filter: the golden pictures, the soak and skipped.txt's suites."""
    patterns = ["GoldenImages.*", "*Soak*"]
    with open(SKIPPED) as f:
        for line in f:
            if line.strip() and not line.lstrip().startswith("#"):
                pattern, _, reason = line.partition(" | ")
                if not reason.strip():
                    sys.exit("%s: %s needs its reason" % (SKIPPED, pattern.strip()))
                patterns.append(pattern.strip())
    return "-" + ":".join(patterns)

# ---------------------------------------------------------------- lexing

TOKEN_RE = re.compile(r"""
    (?P<ws>\s+)
  | (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<string>R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)"|"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*')
  | (?P<number>0[xX][0-9a-fA-F]+[uUlL]*|(?:\d+\.\d*|\.\d+|\d+)(?:[eE][+-]?\d+)?[fFlLuU]*)
  | (?P<ident>[A-Za-z_]\w*)
  | (?P<punct><<=|>>=|->|\+\+|--|<<|>>|<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|%=|&=|\|=|\^=|::|[-+*/%<>=!&|^~?:;,.(){}\[\]#])
""", re.VERBOSE | re.DOTALL)

KEYWORDS = {
    "return", "if", "else", "for", "while", "do", "switch", "case", "break",
    "continue", "const", "static", "int", "float", "double", "bool", "char",
    "void", "auto", "unsigned", "signed", "long", "short", "new", "delete",
    "namespace", "class", "struct", "using", "typedef", "sizeof", "true",
    "false", "nullptr", "this", "static_cast", "reinterpret_cast",
    "const_cast", "dynamic_cast", "extern", "inline", "virtual", "template",
    "typename", "public", "private", "protected", "operator", "default",
}
ASSIGNMENTS = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}


class Token:
    __slots__ = ("kind", "text", "start", "end", "line", "col")

    def __init__(self, kind, text, start, end, line, col):
        self.kind, self.text, self.start, self.end = kind, text, start, end
        self.line, self.col = line, col


def tokenize(source):
    """The code's tokens; comments, strings and preprocessor lines are left out."""
    tokens = []
    pos = 0
    line_starts = [0] + [i + 1 for i, c in enumerate(source) if c == "\n"]

    def where(offset):
        lo, hi = 0, len(line_starts) - 1
        while lo < hi:
            mid = (lo + hi + 1) // 2
            if line_starts[mid] <= offset:
                lo = mid
            else:
                hi = mid - 1
        return lo + 1, offset - line_starts[lo] + 1

    at_line_start = True
    while pos < len(source):
        if at_line_start:
            m = re.match(r"[ \t]*#", source[pos:])
            if m:
                # A preprocessor line, with its continuations.
                end = pos
                while True:
                    nl = source.find("\n", end)
                    if nl < 0:
                        end = len(source)
                        break
                    if source[nl - 1] == "\\":
                        end = nl + 1
                        continue
                    end = nl
                    break
                pos = end
                continue
        m = TOKEN_RE.match(source, pos)
        if not m:
            raise ValueError("cannot read the code at offset %d" % pos)
        kind = m.lastgroup if m.lastgroup != "delim" else "string"
        for name in ("ws", "comment", "string", "number", "ident", "punct"):
            if m.group(name) is not None:
                kind = name
                break
        text = m.group(0)
        if kind == "ws":
            at_line_start = "\n" in text
        else:
            at_line_start = False
            if kind not in ("comment", "string"):
                line, col = where(pos)
                tokens.append(Token(kind, text, pos, m.end(), line, col))
        pos = m.end()
    return tokens


def matching(tokens, i, opening, closing):
    """Index of the token that closes the bracket opened at tokens[i]."""
    depth = 0
    for j in range(i, len(tokens)):
        if tokens[j].text == opening:
            depth += 1
        elif tokens[j].text == closing:
            depth -= 1
            if depth == 0:
                return j
    return None


def template_brackets(tokens):
    """Indices of the < and > that enclose template arguments, not comparisons."""
    result = set()
    allowed = {"::", "*", "&", ",", "const"}
    for i, t in enumerate(tokens):
        if t.text != "<":
            continue
        for j in range(i + 1, min(i + 12, len(tokens))):
            u = tokens[j]
            if u.text == ">":
                result.update((i, j))
                break
            if u.kind in ("ident", "number") or u.text in allowed:
                continue
            break
    return result


def is_type_name(token):
    return token.kind == "ident" and (token.text[0].isupper() or token.text in KEYWORDS)


def operand_end(token):
    """True when a binary operator may follow this token."""
    return (token.kind == "number" or token.text in (")", "]") or
            (token.kind == "ident" and token.text not in KEYWORDS) or token.text == "this")


# ---------------------------------------------------------------- operators

def number_variants(text):
    """The literal set to 0, negated, and moved by one, in its own style."""
    m = re.fullmatch(r"(0[xX][0-9a-fA-F]+|[0-9.]+(?:[eE][+-]?\d+)?)([fFlLuU]*)", text)
    body, suffix = m.group(1), m.group(2)
    is_float = not body.lower().startswith("0x") and any(c in body for c in ".eE")
    value = int(body, 16) if body.lower().startswith("0x") else decimal.Decimal(body)

    def style(v):
        if is_float:
            s = format(decimal.Decimal(v).normalize(), "f")
            if "." not in s:
                s += ".0"
            return s + suffix
        return str(int(v)) + suffix

    candidates = [style(0), "-" + text, style(value + 1), style(value - 1)]
    if value == 0:
        candidates = [style(1), style(-1)]
    out = []
    for c in candidates:
        if c != text and c not in out:
            out.append(c)
    return ["(%s)" % c if c.startswith("-") else c for c in out]


def statement_start(tokens, i):
    """True when tokens[i] starts a statement inside a block."""
    if i == 0:
        return False
    prev = tokens[i - 1]
    if prev.text in (";", "{", "}") or prev.text == "else":
        return True
    if prev.text == ")":
        # The closing bracket of an if, while or for header.
        depth = 0
        for j in range(i - 1, -1, -1):
            if tokens[j].text == ")":
                depth += 1
            elif tokens[j].text == "(":
                depth -= 1
                if depth == 0:
                    return j > 0 and tokens[j - 1].text in ("if", "while", "for")
    return False


def expression_statement(tokens, i, brace_depth):
    """End index (the ;) of a call or assignment statement starting at i, or None."""
    if brace_depth[i] < 1 or not statement_start(tokens, i):
        return None
    t = tokens[i]
    j = i
    if t.text in ("++", "--", "*"):
        j += 1
    elif t.kind != "ident" or t.text in KEYWORDS and t.text != "this":
        return None
    # A postfix chain: name, members, subscripts, scope.
    if tokens[j].kind != "ident":
        return None
    j += 1
    kind = None
    while j < len(tokens):
        u = tokens[j]
        if u.text in (".", "->", "::") and j + 1 < len(tokens) and tokens[j + 1].kind == "ident":
            j += 2
        elif u.text == "[":
            j = matching(tokens, j, "[", "]") + 1
        elif u.text == "(":
            j = matching(tokens, j, "(", ")") + 1
            kind = "call"
        elif u.text in ASSIGNMENTS or u.text in ("++", "--"):
            kind = "assign"
            break
        else:
            break
    if kind is None or (t.text in ("++", "--") and kind != "assign" and tokens[j].text != ";"):
        if t.text not in ("++", "--"):
            return None
    # Runs to the ; at the same depth, with no block inside.
    depth = 0
    for k in range(i, len(tokens)):
        u = tokens[k]
        if u.text in ("{", "}"):
            return None
        if u.text in ("(", "["):
            depth += 1
        elif u.text in (")", "]"):
            depth -= 1
            if depth < 0:
                return None
        elif u.text == ";" and depth == 0:
            return k
        elif u.text == "," and depth == 0:
            return None
    return None


def enumerate_sites(path, source):
    """Every mutant of one file: (start, end, replacement, operator, original)."""
    tokens = tokenize(source)
    templates = template_brackets(tokens)
    brace_depth = []
    depth = 0
    for t in tokens:
        if t.text == "}":
            depth -= 1
        brace_depth.append(depth)
        if t.text == "{":
            depth += 1
    # Conditions of for loops: their comparisons are loop bounds.
    loop_conditions = set()
    for i, t in enumerate(tokens):
        if t.text == "for" and i + 1 < len(tokens) and tokens[i + 1].text == "(":
            close = matching(tokens, i + 1, "(", ")")
            semis = [k for k in range(i + 2, close) if tokens[k].text == ";"]
            if len(semis) == 2:
                loop_conditions.update(range(semis[0] + 1, semis[1]))
    sites = []

    def add(first, last, replacement, op):
        start, end = tokens[first].start, tokens[last].end
        sites.append({"file": path, "line": tokens[first].line, "col": tokens[first].col,
                      "start": start, "end": end, "op": op,
                      "original": source[start:end], "replacement": replacement})

    relational = {"<": ("<=", ">"), "<=": ("<", ">="), ">": (">=", "<"), ">=": (">", "<=")}
    for i, t in enumerate(tokens):
        prev = tokens[i - 1] if i > 0 else None
        if t.text in relational and i not in templates and prev and operand_end(prev):
            boundary, flipped = relational[t.text]
            add(i, i, boundary, "loop-bound" if i in loop_conditions else "relational")
            add(i, i, flipped, "relational")
        elif t.text in ("==", "!="):
            add(i, i, "!=" if t.text == "==" else "==", "equality")
        elif t.text in ("+", "-", "*", "/", "%") and prev and operand_end(prev):
            if t.text in ("*",) and is_type_name(prev):
                continue  # a pointer declarator
            swap = {"+": "-", "-": "+", "*": "/", "/": "*", "%": "*"}[t.text]
            add(i, i, swap, "arithmetic")
        elif t.text == "-" and prev and not operand_end(prev) and tokens[i + 1].kind == "ident":
            add(i, i, "", "arithmetic")  # a unary minus dropped
        elif t.text in ("+=", "-=", "*=", "/="):
            swap = {"+=": "-=", "-=": "+=", "*=": "/=", "/=": "*="}[t.text]
            add(i, i, swap, "arithmetic")
        elif t.text in ("++", "--"):
            add(i, i, "--" if t.text == "++" else "++", "arithmetic")
        elif t.text == "!" and not (i >= 2 and tokens[i - 2].text in ("if", "while")):
            # (An if's own leading ! is undone by negating its condition.)
            add(i, i, "", "negate-condition")
        elif t.text in ("if", "while") and i + 1 < len(tokens) and tokens[i + 1].text == "(":
            close = matching(tokens, i + 1, "(", ")")
            inner = source[tokens[i + 2].start:tokens[close - 1].end]
            add(i + 1, close, "(!(%s))" % inner, "negate-condition")
        elif t.text in ("true", "false", "GL_TRUE", "GL_FALSE"):
            other = {"true": "false", "false": "true", "GL_TRUE": "GL_FALSE", "GL_FALSE": "GL_TRUE"}
            add(i, i, other[t.text], "boolean")
        elif t.kind == "number":
            # An array's declared size is not a value: changing it does not compile
            # or only moves unused storage.
            if (prev and prev.text == "[" and i >= 3 and tokens[i - 2].kind == "ident"
                    and (tokens[i - 3].kind == "ident" or tokens[i - 3].text in ("*", "&"))
                    and tokens[i + 1].text == "]"):
                continue
            for replacement in number_variants(t.text):
                add(i, i, replacement, "literal")
        if t.kind == "ident" or t.text in ("++", "--", "*"):
            end = expression_statement(tokens, i, brace_depth)
            if end is not None:
                add(i, end, ";", "delete-statement")
    return sites


def site_id(site):
    return "%s:%d:%d %s %s -> %s" % (site["file"], site["line"], site["col"], site["op"],
                                     one_line(site["original"]), one_line(site["replacement"]))


def one_line(text):
    text = " ".join(text.split())
    return text if len(text) <= 60 else text[:57] + "..."


# ---------------------------------------------------------------- the tree

def logic_files(origin, tracked):
    """The files tests/mutation/files.txt selects, in a fixed order."""
    patterns, excluded = [], []
    with open(os.path.join(origin, "tests", "mutation", "files.txt")) as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            (excluded if line.startswith("!") else patterns).append(line.lstrip("!"))
    chosen = [p for p in tracked
              if any(fnmatch.fnmatchcase(p, pat) for pat in patterns)
              and not any(fnmatch.fnmatchcase(p, pat) for pat in excluded)]
    limit = os.environ.get("MUTATE_FILES")
    if limit:
        chosen = [p for p in chosen if re.search(limit, p)]
    return sorted(chosen)


def git_files():
    out = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT,
                         check=True, capture_output=True, text=True).stdout
    return sorted(p for p in out.splitlines() if os.path.isfile(os.path.join(ROOT, p)))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    tmp = path + ".mutate-tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def source_tree(work):
    """Where the code to mutate comes from, and its files: the working tree,
    or with MUTATE_REV the tree of that commit (to measure a suite as it was)."""
    rev = os.environ.get("MUTATE_REV", "").strip()
    if not rev:
        return ROOT, git_files()
    origin = os.path.join(work, "rev")
    shutil.rmtree(origin, ignore_errors=True)
    os.makedirs(origin)
    archive = subprocess.run(["git", "archive", rev], cwd=ROOT, check=True, capture_output=True).stdout
    subprocess.run(["tar", "-x", "-C", origin], input=archive, check=True)
    out = subprocess.run(["git", "ls-tree", "-r", "--name-only", rev], cwd=ROOT, check=True,
                         capture_output=True, text=True).stdout
    return origin, sorted(out.splitlines())


def sync_copy(origin, files, src_dir):
    """Makes src_dir a copy of the files of origin; unchanged files keep their times."""
    wanted = set(files)
    for rel in files:
        data = read(os.path.join(origin, rel))
        target = os.path.join(src_dir, rel)
        if os.path.isfile(target) and read(target) == data:
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        write(target, data)
        shutil.copymode(os.path.join(origin, rel), target)
    for dirpath, _dirnames, filenames in os.walk(src_dir):
        for name in filenames:
            rel = os.path.relpath(os.path.join(dirpath, name), src_dir)
            if rel not in wanted:
                os.remove(os.path.join(dirpath, name))
    digest = hashlib.sha256()
    for rel in files:
        # The docs and the equivalents do not change what a mutant does.
        if rel.endswith(".md") or rel.startswith("tests/mutation/"):
            continue
        digest.update(rel.encode() + b"\0" + read(os.path.join(origin, rel)) + b"\0")
    return digest.hexdigest()[:16]


def load_equivalents():
    """Mutant id -> reason, from the equivalents file."""
    result = {}
    if not os.path.exists(EQUIVALENTS):
        return result
    with open(EQUIVALENTS) as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            if " | " not in line:
                sys.exit("%s:%d: expected 'mutant | reason'" % (EQUIVALENTS, number))
            mutant, reason = line.split(" | ", 1)
            if not reason.strip():
                sys.exit("%s:%d: an equivalent needs its reason" % (EQUIVALENTS, number))
            result[mutant.strip()] = reason.strip()
    return result


# ---------------------------------------------------------------- running

class Runner:
    def __init__(self, work):
        self.work = work
        self.src = os.path.join(work, "src")
        self.build = os.path.join(work, "build")
        self.work = work
        self.env = dict(os.environ, LIBGL_ALWAYS_SOFTWARE="1", ZARVY_BUILD_DIR=self.build)
        self.baseline = {}
        self.kills = {}
        self.filter = gtest_filter()

    def configure(self):
        if os.path.exists(os.path.join(self.build, "CMakeCache.txt")):
            return
        # No optimiser and no debug information: a mutant compiles and links
        # in the least time; gold links faster than the default linker.
        log = os.path.join(self.work, "configure.log")
        with open(log, "w") as out:
            rc = subprocess.call(["cmake", "-S", self.src, "-B", self.build,
                                  "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O0",
                                  "-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold"],
                                 stdout=out, stderr=subprocess.STDOUT)
        if rc != 0:
            sys.exit("configuring the mutation build failed: see " + log)

    def make(self, programs, jobs=1, timeout=900):
        """Builds test programs; returns (ok, output tail)."""
        if isinstance(programs, str):
            programs = [programs]
        try:
            p = subprocess.run(["cmake", "--build", self.build, "--target"]
                               + ["tests_" + p for p in programs]
                               + ["-j%d" % jobs, "--", "--no-print-directory"],
                               capture_output=True, text=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            return False, "build timed out"
        return p.returncode == 0, (p.stdout + p.stderr)[-3000:]

    def start(self, program):
        exe = os.path.join(self.build, "tests", "tests_" + program)
        out = open(os.path.join(self.work, "run-%s.log" % program), "w+")
        proc = subprocess.Popen([exe, "--gtest_filter=" + self.filter, "--gtest_fail_fast",
                                 "--gtest_brief=1"],
                                cwd=self.src, env=self.env, stdout=out,
                                stderr=subprocess.STDOUT, start_new_session=True)
        return {"program": program, "proc": proc, "out": out, "started": time.monotonic()}

    @staticmethod
    def stop(run):
        try:
            os.killpg(run["proc"].pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        run["proc"].wait()
        run["out"].close()

    @staticmethod
    def outcome(run):
        """('pass'|'fail', failing test) of a finished run."""
        run["out"].seek(0)
        text = run["out"].read()
        run["out"].close()
        code = run["proc"].returncode
        # A test that calls exit(0) ends the program with status 0 before
        # its summary: that is no pass.
        if code == 0 and "[  PASSED  ]" in text:
            return "pass", None
        if code == 0:
            return "fail", "%s (ended before its summary)" % run["program"]
        failed = re.findall(r"\[  FAILED  \] (\S+)", text)
        if failed:
            return "fail", "%s.%s" % (run["program"], failed[0])
        return "fail", "%s (exit status %d)" % (run["program"], code)

    def run_all(self, programs, timeout_of, parallel=1):
        """Runs the programs, `parallel` at a time, until one fails or hangs:
        (status, failing test, programs that ran)."""
        waiting = list(programs)
        running, ran = [], []
        while waiting or running:
            while waiting and len(running) < parallel:
                running.append(self.start(waiting.pop(0)))
            time.sleep(0.05)
            for run in list(running):
                elapsed = time.monotonic() - run["started"]
                if run["proc"].poll() is None and elapsed <= timeout_of(run["program"]):
                    continue
                running.remove(run)
                ran.append("tests_" + run["program"])
                if run["proc"].poll() is None:
                    self.stop(run)
                    status, failed = "timeout", "%s (no end within %d s)" % (
                        run["program"], timeout_of(run["program"]))
                else:
                    status, failed = self.outcome(run)
                if status != "pass":
                    for other in running:
                        self.stop(other)
                        ran.append("tests_" + other["program"])
                    return status, failed, ran
        return "pass", None, ran

    def run(self, program, timeout):
        """Runs one test program: ('pass'|'fail'|'timeout', failing test, seconds)."""
        started = time.monotonic()
        status, failed, _ran = self.run_all([program], lambda _p: timeout)
        return status, failed, time.monotonic() - started

    def prepare(self):
        """Builds the unmutated copy and checks that every program passes on it."""
        self.configure()
        for program in PROGRAMS:
            ok, log = self.make(program, jobs=2, timeout=3600)
            if not ok:
                sys.exit("the unmutated tree does not build:\n" + log)
        for program in PROGRAMS:
            status, failed, seconds = self.run(program, timeout=900)
            if status != "pass":
                sys.exit("the unmutated tree fails its tests (%s): fix that first" % failed)
            self.baseline[program] = seconds
            print("  tests_%-7s %5.1f s unmutated" % (program, seconds), flush=True)

    def order(self, path):
        """The programs that noticed most mutants of this file so far first,
        then the file's own room, then the fastest: a noticed mutant then
        costs one link and one program, as a rule."""
        room = path.split("/", 1)[0]
        kills = self.kills.get(path, {})
        return sorted(PROGRAMS, key=lambda p: (-kills.get(p, 0), p != room, self.baseline[p]))

    def learn(self, path, result):
        if result["status"] in ("killed", "timeout") and result["tests"]:
            program = result["tests"][-1][len("tests_"):]
            counts = self.kills.setdefault(path, {})
            counts[program] = counts.get(program, 0) + 1

    def test_mutant(self, site):
        """The likeliest program first, alone; if it passes, the others are
        linked together and run two at a time (the machine's share)."""
        order = self.order(site["file"])
        timeout_of = lambda p: max(30, int(4 * self.baseline[p]) + 10)
        ran = []
        for group, parallel in ((order[:1], 1), (order[1:], 2)):
            ok, log = self.make(group, jobs=parallel)
            if not ok:
                if not ran:
                    error = [l for l in log.splitlines() if "error" in l][:1]
                    return {"status": "build-failed", "tests": [], "detail": " ".join(error)[:200]}
                return {"status": "build-failed", "tests": ran, "detail": "link of the others"}
            status, failed, group_ran = self.run_all(group, timeout_of, parallel)
            ran += group_ran
            if status != "pass":
                return {"status": "killed" if status == "fail" else "timeout",
                        "tests": ran, "detail": failed}
        return {"status": "survived", "tests": ran, "detail": ""}


# ---------------------------------------------------------------- report

def report(results, chosen, equivalents, out):
    lines = []
    by_file, by_op = {}, {}
    survivors, equivalent_hits, build_failed = [], [], 0
    noticed = total = 0
    for site in chosen:
        mid = site_id(site)
        r = results.get(mid)
        if r is None:
            continue
        if r["status"] == "build-failed":
            build_failed += 1
            continue
        if r["status"] == "survived" and mid in equivalents:
            equivalent_hits.append((site, equivalents[mid]))
            continue
        hit = r["status"] in ("killed", "timeout")
        total += 1
        noticed += hit
        for table, key in ((by_file, site["file"]), (by_op, site["op"])):
            n, t = table.get(key, (0, 0))
            table[key] = (n + hit, t + 1)
        if not hit:
            survivors.append((site, r))

    def pct(n, t):
        return "%5.1f%%" % (100.0 * n / t) if t else "   -  "

    done = sum(1 for s in chosen if site_id(s) in results)
    carried = sum(1 for s in chosen if results.get(site_id(s), {}).get("carried"))
    lines.append("Mutants: %d chosen, %d run, %d do not build (left out), %d equivalent (left out)"
                 % (len(chosen), done, build_failed, len(equivalent_hits)))
    if carried:
        lines.append("(%d of them taken over from an earlier run, not run again)" % carried)
    lines.append("Score: %d of %d noticed, %s" % (noticed, total, pct(noticed, total).strip()))
    lines.append("")
    lines.append("By file:")
    for key in sorted(by_file):
        n, t = by_file[key]
        lines.append("  %-32s %4d / %-4d %s" % (key, n, t, pct(n, t)))
    lines.append("By operator:")
    for key in sorted(by_op):
        n, t = by_op[key]
        lines.append("  %-32s %4d / %-4d %s" % (key, n, t, pct(n, t)))
    lines.append("")
    lines.append("Survivors (%d):" % len(survivors))
    for site, r in survivors:
        lines.append("  %s:%d  %s  `%s` -> `%s`" % (site["file"], site["line"], site["op"],
                                                   one_line(site["original"]),
                                                   one_line(site["replacement"])))
        lines.append("      id: %s" % site_id(site))
        lines.append("      ran: %s" % ", ".join(r["tests"]))
    if equivalent_hits:
        lines.append("")
        lines.append("Equivalent survivors left out (%d):" % len(equivalent_hits))
        for site, reason in equivalent_hits:
            lines.append("  %s  -- %s" % (site_id(site), reason))
    text = "\n".join(lines) + "\n"
    out.write(text)
    return text


# ---------------------------------------------------------------- main

def interrupted(_signum, _frame):
    raise KeyboardInterrupt


def main():
    # Ctrl-C and a termination both stop the run the same way: the mutated
    # file of the copy is put back and the results so far are kept. (A job
    # started in the background inherits SIGINT ignored; it is taken back.)
    signal.signal(signal.SIGINT, interrupted)
    signal.signal(signal.SIGTERM, interrupted)
    if os.environ.get("MUTATE_ON_OWN_DISPLAY") != "1" and os.environ.get("MUTATE_LIST") != "1":
        # A virtual X server of its own, as the test suite has.
        env = dict(os.environ, MUTATE_ON_OWN_DISPLAY="1")
        os.execvpe("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24 -noreset",
                                sys.executable, os.path.abspath(__file__)] + sys.argv[1:], env)

    work = os.path.join(ROOT, os.environ.get("MUTATE_DIR", "build-mutate"))
    os.makedirs(os.path.join(work, "src"), exist_ok=True)
    origin, tracked = source_tree(work)
    files = logic_files(origin, tracked)
    sites = []
    for path in files:
        with open(os.path.join(origin, path), encoding="utf-8") as f:
            sites.extend(enumerate_sites(path, f.read()))
    if os.environ.get("MUTATE_LIST") == "1":
        for site in sites:
            print(site_id(site))
        print("%d candidate sites in %d files" % (len(sites), len(files)), file=sys.stderr)
        return 0

    sample = os.environ.get("MUTATE_SAMPLE", "").strip()
    seed = os.environ.get("MUTATE_SEED", "21").strip() or "21"
    chosen = sites
    if sample:
        chosen = random.Random(int(seed)).sample(sites, min(int(sample), len(sites)))
    only = os.environ.get("MUTATE_ONLY", "").strip()
    if only:
        # Part of the same sample, to share a long run out.
        chosen = [s for s in chosen if re.search(only, s["file"])]
    # Grouped by file, so each file is restored and rebuilt once.
    order = {path: i for i, path in enumerate(files)}
    chosen = sorted(chosen, key=lambda s: (order[s["file"]], s["start"], s["op"], s["replacement"]))
    equivalents = load_equivalents()
    known = {site_id(s) for s in sites}
    for mid in sorted(set(equivalents) - known):
        print("warning: the equivalents file names a mutant that no longer exists: " + mid)

    tree = sync_copy(origin, tracked, os.path.join(work, "src"))
    results_path = os.path.join(work, "results-%s.jsonl" % tree)
    results = {}
    if os.path.exists(results_path):
        with open(results_path) as f:
            for line in f:
                if line.strip():
                    r = json.loads(line)
                    results[r["id"]] = r
    carry = os.environ.get("MUTATE_CARRY", "").strip()
    if carry:
        # The noticed and the unbuildable mutants of an earlier run are taken
        # over, not run again: right when the code is the same and tests
        # were only added since. The survivors run again.
        wanted = {site_id(s) for s in chosen}
        with open(carry) as f, open(results_path, "a") as log:
            for line in f:
                r = json.loads(line) if line.strip() else None
                if (r and r["id"] in wanted and r["id"] not in results
                        and r["status"] in ("killed", "timeout", "build-failed")):
                    r["carried"] = True
                    results[r["id"]] = r
                    log.write(json.dumps(r) + "\n")
    todo = [s for s in chosen if site_id(s) not in results]
    print("%d candidate sites in %d files; %d chosen%s; %d already run (%s)"
          % (len(sites), len(files), len(chosen),
             " (sample of %s, seed %s)" % (sample, seed) if sample else "",
             len(chosen) - len(todo), os.path.relpath(results_path, ROOT)), flush=True)

    runner = Runner(work)
    paths = {site_id(s): s["file"] for s in sites}
    for mid, r in results.items():
        if mid in paths:
            runner.learn(paths[mid], r)
    started = time.monotonic()
    current = None
    original = None
    try:
        if todo:
            runner.prepare()
        with open(results_path, "a") as log:
            for n, site in enumerate(todo, 1):
                path = os.path.join(runner.src, site["file"])
                if current != site["file"]:
                    if current is not None:
                        write(os.path.join(runner.src, current), original)
                    current = site["file"]
                    original = read(path)
                text = original.decode("utf-8")
                mutated = text[:site["start"]] + site["replacement"] + text[site["end"]:]
                write(path, mutated.encode("utf-8"))
                t0 = time.monotonic()
                r = runner.test_mutant(site)
                r.update(id=site_id(site), seconds=round(time.monotonic() - t0, 1))
                log.write(json.dumps(r) + "\n")
                log.flush()
                results[r["id"]] = r
                runner.learn(site["file"], r)
                print("[%d/%d] %-12s %5.1f s  %s%s" % (n, len(todo), r["status"], r["seconds"],
                                                      site_id(site),
                                                      ("  (" + r["detail"] + ")") if r["detail"] else ""),
                      flush=True)
    except KeyboardInterrupt:
        print("\ninterrupted: the results so far are kept; run again to go on", flush=True)
    finally:
        if current is not None:
            write(os.path.join(runner.src, current), original)
    elapsed = time.monotonic() - started
    with open(os.path.join(work, "report.txt"), "w") as out:
        print()
        text = report(results, chosen, equivalents, out)
        print(text, end="")
        out.write("Time of this run: %.0f s for %d mutants\n" % (elapsed, len(todo)))
    print("Time of this run: %.0f s for %d mutants (report in %s)"
          % (elapsed, len(todo), os.path.relpath(os.path.join(work, "report.txt"), ROOT)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
