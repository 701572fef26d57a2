# nrv-cli exportar: the example network and freshly trained ones (1, 40 and
# 128 hidden neurons), exported as C and compiled with the system's C
# compiler (and clang), give every output of nrv's forward pass (nrv-cli
# aplicar) bit for bit over whole data files, extreme inputs included; with
# a scheme, from the raw table, through the exported scaling. Then the
# names the file takes and the refusals.
DIR=$(cd "$(dirname "$0")" && pwd)
. "$DIR/comun.inc"

CC=${CC:-cc}
command -v "$CC" >/dev/null || { echo "FALLO: no hay compilador de C ($CC)" >&2; exit 1; }
CFLAGS="-std=c99 -ffp-contract=off -pedantic -Wall -Wextra -Werror"

# The input lines of a text data file, one sample per line.
entradas() { tr -d '\r' <"$1" | awk '!/^\// && length($0) { if (++n % 2) print }'; }

# compilar COMPILADOR [DEFINICIONES...]: red.c (exported with --nombre red)
# alone, then with the test driver, into ./comparar.
compilar() {
  local cc=$1 e s
  shift
  e=$(sed -n 's/^#define RED_ENTRADAS //p' red.c)
  s=$(sed -n 's/^#define RED_SALIDAS //p' red.c)
  "$cc" $CFLAGS -O2 -c red.c -o red.o 2>compilar.txt &&
    "$cc" -std=c99 -ffp-contract=off -DENTRADAS="$e" -DSALIDAS="$s" "$@" "$DIR/comparar_c.c" red.o -lm -o comparar 2>>compilar.txt
}

# probar RED COMPILADORES DATOS...: the export of RED, built by each of the
# compilers, against aplicar over each data file.
probar() {
  local red=$1 compiladores=$2 datos cc
  shift 2
  "$NRV" exportar "$red" red.c --nombre red >/dev/null || { fallo "exportar $red"; return; }
  for cc in $compiladores; do
    compilar "$cc" || { fallo "$red no compila con $cc: $(head -5 compilar.txt)"; continue; }
    for datos in "$@"; do
      "$NRV" aplicar "$red" "$datos" esperadas.csv >/dev/null || { fallo "aplicar $red $datos"; continue; }
      entradas "$datos" >entradas.txt
      ./comparar entradas.txt esperadas.csv >comparacion.txt 2>&1 ||
        fallo "$red sobre $datos, compilada con $cc: $(head -5 comparacion.txt)"
      grep -q "iguales bit a bit" comparacion.txt || fallo "$red sobre $datos: $(cat comparacion.txt)"
    done
  done
}

cp "$EJEMPLOS"/iris-train.txt "$EJEMPLOS"/iris-test.txt "$EJEMPLOS"/iris-*.csv .

# Extreme inputs: nets far beyond the table, huge products, infinities
# and their differences (NaN) reach the outputs.
awk 'BEGIN {
  split("0 -0 1e3 -1e3 1e300 -1e300 1e308 -1e308 7.99 -8 3.2e-320 0.5", v, " ")
  for (i = 1; i <= 12; i++) for (j = 1; j <= 12; j += 3) {
    print v[i], v[j], v[(i + j) % 12 + 1], v[(i * j) % 12 + 1]; print "1 0 0"
  }
}' >extremos.txt

# The example network with both compilers (clang where there is one), the
# trained ones with the system's.
probar "$EJEMPLOS/iris.nrv" "$CC $(command -v clang)" iris-test.txt iris-train.txt extremos.txt
[ "$(grep -c nan esperadas.csv)" -gt 0 ] || fallo "los datos extremos no llevan ninguna salida a NaN"
for ocultas in 1 40 128; do
  "$NRV" nueva "r$ocultas.nrv" iris-train.txt iris-test.txt --ocultas "$ocultas" --epocas 4 --error 0 >/dev/null &&
    "$NRV" entrenar "r$ocultas.nrv" >/dev/null || fallo "crear y entrenar una red de $ocultas neuronas ocultas"
  probar "r$ocultas.nrv" "$CC" iris-test.txt iris-train.txt extremos.txt
done

