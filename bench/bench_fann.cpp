// Training throughput of nrv's engine side by side with FANN's (double
// build, incremental training with momentum, sigmoid layers, one thread) on
// the same data, the same shapes and the same epochs. One iteration is one
// epoch over the training set followed by one measuring pass over the
// verification set, for both. CUPS counts the training pass's connection
// updates: samples x connections (bias connections included, as FANN counts
// them) per second.
//
// Every case saturates some neurons (a net past -8 gives an output of
// exactly 0 and an error term of exactly 0): under the momentum factor their
// changes decay into the subnormal numbers, which cost a slow path on some
// processors. BM_NrvTecho and the ceiling of BM_LadoALado run the same
// engine with flush-to-zero and denormals-are-zero, where no subnormal costs
// anything: the ceiling of the engine's speed, for timing only, since those
// modes change the results.
#include <benchmark/benchmark.h>
#include <doublefann.h>
#include <time.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "data/conjunto.h"
#include "network/aritmetica.h"
#include "network/epoca.h"
#include "network/motor.h"

namespace {

constexpr double kMomento = 0.9;

struct Caso {
  UINT e, h, s, muestras, verificacion;  // muestras 0: the iris files
  double aprendizaje;
};

// The last one has the shape of the wine set (178 samples of 13 measures,
// 3 kinds) at its high learning factor, on generated samples.
const Caso kCasos[] = {
    {64, 40, 10, 1300, 325, 0.25}, {784, 128, 10, 10000, 2500, 0.25}, {4, 40, 3, 0, 0, 0.25},
    {4, 8, 3, 0, 0, 0.25},         {13, 20, 3, 134, 44, 0.5},
};

// Generated samples: inputs in [0, 1), one class per sample.
void Generar(CConjuntoDatos& c, UINT e, UINT s, UINT n, std::uint64_t semilla) {
  std::mt19937_64 gen(semilla);
  std::uniform_real_distribution<double> uno(0.0, 1.0);
  c.m_nMuestras = n;
  c.m_nEntradas = e;
  c.m_nSalidas = s;
  c.m_matEntradas.Dimensionar(n, e);
  c.m_matSalidas.Dimensionar(n, s);
  for (UINT m = 0; m < n; ++m) {
    for (UINT j = 0; j < e; ++j) c.m_matEntradas.m_ppFilas[m][j] = uno(gen);
    c.m_matSalidas.m_ppFilas[m][m % s] = 1.0;
  }
  c.m_bCargado = true;
}

struct Datos {
  CConjuntoDatos entrenamiento, verificacion;
};

// Made once per shape and shared by every benchmark of that shape.
const Datos& DatosDe(const Caso& caso) {
  static std::map<UINT, std::unique_ptr<Datos>> cache;
  auto& d = cache[caso.e * 1000003u + caso.h * 101u + caso.s];
  if (!d) {
    d = std::make_unique<Datos>();
    if (caso.muestras == 0) {
      const std::string dir = NRV_EXAMPLES_DIR;
      if (!d->entrenamiento.Cargar((dir + "/iris-train.txt").c_str()) ||
          !d->verificacion.Cargar((dir + "/iris-test.txt").c_str())) {
        std::fprintf(stderr, "no se pueden cargar los ficheros iris de %s\n", dir.c_str());
        std::exit(1);
      }
    } else {
      Generar(d->entrenamiento, caso.e, caso.s, caso.muestras, 1);
      Generar(d->verificacion, caso.e, caso.s, caso.verificacion, 2);
    }
  }
  return *d;
}

std::int64_t Conexiones(const Caso& c) { return std::int64_t(c.e + 1) * c.h + std::int64_t(c.h + 1) * c.s; }

// One nrv network with its engine.
struct LadoNrv {
  CMatrizReales oculta, salida, incOculta, incSalida;
  RedPerceptron red{};
  std::unique_ptr<CMotorPerceptron> motor;
  std::vector<double> h, o, dO, dH;
  const Datos& datos;
  double aprendizaje;

