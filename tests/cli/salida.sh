# nrv-cli entrenar exits right after its training thread ends: the thread
# is joined before main returns, so no run dies at exit (NRV_SALIDAS runs,
# 40 by default; the long runs are made by hand).
. "$(dirname "$0")/comun.inc"

red_xor x.nrv --epocas 3 --error 0
for i in $(seq "${NRV_SALIDAS:-40}"); do
  cp x.nrv y.nrv
  ejecutar entrenar y.nrv
  if [ "$RC" -ne 0 ] || [ -n "$ERRORES" ]; then
    fallo "ejecución $i: código $RC (errores: $ERRORES)"
    break
  fi
done
termina
