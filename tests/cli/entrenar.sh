# nrv-cli entrenar: one line per epoch as it trains, the training log, the
# natural ends, and the network saved in place.
. "$(dirname "$0")/comun.inc"

# To the epoch limit without meeting the criterion.
red_xor x.nrv --epocas 20 --error 0
ejecutar entrenar x.nrv
espera_rc 0 "entrenar hasta el límite"
[ "$(lineas_epoca salida.txt)" -eq 20 ] || fallo "se esperaban 20 líneas de época: $SALIDA"
[ "$(grep -E '^ +[0-9]+ '$'\t' salida.txt | awk '{print $1}' | tr '\n' ' ')" = "$(seq -s ' ' 0 19) " ] ||
  fallo "épocas mal numeradas"
espera_salida "Terminado entrenamiento. Entrenamiento Detenido en la época 19 (20 de 20); red guardada en x.nrv" \
  "resumen al llegar al límite"
[ "$(info_campo x.nrv 'Épocas')" = "20 de 20" ] || fallo "la red guardada no tiene 20 épocas"
[ "$(info_campo x.nrv 'Estado')" = "Entrenamiento Detenido (ha llegado al número máximo de épocas)" ] ||
  fallo "estado tras llegar al límite"
# The epoch lines are the log's, in its format.
grep -E '^ +[0-9]+ '$'\t' salida.txt >impresas.txt
grep -qxE '    0 '$'\t'' [0-9]\.[0-9]{6} '$'\t'' +[0-9]+\.[0-9]{5} '$'\t'' +[0-9]+\.[0-9]{4}%' impresas.txt ||
  fallo "formato de la línea de la época 0: $(head -1 impresas.txt)"

# The training log: one block, CR LF, Windows-1252, the same epoch lines.
[ -f HNRV.TXT ] || fallo "no se ha escrito HNRV.TXT"
printf 'FICHERO ENTRENADO: a.txt\r\nFICHERO TEST:      b.txt\r\n  N\xba de \xc9poca Inicial: 0,\r\n' >cabecera.esperada
printf '  Factor de Aprendizaje: 0.100000,  Factor de Momento: 0.900000\r\n\r\n' >>cabecera.esperada
printf -- '--------------------------------------------\r\nEpoca  Error M\xe1ximo  Error Total  Aciertos \r\n' >>cabecera.esperada
printf -- '--------------------------------------------\r\n' >>cabecera.esperada
head -c "$(stat -c %s cabecera.esperada)" HNRV.TXT | cmp -s - cabecera.esperada || fallo "cabecera del bloque de HNRV.TXT"
tr -d '\r' <HNRV.TXT | grep -E '^ +[0-9]+ '$'\t' | cmp -s - impresas.txt || fallo "las épocas de HNRV.TXT no son las impresas"
[ "$(tail -c 2 HNRV.TXT | od -An -c | tr -d ' ')" = '\r\n' ] || fallo "HNRV.TXT no termina en CR LF"

# Training is deterministic: the same network and data give the same file.
mkdir otra && cd otra && red_xor x.nrv --epocas 20 --error 0 && "$NRV" entrenar x.nrv >salida.txt 2>/dev/null
cd ..
cmp -s x.nrv otra/x.nrv || fallo "dos entrenamientos iguales dan redes distintas"
cmp -s salida.txt otra/salida.txt || fallo "dos entrenamientos iguales imprimen cosas distintas"

# The criterion met in the first epoch: one line, a trained network.
red_xor t.nrv --error 1
ejecutar entrenar t.nrv
espera_rc 0 "criterio en la primera época"
[ "$(lineas_epoca salida.txt)" -eq 1 ] || fallo "criterio en la primera época: se esperaba una línea"
espera_salida "Terminado entrenamiento. Entrenamiento Finalizado en la época 0 (1 de 100); red guardada en t.nrv" \
  "resumen al cumplir el criterio"
[ "$(info_campo t.nrv 'Estado')" = "Entrenamiento Finalizado (entrenada: no se puede entrenar más)" ] ||
  fallo "estado tras cumplir el criterio"
[ "$(grep -c 'FICHERO ENTRENADO' HNRV.TXT)" -eq 2 ] || fallo "el segundo entrenamiento no ha añadido su bloque a HNRV.TXT"

# The example network is what its script makes.
if [ -f "$EJEMPLOS/iris.nrv" ]; then
  bash "$EJEMPLOS/make-iris.sh" "$NRV" "$TMP/iris.nrv" >/dev/null 2>errores.txt || fallo "make-iris.sh: $(cat errores.txt)"
  cmp -s "$TMP/iris.nrv" "$EJEMPLOS/iris.nrv" || fallo "make-iris.sh no rehace examples/iris.nrv"
else
  fallo "falta examples/iris.nrv"
fi

termina
