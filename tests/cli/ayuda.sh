# nrv-cli --help: the tool's help and each command's, on standard output,
# exit code 0.
. "$(dirname "$0")/comun.inc"

for forma in --help -h help; do
  ejecutar $forma
  espera_rc 0 "nrv-cli $forma"
  [ -z "$ERRORES" ] || fallo "nrv-cli $forma ha escrito en la salida de errores"
  for orden in nueva entrenar verificar historial pesos info importar aplicar exportar curvas; do
    grep -qE "^  $orden +[a-z]" salida.txt || fallo "nrv-cli $forma no presenta la orden $orden"
  done
done
grep -qF "Códigos de salida" salida.txt || fallo "la ayuda no explica los códigos de salida"

uso() {  # uso COMMAND USAGE-LINE
  for forma in "$1 --help" "$1 -h" "help $1"; do
    # shellcheck disable=SC2086
    ejecutar $forma
    espera_rc 0 "nrv-cli $forma"
    [ "$(head -n 1 salida.txt)" = "$2" ] || fallo "nrv-cli $forma: «$(head -n 1 salida.txt)»"
    [ "$(wc -l <salida.txt)" -gt 3 ] || fallo "nrv-cli $forma: ayuda demasiado corta"
  done
}
uso nueva "Uso: nrv-cli nueva RED.nrv ENTRENAMIENTO VERIFICACION [opciones]"
uso entrenar "Uso: nrv-cli entrenar RED.nrv [opciones]"
uso verificar "Uso: nrv-cli verificar RED.nrv DATOS [opciones]"
uso historial "Uso: nrv-cli historial RED.nrv SALIDA [opciones]"
uso pesos "Uso: nrv-cli pesos RED.nrv SALIDA"
uso info "Uso: nrv-cli info RED.nrv [opciones]"
uso importar "Uso: nrv-cli importar TABLA DESTINO [opciones]"
uso aplicar "Uso: nrv-cli aplicar RED.nrv DATOS [SALIDA] [opciones]"
uso exportar "Uso: nrv-cli exportar RED.nrv DESTINO.c [opciones]"
uso curvas "Uso: nrv-cli curvas RED.nrv DESTINO.svg [opciones]"

# The defaults named are the dialog's.
ejecutar nueva --help
for linea in "--ocultas N       neuronas ocultas (40; de 1 a 128)" "--aprendizaje X   factor de aprendizaje (0.1; de 0 a 0.5)" \
  "--momento X       factor de momento (0.9; de 0 a 1)" "--error X         error máximo por muestra (0.7; de 0 a 1)" \
  "--epocas N        número máximo de épocas (100; de 1 a 400)"; do
  espera_salida "  $linea" "ayuda de nueva"
done
# Help wins over missing arguments, and does nothing else.
ejecutar nueva r.nrv --help
espera_rc 0 "nueva con --help y argumentos incompletos"
[ ! -e r.nrv ] || fallo "--help ha creado una red"
ejecutar help crear
espera_rc 2 "ayuda de una orden desconocida"
espera_error "orden desconocida: crear" "ayuda de una orden desconocida"

# The version is the project's (CMakeLists.txt), with the licence; the
# tool's help names both options.
version=$(sed -n 's/^project(nrv VERSION \([0-9.]*\).*/\1/p' "$EJEMPLOS/../CMakeLists.txt")
ejecutar --version
espera_rc 0 "nrv-cli --version"
[ -z "$ERRORES" ] || fallo "nrv-cli --version ha escrito en la salida de errores"
[ "$(head -n 1 salida.txt)" = "nrv-cli (nrv) $version" ] || fallo "nrv-cli --version: «$(head -n 1 salida.txt)»"
grep -q "^Copyright © 2026 " salida.txt || fallo "nrv-cli --version no da el copyright"
grep -q "^Licencia MIT" salida.txt || fallo "nrv-cli --version no nombra la licencia"
ejecutar --help
espera_salida "  -h, --help   muestra esta ayuda" "ayuda de nrv-cli"
espera_salida "  --version    muestra la versión del programa" "ayuda de nrv-cli"
# Only before a command; after one it is an unknown option, as before.
ejecutar info --version
espera_rc 2 "nrv-cli info --version"
espera_error "opción desconocida: --version" "nrv-cli info --version"

termina
