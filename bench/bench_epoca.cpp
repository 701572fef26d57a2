// One training epoch of the reference arithmetic (Propagar + Retropropagar
// on every sample in order), in connection updates per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "data/conjunto.h"
#include "network/aritmetica.h"

namespace {

struct Banco {
  CConjuntoDatos conjunto;
  CMatrizReales oculta, salida, incOculta, incSalida;
  RedPerceptron red{};
  std::vector<double> h, o, dO, dH;

  Banco(UINT e, UINT n, UINT s, UINT muestras) {
    std::mt19937_64 gen(12345);
    std::uniform_real_distribution<double> uno(0.0, 1.0), peso(-0.3, 0.3);
    conjunto.m_nMuestras = muestras;
    conjunto.m_nEntradas = e;
    conjunto.m_nSalidas = s;
    conjunto.m_matEntradas.Dimensionar(muestras, e);
    conjunto.m_matSalidas.Dimensionar(muestras, s);
    for (UINT m = 0; m < muestras; ++m) {
      for (UINT j = 0; j < e; ++j) conjunto.m_matEntradas.m_ppFilas[m][j] = uno(gen);
      conjunto.m_matSalidas.m_ppFilas[m][m % s] = 1.0;  // one class per sample
    }
    oculta.Dimensionar(n, e + 1);
    salida.Dimensionar(s, n + 1);
    incOculta.Dimensionar(n, e + 1);
    incSalida.Dimensionar(s, n + 1);
    for (UINT i = 0; i < n; ++i)
      for (UINT j = 0; j <= e; ++j) oculta.m_ppFilas[i][j] = peso(gen);
    for (UINT k = 0; k < s; ++k)
      for (UINT i = 0; i <= n; ++i) salida.m_ppFilas[k][i] = peso(gen);
    red = RedPerceptron{e, n, s, &oculta, &salida, &incOculta, &incSalida};
    h.resize(n);
    o.resize(s);
    dO.resize(s);
    dH.resize(n);
  }

  void Epoca() {
    for (UINT m = 0; m < conjunto.m_nMuestras; ++m) {
      const double* x = conjunto.m_matEntradas.m_ppFilas[m];
      const double* t = conjunto.m_matSalidas.m_ppFilas[m];
      Propagar(red, x, h.data(), o.data());
      Retropropagar(red, x, t, h.data(), o.data(), dO.data(), dH.data(), 0.25, 0.9);
    }
  }
};

void BM_EpocaReferencia(benchmark::State& state) {
  const UINT e = UINT(state.range(0)), n = UINT(state.range(1)), s = UINT(state.range(2));
  const UINT muestras = UINT(state.range(3));
  Banco banco(e, n, s, muestras);
  const std::int64_t conexiones = std::int64_t(e + 1) * n + std::int64_t(n + 1) * s;
  for (auto _ : state) {
    banco.Epoca();
    benchmark::DoNotOptimize(banco.salida.m_ppFilas[0][0]);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(muestras) * conexiones);
  state.counters["conexiones"] = double(conexiones);
  state.counters["muestras"] = double(muestras);
  state.counters["CUPS"] =
      benchmark::Counter(double(muestras) * double(conexiones), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_EpocaReferencia)
    ->ArgNames({"entradas", "ocultas", "salidas", "muestras"})
    ->Args({64, 40, 10, 1300})
    ->Args({784, 128, 10, 2000})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
