# The bash completion of nrv-cli (built next to it from cli/nrv-cli.bash.in
# and the table of commands): registered for the command, it offers the
# commands, each command's options and, for each argument, the folders and
# the files of the kind it takes.
. "$(dirname "$0")/comun.inc"

COMPLETADO=$(dirname "$NRV")/nrv-cli.bash
mkdir -p carpeta
touch red.nrv otra.NRV "con blanco.nrv" a.txt b.dat c.bin d.ie3 tabla.csv esquema.json fuente.c curvas.svg nota.md

# ofrece ESPERADO PALABRAS...: the sorted completions of the command line
# PALABRAS (the last one is being typed) must be ESPERADO.
ofrece() {
  local esperado=$1 obtenido
  shift
  obtenido=$(bash -c '. "$1" || exit 3
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    _nrv_cli
    [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\0" "${COMPREPLY[@]}" | LC_ALL=C sort -z | tr "\0" " "' completado "$COMPLETADO" "$@" 2>&1)
  [ "$obtenido" = "$esperado" ] || fallo "$*<TAB>: «$obtenido», se esperaba «$esperado»"
}

[ "$(bash -c '. "$1"; complete -p nrv-cli' completado "$COMPLETADO")" = "complete -F _nrv_cli nrv-cli" ] ||
  fallo "el completado no queda registrado para nrv-cli"

# Commands: those of the tool's help (among them the ones that are always
# there), each known with its arguments.
ordenes=$("$NRV" --help | sed -n '/^Órdenes:$/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
for orden in nueva entrenar verificar historial pesos info importar aplicar exportar curvas; do
  grep -qx "$orden" <<<"$ordenes" || fallo "la ayuda no presenta la orden $orden"
done
lista() { printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' '; }
# shellcheck disable=SC2086
ofrece "$(lista $ordenes help)" nrv-cli ""
ofrece "verificar " nrv-cli ver
ofrece "--help --version " nrv-cli --
# shellcheck disable=SC2086
ofrece "$(lista $(grep '^e' <<<"$ordenes"))" nrv-cli help e
for orden in $ordenes; do
  ofrece "$orden " nrv-cli "$orden"
  bash -c '. "$1"; _nrv_cli_orden "$2" && [ ${#argumentos[@]} -gt 0 ]' completado "$COMPLETADO" "$orden" ||
    fallo "el completado no sabe qué argumentos toma la orden $orden"
done

# The files each argument takes (folders too, to go down into them).
ofrece "carpeta con blanco.nrv otra.NRV red.nrv " nrv-cli entrenar ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 " nrv-cli nueva red.nrv ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 " nrv-cli nueva red.nrv a.txt ""
ofrece "" nrv-cli nueva red.nrv a.txt b.dat ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 " nrv-cli verificar --matriz red.nrv ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 tabla.csv " nrv-cli verificar --esquema e.json red.nrv ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 tabla.csv " nrv-cli verificar red.nrv --esquema=e.json ""
ofrece "a.txt b.dat c.bin carpeta con blanco.nrv curvas.svg d.ie3 esquema.json fuente.c nota.md otra.NRV red.nrv tabla.csv " nrv-cli pesos red.nrv ""
ofrece "carpeta tabla.csv " nrv-cli importar ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 " nrv-cli aplicar red.nrv ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 tabla.csv " nrv-cli aplicar --esquema = e.json red.nrv ""
ofrece "carpeta tabla.csv " nrv-cli aplicar red.nrv a.txt ""
ofrece "carpeta fuente.c " nrv-cli exportar red.nrv ""
ofrece "carpeta curvas.svg " nrv-cli curvas red.nrv ""
ofrece "red.nrv " nrv-cli entrenar r
ofrece "carpeta esquema.json " nrv-cli experimento ""
ofrece "carpeta " nrv-cli experimento esquema.json ""
ofrece "carpeta " nrv-cli resumen ""
ofrece "--tarea --trabajos " nrv-cli experimento plan.json r --t

# Options, and the values they take, written apart or after "=".
ofrece "--ocultas " nrv-cli nueva red.nrv --o
ofrece "--esquema --help --json --matriz " nrv-cli verificar --
ofrece "--help --hilos --mas-epocas " nrv-cli entrenar red.nrv --
ofrece "--medir-entrenamiento " nrv-cli nueva red.nrv --me
ofrece "--csv --help --json " nrv-cli historial red.nrv --
ofrece "--sin-cabecera " nrv-cli importar --sin
ofrece "carpeta esquema.json " nrv-cli importar tabla.csv --esquema ""
ofrece "carpeta esquema.json " nrv-cli importar tabla.csv --esquema = ""
ofrece "carpeta esquema.json " nrv-cli importar tabla.csv --esquema =
ofrece "minmax ninguna " nrv-cli importar --escala ""
ofrece "ninguna " nrv-cli importar --escala n
ofrece "" nrv-cli nueva --ocultas ""
# An option's value is not an argument: the second argument is still next.
ofrece "a.txt b.dat c.bin carpeta d.ie3 " nrv-cli nueva --ocultas 10 red.nrv ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 " nrv-cli importar tabla.csv --esquema=esquema.json ""
ofrece "a.txt b.dat c.bin carpeta d.ie3 " nrv-cli importar --esquema = esquema.json tabla.csv ""
# After "--" everything is an argument.
ofrece "" nrv-cli entrenar -- -
ofrece "" nrv-cli desconocida ""

termina
