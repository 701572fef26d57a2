// The fast engine. Every operation is the reference's own, on the same
// operands in the same order: binary64, each product rounded then added,
// every sum from 0.0 in increasing index. The speed comes only from doing
// eight neurons' independent operations in one vector instruction, from
// computing a × dH once per neuron (the reference's a × dH × x is already
// (a × dH) × x), and from updating the hidden weights of one sample and
// propagating the next sample through them in the same pass over memory.
#include "network/motor.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

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
template <class V>
struct Enteros;
template <>
struct Enteros<V8> {
  using T = E8;
};
template <>
struct Enteros<V4> {
  using T = E4;
};
template <>
struct Enteros<V2> {
  using T = E2;
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

}  // namespace

// The loops, written once and compiled for each instruction set; V is the
// register, Q registers make one group of eight lanes.
template <class V>
struct CuerpoMotor {
  using M = CMotorPerceptron;
  static constexpr std::size_t L = sizeof(V) / sizeof(double);
  static constexpr std::size_t Q = kCarriles / L;

  // SigmoideTabla lane by lane with the same operations: t = 1024 + 128 x net,
  // c = ceil(t), the index c when c - t < 0.5, else floor(t). For t in
  // [0, 2^52) floor is (t + 2^52) - 2^52 corrected by one; lanes outside
  // [-8, 8] or NaN take their constant and index nothing beyond the table.
  static NRV_EN_LINEA void SigmoideVector(const V& net, double* salida) {
    using VL = typename Enteros<V>::T;
    const V cero = V{}, uno = cero + 1.0, grande = cero + 0x1p52;
    const V t = 1024.0 + 128.0 * net;
    const V tc = t >= 0.0 ? (t <= 2048.0 ? t : cero + 2048.0) : cero;
    const V n = (tc + grande) - grande;
    const V piso = n > tc ? n - uno : n;
    const V techo = piso < tc ? piso + uno : piso;
    const V indice = techo - tc < 0.5 ? techo : piso;
    const VL iv = __builtin_convertvector(indice, VL);
    alignas(64) double valores[L];
    for (std::size_t l = 0; l < L; ++l) valores[l] = TablaSigmoide[iv[l] > 2047 ? 2047 : iv[l]];
    V r = Vec<V>(valores);
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

  static NRV_EN_LINEA void PropagarOculta(const M& m, const double* x) {
    const std::size_t nB = m.m_nBloquesOcultos;
    std::size_t b = 0;
    if constexpr (Q == 1)
      for (; b + 4 <= nB; b += 4) SumasOcultas<4>(m, b, x);
    for (; b + 2 <= nB; b += 2) SumasOcultas<2>(m, b, x);
    if (b < nB) SumasOcultas<1>(m, b, x);
  }

  // Output sums of G groups of outputs; o from them (net = bias + sum).
  template <int G>
  static NRV_EN_LINEA void SalidasGrupo(const M& m, std::size_t c0) {
    const std::size_t nH = m.m_red.nOcultas, nS = m.m_red.nSalidas, paso = (nH + 1) * kCarriles;
    const double* h = m.m_pH.get();
    const double* w = m.m_pPesos2.get() + c0 * paso;
    V acc[G][Q];
    for (int g = 0; g < G; ++g)
      for (std::size_t q = 0; q < Q; ++q) acc[g][q] = V{};
    for (std::size_t i = 0; i < nH; ++i) {
      const double hi = h[i];
      for (int g = 0; g < G; ++g)
        for (std::size_t q = 0; q < Q; ++q)
          acc[g][q] = acc[g][q] + Vec<V>(w + g * paso + i * kCarriles + q * L) * hi;
    }
    alignas(64) double sumas[G * kCarriles];
    for (int g = 0; g < G; ++g)
      for (std::size_t q = 0; q < Q; ++q) Vec<V>(sumas + g * kCarriles + q * L) = acc[g][q];
    double* o = m.m_pO.get();
    for (int g = 0; g < G; ++g)
      for (std::size_t r = 0; r < kCarriles; ++r) {
        const std::size_t k = (c0 + g) * kCarriles + r;
        if (k < nS) o[k] = SigmoideTabla(w[g * paso + nH * kCarriles + r] + sumas[g * kCarriles + r]);
      }
  }

  static NRV_EN_LINEA void SalidasDesdeSumas(const M& m) {
    const std::size_t nE = m.m_red.nEntradas, nH = m.m_red.nOcultas;
    const double* sumas = m.m_pSumas.get();
    double* h = m.m_pH.get();
    const double* w1 = m.m_pPesos1.get();
    for (std::size_t b = 0; b < m.m_nBloquesOcultos; ++b)
      for (std::size_t q = 0; q < Q; ++q) {
        const std::size_t i = b * kCarriles + q * L;
        const V net = Vec<V>(w1 + (b * (nE + 1) + nE) * kCarriles + q * L) + Vec<V>(sumas + i);
        SigmoideVector(net, h + i);
      }
    for (std::size_t i = nH; i < m.m_nOcultasRell; ++i) h[i] = 0.0;  // the extra lanes stay out
    const std::size_t nC = m.m_nBloquesSalida;
    std::size_t c = 0;
    for (; c + 2 <= nC; c += 2) SalidasGrupo<2>(m, c);
    if (c < nC) SalidasGrupo<1>(m, c);
  }

  // Steps 1 to 3 of Retropropagar: output error terms, output weights (both
  // copies, the same operations), hidden error terms from the new weights.
  static NRV_EN_LINEA void ErroresYSalida(M& m, const double* t, double a, double mom) {
    const std::size_t nH = m.m_red.nOcultas, nS = m.m_red.nSalidas, nHr = m.m_nOcultasRell;
    const double* o = m.m_pO.get();
    double* dO = m.m_pDO.get();
    double* adO = m.m_pADO.get();
    for (std::size_t k = 0; k < nS; ++k) {
      dO[k] = o[k] * (1.0 - o[k]) * (t[k] - o[k]);
      adO[k] = a * dO[k];
    }
    const double* h = m.m_pH.get();
    const std::size_t paso = (nH + 1) * kCarriles;
    for (std::size_t c = 0; c < m.m_nBloquesSalida; ++c) {
      double* w = m.m_pPesos2.get() + c * paso;
      double* inc = m.m_pInc2.get() + c * paso;
      V ad[Q];
      for (std::size_t q = 0; q < Q; ++q) ad[q] = Vec<V>(adO + c * kCarriles + q * L);
      for (std::size_t i = 0; i <= nH; ++i) {
        const double hi = i < nH ? h[i] : 1.0;
        for (std::size_t q = 0; q < Q; ++q) {
          double* pi = inc + i * kCarriles + q * L;
          double* pw = w + i * kCarriles + q * L;
          // The bias's input is 1: its change is m x inc + a x dO, no product.
          const V cambio = i < nH ? mom * Vec<V>(pi) + ad[q] * hi : mom * Vec<V>(pi) + ad[q];
          Vec<V>(pi) = cambio;
          Vec<V>(pw) = Vec<V>(pw) + cambio;
        }
      }
    }
    // By rows: L hidden neurons at a time, k in increasing order for each.
    double* dH = m.m_pDH.get();
    for (std::size_t v = 0; v < nHr; v += L) {
      const V hv = Vec<V>(h + v);
      V s = V{};
      for (std::size_t k = 0; k < nS; ++k) {
        double* w = m.m_pFilas2.get() + k * nHr + v;
        double* inc = m.m_pIncFilas2.get() + k * nHr + v;
        const V cambio = mom * Vec<V>(inc) + adO[k] * hv;
        Vec<V>(inc) = cambio;
        const V nuevo = Vec<V>(w) + cambio;
        Vec<V>(w) = nuevo;
        s = s + nuevo * dO[k];
      }
      Vec<V>(dH + v) = hv * (1.0 - hv) * s;
    }
  }

  // Step 4 for G groups of hidden neurons; with Siguiente, the next sample's
  // sums through each weight just written.
  template <int G, bool Siguiente>
  static NRV_EN_LINEA void OcultaYSiguiente(M& m, std::size_t b0, const double* x, const double* xs, double a,
                                            double mom) {
    const std::size_t nE = m.m_red.nEntradas, paso = (nE + 1) * kCarriles;
    double* w = m.m_pPesos1.get() + b0 * paso;
    double* inc = m.m_pInc1.get() + b0 * paso;
    V ad[G][Q], acc[G][Q];
    for (int g = 0; g < G; ++g)
      for (std::size_t q = 0; q < Q; ++q) {
        ad[g][q] = a * Vec<V>(m.m_pDH.get() + (b0 + g) * kCarriles + q * L);
        acc[g][q] = V{};
      }
    for (std::size_t j = 0; j < nE; ++j) {
      const double xj = x[j];
      double xsj = 0.0;
      if constexpr (Siguiente) xsj = xs[j];
      for (int g = 0; g < G; ++g)
        for (std::size_t q = 0; q < Q; ++q) {
          double* pi = inc + g * paso + j * kCarriles + q * L;
          double* pw = w + g * paso + j * kCarriles + q * L;
          const V cambio = mom * Vec<V>(pi) + ad[g][q] * xj;
          Vec<V>(pi) = cambio;
          const V nuevo = Vec<V>(pw) + cambio;
          Vec<V>(pw) = nuevo;
          if constexpr (Siguiente) acc[g][q] = acc[g][q] + nuevo * xsj;
        }
    }
    for (int g = 0; g < G; ++g)
      for (std::size_t q = 0; q < Q; ++q) {
        double* pi = inc + g * paso + nE * kCarriles + q * L;
        double* pw = w + g * paso + nE * kCarriles + q * L;
        const V cambio = mom * Vec<V>(pi) + ad[g][q];
        Vec<V>(pi) = cambio;
        Vec<V>(pw) = Vec<V>(pw) + cambio;
        if constexpr (Siguiente) Vec<V>(m.m_pSumas.get() + (b0 + g) * kCarriles + q * L) = acc[g][q];
      }
  }

  template <bool Siguiente>
  static NRV_EN_LINEA void Oculta(M& m, const double* x, const double* xs, double a, double mom) {
    const std::size_t nB = m.m_nBloquesOcultos;
    std::size_t b = 0;
    if constexpr (Q == 1)
      for (; b + 2 <= nB; b += 2) OcultaYSiguiente<2, Siguiente>(m, b, x, xs, a, mom);
    for (; b < nB; ++b) OcultaYSiguiente<1, Siguiente>(m, b, x, xs, a, mom);
  }

  static NRV_EN_LINEA void Epoca(M& m, const CConjuntoDatos& c, double a, double mom) {
    const UINT n = c.m_nMuestras;
    const bool hayX = m.m_red.nEntradas != 0, hayT = m.m_red.nSalidas != 0;
    double* const* X = c.m_matEntradas.m_ppFilas;
    double* const* T = c.m_matSalidas.m_ppFilas;
    PropagarOculta(m, hayX ? X[0] : nullptr);
    for (UINT s = 0; s < n; ++s) {
      const double* x = hayX ? X[s] : nullptr;
      SalidasDesdeSumas(m);
      ErroresYSalida(m, hayT ? T[s] : nullptr, a, mom);
      if (s + 1 < n)
        Oculta<true>(m, x, hayX ? X[s + 1] : nullptr, a, mom);
      else
        Oculta<false>(m, x, nullptr, a, mom);
    }
  }

  static NRV_EN_LINEA MedidasConjunto Medir(M& m, const CConjuntoDatos& c, double* const* salidas) {
    MedidasConjunto r{0.0, 0.0, 0, 0.0};
    const UINT n = c.m_nMuestras, nS = m.m_red.nSalidas;
    const bool hayX = m.m_red.nEntradas != 0;
    const double* o = m.m_pO.get();
    double dSuma = 0.0;
    for (UINT s = 0; s < n; ++s) {
      PropagarOculta(m, hayX ? c.m_matEntradas.m_ppFilas[s] : nullptr);
      SalidasDesdeSumas(m);
      if (salidas) std::memcpy(salidas[s], o, nS * sizeof(double));
      const double* t = nS ? c.m_matSalidas.m_ppFilas[s] : nullptr;
      double cuadrados = 0.0;
      for (UINT k = 0; k < nS; ++k) {
        const double d = t[k] - o[k];
        cuadrados += d * d;
      }
      const double e = std::sqrt(cuadrados);
      if (Ganador(o, nS) == Ganador(t, nS)) ++r.nAciertos;
      dSuma += e;
      if (e > r.dErrorMaximo) r.dErrorMaximo = e;
    }
    r.dErrorTotal = std::sqrt(dSuma);
    r.dTasaAciertos = n == 0 ? 0.0 : 100.0 * r.nAciertos / n;
    return r;
  }
};

namespace {

__attribute__((target("avx512f"))) void EpocaAvx512(CMotorPerceptron& m, const CConjuntoDatos& c, double a,
                                                     double mom) {
  CuerpoMotor<V8>::Epoca(m, c, a, mom);
}
__attribute__((target("avx2"))) void EpocaAvx2(CMotorPerceptron& m, const CConjuntoDatos& c, double a,
                                                double mom) {
  CuerpoMotor<V4>::Epoca(m, c, a, mom);
}
void EpocaBase(CMotorPerceptron& m, const CConjuntoDatos& c, double a, double mom) {
  CuerpoMotor<V2>::Epoca(m, c, a, mom);
}

__attribute__((target("avx512f"))) MedidasConjunto MedirAvx512(CMotorPerceptron& m, const CConjuntoDatos& c,
                                                                 double* const* salidas) {
  return CuerpoMotor<V8>::Medir(m, c, salidas);
}
__attribute__((target("avx2"))) MedidasConjunto MedirAvx2(CMotorPerceptron& m, const CConjuntoDatos& c,
                                                            double* const* salidas) {
  return CuerpoMotor<V4>::Medir(m, c, salidas);
}
MedidasConjunto MedirBase(CMotorPerceptron& m, const CConjuntoDatos& c, double* const* salidas) {
  return CuerpoMotor<V2>::Medir(m, c, salidas);
}

}  // namespace

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

CMotorPerceptron::CMotorPerceptron(const RedPerceptron& red, VarianteMotor variante) : m_red(red) {
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
    m_bReducido = true;
  }
  m_pH = Reservar(nHr);
  m_pDH = Reservar(nHr);
  m_pO = Reservar(nSr);
  m_pDO = Reservar(nSr);
}

CMotorPerceptron::~CMotorPerceptron() = default;

// The document's matrices into the working layouts.
void CMotorPerceptron::Cargar() {
  const std::size_t nE = m_red.nEntradas, nH = m_red.nOcultas, nS = m_red.nSalidas, nHr = m_nOcultasRell;
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

// The working layouts back into the document's matrices, every bit.
void CMotorPerceptron::Devolver() {
  const std::size_t nE = m_red.nEntradas, nH = m_red.nOcultas, nS = m_red.nSalidas;
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
  switch (m_variante) {
    case VarianteMotor::Avx512:
      EpocaAvx512(*this, entrenamiento, dAprendizaje, dMomento);
      break;
    case VarianteMotor::Avx2:
      EpocaAvx2(*this, entrenamiento, dAprendizaje, dMomento);
      break;
    default:
      EpocaBase(*this, entrenamiento, dAprendizaje, dMomento);
      break;
  }
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
  switch (m_variante) {
    case VarianteMotor::Avx512:
      return MedirAvx512(*this, conjunto, salidas);
    case VarianteMotor::Avx2:
      return MedirAvx2(*this, conjunto, salidas);
    default:
      return MedirBase(*this, conjunto, salidas);
  }
}
