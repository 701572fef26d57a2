#!/usr/bin/env bash
# nrv-cli experimento and resumen: each run is what nueva and entrenar make
# of it; the same bytes locally, one by one with --tarea in another order,
# and after an interruption; refusals; the summary of a partial folder.
source "$(dirname "$0")/comun.inc"

cp "$EJEMPLOS/iris-train.txt" e.txt
cp "$EJEMPLOS/iris-test.txt" v.txt
mkdir planes
cat >planes/plan.json <<'EOF'
{"entrenamiento": "../e.txt", "verificacion": "../v.txt", "prueba": "../v.txt",
 "rejilla": {"ocultas": [3, 5], "aprendizaje": [0.2], "epocas": 15}, "semillas": [1, 4]}
EOF

# Results without the time each run took.
sin_tiempo() { grep -v '"segundos"' "$1"; }

# The order and the count.
ejecutar experimento planes/plan.json x --listar
espera_rc 0 "--listar"
[ "$(wc -l <salida.txt)" -eq 4 ] || fallo "--listar: se esperaban 4 líneas: $SALIDA"
espera_salida $'0002\tconfiguracion=1 semilla=1 ocultas=5 aprendizaje=0.2 momento=0.9 error=0.7 epocas=15' "--listar"
[ ! -e x ] || fallo "--listar ha creado la carpeta"

ejecutar experimento planes/plan.json local --trabajos 2
espera_rc 0 "experimento local"
espera_salida "Experimento en $TMP/local: 4 de 4 ejecuciones hechas (0 ya estaban)." "experimento local"
for f in red.nrv resultado.json historial.csv HNRV.TXT entrenamiento.txt verificacion.txt prueba.txt; do
  [ -s "local/0003/$f" ] || fallo "falta local/0003/$f"
done

# Run 0 (seed 1) has the weights and history of «nueva» and «entrenar».
"$NRV" nueva a.nrv e.txt v.txt --ocultas 3 --aprendizaje 0.2 --epocas 15 >/dev/null
"$NRV" entrenar a.nrv >/dev/null
"$NRV" verificar a.nrv v.txt --json >a.json
"$NRV" pesos a.nrv a.pesos >/dev/null
"$NRV" historial a.nrv a.hist --csv >/dev/null
(cd local/0000 && "$NRV" pesos red.nrv ../../b.pesos >/dev/null)
cmp -s a.pesos b.pesos || fallo "la ejecución 0000 no tiene los pesos de nueva y entrenar"
cmp -s a.hist local/0000/historial.csv || fallo "la ejecución 0000 no tiene el historial de nueva y entrenar"
(cd local/0001 && "$NRV" pesos red.nrv ../../c.pesos >/dev/null)
! cmp -s a.pesos c.pesos || fallo "las semillas 1 y 4 dan los mismos pesos"
for k in muestras aciertos tasa_aciertos error_total error_maximo; do
  grep -q "\"$k\": $(sed -n "s/.*\"$k\": \([^,]*\),*$/\1/p" a.json)" local/0000/resultado.json ||
    fallo "resultado.json: $k no es el de verificar --json"
done

# One by one, in another order, through the Slurm variable and --tarea.
for i in 3 1; do
  SLURM_ARRAY_TASK_ID=$i "$NRV" experimento planes/plan.json tareas >/dev/null 2>>errores.txt ||
    fallo "SLURM_ARRAY_TASK_ID=$i"
done
for i in 2 0; do "$NRV" experimento planes/plan.json tareas --tarea "$i" >/dev/null || fallo "--tarea $i"; done
for i in 0000 0001 0002 0003; do
  cmp -s "local/$i/red.nrv" "tareas/$i/red.nrv" || fallo "$i: otra red con --tarea"
  cmp -s <(sin_tiempo "local/$i/resultado.json") <(sin_tiempo "tareas/$i/resultado.json") ||
    fallo "$i: otro resultado con --tarea"
done
ejecutar experimento planes/plan.json tareas --tarea 0
espera_salida "Ejecución 0000 ya hecha." "--tarea de una ejecución terminada"

# A broken run (no result, a half-written network) is redone; complete ones are kept.
rm tareas/0001/resultado.json
head -c 100 local/0001/red.nrv >tareas/0001/red.nrv
touch -d '2000-01-01' tareas/0002/red.nrv
ejecutar experimento planes/plan.json tareas
espera_salida "Experimento en $TMP/tareas: 4 de 4 ejecuciones hechas (3 ya estaban)." "reanudar"
cmp -s local/0001/red.nrv tareas/0001/red.nrv || fallo "la ejecución rehecha da otra red"
[ "$(stat -c %Y tareas/0002/red.nrv)" -lt 1000000000 ] || fallo "se ha rehecho una ejecución terminada"

