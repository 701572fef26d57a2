#!/usr/bin/env bash
# A short demo of nrv-cli on the samples of examples/: creates a network,
# trains it, verifies it and exports its history and weights, in a
# temporary folder, showing each command as it runs it.
# Usage: scripts/demo.sh [NRV-CLI]   (default: build/cli/nrv-cli)
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
nrv=${1:-$raiz/${NRV_BUILD_DIR:-build}/cli/nrv-cli}
case $nrv in /*) ;; *) nrv=$PWD/$nrv ;; esac
if [ ! -x "$nrv" ]; then
  echo "No se encuentra nrv-cli en $nrv; compílelo con scripts/setup.sh." >&2
  exit 1
fi
ejemplos=$raiz/examples

carpeta=$(mktemp -d "${TMPDIR:-/tmp}/nrv-demo.XXXXXX")
trap 'rm -rf "$carpeta"' EXIT
cd "$carpeta"
cp "$ejemplos/iris-train.txt" "$ejemplos/iris-test.txt" .

paso() {
  echo
  echo "\$ nrv-cli $*"
  "$nrv" "$@"
}
titulo() {
  echo
  echo "== $*"
}

echo "Demostración de nrv-cli en $carpeta"
echo "(iris-train.txt: 100 muestras de entrenamiento; iris-test.txt: 50 de verificación;"
echo " 4 entradas y 3 salidas cada una)"

titulo "Crear una red de 10 neuronas ocultas que entrene hasta 40 épocas"
paso nueva iris.nrv iris-train.txt iris-test.txt --ocultas 10 --epocas 40
paso info iris.nrv

titulo "Entrenarla: una línea por época (época, error máximo, error total, aciertos)"
paso entrenar iris.nrv

titulo "Verificarla con el fichero de verificación: las cifras de la última época"
paso verificar iris.nrv iris-test.txt
paso verificar iris.nrv iris-train.txt

titulo "Guardar el historial (comas decimales) y los pesos (texto y binario)"
paso historial iris.nrv historial.txt
head -n 3 historial.txt | tr -d '\r'
echo "..."
paso pesos iris.nrv pesos.txt
paso pesos iris.nrv pesos.bin

titulo "El registro de entrenamiento HNRV.TXT (Windows-1252, CR LF), en UTF-8"
if command -v iconv >/dev/null; then
  iconv -f WINDOWS-1252 -t UTF-8 HNRV.TXT | tr -d '\r' | head -n 10
else
  tr -d '\r' <HNRV.TXT | head -n 10
fi
echo "..."

titulo "Un valor que el diálogo rechaza: el mismo mensaje, código de salida 2"
set +e
paso nueva otra.nrv iris-train.txt iris-test.txt --aprendizaje 0,5
echo "(código de salida $?)"
set -e

titulo "La red de ejemplo ya entrenada, examples/iris.nrv"
paso info "$ejemplos/iris.nrv"
paso verificar "$ejemplos/iris.nrv" "$ejemplos/iris-test.txt"

echo
echo "Fin de la demostración; la carpeta temporal se borra."
