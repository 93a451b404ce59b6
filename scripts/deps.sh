#!/usr/bin/env bash
# Installs the Debian 12 packages Orvane needs to build, run and test.
# Safe to re-run: only missing packages are installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev qt6-multimedia-dev
  libtiff-dev libjpeg62-turbo-dev libwmf-dev libemf2svg-dev libexpat1-dev libzstd-dev
  libpng-dev libwebp-dev liblcms2-dev
  fonts-dejavu-core fonts-urw-base35 libgtest-dev  # libwmf draws metafile text with the URW fonts
  libbenchmark-dev  # the benchmarks are built with the tests, so they keep compiling
  clang libclang-rt-14-dev
  xvfb xauth
  desktop-file-utils appstream dpkg-dev file  # scripts/check-install.sh: validators, cpack -G DEB
)
if [ "${1:-}" = "--bench" ]; then packages+=(libopencv-dev libjpeg-turbo-progs); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
