# nrv-cli importar: tables into data files with their scheme, every
# refusal (where, code 1, nothing written), the detection rules, and values
# that read back the same in both formats and both locales.
. "$(dirname "$0")/comun.inc"

cp "$EJEMPLOS"/iris-*.csv .

# The training table writes the scheme; the verification table applies it.
ejecutar importar iris-train.csv train.txt --esquema iris.json
espera_rc 0 "importar la tabla de entrenamiento"
espera_salida "Tabla iris-train.csv importada en train.txt: 100 muestras, 4 entradas, 3 salidas." "importar"
espera_salida "Leída con separador «,», marca decimal «.» y cabecera." "importar"
espera_salida "Clases, en el orden de las salidas: setosa, versicolor, virginica." "importar"
espera_salida "Esquema escrito en iris.json." "importar"
[ -z "$ERRORES" ] || fallo "importar ha escrito mensajes: $ERRORES"
grep -q '"formato": "esquema de nrv"' iris.json || fallo "el esquema no es JSON de nrv: $(head -3 iris.json)"
[ "$(grep -c $'\r$' train.txt)" -eq "$(wc -l <train.txt)" ] || fallo "el fichero de datos no termina sus líneas en CR LF"
cp iris.json iris.antes
ejecutar importar iris-test.csv test.bin --esquema iris.json
espera_rc 0 "importar la tabla de verificación"
espera_salida "Esquema aplicado: iris.json." "importar con esquema"
cmp -s iris.json iris.antes || fallo "el esquema existente ha cambiado"
[ "$(stat -c %s test.bin)" -eq $((12 + 50 * 7 * 8)) ] || fallo "test.bin ocupa $(stat -c %s test.bin) bytes"
# Data files that nrv takes as they are.
"$NRV" nueva r.nrv train.txt test.bin --epocas 2 >/dev/null 2>errores.txt || fallo "nueva con los ficheros importados"
[ -s errores.txt ] && fallo "nueva con los ficheros importados avisa: $(cat errores.txt)"

# Text and binary hold the same doubles, in either locale, byte for byte.
for l in C.UTF-8 es_ES.UTF-8; do
  mkdir -p "$l"
  LC_ALL=$l "$NRV" importar iris-test.csv "$l/t.txt" --esquema iris.json >/dev/null || fallo "importar bajo $l"
  LC_ALL=$l "$NRV" importar iris-test.csv "$l/t.bin" --esquema iris.json >/dev/null || fallo "importar bajo $l"
  LC_ALL=$l "$NRV" importar iris-train.csv "$l/e.txt" --esquema "$l/e.json" >/dev/null || fallo "importar bajo $l"
done
cmp -s C.UTF-8/t.txt es_ES.UTF-8/t.txt || fallo "el fichero de texto cambia con el idioma"
cmp -s C.UTF-8/t.bin es_ES.UTF-8/t.bin || fallo "el fichero binario cambia con el idioma"
cmp -s C.UTF-8/e.json es_ES.UTF-8/e.json || fallo "el esquema cambia con el idioma"
cmp -s C.UTF-8/e.json iris.json || fallo "el mismo esquema no sale igual"
cmp -s C.UTF-8/t.bin test.bin || fallo "el mismo fichero binario no sale igual"
"$NRV" verificar r.nrv C.UTF-8/t.txt | tail -n 3 >texto.txt
"$NRV" verificar r.nrv test.bin | tail -n 3 >binario.txt
cmp -s texto.txt binario.txt || fallo "texto y binario dan otras cifras"

# Detection: a semicolon table with decimal commas, classes in another
# order, quoted cells; the scheme gives the training table's order.
printf 'sepal_length;sepal_width;petal_length;petal_width;species\r\n5,1;3,5;1,4;0,2;"virginica"\r\n4,3;2;1,1;0,1;setosa\r\n' >pc.csv
ejecutar importar pc.csv pc.txt --esquema iris.json
espera_rc 0 "importar una tabla con punto y coma"
espera_salida "Leída con separador «;», marca decimal «,» y cabecera." "punto y coma"
[ "$(tr -d '\r' <pc.txt | grep -v '^/' | sed -n '2p;4p' | tr '\n' '|')" = "0 0 1|1 0 0|" ] ||
  fallo "las clases no siguen el orden del esquema: $(cat pc.txt)"
[ "$(tr -d '\r' <pc.txt | grep -v '^/' | sed -n 3p)" = "0 0 0 0" ] || fallo "el mínimo del esquema no da 0: $(cat pc.txt)"
# Forced: separator, decimal mark, header; numeric outputs; no scaling.
printf '1\t2,5\t3\n4\t5\t6\n' >tab.txt
ejecutar importar tab.txt tab.dat --separador tab --decimal , --sin-cabecera --salidas 1 --escala ninguna
espera_rc 0 "importar con todo impuesto"
[ "$(tr -d '\r' <tab.dat | grep -v '^/' | tr '\n' '|')" = "1 2.5|3|4 5|6|" ] || fallo "tab.dat: $(cat tab.dat)"
printf 'x,y\n1,2\n3,4\n' >num.csv
ejecutar importar num.csv num.txt --salidas 1
[ "$(tr -d '\r' <num.txt | grep -v '^/' | tr '\n' '|')" = "0|0|1|1|" ] || fallo "salida numérica escalada: $(cat num.txt)"

