# nrv-cli's training options and the three-way split: the parts of a table,
# the seed kept and shown, the test figures as verificar gives them, the
# regression figures against aplicar's outputs, and the refusals.
. "$(dirname "$0")/comun.inc"

cp "$EJEMPLOS"/iris.csv .

# The split: three data files beside DESTINO that hold every row once, the
# same from the same seed.
ejecutar importar iris.csv iris.txt --esquema iris.json --particion 70,15,15 --semilla 5 --estratificar
espera_rc 0 "importar con partición"
espera_salida "Entrenamiento (70 %): 105 muestras en iris-entrenamiento.txt." "partición"
muestras() { grep -cv '^/' "$1" | awk '{ print $1 / 2 }'; }
total=$(( $(muestras iris-entrenamiento.txt) + $(muestras iris-verificacion.txt) + $(muestras iris-prueba.txt) ))
[ "$total" -eq 150 ] || fallo "las partes tienen $total muestras, no 150"
# Stratified: 15 % of 50 is 7.5, so each class has 7 or 8 test samples.
for clase in "1 0 0" "0 1 0" "0 0 1"; do
  n=$(grep -cx "$clase"$'\r' iris-prueba.txt)
  [ "$n" -ge 7 ] && [ "$n" -le 8 ] || fallo "la clase $clase tiene $n muestras de prueba"
done
mkdir otra && (cd otra && "$NRV" importar ../iris.csv iris.txt --esquema iris.json --particion 70,15,15 --semilla 5 --estratificar >/dev/null)
for p in entrenamiento verificacion prueba; do
  cmp -s "iris-$p.txt" "otra/iris-$p.txt" || fallo "la misma semilla da otra parte de $p"
done
ejecutar importar iris.csv x.txt --particion 70,15
espera_rc 2 "partición de dos partes"
ejecutar importar iris.csv x.txt --semilla 3
espera_rc 2 "semilla sin partición"
espera_error "--semilla y --estratificar solo sirven con --particion." "semilla sin partición"

# A network with every option: its seed and test figures in info.
ejecutar nueva red.nrv iris-entrenamiento.txt iris-verificacion.txt --prueba iris-prueba.txt --semilla 4 \
  --paciencia 10 --barajar --epocas 30 --ocultas 6
espera_rc 0 "nueva con opciones"
ejecutar entrenar red.nrv
espera_rc 0 "entrenar con opciones"
ejecutar info red.nrv --json
grep -qx '  "semilla": 4,' salida.txt || fallo "info --json no da la semilla: $SALIDA"
sed -n '/^  "prueba": {/,/^  }/p' salida.txt | sed '1d;$d;/"epocas"/d;s/^    //;s/,$//' >prueba-info.txt
"$NRV" verificar red.nrv iris-prueba.txt --json | sed '1d;$d;s/^  //;s/,$//' >prueba-verificar.txt
[ -s prueba-info.txt ] && cmp -s prueba-info.txt prueba-verificar.txt ||
  fallo "las cifras de prueba de info no son las de verificar: $(cat prueba-info.txt) / $(cat prueba-verificar.txt)"
ejecutar info red.nrv
espera_salida "Semilla:                   4" "info"
# A network without options says nothing of them.
"$NRV" nueva sin.nrv iris-entrenamiento.txt iris-verificacion.txt --epocas 2 >/dev/null
ejecutar info sin.nrv
grep -q "Semilla\|prueba" salida.txt && fallo "info habla de opciones que la red no tiene: $SALIDA"

# Refusals, in Spanish, code 2, nothing written.
ejecutar nueva r2.nrv iris-entrenamiento.txt iris-verificacion.txt --paciencia 0
espera_rc 2 "paciencia 0"
espera_error "Paciencia: Introduzca un número entero entre 1 y 400." "paciencia 0"
ejecutar nueva r2.nrv iris-entrenamiento.txt iris-verificacion.txt --semilla -3
espera_error "Semilla: Introduzca un número entero positivo." "semilla negativa"
ejecutar nueva r2.nrv iris-entrenamiento.txt iris-verificacion.txt --prueba iris-verificacion.txt
espera_error "El fichero de prueba ha de ser otro que los de entrenamiento y verificación." "prueba = verificación"
[ -e r2.nrv ] && fallo "una red rechazada se ha escrito"
ejecutar entrenar sin.nrv --mas-epocas 0
espera_rc 2 "más épocas 0"
espera_error "Más épocas: Introduzca un número entero entre 1 y 999998." "más épocas 0"

# Regression figures: RMSE, MAE and R² of verificar equal those computed
# from aplicar's outputs (in the table's units) and the table's targets.
printf 'x,y,z\n' >reg.csv
for i in $(seq 0 39); do echo "$i,$((i * i % 13)),$((3 * i + 5))"; done >>reg.csv
"$NRV" importar reg.csv reg.txt --esquema reg.json --salidas 1 >/dev/null
"$NRV" nueva reg.nrv reg.txt reg.txt --epocas 20 --ocultas 4 --error 0.01 >/dev/null
"$NRV" entrenar reg.nrv >/dev/null
ejecutar verificar reg.nrv reg.csv --esquema reg.json --json
espera_rc 0 "verificar con salidas numéricas"
cifra() { sed -n "s/^ *\"$1\": \\([^,]*\\),*$/\\1/p" salida.txt | tail -1; }
esperado=$("$NRV" aplicar reg.nrv reg.csv --esquema reg.json | tr -d '\r' | tail -n +2 | cut -d, -f2 |
  paste -d, - <(tail -n +2 reg.csv | cut -d, -f3) |
  LC_ALL=C awk -F, '{ e = $1 - $2; c += e * e; a += (e < 0 ? -e : e); t[NR] = $2; m += $2 }
           END { m /= NR; for (i = 1; i <= NR; i++) s += (t[i] - m) ^ 2;
                 printf "%.6g %.6g %.6g\n", sqrt(c / NR), a / NR, 1 - c / s }')
obtenido=$(LC_ALL=C printf '%.6g %.6g %.6g\n' "$(cifra rmse)" "$(cifra mae)" "$(cifra r2)")
[ "$esperado" = "$obtenido" ] || fallo "cifras de regresión $obtenido; calculadas de aplicar: $esperado"
ejecutar verificar reg.nrv reg.csv --esquema reg.json
espera_salida "Error Total: $(sed -n 's/^Error Total: //p' salida.txt)" "verificar con regresión"
grep -q "^z  *[0-9]" salida.txt || fallo "verificar no da la fila de la salida z: $SALIDA"

termina
