# nrv-cli verificar: the four lines of the results dialog, and figures that
# equal the last history entry for the unchanged verification file.
. "$(dirname "$0")/comun.inc"

cp "$EJEMPLOS/iris-train.txt" "$EJEMPLOS/iris-test.txt" .
"$NRV" nueva iris.nrv iris-train.txt iris-test.txt --ocultas 6 --epocas 12 --error 0 >/dev/null || fallo "nueva"

# A network never trained is verified with its initial weights.
ejecutar verificar iris.nrv iris-test.txt
espera_rc 0 "verificar una red sin entrenar"
[ "$(wc -l <salida.txt)" -eq 4 ] || fallo "verificar: se esperaban cuatro líneas: $SALIDA"
espera_salida "Fichero: iris-test.txt" "verificar"
espera_salida "Nº Muestras: 50" "verificar"
grep -qxE 'Tasa Aciertos: [ 0-9]{2,3}\.[0-9]{4} %' salida.txt || fallo "formato de la tasa: $SALIDA"
grep -qxE 'Error Total: [ 0-9]*[0-9]\.[0-9]{6}' salida.txt || fallo "formato del error total: $SALIDA"
[ -z "$ERRORES" ] || fallo "verificar ha escrito mensajes: $ERRORES"

# After training, against the same file: the last history entry's figures.
"$NRV" entrenar iris.nrv >/dev/null 2>&1 || fallo "entrenar"
rm -f HNRV.TXT
cp iris.nrv iris.antes
ejecutar verificar iris.nrv iris-test.txt
espera_rc 0 "verificar una red entrenada"
"$NRV" historial iris.nrv h.txt >/dev/null || fallo "historial"
ultima=$(tail -n 1 h.txt | tr -d '\r' | tr ',' '.')
error_hist=$(echo "$ultima" | cut -f 3 | tr -d ' ')
tasa_hist=$(echo "$ultima" | cut -f 4 | tr -d ' ')
error_ver=$(sed -n 's/^Error Total: *//p' salida.txt)
tasa_ver=$(sed -n 's/^Tasa Aciertos: *\(.*\) %$/\1/p' salida.txt)
[ "$error_ver" = "$error_hist" ] || fallo "error total $error_ver, el de la última época es $error_hist"
[ "$tasa_ver" = "$tasa_hist" ] || fallo "tasa $tasa_ver, la de la última época es $tasa_hist"
cmp -s iris.nrv iris.antes || fallo "verificar ha cambiado la red"
[ ! -e HNRV.TXT ] || fallo "verificar ha escrito en HNRV.TXT"

# The path shown is the one given; another file gives its own count.
ejecutar verificar iris.nrv ./iris-train.txt
espera_rc 0 "verificar con el fichero de entrenamiento"
espera_salida "Fichero: ./iris-train.txt" "verificar con el fichero de entrenamiento"
espera_salida "Nº Muestras: 100" "verificar con el fichero de entrenamiento"

# The example network on its verification file: these four lines, byte
# for byte, as they have always been.
ejecutar verificar "$EJEMPLOS/iris.nrv" "$EJEMPLOS/iris-test.txt"
printf 'Fichero: %s\nNº Muestras: 50\nTasa Aciertos: 96.0000 %%\nError Total: 2.218784\n' "$EJEMPLOS/iris-test.txt" |
  cmp -s - salida.txt || fallo "las cuatro líneas de examples/iris.nrv han cambiado: $SALIDA"

# The binary form of the same samples gives the same figures.
"$NRV" verificar "$EJEMPLOS/iris.nrv" "$EJEMPLOS/iris-test.txt" | tail -n 3 >texto.txt
"$NRV" verificar "$EJEMPLOS/iris.nrv" "$EJEMPLOS/iris-test.bin" | tail -n 3 >binario.txt
cmp -s texto.txt binario.txt || fallo "el fichero binario da otras cifras que el de texto"

# A network with a single output scores every sample as a hit.
red_xor x.nrv
ejecutar verificar x.nrv b.txt
espera_salida "Tasa Aciertos: 100.0000 %" "una sola salida"
espera_salida "Nº Muestras: 4" "una sola salida"

# A short line is filled with zeros and reported, and verification goes on.
printf '0 0\n0\n1\n0\n' >corta.txt
ejecutar verificar x.nrv corta.txt
espera_rc 0 "verificar con una línea corta"
espera_error "faltan datos" "verificar con una línea corta"
espera_salida "Nº Muestras: 2" "verificar con una línea corta"

termina
