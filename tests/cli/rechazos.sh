# nrv-cli: every refusal, with its message on standard error and its exit
# code, and nothing written or changed by a refused command.
. "$(dirname "$0")/comun.inc"

cp "$EJEMPLOS/xor.txt" a.txt
cp "$EJEMPLOS/xor.txt" b.txt
cp "$EJEMPLOS/iris-test.txt" iris.txt

# -- the command line (exit code 2, usage on standard error)
uso() {  # uso DESCRIPTION MESSAGE ARGS...
  local desc=$1 mensaje=$2
  shift 2
  ejecutar "$@"
  espera_rc 2 "$desc"
  espera_error "$mensaje" "$desc"
  grep -q '^Uso: nrv-cli' errores.txt || fallo "$desc: sin la línea de uso"
  [ -z "$SALIDA" ] || fallo "$desc: ha escrito en la salida estándar"
}
uso "sin orden" "falta la orden"
uso "orden desconocida" "orden desconocida: crear" crear r.nrv
uso "opción antes de la orden" "opción desconocida: --ocultas" --ocultas 3
uso "faltan argumentos" "falta el argumento RED.nrv" nueva
uso "falta la verificación" "falta el argumento VERIFICACION" nueva r.nrv a.txt
uso "argumento de más" "sobra el argumento c.txt" nueva r.nrv a.txt b.txt c.txt
uso "argumento de más en info" "sobra el argumento otra" info r.nrv otra
uso "falta DATOS" "falta el argumento DATOS" verificar r.nrv
uso "falta SALIDA" "falta el argumento SALIDA" pesos r.nrv
uso "aplicar con argumentos de más" "sobra el argumento d.csv" aplicar r.nrv a.txt s.csv d.csv
uso "importar sin destino" "falta el argumento DESTINO" importar t.csv
uso "opción sin valor" "falta el valor de --ocultas" nueva r.nrv a.txt b.txt --ocultas
uso "opción desconocida" "opción desconocida: --capas" nueva r.nrv a.txt b.txt --capas 2
uso "opción repetida" "la opción --ocultas se ha dado dos veces" nueva r.nrv a.txt b.txt --ocultas 2 --ocultas=3
uso "opción corta desconocida" "opción desconocida: -o" nueva r.nrv a.txt b.txt -o 2
uso "opción de otra orden" "opción desconocida: --epocas" entrenar r.nrv --epocas 3
uso "interruptor con valor" "la opción --reemplazar no lleva valor" nueva r.nrv a.txt b.txt --reemplazar=si

