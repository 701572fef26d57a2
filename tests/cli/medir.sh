# nrv-cli nueva --medir-entrenamiento: the training set measured each epoch
# with the figures verificar gives for it, each class's hit rate and matrix
# in historial --json, info's new keys only for such a network, and a
# network without the option byte for byte as before.
. "$(dirname "$0")/comun.inc"

cp "$EJEMPLOS"/iris-train.txt "$EJEMPLOS"/iris-test.txt .

"$NRV" nueva sin.nrv iris-train.txt iris-test.txt --ocultas 5 --epocas 6 --error 0 >/dev/null
ejecutar nueva con.nrv iris-train.txt iris-test.txt --ocultas 5 --epocas 6 --error 0 --medir-entrenamiento
espera_rc 0 "nueva --medir-entrenamiento"
espera_salida "Red creada en con.nrv: 4 entradas, 5 neuronas ocultas, 3 salidas; hasta 6 épocas." "nueva"
"$NRV" entrenar sin.nrv >sin.txt || fallo "entrenar sin la opción"
"$NRV" entrenar con.nrv >con.txt || fallo "entrenar con la opción"
# The same run, the same lines; the file is the other's with the block after it.
sed 's/con\.nrv/sin.nrv/' con.txt | cmp -s - sin.txt || fallo "la opción cambia lo que escribe entrenar"
tam=$(stat -c %s sin.nrv)
[ "$(stat -c %s con.nrv)" -gt "$tam" ] || fallo "con.nrv no guarda el historial"
cmp -s -n "$tam" sin.nrv con.nrv || fallo "la opción cambia los bytes del formato de la red"

# info: the new keys only for the network that measures.
ejecutar info con.nrv --json
grep -qx '  "medir_entrenamiento": true,' salida.txt || fallo "info --json no da medir_entrenamiento: $SALIDA"
sed -n '/^  "ultima_epoca_entrenamiento": {/,/^  }/p' salida.txt | sed '1,2d;$d;s/^    //;s/,$//' | sort >info.txt
"$NRV" verificar con.nrv iris-train.txt --json | grep -E '"(error_maximo|error_total|tasa_aciertos)"' |
  sed 's/^  //;s/,$//' | sort >verificar.txt
[ -s info.txt ] && cmp -s info.txt verificar.txt ||
  fallo "las cifras de entrenamiento de info no son las de verificar: $(cat info.txt) / $(cat verificar.txt)"
ejecutar info con.nrv
espera_salida "Medida del entrenamiento:  en cada época" "info"
grep -q "^Entrenamiento:  *5: error máximo " salida.txt || fallo "info no da la última época de entrenamiento: $SALIDA"
ejecutar info sin.nrv --json
grep -q "medir_entrenamiento\|ultima_epoca_entrenamiento" salida.txt && fallo "info --json habla de la opción en una red sin ella"
ejecutar info sin.nrv
grep -q "Medida del entrenamiento\|^Entrenamiento," salida.txt && fallo "info habla de la opción en una red sin ella"

# historial: its text and CSV as always; JSON with the option's figures.
"$NRV" historial sin.nrv sin.csv --csv >/dev/null
"$NRV" historial con.nrv con.csv --csv >/dev/null
cmp -s sin.csv con.csv || fallo "historial --csv cambia con la opción"
ejecutar historial con.nrv con.json --json
espera_rc 0 "historial --json"
espera_salida "Historial guardado en con.json ($(stat -c %s con.json) bytes, épocas: 6)." "historial --json"
[ "$(grep -c '^      "epoca": ' con.json)" -eq 6 ] || fallo "historial --json no tiene las 6 épocas"
[ "$(grep -c '"entrenamiento": {' con.json)" -eq 6 ] || fallo "historial --json no tiene el entrenamiento de cada época"
[ "$(grep -c '"aciertos_clase": \[' con.json)" -eq 6 ] || fallo "historial --json no tiene los aciertos por clase"
"$NRV" historial sin.nrv sin.json --json >/dev/null
grep -q '"entrenamiento"\|"aciertos_clase"\|"matriz"' sin.json && fallo "historial --json de una red sin la opción"
if command -v python3 >/dev/null; then
  # The last epoch's matrix is verificar's, its class rates the recall of each row.
  "$NRV" verificar con.nrv iris-test.txt --json --matriz >matriz.json
  python3 - con.json matriz.json <<'EOF' || fallo "la matriz de la última época no es la de verificar"
import json, sys
h = json.load(open(sys.argv[1]))["epocas"][-1]
m = json.load(open(sys.argv[2]))["matriz"]
assert h["matriz"] == m["cuentas"], (h["matriz"], m["cuentas"])
assert h["aciertos_clase"] == m["sensibilidad"], (h["aciertos_clase"], m["sensibilidad"])
EOF
fi

# The help and the completion's table name the option.
"$NRV" nueva --help | grep -q -- "--medir-entrenamiento" || fallo "la ayuda de nueva no da --medir-entrenamiento"
"$NRV" historial --help | grep -q -- "--json" || fallo "la ayuda de historial no da --json"

termina
