# nrv-cli with hostile data files and outputs: headers that announce more
# than their file holds, pipes and devices as data files, values that are
# not finite, documents whose epoch counts disagree, and a reader that
# leaves early. No crash, no wait, nothing reported as done that was not.
. "$(dirname "$0")/comun.inc"

# bin HEADER...: a binary file of the given 32-bit little-endian values.
bin() {
  local f=$1
  shift
  : >"$f"
  for v in "$@"; do printf "\\x$(printf %02x $((v & 255)))\\x$(printf %02x $(((v >> 8) & 255)))\\x$(printf %02x $(((v >> 16) & 255)))\\x$(printf %02x $(((v >> 24) & 255)))" >>"$f"; done
}

# -- 12 bytes that announce 0xFFFFFFFF inputs, 0xFFFFFFFF outputs or
#    20 000 000 inputs, as both files: refused as the dialog refuses them
for cabecera in "4294967295 1 1" "1 4294967295 1" "20000000 1 1"; do
  bin c.bin $cabecera
  ejecutar nueva r.nrv c.bin c.bin
  espera_rc 2 "nueva con la cabecera $cabecera"
  espera_error " No se han podido dimensionar los datos. " "nueva con la cabecera $cabecera"
  [ -e r.nrv ] && fallo "nueva con la cabecera $cabecera: ha escrito la red"
done

# -- a pipe or a device as data file: refused at once, never waited on
mkfifo tuberia.txt
cp "$EJEMPLOS/xor.txt" a.txt
ln -s /dev/zero cero.txt
for datos in tuberia.txt cero.txt; do
  "$NRV" nueva r.nrv "$datos" a.txt >salida.txt 2>errores.txt &
  pid=$!
  for _ in $(seq 200); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then
    fallo "nueva con $datos: sigue esperando"
    exec 3<>tuberia.txt  # lets a waiting open go on
    wait $pid
    exec 3>&-
  else
    wait $pid
    RC=$?
    ERRORES=$(cat errores.txt)
    espera_rc 2 "nueva con $datos"
    espera_error "No se ha podido abrir el fichero o fichero inexistente" "nueva con $datos"
  fi
done
red_xor r.nrv --epocas 5 --error 0
cp r.nrv original.nrv
for campo in a.txt b.txt; do
  cp original.nrv r.nrv
  rm -f "$campo"
  ln -s tuberia.txt "$campo"
  timeout 20 "$NRV" entrenar r.nrv >salida.txt 2>errores.txt
  RC=$?
  ERRORES=$(cat errores.txt)
  espera_rc 1 "entrenar con $campo una tubería"
  espera_error "Error en apertura de fichero. $campo" "entrenar con $campo una tubería"
  cmp -s r.nrv original.nrv || fallo "entrenar con $campo una tubería: la red ha cambiado"
  rm -f "$campo"
  cp "$EJEMPLOS/xor.txt" "$campo"
done
[ -e HNRV.TXT ] && fallo "una carga fallida ha escrito en HNRV.TXT"
ejecutar verificar r.nrv tuberia.txt
espera_rc 2 "verificar con una tubería"
espera_error "No se ha podido abrir el fichero o fichero inexistente" "verificar con una tubería"

# -- a value that is not finite: the file and its line are named, and the
#    network is neither trained nor saved
printf '0 0\n0\n0 1\n1\n1 0\n1e999\n1 1\n0\n' >a.txt
ejecutar entrenar r.nrv
espera_rc 1 "entrenar con un valor infinito"
espera_error "valor no finito en la línea 6 de a.txt" "entrenar con un valor infinito"
espera_error "Error en apertura de fichero. a.txt" "entrenar con un valor infinito"
cmp -s r.nrv original.nrv || fallo "entrenar con un valor infinito: la red ha cambiado"
cp "$EJEMPLOS/xor.txt" a.txt

# -- m_nPuntos other than m_nEpoca in the file: no epoch that never ran is
#    printed or shown (offset 24: m_nEpoca, 40: m_nPuntos)
red_xor p.nrv --epocas 20 --error 0
"$NRV" entrenar p.nrv >/dev/null 2>&1 || fallo "entrenar p.nrv"
for puntos in 0 15; do
  cp p.nrv q.nrv
  printf '\x05\x00\x00\x00' | dd of=q.nrv bs=1 seek=24 conv=notrunc status=none
  printf "\\x$(printf %02x $puntos)\\x00\\x00\\x00" | dd of=q.nrv bs=1 seek=40 conv=notrunc status=none
  ejecutar info q.nrv
  espera_salida "Épocas:                    5 de 20" "info con $puntos puntos"
  ejecutar entrenar q.nrv
  espera_rc 0 "entrenar con $puntos puntos"
  primera=$(grep -m1 -E '^ +[0-9]+ '$'\t' salida.txt | awk '{print $1}')
  [ "$primera" = 5 ] || fallo "entrenar con $puntos puntos: la primera época impresa es $primera, no 5"
  [ "$(lineas_epoca salida.txt)" -eq 15 ] || fallo "entrenar con $puntos puntos: $(lineas_epoca salida.txt) líneas, no 15"
done

# -- a reader that leaves after the first line: the network was trained and
#    saved, and that is what the exit code says
red_xor h.nrv --epocas 200 --error 0
"$NRV" entrenar h.nrv 2>errores.txt | head -1 >/dev/null
rc=${PIPESTATUS[0]}
[ "$rc" -eq 0 ] || fallo "entrenar | head -1: código $rc (errores: $(cat errores.txt))"
[ "$(info_campo h.nrv 'Épocas')" = "200 de 200" ] || fallo "entrenar | head -1: la red no se ha guardado entrenada"
"$NRV" --help 2>/dev/null | head -1 >/dev/null
[ "${PIPESTATUS[0]}" -eq 0 ] || fallo "--help | head -1: código ${PIPESTATUS[0]}"
# A full device is still a failure.
"$NRV" info h.nrv >/dev/full 2>errores.txt
rc=$?
[ "$rc" -eq 1 ] || fallo "info > /dev/full: código $rc"
grep -qxF "nrv: No se ha podido escribir la salida." errores.txt || fallo "info > /dev/full: sin el mensaje"
# The help and the version too: a failure is said, never only an exit code.
for opcion in --help --version "entrenar --help"; do
  # shellcheck disable=SC2086
  "$NRV" $opcion >/dev/full 2>errores.txt
  rc=$?
  [ "$rc" -eq 1 ] || fallo "$opcion > /dev/full: código $rc"
  grep -qxF "nrv: No se ha podido escribir la salida." errores.txt || fallo "$opcion > /dev/full: sin el mensaje"
done

termina
