// The fast engine. Every operation is the reference's own, on the same
// operands in the same order: binary64, each product rounded then added,
// every sum from 0.0 in increasing index. The speed comes only from doing
// eight neurons' independent operations in one vector instruction, from
// computing a × dH once per neuron (the reference's a × dH × x is already
// (a × dH) × x), from updating the hidden weights of one sample and
// propagating the next sample through them in the same pass over memory,
// and, for a large network, from giving each thread its own neurons.
#include "network/motor.h"

#include "network/exacto.h"

#include <immintrin.h>  // declares the instruction sets' builtins used below
#include <linux/futex.h>
#include <sched.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <type_traits>

#define NRV_EN_LINEA inline __attribute__((always_inline))

namespace {

// Eight lanes per group in memory, whatever the width of the registers: an
// instruction set handles a group as one, two or four registers.
constexpr std::size_t kCarriles = 8;
typedef double V8 __attribute__((vector_size(64)));
typedef double V4 __attribute__((vector_size(32)));
typedef double V2 __attribute__((vector_size(16)));
typedef long long E8 __attribute__((vector_size(64)));
typedef long long E4 __attribute__((vector_size(32)));
typedef long long E2 __attribute__((vector_size(16)));
typedef unsigned long long N8 __attribute__((vector_size(64)));
typedef unsigned long long N4 __attribute__((vector_size(32)));
typedef unsigned long long N2 __attribute__((vector_size(16)));
template <class V>
struct Enteros;
template <>
struct Enteros<V8> {
  using T = E8;
  using N = N8;
};
template <>
struct Enteros<V4> {
  using T = E4;
  using N = N4;
};
template <>
struct Enteros<V2> {
  using T = E2;
  using N = N2;
};

template <class V>
NRV_EN_LINEA V& Vec(double* p) {
  return *reinterpret_cast<V*>(p);
}
template <class V>
NRV_EN_LINEA const V& Vec(const double* p) {
  return *reinterpret_cast<const V*>(p);
}

std::size_t Redondear(UINT n) { return (std::size_t(n) + kCarriles - 1) / kCarriles * kCarriles; }

// The engines of the process, each by the thread that made it (the one that
// trains with it). While an engine of another thread exists, another
// network trains at the same time: each keeps to one thread, and the cores
// go to the networks.
std::mutex g_mutexMotores;
std::vector<std::thread::id> g_motores;

void Registrar(std::thread::id id) {
  std::lock_guard<std::mutex> lock(g_mutexMotores);
  g_motores.push_back(id);
}

void Borrar(std::thread::id id) {
  std::lock_guard<std::mutex> lock(g_mutexMotores);
  auto it = std::find(g_motores.begin(), g_motores.end(), id);
  if (it != g_motores.end()) g_motores.erase(it);
}

bool OtrosMotores(std::thread::id id) {
  std::lock_guard<std::mutex> lock(g_mutexMotores);
  return std::any_of(g_motores.begin(), g_motores.end(), [id](std::thread::id o) { return o != id; });
}

// The process-wide choice of threads; kSinFijar until someone asks.
constexpr UINT kSinFijar = ~0u;
std::atomic<UINT> g_nHilosFijados{kSinFijar};

// The automatic choice goes by stretches of samples of about this long: a
// few meetings' worth of the threads' hand-over, short enough to follow the
// machine's load within one long pass. The first stretch, before any time
// is known, has kPrimerTramo samples.
constexpr double kSegundosTramo = 0.002;
constexpr UINT kPrimerTramo = 32;
// A choice that has lost a trial waits this many stretches, twice as many
// after every further loss, up to kTramosMaximos, before the next.
constexpr UINT kTramosEntrePruebas = 16;
constexpr UINT kTramosMaximos = 1024;

UINT NucleosDisponibles() {
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  if (sched_getaffinity(0, sizeof cpus, &cpus) == 0) return UINT(std::max(1, CPU_COUNT(&cpus)));
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? UINT(n) : 1u;
}

// The reference Sigmoide, kept here so that it is inlined in the hot loops.
NRV_EN_LINEA double SigmoideTabla(double net) {
  if (net > 8.0) return 0.999;
  if (net < -8.0) return 0.0;
  if (std::isnan(net)) return std::numeric_limits<double>::quiet_NaN();
  const double t = 1024.0 + 128.0 * net;
  const double c = std::ceil(t);
  UINT indice = c - t < 0.5 ? UINT(c) : UINT(std::floor(t));
  if (indice > 2047) indice = 2047;
  return TablaSigmoide[indice];
}

// A weight of at least 2^-960 (the bits of it): a change below 2^-1022 is
// less than half the spacing of the numbers around it, so weight + change
// is the weight.
constexpr std::uint64_t kGrande = 0x03Full << 52;
// The bits of 2^-450 and of 2^-600.
constexpr std::uint64_t kOrdinario = std::uint64_t(1023 - 450) << 52;
constexpr std::uint64_t kLejos = std::uint64_t(1023 - 600) << 52;

// One weight's step when its previous change inc is near zero: the new
// change m x inc + p and the new weight w + change, the same bits as the
// processor's operations. The product goes in integers; the sums that
// follow from it in the common case (p zero or not small, w not small) need
// no operation; any other case takes the processor's own, exact anyway.
NRV_EN_LINEA void PasoCercaDeCero(double inc, double w, double p, double mom, double& cambio, double& nuevo) {
  using namespace exacto;
  const auto finito = [](std::uint64_t a) { return a < kInfinito; };
  if (!finito(Bits(mom) & ~kSigno)) {
    cambio = mom * inc + p;
    nuevo = w + cambio;
    return;
  }
  const std::uint64_t pm = Producto(Bits(mom), Bits(inc));
  const std::uint64_t apm = pm & ~kSigno, ap = Bits(p) & ~kSigno;
  if (apm == 0 || apm >= kMinimoNormal)
    cambio = Real(pm) + p;
  else if (ap == 0)
    cambio = Real(pm);
  else if (ap >= kGrande && finito(ap))
    cambio = p;
  else
    cambio = Real(pm) + p;
  const std::uint64_t ac = Bits(cambio) & ~kSigno, aw = Bits(w) & ~kSigno;
  nuevo = ac != 0 && ac < kMinimoNormal && aw >= kGrande && finito(aw) ? w : w + cambio;
}

// Whether a weight's step changes nothing while its p is 0: a change of +0
// (m x 0 + p is +0, and w + 0 is w unless w is -0 or not finite) or one of
// at most K units of 2^-1074 (m x k rounds to k, and w + k is w when w is
// not small).
inline bool Parable(double inc, double w, std::uint64_t k) {
  using namespace exacto;
  const std::uint64_t bi = Bits(inc), bw = Bits(w), ai = bi & ~kSigno, aw = bw & ~kSigno;
  if (aw >= kInfinito) return false;
  if (bi == 0) return bw != kSigno;
  return ai != 0 && ai <= k && aw >= kGrande;  // -0 + (+0) would be +0
}

// A row of a working layout: n entries from base, paso apart.
// Where rows and columns of one layout both stop (the output layer's), a
// change is set aside while its row or its column is stopped: the first to
// stop keeps it in the shadow, the last to go on puts it back. otros(e) says
// whether entry e's other line (its column for a row, its row for a
// column) is stopped; those entries are left as they are. At the end of
// an epoch every line goes on with otros unset: a change put back twice
// with no step between is put back once.
struct Fila {
  double* inc;
  double* sombra;
  const double* w;
  std::size_t base, paso, n;
  const unsigned char* otros = nullptr;
  std::size_t nOtros = 0;
  bool Aparte(std::size_t e) const { return e < nOtros && otros[e]; }
  bool Parable(std::uint64_t k) const {
    for (std::size_t e = 0; e < n; ++e)
      if (!::Parable(inc[base + e * paso], w[base + e * paso], k)) return false;
    return true;
  }
  // Its changes kept aside and +0 in their place; and back.
  void Parar() const {
    for (std::size_t e = 0; e < n; ++e)
      if (!Aparte(e)) {
        sombra[base + e * paso] = inc[base + e * paso];
        inc[base + e * paso] = 0.0;
      }
  }
  void Reanudar() const {
    for (std::size_t e = 0; e < n; ++e)
      if (!Aparte(e)) inc[base + e * paso] = sombra[base + e * paso];
  }
};

// |v| of at least infinity's bits sets the top bit of |v| + 2^63 - that: a
// form the compiler turns into vector instructions.
NRV_EN_LINEA bool Finitos(const double* v, std::size_t n) {
  std::uint64_t malos = 0;
  for (std::size_t i = 0; i < n; ++i)
    malos |= (exacto::Bits(v[i]) & ~exacto::kSigno) + (exacto::kSigno - exacto::kInfinito);
  return (malos >> 63) == 0;
}

// Whether n values are all finite, looked at only when first asked: only
// stopping and waking rows need it.
struct Finitud {
  const double* v;
  std::size_t n;
  mutable int estado = -1;
  bool operator()() const {
    if (estado < 0) estado = Finitos(v, n);
    return estado != 0;
  }
};

NRV_EN_LINEA void Pausa() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

}  // namespace

