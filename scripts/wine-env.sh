# Wine environment for running Melodek and its Windows-side tests.
# Source it, then call melodek_wine_up; melodek_wine_down stops only what
# melodek_wine_up started.
#   MELODEK_BUILD   build folder (the prefix lives in $MELODEK_BUILD/wineprefix)
#   MELODEK_CAPTURE file that receives the played sound (ALSA file device)
# A 64-bit build (build/win64) runs under Wine's 64-bit loader in a 64-bit
# prefix of its own, so it also runs where 32-bit programs cannot.

: "${MELODEK_BUILD:?MELODEK_BUILD must name the Windows build folder}"
export WINEPREFIX="$MELODEK_BUILD/wineprefix"
if grep -q '^CMAKE_TOOLCHAIN_FILE:.*mingw-x86_64' "$MELODEK_BUILD/CMakeCache.txt" 2>/dev/null; then
  # Debian's wine, wine-stable and the tools that call them (wineboot,
  # winepath) pick the 32-bit loader whenever its file exists; these
  # wrappers, first in PATH, start the 64-bit loader instead.
  melodek_wine_bin="$MELODEK_BUILD/wine-bin"
  mkdir -p "$melodek_wine_bin"
  for melodek_tool in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$melodek_wine_bin/$melodek_tool"
    chmod +x "$melodek_wine_bin/$melodek_tool"
  done
  unset melodek_tool
  case ":$PATH:" in *":$melodek_wine_bin:"*) ;; *) export PATH="$melodek_wine_bin:$PATH" ;; esac
  export WINELOADER=/usr/lib/wine/wine64
  export WINEARCH=win64
fi
export WINEDEBUG=-all
# Wine names files on the Unix side in the locale's character set: UTF-8, so
# that file names in any script reach the disk as they are.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in
  *UTF-8* | *utf8* | *UTF8* | *utf-8*) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac
# No Mono or Gecko installer prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export MELODEK_CAPTURE="${MELODEK_CAPTURE:-$MELODEK_BUILD/capture.raw}"
MELODEK_XVFB_PID=""

# ALSA's file device writes what is played into <capture file>. With
# "truncate false" every opening of the device starts a new file
# (<capture>.0001, ...), so nothing played is overwritten; by default each
# opening starts the file afresh.
melodek_write_alsa_conf() {  # <conf file> <capture file> [keep-all]
  local truncate=""
  [ "${3:-}" = keep-all ] && truncate="  truncate false"
  cat > "$1" <<CONF
pcm.!default {
  type file
  slave.pcm { type null }
  file "$2"
  format "raw"
$truncate
}
CONF
}

melodek_wine_up() {
  if [ -z "${DISPLAY:-}" ]; then
    local n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    # A session of its own: Ctrl+C in the terminal must not end the display
    # before the programs on it have ended.
    setsid Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    MELODEK_XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
  fi
  # A wineserver that started without DISPLAY has no display driver: restart it.
  wineserver -k >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
  fi
  wineserver -w >/dev/null 2>&1 || true
  # One server for the whole run: by default it ends as soon as its last
  # client has, and a test starting at that moment loses its connection
  # ("recvmsg: Connection reset by peer"). Only melodek_wine_down ends it.
  wineserver -p >/dev/null 2>&1 || true
  # The prefix's services (services.exe, winedevice, rpcss, ...) start with
  # the first Wine program and then live as long as the server: start them
  # here, so that they do not inherit a test's output pipe (CTest would wait
  # for its end forever).
  wine cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
  melodek_write_alsa_conf "$MELODEK_BUILD/asound.conf" "$MELODEK_CAPTURE"
  export ALSA_CONFIG_PATH="$MELODEK_BUILD/asound.conf"
}

melodek_wine_down() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$MELODEK_XVFB_PID" ]; then
    kill "$MELODEK_XVFB_PID" >/dev/null 2>&1 || true
    wait "$MELODEK_XVFB_PID" 2>/dev/null || true
    MELODEK_XVFB_PID=""
  fi
}
