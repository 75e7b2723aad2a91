#!/usr/bin/env bash
# Replays a fuzz corpus through the sanitizer-free build of the header
# reader's fuzz target and counts the edges of the reader's own functions
# (src/search/header.cpp and src/search/container.cpp) it reached. Fails when one is missed, unless its
# source line says "fuzz: unreachable" (and why) in a comment.
# Usage: fuzz-coverage.sh HEADER_FUZZ_COVERAGE CORPUS_DIR...
set -uo pipefail
binary=$1
shift
"$binary" -runs=0 -print_coverage=1 "$@" 2>&1 | /usr/bin/python3 -c '
import re, sys
covered = total = 0
missed = []
unreachable = 0
inside = False
sources = {}
for line in sys.stdin:
    m = re.match(r"\s*(UN)?COVERED_FUNC: hits: \d+ edges: (\d+)/(\d+) (.*) (\S+):\d+$", line)
    if m:
        inside = m.group(5).endswith(("src/search/header.cpp", "src/search/container.cpp"))
        if inside:
            covered += int(m.group(2))
            total += int(m.group(3))
            if m.group(2) != m.group(3):
                missed.append("%s/%s %s" % (m.group(2), m.group(3), m.group(4)))
    elif inside and "UNCOVERED_PC" in line:
        path, number = line.split()[-1].rsplit(":", 1)
        if path not in sources:
            sources[path] = open(path, encoding="utf-8").read().split("\n")
        text = sources[path][int(number) - 1] if int(number) > 0 else ""
        if "fuzz: unreachable" in text:
            unreachable += 1
        else:
            missed.append("  missed: " + line.split()[-1] + "  " + text.strip())
print("header reader: %d/%d edges covered, %d shown unreachable" % (covered, total, unreachable))
for m in missed:
    print(m)
sys.exit(0 if total and covered + unreachable == total else 1)
'
