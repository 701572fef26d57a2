// The fast engine against the reference loops: every bit of the weights, the
// momentum memory and the measures, for many shapes and for every code path
// the processor can run; and nothing allocated inside an epoch.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <bit>
#include <chrono>
#include <cmath>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "network/aritmetica.h"
#include "framework/hilos.h"
#include "network/exacto.h"
#include "network/motor.h"

// Counts the allocations of the thread that asks for it.
// ThreadSanitizer's runtime brings every form of operator new of its own:
// there the counting and the limit are not available.
#if defined(__SANITIZE_THREAD__)
#define NRV_RESERVAS_CONTADAS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define NRV_RESERVAS_CONTADAS 0
#endif
#endif
#ifndef NRV_RESERVAS_CONTADAS
#define NRV_RESERVAS_CONTADAS 1
#endif

namespace {
thread_local bool t_bContando = false;
thread_local long t_nReservas = 0;
thread_local std::size_t t_nLimite = 0;  // bigger blocks fail, when not 0
}  // namespace

#if NRV_RESERVAS_CONTADAS
namespace {
void* Reservar(std::size_t n, std::size_t alineacion) {
  if (t_bContando) ++t_nReservas;
  if (t_nLimite != 0 && n > t_nLimite) throw std::bad_alloc();
  if (n == 0) n = 1;
  void* p = alineacion <= alignof(std::max_align_t) ? std::malloc(n)
                                                     : std::aligned_alloc(alineacion, (n + alineacion - 1) / alineacion * alineacion);
  if (!p) throw std::bad_alloc();
  return p;
}
}  // namespace

