# Shared by the run and test commands: build tree, Wine prefix, a private X display.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VELLORA_BUILD:-$here/build}"
export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: the prefix must come up without asking.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# The programs are 32-bit. A kernel without 32-bit emulation runs neither them
# nor 32-bit Wine; there the same sources are built and tested as 64-bit
# programs under 64-bit Wine (the bootstrap installs what that needs).
# The probe is the smallest 32-bit program there is: it exits with 42.
runs_32bit() {
  local probe
  probe=$(mktemp)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' > "$probe"
  chmod +x "$probe"
  local rc=0
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}
# When the bootstrap could not install 32-bit Wine (a package mirror without
# the i386 index, say), it leaves this mark and the 64-bit build is used.
no_wine32_mark="$build/.no-wine32"
# The choice is made again each time this file is read (the commands read it
# once more after the bootstrap); a VELLORA_ARCH set by the caller is kept.
if [ -z "${VELLORA_ARCH:-}" ] || [ -n "${vellora_arch_guessed:-}" ]; then
  vellora_arch_guessed=1
  if runs_32bit && [ ! -e "$no_wine32_mark" ]; then VELLORA_ARCH=i686; else VELLORA_ARCH=x86_64; fi
fi
export VELLORA_ARCH
if [ "$VELLORA_ARCH" = x86_64 ]; then
  # `wine`, and `winepath` through Debian's wine-stable, would pick the 32-bit
  # loader; these names lead to the 64-bit one instead.
  shim="$build/wine64-path"
  mkdir -p "$shim"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$shim/$name"
    chmod +x "$shim/$name"
  done
  export WINELOADER=/usr/lib/wine/wine64
  case ":$PATH:" in *":$shim:"*) ;; *) export PATH="$shim:$PATH" ;; esac
fi

xvfb_pid=""
started_wineserver=""
cups_pid=""

configure_and_build() {
  local tests="$1"
  local toolchain="$here/cmake/mingw-$VELLORA_ARCH.cmake"
  if [ "$VELLORA_ARCH" = x86_64 ]; then
    echo "build: 64-bit programs under 64-bit Wine (32-bit ones cannot run or be run here)" >&2
  fi
  # A build tree made for the other kind of program starts afresh.
  if [ -f "$build/CMakeCache.txt" ] && ! grep -q "mingw-$VELLORA_ARCH.cmake" "$build/CMakeCache.txt"; then
    rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
  fi
  cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
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

# A print scheduler of the build tree's own (never the system's): its
# configuration, spool and socket under $build/cups, one queue "VelloraPDF"
# made the default, whose PDF files land in $build/cups/pdf.
# The queue takes the PPD of Debian's cups-pdf driver; its backend turns the
# job's PostScript into PDF with Ghostscript, as cups-pdf does, but writes
# where this script says (cups-pdf's own output folder is fixed by
# /etc/cups/cups-pdf.conf and the user's home). Exports CUPS_SERVER to the
# socket, so Wine's printing sees this scheduler alone. A job's file is
# named <title>-job-<id>.pdf, the title's odd characters made "_". Without cupsd it
# says so and the print tests fail.
cups_root="$build/cups"
export VELLORA_PDF_DIR="$cups_root/pdf"
# cupsd and lpadmin live in /usr/sbin, which a user's PATH may lack.
cups_tool() { command -v "$1" 2>/dev/null || echo "/usr/sbin/$1"; }
cups_add_queue() {
  local lpadmin
  lpadmin=$(cups_tool lpadmin)
  "$lpadmin" -p VelloraPDF -E -v vellora-pdf:/ -P "$cups_root/VelloraPDF.ppd" -D "Vellora PDF" >/dev/null 2>&1 &&
    "$lpadmin" -d VelloraPDF >/dev/null 2>&1
}
start_cups() {
  local cupsd
  cupsd=$(cups_tool cupsd)
  if [ ! -x "$cupsd" ]; then
    echo "start_cups: no cupsd; printing tests will fail" >&2
    return 0
  fi
  stop_cups
  rm -rf "$cups_root"
  local etc="$cups_root/etc" bin="$cups_root/serverbin" d
  mkdir -p "$etc/ppd" "$etc/ssl" "$cups_root/spool/tmp" "$cups_root/cache" "$cups_root/state" "$cups_root/log" \
           "$bin/backend" "$VELLORA_PDF_DIR"
  # Filters run as lp when the scheduler runs as root: they must reach the spool.
  chmod 0755 "$cups_root" "$cups_root/spool"
  chmod 1777 "$cups_root/spool/tmp"
  for d in filter daemon cgi-bin notifier monitor driver; do
    if [ -e "/usr/lib/cups/$d" ]; then ln -s "/usr/lib/cups/$d" "$bin/$d"; fi
  done
  cat > "$bin/backend/vellora-pdf" <<BACKEND
#!/bin/sh
# job-id user title copies options [file]; without arguments it names its device.
[ \$# -eq 0 ] && { echo 'direct vellora-pdf "Vellora PDF" "Vellora PDF writer"'; exit 0; }
# Named after the job's title, so that a test finds its own document.
title=\$(printf '%s' "\$3" | tr -c 'A-Za-z0-9._-' '_' | cut -c1-60)
out="$VELLORA_PDF_DIR/\$title-job-\$1.pdf"
in="\${6:--}"
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile="\$out.part" "\$in" >&2 || exit 1
chmod 0644 "\$out.part" && mv "\$out.part" "\$out"
BACKEND
  chmod 0700 "$bin/backend/vellora-pdf"
  cp /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd "$cups_root/VelloraPDF.ppd" 2>/dev/null ||
    zcat /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd.gz > "$cups_root/VelloraPDF.ppd" 2>/dev/null || true
  cat > "$etc/cups-files.conf" <<FILES
ServerRoot $etc
ServerBin $bin
DataDir /usr/share/cups
RequestRoot $cups_root/spool
TempDir $cups_root/spool/tmp
CacheDir $cups_root/cache
StateDir $cups_root/state
ServerKeychain $etc/ssl
AccessLog $cups_root/log/access_log
ErrorLog $cups_root/log/error_log
PageLog $cups_root/log/page_log
FileDevice No
FILES
  cat > "$etc/cupsd.conf" <<CONF
Listen $cups_root/cups.sock
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
DefaultPolicy open
<Policy open>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
<Location />
  Order allow,deny
  Allow all
</Location>
CONF
  export CUPS_SERVER="$cups_root/cups.sock"
  "$cupsd" -f -c "$etc/cupsd.conf" -s "$etc/cups-files.conf" </dev/null >/dev/null 2>&1 &
  cups_pid=$!
  local _
  for _ in $(seq 1 100); do
    LC_ALL=C lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.1
  done
  cups_add_queue || echo "start_cups: the queue VelloraPDF could not be made (see $cups_root/log)" >&2
}

stop_cups() {
  if [ -n "$cups_pid" ]; then
    kill "$cups_pid" >/dev/null 2>&1 || true
    wait "$cups_pid" 2>/dev/null || true
    cups_pid=""
  fi
}

stop_all() {
  stop_cups
  if [ -n "$started_wineserver" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" >/dev/null 2>&1 || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
