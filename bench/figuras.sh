#!/usr/bin/env bash
# Every figure of bench/README.md from one command, each taken side by side
# in one run (the two sides alternate, or run in one process), so that the
# ratios hold on a busy machine too; the absolute figures, and everything
# with two threads, need an idle one. Each part prints the load average it
# started under.
#
#   bench/figuras.sh [BUILD [BUILD-BEFORE]]
#
# BUILD: a build with the benchmarks and FANN (default build/, made by
# scripts/setup.sh -DNRV_BUILD_BENCH=ON). BUILD-BEFORE: a build of an
# earlier commit with at least nrv-cli and bench_cargar, for the lines
# "before"; without it they are left out. NRV_RONDAS (30) sets the runs of
# each whole-process comparison.
set -euo pipefail
raiz=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$raiz/build}" && pwd)
antes=${2:+$(cd "$2" && pwd)}
rondas=${NRV_RONDAS:-30}
nrv=$build/cli/nrv-cli
for p in "$nrv" "$build/bench/bench_fann" "$build/bench/fann-entrenar" "$build/bench/datos-bench"; do
  [ -x "$p" ] || { echo "Falta $p: compile con -DNRV_BUILD_BENCH=ON y libfann-dev instalado." >&2; exit 1; }
done
command -v hyperfine >/dev/null || { echo "Falta hyperfine." >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"

parte() { echo; echo "== $* (carga: $(cut -d' ' -f1-3 /proc/loadavg))"; }
# Only the benchmark lines of Google Benchmark's console output.
lineas() { grep -E '^BM_' || true; }

parte "Máquina"
grep -m1 'model name' /proc/cpuinfo
echo "núcleos: $(nproc); MHz (nominal): $(grep -m1 'cpu MHz' /proc/cpuinfo | awk '{print $4}')"
echo "commit: $(git -C "$raiz" rev-parse --short HEAD)${antes:+; antes: $antes}"

# ---------------------------------------------------------------- whole processes
cp "$raiz/examples/iris-train.txt" "$raiz/examples/iris-test.txt" .
"$nrv" nueva i0.nrv iris-train.txt iris-test.txt --ocultas 8 --epocas 400 --error 0 >/dev/null
"$build/bench/datos-bench" fann iris-train.txt iris-train.fann
"$build/bench/datos-bench" fann iris-test.txt iris-test.fann
cp i0.nrv i.nrv
fann=("$build/bench/fann-entrenar" iris-train.fann iris-test.fann 8 400 0.1 0.9 i.net)

# nrv's training thread runs at the lowest priority (nice 19), FANN at the
# caller's: on a busy machine the other programs take the cores first from
# nrv. FANN at nice 19 too is the comparison at equal priority.
parte "Proceso entero, iris 4-8-3, 400 épocas: cargar, entrenar, guardar (hyperfine, $rondas ejecuciones)"
comandos=("$nrv entrenar i.nrv" "${fann[*]}" "nice -n 19 ${fann[*]}")
[ -n "$antes" ] && comandos+=("$antes/cli/nrv-cli entrenar i.nrv")
hyperfine -N --style basic --output=pipe --warmup 3 --runs "$rondas" --prepare 'cp i0.nrv i.nrv' \
  "${comandos[@]}" 2>/dev/null | grep -E '^Benchmark|Time|Range' | sed "s|$build/||g; s|${antes:-@@}/|antes/|g"

parte "Proceso entero, iris: $rondas tríos alternos (ms de reloj; en cuántos nrv no es más lento)"
ms() {  # ms COMMAND...: wall microseconds of one run, output to a pipe
  local t0 t1
  t0=$(date +%s%N)
  "$@" | cat >/dev/null
  t1=$(date +%s%N)
  echo $(((t1 - t0) / 1000))
}
: >parejas.txt
for ((r = 0; r < rondas; r++)); do
  cp i0.nrv i.nrv
  if ((r % 2 == 0)); then
    a=$(ms "$nrv" entrenar i.nrv); b=$(ms "${fann[@]}"); c=$(ms nice -n 19 "${fann[@]}")
  else
    c=$(ms nice -n 19 "${fann[@]}"); b=$(ms "${fann[@]}"); a=$(ms "$nrv" entrenar i.nrv)
  fi
  echo "$a $b $c" >>parejas.txt
done
awk '{ n++; if ($1 <= $2) g++; if ($1 <= $3) g19++; if ($1 > mn) mn = $1; if ($2 > mf) mf = $2; if ($3 > m19) m19 = $3
       sn += $1; sf += $2; s19 += $3 }
  END { printf "nrv: media %.1f ms, peor %.1f ms; FANN: media %.1f ms, peor %.1f ms; FANN a nice 19: media %.1f ms, peor %.1f ms\n",
        sn / n / 1000, mn / 1000, sf / n / 1000, mf / 1000, s19 / n / 1000, m19 / 1000
        printf "nrv <= FANN en %d de %d; nrv <= FANN a nice 19 en %d de %d\n", g, n, g19, n }' parejas.txt

