# The files that make nrv known to the desktop: the desktop entry, the
# .nrv document type and the AppStream metadata validate, and they agree
# on the type, the program and the licence.
# Usage: escritorio.sh FUENTES METAINFO (the metainfo as the build made it)
set -u
FUENTES=$1
METAINFO=$2
export LC_ALL=C.UTF-8
FALLOS=0
fallo() {
  echo "FALLO: $*" >&2
  FALLOS=$((FALLOS + 1))
}
TMP=$(mktemp -d "${TMPDIR:-/tmp}/nrv-escritorio.XXXXXX")
trap 'rm -rf "$TMP"' EXIT
ESCRITORIO=$FUENTES/resources/nrv.desktop
TIPO=$FUENTES/resources/nrv-mime.xml

# Not even a hint from the validator.
avisos=$(desktop-file-validate "$ESCRITORIO" 2>&1) || fallo "desktop-file-validate: $avisos"
[ -z "$avisos" ] || fallo "desktop-file-validate: $avisos"
appstreamcli validate --no-net --no-color "$METAINFO" >"$TMP/appstream.txt" 2>&1 ||
  fallo "appstreamcli validate: $(cat "$TMP/appstream.txt")"

# The shared MIME database built from our file alone gives *.nrv its type
# and its icon.
mkdir -p "$TMP/mime/packages"
cp "$TIPO" "$TMP/mime/packages/nrv.xml"
update-mime-database "$TMP/mime" >"$TMP/mime.txt" 2>&1 || fallo "update-mime-database: $(cat "$TMP/mime.txt")"
grep -qxF "50:application/x-nrv:*.nrv" "$TMP/mime/globs2" || fallo "*.nrv no es application/x-nrv: $(cat "$TMP/mime/globs2")"
grep -qxF "application/x-nrv:application-x-nrv" "$TMP/mime/icons" || fallo "application/x-nrv sin su icono"
grep -q '<comment xml:lang="es">' "$TIPO" || fallo "el tipo application/x-nrv no tiene comentario en español"

# They agree.
grep -qx "MimeType=application/x-nrv;" "$ESCRITORIO" || fallo "nrv.desktop no abre application/x-nrv"
grep -qx "Exec=nrv %f" "$ESCRITORIO" || fallo "nrv.desktop no pasa el fichero a nrv"
grep -qF "<mediatype>application/x-nrv</mediatype>" "$METAINFO" || fallo "el AppStream no nombra application/x-nrv"
grep -qF '<launchable type="desktop-id">nrv.desktop</launchable>' "$METAINFO" || fallo "el AppStream no lanza nrv.desktop"
grep -qF "<project_license>MIT</project_license>" "$METAINFO" || fallo "el AppStream no da la licencia MIT"
grep -q "^MIT License" "$FUENTES/LICENSE" || fallo "LICENSE no es la licencia MIT"
for lengua in "" ' xml:lang="es"'; do
  grep -q "<summary$lengua>" "$METAINFO" || fallo "el AppStream no tiene resumen${lengua:+ en español}"
  grep -q "<p$lengua>" "$METAINFO" || fallo "el AppStream no tiene descripción${lengua:+ en español}"
done
[ -f "$FUENTES/resources/icons/nrv-documento.svg" ] || fallo "falta el icono de los documentos"

if [ "$FALLOS" -ne 0 ]; then
  echo "$FALLOS comprobaciones fallidas" >&2
  exit 1
fi
