#!/usr/bin/env bash
# Prints on the tests' queue (tools/common.sh start_cups) a three-page note, a
# list view and a job whose second page fails, then reads the PDF files the
# queue wrote: three pages, one page, and none for the failed job; page 1 of
# the note, rendered, has its text inside the margins (0.4 inch left and top,
# 0.3 inch at the bottom).
set -u
wine_exec="$1"
tests="$2"
dir="${VELLORA_PDF_DIR:-}"
[ -n "$dir" ] && [ -d "$dir" ] || { echo "the tests' print queue is not running (start_cups)"; exit 1; }
rm -f "$dir"/VelloraCheck* "$dir"/check-page*
VELLORA_PDF_CHECK=1 "$wine_exec" "$tests" --gtest_filter=PrintQueue.JobsForThePdfChecker || exit 1

pdf_of() {
  local _ file
  for _ in $(seq 1 300); do
    file=$(ls "$dir"/"$1"-job-*.pdf 2>/dev/null | head -1)
    [ -n "$file" ] && { echo "$file"; return 0; }
    sleep 0.1
  done
  return 1
}
pages() { pdfinfo "$1" | awk '/^Pages:/ {print $2}'; }

note=$(pdf_of VelloraCheckNote) || { echo "the note's PDF never came"; exit 1; }
list=$(pdf_of VelloraCheckList) || { echo "the list's PDF never came"; exit 1; }
echo "note: $(pages "$note") pages, list: $(pages "$list") pages"
[ "$(pages "$note")" = 3 ] || { echo "the note printed $(pages "$note") pages, not 3"; exit 1; }
[ "$(pages "$list")" = 1 ] || { echo "the list printed $(pages "$list") pages, not 1"; exit 1; }
# The list was sent after the failed job: had that one reached the queue, it would be there by now.
if ls "$dir"/VelloraCheckFailed-job-*.pdf >/dev/null 2>&1; then echo "the failed job was printed"; exit 1; fi

# Page 1 of a PDF at 72 dots a point: where its ink lies. 0.4 inch is 28.8 dots.
ink() {
  rm -f "$dir"/check-page*
  pdftoppm -f 1 -l 1 -r 72 -gray "$1" "$dir/check-page" || return 1
  python3 - "$(ls "$dir"/check-page*.pgm | head -1)" "$2" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
# P5 <width> <height> <max>, then one byte a pixel.
fields, at = [], 0
while len(fields) < 4:
    while data[at:at + 1].isspace(): at += 1
    start = at
    while not data[at:at + 1].isspace(): at += 1
    fields.append(data[start:at])
width, height = int(fields[1]), int(fields[2])
pixels = data[at + 1:]
dark = [(i % width, i // width) for i, v in enumerate(pixels) if v < 160]
if not dark:
    sys.exit(sys.argv[2] + ": page 1 is blank")
left, top = min(x for x, _ in dark), min(y for _, y in dark)
right, bottom = max(x for x, _ in dark), max(y for _, y in dark)
print(f"{sys.argv[2]}: page 1 ({width}x{height}) has ink from ({left},{top}) to ({right},{bottom})")
ok = 28 <= left <= 40 and 28 <= top <= 45 and bottom <= height - 21
if sys.argv[2] == "list":
    # Drawn at its size on screen ("row of the list" is some 65 pixels: 49 dots, not 16 in the printer's).
    ok = ok and right - left >= 35
sys.exit(0 if ok else sys.argv[2] + ": not inside the margins at its size")
PY
}
ink "$note" note || exit 1
ink "$list" list || exit 1

# A branch of three notes (one page, two pages, an empty one: its heading's
# page) with a protected one left out: four pages, the headings and footers
# on them; the job cancelled after two pages never came out.
VELLORA_PDF_CHECK=1 "$wine_exec" "$tests" --gtest_filter=BranchPrint.JobsForThePdfChecker || exit 1
branch=$(pdf_of VelloraCheckBranch) || { echo "the branch's PDF never came"; exit 1; }
echo "branch: $(pages "$branch") pages"
[ "$(pages "$branch")" = 4 ] || { echo "the branch printed $(pages "$branch") pages, not 4"; exit 1; }
if command -v pdftotext >/dev/null; then
  for page in 1 2 3 4; do
    text=$(pdftotext -f $page -l $page -layout "$branch" - 2>/dev/null)
    title=$(case $page in 1) echo Packing;; 2|3) echo Route;; 4) echo Empty;; esac)
    echo "$text" | grep -q "$title — page $page" || { echo "page $page has no footer \"$title — page $page\""; exit 1; }
    if [ $page != 3 ]; then
      [ "$(echo "$text" | grep -c "^ *$title *$")" -ge 1 ] || { echo "page $page has no heading $title"; exit 1; }
    fi
  done
  pdftotext "$branch" - | grep -q secret && { echo "the protected note was printed"; exit 1; }
else
  ink "$branch" branch || exit 1
fi
# The cancelled job was sent after the branch: given the time the branch took, it would be there by now.
sleep 2
if ls "$dir"/VelloraCheckCancelled-job-*.pdf >/dev/null 2>&1; then echo "the cancelled job was printed"; exit 1; fi
echo "branch checks passed"

# A printer taken away while a program holds it: a queue of its own, opened
# by the test, removed from the scheduler before the job is sent. The job is
# said to be refused by the printer (not printed, no page failed), and nothing
# comes out.
lpadmin=$(command -v lpadmin || echo /usr/sbin/lpadmin)
ppd="$(dirname "$dir")/VelloraPDF.ppd"
signals=$(mktemp -d)
trap '"$lpadmin" -x VelloraGone >/dev/null 2>&1; rm -rf "$signals"' EXIT
"$lpadmin" -p VelloraGone -E -v vellora-pdf:/ -P "$ppd" -D "Vellora gone" || { echo "the queue VelloraGone could not be made"; exit 1; }
VELLORA_PDF_CHECK=1 VELLORA_GONE_PRINTER=VelloraGone VELLORA_GONE_SIGNALS="Z:$(printf '%s' "$signals" | tr / '\\')" \
  "$wine_exec" "$tests" --gtest_filter=PrintQueue.APrinterTakenAwayForTheChecker &
job=$!
for _ in $(seq 1 600); do [ -e "$signals/opened" ] && break; kill -0 $job 2>/dev/null || break; sleep 0.1; done
[ -e "$signals/opened" ] || { wait $job; echo "the test never opened the printer"; exit 1; }
"$lpadmin" -x VelloraGone || { echo "the queue VelloraGone could not be removed"; exit 1; }
touch "$signals/removed"
wait $job || { echo "the job on the printer taken away was not said to be refused, or the test failed"; exit 1; }
sleep 2
if ls "$dir"/VelloraCheckGone-job-*.pdf >/dev/null 2>&1; then echo "the job on the removed printer came out"; exit 1; fi
echo "printer-taken-away check passed"
