# Shared by the run and test commands: build tree, Wine prefix, a private X display.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VELLORA_BUILD:-$here/build}"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: the prefix must come up without asking.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

xvfb_pid=""
started_wineserver=""

configure_and_build() {
  local tests="$1"
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
        -DVELLORA_TESTS="$tests" >/dev/null
  cmake --build "$build" -j"$(nproc)"
}

# Starts Xvfb on the first free display number and exports DISPLAY. Key
# repeat waits 30 s: on a loaded machine a typed key's release can come late,
# and the server would otherwise repeat the key into the window under test.
start_xvfb() {
  local n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp -ardelay 30000 -arinterval 30000 >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.1
  done
  export DISPLAY=":$n"
}

start_wine() {
  mkdir -p "$WINEPREFIX"
  started_wineserver=1
  # The first run lays the prefix down; later runs find it ready.
  wine cmd /c exit >/dev/null 2>&1 || true
  # Wine's own fonts (Debian's fonts-wine) are not looked up where the
  # package puts them; in the prefix's font folder they are. Marlett draws the
  # caption buttons, which show the letters "0 1 r" without it.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$fonts/" 2>/dev/null || true
  fi
}

stop_all() {
  if [ -n "$started_wineserver" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" >/dev/null 2>&1 || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
