# The data files of a network: the loader's messages once per file and
# cause, relative paths taken from the network's folder, a missing file
# named, and «nrv-cli ficheros».
. "$(dirname "$0")/comun.inc"

# 102 data lines, 100 of them short: one message with the count.
{ printf '0 0\n0\n'; for i in $(seq 50); do printf '1\n \n'; done; } >cortas.txt
red_xor x.nrv --epocas 2 --error 0
ejecutar verificar x.nrv cortas.txt
espera_rc 0 "verificar con 100 líneas cortas"
espera_error "faltan datos (y 99 líneas más)" "verificar con 100 líneas cortas"
[ "$(grep -c 'faltan datos' errores.txt)" -eq 1 ] || fallo "100 líneas cortas: más de un mensaje ($ERRORES)"
ejecutar entrenar x.nrv
espera_rc 0 "entrenar con ficheros sin líneas cortas"
[ -z "$ERRORES" ] || fallo "entrenar con ficheros bien formados dice algo: $ERRORES"

# A network made in its own folder, with relative paths, trains from the
# parent folder; the stored paths stay as they were.
mkdir trabajo
(cd trabajo && cp "$EJEMPLOS/xor.txt" entrenamiento.txt && cp entrenamiento.txt verificacion.txt &&
  "$NRV" nueva red.nrv entrenamiento.txt verificacion.txt --epocas 3 --error 0 >/dev/null)
ejecutar entrenar trabajo/red.nrv
espera_rc 0 "entrenar desde la carpeta de arriba"
[ "$(lineas_epoca salida.txt)" -eq 3 ] || fallo "desde la carpeta de arriba: se esperaban 3 épocas ($SALIDA $ERRORES)"
[ "$(info_campo trabajo/red.nrv 'Fichero de entrenamiento')" = "entrenamiento.txt" ] ||
  fallo "la ruta guardada ha cambiado"

# A missing file is named, and the network file does not change.
red_xor m.nrv --epocas 3 --error 0
cp m.nrv m0.nrv
rm b.txt
ejecutar entrenar m.nrv
espera_rc 1 "entrenar sin fichero de verificación"
espera_error "Error en apertura de fichero. b.txt" "entrenar sin fichero de verificación"
cmp -s m.nrv m0.nrv || fallo "un arranque fallido ha cambiado la red"

# ficheros: shows, changes and saves; refuses a file that does not fit.
cp "$EJEMPLOS/xor.txt" b.txt
cp b.txt otro.txt
ejecutar ficheros m.nrv
espera_rc 0 "ficheros sin opciones"
espera_salida "Fichero de verificación:   b.txt" "ficheros sin opciones"
cmp -s m.nrv m0.nrv || fallo "ficheros sin opciones ha cambiado la red"
ejecutar ficheros m.nrv --verificacion otro.txt
espera_rc 0 "ficheros --verificacion"
espera_salida "Fichero de verificación:   otro.txt" "ficheros --verificacion"
[ "$(info_campo m.nrv 'Fichero de verificación')" = "otro.txt" ] || fallo "ficheros --verificacion no se ha guardado"
[ "$(info_campo m.nrv 'Fichero de entrenamiento')" = "a.txt" ] || fallo "ficheros --verificacion ha cambiado el otro"
cp m.nrv m1.nrv
printf '1 2 3\n4\n' >tres.txt
for malo in tres.txt falta.txt; do
  ejecutar ficheros m.nrv --entrenamiento "$malo"
  espera_rc 2 "ficheros --entrenamiento $malo"
  cmp -s m.nrv m1.nrv || fallo "ficheros --entrenamiento $malo ha cambiado la red"
done
espera_error "No se ha podido abrir el fichero o fichero inexistente: falta.txt" "ficheros con un fichero que falta"
ejecutar ficheros m.nrv --entrenamiento=
espera_rc 2 "ficheros --entrenamiento vacío"

# A file name that is not UTF-8 (Latin-1) is kept byte for byte: the
# network trains from it, and JSON gives it whole under "_bytes".
latino=$(printf 'caf\xe9.txt')
cp "$EJEMPLOS/xor.txt" "$latino"
"$NRV" nueva l.nrv "$latino" "$latino" --epocas 2 --error 0 >/dev/null || fallo "nueva con un nombre Latin-1"
ejecutar entrenar l.nrv
espera_rc 0 "entrenar con un nombre Latin-1"
ejecutar info l.nrv --json
espera_salida '  "fichero_entrenamiento_bytes": "caf%E9.txt",' "info --json con un nombre Latin-1"
ejecutar verificar l.nrv "$latino" --json
espera_salida '  "fichero_bytes": "caf%E9.txt",' "verificar --json con un nombre Latin-1"
ejecutar info x.nrv --json
case "$SALIDA" in *_bytes*) fallo "info --json con nombres UTF-8 añade _bytes: $SALIDA" ;; esac

termina
