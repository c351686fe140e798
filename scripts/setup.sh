#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need (as root, or through
# sudo). Packages already installed are not fetched again.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libgtest-dev
          libgmock-dev libbenchmark-dev libgif-dev libcfitsio-dev libceres-dev libeigen3-dev
          fonts-dejavu-core xvfb xauth
          python3-dev pybind11-dev python3-numpy python3-distributed python3-tqdm
          python3-pytest python3-pytest-benchmark python3-matplotlib python3-pandas)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root=()
    [ "$(id -u)" -ne 0 ] && as_root=(sudo)
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
