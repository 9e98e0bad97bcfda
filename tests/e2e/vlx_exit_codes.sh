#!/usr/bin/env bash
# vlx answers by its exit code.
# usage: vlx_exit_codes.sh WORKDIR WINE-EXEC MAKESAMPLE VLX [LIBRARY-WITH-PASSWORD-"whole"]
set -u
work=$1 run=$2 make=$3 vlx=$4 locked=${5:-}
rm -rf "$work" && mkdir -p "$work"
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$run")/.." && pwd)/build/wineprefix}
w() { winepath -w "$1"; }
lib="$work/sample.vlx"
"$run" "$make" "$(w "$lib")" >/dev/null || { echo "no sample"; exit 9; }
head -c $(( $(stat -c %s "$lib") / 2 )) "$lib" > "$work/cut.vlx"
printf 'typed line\nsecond line\n' > "$work/note.txt"
failed=0
expect() {  # expect CODE ARGS...
  local want=$1; shift
  "$run" "$vlx" "$@" > "$work/out.txt" 2>&1
  local got=$?
  if [ "$got" -ne "$want" ]; then
    echo "FAIL: vlx $* answered $got, expected $want"; sed 's/^/  /' "$work/out.txt"; failed=1
  fi
}
expect 1
expect 1 frobnicate "$(w "$lib")"
expect 1 export "$(w "$lib")" --pdf "$(w "$work/x")"
expect 0 check "$(w "$lib")"
expect 3 check "$(w "$work/cut.vlx")"
expect 2 check "$(w "$work/none.vlx")"
expect 0 list "$(w "$lib")"
expect 0 list "$(w "$lib")" "My Notes"
expect 4 list "$(w "$lib")" "No Such Folder"
expect 0 export "$(w "$lib")" --txt "$(w "$work/txt")"
expect 5 export "$(w "$lib")" --txt "$(w "$work/txt")"
expect 0 export "$(w "$lib")" --html "$(w "$work/all.html")" --folder "My Notes" --branch Projects/Archive
expect 4 export "$(w "$lib")" --md "$(w "$work/md")" --folder "My Notes" --branch Projects/Nothing
expect 2 export "$(w "$work/none.vlx")" --md "$(w "$work/md")"
[ -f "$work/txt/My Notes/Projects/Roadmap.txt" ] || { echo "FAIL: no Roadmap.txt"; failed=1; }
grep -q "Old ideas" "$work/all.html" && ! grep -q "Shopping" "$work/all.html" || { echo "FAIL: branch export"; failed=1; }
# import-text: a new note, then its text replaced; never into a damaged library.
expect 0 import-text "$(w "$lib")" "My Notes" "Projects/Typed" "$(w "$work/note.txt")"
expect 0 list "$(w "$lib")" "My Notes"
grep -q "Typed" "$work/out.txt" || { echo "FAIL: the new note is not listed"; failed=1; }
printf 'replaced text\n' > "$work/note.txt"
expect 0 import-text "$(w "$lib")" "My Notes" "Projects/Typed" "$(w "$work/note.txt")"
expect 0 export "$(w "$lib")" --txt "$(w "$work/after")" --folder "My Notes"
[ "$(cat "$work/after/My Notes/Projects/Typed.txt")" = "replaced text" ] || { echo "FAIL: replaced text"; cat "$work/after/My Notes/Projects/Typed.txt"; failed=1; }
expect 0 check "$(w "$lib")"
expect 4 import-text "$(w "$lib")" "My Notes" "Nowhere/Typed" "$(w "$work/note.txt")"
expect 4 import-text "$(w "$lib")" "Nope" "Typed" "$(w "$work/note.txt")"
cp "$work/cut.vlx" "$work/cut-before.vlx"
expect 3 import-text "$(w "$work/cut.vlx")" "My Notes" "Typed" "$(w "$work/note.txt")"
cmp -s "$work/cut.vlx" "$work/cut-before.vlx" || { echo "FAIL: a damaged library was written"; failed=1; }
# Protected branches come out only with their password.
"$run" "$make" "$(w "$work/protected.vlx")" --nodes 120 --protect >/dev/null || { echo "no protected sample"; exit 9; }
expect 0 export "$(w "$work/protected.vlx")" --txt "$(w "$work/closed")"
grep -q " 0 protected left out" "$work/out.txt" && { echo "FAIL: protected branches exported"; failed=1; }
expect 0 export "$(w "$work/protected.vlx")" --txt "$(w "$work/opened")" --password sample
grep -q " 0 protected left out" "$work/out.txt" || { echo "FAIL: the password opened nothing"; cat "$work/out.txt"; failed=1; }
# A library password keeps the library out of list, export and import-text.
if [ -n "$locked" ]; then
  cp "$locked" "$work/locked.vlx"
  expect 6 list "$(w "$work/locked.vlx")"
  expect 0 list "$(w "$work/locked.vlx")" --password whole
  expect 6 export "$(w "$work/locked.vlx")" --html "$(w "$work/locked.html")" --password wrong
  expect 0 export "$(w "$work/locked.vlx")" --html "$(w "$work/locked.html")" --password whole
  expect 6 import-text "$(w "$work/locked.vlx")" Notes Typed "$(w "$work/note.txt")"
  cmp -s "$locked" "$work/locked.vlx" || { echo "FAIL: a locked library was written"; failed=1; }
fi
[ $failed -eq 0 ] && echo "all exit codes as documented"
exit $failed