  LadoNrv(const Caso& c, const Datos& d, VarianteMotor variante, UINT nHilos = 0)
      : datos(d), aprendizaje(c.aprendizaje) {
    std::mt19937_64 gen(7);
    std::uniform_real_distribution<double> peso(-0.3, 0.3);
    oculta.Dimensionar(c.h, c.e + 1);
    salida.Dimensionar(c.s, c.h + 1);
    incOculta.Dimensionar(c.h, c.e + 1);
    incSalida.Dimensionar(c.s, c.h + 1);
    for (UINT i = 0; i < c.h; ++i)
      for (UINT j = 0; j <= c.e; ++j) oculta.m_ppFilas[i][j] = peso(gen);
    for (UINT k = 0; k < c.s; ++k)
      for (UINT i = 0; i <= c.h; ++i) salida.m_ppFilas[k][i] = peso(gen);
    red = RedPerceptron{c.e, c.h, c.s, &oculta, &salida, &incOculta, &incSalida};
    motor = std::make_unique<CMotorPerceptron>(red, variante, nHilos);
    h.resize(c.h);
    o.resize(c.s);
    dO.resize(c.s);
    dH.resize(c.h);
  }
  double Epoca() {
    motor->EntrenarEpoca(datos.entrenamiento, aprendizaje, kMomento);
    return motor->MedirConjunto(datos.verificacion).dErrorTotal;
  }
  // The plain loops, for scale.
  double EpocaReferencia() {
    EntrenarEpoca(red, datos.entrenamiento, h.data(), o.data(), dO.data(), dH.data(), aprendizaje, kMomento);
    return MedirConjunto(red, datos.verificacion, h.data(), o.data()).dErrorTotal;
  }
};

fann_train_data* AFann(const CConjuntoDatos& c) {
  fann_train_data* d = fann_create_train(c.m_nMuestras, c.m_nEntradas, c.m_nSalidas);
  for (UINT m = 0; m < c.m_nMuestras; ++m) {
    for (UINT j = 0; j < c.m_nEntradas; ++j) d->input[m][j] = c.m_matEntradas.m_ppFilas[m][j];
    for (UINT k = 0; k < c.m_nSalidas; ++k) d->output[m][k] = c.m_matSalidas.m_ppFilas[m][k];
  }
  return d;
}

// The same network in FANN: logistic sigmoid (FANN_SIGMOID, steepness 0.5)
// on both layers, one sample at a time, plain error function.
struct LadoFann {
  fann* ann = nullptr;
  fann_train_data* entrenamiento = nullptr;
  fann_train_data* verificacion = nullptr;

  LadoFann(const Caso& c, const Datos& d) {
    ann = fann_create_standard(3, c.e, c.h, c.s);
    fann_set_activation_function_hidden(ann, FANN_SIGMOID);
    fann_set_activation_function_output(ann, FANN_SIGMOID);
    fann_set_activation_steepness_hidden(ann, 0.5);
    fann_set_activation_steepness_output(ann, 0.5);
    fann_set_training_algorithm(ann, FANN_TRAIN_INCREMENTAL);
    fann_set_train_error_function(ann, FANN_ERRORFUNC_LINEAR);
    fann_set_learning_rate(ann, float(c.aprendizaje));
    fann_set_learning_momentum(ann, float(kMomento));
    fann_randomize_weights(ann, -0.3, 0.3);
    entrenamiento = AFann(d.entrenamiento);
    verificacion = AFann(d.verificacion);
  }
  ~LadoFann() {
    fann_destroy_train(entrenamiento);
    fann_destroy_train(verificacion);
    fann_destroy(ann);
  }
  double Epoca() {
    fann_train_epoch(ann, entrenamiento);
    return fann_test_data(ann, verificacion);
  }
};

// Flush-to-zero and denormals-are-zero in MXCSR while it lives; threads
// started meanwhile (an engine's helpers) inherit them.
class Techo {
 public:
#if defined(__x86_64__) || defined(__i386__)
  Techo() : m_antes(__builtin_ia32_stmxcsr()) { __builtin_ia32_ldmxcsr(m_antes | 0x8040); }
  ~Techo() { __builtin_ia32_ldmxcsr(m_antes); }

