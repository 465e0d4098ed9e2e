#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Melodek.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build python3 clang libclang-rt-14-dev
  googletest libfftw3-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine32:i386 wine64 xvfb x11-utils x11-apps imagemagick
  sox alsa-utils lame flac ffmpeg
  # Test-only: the reference loudness meter and a tag tool that writes ID3v2 TXXX frames.
  libebur128-dev python3-mutagen
  # The Windows setups are built with NSIS (its package carries the 32-bit and 64-bit stubs).
  nsis
  # Media Foundation decodes through GStreamer: each Wine flavour needs its own architecture's plug-ins.
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386 gstreamer1.0-plugins-ugly:i386 gstreamer1.0-libav:i386
  gstreamer1.0-plugins-base:amd64 gstreamer1.0-plugins-good:amd64 gstreamer1.0-plugins-ugly:amd64 gstreamer1.0-libav:amd64
)

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# Another package manager (an unattended upgrade, a second setup) may hold the lock: wait for it.
apt_wait=(-o DPkg::Lock::Timeout=600)
sudo_if_needed apt-get "${apt_wait[@]}" update -q >/dev/null
sudo_if_needed apt-get "${apt_wait[@]}" install -y -q --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
