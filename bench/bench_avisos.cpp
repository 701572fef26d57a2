// What one epoch's line costs the training thread in nrv-cli: the thread
// posts WM_ACTUALIZAR, and the main thread (the command-line host's) wakes,
// formats the line and prints it. A worker stands for the training thread:
// it is busy for the time of an iris epoch, then posts, again and again;
// the time it spends posting is the figure (nanoseconds per post).
// Side by side with a host that writes its pipe on every post, as the tool
// did before (CadaAviso).
#include <benchmark/benchmark.h>
#include <x86intrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "cli/host_linea.h"
#include "framework/hilos.h"
#include "framework/mensajes.h"
#include "framework/texto.h"
#include "framework/ventana.h"
#include "resources/resource.h"

namespace {

// The view of nrv-cli entrenar: each message prints an epoch's line.
class CVistaAvisos : public CWnd {
 public:
  std::FILE* nulo = std::fopen("/dev/null", "w");
  UINT lineas = 0;
  ~CVistaAvisos() override { std::fclose(nulo); }
  LRESULT WindowProc(UINT message, WPARAM, LPARAM) override {
    if (message != WM_ACTUALIZAR) return 0;
    const CString linea = FormatC("   %2i \t %7.6f \t %7.5f \t %7.4f%%\n", int(lineas), 0.5, 2.25, 96.0);
    std::fwrite(linea.data(), 1, linea.size(), nulo);
    std::fflush(nulo);
    ++lineas;
    return 0;
  }
};

// The tool as it was: every post writes the pipe.
class CHostCadaAviso : public CHostLinea {
 public:
  void WakeUi() override { ThreadEnded(); }
};

struct Trabajo {
  HWND hVista;
  UINT nEpocas;
  double dSegundosEpoca;
  std::vector<double> ciclos;  // the time stamp counter's ticks of each post
};

// Busy for an epoch's time, then the post, timed by the time stamp counter
// (a read costs a few nanoseconds; the threads' CPU clocks cost a system
// call here). A post interrupted by the system shows as an outlier, which
// the median leaves out and the mean keeps.
UINT Entrenar(void* p) {
  auto* t = static_cast<Trabajo*>(p);
  for (UINT e = 0; e < t->nEpocas; ++e) {
    const auto fin = std::chrono::steady_clock::now() + std::chrono::duration<double>(t->dSegundosEpoca);
    while (std::chrono::steady_clock::now() < fin) {
    }
    const unsigned long long t0 = __rdtsc();
    PostMessage(t->hVista, WM_ACTUALIZAR, 0, 0);
    t->ciclos.push_back(double(__rdtsc() - t0));
  }
  return 0;
}

// Time stamp counter ticks per nanosecond.
double TicsPorNs() {
  const auto t0 = std::chrono::steady_clock::now();
  const unsigned long long c0 = __rdtsc();
  while (std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(50)) {
  }
  const unsigned long long c1 = __rdtsc();
  return double(c1 - c0) / std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
}

template <class Host>
void BM_LineaPorEpoca(benchmark::State& st) {
  Host host;
  CVistaAvisos vista;
  const double tics = TicsPorNs();
  Trabajo t{vista.GetSafeHwnd(), 4000, double(st.range(0)) * 1e-6, {}};
  std::vector<double> todos;
  for (auto _ : st) {
    t.ciclos.clear();
    t.ciclos.reserve(t.nEpocas);
    auto hilo = AfxBeginThread(Entrenar, &t, THREAD_PRIORITY_LOWEST);
    DWORD codigo = STILL_ACTIVE;
    for (;;) {
      AfxPumpMessages();
      if (!GetExitCodeThread(hilo, &codigo) || codigo != STILL_ACTIVE) break;
      host.Esperar();
    }
    AfxPumpMessages();
    todos.insert(todos.end(), t.ciclos.begin(), t.ciclos.end());
  }
  std::sort(todos.begin(), todos.end());
  double suma = 0.0;
  for (double c : todos) suma += c;
  st.counters["ns_mediana"] = todos[todos.size() / 2] / tics;
  st.counters["ns_media"] = suma / double(todos.size()) / tics;
  st.counters["us_por_epoca"] = double(st.range(0));
  st.counters["lineas"] = vista.lineas;
}

}  // namespace

BENCHMARK_TEMPLATE(BM_LineaPorEpoca, CHostLinea)->Arg(18)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_TEMPLATE(BM_LineaPorEpoca, CHostCadaAviso)->Arg(18)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
