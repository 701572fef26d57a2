# nrv-cli nueva: the network as the new-network dialog builds it.
. "$(dirname "$0")/comun.inc"

# The dialog's defaults.
cp "$EJEMPLOS/iris-train.txt" "$EJEMPLOS/iris-test.txt" .
ejecutar nueva iris.nrv iris-train.txt iris-test.txt
espera_rc 0 "nueva con los valores por omisión"
espera_salida "Red creada en iris.nrv: 4 entradas, 40 neuronas ocultas, 3 salidas; hasta 100 épocas." "nueva"
[ "$(info_campo iris.nrv 'Red')" = "4-40-3 (entradas, neuronas ocultas, salidas)" ] || fallo "forma de la red"
[ "$(info_campo iris.nrv 'Factor de aprendizaje')" = "0.1" ] || fallo "aprendizaje por omisión"
[ "$(info_campo iris.nrv 'Factor de momento')" = "0.9" ] || fallo "momento por omisión"
[ "$(info_campo iris.nrv 'Error máximo por muestra')" = "0.7" ] || fallo "error por omisión"
[ "$(info_campo iris.nrv 'Épocas')" = "0 de 100" ] || fallo "épocas por omisión"
[ "$(info_campo iris.nrv 'Estado')" = "Sin entrenar (se puede entrenar)" ] || fallo "estado de una red nueva"
# Paths are stored exactly as given.
[ "$(info_campo iris.nrv 'Fichero de entrenamiento')" = "iris-train.txt" ] || fallo "ruta de entrenamiento"
[ "$(info_campo iris.nrv 'Fichero de verificación')" = "iris-test.txt" ] || fallo "ruta de verificación"

# Every option, in both spellings.
ejecutar nueva otra.nrv iris-train.txt iris-test.txt --ocultas 7 --aprendizaje=0.25 --momento 0.5 --error=0.05 --epocas 400
espera_rc 0 "nueva con opciones"
[ "$(info_campo otra.nrv 'Red')" = "4-7-3 (entradas, neuronas ocultas, salidas)" ] || fallo "--ocultas"
[ "$(info_campo otra.nrv 'Factor de aprendizaje')" = "0.25" ] || fallo "--aprendizaje"
[ "$(info_campo otra.nrv 'Factor de momento')" = "0.5" ] || fallo "--momento"
[ "$(info_campo otra.nrv 'Error máximo por muestra')" = "0.05" ] || fallo "--error"
[ "$(info_campo otra.nrv 'Épocas')" = "0 de 400" ] || fallo "--epocas"

# The bounds of the dialog's ranges are accepted.
ejecutar nueva limites.nrv iris-train.txt iris-test.txt --ocultas 128 --aprendizaje 0.5 --momento 1 --error 0 --epocas 1
espera_rc 0 "límites superiores e inferiores admitidos"
ejecutar nueva limites2.nrv iris-train.txt iris-test.txt --ocultas 1 --aprendizaje 0 --momento 0 --error 1 --epocas 400
espera_rc 0 "los otros límites admitidos"

# The document layout: a 2-3-1 network, 100 epochs, two 5-character paths.
red_xor xor.nrv
[ "$(stat -c %s xor.nrv)" -eq 2717 ] || fallo "una red 2-3-1 de 100 épocas ocupa $(stat -c %s xor.nrv) bytes, no 2717"
# Each run of the tool starts the generator from the beginning: the same
# shape gives the same first network.
red_xor xor2.nrv
cmp -s xor.nrv xor2.nrv || fallo "dos redes 2-3-1 recién creadas difieren"
# The first hidden weight is 41 x (1/32767) x 0.6 - 0.3 (41: the generator's first value).
"$NRV" pesos xor.nrv pesos.txt >/dev/null
primero=$(head -c 8 pesos.txt)
[ "$primero" = "-0.2992 " ] || fallo "primer peso «$primero», se esperaba -0.2992"

# An existing network is never replaced unasked.
antes=$(md5sum <iris.nrv)
ejecutar nueva iris.nrv iris-train.txt iris-test.txt --ocultas 5
espera_rc 1 "nueva sobre una red existente"
espera_error "Ya existe el fichero iris.nrv; use --reemplazar para sustituirlo." "nueva sobre una red existente"
[ "$(md5sum <iris.nrv)" = "$antes" ] || fallo "nueva ha cambiado una red existente"
ejecutar nueva iris.nrv iris-train.txt iris-test.txt --ocultas 5 --reemplazar
espera_rc 0 "nueva --reemplazar"
[ "$(info_campo iris.nrv 'Red')" = "4-5-3 (entradas, neuronas ocultas, salidas)" ] || fallo "--reemplazar no ha sustituido la red"

# Binary data files work as text ones.
ejecutar nueva bin.nrv "$EJEMPLOS/iris-train.bin" "$EJEMPLOS/iris-test.bin" --ocultas 4
espera_rc 0 "nueva con ficheros binarios"
[ "$(info_campo bin.nrv 'Red')" = "4-4-3 (entradas, neuronas ocultas, salidas)" ] || fallo "forma con ficheros binarios"

termina
