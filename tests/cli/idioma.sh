# nrv-cli under a Spanish locale writes and reads exactly what it does under
# the C locale: numbers keep the point, files are byte for byte the same.
. "$(dirname "$0")/comun.inc"

locale -a 2>/dev/null | grep -qix 'es_ES.utf8' || fallo "falta la configuración regional es_ES.UTF-8 (paquete locales-all)"

sesion() {  # sesion LOCALE: every command in a folder of its own, all output in registro.txt
  mkdir "$1" && cd "$1" || return
  cp "$EJEMPLOS/iris-train.txt" "$EJEMPLOS/iris-test.txt" .
  local orden
  while IFS= read -r orden; do
    echo "== $orden" >>registro.txt
    # shellcheck disable=SC2086 # each line is a command with its arguments
    LC_ALL=$1 "$NRV" $orden >>registro.txt 2>&1
    echo "código $?" >>registro.txt
  done <<'ORDENES'
--help
nueva --help
nueva r.nrv iris-train.txt iris-test.txt --ocultas 5 --aprendizaje 0.25 --momento 0.5 --error 0.05 --epocas 15
nueva mala.nrv iris-train.txt iris-test.txt --error 0,5
nueva mala.nrv iris-train.txt iris-test.txt --aprendizaje 0.75
entrenar r.nrv
info r.nrv
verificar r.nrv iris-test.txt
verificar r.nrv iris-train.txt
historial r.nrv h.txt
pesos r.nrv p.txt
pesos r.nrv p.bin
entrenar r.nrv
verificar r.nrv no-existe.txt
ORDENES
  cd ..
}

sesion C
sesion es_ES.UTF-8
grep -q 'código 0' C/registro.txt || fallo "ninguna orden ha funcionado"
grep -q '^Tasa Aciertos: .*\..* %$' C/registro.txt || fallo "la verificación no ha escrito sus cifras"
grep -q ',' C/h.txt || fallo "el historial no tiene comas decimales"
cmp -s C/registro.txt es_ES.UTF-8/registro.txt ||
  fallo "la salida cambia con el idioma: $(diff C/registro.txt es_ES.UTF-8/registro.txt | head -5)"
for f in r.nrv HNRV.TXT h.txt p.txt p.bin; do
  [ -f "C/$f" ] || fallo "no se ha escrito $f"
  cmp -s "C/$f" "es_ES.UTF-8/$f" || fallo "$f cambia con el idioma"
done
[ ! -e C/mala.nrv ] && [ ! -e es_ES.UTF-8/mala.nrv ] || fallo "se ha creado una red con valores rechazados"

termina
