#!/usr/bin/env bash
# Sets up, builds and starts the program on its default system.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
if [ -x build/vandrel-pro ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found. To run the window on a virtual display:"
        echo "  xvfb-run -a -s '-screen 0 1280x800x24' build/vandrel-pro"
        echo "Meanwhile, the default system as the headless tool sees it:"
        exec build/vandrel-cli info
    fi
    exec build/vandrel-pro
fi
exec build/vandrel-cli info
