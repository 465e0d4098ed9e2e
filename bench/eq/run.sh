#!/usr/bin/env bash
# Builds the equalizer benchmarks and prints one table: time per equalizer
# block for the Windows build under Wine (AVX2, SSE and scalar kernels, as
# far as the processor has them), for a native build, and FFTW doing the
# same transforms and gains natively.
# Builds go to $MELODEK_BUILD_ROOT/native and /win or /win64 (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
native="$build_root/native"
# shellcheck source=../../scripts/flavour.sh
source "$root/scripts/flavour.sh"
melodek_bench_flavour "$root" "$build_root"
win="$MELODEK_FLAVOUR_BUILD"

configure() {  # <dir> <cmake args>...
  local dir=$1
  shift
  [ -f "$dir/CMakeCache.txt" ] || cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
}
configure "$native" -DCMAKE_BUILD_TYPE=Release
targets=(eq_bench)
# grep reads the whole list: with -q it would stop early and fail the pipe
# (SIGPIPE), and the FFTW line would come from a stale build or not at all.
if cmake --build "$native" --target help | grep '^eq_fftw_bench' >/dev/null; then targets+=(eq_fftw_bench); fi
cmake --build "$native" --target "${targets[@]}" >/dev/null
cmake --build "$win" --target eq_bench >/dev/null

native_out="$native/eq_bench.txt"
"$native/bench/eq/eq_bench" > "$native_out"
fftw_us=""
packed_us=""
if [ -x "$native/bench/eq/eq_fftw_bench" ]; then
  fftw_out=$("$native/bench/eq/eq_fftw_bench")
  fftw_us=$(awk '$1 == "fftw" {print $2}' <<<"$fftw_out")
  packed_us=$(awk '$1 == "fftw-packed" {print $2}' <<<"$fftw_out")
fi

export MELODEK_BUILD="$win"
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"
melodek_wine_up
trap melodek_wine_down EXIT
win_out="$win/eq_bench.txt"
wine "$win/bench/eq/eq_bench.exe" > "$win_out" 2>/dev/null </dev/null
melodek_wine_down
trap - EXIT

printf '%-20s %-7s %10s %10s %12s %10s\n' build kernel block_us core_us realtime_x core/fftw
emit() {  # <label> <file>
  tr -d '\r' < "$2" | awk -v label="$1" -v fftw="$fftw_us" 'NR > 1 {
    ratio = fftw == "" ? "-" : sprintf("%.2f", $3 / fftw)
    printf "%-20s %-7s %10.1f %10.1f %12.0f %10s\n", label, $1, $2, $3, $4, ratio }'
}
emit "$([ "$MELODEK_FLAVOUR" = win ] && echo i686 || echo x86_64) Windows (Wine)" "$win_out"
emit "native x86-64" "$native_out"
if [ -n "$fftw_us" ]; then
  printf '%-20s %-7s %10s %10.1f %12s %10s\n' "native FFTW" fftw - "$fftw_us" - 1.00
  printf '%-20s %-7s %10s %10.1f %12s %10s\n' "native FFTW" packed - "$packed_us" - \
    "$(awk -v a="$packed_us" -v b="$fftw_us" 'BEGIN { printf "%.2f", a / b }')"
fi
echo "kernel: * marks the one the program picks on this processor"
echo "block_us: ProcessEqBlock (ring read, forward, gains, inverse, scaling, cross-fade)"
echo "core_us: forward + gains + inverse for both channels (one complex transform"
echo "  of left + i right); fftw: FFTW's two channel transforms doing the same"
echo "  filtering, the yardstick of core/fftw; packed: FFTW on the same"
echo "  one-transform arrangement as the equalizer, for reference"
echo "realtime_x: 8064 frames of 44100 Hz audio per block / block_us"
