# The whole path from tables people keep to a network applied to new data:
# importar (writing, then applying the scheme), nueva, entrenar, verificar
# with its confusion matrix and in JSON, aplicar; hits in aplicar's rows
# are exactly verificar's rate.
. "$(dirname "$0")/comun.inc"

cp "$EJEMPLOS"/iris-*.csv .
"$NRV" importar iris-train.csv iris-train.txt --esquema iris.json >/dev/null || fallo "importar iris-train.csv"
"$NRV" importar iris-test.csv iris-test.txt --esquema iris.json >/dev/null || fallo "importar iris-test.csv"
"$NRV" nueva iris.nrv iris-train.txt iris-test.txt >/dev/null || fallo "nueva"
"$NRV" entrenar iris.nrv >/dev/null || fallo "entrenar"

# verificar: the four lines, then the matrix; at least 90 % on the test table.
ejecutar verificar iris.nrv iris-test.txt --matriz --esquema iris.json
espera_rc 0 "verificar --matriz"
[ "$(head -n 4 salida.txt | cut -d: -f1 | tr '\n' '|')" = "Fichero|Nº Muestras|Tasa Aciertos|Error Total|" ] ||
  fallo "verificar --matriz no empieza por las cuatro líneas: $SALIDA"
tasa=$(sed -n 's/^Tasa Aciertos: *\(.*\) %$/\1/p' salida.txt)
LC_ALL=C awk -v t="$tasa" 'BEGIN { exit !(t >= 90) }' || fallo "la red llega solo al $tasa % sobre iris-test"
espera_salida "Matriz de confusión (filas: objetivo; columnas: red):" "verificar --matriz"
grep -qE '^objetivo \\ red +setosa +versicolor +virginica +Sensibilidad$' salida.txt || fallo "cabecera de la matriz: $SALIDA"
# Counts add up to the samples; the diagonal is the hits.
read -r total diagonal < <(LC_ALL=C awk '/^(setosa|versicolor|virginica) / { for (i = 2; i <= 4; i++) { t += $i; if (i == NR - 6) d += $i } } END { print t, d }' salida.txt)
[ "$total" -eq 50 ] || fallo "la matriz suma $total muestras, no 50"
LC_ALL=C awk -v d="$diagonal" -v t="$tasa" 'BEGIN { exit !(sprintf("%.4f", d * 100 / 50) == t) }' ||
  fallo "la diagonal ($diagonal) no da la tasa $tasa"
grep -qE '^Precisión( +[0-9.]+ %){3}$' salida.txt || fallo "fila de precisión: $SALIDA"

# The same four lines without --matriz, byte for byte, and the same figures in JSON.
ejecutar verificar iris.nrv iris-test.txt
head -n 4 <<<"$SALIDA" >cuatro.txt
"$NRV" verificar iris.nrv iris-test.txt --matriz 2>/dev/null | head -n 4 | cmp -s - cuatro.txt || fallo "--matriz cambia las cuatro líneas"
ejecutar verificar iris.nrv iris-test.txt --json --matriz
espera_rc 0 "verificar --json"
grep -q '^  "muestras": 50,$' salida.txt || fallo "verificar --json: $SALIDA"
aciertos=$(sed -n 's/^  "aciertos": \([0-9]*\),$/\1/p' salida.txt)
[ "$aciertos" = "$diagonal" ] || fallo "JSON: $aciertos aciertos, la matriz $diagonal"
grep -q '"cuentas": \[' salida.txt || fallo "verificar --json --matriz sin matriz"
ejecutar info iris.nrv --json
grep -q '^  "epocas": 100,$' salida.txt || fallo "info --json: $SALIDA"

# aplicar on the verification data: the share of hits is verificar's rate,
# from the data file and from the table through the scheme.
for datos in iris-test.txt iris-test.csv; do
  ejecutar aplicar iris.nrv "$datos" --esquema iris.json
  espera_rc 0 "aplicar $datos"
  [ "$(head -n 1 salida.txt | tr -d '\r')" = "muestra,setosa,versicolor,virginica,ganadora,objetivo,acierto" ] ||
    fallo "cabecera de aplicar $datos: $(head -n 1 salida.txt)"
  [ "$(wc -l <salida.txt)" -eq 51 ] || fallo "aplicar $datos: $(wc -l <salida.txt) líneas"
  [ "$(grep -c $'\r$' salida.txt)" -eq 51 ] || fallo "aplicar $datos no termina sus líneas en CR LF"
  parte=$(tr -d '\r' <salida.txt | LC_ALL=C awk -F, 'NR > 1 { n++; a += $7 } END { printf "%7.4f", a * 100 / n }')
  [ "$parte" = "$tasa" ] || fallo "aplicar $datos: aciertos $parte %, verificar $tasa %"
  tr -d '\r' <salida.txt | LC_ALL=C awk -F, 'NR > 1 && ($7 == 1) != ($5 == $6) { exit 1 }' || fallo "acierto no es ganadora = objetivo"
