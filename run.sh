#!/usr/bin/env bash
# Installs what is missing, builds Pellucan and starts it.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/tools/setup-deps.sh"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLUCAN_TESTS=OFF
cmake --build "$here/build" --target pellucan pellucan-cli
cd "$here/build/app"
exec ./pellucan "$@"
