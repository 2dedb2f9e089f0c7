#!/usr/bin/env bash
# Installs the Debian 12 packages the workbench needs to build, test and run.
# Does nothing when they are all present; safe to run again. Further packages may be named as
# arguments (the fuzz targets' script adds its own this way).
set -euo pipefail
packages=(cmake g++ make git clang-format qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev libpng-dev libtiff-dev locales pybind11-dev python3-dev python3-numpy "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
