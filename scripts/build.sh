#!/usr/bin/env bash
# Configures and builds Melodek.  Usage: build.sh [win|win64|asan|tsan|fuzz|native]...
# MELODEK_BUILD_ROOT moves the build folders (default: build/ in the tree).
# Folders: build/win (32-bit melodek.exe, plug-ins, Windows tests), build/win64
# (the same for 64-bit Windows), build/asan,
# build/tsan (native portable core with sanitizers), build/fuzz.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
[ $# -gt 0 ] || set -- win
for kind in "$@"; do
  dir="$build_root/$kind"
  case "$kind" in
    win)  args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    asan) args=(-DMELODEK_SANITIZE=address -DCMAKE_BUILD_TYPE=Debug -DMELODEK_BENCH=OFF) ;;
    tsan) args=(-DMELODEK_SANITIZE=thread -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMELODEK_BENCH=OFF) ;;
    fuzz) args=(-DMELODEK_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMELODEK_BENCH=OFF) ;;
    native) args=(-DCMAKE_BUILD_TYPE=Release) ;;
    *) echo "build.sh: unknown build '$kind'" >&2; exit 2 ;;
  esac
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "${args[@]}" >/dev/null
  fi
  cmake --build "$dir" -j "$jobs"
done
