#!/usr/bin/env bash
# Installs what is missing, builds Pellucan with its tests and runs the whole suite.
# PELLUCAN_SANITIZE=ON ./test.sh runs it under AddressSanitizer and UBSan.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/setup-deps.sh"
build="$here/build-test"
[ "${PELLUCAN_SANITIZE:-OFF}" = ON ] && build="$here/build-asan"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELLUCAN_TESTS=ON -DPELLUCAN_SANITIZE="${PELLUCAN_SANITIZE:-OFF}"
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
