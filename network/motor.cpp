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

constexpr std::size_t kCarriles = 8;
typedef double V8 __attribute__((vector_size(64)));

NRV_EN_LINEA V8& Vec(double* p) { return *reinterpret_cast<V8*>(p); }
NRV_EN_LINEA const V8& Vec(const double* p) { return *reinterpret_cast<const V8*>(p); }

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

NRV_EN_LINEA UINT Ganador(const double* v, UINT n) {
  UINT g = 0;
  for (UINT k = 1; k < n; ++k)
    if (v[k] > v[g]) g = k;
  return g;
}

bool FilasSuficientes(const CMatrizReales& m, UINT muestras, UINT columnas) {
  if (columnas == 0 || muestras == 0) return true;
  return m.m_ppFilas != nullptr && m.m_nFilas >= muestras && m.m_nColumnas >= columnas;
}

bool ConjuntoValido(const RedPerceptron& red, const CConjuntoDatos& c) {
  return FilasSuficientes(c.m_matEntradas, c.m_nMuestras, red.nEntradas) &&
         FilasSuficientes(c.m_matSalidas, c.m_nMuestras, red.nSalidas);
}

}  // namespace

// The loops, written once and compiled for each instruction set.
struct CuerpoMotor {
  using M = CMotorPerceptron;

  // Sums of G groups of hidden neurons for input x, from 0.0 in increasing j.
  template <int G>
  static NRV_EN_LINEA void SumasOcultas(const M& m, std::size_t b0, const double* x) {
    const std::size_t nE = m.m_red.nEntradas, paso = (nE + 1) * kCarriles;
    const double* w[G];
    V8 acc[G];
    for (int g = 0; g < G; ++g) {
      w[g] = m.m_pPesos1.get() + (b0 + g) * paso;
      acc[g] = V8{};
    }
    for (std::size_t j = 0; j < nE; ++j) {
      const double xj = x[j];
      for (int g = 0; g < G; ++g) acc[g] = acc[g] + Vec(w[g] + j * kCarriles) * xj;
    }
    for (int g = 0; g < G; ++g) Vec(m.m_pSumas.get() + (b0 + g) * kCarriles) = acc[g];
  }

  static NRV_EN_LINEA void PropagarOculta(const M& m, const double* x) {
    const std::size_t nB = m.m_nBloquesOcultos;
    std::size_t b = 0;
    for (; b + 4 <= nB; b += 4) SumasOcultas<4>(m, b, x);
    for (; b + 2 <= nB; b += 2) SumasOcultas<2>(m, b, x);
    if (b < nB) SumasOcultas<1>(m, b, x);
  }

