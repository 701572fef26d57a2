#!/usr/bin/env bash
# The reliability jobs of CI, with clang: the whole test suite under
# AddressSanitizer + UndefinedBehaviorSanitizer, the tests that start
# threads (label hilos) under ThreadSanitizer, then every libFuzzer target
# for a bounded time.
#
#   scripts/ci-sanitizers.sh [asan] [tsan] [fuzz]     (all three by default)
#
# NRV_JOBS (2), NRV_FUZZ_SECONDS (60 per target) and NRV_ASAN_GUI (ON) tune it.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${NRV_JOBS:-2}
segundos=${NRV_FUZZ_SECONDS:-60}
fases=("$@")
[ ${#fases[@]} -eq 0 ] && fases=(asan tsan fuzz)

inicio_total=$SECONDS
paso() { echo; echo "== $*"; }
configurar() {  # dir, then cmake arguments
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNRV_BUILD_BENCH=OFF "$@" >/dev/null
}

export QT_QPA_PLATFORM=offscreen
# Any report ends the run with a failure; nothing is suppressed. Qt is not
# built with ThreadSanitizer: what its own threads (file dialogs, the
# pooled threads of the GUI) allocate and free is not judged, as the
# orders its locks give are invisible; every access of nrv's code is.
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1

asan() {
  local t0=$SECONDS
  paso "ASan+UBSan: build-asan, whole test suite"
  configurar build-asan -DNRV_SANITIZE=address -DNRV_BUILD_GUI="${NRV_ASAN_GUI:-ON}"
  cmake --build build-asan -j "$jobs"
  ctest --test-dir build-asan --output-on-failure -j "$jobs"
  echo "== ASan+UBSan: $((SECONDS - t0)) s"
}

tsan() {
  local t0=$SECONDS
  paso "TSan: build-tsan, the tests labelled hilos"
  configurar build-tsan -DNRV_SANITIZE=thread -DNRV_BUILD_GUI=ON
  cmake --build build-tsan -j "$jobs"
  # Chosen by label, not by name (tests/CMakeLists.txt, tests/ui/): every
  # case that starts threads, the window's programs among them (training,
  # the view reading while the thread writes, several networks at once,
  # Salir while training); a new suite has the label by default.
  ctest --test-dir build-tsan --output-on-failure -j "$jobs" -L '^hilos$'
  echo "== TSan: $((SECONDS - t0)) s"
}

fuzz() {
  local t0=$SECONDS
  paso "libFuzzer: build-fuzz, $segundos s per target"
  configurar build-fuzz -DNRV_SANITIZE=address -DNRV_BUILD_FUZZ=ON -DNRV_BUILD_GUI=OFF
  local objetivos=(red texto binario tabla esquema nueva epoca)
  cmake --build build-fuzz -j "$jobs" --target "${objetivos[@]/#/fuzz_}" fuzz_corpus
  local resumen=()
  for objetivo in "${objetivos[@]}"; do
    local trabajo=build-fuzz/fuzz/trabajo/$objetivo registro=build-fuzz/fuzz/$objetivo.log
    mkdir -p "$trabajo" build-fuzz/fuzz/hallazgos
    # New inputs go to a corpus of the run's own; the seeds stay as built.
    if ! "build-fuzz/fuzz/fuzz_$objetivo" "$trabajo" "build-fuzz/fuzz/corpus/$objetivo" \
      -max_total_time="$segundos" -rss_limit_mb=512 -malloc_limit_mb=256 -timeout=10 \
      -print_final_stats=1 -artifact_prefix=build-fuzz/fuzz/hallazgos/ >"$registro" 2>&1; then
      tail -n 60 "$registro"
      echo "== fuzz_$objetivo FAILED: the input is in build-fuzz/fuzz/hallazgos/" >&2
      exit 1
    fi
    local n
    n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$registro" | tail -n 1)
    resumen+=("fuzz_$objetivo: ${n:-?} executions in $segundos s, $(find "$trabajo" -type f | wc -l) inputs in its corpus")
    echo "== ${resumen[-1]}"
  done
  echo "== libFuzzer: $((SECONDS - t0)) s"
  printf '   %s\n' "${resumen[@]}"
}

for f in "${fases[@]}"; do
  case $f in
    asan | tsan | fuzz) "$f" ;;
    *) echo "unknown job: $f (asan, tsan or fuzz)" >&2; exit 2 ;;
  esac
done
echo
echo "== sanitizer and fuzz jobs: $((SECONDS - inicio_total)) s"