# The case that saturates: iris 4-40-3 at learning factor 0.25, where the
# changes of saturated neurons decay into the subnormal numbers.
"$nrv" nueva s0.nrv iris-train.txt iris-test.txt --ocultas 40 --aprendizaje 0.25 --epocas 400 --error 0 >/dev/null
cp s0.nrv s.nrv
fann40=("$build/bench/fann-entrenar" iris-train.fann iris-test.fann 40 400 0.25 0.9 s.net)
parte "Proceso entero, iris 4-40-3 a 0,25, 400 épocas (hyperfine, $rondas ejecuciones)"
hyperfine -N --style basic --output=pipe --warmup 3 --runs "$rondas" --prepare 'cp s0.nrv s.nrv' \
  "$nrv entrenar s.nrv" "${fann40[*]}" 2>/dev/null | grep -E '^Benchmark|Time|Range' | sed "s|$build/||g"

# nrv's whole process (start, load, train, save with fsync, log) against
# the time FANN's twin gives for its training alone (its epochs and their
# measuring), in alternating runs.
parte "Proceso entero de nrv frente al entrenamiento solo de FANN, iris 4-40-3 a 0,25 ($rondas parejas alternas)"
: >solo.txt
for ((r = 0; r < rondas; r++)); do
  cp s0.nrv s.nrv
  f=$("${fann40[@]}" 2>&1 >/dev/null | awk '/^entrenamiento:/ { print $2 }')
  a=$(ms "$nrv" entrenar s.nrv)
  echo "$a $f" >>solo.txt
done
awk '{ n++; sn += $1; sf += $2; if (!mn || $1 < mn) mn = $1; if (!mf || $2 < mf) mf = $2 }
  END { printf "nrv entero: media %.1f ms, mínimo %.1f ms; FANN, entrenamiento solo: media %.1f ms, mínimo %.1f ms; FANN / nrv: %.2f (medias)\n",
        sn / n / 1000, mn / 1000, sf / n / 1000, mf / 1000, sf / sn }' solo.txt

# ---------------------------------------------------------------- experiments
# 200 runs of iris 4-8-3 (200 seeds, 400 epochs, criterion 0) three ways:
# one experiment on both cores, a shell loop of nrv-cli processes, and
# FANN's twin under GNU parallel on both cores (FANN saves without fsync).
parte "200 ejecuciones de iris 4-8-3: experimento en dos núcleos, bucle de nrv-cli, FANN bajo GNU parallel"
echo '{"entrenamiento": "iris-train.txt", "verificacion": "iris-test.txt", "rejilla": {"ocultas": 8, "epocas": 400, "error": 0}, "repeticiones": 200}' >doscientas.json
reloj() {  # reloj COMMAND...: wall seconds of one run
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1
  t1=$(date +%s%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", (b - a) / 1e9 }'
}
bucle() {
  local s
  for s in $(seq 1 200); do
    "$nrv" nueva "b$s.nrv" iris-train.txt iris-test.txt --ocultas 8 --epocas 400 --error 0 --semilla "$s" &&
      "$nrv" entrenar "b$s.nrv" || return 1
  done
}
rm -rf doscientas
echo "experimento --trabajos 2: $(reloj "$nrv" experimento doscientas.json doscientas --trabajos 2) s"
echo "bucle de nrv-cli nueva + entrenar: $(reloj bucle) s"
if command -v parallel >/dev/null; then
  echo "FANN bajo parallel -j2: $(reloj parallel -j2 "$build/bench/fann-entrenar" iris-train.fann iris-test.fann 8 400 0.1 0.9 'f{}.net' ::: $(seq 1 200)) s"
fi

# ---------------------------------------------------------------- the engine
parte "Motor solo frente a FANN, una época + una medida por iteración, tiempo de CPU de cada lado"
echo "forma:0 64-40-10 (1300 muestras), 1 784-128-10 (10 000), 2 iris 4-40-3, 3 iris 4-8-3 (las cuatro a 0,25),"
echo "4 13-20-3 con la forma de vino (134 muestras generadas, 0,5); techo: nrv con FTZ/DAZ, solo para medir"
"$build/bench/bench_fann" --benchmark_filter='BM_LadoALado' 2>/dev/null | lineas

parte "Un hilo frente a dos y frente a la elección automática (reloj de pared, lado a lado)"
"$build/bench/bench_fann" --benchmark_filter='BM_Hilos/forma:[01]/' 2>/dev/null | lineas

parte "Ciclos por actualización de peso (época sola, un hilo): tiempo de CPU por reloj nominal"
mhz=$(grep -m1 'cpu MHz' /proc/cpuinfo | awk '{print $4}')
"$build/bench/bench_escala" --benchmark_filter='BM_Escala/(entradas:4/|entradas:64/ocultas:40/salidas:10/muestras:4000|entradas:784/)' \
  --benchmark_format=csv 2>/dev/null | awk -F, -v mhz="$mhz" '
  NR == 1 { for (i = 1; i <= NF; i++) if ($i == "\"s_por_act\"" || $i == "s_por_act") c = i; next }
  /^"BM_/ { gsub(/"/, "", $1); printf "%-52s %6.1f ps por actualización = %.2f ciclos a %s MHz (límite de los almacenamientos: 0.5)\n",
            $1, $c * 1e12, $c * mhz * 1e6, mhz }'
