#!/usr/bin/env bash
# Installs the Python package vandrel of a build folder where the interpreters find it, so
# that "import vandrel" works without PYTHONPATH: scripts/install-python.sh FOLDER
#  - for Debian's /usr/bin/python3 (which has numpy and dask): into its site folder,
#    /usr/local/lib/python3.X/dist-packages;
#  - for the python3 first on PATH, when that is another interpreter of the same ABI (a version
#    manager's): a copy into its own site folder, so that "import vandrel" works there too (its
#    light curves need numpy, its batches dask, which Debian's interpreter has).
# Needs write access to those folders (root); says what it did.
set -euo pipefail
folder=$1
package="$folder/python/vandrel"
if [ ! -f "$package/__init__.py" ]; then
    echo "No Python module in $folder (not built): nothing to install"
    exit 0
fi
where() { "$1" -c 'import sys, sysconfig; print(sysconfig.get_config_var("SOABI"), sysconfig.get_path("purelib"), sys.executable)'; }

read -r debian_abi debian_site debian_exe < <(where /usr/bin/python3)
cmake --install "$folder" --component python >/dev/null
echo "vandrel installed for $debian_exe in $debian_site"

other=$(command -v python3 || true)
[ -n "$other" ] || exit 0
read -r other_abi other_site other_exe < <(where "$other" 2>/dev/null || echo "- - -")
if [ "$other_exe" = "-" ] || [ "$(readlink -f "$other_exe")" = "$(readlink -f "$debian_exe")" ]; then
    exit 0
fi
if [ "$other_abi" != "$debian_abi" ]; then
    echo "python3 on PATH ($other_exe) is not Debian's and cannot load the module built for"
    echo "$debian_exe: run Python with /usr/bin/python3"
    exit 0
fi
if mkdir -p "$other_site" 2>/dev/null && [ -w "$other_site" ]; then
    rm -rf "$other_site/vandrel.new"
    cp -R "$package" "$other_site/vandrel.new"
    rm -rf "$other_site/vandrel"
    mv "$other_site/vandrel.new" "$other_site/vandrel"
    echo "vandrel also installed for $other_exe (python3 on PATH) in $other_site"
    if ! "$other_exe" -c "import numpy, distributed" 2>/dev/null; then
        echo "  that interpreter lacks numpy or dask: compute with Debian's /usr/bin/python3"
    fi
fi