 private:
  unsigned m_antes;
#endif
};

double TiempoHilo() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

void Contadores(benchmark::State& st, const Caso& c, const Datos& d) {
  const double actualizaciones = double(d.entrenamiento.m_nMuestras) * double(Conexiones(c));
  st.counters["CUPS"] = benchmark::Counter(actualizaciones, benchmark::Counter::kIsIterationInvariantRate);
  st.counters["muestras"] = double(d.entrenamiento.m_nMuestras);
  st.counters["verificacion"] = double(d.verificacion.m_nMuestras);
}

void BM_Nrv(benchmark::State& st) {
  const Caso& c = kCasos[st.range(0)];
  const Datos& d = DatosDe(c);
  LadoNrv nrv(c, d, VarianteMotor(st.range(1)), 1);
  st.SetLabel(CMotorPerceptron::Nombre(nrv.motor->Variante()));
  for (auto _ : st) benchmark::DoNotOptimize(nrv.Epoca());
  Contadores(st, c, d);
}

// The same as BM_Nrv with no cost for subnormal numbers: the ceiling.
void BM_NrvTecho(benchmark::State& st) {
  const Caso& c = kCasos[st.range(0)];
  const Datos& d = DatosDe(c);
  Techo techo;
  LadoNrv nrv(c, d, VarianteMotor(st.range(1)), 1);
  st.SetLabel(CMotorPerceptron::Nombre(nrv.motor->Variante()));
  for (auto _ : st) benchmark::DoNotOptimize(nrv.Epoca());
  Contadores(st, c, d);
}

// One thread against two and against the automatic choice, side by side in
// every iteration, each timed on the wall clock (the threads' CPU time would
// hide the meetings' waits). razon: one thread's time over two threads';
// razon_auto: over the automatic choice's.
void BM_Hilos(benchmark::State& st) {
  const Caso& c = kCasos[st.range(0)];
  const Datos& d = DatosDe(c);
  LadoNrv uno(c, d, VarianteMotor::Automatica, 1), dos(c, d, VarianteMotor::Automatica, 2),
      automatico(c, d, VarianteMotor::Automatica, 0);
  st.SetLabel(CMotorPerceptron::Nombre(uno.motor->Variante()));
  double tUno = 0.0, tDos = 0.0, tAuto = 0.0;
  for (auto _ : st) {
    auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(uno.Epoca());
    auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(dos.Epoca());
    auto t2 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(automatico.Epoca());
    auto t3 = std::chrono::steady_clock::now();
    tUno += std::chrono::duration<double>(t1 - t0).count();
    tDos += std::chrono::duration<double>(t2 - t1).count();
    tAuto += std::chrono::duration<double>(t3 - t2).count();
  }
  st.counters["hilos"] = dos.motor->Hilos();
  st.counters["hilos_auto"] = automatico.motor->Hilos();
  st.counters["parte_varios_auto"] = automatico.motor->ParteConVarios();
  st.counters["razon"] = tUno / tDos;
  st.counters["razon_auto"] = tUno / tAuto;
}

void BM_NrvReferencia(benchmark::State& st) {
  const Caso& c = kCasos[st.range(0)];
  const Datos& d = DatosDe(c);
  LadoNrv nrv(c, d, VarianteMotor::Base);
  for (auto _ : st) benchmark::DoNotOptimize(nrv.EpocaReferencia());
  Contadores(st, c, d);
}

void BM_Fann(benchmark::State& st) {
  const Caso& c = kCasos[st.range(0)];
  const Datos& d = DatosDe(c);
  LadoFann fann(c, d);
  if (fann_get_total_connections(fann.ann) != std::uint64_t(Conexiones(c))) {
    st.SkipWithError("FANN cuenta otras conexiones");
    return;
  }
  for (auto _ : st) benchmark::DoNotOptimize(fann.Epoca());
  Contadores(st, c, d);
}

// nrv, FANN and nrv's ceiling in the same iteration, one after the other,
// so that all see the same load of the machine; each timed on this thread's
// own CPU clock. razon: FANN's time over nrv's; techo: nrv's over the
// ceiling's (1 when subnormal numbers cost nothing).
void BM_LadoALado(benchmark::State& st) {
  const Caso& c = kCasos[st.range(0)];
  const Datos& d = DatosDe(c);
  LadoNrv nrv(c, d, VarianteMotor::Automatica, 1);  // one thread, as FANN
  LadoFann fann(c, d);
  std::unique_ptr<LadoNrv> techo;
  {
    Techo t;
    techo = std::make_unique<LadoNrv>(c, d, VarianteMotor::Automatica, 1);
  }
  st.SetLabel(CMotorPerceptron::Nombre(nrv.motor->Variante()));
  double tNrv = 0.0, tFann = 0.0, tTecho = 0.0;
  for (auto _ : st) {
    double t0 = TiempoHilo();
    benchmark::DoNotOptimize(nrv.Epoca());
    double t1 = TiempoHilo();
    benchmark::DoNotOptimize(fann.Epoca());
    double t2 = TiempoHilo();
    {
      Techo t;
      benchmark::DoNotOptimize(techo->Epoca());
    }
    double t3 = TiempoHilo();
    tNrv += t1 - t0;
    tFann += t2 - t1;
    tTecho += t3 - t2;
  }
  const double total = double(st.iterations()) * double(d.entrenamiento.m_nMuestras) * double(Conexiones(c));
  st.counters["CUPS_nrv"] = total / tNrv;
  st.counters["CUPS_fann"] = total / tFann;
  st.counters["CUPS_techo"] = total / tTecho;
  st.counters["razon"] = tFann / tNrv;
  st.counters["techo"] = tNrv / tTecho;
  st.counters["muestras"] = double(d.entrenamiento.m_nMuestras);
}

void Formas(benchmark::internal::Benchmark* b) {
  b->ArgNames({"forma"});
  for (int i = 0; i < int(std::size(kCasos)); ++i) b->Args({i});
}

void FormasYVariantes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"forma", "variante"});
  for (int i = 0; i < int(std::size(kCasos)); ++i)
    for (VarianteMotor v : {VarianteMotor::Base, VarianteMotor::Avx2, VarianteMotor::Avx512})
      if (CMotorPerceptron::Disponible(v)) b->Args({i, int(v)});
}

}  // namespace

BENCHMARK(BM_LadoALado)->Apply(Formas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Nrv)->Apply(FormasYVariantes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NrvTecho)->Apply(FormasYVariantes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Fann)->Apply(Formas)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Hilos)->Apply(Formas)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NrvReferencia)->Apply(Formas)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
