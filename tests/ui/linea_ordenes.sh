# The workbench's command line: --help and --version answer without a
# display, and an option that neither nrv nor Qt takes is refused before
# any window opens, instead of being opened as a network.
# Usage: linea_ordenes.sh NRV EJEMPLOS
set -u
NRV=$1
EJEMPLOS=$2
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
TMP=$(mktemp -d "${TMPDIR:-/tmp}/nrv-linea.XXXXXX")
trap 'rm -rf "$TMP"' EXIT
cd "$TMP" || exit 1
# What a window run writes (the recent-file list) stays in this folder.
export XDG_CONFIG_HOME=$TMP/config XDG_RUNTIME_DIR=$TMP/run
mkdir -m 700 run
FALLOS=0
fallo() {
  echo "FALLO: $*" >&2
  FALLOS=$((FALLOS + 1))
}
ejecutar() {
  "$NRV" "$@" >salida.txt 2>errores.txt
  RC=$?
}
# rechaza MOTIVO OPCION ARGS...: nrv ARGS ends with code 2 and the message.
rechaza() {
  local motivo=$1 opcion=$2
  shift 2
  ejecutar "$@"
  [ "$RC" -eq 2 ] || fallo "nrv $*: código $RC, se esperaba 2 ($(head -c 300 errores.txt))"
  [ "$(head -n 1 errores.txt)" = "nrv: $motivo: $opcion" ] || fallo "nrv $*: «$(head -n 1 errores.txt)»"
  grep -qxF "«nrv --help» da más detalles." errores.txt || fallo "nrv $*: no remite a --help"
  [ ! -s salida.txt ] || fallo "nrv $*: ha escrito en la salida"
}

version=$(sed -n 's/^project(nrv VERSION \([0-9.]*\).*/\1/p' "$EJEMPLOS/../CMakeLists.txt")
for args in "--version" "-platform offscreen --version" "-style=fusion --version"; do
  # shellcheck disable=SC2086
  ejecutar $args
  [ "$RC" -eq 0 ] || fallo "nrv $args: código $RC ($(head -c 300 errores.txt))"
  [ "$(head -n 1 salida.txt)" = "nrv $version" ] || fallo "nrv $args: «$(head -n 1 salida.txt)»"
  grep -q "^Licencia MIT" salida.txt || fallo "nrv $args no nombra la licencia"
  [ ! -s errores.txt ] || fallo "nrv $args ha escrito en la salida de errores: $(cat errores.txt)"
done
for forma in --help -h; do
  ejecutar $forma
  [ "$RC" -eq 0 ] || fallo "nrv $forma: código $RC ($(head -c 300 errores.txt))"
  [ "$(head -n 1 salida.txt)" = "Uso: nrv [opciones] [RED.nrv]" ] || fallo "nrv $forma: «$(head -n 1 salida.txt)»"
  for linea in "  -h, --help   muestra esta ayuda" "  --version    muestra la versión del programa"; do
    grep -qxF -- "$linea" salida.txt || fallo "nrv $forma no explica «$linea»"
  done
  [ ! -s errores.txt ] || fallo "nrv $forma ha escrito en la salida de errores"
done

# Refused before Qt starts (no display is needed to say so).
rechaza "opción desconocida" -x -x
rechaza "opción desconocida" --bogus --bogus red.nrv
rechaza "opción desconocida" --versión red.nrv --versión
rechaza "opción desconocida" -help -help
rechaza "opción desconocida" -zz -platform offscreen -zz
# A Qt option that this platform does not take is refused once Qt has run.
rechaza "opción que esta plataforma no admite" -display -platform offscreen -display :7

# After "--" a name that starts with "-" is a network: the window opens it
# (it enters the recent-file list) and keeps running until it is closed.
cp "$EJEMPLOS/iris.nrv" ./-iris.nrv
"$NRV" -platform offscreen -- -iris.nrv >salida.txt 2>errores.txt &
pid=$!
abierta=0
for _ in $(seq 1200); do
  if grep -rqF -- "/-iris.nrv" "$XDG_CONFIG_HOME" 2>/dev/null; then
    abierta=1
    break
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  wait "$pid"
  [ "$abierta" -eq 1 ] || fallo "nrv -- -iris.nrv no ha abierto la red en 2 minutos"
else
  wait "$pid"
  fallo "nrv -- -iris.nrv ha terminado con el código $? ($(head -c 300 errores.txt))"
fi
! grep -q "opción" errores.txt || fallo "nrv -- -iris.nrv: $(cat errores.txt)"

# --informe writes the report page with no display, and takes nothing else.
cp "$EJEMPLOS/iris.nrv" iris.nrv
ejecutar --informe iris.nrv informe.svg
[ "$RC" -eq 0 ] || fallo "nrv --informe: código $RC ($(head -c 300 errores.txt))"
[ "$(cat salida.txt)" = "Informe guardado en informe.svg ($(stat -c %s informe.svg) bytes, épocas: 100)." ] ||
  fallo "nrv --informe: «$(cat salida.txt)»"
[ ! -s errores.txt ] || fallo "nrv --informe ha escrito en la salida de errores: $(cat errores.txt)"
grep -q "Curvas de entrenamiento de iris.nrv" informe.svg || fallo "informe.svg no lleva el título"
ejecutar --informe iris.nrv informe.jpg
[ "$RC" -eq 2 ] && [ ! -e informe.jpg ] || fallo "nrv --informe a un .jpg: código $RC"
for args in "--informe" "--informe iris.nrv" "--informe iris.nrv a.pdf b.pdf" "iris.nrv --informe a.pdf"; do
  # shellcheck disable=SC2086
  ejecutar $args
  [ "$RC" -eq 2 ] || fallo "nrv $args: código $RC, se esperaba 2"
  [ "$(head -n 1 errores.txt)" = "nrv: --informe va primero y le siguen la red y el destino: nrv --informe RED.nrv DESTINO" ] ||
    fallo "nrv $args: «$(head -n 1 errores.txt)»"
done

if [ "$FALLOS" -ne 0 ]; then
  echo "$FALLOS comprobaciones fallidas" >&2
  exit 1
fi