// Sleeps while v holds valor (a spurious return is fine: callers look
// again); wakes every thread asleep on v.
void CMotorPerceptron::Dormir(std::atomic<UINT>& v, UINT valor) {
  syscall(SYS_futex, reinterpret_cast<UINT*>(&v), FUTEX_WAIT_PRIVATE, valor, nullptr, nullptr, 0);
}
void CMotorPerceptron::Despertar(std::atomic<UINT>& v) {
  syscall(SYS_futex, reinterpret_cast<UINT*>(&v), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

// Waits until v no longer holds valor: a spin of up to kGiro first (the
// other threads are usually a moment away, and a thread that sleeps takes
// long to wake), then asleep. Never yields the processor on purpose: on a
// busy machine that hands it to another program for a whole time slice.
void CMotorPerceptron::EsperarCambio(std::atomic<UINT>& v, UINT valor, std::atomic<UINT>& durmientes) {
  constexpr auto kGiro = std::chrono::microseconds(50);
  auto limite = std::chrono::steady_clock::time_point::min();
  for (UINT i = 1;; ++i) {
    if (v.load(std::memory_order_acquire) != valor) return;
    Pausa();
    if (i % 64 == 0) {
      const auto ahora = std::chrono::steady_clock::now();
      if (limite == std::chrono::steady_clock::time_point::min())
        limite = ahora + kGiro;
      else if (ahora >= limite)
        break;
    }
  }
  durmientes.fetch_add(1, std::memory_order_seq_cst);
  while (v.load(std::memory_order_seq_cst) == valor) Dormir(v, valor);
  durmientes.fetch_sub(1, std::memory_order_relaxed);
}

namespace {

}  // namespace

// The loops, written once and compiled for each instruction set; V is the
// register, Q registers make one group of eight lanes. Each thread runs them
// over its own part: its groups of hidden neurons and of outputs.
template <class V>
struct CuerpoMotor {
  using M = CMotorPerceptron;
  using P = CMotorPerceptron::Parte;
  static constexpr std::size_t L = sizeof(V) / sizeof(double);
  static constexpr std::size_t Q = kCarriles / L;
  // Groups per pass: four registers of sums in flight (eight for the
  // narrowest), and in the update two of error terms and two of sums.
  static constexpr int kGSumas = Q == 4 ? 2 : int(4 / Q);
  static constexpr int kGActualizar = Q == 4 ? 1 : int(2 / Q);

  // SigmoideTabla lane by lane with the same operations: t = 1024 + 128 x net,
  // c = ceil(t), the index c when c - t < 0.5, else floor(t), at most 2047.
  // For t in [0, 2^52) floor is (t + 2^52) - 2^52 corrected by one; lanes
  // outside [-8, 8] or NaN take their constant and index nothing beyond the
  // table. The whole index is read from the low bits of index + 2^52, with
  // no conversion instruction.
  // The table's entries at the lanes' indices: one gather where the
  // instruction set has one (GCC's builtins, compiled only inside their
  // instruction set's entry, as every function here), else lane by lane.
  template <class VL>
  static NRV_EN_LINEA V Entradas(const VL& iv) {
#if !defined(__clang__)
    if constexpr (L == 8) return __builtin_ia32_gatherdiv8df(V{}, TablaSigmoide, iv, char(-1), 8);
    if constexpr (L == 4) return __builtin_ia32_gatherdiv4df(V{}, TablaSigmoide, iv, __builtin_bit_cast(V, iv | -1), 8);
#endif
    alignas(64) double valores[L];
    for (std::size_t l = 0; l < L; ++l) valores[l] = TablaSigmoide[iv[l]];
    return Vec<V>(valores);
  }

  static NRV_EN_LINEA void SigmoideVector(const V& net, double* salida) {
    using VL = typename Enteros<V>::T;
    const V cero = V{}, uno = cero + 1.0, grande = cero + 0x1p52;
    const V t = 1024.0 + 128.0 * net;
    const V tc = t >= 0.0 ? (t <= 2048.0 ? t : cero + 2048.0) : cero;
    const V n = (tc + grande) - grande;
    const V piso = n > tc ? n - uno : n;
    const V techo = piso < tc ? piso + uno : piso;
    V indice = techo - tc < 0.5 ? techo : piso;
    indice = indice > 2047.0 ? cero + 2047.0 : indice;
    const VL iv = __builtin_bit_cast(VL, indice + grande) & 0xFFF;
    V r = Entradas(iv);
    r = net > 8.0 ? cero + 0.999 : r;
    r = net < -8.0 ? cero : r;
    r = net != net ? cero + std::numeric_limits<double>::quiet_NaN() : r;
    Vec<V>(salida) = r;
  }

  // Sums of G groups of hidden neurons for input x, from 0.0 in increasing j.
  template <int G>
  static NRV_EN_LINEA void SumasOcultas(const M& m, std::size_t b0, const double* x) {
    const std::size_t nE = m.m_red.nEntradas, paso = (nE + 1) * kCarriles;
    const double* w = m.m_pPesos1.get() + b0 * paso;
    V acc[G][Q];
    for (int g = 0; g < G; ++g)
      for (std::size_t q = 0; q < Q; ++q) acc[g][q] = V{};
    for (std::size_t j = 0; j < nE; ++j) {
      const double xj = x[j];
      for (int g = 0; g < G; ++g)
        for (std::size_t q = 0; q < Q; ++q)
          acc[g][q] = acc[g][q] + Vec<V>(w + g * paso + j * kCarriles + q * L) * xj;
    }
    for (int g = 0; g < G; ++g)
      for (std::size_t q = 0; q < Q; ++q) Vec<V>(m.m_pSumas.get() + (b0 + g) * kCarriles + q * L) = acc[g][q];
  }

  template <int G>
  static NRV_EN_LINEA void SumasRango(const M& m, std::size_t b, std::size_t fin, const double* x) {
    for (; b + G <= fin; b += G) SumasOcultas<G>(m, b, x);
    if constexpr (G > 1) SumasRango<G / 2>(m, b, fin, x);
  }

  // The hidden outputs of the part's groups from their sums (net = bias +
  // sum); the extra lanes of the last group stay 0, out of every result.
  static NRV_EN_LINEA void Activaciones(const M& m, const P& p) {
    const std::size_t nE = m.m_red.nEntradas, nH = m.m_red.nOcultas;
    const double* sumas = m.m_pSumas.get();
    double* h = m.m_pH.get();
    const double* w1 = m.m_pPesos1.get();
    for (std::size_t b = p.b0; b < p.b1; ++b)
      for (std::size_t q = 0; q < Q; ++q) {
        const std::size_t i = b * kCarriles + q * L;
        const V net = Vec<V>(w1 + (b * (nE + 1) + nE) * kCarriles + q * L) + Vec<V>(sumas + i);
        SigmoideVector(net, h + i);
      }
    if (p.b1 == m.m_nBloquesOcultos)
      for (std::size_t i = nH; i < m.m_nOcultasRell; ++i) h[i] = 0.0;
  }

  // Output sums of G groups of outputs over every hidden output; o from
  // them (net = bias + sum), one output at a time: a layer of a few outputs
  // would pay for eight lanes of activation. D samples at once, each with
  // its hidden outputs h[d] and outputs o[d]: their sums are chains of
  // their own, which the processor runs side by side.
  template <int G, int D>
  static NRV_EN_LINEA void SalidasGrupo(const M& m, std::size_t c0, const double* const* h, double* const* o) {
    const std::size_t nH = m.m_red.nOcultas, paso = (nH + 1) * kCarriles;
    const double* w = m.m_pPesos2.get() + c0 * paso;
    V acc[D][G][Q];
    for (int d = 0; d < D; ++d)
      for (int g = 0; g < G; ++g)
        for (std::size_t q = 0; q < Q; ++q) acc[d][g][q] = V{};
    for (std::size_t i = 0; i < nH; ++i)
      for (int d = 0; d < D; ++d) {
        const double hi = h[d][i];
        for (int g = 0; g < G; ++g)
          for (std::size_t q = 0; q < Q; ++q)
            acc[d][g][q] = acc[d][g][q] + Vec<V>(w + g * paso + i * kCarriles + q * L) * hi;
      }
    const std::size_t nS = m.m_red.nSalidas;
    for (int d = 0; d < D; ++d) {
      alignas(64) double sumas[G * kCarriles];
      for (int g = 0; g < G; ++g)
        for (std::size_t q = 0; q < Q; ++q) Vec<V>(sumas + g * kCarriles + q * L) = acc[d][g][q];
      for (int g = 0; g < G; ++g)
        for (std::size_t r = 0; r < kCarriles; ++r) {
          const std::size_t k = (c0 + g) * kCarriles + r;
          if (k < nS) o[d][k] = SigmoideTabla(w[g * paso + nH * kCarriles + r] + sumas[g * kCarriles + r]);
        }
    }
  }

  static NRV_EN_LINEA void Salidas(const M& m, std::size_t c0, std::size_t c1) {
    const double* h[1] = {m.m_pH.get()};
    double* o[1] = {m.m_pO.get()};
    std::size_t c = c0;
    for (; c + 2 <= c1; c += 2) SalidasGrupo<2, 1>(m, c, h, o);
    if (c < c1) SalidasGrupo<1, 1>(m, c, h, o);
  }
  // The same for two samples: the earlier one's hidden outputs in m_pH2
  // and its outputs to m_pO2, the later one's in m_pH and m_pO.
  static NRV_EN_LINEA void SalidasDos(const M& m) {
    const double* h[2] = {m.m_pH2.get(), m.m_pH.get()};
    double* o[2] = {m.m_pO2.get(), m.m_pO.get()};
    for (std::size_t c = 0; c < m.m_nBloquesSalida; ++c) SalidasGrupo<1, 2>(m, c, h, o);
  }

  using E = typename Enteros<V>::T;
  using N = typename Enteros<V>::N;

  // The masks below are built from subtractions and shifts only: GCC
  // compiles a comparison of 64-bit integer lanes, and a choice between
  // lanes by such a mask, one lane at a time in general registers.

  // The bits of |v|, below 2^63.
  static NRV_EN_LINEA N Abs(const V& v) { return __builtin_bit_cast(N, v) & (N{} + ~exacto::kSigno); }
  // All ones where a < b, for a and b below 2^63: the sign of a - b, spread.
  static NRV_EN_LINEA E Menor(const N& a, const N& b) { return -__builtin_bit_cast(E, (a - b) >> 63); }
  static NRV_EN_LINEA E Menor(const N& a, std::uint64_t b) { return Menor(a, N{} + b); }
  // si where the mask is set, no elsewhere.
  static NRV_EN_LINEA V Elegir(const E& mascara, const V& si, const V& no) {
    const N k = __builtin_bit_cast(N, mascara);
    return __builtin_bit_cast(V, (__builtin_bit_cast(N, si) & k) | (__builtin_bit_cast(N, no) & ~k));
  }

  // The top bit set where 0 < a < b, for a and b below 2^63; the other bits
  // are of no meaning (a mark, as opposed to a mask).
  static NRV_EN_LINEA E Entre(const N& a, std::uint64_t b) { return __builtin_bit_cast(E, (a - b) & ~(a - 1)); }
  // A mark made a mask.
  static NRV_EN_LINEA E Mascara(const E& marca) { return -__builtin_bit_cast(E, __builtin_bit_cast(N, marca) >> 63); }

  // Marks the lanes near zero but not zero: 0 < |v| < the threshold whose
  // bits are (limite + 1) / 2. Integer operations only: a floating-point
  // comparison could read the very subnormal numbers it looks for.
  static NRV_EN_LINEA void Cerca(const V& v, std::uint64_t limite, E& cerca) {
    cerca = Entre(Abs(v), (limite >> 1) + 1);
  }
  // Whether any lane of a mark or a mask has its top bit set: one
  // instruction that gathers the lanes' top bits (or tests them, with
  // AVX-512), then one test. These functions are only ever inlined into
  // their instruction set's entry, so each builtin is compiled where its
  // instructions are allowed.
  static NRV_EN_LINEA bool Alguno(const E& e) {
#if defined(__clang__)
    // Clang has no such builtins here, and compiles the plain form well:
    // the top bits gathered by halving the register with ORs.
    E4 a;
    if constexpr (L == 8)
      a = __builtin_shufflevector(e, e, 0, 1, 2, 3) | __builtin_shufflevector(e, e, 4, 5, 6, 7);
    else if constexpr (L == 4)
      a = e;
    else
      a = __builtin_shufflevector(e, e, 0, 1, 0, 1);
    const E2 b = __builtin_shufflevector(a, a, 0, 1) | __builtin_shufflevector(a, a, 2, 3);
    return (b[0] | b[1]) < 0;
#else
    if constexpr (L == 8)
      return __builtin_ia32_ptestmq512(e, E{} + std::int64_t(exacto::kSigno), 0xFF) != 0;
    else if constexpr (L == 4)
      return __builtin_ia32_movmskpd256(__builtin_bit_cast(V4, e)) != 0;
    else
      return __builtin_ia32_movmskpd(__builtin_bit_cast(V2, e)) != 0;
#endif
  }

  // One register of weights: the change m x inc + p stored as the new
  // previous change, the weight w + change stored and returned. Cuidado:
  // the previous changes may be near zero, and such lanes take the exact
  // path, so that no operation reads or produces a subnormal number; marca
  // gathers the lanes whose new change is below the far threshold.
  template <bool Cuidado>
  static NRV_EN_LINEA void Paso(const M& m, double* pi, double* pw, const V& p, double mom, E& marca, V& nuevo) {
    const V inc = Vec<V>(pi);
    if constexpr (Cuidado) {
      E cerca;
      Cerca(inc, m.m_nLimiteCerca, cerca);
      if (Alguno(cerca)) [[unlikely]] {
        PasoCerca(m, pi, pw, inc, p, mom, cerca, marca, nuevo);
        return;
      }
    }
    const V cambio = mom * inc + p;
    Vec<V>(pi) = cambio;
    nuevo = Vec<V>(pw) + cambio;
    Vec<V>(pw) = nuevo;
    if constexpr (Cuidado) {
      E lejos;
      Cerca(cambio, m.m_nLimiteLejos, lejos);
      marca |= lejos;
    }
  }

  // The lanes near zero computed apart. A lane whose change has stopped
  // (m x inc = inc, as a subnormal of a few units does under a momentum
  // factor near 1), with p zero and a weight not small, keeps both as they
  // are, in the registers; the others go lane by lane, the product in
  // integers. The rest of the register runs with those lanes' previous
  // change taken as 0, which touches no subnormal.
  static NRV_EN_LINEA void PasoCerca(const M& m, double* pi, double* pw, const V& inc, const V& p, double mom,
                                     const E& marcaCerca, E& marca, V& nuevo) {
    const E cerca = Mascara(marcaCerca);
    const V cero = V{}, w = Vec<V>(pw);
    V cambio = mom * Elegir(cerca, cero, inc) + p;
    nuevo = w + cambio;
    const N aw = Abs(w);
    const E quieto = cerca & Menor(Abs(inc), m.m_nQuieto / 2 + 1) & Menor(Abs(p), 1) & ~Menor(aw, kGrande) &
                     Menor(aw, exacto::kInfinito);
    cambio = Elegir(quieto, inc, cambio);
    const E resto = cerca & ~quieto;
    if (Alguno(resto))
      for (std::size_t l = 0; l < L; ++l)
        if (resto[l]) {
          double c, n;
          PasoCercaDeCero(inc[l], w[l], p[l], mom, c, n);
          cambio[l] = c;
          nuevo[l] = n;
        }
    Vec<V>(pi) = cambio;
    Vec<V>(pw) = nuevo;
    E lejos;
    Cerca(cambio, m.m_nLimiteLejos, lejos);
    marca |= lejos;
  }

  // Whether every value is 0 or of at least 2^-450 (NaN and infinities
  // too): then each p of the sample is 0 or of at least 2^-901.
  static NRV_EN_LINEA bool Ordinarios(const double* v, std::size_t n) {
    std::uint64_t malos = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t a = exacto::Bits(v[i]) & ~exacto::kSigno;
      malos |= (a - kOrdinario) & ~(a - 1);  // top bit: 0 < a < 2^-450
    }
    return (malos >> 63) == 0;
  }
  // The same for one group of eight, aligned, in registers.
  static NRV_EN_LINEA bool Ordinarios(const double* v) {
    E malos = E{};
    for (std::size_t q = 0; q < Q; ++q) {
      const N a = Abs(Vec<V>(v + q * L));
      malos |= Entre(a, kOrdinario);
    }
    return !Alguno(malos);
  }
  // A group's mark after its pass: a careful pass that met no change below
  // the far threshold gives the group m_nTramoRapido plain ones.
  template <bool Cuidado>
  static NRV_EN_LINEA void Anotar(const M& m, M::Marca& marca, const E& lejos) {
    if constexpr (Cuidado)
      marca.nRapidas = Alguno(lejos) ? 0 : m.m_nTramoRapido;
    else
      --marca.nRapidas;
  }

  // The stopped rows (see m_pParados). Before a group's pass each of its
  // stopped rows whose error term is no longer 0, or whose inputs are not
  // all finite, gets its changes back, and the pass tests its registers;
  // after a careful pass each row whose error term is 0 and whose steps
  // change nothing stops. quieta(l): the row's error term is 0 and its
  // inputs finite; fila(l): the row; l from 0 to n.
  // The same for columns (the weights of one input); a change whose row
  // and column both stop is set aside once (see Fila).
  template <class FNervio, class FFila>
  static NRV_EN_LINEA void Reanudar(M::Marca& marca, UINT& cuenta, unsigned char* parados, std::size_t n,
                                    const FNervio& quieta, const FFila& fila) {
    if (cuenta == 0) return;
    for (std::size_t l = 0; l < n; ++l)
      if (parados[l] && !quieta(l)) {
        fila(l).Reanudar();
        parados[l] = 0;
        --cuenta;
        marca.nRapidas = 0;
      }
  }
  template <class FNervio, class FFila>
  static NRV_EN_LINEA void Parar(M& m, UINT& cuenta, unsigned char* parados, std::size_t n, const FNervio& quieta,
                                 const FFila& fila) {
    if (!m.m_bParar) return;
    for (std::size_t l = 0; l < n; ++l)
      if (!parados[l] && quieta(l) && fila(l).Parable(m.m_nQuieto / 2)) {
        fila(l).Parar();
        parados[l] = 1;
        ++cuenta;
      }
  }

  // Step 2 of Retropropagar for one group of outputs, in the grouped copy.
  template <bool Cuidado>
  static NRV_EN_LINEA void SalidaGrupo(M& m, std::size_t c, double mom) {
    const std::size_t nH = m.m_red.nOcultas, paso = (nH + 1) * kCarriles;
    const double* h = m.m_pH.get();
    double* w = m.m_pPesos2.get() + c * paso;
    double* inc = m.m_pInc2.get() + c * paso;
    V ad[Q];
    for (std::size_t q = 0; q < Q; ++q) ad[q] = Vec<V>(m.m_pADO.get() + c * kCarriles + q * L);
    E marca = E{};
    for (std::size_t i = 0; i <= nH; ++i) {
      const double hi = i < nH ? h[i] : 1.0;
      for (std::size_t q = 0; q < Q; ++q) {
        // The bias's input is 1: its change is m x inc + a x dO, no product.
        const V p = i < nH ? ad[q] * hi : ad[q];
        V nuevo;
        Paso<Cuidado>(m, inc + i * kCarriles + q * L, w + i * kCarriles + q * L, p, mom, marca, nuevo);
      }
    }
    Anotar<Cuidado>(m, m.m_pMarcas[m.m_nMarcaSalida + c], marca);
  }

  // Steps 1 and 2 of Retropropagar for the part's outputs: their error
  // terms and their weights in the grouped copy.
  static NRV_EN_LINEA void ErroresYSalida(M& m, const P& p, const double* t, double a, double mom) {
    const std::size_t nS = m.m_red.nSalidas;
    const double* o = m.m_pO.get();
    double* dO = m.m_pDO.get();
    double* adO = m.m_pADO.get();
    for (std::size_t k = p.c0 * kCarriles; k < std::min(p.c1 * kCarriles, nS); ++k) {
      dO[k] = o[k] * (1.0 - o[k]) * (t[k] - o[k]);
      adO[k] = a * dO[k];
    }
    const std::size_t nH = m.m_red.nOcultas, paso = (nH + 1) * kCarriles;
    const Finitud hFinita{m.m_pH.get(), nH};
    for (std::size_t c = p.c0; c < p.c1; ++c) {
      M::Marca& marca = m.m_pMarcas[m.m_nMarcaSalida + c];
      unsigned char* parados = m.m_pParados.get() + m.m_nOcultasRell + c * kCarriles;
      const std::size_t n = std::min(kCarriles, nS - c * kCarriles);
      const auto quieta = [&](std::size_t l) { return adO[c * kCarriles + l] == 0.0 && hFinita(); };
      // Columns: hidden neurons whose output is 0.
      unsigned char* columnas = m.m_pParados.get() + m.m_nParadasColumnas + c * nH;
      const auto fila = [&](std::size_t l) {
        return Fila{m.m_pInc2.get(), m.m_pSombra2.get(), m.m_pPesos2.get(), c * paso + l, kCarriles, nH + 1,
                    columnas, nH};
      };
      const Finitud adOFinito{adO + c * kCarriles, kCarriles};
      const auto columnaQuieta = [&](std::size_t i) { return m.m_pH[i] == 0.0 && adOFinito(); };
      const auto columna = [&](std::size_t i) {
        return Fila{m.m_pInc2.get(), m.m_pSombra2.get(), m.m_pPesos2.get(), c * paso + i * kCarriles, 1, kCarriles,
                    parados, n};
      };
      Reanudar(marca, marca.nParados, parados, n, quieta, fila);
      Reanudar(marca, marca.nColumnas, columnas, nH, columnaQuieta, columna);
      if (marca.nRapidas == 0 || !Ordinarios(adO + c * kCarriles)) {
        SalidaGrupo<true>(m, c, mom);
        Parar(m, marca.nParados, parados, n, quieta, fila);
        Parar(m, marca.nColumnas, columnas, nH, columnaQuieta, columna);
      } else {
        SalidaGrupo<false>(m, c, mom);
      }
    }
  }

  // Step 2 in the copy by rows, for one group of hidden neurons, then step
  // 3 for them: L hidden neurons at a time, k in increasing order for each.
  template <bool Cuidado>
  static NRV_EN_LINEA void ErroresOcultosGrupo(M& m, std::size_t b, double mom) {
    const std::size_t nS = m.m_red.nSalidas, nHr = m.m_nOcultasRell;
    const double* h = m.m_pH.get();
    const double* dO = m.m_pDO.get();
    const double* adO = m.m_pADO.get();
    double* dH = m.m_pDH.get();
    E marca = E{};
    for (std::size_t v = b * kCarriles; v < (b + 1) * kCarriles; v += L) {
      const V hv = Vec<V>(h + v);
      V s = V{};
      for (std::size_t k = 0; k < nS; ++k) {
        V nuevo;
        Paso<Cuidado>(m, m.m_pIncFilas2.get() + k * nHr + v, m.m_pFilas2.get() + k * nHr + v, adO[k] * hv, mom, marca,
                      nuevo);
        s = s + nuevo * dO[k];
      }
      Vec<V>(dH + v) = hv * (1.0 - hv) * s;
    }
    Anotar<Cuidado>(m, m.m_pMarcas[m.m_nMarcaFilas + b], marca);
  }

  static NRV_EN_LINEA void ErroresOcultos(M& m, const P& p, double mom) {
    const std::size_t nS = m.m_red.nSalidas, nHr = m.m_nOcultasRell;
    const double* adO = m.m_pADO.get();
    const bool ordinarios = Ordinarios(adO, nS);
    const Finitud adOFinito{adO, nS};
    const std::size_t nH = m.m_red.nOcultas;
    for (std::size_t b = p.b0; b < p.b1; ++b) {
      const std::size_t nC = b * kCarriles < nH ? std::min(kCarriles, nH - b * kCarriles) : 0;
      // A row of this copy spans only this group's hidden outputs; the
      // other groups' belong to other threads, already on the next sample.
      const Finitud hFinita{m.m_pH.get() + b * kCarriles, nC};
      M::Marca& marca = m.m_pMarcas[m.m_nMarcaFilas + b];
      unsigned char* parados = m.m_pParados.get() + m.m_nOcultasRell + m.m_nSalidasRell + b * nS;
      const auto quieta = [&](std::size_t k) { return adO[k] == 0.0 && hFinita(); };
      // Columns: this group's hidden neurons whose output is 0.
      unsigned char* columnas = m.m_pParados.get() + m.m_nParadasColumnas + m.m_nBloquesSalida * nH + b * kCarriles;
      const auto fila = [&](std::size_t k) {
        return Fila{m.m_pIncFilas2.get(), m.m_pSombraFilas.get(), m.m_pFilas2.get(), k * nHr + b * kCarriles, 1,
                    kCarriles, columnas, nC};
      };
      const auto columnaQuieta = [&](std::size_t l) { return m.m_pH[b * kCarriles + l] == 0.0 && adOFinito(); };
      const auto columna = [&](std::size_t l) {
        return Fila{m.m_pIncFilas2.get(), m.m_pSombraFilas.get(), m.m_pFilas2.get(), b * kCarriles + l, nHr, nS,
                    parados, nS};
      };
      Reanudar(marca, marca.nParados, parados, nS, quieta, fila);
      Reanudar(marca, marca.nColumnas, columnas, nC, columnaQuieta, columna);
      if (marca.nRapidas == 0 || !ordinarios) {
        ErroresOcultosGrupo<true>(m, b, mom);
        Parar(m, marca.nParados, parados, nS, quieta, fila);
        Parar(m, marca.nColumnas, columnas, nC, columnaQuieta, columna);
      } else {
        ErroresOcultosGrupo<false>(m, b, mom);
      }
    }
  }

  // Step 4 for G groups of hidden neurons; with Siguiente, the next sample's
  // sums through each weight just written.
  template <int G, bool Siguiente, bool Cuidado>
  static NRV_EN_LINEA void OcultaYSiguiente(M& m, std::size_t b0, const double* x, const double* xs, double a,
                                            double mom) {
    const std::size_t nE = m.m_red.nEntradas, paso = (nE + 1) * kCarriles;
    double* w = m.m_pPesos1.get() + b0 * paso;
    double* inc = m.m_pInc1.get() + b0 * paso;
    V ad[G][Q], acc[G][Q];
    E marca[G];
    for (int g = 0; g < G; ++g) {
      marca[g] = E{};
      for (std::size_t q = 0; q < Q; ++q) {
        ad[g][q] = a * Vec<V>(m.m_pDH.get() + (b0 + g) * kCarriles + q * L);
        acc[g][q] = V{};
      }
    }
    for (std::size_t j = 0; j < nE; ++j) {
      const double xj = x[j];
      double xsj = 0.0;
      if constexpr (Siguiente) xsj = xs[j];
      for (int g = 0; g < G; ++g)
        for (std::size_t q = 0; q < Q; ++q) {
          const std::size_t d = g * paso + j * kCarriles + q * L;
          V nuevo;
          Paso<Cuidado>(m, inc + d, w + d, ad[g][q] * xj, mom, marca[g], nuevo);
          if constexpr (Siguiente) acc[g][q] = acc[g][q] + nuevo * xsj;
        }
    }
    for (int g = 0; g < G; ++g) {
      for (std::size_t q = 0; q < Q; ++q) {
        const std::size_t d = g * paso + nE * kCarriles + q * L;
        V nuevo;
        Paso<Cuidado>(m, inc + d, w + d, ad[g][q], mom, marca[g], nuevo);
        if constexpr (Siguiente) Vec<V>(m.m_pSumas.get() + (b0 + g) * kCarriles + q * L) = acc[g][q];
      }
      Anotar<Cuidado>(m, m.m_pMarcas[b0 + g], marca[g]);
    }
  }

  template <int G, bool Siguiente>
  static NRV_EN_LINEA void OcultaRango(M& m, std::size_t b, std::size_t fin, const double* x, const double* xs,
                                       double a, double mom, bool xOrdinaria, const Finitud& xFinita) {
    const std::size_t nE = m.m_red.nEntradas, nH = m.m_red.nOcultas, paso = (nE + 1) * kCarriles;
    for (; b + G <= fin; b += G) {
      bool cuidado = !xOrdinaria;
      for (int g = 0; g < G; ++g) {
        const std::size_t bg = b + g;
        M::Marca& marca = m.m_pMarcas[bg];
        // a x dH, as the pass computes it
        alignas(64) double ad[kCarriles];
        for (std::size_t q = 0; q < Q; ++q) Vec<V>(ad + q * L) = a * Vec<V>(m.m_pDH.get() + bg * kCarriles + q * L);
        const auto quieta = [&](std::size_t l) { return ad[l] == 0.0 && xFinita(); };
        const auto fila = [&](std::size_t l) {
          return Fila{m.m_pInc1.get(), m.m_pSombra1.get(), m.m_pPesos1.get(), bg * paso + l, kCarriles, nE + 1};
        };
        const std::size_t n = bg * kCarriles < nH ? std::min(kCarriles, nH - bg * kCarriles) : 0;
        Reanudar(marca, marca.nParados, m.m_pParados.get() + bg * kCarriles, n, quieta, fila);
        cuidado |= marca.nRapidas == 0 || !Ordinarios(ad);
      }
      if (cuidado) {
        OcultaYSiguiente<G, Siguiente, true>(m, b, x, xs, a, mom);
        for (int g = 0; g < G; ++g) {
          const std::size_t bg = b + g;
          const auto quieta = [&](std::size_t l) { return a * m.m_pDH[bg * kCarriles + l] == 0.0 && xFinita(); };
          const auto fila = [&](std::size_t l) {
            return Fila{m.m_pInc1.get(), m.m_pSombra1.get(), m.m_pPesos1.get(), bg * paso + l, kCarriles, nE + 1};
          };
          const std::size_t n = bg * kCarriles < nH ? std::min(kCarriles, nH - bg * kCarriles) : 0;
          Parar(m, m.m_pMarcas[bg].nParados, m.m_pParados.get() + bg * kCarriles, n, quieta, fila);
        }
      } else {
        OcultaYSiguiente<G, Siguiente, false>(m, b, x, xs, a, mom);
      }
    }
    if constexpr (G > 1) OcultaRango<G / 2, Siguiente>(m, b, fin, x, xs, a, mom, xOrdinaria, xFinita);
  }

  // One epoch, this thread's part of it. With several threads they meet
  // after the hidden outputs of a sample (the outputs need all of them) and
  // after its output error terms (every hidden error term needs all of
  // those); everything else a thread reads or writes is its own.
  // Samples [desde, hasta) of the epoch; the hidden outputs of sample
  // desde are there already unless it is the first.
  template <bool Varios>
  static NRV_EN_LINEA void Epoca(M& m, const P& p, const CConjuntoDatos& c, double a, double mom, UINT desde,
                                 UINT hasta) {
    const UINT n = c.m_nMuestras;
    const bool hayX = m.m_red.nEntradas != 0, hayT = m.m_red.nSalidas != 0;
    double* const* X = c.m_matEntradas.m_ppFilas;
    double* const* T = c.m_matSalidas.m_ppFilas;
    if (desde == 0) {
      SumasRango<kGSumas>(m, p.b0, p.b1, hayX ? X[0] : nullptr);
      Activaciones(m, p);
    }
    for (UINT s = desde; s < hasta; ++s) {
      const double* x = hayX ? X[s] : nullptr;
      if constexpr (Varios) m.m_barrera.Esperar();
      Salidas(m, p.c0, p.c1);
      ErroresYSalida(m, p, hayT ? T[s] : nullptr, a, mom);
      if constexpr (Varios) m.m_barrera.Esperar();
      ErroresOcultos(m, p, mom);
      const bool xOrdinaria = Ordinarios(x, m.m_red.nEntradas);
      const Finitud xFinita{x, m.m_red.nEntradas};
      if (s + 1 < n) {
        OcultaRango<kGActualizar, true>(m, p.b0, p.b1, x, hayX ? X[s + 1] : nullptr, a, mom, xOrdinaria, xFinita);
        Activaciones(m, p);
      } else {
        OcultaRango<kGActualizar, false>(m, p.b0, p.b1, x, nullptr, a, mom, xOrdinaria, xFinita);
      }
    }
    if constexpr (Varios) m.m_barrera.Esperar();
  }

  // The measuring pass: every thread its hidden outputs, thread 0 the
  // outputs and the measures.
  template <bool Varios>
  static NRV_EN_LINEA void Medir(M& m, const P& p, const CConjuntoDatos& c, UINT desde, UINT hasta) {
    const UINT nS = m.m_red.nSalidas;
    const bool hayX = m.m_red.nEntradas != 0;
    double dSuma = m.m_dSumaErrores, dMaximo = m.m_dErrorMaximo;
    UINT nAciertos = m.m_nAciertos;
    // Sample s's measures from its outputs o, in the order of the samples.
    const auto medir = [&](UINT s, const double* o) {
      if (m.m_ppSalidas) std::memcpy(m.m_ppSalidas[s], o, nS * sizeof(double));
      const double* t = nS ? c.m_matSalidas.m_ppFilas[s] : nullptr;
      double cuadrados = 0.0;
      for (UINT k = 0; k < nS; ++k) {
        const double d = t[k] - o[k];
        cuadrados += d * d;
      }
      const double e = std::sqrt(cuadrados);
      if (Ganador(o, nS) == Ganador(t, nS)) ++nAciertos;
      dSuma += e;
      if (e > dMaximo) dMaximo = e;
    };
    const auto ocultas = [&](UINT s) {
      SumasRango<kGSumas>(m, p.b0, p.b1, hayX ? c.m_matEntradas.m_ppFilas[s] : nullptr);
      Activaciones(m, p);
    };
    UINT s = desde;
    // On one thread, two samples at a time (see SalidasDos).
    if constexpr (!Varios)
      for (; s + 2 <= hasta; s += 2) {
        ocultas(s);
        std::memcpy(m.m_pH2.get(), m.m_pH.get(), m.m_nOcultasRell * sizeof(double));
        ocultas(s + 1);
        SalidasDos(m);
        medir(s, m.m_pO2.get());
        medir(s + 1, m.m_pO.get());
      }
    for (; s < hasta; ++s) {
      ocultas(s);
      if constexpr (Varios) m.m_barrera.Esperar();
      if (p.nHilo == 0) {
        Salidas(m, 0, m.m_nBloquesSalida);
        medir(s, m.m_pO.get());
      }
      if constexpr (Varios) m.m_barrera.Esperar();
    }
    // Every task ends with a meeting, also over no sample: the caller hands
    // out the next one only when each thread has read this one.
    if constexpr (Varios) m.m_barrera.Esperar();
    if (p.nHilo == 0) {
      m.m_dSumaErrores = dSuma;
      m.m_dErrorMaximo = dMaximo;
      m.m_nAciertos = nAciertos;
    }
  }

  template <bool Varios>
  static NRV_EN_LINEA void Tarea(M& m, M::Tarea tarea, const P& p) {
    if (tarea == M::Tarea::Epoca)
      Epoca<Varios>(m, p, *m.m_pConjunto, m.m_dAprendizaje, m.m_dMomento, m.m_nDesde, m.m_nHasta);
    else
      Medir<Varios>(m, p, *m.m_pConjunto, m.m_nDesde, m.m_nHasta);
  }
};

namespace {

// One source, compiled for each instruction set.
__attribute__((target("avx512f,avx512dq,avx512bw,avx512vl"))) void TareaAvx512(CMotorPerceptron& m, CMotorPerceptron::Tarea t,
                                                     const CMotorPerceptron::Parte& p, bool varios) {
  if (varios)
    CuerpoMotor<V8>::Tarea<true>(m, t, p);
  else
    CuerpoMotor<V8>::Tarea<false>(m, t, p);
}
__attribute__((target("avx2"))) void TareaAvx2(CMotorPerceptron& m, CMotorPerceptron::Tarea t,
                                                const CMotorPerceptron::Parte& p, bool varios) {
  if (varios)
    CuerpoMotor<V4>::Tarea<true>(m, t, p);
  else
    CuerpoMotor<V4>::Tarea<false>(m, t, p);
}
void TareaBase(CMotorPerceptron& m, CMotorPerceptron::Tarea t, const CMotorPerceptron::Parte& p, bool varios) {
  if (varios)
    CuerpoMotor<V2>::Tarea<true>(m, t, p);
  else
    CuerpoMotor<V2>::Tarea<false>(m, t, p);
}

}  // namespace

// ---------------------------------------------------------------- threads

void CMotorPerceptron::CBarrera::Esperar() {
  const UINT vuelta = m_nVuelta.load(std::memory_order_acquire);
  if (m_nLlegados.fetch_add(1, std::memory_order_acq_rel) + 1 == m_nHilos) {
    m_nLlegados.store(0, std::memory_order_relaxed);
    m_nVuelta.store(vuelta + 1, std::memory_order_seq_cst);
    if (m_nDurmientes.load(std::memory_order_seq_cst) != 0) Despertar(m_nVuelta);
    return;
  }
  EsperarCambio(m_nVuelta, vuelta, m_nDurmientes);
}

void CMotorPerceptron::Trabajar(Tarea tarea, const Parte& parte) {
  const bool varios = m_nHilosTarea > 1;
  switch (m_variante) {
    case VarianteMotor::Avx512:
      TareaAvx512(*this, tarea, parte, varios);
      break;
    case VarianteMotor::Avx2:
      TareaAvx2(*this, tarea, parte, varios);
      break;
    default:
      TareaBase(*this, tarea, parte, varios);
      break;
  }
}

// A helper: waits for a task, does its part, waits for the next.
void CMotorPerceptron::Ayudante(UINT nHilo) {
  UINT visto = 0;
  for (;;) {
    EsperarCambio(m_nEncargo, visto, m_nDurmientesEncargo);
    visto = m_nEncargo.load(std::memory_order_acquire);
    if (m_tarea == Tarea::Salir) return;
    Trabajar(m_tarea, m_partes[nHilo]);
  }
}

// The task on nHilos threads: the caller's part here, the helpers' at once
// in theirs; returns when all are done (the last meeting of the task).
void CMotorPerceptron::Ejecutar(Tarea tarea) {
  if (m_nHilosTarea <= 1) {
    const Parte todo{0, 0, m_nBloquesOcultos, 0, m_nBloquesSalida};
    Trabajar(tarea, todo);
    return;
  }
  m_tarea = tarea;
  m_nEncargo.fetch_add(1, std::memory_order_seq_cst);
  if (m_nDurmientesEncargo.load(std::memory_order_seq_cst) != 0) Despertar(m_nEncargo);
  Trabajar(tarea, m_partes[0]);
}

void CMotorPerceptron::Repartir(UINT nHilos) {
  m_partes.resize(nHilos);
  const std::size_t nB = m_nBloquesOcultos, nC = m_nBloquesSalida;
  for (UINT t = 0; t < nHilos; ++t)
    m_partes[t] = Parte{t, nB * t / nHilos, nB * (t + 1) / nHilos, nC * t / nHilos, nC * (t + 1) / nHilos};
}

// How many threads the next stretch of samples takes. Fixed: all.
// Automatic: one while another thread has an engine; else all, kept while a
// stretch on all takes no longer per sample than the last one on one, with
// a trial of the other choice now and then, since the machine's load
// changes (a helper that the system puts aside makes every meeting wait).
UINT CMotorPerceptron::ElegirHilos(Eleccion& e) {
  if (m_nHilosMaximo <= 1) return 1;
  if (m_nHilosPedidos != 0) return m_nHilosMaximo;
  if (OtrosMotores(m_idHilo)) return 1;
  if (e.dSegundosVarios == 0.0) return m_nHilosMaximo;
  if (e.dSegundosUno == 0.0) return 1;
  const bool varios = e.dSegundosVarios <= e.dSegundosUno;
  e.bPrueba = e.nHastaProbar == 0;
  if (e.bPrueba) return varios ? 1 : m_nHilosMaximo;
  --e.nHastaProbar;
  return varios ? m_nHilosMaximo : 1;
}

// A trial that lost waits twice as long for the next; one that won has
// changed the choice, and the next comes soon.
void CMotorPerceptron::Anotar(Eleccion& e, UINT nHilos, double dSegundosMuestra) {
  (nHilos > 1 ? e.dSegundosVarios : e.dSegundosUno) = dSegundosMuestra;
  if (!e.bPrueba) return;
  const bool gano = nHilos > 1 ? dSegundosMuestra < e.dSegundosUno : dSegundosMuestra < e.dSegundosVarios;
  e.nIntervalo = gano ? kTramosEntrePruebas : std::min(kTramosMaximos, 2 * e.nIntervalo);
  e.nHastaProbar = e.nIntervalo;
  e.bPrueba = false;
}

// The samples in stretches of about kSegundosTramo, each on the threads
// chosen for it; with nothing to choose, in one.
void CMotorPerceptron::Recorrer(Tarea tarea, UINT nMuestras, Eleccion& e) {
  const bool automatico = m_nHilosMaximo > 1 && m_nHilosPedidos == 0;
  UINT nVarios = 0;
  UINT desde = 0;
  do {
    const UINT nHilos = automatico ? ElegirHilos(e) : m_nHilosMaximo;
    UINT tramo = nMuestras - desde;
    if (automatico) {
      const double s = nHilos > 1 ? e.dSegundosVarios : e.dSegundosUno;
      const double n = s > 0.0 ? kSegundosTramo / s : double(kPrimerTramo);
      tramo = std::min<UINT>(tramo, UINT(std::clamp(n, 1.0, double(nMuestras))));
    }
    const auto inicio = std::chrono::steady_clock::now();
    m_nDesde = desde;
    m_nHasta = desde + tramo;
    m_nHilosTarea = nHilos;
    Ejecutar(tarea);
    if (automatico && tramo != 0)
      Anotar(e, nHilos, std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count() / tramo);
    m_nHilosUltimos = nHilos;
    if (nHilos > 1) nVarios += tramo;
    desde += tramo;
  } while (desde < nMuestras);
  m_dParteConVarios = nMuestras ? double(nVarios) / nMuestras : 0.0;
}

void CMotorPerceptron::FijarHilos(UINT nHilos) { g_nHilosFijados.store(nHilos, std::memory_order_relaxed); }

UINT CMotorPerceptron::Nucleos() { return NucleosDisponibles(); }

UINT CMotorPerceptron::HilosFijados() {
  UINT n = g_nHilosFijados.load(std::memory_order_relaxed);
  if (n != kSinFijar) return n;
  n = 0;
  if (const char* v = std::getenv("NRV_HILOS")) {
    char* fin = nullptr;
    const unsigned long l = std::strtoul(v, &fin, 10);
    if (fin != v && *fin == '\0' && l <= 1024) n = UINT(l);
  }
  UINT esperado = kSinFijar;
  g_nHilosFijados.compare_exchange_strong(esperado, n, std::memory_order_relaxed);
  return g_nHilosFijados.load(std::memory_order_relaxed);
}

// ---------------------------------------------------------------- engine

void CMotorPerceptron::Bloque::operator()(double* p) const { ::operator delete[](p, std::align_val_t(64)); }

CMotorPerceptron::Memoria CMotorPerceptron::Reservar(std::size_t nDoubles) {
  if (nDoubles == 0) nDoubles = kCarriles;
  if (nDoubles > std::size_t(PTRDIFF_MAX) / sizeof(double)) throw std::bad_alloc();
  double* p = static_cast<double*>(::operator new[](nDoubles * sizeof(double), std::align_val_t(64)));
  std::memset(p, 0, nDoubles * sizeof(double));
  return Memoria(p);
}

bool CMotorPerceptron::Disponible(VarianteMotor variante) {
  __builtin_cpu_init();
  switch (variante) {
    case VarianteMotor::Automatica:
    case VarianteMotor::Base:
      return true;
    case VarianteMotor::Avx2:
      return __builtin_cpu_supports("avx2");
    case VarianteMotor::Avx512:
      return __builtin_cpu_supports("avx512f");
  }
  return false;
}

const char* CMotorPerceptron::Nombre(VarianteMotor variante) {
  switch (variante) {
    case VarianteMotor::Automatica:
      return "automatica";
    case VarianteMotor::Base:
      return "base";
    case VarianteMotor::Avx2:
      return "avx2";
    case VarianteMotor::Avx512:
      return "avx512";
  }
  return "";
}

CMotorPerceptron::CMotorPerceptron(const RedPerceptron& red, VarianteMotor variante, UINT nHilos)
    : m_red(red), m_nHilosPedidos(nHilos ? nHilos : HilosFijados()) {
  if (variante == VarianteMotor::Automatica)
    variante = Disponible(VarianteMotor::Avx512) ? VarianteMotor::Avx512
               : Disponible(VarianteMotor::Avx2) ? VarianteMotor::Avx2
                                                 : VarianteMotor::Base;
  else if (!Disponible(variante))
    variante = VarianteMotor::Base;  // never run instructions the processor lacks
  m_variante = variante;

  const std::size_t nE = red.nEntradas, nHr = Redondear(red.nOcultas), nSr = Redondear(red.nSalidas);
  m_nOcultasRell = UINT(nHr);
  m_nSalidasRell = UINT(nSr);
  m_nBloquesOcultos = UINT(nHr / kCarriles);
  m_nBloquesSalida = UINT(nSr / kCarriles);
  const std::size_t n1 = nHr * (nE + 1), n2 = nSr * (std::size_t(red.nOcultas) + 1);
  try {
    m_pPesos1 = Reservar(n1);
    m_pInc1 = Reservar(n1);
    m_pPesos2 = Reservar(n2);
    m_pInc2 = Reservar(n2);
    m_pFilas2 = Reservar(std::size_t(red.nSalidas) * nHr);
    m_pIncFilas2 = Reservar(std::size_t(red.nSalidas) * nHr);
    m_pSumas = Reservar(nHr);
    m_pADO = Reservar(nSr);
    m_pH2 = Reservar(nHr);
    m_pO2 = Reservar(nSr);
    m_nMarcaSalida = m_nBloquesOcultos;
    m_nMarcaFilas = m_nMarcaSalida + m_nBloquesSalida;
    m_pMarcas = std::make_unique<Marca[]>(m_nMarcaFilas + m_nBloquesOcultos);
    m_pSombra1 = Reservar(n1);
    m_pSombra2 = Reservar(n2);
    m_pSombraFilas = Reservar(std::size_t(red.nSalidas) * nHr);
    m_nParadasColumnas = nHr + nSr + std::size_t(m_nBloquesOcultos) * red.nSalidas;
    m_nParados = m_nParadasColumnas + std::size_t(m_nBloquesSalida) * red.nOcultas + nHr;
    m_pParados = std::make_unique<unsigned char[]>(m_nParados);
  } catch (const std::bad_alloc&) {
    // Slower, never wrong: the reference loops on the document's rows.
    m_pPesos1.reset();
    m_pInc1.reset();
    m_pPesos2.reset();
    m_pInc2.reset();
    m_pFilas2.reset();
    m_pIncFilas2.reset();
    m_pSumas.reset();
    m_pADO.reset();
    m_pH2.reset();
    m_pO2.reset();
    m_pMarcas.reset();
    m_pSombra1.reset();
    m_pSombra2.reset();
    m_pSombraFilas.reset();
    m_pParados.reset();
    m_bReducido = true;
  }
  m_pH = Reservar(nHr);
  m_pDH = Reservar(nHr);
  m_pO = Reservar(nSr);
  m_pDO = Reservar(nSr);

  // Threads: fixed, as many as asked for, at most one per group of
  // neurons; automatic, one per core, each with at least two groups, for a
  // hidden layer large enough to pay for the meetings.
  UINT nMaximo = 1;
  if (!m_bReducido && m_nBloquesOcultos > 1) {
    if (m_nHilosPedidos != 0)
      nMaximo = std::min(m_nHilosPedidos, m_nBloquesOcultos);
    else if (nHr * (nE + 1) >= kPesosParaHilos)
      nMaximo = std::max(1u, std::min(Nucleos(), m_nBloquesOcultos / 2));
  }
  Registrar(m_idHilo);  // the last step that may throw
  if (nMaximo > 1) {
    // The helpers run at the caller's priority: a training thread's lowest.
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    const bool conNice = errno == 0;
    try {
      Repartir(nMaximo);
      m_ayudantes.reserve(nMaximo - 1);
    } catch (const std::bad_alloc&) {
      nMaximo = 1;
    }
    try {
      for (UINT t = 1; t < nMaximo; ++t)
        m_ayudantes.emplace_back([this, t, nice, conNice] {
          if (conNice) setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice);
          Ayudante(t);
        });
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
    // With fewer helpers than planned, fewer parts (the helpers read theirs
    // only once a task is handed out).
    nMaximo = UINT(m_ayudantes.size()) + 1;
    if (nMaximo > 1) Repartir(nMaximo);
  }
  m_nHilosMaximo = nMaximo;
  m_barrera.Iniciar(nMaximo);
}

CMotorPerceptron::~CMotorPerceptron() {
  if (!m_ayudantes.empty()) {
    m_tarea = Tarea::Salir;
    m_nEncargo.fetch_add(1, std::memory_order_seq_cst);
    Despertar(m_nEncargo);
    for (std::thread& t : m_ayudantes) t.join();
  }
  Borrar(m_idHilo);
}

// The document's matrices into the working layouts. Its changes may be
// anything: every group is marked until its first sample has looked.
void CMotorPerceptron::Cargar() {
  const std::size_t nE = m_red.nEntradas, nH = m_red.nOcultas, nS = m_red.nSalidas, nHr = m_nOcultasRell;
  for (std::size_t g = 0; g < m_nMarcaFilas + m_nBloquesOcultos; ++g) m_pMarcas[g] = Marca{};
  std::memset(m_pParados.get(), 0, m_nParados);
  for (std::size_t i = 0; i < nH; ++i) {
    const double* w = m_red.pPesosOculta->m_ppFilas[i];
    const double* inc = m_red.pIncOculta->m_ppFilas[i];
    const std::size_t base = (i / kCarriles) * (nE + 1) * kCarriles + i % kCarriles;
    for (std::size_t j = 0; j <= nE; ++j) {
      m_pPesos1[base + j * kCarriles] = w[j];
      m_pInc1[base + j * kCarriles] = inc[j];
    }
  }
  for (std::size_t k = 0; k < nS; ++k) {
    const double* w = m_red.pPesosSalida->m_ppFilas[k];
    const double* inc = m_red.pIncSalida->m_ppFilas[k];
    const std::size_t base = (k / kCarriles) * (nH + 1) * kCarriles + k % kCarriles;
    for (std::size_t i = 0; i <= nH; ++i) {
      m_pPesos2[base + i * kCarriles] = w[i];
      m_pInc2[base + i * kCarriles] = inc[i];
    }
    std::memcpy(m_pFilas2.get() + k * nHr, w, nH * sizeof(double));
    std::memcpy(m_pIncFilas2.get() + k * nHr, inc, nH * sizeof(double));
  }
}

// The working layouts back into the document's matrices, every bit: the
// stopped rows' changes first back in place.
void CMotorPerceptron::Devolver() {
  const std::size_t nE = m_red.nEntradas, nH = m_red.nOcultas, nS = m_red.nSalidas, nHr = m_nOcultasRell;
  const std::size_t nSr = m_nSalidasRell;
  for (std::size_t i = 0; i < nH; ++i)
    if (m_pParados[i])
      Fila{m_pInc1.get(), m_pSombra1.get(), m_pPesos1.get(), (i / kCarriles) * (nE + 1) * kCarriles + i % kCarriles,
           kCarriles, nE + 1}
          .Reanudar();
  for (std::size_t k = 0; k < nS; ++k) {
    if (m_pParados[nHr + k])
      Fila{m_pInc2.get(), m_pSombra2.get(), m_pPesos2.get(), (k / kCarriles) * (nH + 1) * kCarriles + k % kCarriles,
           kCarriles, nH + 1}
          .Reanudar();
    for (std::size_t b = 0; b < m_nBloquesOcultos; ++b)
      if (m_pParados[nHr + nSr + b * nS + k])
        Fila{m_pIncFilas2.get(), m_pSombraFilas.get(), m_pFilas2.get(), k * nHr + b * kCarriles, 1, kCarriles}
            .Reanudar();
  }
  for (std::size_t c = 0; c < m_nBloquesSalida; ++c)
    for (std::size_t i = 0; i < nH; ++i)
      if (m_pParados[m_nParadasColumnas + c * nH + i])
        Fila{m_pInc2.get(), m_pSombra2.get(), m_pPesos2.get(), c * (nH + 1) * kCarriles + i * kCarriles, 1, kCarriles}
            .Reanudar();
  for (std::size_t i = 0; i < nH; ++i)
    if (m_pParados[m_nParadasColumnas + m_nBloquesSalida * nH + i])
      Fila{m_pIncFilas2.get(), m_pSombraFilas.get(), m_pFilas2.get(), i, nHr, nS}.Reanudar();
  std::memset(m_pParados.get(), 0, m_nParados);
  for (std::size_t g = 0; g < m_nMarcaFilas + m_nBloquesOcultos; ++g) m_pMarcas[g] = Marca{};
  for (std::size_t i = 0; i < nH; ++i) {
    double* w = m_red.pPesosOculta->m_ppFilas[i];
    double* inc = m_red.pIncOculta->m_ppFilas[i];
    const std::size_t base = (i / kCarriles) * (nE + 1) * kCarriles + i % kCarriles;
    for (std::size_t j = 0; j <= nE; ++j) {
      w[j] = m_pPesos1[base + j * kCarriles];
      inc[j] = m_pInc1[base + j * kCarriles];
    }
  }
  for (std::size_t k = 0; k < nS; ++k) {
    double* w = m_red.pPesosSalida->m_ppFilas[k];
    double* inc = m_red.pIncSalida->m_ppFilas[k];
    const std::size_t base = (k / kCarriles) * (nH + 1) * kCarriles + k % kCarriles;
    for (std::size_t i = 0; i <= nH; ++i) {
      w[i] = m_pPesos2[base + i * kCarriles];
      inc[i] = m_pInc2[base + i * kCarriles];
    }
  }
}

// The thresholds for a momentum factor m. A previous change of at least
// 2^-1020 / |m| gives a normal m x change; below it (and every subnormal,
// whatever m) it is near zero. Up to m_nQuieto / 2 units a change stays:
// round(m x k) = k holds for k = 1 up to some K when 0 <= m <= 1, found by
// halving; for any other m no change is taken to stay.
void CMotorPerceptron::Umbrales(double dMomento) {
  using namespace exacto;
  if (m_bUmbrales && Bits(dMomento) == Bits(m_dMomentoUmbrales)) return;
  m_bUmbrales = true;
  m_dMomentoUmbrales = dMomento;
  const double am = std::fabs(dMomento);
  std::uint64_t umbral = kMinimoNormal;
  if (am > 0.0 && am <= std::numeric_limits<double>::max())
    umbral = std::max(Bits(0x1p-1020 / am), Bits(0x1p-1021));
  m_nLimiteCerca = 2 * umbral - 1;
  std::uint64_t quieto = 0;
  const auto queda = [dMomento](std::uint64_t k) { return Producto(Bits(dMomento), k) == k; };
  if (dMomento >= 0.0 && dMomento <= 1.0 && queda(1)) {
    std::uint64_t si = 1, no = kMinimoNormal;
    while (no - si > 1) {
      const std::uint64_t k = si + (no - si) / 2;
      (queda(k) ? si : no) = k;
    }
    quieto = si;
  }
  m_nQuieto = 2 * quieto;
  m_bParar = dMomento >= 0.0 && dMomento <= 1.0;
  // Plain passes after a careful one. Let L bound the nonzero previous
  // changes from below, at first 2^-600. With every p 0 or of at least
  // 2^-901, a new change m x inc + p is 0, or m x inc when p is 0, or at
  // least 2^-954 (half of p, or what an exact cancellation leaves): the new
  // bound is min(|m| (1 - 2^-52) L, 2^-954). n passes keep L above the
  // threshold; while it holds no change is near zero, nothing is tested.
  m_nLimiteLejos = 2 * kLejos - 1;
  const double umbralReal = Real(umbral), factor = am * (1.0 - 0x1p-52);
  UINT tramo = 0;
  if (umbralReal < 0x1p-954 && am <= std::numeric_limits<double>::max()) {
    if (factor == 0.0 || factor >= 1.0)
      tramo = kTramoMaximo;
    else
      tramo = UINT(std::clamp(std::floor(std::log2(0x1p-600 / umbralReal) / -std::log2(factor)) - 2.0, 0.0,
                              double(kTramoMaximo)));
  }
  m_nTramoRapido = tramo;
}

void CMotorPerceptron::EntrenarEpoca(const CConjuntoDatos& entrenamiento, double dAprendizaje, double dMomento) {
  if (entrenamiento.m_nMuestras == 0 || !ConjuntoValido(m_red, entrenamiento)) return;
  if (m_bReducido) {
    for (UINT s = 0; s < entrenamiento.m_nMuestras; ++s) {
      const double* x = m_red.nEntradas ? entrenamiento.m_matEntradas.m_ppFilas[s] : nullptr;
      const double* t = m_red.nSalidas ? entrenamiento.m_matSalidas.m_ppFilas[s] : nullptr;
      Propagar(m_red, x, m_pH.get(), m_pO.get());
      Retropropagar(m_red, x, t, m_pH.get(), m_pO.get(), m_pDO.get(), m_pDH.get(), dAprendizaje, dMomento);
    }
    return;
  }
  Cargar();
  Umbrales(dMomento);
  m_pConjunto = &entrenamiento;
  m_dAprendizaje = dAprendizaje;
  m_dMomento = dMomento;
  Recorrer(Tarea::Epoca, entrenamiento.m_nMuestras, m_eleccionEpoca);
  Devolver();
}

MedidasConjunto CMotorPerceptron::MedirConjunto(const CConjuntoDatos& conjunto, CMatrizReales* pSalidas) {
  if (!ConjuntoValido(m_red, conjunto)) return MedidasConjunto{0.0, 0.0, 0, 0.0};
  // Rows too few or too short for the outputs are not written to.
  double* const* salidas = pSalidas && m_red.nSalidas != 0 && pSalidas->m_ppFilas &&
                                   pSalidas->m_nFilas >= conjunto.m_nMuestras &&
                                   pSalidas->m_nColumnas >= m_red.nSalidas
                               ? pSalidas->m_ppFilas
                               : nullptr;
  if (m_bReducido) {
    for (UINT s = 0; salidas && s < conjunto.m_nMuestras; ++s)
      Propagar(m_red, m_red.nEntradas ? conjunto.m_matEntradas.m_ppFilas[s] : nullptr, m_pH.get(), salidas[s]);
    return ::MedirConjunto(m_red, conjunto, m_pH.get(), m_pO.get());
  }
  Cargar();
  m_pConjunto = &conjunto;
  m_ppSalidas = salidas;
  m_dSumaErrores = 0.0;
  m_dErrorMaximo = 0.0;
  m_nAciertos = 0;
  Recorrer(Tarea::Medir, conjunto.m_nMuestras, m_eleccionMedir);
  const UINT n = conjunto.m_nMuestras;
  return MedidasConjunto{m_dErrorMaximo, std::sqrt(m_dSumaErrores), m_nAciertos,
                         n == 0 ? 0.0 : 100.0 * m_nAciertos / n};
}
