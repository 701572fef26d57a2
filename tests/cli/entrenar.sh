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

# Any number of threads gives the same network and the same lines (40
# hidden neurons: five groups of eight to share); a value out of range is
# refused before anything is touched.
red40() { cp "$EJEMPLOS/xor.txt" a.txt && cp a.txt b.txt && "$NRV" nueva x.nrv a.txt b.txt --ocultas 40 --epocas 20 --error 0 >/dev/null; }
mkdir h0 && cd h0 && red40 && "$NRV" entrenar x.nrv --hilos 1 >salida.txt 2>/dev/null
cd ..
for hilos in 2 3 5; do
  mkdir "h$hilos" && cd "h$hilos" && red40 && "$NRV" entrenar x.nrv --hilos="$hilos" >salida.txt 2>/dev/null
  cd ..
  cmp -s h0/x.nrv "h$hilos/x.nrv" || fallo "con --hilos $hilos la red es otra"
  cmp -s h0/salida.txt "h$hilos/salida.txt" || fallo "con --hilos $hilos se imprime otra cosa"
done
mkdir entorno && cd entorno && red40 && NRV_HILOS=2 "$NRV" entrenar x.nrv >salida.txt 2>/dev/null
cd ..
cmp -s h0/x.nrv entorno/x.nrv || fallo "con NRV_HILOS=2 la red es otra"
for malo in 0 65 dos -1 ""; do
  red_xor m.nrv --epocas 20 --error 0 --reemplazar
  cp m.nrv m0.nrv
  ejecutar entrenar m.nrv --hilos "$malo"
  espera_rc 2 "--hilos «$malo»"
  espera_error "--hilos: introduzca un número entero entre 1 y 64." "--hilos «$malo»"
  cmp -s m.nrv m0.nrv || fallo "--hilos «$malo» ha cambiado la red"
done

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
