#!/usr/bin/env bash
# Screenshots of the workbench and its dialogs under Xvfb: the README's
# picture (docs/captura.png) and one PNG per window in build/capturas/.
# Usage: scripts/screenshot.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${NRV_BUILD_DIR:-build}}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DNRV_BUILD_GUI=ON -DNRV_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target nrv_captura -j "${NRV_JOBS:-2}"
out="$build/capturas"
rm -rf "$out"
mkdir -p "$out" docs
LC_ALL=${LC_ALL:-es_ES.UTF-8} QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1000x700x24" "$build/tests/ui/nrv_captura" "$out"
cp "$out/nueva-red.png" docs/captura.png
cp "$out/principal.png" docs/vista.png
echo "screenshots in $out; README pictures in docs/captura.png and docs/vista.png"