done
# Without the scheme, the outputs are numbered; into a file, a summary.
ejecutar aplicar iris.nrv iris-test.txt resultados.csv
espera_rc 0 "aplicar a un fichero"
espera_salida "Resultados de 50 muestras escritos en resultados.csv (aciertos: $aciertos de 50, $(echo $tasa) %)." "aplicar a un fichero"
[ "$(head -n 1 resultados.csv | tr -d '\r')" = "muestra,salida1,salida2,salida3,ganadora,objetivo,acierto" ] ||
  fallo "cabecera sin esquema: $(head -n 1 resultados.csv)"

# New flowers, without their species: no objetivo, no acierto.
ejecutar aplicar iris.nrv iris-nuevas.csv nuevas.csv --esquema iris.json
espera_rc 0 "aplicar a iris-nuevas.csv"
[ "$(head -n 1 nuevas.csv | tr -d '\r')" = "muestra,setosa,versicolor,virginica,ganadora" ] ||
  fallo "cabecera de las nuevas: $(head -n 1 nuevas.csv)"
[ "$(tr -d '\r' <nuevas.csv | LC_ALL=C awk -F, 'NR > 1 && $5 ~ /^(setosa|versicolor|virginica)$/ && $2 ~ /^[0-9.e-]+$/' | wc -l)" -eq 10 ] ||
  fallo "filas de las nuevas: $(cat nuevas.csv)"

# Refusals.
ejecutar aplicar iris.nrv "$EJEMPLOS/xor.txt"
espera_rc 2 "aplicar a datos de otra forma"
espera_error "El fichero $EJEMPLOS/xor.txt tiene 2 entradas y 1 salida; la red, 4 entradas y 3 salidas." "aplicar a datos de otra forma"
ejecutar aplicar iris.nrv no-existe.txt
espera_rc 2 "aplicar a un fichero que no existe"
espera_error "No se ha podido abrir el fichero o fichero inexistente" "aplicar a un fichero que no existe"
cp iris.nrv iris.antes
ejecutar aplicar iris.nrv iris-test.txt iris.nrv
espera_rc 2 "aplicar sobre la red"
cmp -s iris.nrv iris.antes || fallo "aplicar ha cambiado la red"
printf 'sepal_length,sepal_width,petal_length,petal_width,species\n1,2,3,4,rosa\n' >rosa.csv
ejecutar aplicar iris.nrv rosa.csv --esquema iris.json
espera_rc 1 "aplicar con una clase desconocida"
espera_error "rosa.csv, línea 2, columna 5 (species): la clase «rosa» no está en el esquema iris.json (sus clases: setosa, versicolor, virginica)." "aplicar con una clase desconocida"
printf 'a,b,k\n1,2,x\n3,4,y\n' >dos.csv
"$NRV" importar dos.csv dos.txt --esquema dos.json >/dev/null || fallo "importar dos.csv"
ejecutar verificar iris.nrv iris-test.txt --esquema dos.json
espera_rc 1 "verificar con el esquema de otra red"
espera_error "El esquema dos.json da 2 entradas y 2 salidas; la red tiene 4 entradas y 3 salidas." "verificar con el esquema de otra red"
ejecutar verificar iris.nrv iris-nuevas.csv --esquema iris.json
espera_rc 1 "verificar datos sin clase"
espera_error "iris-nuevas.csv: le falta la columna «species» del esquema iris.json." "verificar datos sin clase"

# A scheme of the same shape whose classes come in another order names
# every prediction after another class: said, and the rows still written
# (the user may mean it); the network's own scheme says nothing.
sed 's/"setosa"/"X"/; s/"virginica"/"setosa"/; s/"X"/"virginica"/' iris.json >reves.json
ejecutar aplicar iris.nrv iris-nuevas.csv --esquema reves.json
espera_rc 0 "aplicar con las clases en otro orden"
espera_error "Aviso: el esquema reves.json da las salidas en otro orden que el fichero de entrenamiento de la red, iris-train.txt (virginica, versicolor, setosa frente a setosa, versicolor, virginica); cada salida se nombra según el esquema." "aplicar con las clases en otro orden"
ejecutar verificar iris.nrv iris-test.csv --esquema reves.json
espera_rc 0 "verificar con las clases en otro orden"
grep -q "^nrv: Aviso: el esquema reves.json da las salidas en otro orden" errores.txt || fallo "verificar con las clases en otro orden: $ERRORES"
ejecutar aplicar iris.nrv iris-nuevas.csv --esquema iris.json
[ -z "$ERRORES" ] || fallo "aplicar con el propio esquema avisa: $ERRORES"

termina