void* operator new(std::size_t n) { return Reservar(n, 0); }
void* operator new(std::size_t n, std::align_val_t a) { return Reservar(n, std::size_t(a)); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
// Every other form too: AddressSanitizer's runtime gives its own, which
// would not pass through Reservar nor match its free.
void* operator new[](std::size_t n) { return Reservar(n, 0); }
void* operator new[](std::size_t n, std::align_val_t a) { return Reservar(n, std::size_t(a)); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return Reservar(n, 0);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  try {
    return Reservar(n, std::size_t(a));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t& t) noexcept { return operator new(n, a, t); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept { std::free(p); }
#endif

namespace {

struct Red {
  CMatrizReales oculta, salida, incOculta, incSalida;
  RedPerceptron red{};

  Red(UINT e, UINT h, UINT s) {
    oculta.Dimensionar(h, e + 1);
    salida.Dimensionar(s, h + 1);
    incOculta.Dimensionar(h, e + 1);
    incSalida.Dimensionar(s, h + 1);
    red = RedPerceptron{e, h, s, &oculta, &salida, &incOculta, &incSalida};
  }
  void CopiarDe(const Red& otra) {
    Copiar(oculta, otra.oculta);
    Copiar(salida, otra.salida);
    Copiar(incOculta, otra.incOculta);
    Copiar(incSalida, otra.incSalida);
  }
  static void Copiar(CMatrizReales& a, const CMatrizReales& b) {
    for (UINT i = 0; i < a.m_nFilas; ++i) std::memcpy(a.m_ppFilas[i], b.m_ppFilas[i], a.m_nColumnas * sizeof(double));
  }
};

struct Forma {
  UINT e, h, s, muestras;
  double escalaPesos;  // large weights push nets past +-8
};

void Rellenar(CMatrizReales& m, std::mt19937_64& gen, double escala) {
  std::uniform_real_distribution<double> d(-escala, escala);
  for (UINT i = 0; i < m.m_nFilas; ++i)
    for (UINT j = 0; j < m.m_nColumnas; ++j) m.m_ppFilas[i][j] = d(gen);
}

void Conjunto(CConjuntoDatos& c, UINT e, UINT s, UINT n, std::mt19937_64& gen) {
  std::uniform_real_distribution<double> uno(0.0, 1.0), ancho(-3.0, 3.0);
  c.m_nMuestras = n;
  c.m_nEntradas = e;
  c.m_nSalidas = s;
  c.m_matEntradas.Dimensionar(n, e);
  c.m_matSalidas.Dimensionar(n, s);
  for (UINT m = 0; m < n; ++m) {
    for (UINT j = 0; j < e; ++j) c.m_matEntradas.m_ppFilas[m][j] = (j % 7 == 3) ? ancho(gen) : uno(gen);
    for (UINT k = 0; k < s; ++k) c.m_matSalidas.m_ppFilas[m][k] = (m + k) % 3 == 0 ? 1.0 : (m % 5 == 0 ? uno(gen) : 0.0);
  }
  c.m_bCargado = true;
}

// The epoch exactly as the arithmetic defines it.
void EpocaReferencia(const RedPerceptron& red, const CConjuntoDatos& c, double a, double m) {
  std::vector<double> h(red.nOcultas + 1), o(red.nSalidas + 1), dO(red.nSalidas + 1), dH(red.nOcultas + 1);
  for (UINT s = 0; s < c.m_nMuestras; ++s) {
    const double* x = red.nEntradas ? c.m_matEntradas.m_ppFilas[s] : nullptr;
    const double* t = red.nSalidas ? c.m_matSalidas.m_ppFilas[s] : nullptr;
    Propagar(red, x, h.data(), o.data());
    Retropropagar(red, x, t, h.data(), o.data(), dO.data(), dH.data(), a, m);
  }
}

MedidasConjunto MedirReferencia(const RedPerceptron& red, const CConjuntoDatos& c) {
  std::vector<double> h(red.nOcultas + 1), o(red.nSalidas + 1);
  return MedirConjunto(red, c, h.data(), o.data());
}

std::uint64_t Bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Every element, bit for bit (any NaN matches any NaN). Returns where they
// first differ, or an empty text.
std::string Diferencia(const CMatrizReales& a, const CMatrizReales& b, const char* nombre) {
  for (UINT i = 0; i < a.m_nFilas; ++i)
    for (UINT j = 0; j < a.m_nColumnas; ++j) {
      const double x = a.m_ppFilas[i][j], y = b.m_ppFilas[i][j];
      if (Bits(x) != Bits(y) && !(std::isnan(x) && std::isnan(y)))
        return std::string(nombre) + "[" + std::to_string(i) + "][" + std::to_string(j) + "]";
    }
  return {};
}

void EsperarIguales(const MedidasConjunto& a, const MedidasConjunto& b) {
  EXPECT_EQ(Bits(a.dErrorMaximo), Bits(b.dErrorMaximo));
  EXPECT_EQ(Bits(a.dErrorTotal), Bits(b.dErrorTotal));
  EXPECT_EQ(a.nAciertos, b.nAciertos);
  EXPECT_EQ(Bits(a.dTasaAciertos), Bits(b.dTasaAciertos));
}

std::vector<VarianteMotor> Variantes() {
  std::vector<VarianteMotor> v;
  for (VarianteMotor x : {VarianteMotor::Base, VarianteMotor::Avx2, VarianteMotor::Avx512})
    if (CMotorPerceptron::Disponible(x)) v.push_back(x);
  return v;
}

std::string NombresVariantes() {
  std::string s;
  for (VarianteMotor v : Variantes()) s += std::string(s.empty() ? "" : " ") + CMotorPerceptron::Nombre(v);
  return s;
}

// Threads the engine takes for nHilos on a hidden layer of h neurons: at
// most one per group of eight.
UINT HilosEsperados(UINT nHilos, UINT h) { return std::max(1u, std::min(nHilos, (h + 7) / 8)); }

// Trains a copy with the reference and one with the engine, epoch after
// epoch, comparing every bit after each. nHilos 0: the engine's own choice.
void Comparar(const Forma& f, std::uint64_t semilla, double a, double m, UINT epocas, VarianteMotor variante,
              UINT nHilos = 0) {
  SCOPED_TRACE(std::to_string(f.e) + "-" + std::to_string(f.h) + "-" + std::to_string(f.s) + " con " +
               std::to_string(f.muestras) + " muestras, " + CMotorPerceptron::Nombre(variante) + ", " +
               std::to_string(nHilos) + " hilos pedidos");
  std::mt19937_64 gen(semilla);
  Red ref(f.e, f.h, f.s), rap(f.e, f.h, f.s);
  Rellenar(ref.oculta, gen, f.escalaPesos);
  Rellenar(ref.salida, gen, f.escalaPesos);
  Rellenar(ref.incOculta, gen, 0.05);  // the memory of an earlier run
  Rellenar(ref.incSalida, gen, 0.05);
  rap.CopiarDe(ref);
  CConjuntoDatos entrenamiento, verificacion;
  Conjunto(entrenamiento, f.e, f.s, f.muestras, gen);
  Conjunto(verificacion, f.e, f.s, f.muestras / 2 + 1, gen);

  CMotorPerceptron motor(rap.red, variante, nHilos);
  ASSERT_EQ(motor.Variante(), variante);
  for (UINT epoca = 0; epoca < epocas; ++epoca) {
    SCOPED_TRACE("época " + std::to_string(epoca));
    EpocaReferencia(ref.red, entrenamiento, a, m);
    motor.EntrenarEpoca(entrenamiento, a, m);
    if (nHilos != 0 && f.muestras != 0) {
      ASSERT_EQ(motor.Hilos(), HilosEsperados(nHilos, f.h));
    }
    ASSERT_EQ(Diferencia(ref.oculta, rap.oculta, "oculta"), "");
    ASSERT_EQ(Diferencia(ref.salida, rap.salida, "salida"), "");
    ASSERT_EQ(Diferencia(ref.incOculta, rap.incOculta, "incOculta"), "");
    ASSERT_EQ(Diferencia(ref.incSalida, rap.incSalida, "incSalida"), "");
    EsperarIguales(MedirReferencia(ref.red, verificacion), motor.MedirConjunto(verificacion));
    EsperarIguales(MedirReferencia(ref.red, entrenamiento), motor.MedirConjunto(entrenamiento));
  }
}

const Forma kFormas[] = {
    {1, 1, 1, 9, 1.0},     {2, 1, 1, 13, 1.0},    {3, 5, 2, 20, 1.0},     {4, 40, 3, 75, 1.0},
    {5, 7, 1, 31, 2.0},    {7, 9, 9, 17, 1.0},    {13, 17, 11, 40, 0.5},  {31, 33, 3, 25, 1.0},
    {64, 40, 10, 60, 0.3}, {65, 8, 17, 30, 1.0},  {100, 64, 10, 20, 0.3}, {33, 129, 5, 12, 0.5},
    {9, 16, 8, 25, 6.0},   {11, 23, 16, 21, 4.0}, {0, 3, 2, 10, 1.0},     {6, 0, 2, 10, 1.0},
    {200, 96, 25, 8, 0.2},
};

}  // namespace

TEST(MotorBits, MismasFormasQueLaReferencia) {
  std::uint64_t semilla = 1;
  for (VarianteMotor v : Variantes())
    for (const Forma& f : kFormas) Comparar(f, semilla++, 0.25, 0.9, 4, v, 1);
  // Which code paths this machine has run.
  std::printf("Variantes del motor probadas: %s\n", NombresVariantes().c_str());
  RecordProperty("variantes", NombresVariantes());
}

// Each thread owns a run of the groups of eight neurons; the bits are those
// of one thread, whatever the split (groups left over, a thread per group,
// outputs in one group or several).
TEST(MotorHilos, MismasFormasConVariosHilos) {
  std::uint64_t semilla = 100;
  for (VarianteMotor v : Variantes())
    for (UINT nHilos : {2u, 3u})
      for (const Forma& f : kFormas) Comparar(f, semilla++, 0.25, 0.9, 2, v, nHilos);
  std::printf("Variantes del motor probadas con 2 y 3 hilos: %s\n", NombresVariantes().c_str());
  RecordProperty("variantes", NombresVariantes());
}

// The document's matrices are the state: epochs on one thread and on
// several may follow each other in any order.
TEST(MotorHilos, UnoYVariosHilosSeAlternan) {
  for (VarianteMotor v : Variantes()) {
    SCOPED_TRACE(CMotorPerceptron::Nombre(v));
    std::mt19937_64 gen(21);
    Red ref(40, 33, 12), rap(40, 33, 12);
    Rellenar(ref.oculta, gen, 0.5);
    Rellenar(ref.salida, gen, 0.5);
    rap.CopiarDe(ref);
    CConjuntoDatos c;
    Conjunto(c, 40, 12, 30, gen);
    CMotorPerceptron uno(rap.red, v, 1), dos(rap.red, v, 2), cinco(rap.red, v, 5);
    CMotorPerceptron* orden[] = {&dos, &uno, &cinco, &dos, &uno};
    for (CMotorPerceptron* motor : orden) {
      EpocaReferencia(ref.red, c, 0.2, 0.7);
      motor->EntrenarEpoca(c, 0.2, 0.7);
      ASSERT_EQ(Diferencia(ref.oculta, rap.oculta, "oculta"), "");
      ASSERT_EQ(Diferencia(ref.salida, rap.salida, "salida"), "");
      ASSERT_EQ(Diferencia(ref.incOculta, rap.incOculta, "incOculta"), "");
      ASSERT_EQ(Diferencia(ref.incSalida, rap.incSalida, "incSalida"), "");
      EsperarIguales(MedirReferencia(ref.red, c), motor->MedirConjunto(c));
    }
    EXPECT_EQ(uno.Hilos(), 1u);
    EXPECT_EQ(dos.Hilos(), 2u);
    EXPECT_EQ(cinco.Hilos(), 5u);
  }
}

TEST(MotorBits, OtrosFactores) {
  const double factores[][2] = {{0.7, 0.0}, {0.05, 0.5}, {1.5, 0.95}};
  for (VarianteMotor v : Variantes())
    for (const auto& fm : factores) {
      Comparar({64, 40, 10, 40, 0.5}, 77, fm[0], fm[1], 3, v);
      Comparar({4, 40, 3, 75, 3.0}, 78, fm[0], fm[1], 3, v);
      Comparar({3, 2, 1, 15, 8.0}, 79, fm[0], fm[1], 3, v);
    }
}

// Nets that fall on the table's halves and edges: the engine's activation
// must round exactly as Sigmoide does.
TEST(MotorBits, RedesEnLosBordesDeLaTabla) {
  const double entradas[] = {1.0 / 256, -1.0 / 256, 3.0 / 512, 8.0, -8.0, 7.998, 8.000001, -8.000001, 0.0, 7.99609375};
  for (VarianteMotor v : Variantes()) {
    SCOPED_TRACE(CMotorPerceptron::Nombre(v));
    Red ref(1, 1, 1), rap(1, 1, 1);
    ref.oculta.m_ppFilas[0][0] = 1.0;  // net = x exactly
    ref.salida.m_ppFilas[0][0] = 1.0;
    rap.CopiarDe(ref);
    CConjuntoDatos c;
    c.m_nMuestras = UINT(std::size(entradas));
    c.m_nEntradas = c.m_nSalidas = 1;
    c.m_matEntradas.Dimensionar(c.m_nMuestras, 1);
    c.m_matSalidas.Dimensionar(c.m_nMuestras, 1);
    for (UINT s = 0; s < c.m_nMuestras; ++s) {
      c.m_matEntradas.m_ppFilas[s][0] = entradas[s];
      c.m_matSalidas.m_ppFilas[s][0] = s % 2;
    }
    CMotorPerceptron motor(rap.red, v);
    // Learning factor 0: the weights stay and every net stays on its edge.
    EpocaReferencia(ref.red, c, 0.0, 0.0);
    motor.EntrenarEpoca(c, 0.0, 0.0);
    EXPECT_EQ(Diferencia(ref.oculta, rap.oculta, "oculta"), "");
    EsperarIguales(MedirReferencia(ref.red, c), motor.MedirConjunto(c));
    EpocaReferencia(ref.red, c, 0.5, 0.5);
    motor.EntrenarEpoca(c, 0.5, 0.5);
    EXPECT_EQ(Diferencia(ref.oculta, rap.oculta, "oculta"), "");
    EXPECT_EQ(Diferencia(ref.incSalida, rap.incSalida, "incSalida"), "");
  }
}

TEST(MotorConjuntos, SinMuestrasNadaCambia) {
  Red r(3, 4, 2);
  std::mt19937_64 gen(5);
  Rellenar(r.oculta, gen, 1.0);
  Red antes(3, 4, 2);
  antes.CopiarDe(r);
  CConjuntoDatos vacio;
  CMotorPerceptron motor(r.red);
  motor.EntrenarEpoca(vacio, 0.25, 0.9);
  EXPECT_EQ(Diferencia(antes.oculta, r.oculta, "oculta"), "");
  const MedidasConjunto m = motor.MedirConjunto(vacio);
  EXPECT_EQ(m.dErrorMaximo, 0.0);
  EXPECT_EQ(m.dErrorTotal, 0.0);
  EXPECT_EQ(m.nAciertos, 0u);
  EXPECT_EQ(m.dTasaAciertos, 0.0);
}

// Rows shorter than the network's layers are never read past their end:
// the epoch changes nothing and the set measures as empty.
TEST(MotorConjuntos, FilasCortasNoSeLeen) {
  Red r(6, 4, 3);
  std::mt19937_64 gen(6);
  Rellenar(r.oculta, gen, 1.0);
  Red antes(6, 4, 3);
  antes.CopiarDe(r);
  CConjuntoDatos corto, pocasSalidas;
  Conjunto(corto, 5, 3, 10, gen);
  Conjunto(pocasSalidas, 6, 2, 10, gen);
  CMotorPerceptron motor(r.red);
  for (const CConjuntoDatos* c : {&corto, &pocasSalidas}) {
    motor.EntrenarEpoca(*c, 0.25, 0.9);
    EXPECT_EQ(Diferencia(antes.oculta, r.oculta, "oculta"), "");
    EXPECT_EQ(Diferencia(antes.incSalida, r.incSalida, "incSalida"), "");
    EXPECT_EQ(motor.MedirConjunto(*c).nAciertos, 0u);
    EXPECT_EQ(motor.MedirConjunto(*c).dErrorTotal, 0.0);
  }
}

// Everything the engine needs is allocated when it is made.
TEST(MotorMemoria, NadaSeReservaEnLaEpoca) {
  if (!NRV_RESERVAS_CONTADAS) GTEST_SKIP() << "operator new is the sanitizer's own";
  std::mt19937_64 gen(9);
  Red r(64, 40, 10);
  Rellenar(r.oculta, gen, 0.3);
  Rellenar(r.salida, gen, 0.3);
  CConjuntoDatos c;
  Conjunto(c, 64, 10, 50, gen);
  for (VarianteMotor v : Variantes())
    for (UINT nHilos : {1u, 2u}) {
    CMotorPerceptron motor(r.red, v, nHilos);
    t_nReservas = 0;
    t_bContando = true;
    for (int e = 0; e < 3; ++e) {
      motor.EntrenarEpoca(c, 0.25, 0.9);
      motor.MedirConjunto(c);
    }
    t_bContando = false;
    EXPECT_EQ(t_nReservas, 0) << CMotorPerceptron::Nombre(v) << ", " << nHilos << " hilos";
  }
}

// A thread's nice value, field 19 of /proc/self/task/<tid>/stat.
long NiceDeHilo(const std::string& tid) {
  std::ifstream f("/proc/self/task/" + tid + "/stat");
  std::string linea;
  std::getline(f, linea);
  const auto cierre = linea.rfind(')');
  if (cierre == std::string::npos) return -100;
  std::istringstream campos(linea.substr(cierre + 2));
  std::string campo;
  for (int i = 3; i <= 19 && campos >> campo; ++i)
    if (i == 19) return std::stol(campo);
  return -100;
}

std::set<std::string> HilosDelProceso() {
  std::set<std::string> t;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/task")) t.insert(e.path().filename().string());
  return t;
}

// The helpers run at the priority of the thread that trains, the lowest
// one, and end with the engine.
TEST(MotorHilos, LosAyudantesTienenLaPrioridadDelQueEntrena) {
  std::mt19937_64 gen(31);
  Red r(16, 32, 4);
  Rellenar(r.oculta, gen, 0.5);
  CConjuntoDatos c;
  Conjunto(c, 16, 4, 10, gen);
  std::vector<long> nices;
  std::size_t nAyudantes = 0;
  bool terminados = false;
  std::thread entrenador([&] {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
    const std::set<std::string> antes = HilosDelProceso();
    {
      CMotorPerceptron motor(r.red, VarianteMotor::Automatica, 3);
      motor.EntrenarEpoca(c, 0.1, 0.5);
      for (const std::string& t : HilosDelProceso())
        if (!antes.count(t)) nices.push_back(NiceDeHilo(t));
      nAyudantes = nices.size();
    }
    // A joined helper may still be listed for a moment after it is gone.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(terminados = HilosDelProceso() == antes) && std::chrono::steady_clock::now() < limite)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  entrenador.join();
  EXPECT_EQ(nAyudantes, 2u);
  for (long n : nices) EXPECT_EQ(n, 19);
  EXPECT_TRUE(terminados);
}

// The automatic choice: one thread for a small hidden layer; for a large
// one, one per core while no other thread has an engine, and one while
// another network trains on another thread; a fixed number whatever else
// trains.
TEST(MotorHilos, EleccionAutomatica) {
  if (CMotorPerceptron::Nucleos() < 2) GTEST_SKIP() << "un solo núcleo";
  CMotorPerceptron::FijarHilos(0);
  std::mt19937_64 gen(41);
  Red pequena(64, 40, 10), grande(200, 96, 10), otra(200, 96, 10), fija(200, 96, 10);
  Rellenar(grande.oculta, gen, 0.1);
  CConjuntoDatos cp, cg;
  Conjunto(cp, 64, 10, 20, gen);
  Conjunto(cg, 200, 10, 20, gen);
  {
    CMotorPerceptron motor(pequena.red);
    motor.EntrenarEpoca(cp, 0.1, 0.5);
    EXPECT_EQ(motor.Hilos(), 1u);
  }
  ASSERT_GE(std::size_t(201) * 96, CMotorPerceptron::kPesosParaHilos);
  // The first epoch of a large network tries all the cores; later ones go
  // by the epochs' times, which no test can fix.
  CMotorPerceptron primero(grande.red);
  primero.MedirConjunto(cg);
  EXPECT_GT(primero.Hilos(), 1u);  // nothing else trains
  {
    // Engines of this same thread never train at the same time.
    CMotorPerceptron mismoHilo(otra.red);
    primero.EntrenarEpoca(cg, 0.1, 0.5);
    EXPECT_GT(primero.Hilos(), 1u);
  }
  // Another network trains on another thread.
  HANDLE listo = CreateEvent(), fin = CreateEvent();
  UINT hilosDelOtro = 0;
  std::thread entrenador([&] {
    CMotorPerceptron segundo(otra.red);
    segundo.EntrenarEpoca(cg, 0.1, 0.5);
    hilosDelOtro = segundo.Hilos();
    SetEvent(listo);
    WaitForSingleObject(fin, INFINITE);
  });
  WaitForSingleObject(listo, INFINITE);
  primero.EntrenarEpoca(cg, 0.1, 0.5);
  EXPECT_EQ(primero.Hilos(), 1u);
  CMotorPerceptron::FijarHilos(2);
  CMotorPerceptron conFijados(fija.red);
  conFijados.EntrenarEpoca(cg, 0.1, 0.5);
  EXPECT_EQ(conFijados.Hilos(), 2u);  // fixed: whatever else trains
  CMotorPerceptron::FijarHilos(0);
  SetEvent(fin);
  entrenador.join();
  CloseHandle(listo);
  CloseHandle(fin);
  EXPECT_EQ(hilosDelOtro, 1u);  // this thread's engines were there
  CMotorPerceptron solo(fija.red);  // alone again
  solo.EntrenarEpoca(cg, 0.1, 0.5);
  EXPECT_GT(solo.Hilos(), 1u);
}

// The automatic choice goes by stretches of samples: the first on all the
// cores, the next on one (to know both times), and on from there as the
// times say. Within one epoch and one measuring pass the bits are those of
// one thread.
TEST(MotorHilos, LaEleccionCambiaEnMitadDeUnaPasada) {
  if (CMotorPerceptron::Nucleos() < 2) GTEST_SKIP() << "un solo núcleo";
  CMotorPerceptron::FijarHilos(0);
  for (VarianteMotor v : Variantes()) {
    SCOPED_TRACE(CMotorPerceptron::Nombre(v));
    std::mt19937_64 gen(51);
    Red ref(200, 96, 10), rap(200, 96, 10);
    Rellenar(ref.oculta, gen, 0.2);
    Rellenar(ref.salida, gen, 0.5);
    rap.CopiarDe(ref);
    CConjuntoDatos c;
    Conjunto(c, 200, 10, 90, gen);
    CMotorPerceptron motor(rap.red, v);
    EsperarIguales(MedirReferencia(ref.red, c), motor.MedirConjunto(c));
    EXPECT_GT(motor.ParteConVarios(), 0.0);
    EXPECT_LT(motor.ParteConVarios(), 1.0);
    for (int epoca = 0; epoca < 3; ++epoca) {
      EpocaReferencia(ref.red, c, 0.3, 0.8);
      motor.EntrenarEpoca(c, 0.3, 0.8);
      if (epoca == 0) {
        EXPECT_GT(motor.ParteConVarios(), 0.0);
        EXPECT_LT(motor.ParteConVarios(), 1.0);
      }
      ASSERT_EQ(Diferencia(ref.oculta, rap.oculta, "oculta"), "");
      ASSERT_EQ(Diferencia(ref.salida, rap.salida, "salida"), "");
      ASSERT_EQ(Diferencia(ref.incOculta, rap.incOculta, "incOculta"), "");
      ASSERT_EQ(Diferencia(ref.incSalida, rap.incSalida, "incSalida"), "");
      EsperarIguales(MedirReferencia(ref.red, c), motor.MedirConjunto(c));
    }
  }
}

// The engine keeps no state of its own between epochs: weights changed in
// the document between two epochs are the ones the next epoch starts from.
TEST(MotorBits, LasMatricesDelDocumentoSonElEstado) {
  for (VarianteMotor v : Variantes()) {
    SCOPED_TRACE(CMotorPerceptron::Nombre(v));
    std::mt19937_64 gen(11);
    Red ref(8, 12, 4), rap(8, 12, 4);
    Rellenar(ref.oculta, gen, 1.0);
    Rellenar(ref.salida, gen, 1.0);
    rap.CopiarDe(ref);
    CConjuntoDatos c;
    Conjunto(c, 8, 4, 20, gen);
    CMotorPerceptron motor(rap.red, v);
    EpocaReferencia(ref.red, c, 0.3, 0.8);
    motor.EntrenarEpoca(c, 0.3, 0.8);
    // A saved network opened again: new values in the same matrices.
    Rellenar(ref.oculta, gen, 1.0);
    Rellenar(ref.incSalida, gen, 0.1);
    rap.CopiarDe(ref);
    EpocaReferencia(ref.red, c, 0.3, 0.8);
    motor.EntrenarEpoca(c, 0.3, 0.8);
    EXPECT_EQ(Diferencia(ref.oculta, rap.oculta, "oculta"), "");
    EXPECT_EQ(Diferencia(ref.salida, rap.salida, "salida"), "");
    EXPECT_EQ(Diferencia(ref.incOculta, rap.incOculta, "incOculta"), "");
    EXPECT_EQ(Diferencia(ref.incSalida, rap.incSalida, "incSalida"), "");
  }
}

// Without memory for its working layouts the engine still trains, through
// the reference loops, and gives the same bits.
TEST(MotorMemoria, SinMemoriaParaSusCopiasSigueEntrenando) {
  if (!NRV_RESERVAS_CONTADAS) GTEST_SKIP() << "operator new is the sanitizer's own";
  std::mt19937_64 gen(13);
  Red ref(64, 40, 10), rap(64, 40, 10);
  Rellenar(ref.oculta, gen, 0.3);
  Rellenar(ref.salida, gen, 0.3);
  rap.CopiarDe(ref);
  CConjuntoDatos c;
  Conjunto(c, 64, 10, 30, gen);
  t_nLimite = 4096;  // the grouped hidden weights need 20 KiB
  bool reducido = false;
  EXPECT_NO_THROW({
    CMotorPerceptron motor(rap.red);
    t_nLimite = 0;
    reducido = motor.Reducido();
    motor.EntrenarEpoca(c, 0.25, 0.9);
    EpocaReferencia(ref.red, c, 0.25, 0.9);
    EsperarIguales(MedirReferencia(ref.red, c), motor.MedirConjunto(c));
  });
  t_nLimite = 0;
  EXPECT_TRUE(reducido);
  EXPECT_EQ(Diferencia(ref.oculta, rap.oculta, "oculta"), "");
  EXPECT_EQ(Diferencia(ref.incSalida, rap.incSalida, "incSalida"), "");
}

// Nets on every half and every whole step of the table, one ulp either side,
// past both ends, and NaN: the change of each output weight is a x dO x h, so
// any activation that differs from Sigmoide's shows in the momentum memory.
TEST(MotorBits, ActivacionIgualEnTodaLaTabla) {
  std::vector<double> nets;
  for (int j = -2100; j <= 2100; ++j) {
    const double v = j / 256.0;
    nets.push_back(v);
    nets.push_back(std::nextafter(v, 100.0));
    nets.push_back(std::nextafter(v, -100.0));
  }
  nets.push_back(std::numeric_limits<double>::quiet_NaN());
  nets.push_back(std::numeric_limits<double>::infinity());
  nets.push_back(-std::numeric_limits<double>::infinity());
  for (VarianteMotor v : Variantes()) {
    SCOPED_TRACE(CMotorPerceptron::Nombre(v));
    Red ref(1, 11, 1), rap(1, 11, 1);
    auto iniciar = [&ref] {
      for (UINT i = 0; i < 11; ++i) {
        ref.oculta.m_ppFilas[i][0] = 1.0;
        ref.oculta.m_ppFilas[i][1] = i / 1024.0;  // each lane its own offset
        ref.salida.m_ppFilas[0][i] = 0.01;
      }
    };
    iniciar();
    CConjuntoDatos c;
    c.m_nMuestras = 1;
    c.m_nEntradas = c.m_nSalidas = 1;
    c.m_matEntradas.Dimensionar(1, 1);
    c.m_matSalidas.Dimensionar(1, 1);
    c.m_matSalidas.m_ppFilas[0][0] = 1.0;
    rap.CopiarDe(ref);
    CMotorPerceptron motor(rap.red, v);
    for (double net : nets) {
      c.m_matEntradas.m_ppFilas[0][0] = net;
      EpocaReferencia(ref.red, c, 1.0, 0.0);
      motor.EntrenarEpoca(c, 1.0, 0.0);
      ASSERT_EQ(Diferencia(ref.incSalida, rap.incSalida, "incSalida"), "") << "net " << net;
      iniciar();  // every net exactly the one asked for
      rap.CopiarDe(ref);
    }
  }
}

// The outputs the measuring pass hands out, sample by sample, are those of
// Propagar bit for bit, in every code path, and the measures do not change.
TEST(MotorBits, SalidasDeCadaMuestraComoPropagar) {
  std::uint64_t semilla = 300;
  for (VarianteMotor v : Variantes())
    for (const Forma& f : kFormas) {
      if (f.s == 0) continue;
      SCOPED_TRACE(std::to_string(f.e) + "-" + std::to_string(f.h) + "-" + std::to_string(f.s) + ", " +
                   CMotorPerceptron::Nombre(v));
      std::mt19937_64 gen(semilla++);
      Red r(f.e, f.h, f.s);
      Rellenar(r.oculta, gen, f.escalaPesos);
      Rellenar(r.salida, gen, f.escalaPesos);
      CConjuntoDatos c;
      Conjunto(c, f.e, f.s, f.muestras, gen);
      CMatrizReales salidas, esperadas;
      salidas.Dimensionar(c.m_nMuestras, f.s);
      esperadas.Dimensionar(c.m_nMuestras, f.s);
      std::vector<double> h(f.h + 1);
      for (UINT s = 0; s < c.m_nMuestras; ++s)
        Propagar(r.red, f.e ? c.m_matEntradas.m_ppFilas[s] : nullptr, h.data(), esperadas.m_ppFilas[s]);
      CMotorPerceptron motor(r.red, v);
      EsperarIguales(MedirReferencia(r.red, c), motor.MedirConjunto(c, &salidas));
      EXPECT_EQ(Diferencia(esperadas, salidas, "salidas"), "");
    }
}

// Without its working layouts the engine hands out the same outputs; a
// matrix too small for them is left alone.
TEST(MotorMemoria, SalidasSinMemoriaYMatrizCorta) {
  if (!NRV_RESERVAS_CONTADAS) GTEST_SKIP() << "operator new is the sanitizer's own";
  std::mt19937_64 gen(17);
  Red r(64, 40, 10);
  Rellenar(r.oculta, gen, 0.3);
  Rellenar(r.salida, gen, 0.3);
  CConjuntoDatos c;
  Conjunto(c, 64, 10, 30, gen);
  CMatrizReales salidas, esperadas, corta;
  salidas.Dimensionar(30, 10);
  esperadas.Dimensionar(30, 10);
  corta.Dimensionar(29, 10);
  std::vector<double> h(40);
  for (UINT s = 0; s < 30; ++s) Propagar(r.red, c.m_matEntradas.m_ppFilas[s], h.data(), esperadas.m_ppFilas[s]);
  t_nLimite = 4096;
  std::unique_ptr<CMotorPerceptron> motor;
  EXPECT_NO_THROW(motor = std::make_unique<CMotorPerceptron>(r.red));
  t_nLimite = 0;
  ASSERT_TRUE(motor && motor->Reducido());
  EsperarIguales(MedirReferencia(r.red, c), motor->MedirConjunto(c, &salidas));
  EXPECT_EQ(Diferencia(esperadas, salidas, "salidas"), "");
  CMotorPerceptron rapido(r.red);
  EsperarIguales(MedirReferencia(r.red, c), rapido.MedirConjunto(c, &corta));
  for (UINT s = 0; s < corta.m_nFilas; ++s)
    for (UINT k = 0; k < 10; ++k) EXPECT_EQ(corta.m_ppFilas[s][k], 0.0);
}

// ---------------------------------------------------------------- changes near zero

namespace {

// The integer product against the processor's, around and inside the
// subnormal numbers: halves of a unit both ways, the smallest normal reached
// by rounding, products that vanish, and random operands of every size.
TEST(MotorBits, ProductoExactoComoElDelProcesador) {
  std::mt19937_64 gen(5);
  std::vector<double> a = {0.0, -0.0, 0.5, 0.9, 0.99, 1.0, 0.25, 0.75, 1.5, 0.3, 0x1p-1000, 0x1.fffffffffffffp-1};
  std::vector<double> b = {0.0, 0x1p-1074, -0x1p-1074, 3 * 0x1p-1074, 5 * 0x1p-1074, 0x1p-1022, -0x1p-1022,
                           0x1.fffffffffffffp-1023, std::nextafter(0x1p-1022, 1.0), 1e-300, 1.0};
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 4000; ++i) {
    // Random bits cover every exponent; small ones the subnormal results.
    a.push_back(std::bit_cast<double>(bits(gen) & 0xBFFFFFFFFFFFFFFFull));
    b.push_back(std::bit_cast<double>(bits(gen) >> (i % 13)));
  }
  for (double x : a)
    for (std::size_t j = 0; j < b.size(); j += (a.size() > 100 ? 37 : 1)) {
      const double y = b[j];
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      ASSERT_EQ(exacto::Producto(Bits(x), Bits(y)), Bits(x * y)) << x << " x " << y;
    }
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (std::isfinite(a[i]) && std::isfinite(b[i])) {
      ASSERT_EQ(exacto::Producto(Bits(a[i]), Bits(b[i])), Bits(a[i] * b[i])) << a[i] << " x " << b[i];
    }
}

// Rows that saturate: hidden neurons with a net far below -8 (their output
// 0, their error term exactly 0), an output far below -8 with a target of 0,
// an input that is always 0 and one that is 0 but for every 40th sample;
// a neuron woken by it;
// with diminutos, the memory of an earlier run in those rows is tiny,
// normal and subnormal, else it is ordinary and takes thousands of samples
// to get there. Under a momentum factor those changes decay through the
// subnormal numbers and some stay there.
struct RedQueSatura {
  Red ref, rap;
  CConjuntoDatos c;
  UINT e, h, s;
  RedQueSatura(UINT e_, UINT h_, UINT s_, UINT muestras, std::uint64_t semilla, bool diminutos)
      : ref(e_, h_, s_), rap(e_, h_, s_), e(e_), h(h_), s(s_) {
    std::mt19937_64 gen(semilla);
    Rellenar(ref.oculta, gen, 0.3);
    Rellenar(ref.salida, gen, 0.3);
    Rellenar(ref.incOculta, gen, 0.05);
    Rellenar(ref.incSalida, gen, 0.05);
    std::uniform_real_distribution<double> uno(0.0, 1.0);
    std::uniform_int_distribution<std::uint64_t> unidades(1, 1ull << 52);
    auto diminuto = [&](UINT n) {
      if (!diminutos) return 0.05 * (uno(gen) - 0.5);
      switch (n % 5) {
        case 0: return 1e-300 * uno(gen);
        case 1: return -std::bit_cast<double>(unidades(gen));
        case 2: return double(n % 7) * 0x1p-1074;
        case 3: return 3e-308 * (uno(gen) - 0.5);
        default: return 0.0;
      }
    };
    for (UINT i = 0; i < h; i += 3) {
      ref.oculta.m_ppFilas[i][e] = -20.0 - 0.3 * e;
      for (UINT j = 0; j <= e; ++j) ref.incOculta.m_ppFilas[i][j] = diminuto(i + j);
    }
    ref.salida.m_ppFilas[s - 1][h] = -20.0 - 0.3 * h;
    for (UINT i = 0; i <= h; ++i) ref.incSalida.m_ppFilas[s - 1][i] = diminuto(i);
    for (UINT i = 0; i < h; ++i) {
      ref.incOculta.m_ppFilas[i][0] = diminuto(i + 1);
      ref.incOculta.m_ppFilas[i][1 % e] = diminuto(i + 2);
    }
    // Hidden neuron 3 saturated, its changes stopped from the start, until
    // input 1 wakes it at sample 40.
    for (UINT j = 0; j <= e; ++j) ref.incOculta.m_ppFilas[3][j] = j % 3 == 0 ? 3 * 0x1p-1074 : (j % 3 == 1 ? -0x1p-1073 : 0.0);
    ref.oculta.m_ppFilas[3][1] = 60.0;
    rap.CopiarDe(ref);
    c.m_nMuestras = muestras;
    c.m_nEntradas = e;
    c.m_nSalidas = s;
    c.m_matEntradas.Dimensionar(muestras, e);
    c.m_matSalidas.Dimensionar(muestras, s);
    for (UINT m = 0; m < muestras; ++m) {
      for (UINT j = 0; j < e; ++j) c.m_matEntradas.m_ppFilas[m][j] = j == 0 || (j == 1 && (m % 40 != 0 || m == 0)) ? 0.0 : uno(gen);
      for (UINT k = 0; k + 1 < s; ++k) c.m_matSalidas.m_ppFilas[m][k] = (m + k) % s == 0 ? 1.0 : 0.0;
    }
    c.m_bCargado = true;
  }
};

// The reference epoch, counting the samples after which some previous
// change is subnormal.
UINT EpocaReferenciaContando(const RedPerceptron& red, const CConjuntoDatos& c, double a, double m) {
  std::vector<double> h(red.nOcultas + 1), o(red.nSalidas + 1), dO(red.nSalidas + 1), dH(red.nOcultas + 1);
  UINT n = 0;
  for (UINT s = 0; s < c.m_nMuestras; ++s) {
    Propagar(red, c.m_matEntradas.m_ppFilas[s], h.data(), o.data());
    Retropropagar(red, c.m_matEntradas.m_ppFilas[s], c.m_matSalidas.m_ppFilas[s], h.data(), o.data(), dO.data(),
                  dH.data(), a, m);
    bool alguno = false;
    for (const CMatrizReales* inc : {red.pIncOculta, red.pIncSalida})
      for (UINT i = 0; i < inc->m_nFilas; ++i)
        for (UINT j = 0; j < inc->m_nColumnas; ++j) alguno |= std::fpclassify(inc->m_ppFilas[i][j]) == FP_SUBNORMAL;
    n += alguno;
  }
  return n;
}

#if defined(__x86_64__) || defined(__i386__)
// MXCSR's flush-to-zero (bit 15) and denormals-are-zero (bit 6).
constexpr unsigned kFtzDaz = 0x8040;
#endif

// The reference and the engine epoch after epoch on a saturating network;
// every bit compared after each. The reference must have gone through
// subnormal changes. With ftz the engine runs with flush-to-zero and
// denormals-are-zero set (its helpers start with them): any subnormal its
// loops read or produced would become 0 and show in the bits.
void CompararCercaDeCero(UINT e, UINT h, UINT s, double a, double m, VarianteMotor v, UINT nHilos, bool ftz,
                         UINT epocas = 8, UINT muestras = 90) {
  SCOPED_TRACE(std::to_string(e) + "-" + std::to_string(h) + "-" + std::to_string(s) + " momento " +
               std::to_string(m) + ", " + CMotorPerceptron::Nombre(v) + ", " + std::to_string(nHilos) + " hilos" +
               (ftz ? ", FTZ/DAZ" : "") + ", " + std::to_string(epocas) + " épocas de " + std::to_string(muestras));
  RedQueSatura r(e, h, s, muestras, e * 31 + h, muestras == 90);
  UINT conSubnormales = 0;
#if defined(__x86_64__) || defined(__i386__)
  const unsigned mxcsr = __builtin_ia32_stmxcsr();
  if (ftz) __builtin_ia32_ldmxcsr(mxcsr | kFtzDaz);
#else
  if (ftz) GTEST_SKIP() << "sin MXCSR";
#endif
  {
    CMotorPerceptron motor(r.rap.red, v, nHilos);
    for (UINT epoca = 0; epoca < epocas && !::testing::Test::HasFailure(); ++epoca) {
#if defined(__x86_64__) || defined(__i386__)
      __builtin_ia32_ldmxcsr(mxcsr);
#endif
      conSubnormales += EpocaReferenciaContando(r.ref.red, r.c, a, m);
      const MedidasConjunto esperadas = MedirReferencia(r.ref.red, r.c);
#if defined(__x86_64__) || defined(__i386__)
      if (ftz) __builtin_ia32_ldmxcsr(mxcsr | kFtzDaz);
#endif
      motor.EntrenarEpoca(r.c, a, m);
      const MedidasConjunto medidas = motor.MedirConjunto(r.c);
      SCOPED_TRACE("época " + std::to_string(epoca));
      EXPECT_EQ(Diferencia(r.ref.oculta, r.rap.oculta, "oculta"), "");
      EXPECT_EQ(Diferencia(r.ref.salida, r.rap.salida, "salida"), "");
      EXPECT_EQ(Diferencia(r.ref.incOculta, r.rap.incOculta, "incOculta"), "");
      EXPECT_EQ(Diferencia(r.ref.incSalida, r.rap.incSalida, "incSalida"), "");
      EsperarIguales(esperadas, medidas);
    }
  }
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_ldmxcsr(mxcsr);
#endif
  EXPECT_GT(conSubnormales, 0u);
}

}  // namespace

// Momentum factors whose changes stop in the subnormal numbers (0.9 keeps
// 4 units, 0.99 keeps 50, 1 keeps every one), one whose changes vanish
// (0.5: a unit halves to 0) and one that halves them quickly.
TEST(MotorBits, CambiosSubnormalesComoLaReferencia) {
  for (VarianteMotor v : Variantes())
    for (double m : {0.9, 0.99, 1.0, 0.5, 0.3}) {
      CompararCercaDeCero(4, 40, 3, 0.25, m, v, 1, false);
      CompararCercaDeCero(13, 20, 3, 0.5, m, v, 1, false);
    }
}

// The same with flush-to-zero and denormals-are-zero on: the engine's loops
// never read nor produce a subnormal number, so they give the same bits.
TEST(MotorBits, NingunSubnormalEnLosBuclesDelMotor) {
  for (VarianteMotor v : Variantes())
    for (double m : {0.9, 0.99, 0.5}) {
      CompararCercaDeCero(4, 40, 3, 0.25, m, v, 1, true);
      CompararCercaDeCero(64, 40, 10, 0.25, m, v, 1, true);
    }
}

// Ordinary changes that decay for thousands of samples, within one long
// epoch, before they turn subnormal: the groups first run without testing
// their registers, and must test them again in time.
TEST(MotorBits, CambiosQueLleganASubnormalesDespacio) {
  for (VarianteMotor v : Variantes()) {
    CompararCercaDeCero(4, 40, 3, 0.25, 0.9, v, 1, true, 2, 7000);
    CompararCercaDeCero(13, 20, 3, 0.5, 0.5, v, 1, true, 2, 1500);
    CompararCercaDeCero(9, 24, 8, 0.25, 0.5, v, 3, true, 2, 1500);
  }
}

TEST(MotorHilos, CambiosSubnormalesConVariosHilos) {
  for (VarianteMotor v : Variantes())
    for (UINT nHilos : {1u, 2u, 3u}) {
      CompararCercaDeCero(9, 24, 8, 0.25, 0.9, v, nHilos, false);
      CompararCercaDeCero(64, 40, 10, 0.25, 0.9, v, nHilos, true);
      CompararCercaDeCero(13, 20, 3, 0.5, 0.99, v, nHilos, true);
    }
}
