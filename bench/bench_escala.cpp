// The cost of one training epoch of the fast engine over growing sizes: the
// time per connection update (s_por_act) stays flat when it is linear in
// samples x connections. Samples grow at a fixed shape, then connections
// grow (hidden neurons, then inputs) at a fixed number of samples.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>

#include "data/conjunto.h"
#include "network/motor.h"

namespace {

void BM_Escala(benchmark::State& st) {
  const UINT e = UINT(st.range(0)), n = UINT(st.range(1)), s = UINT(st.range(2)), muestras = UINT(st.range(3));
  std::mt19937_64 gen(3);
  std::uniform_real_distribution<double> uno(0.0, 1.0), peso(-0.3, 0.3);
  CConjuntoDatos c;
  c.m_nMuestras = muestras;
  c.m_nEntradas = e;
  c.m_nSalidas = s;
  c.m_matEntradas.Dimensionar(muestras, e);
  c.m_matSalidas.Dimensionar(muestras, s);
  for (UINT m = 0; m < muestras; ++m) {
    for (UINT j = 0; j < e; ++j) c.m_matEntradas.m_ppFilas[m][j] = uno(gen);
    c.m_matSalidas.m_ppFilas[m][m % s] = 1.0;
  }
  CMatrizReales oculta, salida, incOculta, incSalida;
  oculta.Dimensionar(n, e + 1);
  salida.Dimensionar(s, n + 1);
  incOculta.Dimensionar(n, e + 1);
  incSalida.Dimensionar(s, n + 1);
  for (UINT i = 0; i < n; ++i)
    for (UINT j = 0; j <= e; ++j) oculta.m_ppFilas[i][j] = peso(gen);
  for (UINT k = 0; k < s; ++k)
    for (UINT i = 0; i <= n; ++i) salida.m_ppFilas[k][i] = peso(gen);
  const RedPerceptron red{e, n, s, &oculta, &salida, &incOculta, &incSalida};
  CMotorPerceptron motor(red, VarianteMotor::Automatica, 1);  // one thread: bench_fann's BM_Hilos compares
  st.SetLabel(CMotorPerceptron::Nombre(motor.Variante()));
  for (auto _ : st) {
    motor.EntrenarEpoca(c, 0.25, 0.9);
    benchmark::DoNotOptimize(salida.m_ppFilas[0][0]);
    benchmark::ClobberMemory();
  }
  const double conexiones = double(e + 1) * n + double(n + 1) * s;
  st.counters["conexiones"] = conexiones;
  st.counters["CUPS"] = benchmark::Counter(muestras * conexiones, benchmark::Counter::kIsIterationInvariantRate);
  st.counters["s_por_act"] = benchmark::Counter(muestras * conexiones, benchmark::Counter::kIsIterationInvariantRate |
                                                                             benchmark::Counter::kInvert);
}

}  // namespace

BENCHMARK(BM_Escala)
    ->ArgNames({"entradas", "ocultas", "salidas", "muestras"})
    // samples
    ->Args({64, 40, 10, 250})
    ->Args({64, 40, 10, 1000})
    ->Args({64, 40, 10, 4000})
    ->Args({64, 40, 10, 16000})
    // hidden neurons
    ->Args({64, 10, 10, 1000})
    ->Args({64, 40, 10, 1000})
    ->Args({64, 160, 10, 1000})
    ->Args({64, 640, 10, 1000})
    // inputs
    ->Args({16, 40, 10, 1000})
    ->Args({64, 40, 10, 1000})
    ->Args({256, 40, 10, 1000})
    ->Args({1024, 40, 10, 1000})
    // the shapes of bench_fann (iris's with generated samples)
    ->Args({4, 8, 3, 1000})
    ->Args({784, 128, 10, 2000})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
