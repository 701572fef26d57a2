// Latency of the user-interface thread while two 64-40-10 networks train at
// once in the workbench: the longest delay of a 10 ms timer on the Qt event
// loop, with both views redrawing their texts and graphs on every epoch.
// Run under QT_QPA_PLATFORM=offscreen (set when absent).
#include <benchmark/benchmark.h>

#if __has_include(<QApplication>)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <random>

#include "framework/texto.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "ui/aplicacion.h"
#include "ui/marcos.h"

namespace {

constexpr UINT kEntradas = 64, kOcultas = 40, kSalidas = 10;

void EscribirDatos(const QString& ruta, int muestras) {
  QFile f(ruta);
  if (!f.open(QIODevice::WriteOnly)) return;
  std::mt19937 g(11);
  std::uniform_int_distribution<int> d(0, 1000);
  QByteArray texto;
  for (int m = 0; m < muestras; ++m) {
    for (UINT i = 0; i < kEntradas; ++i) texto += QByteArray(FormatC("%s%.3f", i ? " " : "", d(g) / 1000.0).c_str());
    texto += "\n";
    for (UINT o = 0; o < kSalidas; ++o) texto += QByteArray(o ? " " : "") + (o == m % kSalidas ? "1" : "0");
    texto += "\n\n";
  }
  f.write(texto);
}

// A new 64-40-10 network on the data file, saved where the workbench opens it.
bool EscribirRed(const QString& ruta, const QString& datos) {
  CNodusDoc doc;
  doc.m_strFicheroEntrenamiento = datos.toStdString();
  doc.m_strFicheroVerificacion = datos.toStdString();
  doc.m_nEntradas = kEntradas;
  doc.m_nOcultas = kOcultas;
  doc.m_nSalidas = kSalidas;
  doc.m_dAprendizaje = 0.1;
  doc.m_dMomento = 0.5;
  doc.m_dErrorMaximo = 0.0;  // never reached: the run lasts until stopped
  doc.m_nMaxEpocas = 400;
  doc.m_matPesosOculta.Dimensionar(kOcultas, kEntradas + 1);
  doc.m_matPesosSalida.Dimensionar(kSalidas, kOcultas + 1);
  doc.m_matIncOculta.Dimensionar(kOcultas, kEntradas + 1);
  doc.m_matIncSalida.Dimensionar(kSalidas, kOcultas + 1);
  std::mt19937 g(3);
  std::uniform_real_distribution<double> w(-0.3, 0.3);
  for (UINT i = 0; i < kOcultas; ++i)
    for (UINT j = 0; j <= kEntradas; ++j) doc.m_matPesosOculta.m_ppFilas[i][j] = w(g);
  for (UINT i = 0; i < kSalidas; ++i)
    for (UINT j = 0; j <= kOcultas; ++j) doc.m_matPesosSalida.m_ppFilas[i][j] = w(g);
  doc.m_arrErrorMaximo.Dimensionar(400);
  doc.m_arrErrorTotal.Dimensionar(400);
  doc.m_arrAciertos.Dimensionar(400);
  return doc.OnSaveDocument(ruta.toStdString()) != FALSE;
}

void BM_LatenciaBucleConDosRedes(benchmark::State& state) {
  QTemporaryDir dir;
  const QString anterior = QDir::currentPath();
  QDir::setCurrent(dir.path());  // the training log lands here
  const QString datos = dir.filePath(QStringLiteral("datos.txt"));
  EscribirDatos(datos, static_cast<int>(state.range(0)));

  for (auto _ : state) {
    state.PauseTiming();
    auto app = std::make_unique<CNodusApp>();
    app->InitInstance({});
    std::vector<CNodusDoc*> docs;
    for (int k = 0; k < 2; ++k) {
      const QString red = dir.filePath(QStringLiteral("red%1.nrv").arg(k));
      if (!EscribirRed(red, datos)) {
        state.SkipWithError("no se pudo escribir la red");
        return;
      }
      docs.push_back(dynamic_cast<CNodusDoc*>(app->OpenDocumentFile(red.toStdString())));
    }
    state.ResumeTiming();

    for (CNodusDoc* d : docs) d->OnCmdMsg(ID_ENTRENAR, nullptr);

    // A 10 ms timer; each tick measures how late it came.
    QElapsedTimer reloj;
    reloj.start();
    qint64 ultimo = 0, peor = 0;
    int ticks = 0;
    QTimer temporizador;
    temporizador.setTimerType(Qt::PreciseTimer);
    QObject::connect(&temporizador, &QTimer::timeout, [&] {
      const qint64 ahora = reloj.nsecsElapsed();
      if (ticks > 0) peor = std::max(peor, ahora - ultimo - 10'000'000);
      ultimo = ahora;
      ++ticks;
      const UINT epocas = std::min(docs[0]->m_nPuntos.load(), docs[1]->m_nPuntos.load());
      if (epocas >= static_cast<UINT>(state.range(1)) || reloj.elapsed() > 60'000) QCoreApplication::exit(0);
    });
    temporizador.start(10);
    QCoreApplication::exec();
    temporizador.stop();

    state.PauseTiming();
    state.counters["peor_retraso_ms"] = static_cast<double>(peor) / 1e6;
    state.counters["ticks"] = ticks;
    state.counters["epocas"] = std::min(docs[0]->m_nPuntos.load(), docs[1]->m_nPuntos.load());
    for (CNodusDoc* d : docs) d->SetModifiedFlag(FALSE);
    app.reset();  // each document stops and waits for its thread
    state.ResumeTiming();
  }
  QDir::setCurrent(anterior);
}
// Samples per file, epochs of each network to wait for.
BENCHMARK(BM_LatenciaBucleConDosRedes)->Args({1300, 400})->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

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

// Built without the workbench: nothing to measure.
int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

#endif
