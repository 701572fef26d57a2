#!/usr/bin/env bash
# Screenshots of the workbench, its dialogs and its help window under Xvfb
# with a window manager (openbox), at scale 1 (a 1280x900 screen) and at
# QT_SCALE_FACTOR=2 (2560x1800, the same layout at twice the pixels): one
# PNG per moment in build/capturas/ and build/capturas/escala2/, each window
# also cut to its frame in ventanas/. Then the README's pictures (docs/) and
# the manual's (docs/manual/imagenes/) are refreshed from the scale-1 set.
# Usage: scripts/screenshot.sh [build folder]
# NRV_DISPLAY=:N uses that X display number for Xvfb instead of a free one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-${NRV_BUILD_DIR:-build}}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DNRV_BUILD_GUI=ON -DNRV_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target nrv_captura -j "${NRV_JOBS:-2}"
captura=$(cd "$build" && pwd)/tests/ui/nrv_captura
out="$build/capturas"
rm -rf "$out"
mkdir -p "$out/escala2" docs/manual/imagenes

# One run of the screenshots on a fresh X server: WxH, scale, folder.
tomar() {
  local pantalla=$1 escala=$2 destino=$3
  local guion="openbox >/dev/null 2>&1 & sleep 1
    LC_ALL=\${LC_ALL:-es_ES.UTF-8} QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$escala '$captura' '$destino'"
  if [ -n "${NRV_DISPLAY:-}" ]; then
    Xvfb "$NRV_DISPLAY" -screen 0 "${pantalla}x24" -nolisten tcp >/dev/null 2>&1 &
    local xvfb=$!
    sleep 1
    DISPLAY=$NRV_DISPLAY bash -c "$guion; kill %1 2>/dev/null || true" || { kill "$xvfb"; return 1; }
    kill "$xvfb"
    wait "$xvfb" 2>/dev/null || true
  else
    xvfb-run -a -s "-screen 0 ${pantalla}x24" bash -c "$guion; kill %1 2>/dev/null || true"
  fi
}

tomar 1280x900 1 "$(cd "$out" && pwd)"
tomar 2560x1800 2 "$(cd "$out/escala2" && pwd)"

# The README's pictures, cut to their windows, at scale 1.
cp "$out/ventanas/nueva-red-principal.png" docs/captura.png
cp "$out/ventanas/principal.png" docs/vista.png
cp "$out/ventanas/mosaico.png" docs/mosaico.png
cp "$out/ventanas/ayuda.png" docs/ayuda.png
cp "$out/ventanas/importar.png" docs/importar.png
# The manual's: each window cut to its frame.
for f in principal vista nueva-red verificar resultados mosaico maximizada cerrar-todas importar matriz aplicar; do
  cp "$out/ventanas/$f.png" "docs/manual/imagenes/$f.png"
done
echo "screenshots in $out and $out/escala2; pictures in docs/ and docs/manual/imagenes/"
