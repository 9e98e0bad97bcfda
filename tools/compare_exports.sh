#!/usr/bin/env bash
# Exports a 10,000-node library to text and HTML with `vlx` and a CherryTree
# document of the same shape with CherryTree's own command line, one after
# the other in one run, and prints each wall time. Needs a build and
# `apt-get install cherrytree`.   tools/compare_exports.sh [NODES]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
nodes=${1:-10000}
command -v cherrytree >/dev/null || { echo "apt-get install cherrytree first" >&2; exit 1; }
trap stop_all EXIT
start_xvfb
start_wine
work=$(mktemp -d)
"$here/tools/wine-exec.sh" "$build/bin/MakeSampleLibrary.exe" "$(winepath -w "$work/sample.vlx")" --nodes "$nodes"
python3 "$here/tools/make_ctb.py" "$work/sample.ctb" "$nodes" >/dev/null
seconds() { local t0 t1; t0=$(date +%s.%N); "$@" >/dev/null 2>&1; t1=$(date +%s.%N); echo "$t1 - $t0" | bc; }
# Wine is started once before, so that its start-up is not counted.
wine cmd /c exit >/dev/null 2>&1
for round in 1 2; do
  rm -rf "$work"/out-*
  echo "round $round"
  echo "  cherrytree txt folder   $(seconds cherrytree "$work/sample.ctb" -t "$work/out-ct-txt" -w) s"
  echo "  cherrytree txt single   $(seconds cherrytree "$work/sample.ctb" -t "$work/out-ct-one" -w -s) s"
  echo "  cherrytree html folder  $(seconds cherrytree "$work/sample.ctb" -x "$work/out-ct-html" -w) s"
  for format in txt md html; do
    out="$work/out-vlx-$format"; [ "$format" = html ] && out="$out.html"
    echo "  vlx export --$format       $(seconds "$here/tools/wine-exec.sh" "$build/bin/vlx.exe" export \
         "$(winepath -w "$work/sample.vlx")" --$format "$(winepath -w "$out")") s"
  done
done
rm -rf "$work"
