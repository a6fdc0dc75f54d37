#!/usr/bin/env bash
# Installs, with apt, only the Debian packages this project needs that are missing.
set -euo pipefail
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
          nlohmann-json3-dev python3-pandas librsvg2-bin libxml2-utils pkg-config
          libcpp-httplib-dev chromium chromium-driver python3-selenium
          pybind11-dev python3-pybind11 python3-dev python3-pytest python3-dask python3-distributed
          python3-setuptools python3-pip clang-format "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
