#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${NRV_BUILD_DIR:-build}
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "${NRV_JOBS:-2}"
