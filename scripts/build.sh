#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh FOLDER [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$1
shift
cmake -S . -B "$folder" -G Ninja "$@" >/dev/null
cmake --build "$folder" -j "$(nproc)"
# As root, the Python module goes where the interpreters find it; otherwise it is used from the
# build folder: PYTHONPATH=$folder/python /usr/bin/python3
if [ "$(id -u)" -eq 0 ]; then
    bash scripts/install-python.sh "$folder"
elif [ -f "$folder/python/vandrel/__init__.py" ]; then
    echo "Python module built: PYTHONPATH=$folder/python /usr/bin/python3 -c 'import vandrel'"
fi
