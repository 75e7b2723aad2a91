#!/usr/bin/env bash
# Replays a fuzz corpus through the source-coverage build of a reader's
# fuzz target and counts the branch outcomes of the reader's own code (the
# sources named, comma-separated) it reached, and its functions run. Fails
# when one is missed, unless its source line says "fuzz: unreachable" (and
# why) in a comment.
# Usage: fuzz-coverage.sh FUZZ_COVERAGE_BINARY NAME SOURCES CORPUS_DIR...
# (NAME heads the count's line: "NAME: C/T branch outcomes covered")
set -uo pipefail
binary=$1
name=$2
sources=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
LLVM_PROFILE_FILE="$work/replay.profraw" "$binary" -runs=0 -max_len=4194304 "$@" >"$work/replay.log" 2>&1 || {
  cat "$work/replay.log"
  exit 1
}
llvm-profdata-14 merge -o "$work/replay.profdata" "$work/replay.profraw" &&
  llvm-cov-14 export -format=text -instr-profile "$work/replay.profdata" "$binary" >"$work/coverage.json" || exit 1
/usr/bin/python3 - "$work/coverage.json" "$sources" "$name" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))["data"][0]
reader = tuple(sys.argv[2].split(","))
sources = {}
def line_of(path, number):
    if path not in sources:
        sources[path] = open(path, encoding="utf-8").read().split("\n")
    return sources[path][number - 1] if number > 0 else ""
covered = total = unreachable = 0
missed = []
for f in data["files"]:
    path = f["filename"]
    if not path.endswith(reader):
        continue
    for branch in f.get("branches", []):
        line, true_count, false_count = branch[0], branch[4], branch[5]
        for outcome, count in (("true", true_count), ("false", false_count)):
            total += 1
            if count:
                covered += 1
            elif "fuzz: unreachable" in line_of(path, line):
                unreachable += 1
            else:
                missed.append("  missed: %s:%d (%s)  %s" % (path, line, outcome, line_of(path, line).strip()))
for fn in data["functions"]:
    if any(name.endswith(reader) for name in fn["filenames"]) and fn["count"] == 0:
        missed.append("  never run: %s" % fn["name"])
print("%s: %d/%d branch outcomes covered, %d shown unreachable" % (sys.argv[3], covered, total, unreachable))
for m in missed:
    print(m)
sys.exit(0 if total and covered + unreachable == total and not missed else 1)
PY