# With the scheme: raw measurements scaled by the exported function give
# the data files' inputs bit for bit, then the outputs and classes of
# aplicar on the raw table.
"$NRV" importar iris-train.csv t.txt --esquema iris.json >/dev/null &&
  "$NRV" importar iris-test.csv v.txt --esquema iris.json >/dev/null &&
  "$NRV" nueva e.nrv t.txt v.txt --ocultas 12 --epocas 8 --error 0 >/dev/null &&
  "$NRV" entrenar e.nrv >/dev/null || fallo "importar y entrenar la red de las tablas"
ejecutar exportar e.nrv red.c --nombre red --esquema iris.json
espera_rc 0 "exportar con esquema"
espera_salida "Red exportada en C en red.c ($(stat -c %s red.c) bytes): red_propagar, red_ganadora, red_escalar, red_clases." \
  "exportar con esquema"
grep -qF '"versicolor",' red.c || fallo "red.c no nombra las clases"
for cc in "$CC" $(command -v clang); do
  compilar "$cc" -DCON_ESQUEMA || { fallo "red.c con esquema no compila con $cc: $(head -5 compilar.txt)"; continue; }
  for tabla in iris-test iris-train; do
    datos=v.txt
    [ $tabla = iris-train ] && datos=t.txt
    "$NRV" aplicar e.nrv $tabla.csv esperadas.csv --esquema iris.json >/dev/null || fallo "aplicar $tabla.csv"
    entradas $datos >escaladas.txt
    ./comparar --escalar $tabla.csv escaladas.txt esperadas.csv >comparacion.txt 2>&1 ||
      fallo "$tabla.csv en bruto, compilada con $cc: $(head -5 comparacion.txt)"
  done
done

# Names: by default the destination's, made an identifier.
"$NRV" exportar "$EJEMPLOS/iris.nrv" iris-40.c >/dev/null || fallo "exportar a iris-40.c"
grep -qx 'void iris_40_propagar(const double \*entradas, double \*salidas)' iris-40.c || fallo "iris-40.c no define iris_40_propagar"
grep -q -- '-ffp-contract=off' iris-40.c || fallo "el comentario inicial no pide -ffp-contract=off"
grep -q $'\r' iris-40.c && fallo "iris-40.c lleva CR"
# Two exports link into one program.
"$NRV" exportar r1.nrv uno.c >/dev/null && "$NRV" exportar r40.nrv --nombre cuarenta cuarenta.c >/dev/null || fallo "exportar dos redes"
printf '%s\n' '#include <stdio.h>' 'void uno_propagar(const double *, double *);' \
  'void cuarenta_propagar(const double *, double *);' \
  'int main(void) { double x[4] = {0.2, 0.4, 0.6, 0.8}, a[3], b[3]; uno_propagar(x, a); cuarenta_propagar(x, b);' \
  '  printf("%.17g %.17g\n", a[0], b[0]); return 0; }' >dos.c
"$CC" $CFLAGS dos.c uno.c cuarenta.c -lm -o dos 2>compilar.txt && ./dos >/dev/null || fallo "dos redes en un programa: $(head -5 compilar.txt)"

# Refusals.
ejecutar exportar r1.nrv x.c --nombre 9vidas
espera_rc 2 "un prefijo que no es un identificador"
espera_error "El nombre «9vidas» no sirve de prefijo en C: ha de empezar por una letra (C reserva los nombres que empiezan por «_») y seguir con letras sin tilde, cifras o «_»." \
  "un prefijo que no es un identificador"
[ -e x.c ] && fallo "se ha escrito x.c con un prefijo rechazado"
red_xor x.nrv
ejecutar exportar x.nrv x.c --esquema iris.json
espera_rc 1 "un esquema de otra forma"
espera_error "El esquema iris.json da 4 entradas y 3 salidas; la red tiene 2 entradas y 1 salida." "un esquema de otra forma"
ejecutar exportar x.nrv x.c --esquema no-existe.json
espera_rc 1 "un esquema que no existe"
espera_error "No se ha podido abrir el esquema no-existe.json." "un esquema que no existe"
cp x.nrv x.antes
ejecutar exportar x.nrv x.nrv
espera_rc 2 "exportar sobre la red"
cmp -s x.nrv x.antes || fallo "exportar ha cambiado la red"
ejecutar exportar no-existe.nrv x.c
espera_rc 1 "una red que no existe"
ejecutar exportar x.nrv carpeta-que-no-existe/x.c
espera_rc 1 "un destino que no se puede crear"

termina