# Interrupted (SIGTERM: a background job ignores SIGINT): the second signal stops the runs in progress; they are redone.
for _ in $(seq 10); do grep -v '^/' e.txt; done >grande.txt
cat >planes/largo.json <<'EOF'
{"entrenamiento": "../grande.txt", "verificacion": "../v.txt", "rejilla": {"ocultas": 128, "epocas": 400},
 "repeticiones": 3}
EOF
"$NRV" experimento planes/largo.json largo --trabajos 1 >/dev/null 2>largo.err &
pid=$!
for _ in $(seq 100); do [ -d largo/0000 ] && break; sleep 0.05; done
kill -TERM $pid
sleep 0.1
kill -TERM $pid
wait $pid
[ $? -eq 130 ] || fallo "interrumpido: se esperaba el código 130"
[ ! -e largo/0001 ] || fallo "interrumpido: ha empezado otra ejecución"
[ ! -e largo/0000/resultado.json ] || fallo "interrumpido: la ejecución en curso ha dejado su resultado"
grep -q "Deteniendo: se terminan las ejecuciones en curso" largo.err || fallo "interrumpido sin aviso"
ejecutar resumen largo
espera_rc 1 "resumen de un experimento interrumpido"

# Refusals.
ejecutar experimento planes/plan.json x --trabajos 0
espera_rc 2 "--trabajos 0"
espera_error "--trabajos: introduzca un número entero entre 1 y 1024." "--trabajos 0"
ejecutar experimento planes/plan.json x --tarea 4
espera_rc 2 "--tarea fuera"
espera_error "--tarea: el plan tiene las ejecuciones de 0 a 3; «4» no es una de ellas." "--tarea fuera"
echo '{"entrenamiento": "e.txt", "verificacion": "v.txt", "rejilla": {"momento": 2}}' >malo.json
ejecutar experimento malo.json x
espera_rc 2 "plan fuera de rango"
espera_error "Plan: «momento» admite números de 0 a 1." "plan fuera de rango"
ejecutar experimento no-existe.json x
espera_rc 1 "plan que no existe"
espera_error "No se puede leer el plan no-existe.json." "plan que no existe"
# Another plan in the same folder: refused, nothing touched.
sed 's/"semillas": \[1, 4\]/"semillas": [2, 4]/' planes/plan.json >planes/otro.json
ejecutar experimento planes/otro.json local
espera_rc 1 "otro plan en la carpeta"
espera_error "La ejecución 0000 de $TMP/local es de otro plan; use otra carpeta." "otro plan en la carpeta"
echo '{"entrenamiento": "e.txt", "verificacion": "falta.txt"}' >sin.json
ejecutar experimento sin.json sin
espera_rc 1 "fichero de datos que falta"
grep -q "La ejecución 0000 ha fallado" errores.txt || fallo "fichero que falta: sin aviso ($ERRORES)"

# The summary, also of a partial folder.
ejecutar resumen local
espera_rc 0 "resumen"
grep -q "4 ejecuciones terminadas, 2 configuraciones" salida.txt || fallo "resumen: $SALIDA"
grep -qE '^[01] \*' salida.txt || fallo "resumen sin la mejor marcada: $SALIDA"
rm -r local/0003
ejecutar resumen local --csv
espera_rc 0 "resumen --csv"
[ "$(wc -l <salida.txt)" -eq 3 ] || fallo "resumen --csv: se esperaban 3 líneas: $SALIDA"
grep -q '^1,5,0.2,0.9,0.7,15,1,' salida.txt || fallo "resumen --csv de una carpeta a medias: $SALIDA"
LC_ALL=es_ES.UTF-8 "$NRV" resumen local --json >es.json
"$NRV" resumen local --json >c.json
cmp -s es.json c.json || fallo "resumen --json depende del idioma"
grep -q '"ejecuciones": 2' c.json || fallo "resumen --json: $(cat c.json)"
ejecutar resumen vacia
espera_rc 1 "resumen de una carpeta que no existe"
mkdir vacia
ejecutar resumen vacia
espera_error "No hay ninguna ejecución terminada en vacia." "resumen vacío"

termina
