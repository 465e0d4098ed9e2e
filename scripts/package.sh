#!/usr/bin/env bash
# Builds the release flavours and writes the downloads:
#   dist/melodek-<version>-win32.zip and dist/melodek-<version>-win64.zip
#   dist/melodek-<version>-win32-setup.exe and -win64-setup.exe (NSIS)
# Usage: package.sh [--no-build] [--out DIR] [win|win64]...
# (--no-build packs what build/ holds; the version is the CMake project's.)
# Prints the path of each download written, the zip before the setup.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${MELODEK_BUILD_ROOT:-$root/build}
out="$root/dist"
build=1
flavours=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0 ;;
    --out) out=$2; shift ;;
    win|win64) flavours+=("$1") ;;
    *) echo "package.sh: unknown argument '$1'" >&2; exit 2 ;;
  esac
  shift
done
[ ${#flavours[@]} -gt 0 ] || flavours=(win win64)
if [ "$build" = 1 ]; then
  "$root/scripts/setup.sh"
  "$root/scripts/build.sh" "${flavours[@]}"
fi
for flavour in "${flavours[@]}"; do
  dir="$build_root/$flavour"
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
  if [ "$flavour" = win ]; then bits=32; strip=i686-w64-mingw32-strip; else bits=64; strip=x86_64-w64-mingw32-strip; fi
  zip="$out/melodek-$version-win$bits.zip"
  stage="$dir/package-stage"
  python3 "$root/tools/package/make_zip.py" --stage "$stage" "$zip" "$dir/melodek" "$bits" "$version" \
    "$root/tools/package/README.txt" "$root/LICENSE" "$strip"
  echo "$zip"
  # The setup packs the same files as the zip.
  setup="$out/melodek-$version-win$bits-setup.exe"
  makensis -V2 -NOCD -DVERSION="$version" -DBITS="$bits" -DSTAGE="$stage" -DICON="$dir/app/melodek.ico" \
    -DOUTFILE="$setup" "$root/tools/package/melodek.nsi" >&2
  echo "$setup"
done
