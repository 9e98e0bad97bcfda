#!/usr/bin/env bash
# Builds Vellora and starts it under Wine on a sample library. Without a
# display it runs under Xvfb and saves a screenshot to build/screenshot.png.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
bash "$here/tools/bootstrap.sh"
# The bootstrap may have had to fall back to the 64-bit build.
source "$here/tools/common.sh"
configure_and_build OFF
trap stop_all EXIT
headless=""
if [ -z "${DISPLAY:-}" ]; then headless=1; start_xvfb; fi
start_wine
# The collector beside the program, registered in this prefix so that it can be tried.
if [ -f "$build/bin/LibraneCollector.dll" ]; then
  wine regsvr32 /s "$(winepath -w "$build/bin/LibraneCollector.dll")" >/dev/null 2>&1 \
    && echo "registered: $build/bin/LibraneCollector.dll" || echo "could not register LibraneCollector.dll" >&2
fi
sample="$build/sample/Sample.vlx"
mkdir -p "$build/sample"
rm -f "$sample"
"$here/tools/wine-exec.sh" "$build/bin/MakeSampleLibrary.exe" "$(winepath -w "$sample")"
if [ -x "$build/bin/Vellora.exe" ] || [ -f "$build/bin/Vellora.exe" ]; then
  if [ -n "$headless" ]; then
    # A Wine desktop window gives the program its title bar under a bare X server.
    (cd "$build/bin" && wine explorer /desktop=Vellora,1100x720 Vellora.exe "$(winepath -w "$sample")" \
       >/dev/null 2>&1 &)
    sleep "${VELLORA_SHOT_DELAY:-8}"
    import -window root "$build/screenshot.png" && echo "screenshot: $build/screenshot.png"
  else
    cd "$build/bin" && wine Vellora.exe "$(winepath -w "$sample")"
  fi
else
  # Until the main window exists, show what the sample library holds.
  /usr/bin/python3 "$here/tools/show_library.py" "$sample"
fi