# -- nueva: the dialog's validation, in its order (exit code 2)
rechazo_nueva() {  # rechazo_nueva DESCRIPTION MESSAGE ARGS...
  local desc=$1 mensaje=$2
  shift 2
  ejecutar nueva r.nrv "$@"
  espera_rc 2 "$desc"
  espera_error "$mensaje" "$desc"
  [ "$(grep -c '^nrv: ' errores.txt)" -eq 1 ] || fallo "$desc: se esperaba un solo mensaje ($ERRORES)"
  [ ! -e r.nrv ] || fallo "$desc: ha creado la red"
}
rechazo_nueva "entrenamiento vacío" "No ha introducido un fichero" "" b.txt
rechazo_nueva "entrenamiento inexistente" "No se ha podido abrir el fichero o fichero inexistente" no.txt b.txt
rechazo_nueva "verificación vacía" "No ha introducido un fichero" a.txt ""
rechazo_nueva "verificación inexistente" " No se han podido dimensionar los datos. " a.txt no.txt
rechazo_nueva "dimensiones distintas" " Dimensiones incorrectas. " a.txt iris.txt
rechazo_nueva "aprendizaje 0.51" "Introduzca un número entre 0 y 0.5." a.txt b.txt --aprendizaje 0.51
rechazo_nueva "aprendizaje negativo" "Introduzca un número entre 0 y 0.5." a.txt b.txt --aprendizaje -0.1
rechazo_nueva "momento 1.5" "Introduzca un número entre 0 y 1." a.txt b.txt --momento 1.5
rechazo_nueva "error 2" "Introduzca un número entre 0 y 1." a.txt b.txt --error 2
rechazo_nueva "0 ocultas" "Introduzca un número entero entre 1 y 128." a.txt b.txt --ocultas 0
rechazo_nueva "129 ocultas" "Introduzca un número entero entre 1 y 128." a.txt b.txt --ocultas 129
rechazo_nueva "401 épocas" "Introduzca un número entero entre 1 y 400." a.txt b.txt --epocas 401
rechazo_nueva "0 épocas" "Introduzca un número entero entre 1 y 400." a.txt b.txt --epocas 0
rechazo_nueva "coma decimal" "Introduzca un número." a.txt b.txt --error 0,5
rechazo_nueva "número vacío" "Introduzca un número." a.txt b.txt --momento ""
rechazo_nueva "ocultas no numérico" "Introduzca un número entero positivo." a.txt b.txt --ocultas tres
rechazo_nueva "épocas negativas" "Introduzca un número entero positivo." a.txt b.txt --epocas -5
# The training field is checked before any number, the verification field
# after all of them; the numbers in the dialog's order.
rechazo_nueva "orden: entrenamiento primero" "No ha introducido un fichero" "" "" --ocultas tres
rechazo_nueva "orden: números antes que la verificación" "Introduzca un número entero positivo." a.txt "" --ocultas tres
rechazo_nueva "orden: error antes que ocultas" "Introduzca un número entre 0 y 1." a.txt b.txt --ocultas 0 --error 2
rechazo_nueva "orden: épocas antes que momento" "Introduzca un número entero entre 1 y 400." a.txt b.txt --momento 2 --epocas 0
rechazo_nueva "orden: momento antes que ocultas" "Introduzca un número entre 0 y 1." a.txt b.txt --ocultas 0 --momento 2
rechazo_nueva "orden: ocultas antes que aprendizaje" "Introduzca un número entero entre 1 y 128." a.txt b.txt --aprendizaje 1 --ocultas 0

# -- a network that cannot be opened (exit code 1)
ejecutar entrenar no.nrv
espera_rc 1 "red inexistente"
espera_error "No se ha podido abrir el documento no.nrv: no existe el fichero o la carpeta." "red inexistente"
for orden in "info" "entrenar" "verificar b.txt" "historial h.txt" "pesos p.txt"; do
  # shellcheck disable=SC2086 # the command and its extra argument
  set -- $orden
  ejecutar "$1" a.txt "${@:2}"
  espera_rc 1 "$1 sobre un fichero que no es una red"
  espera_error "El fichero a.txt está dañado o no es una red de nrv." "$1 sobre un fichero que no es una red"
done
[ ! -e h.txt ] && [ ! -e p.txt ] || fallo "una orden sobre un fichero que no es una red ha escrito su salida"
red_xor x.nrv --epocas 5 --error 0
head -c 100 x.nrv >corta.nrv
ejecutar info corta.nrv
espera_rc 1 "red cortada"
grep -q '^nrv: ' errores.txt || fallo "red cortada: sin mensaje"

