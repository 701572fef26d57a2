#!/usr/bin/env bash
# Sets up, builds and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${NRV_BUILD_DIR:-build}
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j "${NRV_JOBS:-2}"
# The training engine's code paths that this machine ran, bit for bit
# against the reference (AVX-512 and AVX2 only where the processor has them).
# Only the tests' result decides; the line that names the variants is shown
# when it is there.
variantes=$("$build/tests/test_network" --gtest_brief=1 \
  --gtest_filter='MotorBits.MismasFormasQueLaReferencia:MotorHilos.MismasFormasConVariosHilos')
grep '^Variantes' <<<"$variantes" || true
