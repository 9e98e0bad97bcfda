#!/usr/bin/env bash
# Screenshots of Vellora on the sample library at each DPI given (default 96
# and 144), for looking at the layout: build/screens/dpi-N.png. Sets Wine's
# LogPixels in the build's prefix for each run and puts back 96 at the end.
# Run it after a build (tools/run.sh or cmake --build build).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
dpis=("$@")
[ ${#dpis[@]} -eq 0 ] && dpis=(96 144)
[ -f "$build/bin/Vellora.exe" ] || { echo "build Vellora first" >&2; exit 1; }
trap 'set_dpi 96; stop_all' EXIT
start_xvfb
start_wine
set_dpi() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
       /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
mkdir -p "$build/screens" "$build/sample"
sample="$build/sample/Sample.vlx"
rm -f "$sample"
"$here/tools/wine-exec.sh" "$build/bin/MakeSampleLibrary.exe" "$(winepath -w "$sample")"
for dpi in "${dpis[@]}"; do
  set_dpi "$dpi"
  # The outlook bar's width and the window's place come from the settings: start from none.
  wine reg delete 'HKCU\Software\Vellora' /f >/dev/null 2>&1 || true
  (cd "$build/bin" && wine explorer /desktop=Vellora,1260x880 Vellora.exe "$(winepath -w "$sample")" \
     >/dev/null 2>&1 &)
  sleep "${VELLORA_SHOT_DELAY:-10}"
  import -window root "$build/screens/dpi-$dpi.png" && echo "screenshot: $build/screens/dpi-$dpi.png"
  wineserver -k >/dev/null 2>&1 || true
done