# Refusals: the line (and column), code 1, nothing written.
rechazo() {  # rechazo DESCRIPTION MESSAGE TABLE-CONTENTS [OPTIONS...]
  printf "$3" >mala.csv
  rm -f mala.txt nuevo.json
  ejecutar importar mala.csv mala.txt "${@:4}"
  espera_rc 1 "$1"
  espera_error "$2" "$1"
  [ ! -e mala.txt ] || fallo "$1: ha escrito el fichero de datos"
  [ ! -e nuevo.json ] || fallo "$1: ha escrito el esquema"
}
rechazo "una fila corta" "mala.csv, línea 3: tiene 2 celdas y la cabecera 3." 'a,b,k\n1,2,x\n3,4\n' --esquema nuevo.json
rechazo "una fila larga" "mala.csv, línea 2: tiene 4 celdas y la cabecera 3." 'a,b,k\n1,2,x,9\n'
rechazo "una entrada no numérica" "mala.csv, línea 3, columna 2 (b): «dos» no es un número." 'a,b,k\n1,2,x\n3,dos,y\n' --esquema nuevo.json
rechazo "un NaN" "mala.csv, línea 2, columna 1 (a): el valor «NaN» no es finito." 'a,b,k\nNaN,2,x\n'
rechazo "un infinito" "mala.csv, línea 2, columna 2 (b): el valor «1e999» no es finito." 'a,b,k\n1,1e999,x\n'
rechazo "una tabla vacía" "mala.csv: la tabla está vacía." ''
rechazo "una cabecera sin filas" "mala.csv: la tabla solo tiene la cabecera; le faltan las filas." 'a,b,k\n'
rechazo "unas comillas sin cerrar" "mala.csv, línea 3: unas comillas abiertas no se cierran." 'a,b,k\n1,2,x\n3,4,"y\n5,6,z\n'
rechazo "una clase desconocida" "mala.csv, línea 3, columna 5 (species): la clase «rosa» no está en el esquema iris.json (sus clases: setosa, versicolor, virginica)." 'sepal_length,sepal_width,petal_length,petal_width,species\n1,2,3,4,setosa\n1,2,3,4,rosa\n' --esquema iris.json
rechazo "una columna que falta" "mala.csv: le falta la columna «petal_width» del esquema iris.json." 'sepal_length,sepal_width,petal_length,species\n1,2,3,setosa\n' --esquema iris.json
rechazo "una última columna numérica" "mala.csv: su última columna, columna 2 (b), es numérica: indique cuál es la columna de la clase o cuántas salidas numéricas hay." 'a,b\n1,2\n'
rechazo "una clase que no existe" "mala.csv: no tiene ninguna columna «especie»." 'a,b,k\n1,2,x\n' --clase especie
cmp -s iris.json iris.antes || fallo "un rechazo ha cambiado el esquema"
# Options refused before anything is read: code 2.
for caso in "--separador x" "--decimal ;" "--salidas 0" "--salidas dos" "--escala log" "--cabecera --sin-cabecera" "--clase k --salidas 1"; do
  # shellcheck disable=SC2086
  ejecutar importar iris-train.csv x.txt $caso
  espera_rc 2 "importar $caso"
  [ ! -e x.txt ] || fallo "importar $caso ha escrito el fichero"
done
ejecutar importar iris-train.csv iris-train.csv
espera_rc 2 "importar sobre la propia tabla"
espera_error "El fichero de datos iris-train.csv es la propia tabla; elija otro." "importar sobre la propia tabla"
cmp -s iris-train.csv "$EJEMPLOS/iris-train.csv" || fallo "la tabla ha cambiado"

# nueva with a table: the warning, then what the data-file rules make of it.
ejecutar nueva t.nrv iris-train.csv iris-test.csv
espera_error "el fichero parece una tabla; conviértalo con nrv-cli importar" "nueva con tablas"
ejecutar nueva t2.nrv train.txt train.txt
grep -q "parece una tabla" errores.txt && fallo "nueva avisa de un fichero de datos"

# A quoted line break in a name stays in its comment: the file trains.
printf '"a\nb",b,c\n1,2,x\n3,4,y\n' >nl.csv
ejecutar importar nl.csv nl.txt
espera_rc 0 "importar un nombre con un salto de línea"
"$NRV" nueva nl.nrv nl.txt nl.txt --epocas 1 >/dev/null 2>&1 || fallo "nueva con nl.txt"
"$NRV" entrenar nl.nrv >/dev/null 2>errores.txt || fallo "entrenar con nl.txt: $(cat errores.txt)"
# A header of numbers read as a sample is said, and forced either way.
printf '2019,2020,2021,label\n5.1,3.5,1.4,a\n4.9,3,1.3,b\n4.7,3.2,1.5,a\n' >anos.csv
ejecutar importar anos.csv anos.txt
espera_rc 0 "importar una cabecera de números"
espera_error "anos.csv, línea 1: la primera fila se lee como una muestra, pero no se parece a las demás (¿es la cabecera?); diga si la tabla tiene cabecera o no." "cabecera de números"
ejecutar importar anos.csv anos.txt --cabecera
[ -z "$ERRORES" ] || fallo "importar --cabecera avisa: $ERRORES"

termina
