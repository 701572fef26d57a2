#!/usr/bin/env bash
# Two builds of one benchmark program side by side: runs A and B in turn
# (A first in even rounds, B first in odd ones), so that both see the same
# load of a shared machine, and prints for each benchmark the median CPU
# time of each side and the median, least and greatest of the rounds' A/B
# ratios (above 1: B is faster). A change to the engine is kept only when
# its ratio holds above 1 on every shape it is meant for.
#
#   bench/comparar.sh PROGRAMA-A PROGRAMA-B FILTRO [RONDAS]
#
# FILTRO is Google Benchmark's --benchmark_filter; RONDAS (5) the rounds.
set -euo pipefail
[ $# -ge 3 ] || { echo "uso: bench/comparar.sh PROGRAMA-A PROGRAMA-B FILTRO [RONDAS]" >&2; exit 2; }
a=$1 b=$2 filtro=$3 rondas=${4:-5}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

correr() {  # correr PROGRAM OUT: name and CPU time of each benchmark
  "$1" --benchmark_filter="$filtro" --benchmark_format=csv 2>/dev/null |
    awk -F, '/^"BM_/ { gsub(/"/, "", $1); print $1, $4 }' >"$2"
}
echo "carga al empezar: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 0; r < rondas; r++)); do
  if ((r % 2 == 0)); then
    correr "$a" "$tmp/a$r"; correr "$b" "$tmp/b$r"
  else
    correr "$b" "$tmp/b$r"; correr "$a" "$tmp/a$r"
  fi
done
echo "carga al acabar: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 0; r < rondas; r++)); do
  join <(sort "$tmp/a$r") <(sort "$tmp/b$r")
done | sort -k1,1 -s | awk '
  function mediana(v, n,   i, j, t) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  function salida() {
    if (n == 0) return
    ma = mediana(ta, n); mb = mediana(tb, n); mr = mediana(rz, n)
    printf "%-40s A %10.4g  B %10.4g  A/B mediana %.3f (de %.3f a %.3f, %d rondas)\n", nombre, ma, mb, mr, rz[1], rz[n], n
  }
  $1 != nombre { salida(); nombre = $1; n = 0 }
  { n++; ta[n] = $2; tb[n] = $3; rz[n] = $2 / $3 }
  END { salida() }'
