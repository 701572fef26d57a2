# What nrv-cli writes never replaces what it reads: every writing command
# refuses a destination that is one of its inputs or one of the network's
# own files (by name, hard link or symbolic link) and leaves it as it was;
# a pipe that nobody reads fails at once instead of waiting for a reader.
. "$(dirname "$0")/comun.inc"

red_xor x.nrv --epocas 3 --error 0
"$NRV" entrenar x.nrv >/dev/null 2>&1 || fallo "entrenar"
printf 'a,b,k\n0,0,x\n0,1,y\n1,0,y\n1,1,x\n' >t.csv
"$NRV" importar t.csv t.txt --esquema s.json >/dev/null || fallo "importar"
"$NRV" nueva t.nrv t.txt t.txt --ocultas 3 --epocas 2 >/dev/null || fallo "nueva t.nrv"
ln a.txt duro.txt
ln -s b.txt blando.txt
for f in x.nrv a.txt b.txt s.json t.txt; do cp "$f" "$f.antes"; done

# rechaza DESTINO QUE ORDEN...: refused with exit 2 and the message that
# names what the destination is; nothing changed.
rechaza() {
  local destino=$1 que=$2
  shift 2
  ejecutar "$@"
  espera_rc 2 "$* sobre $que"
  espera_error "El fichero de salida $destino es $que; elija otro." "$*"
}
for par in "x.nrv:la propia red" "a.txt:el fichero de entrenamiento de la red" "duro.txt:el fichero de entrenamiento de la red" \
  "b.txt:el fichero de verificación de la red" "blando.txt:el fichero de verificación de la red" \
  "HNRV.TXT:el registro de entrenamiento"; do
  d=${par%%:*}
  que=${par#*:}
  for orden in "historial x.nrv $d" "historial x.nrv $d --csv" "pesos x.nrv $d" "curvas x.nrv $d" \
    "exportar x.nrv $d" "aplicar x.nrv b.txt $d"; do
    # shellcheck disable=SC2086
    rechaza "$d" "$que" $orden
  done
done
# The scheme of aplicar and exportar, the data of aplicar.
rechaza s.json "el esquema" aplicar t.nrv t.csv s.json --esquema s.json
rechaza s.json "el esquema" exportar t.nrv s.json --esquema s.json
rechaza t.csv "el de los datos" aplicar t.nrv t.csv t.csv --esquema s.json
# The test file, and nueva --reemplazar over the data it reads.
cp a.txt c.txt
cp c.txt c.txt.antes
"$NRV" nueva p.nrv a.txt b.txt --ocultas 3 --prueba c.txt >/dev/null || fallo "nueva --prueba"
rechaza c.txt "el fichero de prueba de la red" pesos p.nrv c.txt
rechaza a.txt "el fichero de entrenamiento de la red" nueva a.txt a.txt b.txt --reemplazar
rechaza c.txt "el fichero de prueba de la red" nueva c.txt a.txt b.txt --prueba c.txt --reemplazar
rechaza HNRV.TXT "el registro de entrenamiento" nueva HNRV.TXT a.txt b.txt --reemplazar
cmp -s c.txt c.txt.antes || fallo "c.txt ha cambiado"
ejecutar importar t.csv t.csv
espera_rc 2 "importar sobre la tabla"
espera_error "El fichero de datos t.csv es la propia tabla; elija otro." "importar sobre la tabla"
ejecutar importar t.csv s.json --esquema s.json
espera_error "El fichero de datos s.json es el propio esquema; elija otro." "importar sobre el esquema"
for f in x.nrv a.txt b.txt s.json t.txt; do cmp -s "$f" "$f.antes" || fallo "$f ha cambiado"; done
"$NRV" verificar x.nrv b.txt >/dev/null || fallo "verificar tras los rechazos"
ejecutar importar t.csv otro.txt --esquema s.json
espera_rc 0 "importar con el esquema tras los rechazos"

# -- a pipe without a reader: every writing command fails at once
mkfifo tubo
for orden in "historial x.nrv tubo" "historial x.nrv tubo --csv" "pesos x.nrv tubo" "curvas x.nrv tubo" \
  "exportar x.nrv tubo" "aplicar x.nrv b.txt tubo" "importar t.csv tubo"; do
  # shellcheck disable=SC2086
  timeout 20 "$NRV" $orden >salida.txt 2>errores.txt
  RC=$?
  ERRORES=$(cat errores.txt)
  espera_rc 1 "$orden sin lector"
  espera_error "No se ha podido crear el fichero tubo: nadie lee la tubería o el dispositivo no existe." "$orden"
done
# With a reader, the size is that of what was written.
cat tubo >leido.bin &
# Opening our own writing end waits for cat's reading end: no race.
exec 3>tubo
ejecutar pesos x.nrv tubo
exec 3>&-
wait
espera_rc 0 "pesos a una tubería con lector"
espera_salida "Pesos guardados en tubo ($(stat -c %s leido.bin) bytes, épocas entrenadas: 3)." "pesos a una tubería"
"$NRV" pesos x.nrv p.txt >/dev/null
cmp -s p.txt leido.bin || fallo "la tubería no ha recibido los pesos"

termina
