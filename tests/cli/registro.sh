# nrv-cli entrenar and its log HNRV.TXT: a log that cannot be written (a
# pipe without a reader, a folder, a full device) is said and costs the run
# nothing; the block follows the saved network; a network file that another
# program trains is refused.
. "$(dirname "$0")/comun.inc"

PREFIJO="No se ha podido escribir el registro de entrenamiento HNRV.TXT"
# entrena_sin_registro CAUSA: a run of three epochs ends, is saved and says why
# the log lacks it.
entrena_sin_registro() {
  rm -f x.nrv
  red_xor x.nrv --epocas 3 --error 0
  timeout 60 "$NRV" entrenar x.nrv >salida.txt 2>errores.txt
  RC=$?
  ERRORES=$(cat errores.txt)
  espera_rc 0 "entrenar con HNRV.TXT $2"
  espera_error "$PREFIJO: $1." "entrenar con HNRV.TXT $2"
  [ "$(info_campo x.nrv Épocas)" = "3 de 3" ] || fallo "la red no ha guardado sus épocas con HNRV.TXT $2"
}
mkfifo HNRV.TXT
entrena_sin_registro "nadie lee la tubería o el dispositivo no existe" "una tubería sin lector"
rm HNRV.TXT
mkdir HNRV.TXT
entrena_sin_registro "es una carpeta" "una carpeta"
rmdir HNRV.TXT
ln -s /dev/full HNRV.TXT
entrena_sin_registro "no es un fichero normal" "un enlace a /dev/full"
rm HNRV.TXT

# The block is appended once the network is saved: a save that fails leaves
# no block of epochs the file lacks.
rm -f x.nrv
red_xor x.nrv --epocas 3 --error 0
"$NRV" entrenar x.nrv >/dev/null 2>&1 || fallo "entrenar"
[ "$(grep -cE $'^ +[0-9]+ \t' HNRV.TXT)" -eq 3 ] || fallo "el registro no tiene las 3 épocas"
cp HNRV.TXT registro.antes
"$NRV" nueva y.nrv a.txt b.txt --ocultas 3 --epocas 2 --error 0 >/dev/null
mkdir -p ro && mv y.nrv ro/ && chmod 0555 ro
if [ "$(id -u)" != 0 ]; then
  ejecutar entrenar ro/y.nrv
  espera_rc 1 "entrenar una red en una carpeta de solo lectura"
  cmp -s HNRV.TXT registro.antes || fallo "el registro cuenta un entrenamiento que no se ha guardado"
fi
chmod 0755 ro

# Another program training the same file: refused, the file unchanged.
red_xor z.nrv --epocas 3 --error 0
flock z.nrv "$NRV" entrenar z.nrv >salida.txt 2>errores.txt
RC=$?
ERRORES=$(cat errores.txt)
espera_rc 1 "entrenar una red bloqueada"
espera_error "La red z.nrv ya se está entrenando en otra ventana o en otro programa; espere a que termine." \
  "entrenar una red bloqueada"
[ "$(info_campo z.nrv Épocas)" = "0 de 3" ] || fallo "la red bloqueada ha cambiado"
ejecutar entrenar z.nrv
espera_rc 0 "entrenar la red ya libre"

termina
