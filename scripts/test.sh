#!/usr/bin/env bash
# Sets up, builds and runs every test twice: a plain Release build, then a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== Release build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
ctest --test-dir build --output-on-failure -j 2

echo "== Sanitized build (AddressSanitizer + UndefinedBehaviorSanitizer)"
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANDREL_SANITIZE=ON -DVANDREL_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j 2
