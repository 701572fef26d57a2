# nrv-cli entrenar stopped with Ctrl+C (SIGINT) and resumed: the epoch in
# progress is completed, recorded and saved, and the next run continues
# from it. Nothing here depends on how fast the machine is: the signal is
# sent once the first epoch line is out, and every check compares what was
# printed with what was saved.
. "$(dirname "$0")/comun.inc"
# Background jobs of a script ignore SIGINT unless job control is on.
set -m

# 20000 samples and 400 epochs: far more than the first epoch lasts.
awk 'BEGIN { srand(7); for (i = 0; i < 20000; i++) { a = rand(); b = rand(); c = rand(); d = rand();
  k = (a + b > c + d) ? 0 : (a > b ? 1 : 2);
  printf "%.4f %.4f %.4f %.4f\n%d %d %d\n", a, b, c, d, k == 0, k == 1, k == 2 } }' >grande.txt
"$NRV" nueva g.nrv grande.txt grande.txt --epocas 400 --error 0 >/dev/null || fallo "nueva"

# entrenar_interrumpido OUT [SIGNALS]: trains g.nrv in the background and
# sends SIGINT (twice with SIGNALS=2) once the first epoch line is printed.
entrenar_interrumpido() {
  : >"$1"  # there before the loop below first looks at it
  "$NRV" entrenar g.nrv >"$1" 2>"$1.err" &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null && [ "$(lineas_epoca "$1")" -lt 1 ]; do sleep 0.05; done
  kill -INT "$pid" 2>/dev/null
  [ "${2:-1}" -eq 2 ] && kill -INT "$pid" 2>/dev/null
  wait "$pid"
  RC=$?
}

# First run, stopped.
entrenar_interrumpido run1.txt
[ "$RC" -eq 0 ] || fallo "entrenamiento interrumpido: código $RC ($(cat run1.txt.err))"
n1=$(lineas_epoca run1.txt)
[ "$n1" -ge 1 ] && [ "$n1" -lt 400 ] || fallo "el primer entrenamiento no se ha interrumpido a medias ($n1 épocas)"
grep -qxF "nrv: Deteniendo el entrenamiento al final de la época en curso (otro Ctrl+C sale sin guardar)." run1.txt.err ||
  fallo "sin aviso de la interrupción: $(cat run1.txt.err)"
grep -qxF "Entrenamiento Detenido en la época $((n1 - 1)) ($n1 de 400); red guardada en g.nrv" run1.txt ||
  fallo "resumen del entrenamiento interrumpido: $(tail -1 run1.txt)"
[ "$(info_campo g.nrv 'Épocas')" = "$n1 de 400" ] || fallo "la red guardada no tiene las $n1 épocas impresas"
[ "$(info_campo g.nrv 'Estado')" = "Entrenamiento Detenido (se puede entrenar)" ] || fallo "estado tras interrumpir"
[ "$(tr -d '\r' <HNRV.TXT | lineas_epoca /dev/stdin)" -eq "$n1" ] || fallo "HNRV.TXT no tiene las $n1 épocas"
"$NRV" historial g.nrv h1.txt >/dev/null || fallo "historial tras interrumpir"
[ "$(wc -l <h1.txt)" -eq "$n1" ] || fallo "el historial no tiene las $n1 épocas"
grep -E '^ +[0-9]+ '$'\t' run1.txt >impresas1.txt

# Second run: it goes on from epoch n1.
entrenar_interrumpido run2.txt
[ "$RC" -eq 0 ] || fallo "segundo entrenamiento: código $RC"
n2=$(lineas_epoca run2.txt)
[ "$n2" -ge 1 ] || fallo "el segundo entrenamiento no ha hecho ninguna época"
primera=$(grep -E '^ +[0-9]+ '$'\t' run2.txt | head -1 | awk '{print $1}')
[ "$primera" = "$n1" ] || fallo "el segundo entrenamiento empieza en la época $primera, no en la $n1"
total=$((n1 + n2))
[ "$(info_campo g.nrv 'Épocas')" = "$total de 400" ] || fallo "la red no tiene las $total épocas de los dos entrenamientos"
LC_ALL=C grep -q "N.* de .*poca Inicial: $n1," HNRV.TXT || fallo "el segundo bloque de HNRV.TXT no empieza en la época $n1"
[ "$(grep -c 'FICHERO ENTRENADO' HNRV.TXT)" -eq 2 ] || fallo "HNRV.TXT no tiene dos bloques"
"$NRV" historial g.nrv h2.txt >/dev/null || fallo "historial tras reanudar"
[ "$(wc -l <h2.txt)" -eq "$total" ] || fallo "el historial no tiene las $total épocas"
head -n "$n1" h2.txt | cmp -s - h1.txt || fallo "reanudar ha cambiado las épocas del primer entrenamiento"

# Stopped and trained again to its end, a network is bit for bit the one
# trained without a stop (a second network of the same shape starts with
# the same weights).
mkdir entera partida
head -n 20000 grande.txt >medio.txt
( cd entera && "$NRV" nueva g.nrv ../medio.txt ../medio.txt --epocas 30 --error 0 >/dev/null &&
  "$NRV" entrenar g.nrv >salida.txt 2>&1 ) || fallo "entrenamiento sin interrupción"
cd partida
"$NRV" nueva g.nrv ../medio.txt ../medio.txt --epocas 30 --error 0 >/dev/null || fallo "nueva"
entrenar_interrumpido run.txt
[ "$RC" -eq 0 ] || fallo "interrupción: código $RC"
np=$(lineas_epoca run.txt)
[ "$np" -lt 30 ] || fallo "el entrenamiento de 30 épocas no se ha interrumpido"
"$NRV" entrenar g.nrv >resto.txt 2>&1 || fallo "reanudar hasta el final"
cd ..
cmp -s partida/g.nrv entera/g.nrv || fallo "interrumpir tras $np épocas y reanudar no da la misma red"
cat partida/run.txt partida/resto.txt | grep -E '^ +[0-9]+ '$'\t' >partida.txt
grep -E '^ +[0-9]+ '$'\t' entera/salida.txt | cmp -s - partida.txt || fallo "las épocas reanudadas no son las de un entrenamiento entero"

# A second Ctrl+C leaves at once without saving (130), unless the run had
# already ended and been saved (0): either way the file tells the truth.
cp g.nrv g.antes
entrenar_interrumpido run3.txt 2
case $RC in
  130)
    cmp -s g.nrv g.antes || fallo "salir con el segundo Ctrl+C ha cambiado la red"
    grep -qxF "nrv: entrenamiento abandonado; la red no se ha guardado" run3.txt.err || fallo "sin aviso del abandono"
    ;;
  0)
    [ "$(info_campo g.nrv 'Épocas')" = "$((total + $(lineas_epoca run3.txt))) de 400" ] ||
      fallo "la red guardada tras dos Ctrl+C no tiene las épocas impresas"
    ;;
  *) fallo "dos Ctrl+C: código $RC" ;;
esac
ls -A | grep -q '\.tmp$' && fallo "queda un fichero temporal"

termina
