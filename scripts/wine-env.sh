# Wine environment for running Melodek and its Windows-side tests.
# Source it, then call melodek_wine_up; melodek_wine_down stops only what
# melodek_wine_up started.
#   MELODEK_BUILD   build folder (the prefix lives in $MELODEK_BUILD/wineprefix)
#   MELODEK_CAPTURE file that receives the played sound (ALSA file device)

: "${MELODEK_BUILD:?MELODEK_BUILD must name the Windows build folder}"
export WINEPREFIX="$MELODEK_BUILD/wineprefix"
export WINEDEBUG=-all
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
