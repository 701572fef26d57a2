#!/usr/bin/env bash
# An experiment on a table with cross-validation, run locally, under GNU
# parallel and as a job array of a real one-node Slurm cluster (munge,
# slurmctld and slurmd started here in the test's folder): every run the
# same bytes. Where a part cannot run, one line says why.
source "$(dirname "$0")/comun.inc"

cp "$EJEMPLOS/iris.csv" iris.csv
cat >plan.json <<'EOS'
{"tabla": "iris.csv", "validacion_cruzada": 3, "verificacion": 0.2, "estratificar": true,
 "rejilla": {"ocultas": [3, 5], "epocas": 10, "paciencia": [0, 4]}, "repeticiones": 2}
EOS
sin_tiempo() { grep -v '"segundos"' "$1"; }
iguales() {  # folder, how it was run
  for i in $(seq -f %04g 0 23); do
    cmp -s "local/$i/red.nrv" "$1/$i/red.nrv" || { fallo "$2: la ejecución $i da otra red"; return; }
    cmp -s <(sin_tiempo "local/$i/resultado.json") <(sin_tiempo "$1/$i/resultado.json") ||
      { fallo "$2: la ejecución $i da otro resultado"; return; }
  done
}

# Order: configurations, then seeds, then folds.
ejecutar experimento plan.json x --listar
[ "$(wc -l <salida.txt)" -eq 24 ] || fallo "--listar: se esperaban 24 líneas: $SALIDA"
espera_salida $'0007\tconfiguracion=1 semilla=1 pliegue=1 ocultas=3 aprendizaje=0.1 momento=0.9 error=0.7 epocas=10 paciencia=4' "--listar"

ejecutar experimento plan.json local --trabajos 2
espera_rc 0 "experimento local"
# The folds of a repetition test every row once; each run's parts share none.
total=0
for i in 0000 0001 0002; do
  n=$(grep -c -v '^/' "local/$i/datos-prueba.txt")
  total=$((total + n / 2))
  m=$(cat "local/$i"/datos-{entrenamiento,verificacion,prueba}.txt | grep -c -v '^/')
  [ "$m" -eq 300 ] || fallo "la ejecución $i no reparte las 150 filas en sus tres partes ($((m / 2)))"
done
[ "$total" -eq 150 ] || fallo "los pliegues prueban $total filas, no 150"
grep -q '"pliegue": 2' local/0002/resultado.json || fallo "resultado.json sin su pliegue"
grep -q '"datos": "validacion_cruzada"' local/0002/resultado.json || fallo "resultado.json sin sus datos"
cmp -s local/0000/datos-prueba.txt local/0006/datos-prueba.txt ||
  fallo "dos configuraciones con la misma semilla y pliegue prueban en filas distintas"
ejecutar resumen local
grep -q "t y p: contra la mejor" salida.txt || fallo "resumen sin la prueba t de los pliegues: $SALIDA"

# Refusals of the table's keys.
echo '{"tabla": "iris.csv", "validacion_cruzada": 1}' >malo.json
ejecutar experimento malo.json x
espera_error "Plan: «validacion_cruzada» debe ser el número de pliegues, de 2 a 100." "un pliegue"
echo '{"entrenamiento": "e.txt", "verificacion": "v.txt", "estratificar": true}' >malo.json
ejecutar experimento malo.json x
espera_error "Plan: «estratificar» va con «tabla»: el plan reparte una tabla en cada ejecución." "sin tabla"

# GNU parallel, one run per --tarea.
if command -v parallel >/dev/null; then
  "$NRV" experimento plan.json x --listar | cut -f1 |
    parallel -j 2 "$NRV" experimento plan.json par --tarea {} >/dev/null 2>par.err || fallo "GNU parallel: $(cat par.err)"
  antes=$FALLOS
  iguales par "GNU parallel"
  [ "$FALLOS" -eq "$antes" ] && echo "GNU parallel: 24 ejecuciones, iguales a las locales."
else
  echo "GNU parallel: no se prueba: no está instalado (paquete parallel)."
fi

# Slurm: a cluster of this one machine, for the test alone.
por_que=""
if [ "$(id -u)" -ne 0 ]; then
  por_que="slurmd ha de arrancar como root"
else
  for p in munged slurmctld slurmd sbatch scontrol sinfo; do
    command -v "$p" >/dev/null || por_que="falta $p (paquetes munge, slurmctld, slurmd y slurm-client)"
  done
fi
if [ -z "$por_que" ]; then
  S=$TMP/slurm
  mkdir -p "$S/estado" "$S/spool"
  chmod 755 "$TMP" "$S"
  trap 'SLURM_CONF=$S/slurm.conf scontrol shutdown >/dev/null 2>&1; munged -s -S "$S/munge.sock" >/dev/null 2>&1;
        sleep 1; rm -rf "$TMP"' EXIT
  dd if=/dev/urandom of="$S/munge.key" bs=1024 count=1 2>/dev/null
  chmod 400 "$S/munge.key"
  nodo=$(hostname -s)
  puerto=$((20000 + RANDOM % 20000))
  cat >"$S/slurm.conf" <<EOS
ClusterName=nrv
SlurmctldHost=$nodo
AuthType=auth/munge
AuthInfo=socket=$S/munge.sock
CredType=cred/munge
SlurmUser=root
SlurmdUser=root
SlurmctldPort=$puerto
SlurmdPort=$((puerto + 1))
StateSaveLocation=$S/estado
SlurmdSpoolDir=$S/spool
SlurmctldPidFile=$S/slurmctld.pid
SlurmdPidFile=$S/slurmd.pid
SlurmctldLogFile=$S/slurmctld.log
SlurmdLogFile=$S/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
ReturnToService=2
SchedulerType=sched/builtin
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
NodeName=$nodo CPUs=$(nproc) State=UNKNOWN
PartitionName=nrv Nodes=ALL Default=YES MaxTime=INFINITE State=UP
EOS
  export SLURM_CONF=$S/slurm.conf
  if ! munged -f --key-file="$S/munge.key" --socket="$S/munge.sock" --pid-file="$S/munged.pid" \
    --log-file="$S/munged.log" --seed-file="$S/munged.seed" 2>"$S/munged.err"; then
    por_que="munged no arranca: $(head -n 1 "$S/munged.err")"
  elif ! slurmctld 2>"$S/ctld.err" || ! slurmd 2>"$S/d.err"; then
    por_que="slurmctld o slurmd no arrancan: $(cat "$S/ctld.err" "$S/d.err" | head -n 1)"
  else
    for _ in $(seq 100); do sinfo -h -o %t 2>/dev/null | grep -q idle && break; sleep 0.1; done
    sinfo -h -o %t 2>/dev/null | grep -q idle || por_que="el nodo no queda libre: $(tail -n 1 "$S/slurmd.log")"
  fi
fi
if [ -n "$por_que" ]; then
  echo "Slurm: no se prueba: $por_que."
else
  # The ready script of the manual, with this test's paths.
  cat >experimento.sbatch <<EOS
#!/bin/bash
#SBATCH --cpus-per-task=1
exec "$NRV" experimento plan.json slurm
EOS
  timeout 300 sbatch --wait --quiet --chdir="$TMP" --array=0-23 -o "$S/tarea-%a.out" experimento.sbatch ||
    fallo "sbatch: $(cat "$S"/tarea-*.out 2>/dev/null | head -n 5)"
  antes=$FALLOS
  iguales slurm "Slurm"
  [ "$FALLOS" -eq "$antes" ] && echo "Slurm: 24 ejecuciones como job array en un clúster de un nodo, iguales a las locales."
fi

termina
