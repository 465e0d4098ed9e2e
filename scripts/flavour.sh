# Chooses the Windows flavour that this machine runs: the 32-bit build
# (build/win, the program Windows users get) where Wine runs 32-bit programs,
# else the 64-bit build (build/win64). Some kernels have their 32-bit
# emulation switched off; there Wine's 32-bit loader fails with "Exec format
# error". Source it, then call melodek_choose_flavour with the build root
# (both flavours built); it sets MELODEK_FLAVOUR (win or win64) and
# MELODEK_FLAVOUR_REASON. MELODEK_FLAVOUR=win or win64 set beforehand forces it.

melodek_choose_flavour() {  # <build root>
  local build_root=$1
  case "${MELODEK_FLAVOUR:-}" in
    win|win64)
      MELODEK_FLAVOUR_REASON="chosen by MELODEK_FLAVOUR"
      return 0 ;;
    "") ;;
    *) echo "MELODEK_FLAVOUR must be win or win64, not '$MELODEK_FLAVOUR'" >&2; return 2 ;;
  esac
  local probe="$build_root/win/tools/arch_probe/arch_probe.exe"
  local log="$build_root/win/arch_probe.log"
  mkdir -p "$build_root/win"
  # A fresh prefix is made on the way (the 32-bit tests need it anyway).
  if [ -x /usr/lib/wine/wine ] && [ -f "$probe" ] &&
     WINEPREFIX="$build_root/win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
       timeout 180 /usr/lib/wine/wine "$probe" >"$log" 2>&1 </dev/null &&
     grep -q "32-bit" "$log"; then
    MELODEK_FLAVOUR=win
    MELODEK_FLAVOUR_REASON="Wine runs 32-bit programs here"
  else
    MELODEK_FLAVOUR=win64
    MELODEK_FLAVOUR_REASON="Wine cannot run 32-bit programs here ($(head -c 200 "$log" 2>/dev/null | tr '\n\r' '  ' | sed 's/ *$//'))"
  fi
  # The probe's server must not outlive it: the tests start their own.
  WINEPREFIX="$build_root/win/wineprefix" wineserver -k >/dev/null 2>&1 || true
  export MELODEK_FLAVOUR MELODEK_FLAVOUR_REASON
}

# For the benchmarks: chooses the flavour (once; bench/run.sh exports it for
# the scripts it runs), builds it if it is missing, prints which one is
# measured and sets MELODEK_FLAVOUR_BUILD to its build folder.
melodek_bench_flavour() {  # <project root> <build root>
  local root=$1 build_root=$2
  if [ -z "${MELODEK_FLAVOUR:-}" ]; then
    [ -f "$build_root/win/tools/arch_probe/arch_probe.exe" ] || "$root/scripts/build.sh" win >/dev/null 2>&1 || true
  fi
  melodek_choose_flavour "$build_root" || return
  MELODEK_FLAVOUR_BUILD="$build_root/$MELODEK_FLAVOUR"
  [ -f "$MELODEK_FLAVOUR_BUILD/CMakeCache.txt" ] || "$root/scripts/build.sh" "$MELODEK_FLAVOUR" >/dev/null 2>&1 || true
  echo "Measured: the $([ "$MELODEK_FLAVOUR" = win ] && echo 32 || echo 64)-bit Windows flavour (build/$MELODEK_FLAVOUR): $MELODEK_FLAVOUR_REASON."
}

# For a benchmark of the Windows build: the flavour as above, then `targets`
# built in it (a build folder configured before the first target existed is
# configured again). Sets MELODEK_FLAVOUR_BUILD.
melodek_bench_build() {  # <project root> <build root> <target>...
  local root=$1 build_root=$2
  shift 2
  melodek_bench_flavour "$root" "$build_root" || return
  # grep reads the whole list: with -q it would stop early and fail the pipe (SIGPIPE).
  cmake --build "$MELODEK_FLAVOUR_BUILD" --target help | grep "^$1" >/dev/null || cmake "$MELODEK_FLAVOUR_BUILD" >/dev/null
  cmake --build "$MELODEK_FLAVOUR_BUILD" --target "$@" >/dev/null
}