  // h from the sums (net = bias + sum), then o through the grouped output
  // weights.
  static NRV_EN_LINEA void SalidasDesdeSumas(const M& m) {
    const std::size_t nE = m.m_red.nEntradas, nH = m.m_red.nOcultas, nS = m.m_red.nSalidas;
    const double* sumas = m.m_pSumas.get();
    double* h = m.m_pH.get();
    const double* w1 = m.m_pPesos1.get();
    for (std::size_t i = 0; i < nH; ++i) {
      const std::size_t b = i / kCarriles, r = i % kCarriles;
      const double sesgo = w1[(b * (nE + 1) + nE) * kCarriles + r];
      h[i] = SigmoideTabla(sesgo + sumas[i]);
    }
    const std::size_t paso = (nH + 1) * kCarriles;
    double* o = m.m_pO.get();
    std::size_t c = 0;
    for (; c + 2 <= m.m_nBloquesSalida; c += 2) {
      const double* w0 = m.m_pPesos2.get() + c * paso;
      const double* w1b = w0 + paso;
      V8 a0 = V8{}, a1 = V8{};
      for (std::size_t i = 0; i < nH; ++i) {
        a0 = a0 + Vec(w0 + i * kCarriles) * h[i];
        a1 = a1 + Vec(w1b + i * kCarriles) * h[i];
      }
      for (std::size_t r = 0; r < kCarriles; ++r) {
        const std::size_t k0 = c * kCarriles + r, k1 = k0 + kCarriles;
        if (k0 < nS) o[k0] = SigmoideTabla(w0[nH * kCarriles + r] + a0[r]);
        if (k1 < nS) o[k1] = SigmoideTabla(w1b[nH * kCarriles + r] + a1[r]);
      }
    }
    if (c < m.m_nBloquesSalida) {
      const double* w0 = m.m_pPesos2.get() + c * paso;
      V8 a0 = V8{};
      for (std::size_t i = 0; i < nH; ++i) a0 = a0 + Vec(w0 + i * kCarriles) * h[i];
      for (std::size_t r = 0; r < kCarriles; ++r) {
        const std::size_t k0 = c * kCarriles + r;
        if (k0 < nS) o[k0] = SigmoideTabla(w0[nH * kCarriles + r] + a0[r]);
      }
    }
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
      const V8 ad = Vec(adO + c * kCarriles);
      for (std::size_t i = 0; i < nH; ++i) {
        const V8 cambio = mom * Vec(inc + i * kCarriles) + ad * h[i];
        Vec(inc + i * kCarriles) = cambio;
        Vec(w + i * kCarriles) = Vec(w + i * kCarriles) + cambio;
      }
      const V8 cambio = mom * Vec(inc + nH * kCarriles) + ad;
      Vec(inc + nH * kCarriles) = cambio;
      Vec(w + nH * kCarriles) = Vec(w + nH * kCarriles) + cambio;
    }
    // By rows: eight hidden neurons at a time, k in increasing order for each.
    double* dH = m.m_pDH.get();
    for (std::size_t v = 0; v < nHr; v += kCarriles) {
      const V8 hv = Vec(h + v);
      V8 s = V8{};
      for (std::size_t k = 0; k < nS; ++k) {
        double* w = m.m_pFilas2.get() + k * nHr + v;
        double* inc = m.m_pIncFilas2.get() + k * nHr + v;
        const V8 cambio = mom * Vec(inc) + adO[k] * hv;
        Vec(inc) = cambio;
        const V8 nuevo = Vec(w) + cambio;
        Vec(w) = nuevo;
        s = s + nuevo * dO[k];
      }
      Vec(dH + v) = hv * (1.0 - hv) * s;
    }
  }

  // Step 4 for G groups of hidden neurons; with Siguiente, the next sample's
  // sums through each weight just written.
  template <int G, bool Siguiente>
  static NRV_EN_LINEA void OcultaYSiguiente(M& m, std::size_t b0, const double* x, const double* xs, double a,
                                            double mom) {
    const std::size_t nE = m.m_red.nEntradas, paso = (nE + 1) * kCarriles;
    double* w[G];
    double* inc[G];
    V8 ad[G], acc[G];
    for (int g = 0; g < G; ++g) {
      w[g] = m.m_pPesos1.get() + (b0 + g) * paso;
      inc[g] = m.m_pInc1.get() + (b0 + g) * paso;
      ad[g] = a * Vec(m.m_pDH.get() + (b0 + g) * kCarriles);
      acc[g] = V8{};
    }
    for (std::size_t j = 0; j < nE; ++j) {
      const double xj = x[j];
      double xsj = 0.0;
      if constexpr (Siguiente) xsj = xs[j];
      for (int g = 0; g < G; ++g) {
        double* pi = inc[g] + j * kCarriles;
        double* pw = w[g] + j * kCarriles;
        const V8 cambio = mom * Vec(pi) + ad[g] * xj;
        Vec(pi) = cambio;
        const V8 nuevo = Vec(pw) + cambio;
        Vec(pw) = nuevo;
        if constexpr (Siguiente) acc[g] = acc[g] + nuevo * xsj;
      }
    }
    for (int g = 0; g < G; ++g) {
      double* pi = inc[g] + nE * kCarriles;
      double* pw = w[g] + nE * kCarriles;
      const V8 cambio = mom * Vec(pi) + ad[g];
      Vec(pi) = cambio;
      Vec(pw) = Vec(pw) + cambio;
      if constexpr (Siguiente) Vec(m.m_pSumas.get() + (b0 + g) * kCarriles) = acc[g];
    }
  }

  template <bool Siguiente>
  static NRV_EN_LINEA void Oculta(M& m, const double* x, const double* xs, double a, double mom) {
    const std::size_t nB = m.m_nBloquesOcultos;
    std::size_t b = 0;
    for (; b + 2 <= nB; b += 2) OcultaYSiguiente<2, Siguiente>(m, b, x, xs, a, mom);
    if (b < nB) OcultaYSiguiente<1, Siguiente>(m, b, x, xs, a, mom);
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

  static NRV_EN_LINEA MedidasConjunto Medir(M& m, const CConjuntoDatos& c) {
    MedidasConjunto r{0.0, 0.0, 0, 0.0};
    const UINT n = c.m_nMuestras, nS = m.m_red.nSalidas;
    const bool hayX = m.m_red.nEntradas != 0;
    const double* o = m.m_pO.get();
    double dSuma = 0.0;
    for (UINT s = 0; s < n; ++s) {
      PropagarOculta(m, hayX ? c.m_matEntradas.m_ppFilas[s] : nullptr);
      SalidasDesdeSumas(m);
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
  CuerpoMotor::Epoca(m, c, a, mom);
}
__attribute__((target("avx2"))) void EpocaAvx2(CMotorPerceptron& m, const CConjuntoDatos& c, double a,
                                                double mom) {
  CuerpoMotor::Epoca(m, c, a, mom);
}
void EpocaBase(CMotorPerceptron& m, const CConjuntoDatos& c, double a, double mom) {
  CuerpoMotor::Epoca(m, c, a, mom);
}

__attribute__((target("avx512f"))) MedidasConjunto MedirAvx512(CMotorPerceptron& m, const CConjuntoDatos& c) {
  return CuerpoMotor::Medir(m, c);
}
__attribute__((target("avx2"))) MedidasConjunto MedirAvx2(CMotorPerceptron& m, const CConjuntoDatos& c) {
  return CuerpoMotor::Medir(m, c);
}
MedidasConjunto MedirBase(CMotorPerceptron& m, const CConjuntoDatos& c) { return CuerpoMotor::Medir(m, c); }

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
  m_pPesos1 = Reservar(n1);
  m_pInc1 = Reservar(n1);
  m_pPesos2 = Reservar(n2);
  m_pInc2 = Reservar(n2);
  m_pFilas2 = Reservar(std::size_t(red.nSalidas) * nHr);
  m_pIncFilas2 = Reservar(std::size_t(red.nSalidas) * nHr);
  m_pSumas = Reservar(nHr);
  m_pH = Reservar(nHr);
  m_pDH = Reservar(nHr);
  m_pO = Reservar(nSr);
  m_pDO = Reservar(nSr);
  m_pADO = Reservar(nSr);
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

MedidasConjunto CMotorPerceptron::MedirConjunto(const CConjuntoDatos& conjunto) {
  if (!ConjuntoValido(m_red, conjunto)) return MedidasConjunto{0.0, 0.0, 0, 0.0};
  Cargar();
  switch (m_variante) {
    case VarianteMotor::Avx512:
      return MedirAvx512(*this, conjunto);
    case VarianteMotor::Avx2:
      return MedirAvx2(*this, conjunto);
    default:
      return MedirBase(*this, conjunto);
  }
}
