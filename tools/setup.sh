#!/usr/bin/env bash
# Installs every Debian package needed to build, test, benchmark, fuzz and
# package the project (dpkg-dev and file: cpack's dependency computation;
# the formats' own encoders and reference decoders and a Debian wallpaper:
# the decoders' tests; libjpeg-turbo's djpeg and cjpeg: bench/speed.sh's
# floor and large pictures).
# Safe to run again: apt-get skips what is already installed. Needs root (or sudo).
set -euo pipefail

packages=(
  g++ cmake make ninja-build pkg-config
  flex bison
  zlib1g-dev libpng-dev libjpeg-dev libgif-dev
  libwebp-dev libheif-dev libavif-dev libjxl-dev liblcms2-dev libexif-dev
  webp libheif-examples libavif-bin libjxl-tools desktop-base
  colord-data icc-profiles-free libgs-common
  libgtest-dev libbenchmark-dev
  clang libclang-rt-dev
  gzip valgrind libjpeg-turbo-progs
  dpkg-dev file
  libcpp-httplib-dev chromium chromium-driver python3-selenium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
