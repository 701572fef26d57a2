#!/usr/bin/env bash
# The layers include only what lies beneath them: resources nothing of
# ours; framework resources and itself; the core (storage, data, network)
# the framework, and never Qt; plan the core; nrv-cli never Qt nor ui/.
# Usage: capas.sh FUENTES
set -u
cd "$1" || exit 2
FALLOS=0
# folder, then the folders its own headers may come from
comprobar() {
  local carpeta=$1
  shift
  local permitidas="$carpeta $*"
  while IFS=: read -r fichero _ linea; do
    local incluida=${linea#*\"}
    incluida=${incluida%%/*}
    case " $permitidas " in
      *" $incluida "*) ;;
      *) echo "FALLO: $fichero incluye $linea" >&2; FALLOS=$((FALLOS + 1)) ;;
    esac
  done < <(grep -Hn '^#include "' "$carpeta"/*.h "$carpeta"/*.cpp 2>/dev/null | grep '/' )
  # No Qt below the host, by any spelling.
  if [ "$carpeta" != ui ]; then
    if grep -Hn '^#include <Q' "$carpeta"/*.h "$carpeta"/*.cpp 2>/dev/null; then
      echo "FALLO: $carpeta incluye Qt" >&2
      FALLOS=$((FALLOS + 1))
    fi
  fi
}
comprobar resources
comprobar framework resources
comprobar storage framework resources
comprobar data storage framework resources
comprobar network data storage framework resources
comprobar plan network data storage framework resources
comprobar cli plan network data storage framework resources
[ "$FALLOS" -eq 0 ] || exit 1
echo "capas: bien"
