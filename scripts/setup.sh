#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  qt6-base-dev libgl-dev qt6-svg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgmp-dev libmpfr-dev  # the reference the exact arithmetic is tested against
  clang-format git  # make format-check
  fontconfig fonts-liberation fonts-dejavu-core
  xvfb xauth
  desktop-file-utils appstream man-db dpkg-dev file
  librsvg2-bin libxml2-utils  # the plot tests parse and render the SVG
  clang libfuzzer-14-dev      # make fuzz
  time  # bench/scale.sh
  nlohmann-json3-dev  # velmora-batch --json
  python3  # reads the --json document back in its test
  libboost-math-dev  # Student's t and the noncentral t of the paired block (header-only)
  libreadstat-dev  # SPSS, Stata and SAS data files
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
