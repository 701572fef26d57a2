#!/usr/bin/env bash
# Remakes the example network iris.nrv with nrv-cli from iris-train.txt and
# iris-test.txt: the new-network dialog's default values, trained for its
# 100 epochs. The network stores the two data files by their bare names, so
# it trains and verifies from this folder.
# Usage: examples/make-iris.sh [NRV-CLI [DESTINATION]]
set -euo pipefail
ejemplos=$(cd "$(dirname "$0")" && pwd)
nrv=${1:-$ejemplos/../build/cli/nrv-cli}
destino=${2:-$ejemplos/iris.nrv}
if [ ! -x "$nrv" ]; then
  echo "No se encuentra nrv-cli en $nrv; compílelo con scripts/setup.sh o indique su ruta." >&2
  exit 1
fi
nrv=$(cd "$(dirname "$nrv")" && pwd)/$(basename "$nrv")
case $destino in /*) ;; *) destino=$PWD/$destino ;; esac

# In a scratch folder: the training log HNRV.TXT stays out of examples/.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$ejemplos/iris-train.txt" "$ejemplos/iris-test.txt" "$tmp/"
cd "$tmp"
# Shows each step as the command that it is.
paso() {
  echo "\$ nrv-cli ${*:2}"
  "$@"
}
paso "$nrv" nueva iris.nrv iris-train.txt iris-test.txt --ocultas 40 --aprendizaje 0.1 --momento 0.9 --error 0.7 --epocas 100
echo "\$ nrv-cli entrenar iris.nrv"
"$nrv" entrenar iris.nrv | tail -n 1  # the summary; the 100 epoch lines are in HNRV.TXT
paso "$nrv" verificar iris.nrv iris-test.txt
cp iris.nrv "$destino"
echo "Red de ejemplo guardada en $destino"