echo "(sin contadores del procesador en esta máquina virtual: ciclos = tiempo x frecuencia nominal)"

# ---------------------------------------------------------------- verification
parte "Verificación de 10 000 muestras en 784-128-10 (hyperfine, 10 ejecuciones)"
"$build/bench/datos-bench" generar 784 10 200 1 v-ent.bin
"$build/bench/datos-bench" generar 784 10 10000 2 v-ver.bin
"$nrv" nueva v.nrv v-ent.bin v-ver.bin --ocultas 128 >/dev/null
comandos=("$nrv verificar v.nrv v-ver.bin" "env NRV_HILOS=1 $nrv verificar v.nrv v-ver.bin")
[ -n "$antes" ] && comandos+=("$antes/cli/nrv-cli verificar v.nrv v-ver.bin")
hyperfine -N --style basic --warmup 1 --runs 10 "${comandos[@]}" 2>/dev/null | grep -E '^Benchmark|Time|Range' |
  sed "s|$build/||g; s|${antes:-@@}/|antes/|g"

# ---------------------------------------------------------------- importing
parte "Importar: una cabecera de 100 000 nombres frente a la misma tabla sin ella (hyperfine, 10 ejecuciones)"
awk 'BEGIN { n = 100000
  for (i = 0; i < n; i++) printf "c%d,", i; print "clase"
  for (r = 0; r < 3; r++) { for (i = 0; i < n; i++) printf "%d,", (i * 7 + r) % 10; print (r % 2 ? "b" : "a") } }' >cabecera.csv
tail -n +2 cabecera.csv >sin-cabecera.csv
hyperfine -N --style basic --warmup 1 --runs 10 "$nrv importar cabecera.csv cabecera.txt" \
  "$nrv importar sin-cabecera.csv sin-cabecera.txt" 2>/dev/null | grep -E '^Benchmark|Time|Range|faster' | sed "s|$build/||g"

parte "Importar un millón de filas frente a verificar su resultado: memoria máxima (time -v)"
awk 'BEGIN { srand(1); print "a,b,c,d,clase"
  for (r = 0; r < 1000000; r++) printf "%.3f,%.3f,%.3f,%.3f,%s\n", rand(), rand(), rand(), rand(), substr("xyz", r % 3 + 1, 1) }' >millon.csv
pico() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1; }
pi=$(pico "$nrv" importar millon.csv millon.txt)
"$nrv" nueva millon.nrv millon.txt millon.txt --epocas 1 >/dev/null
pv=$(pico "$nrv" verificar millon.nrv millon.txt)
echo "importar: $pi KB; verificar: $pv KB; importar / verificar: $(awk -v a="$pi" -v b="$pv" 'BEGIN { printf "%.2f", a / b }')"
pp=$(pico "$nrv" importar millon.csv partida.txt --particion 70,15,15)
echo "importar --particion 70,15,15: $pp KB; / verificar: $(awk -v a="$pp" -v b="$pv" 'BEGIN { printf "%.2f", a / b }')"

# ---------------------------------------------------------------- loading
parte "Carga binaria frente a un read() del mismo fichero (53 MB, en la caché de disco)"
"$build/bench/bench_cargar" --benchmark_filter='BM_CargarBinario|BM_LeerBinarioPlano|BM_BinarioFrenteALectura' \
  2>/dev/null | lineas
if [ -n "$antes" ]; then
  echo "antes:"
  "$antes/bench/bench_cargar" --benchmark_filter='BM_CargarBinario' 2>/dev/null | lineas
fi

# ---------------------------------------------------------------- the epoch's line
if [ -x "$build/bench/bench_avisos" ]; then
  parte "Lo que cuesta al hilo de entrenamiento la línea de cada época (nrv-cli; antes: CadaAviso)"
  "$build/bench/bench_avisos" 2>/dev/null | lineas
fi