# -- entrenar
# A data file gone: the thread's message, the Failed start, nothing saved.
cp x.nrv x.antes
mv b.txt b.aparte
ejecutar entrenar x.nrv
espera_rc 1 "fichero de verificación ausente"
espera_error "Error en apertura de fichero. b.txt" "fichero de verificación ausente"
espera_error "No se ha entrenado ninguna época; x.nrv no ha cambiado." "fichero de verificación ausente"
cmp -s x.nrv x.antes || fallo "un entrenamiento fallido ha cambiado la red"
[ ! -e HNRV.TXT ] || fallo "un entrenamiento fallido ha escrito HNRV.TXT"
[ "$(lineas_epoca salida.txt)" -eq 0 ] || fallo "un entrenamiento fallido ha escrito épocas"
mv b.aparte b.txt
mv a.txt a.aparte
ejecutar entrenar x.nrv
espera_rc 1 "fichero de entrenamiento ausente"
espera_error "Error en apertura de fichero. a.txt" "fichero de entrenamiento ausente"
cmp -s x.nrv x.antes || fallo "un entrenamiento fallido ha cambiado la red"
# A data file that no longer fits the network.
printf '0 0 0\n1\n' >a.txt
ejecutar entrenar x.nrv
espera_rc 1 "fichero de entrenamiento con otras dimensiones"
espera_error "Dimensiones Erroneas" "fichero de entrenamiento con otras dimensiones"
cmp -s x.nrv x.antes || fallo "un fichero de otras dimensiones ha cambiado la red"
mv a.aparte a.txt
# Trained and exhausted networks are not trained again.
"$NRV" entrenar x.nrv >/dev/null 2>&1
cp x.nrv x.antes
ejecutar entrenar x.nrv
espera_rc 1 "red agotada"
espera_error "La red ya ha completado su número máximo de épocas (5)." "red agotada"
cmp -s x.nrv x.antes || fallo "entrenar una red agotada la ha cambiado"
red_xor t.nrv --error 1
"$NRV" entrenar t.nrv >/dev/null 2>&1
ejecutar entrenar t.nrv
espera_rc 1 "red entrenada"
espera_error "La red ya está entrenada: una época quedó por debajo del error máximo por muestra." "red entrenada"

# -- verificar
rm -f HNRV.TXT
rechazo_verificar() {  # rechazo_verificar DESCRIPTION CODE MESSAGE DATA
  ejecutar verificar x.nrv "$4"
  espera_rc "$2" "$1"
  espera_error "$3" "$1"
  [ -z "$SALIDA" ] || fallo "$1: ha mostrado resultados"
}
rechazo_verificar "verificar sin fichero" 2 "No ha introducido un fichero" ""
rechazo_verificar "verificar fichero inexistente" 2 "No se ha podido abrir el fichero o fichero inexistente" no.txt
rechazo_verificar "verificar dimensiones distintas" 2 "Dimensiones Incorrectas del Fichero de Verificación" iris.txt
printf '0 0\n' >una.txt
rechazo_verificar "verificar una sola línea" 2 "Dimensiones Incorrectas del Fichero de Verificación" una.txt
printf '0 0\n0\n1 1\n' >falta.txt
rechazo_verificar "verificar entrada sin salida" 1 "Error en apertura de fichero" falta.txt
espera_error "Faltan datos." "verificar entrada sin salida"
cmp -s x.nrv x.antes || fallo "verificar ha cambiado la red"

# -- historial and pesos
red_xor nueva.nrv
ejecutar historial nueva.nrv h.txt
espera_rc 1 "historial de una red sin entrenar"
espera_error "La red no tiene historial: todavía no ha completado ninguna época." "historial sin épocas"
[ ! -e h.txt ] || fallo "historial sin épocas ha creado el fichero"
for orden in historial pesos; do
  ejecutar $orden x.nrv x.nrv
  espera_rc 2 "$orden sobre la propia red"
  espera_error "El fichero de salida x.nrv es la propia red; elija otro." "$orden sobre la propia red"
  ejecutar $orden x.nrv ./x.nrv
  espera_rc 2 "$orden sobre la propia red con otra ruta"
  ejecutar $orden x.nrv ""
  espera_rc 2 "$orden sin fichero"
  espera_error "No ha introducido un fichero" "$orden sin fichero"
  ejecutar $orden x.nrv no/existe.txt
  espera_rc 1 "$orden en una carpeta inexistente"
  espera_error "No se ha podido crear el fichero no/existe.txt: no existe el fichero o la carpeta." "$orden en una carpeta inexistente"
  mkdir -p carpeta
  ejecutar $orden x.nrv carpeta
  espera_rc 1 "$orden sobre una carpeta"
  grep -q '^nrv: ' errores.txt || fallo "$orden sobre una carpeta: sin mensaje"
  cmp -s x.nrv x.antes || fallo "$orden ha cambiado la red"
done

termina
