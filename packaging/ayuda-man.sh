#!/bin/sh
# What help2man reads of nrv or nrv-cli: the program's --help and --version
# texts. The usage line is headed as help2man's Spanish pattern expects
# ("Modo de empleo:" for "Uso:"), and for nrv-cli each command's own help
# follows the tool's, one subsection per command, before the options.
# Usage: ayuda-man.sh PROGRAMA --help|--version
set -eu
programa=$1
shift
if [ "${1:-}" != --help ]; then
  exec "$programa" "$@"
fi
ayuda=$("$programa" --help)
printf '%s\n' "$ayuda" | sed -e '1s/^Uso:/Modo de empleo:/' -e '/^Opciones:$/,$d'
ordenes=$(printf '%s\n' "$ayuda" | sed -n '/^Órdenes:$/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
for orden in $ordenes; do
  echo
  # "Uso: nrv-cli ORDEN ..." becomes the subsection's title, the rest its text.
  "$programa" "$orden" --help | sed -e '1s/^Uso: \(.*\)$/\1:/' -e '2{/^$/d;}' -e '2,$s/^./  &/'
done
echo
printf '%s\n' "$ayuda" | sed -n '/^Opciones:$/,$p'
