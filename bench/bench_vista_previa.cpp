// The import window's preview of a wide table: the time from typing the
// table's name to the preview shown (the class list filled with every
// column), and again when the separator changes, for 5 000, 20 000 and
// 100 000 columns. Over the bound of the window (2 s for 20 000 columns),
// the case fails. Run under QT_QPA_PLATFORM=offscreen (set when absent).
#include <benchmark/benchmark.h>

#ifdef NRV_CON_GUION

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <memory>

#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/marcos.h"

namespace {

// What the window may take for 20 000 columns before it counts as frozen.
constexpr double kCotaSegundos = 2.0;

void BM_VistaPreviaTablaAncha(benchmark::State& state) {
  const int nColumnas = static_cast<int>(state.range(0));
  CEntornoPrueba entorno;
  const QString tabla = entorno.Ruta(QStringLiteral("ancha.csv"));
  {
    QByteArray cabecera, fila;
    for (int i = 0; i < nColumnas; ++i) {
      cabecera += "c" + QByteArray::number(i) + ",";
      fila += "1,";
    }
    QFile f(tabla);
    if (!f.open(QIODevice::WriteOnly) || f.write(cabecera + "k\n" + fila + "x\n" + fila + "y\n") <= 0) {
      state.SkipWithError("no se pudo escribir la tabla");
      return;
    }
  }
  CGuion guion;
  auto app = std::make_unique<CNodusApp>();
  app->InitInstance({});
  double peor = 0.0;
  for (auto _ : state) {
    double dEntrada = 0.0, dSeparador = 0.0;
    guion.Ventana([&](QDialog* d) {
      QElapsedTimer reloj;
      reloj.start();
      Escribir(d, IDC_TABLA, tabla);
      Dejar(d, IDC_TABLA);
      QCoreApplication::processEvents();
      dEntrada = reloj.nsecsElapsed() / 1e9;
      reloj.restart();
      Elegir(d, IDC_SEPARADOR, 1);
      QCoreApplication::processEvents();
      dSeparador = reloj.nsecsElapsed() / 1e9;
      if (ElementosCombo(d, IDC_CLASE).size() < 3) state.SkipWithError("la lista de la clase no se ha llenado");
      Pulsar(d, IDCANCEL);
    });
    app->m_pMainWnd->EjecutarComando(ID_IMPORTAR_DATOS);
    state.SetIterationTime(dEntrada);
    state.counters["separador_s"] = dSeparador;
    peor = std::max({peor, dEntrada, dSeparador});
  }
  state.counters["cota_s"] = kCotaSegundos * nColumnas / 20000.0;
  // The bound grows with the columns, as the class list must.
  if (peor > kCotaSegundos * nColumnas / 20000.0) state.SkipWithError("la vista previa pasa de su cota");
}
BENCHMARK(BM_VistaPreviaTablaAncha)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(100000)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

#else

int main() { return 0; }

#endif
