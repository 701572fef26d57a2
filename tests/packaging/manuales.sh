# The manual pages made at build time: they render without a warning, their
# whatis line reads, and nrv-cli(1) holds a subsection for every command of
# the tool's help. Usage: manuales.sh NRV-CLI CARPETA (where nrv-cli.1 and,
# with the workbench, nrv.1 are)
set -u
NRV=$1
CARPETA=$2
export LC_ALL=C.UTF-8 MANWIDTH=80
FALLOS=0
fallo() {
  echo "FALLO: $*" >&2
  FALLOS=$((FALLOS + 1))
}
TMP=$(mktemp -d "${TMPDIR:-/tmp}/nrv-man.XXXXXX")
trap 'rm -rf "$TMP"' EXIT

version=$("$NRV" --version | sed -n '1s/^nrv-cli (nrv) //p')
paginas=(nrv-cli)
[ -e "$CARPETA/nrv.1" ] && paginas+=(nrv)
for p in "${paginas[@]}"; do
  for f in "$CARPETA/$p.1" "$CARPETA/$p.1.gz"; do
    [ -e "$f" ] || { fallo "falta $f"; continue; }
    man --warnings -l "$f" >"$TMP/$p.txt" 2>"$TMP/avisos.txt" || fallo "man -l $f ha fallado"
    [ ! -s "$TMP/avisos.txt" ] || fallo "man -l $f: $(head -c 500 "$TMP/avisos.txt")"
  done
  lexgrog "$CARPETA/$p.1" | grep -qF ": \"$p - " || fallo "$p.1: línea de whatis: $(lexgrog "$CARPETA/$p.1")"
  for seccion in NOMBRE SINOPSIS DESCRIPCIÓN OPCIONES COPYRIGHT "VÉASE TAMBIÉN"; do
    grep -qx "$seccion" "$TMP/$p.txt" || fallo "$p.1 no tiene la sección $seccion"
  done
  grep -q "^nrv $version .*$(echo "$p" | tr a-z A-Z)(1)\$" "$TMP/$p.txt" || fallo "$p.1 no lleva la versión $version al pie"
  grep -q "^ *--version\$" "$TMP/$p.txt" || fallo "$p.1 no explica --version"
done

# Every command, with its usage line as the title of its subsection.
for orden in $("$NRV" --help | sed -n '/^Órdenes:$/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p'); do
  titulo=$("$NRV" "$orden" --help | sed -n '1s/^Uso: //p')
  grep -qxF "   $titulo:" "$TMP/nrv-cli.txt" || fallo "nrv-cli.1 no tiene la subsección «$titulo»"
done

if [ "$FALLOS" -ne 0 ]; then
  echo "$FALLOS comprobaciones fallidas" >&2
  exit 1
fi
