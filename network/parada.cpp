#include "network/parada.h"

#include <random>

#include "framework/texto.h"

namespace {

// A draw in [0, n) without the bias of a plain modulo (mt19937's sequence
// is fixed by the standard, so the order is the same on every machine).
UINT Uniforme(std::mt19937& g, UINT n) {
  const std::uint64_t rango = std::uint64_t{1} << 32;
  const std::uint64_t limite = rango - rango % n;
  std::uint64_t x;
  do x = g(); while (x >= limite);
  return static_cast<UINT>(x % n);
}

// Every weight, then every previous change, of both layers, row by row.
template <typename F>
void Recorrer(const RedPerceptron& red, F f) {
  for (const CMatrizReales* m : {red.pPesosOculta, red.pPesosSalida, red.pIncOculta, red.pIncSalida})
    for (UINT i = 0; i < m->m_nFilas; ++i)
      for (UINT j = 0; j < m->m_nColumnas; ++j) f(m->m_ppFilas[i][j]);
}

std::size_t Cuantos(const RedPerceptron& red) {
  std::size_t n = 0;
  for (const CMatrizReales* m : {red.pPesosOculta, red.pPesosSalida, red.pIncOculta, red.pIncSalida})
    n += std::size_t(m->m_nFilas) * m->m_nColumnas;
  return n;
}

}  // namespace

void OrdenEpoca(std::vector<UINT>& orden, UINT nSemilla, UINT e) {
  const UINT n = static_cast<UINT>(orden.size());
  for (UINT i = 0; i < n; ++i) orden[i] = i;
  std::mt19937 g(nSemilla ^ (0x9E3779B9u * (e + 1)));
  for (UINT i = n; i > 1; --i) std::swap(orden[i - 1], orden[Uniforme(g, i)]);
}

CBarajado::CBarajado(CConjuntoDatos& conjunto, UINT nSemilla)
    : m_conjunto(conjunto),
      m_nSemilla(nSemilla),
      m_ppEntradas(conjunto.m_matEntradas.m_ppFilas),
      m_ppSalidas(conjunto.m_matSalidas.m_ppFilas),
      m_orden(conjunto.m_nMuestras),
      m_entradas(m_ppEntradas ? conjunto.m_nMuestras : 0),
      m_salidas(m_ppSalidas ? conjunto.m_nMuestras : 0) {}

void CBarajado::Epoca(UINT e) {
  OrdenEpoca(m_orden, m_nSemilla, e);
  for (std::size_t i = 0; i < m_entradas.size(); ++i) m_entradas[i] = m_ppEntradas[m_orden[i]];
  for (std::size_t i = 0; i < m_salidas.size(); ++i) m_salidas[i] = m_ppSalidas[m_orden[i]];
  if (m_ppEntradas) m_conjunto.m_matEntradas.m_ppFilas = m_entradas.data();
  if (m_ppSalidas) m_conjunto.m_matSalidas.m_ppFilas = m_salidas.data();
}

void CBarajado::Restaurar() {
  m_conjunto.m_matEntradas.m_ppFilas = m_ppEntradas;
  m_conjunto.m_matSalidas.m_ppFilas = m_ppSalidas;
}

CParadaTemprana::CParadaTemprana(const RedPerceptron& red, const OpcionesRed& op, const double* pErrorTotal,
                                 UINT nEpoca)
    : m_red(red), m_nPaciencia(op.nPaciencia), m_pesos(Cuantos(red)) {
  if (op.bMejor && op.nEpocaMejor < nEpoca && op.mejores.size() == m_pesos.size()) {
    m_bHay = true;
    m_nMejor = op.nEpocaMejor;
    m_dMejor = pErrorTotal[m_nMejor];
    m_pesos = op.mejores;
  }
}

void CParadaTemprana::Copiar() {
  std::size_t k = 0;
  Recorrer(m_red, [&](double& d) { m_pesos[k++] = d; });
}

bool CParadaTemprana::Epoca(UINT e, double dErrorTotal) {
  if (!m_bHay || dErrorTotal < m_dMejor) {
    m_bHay = true;
    m_nMejor = e;
    m_dMejor = dErrorTotal;
    Copiar();
    return false;
  }
  return e - m_nMejor >= m_nPaciencia;
}

void CParadaTemprana::Volver() {
  if (!m_bHay) return;
  std::size_t k = 0;
  Recorrer(m_red, [&](double& d) { d = m_pesos[k++]; });
}

void CParadaTemprana::Guardar(OpcionesRed& op) const {
  op.bMejor = m_bHay;
  op.nEpocaMejor = m_bHay ? m_nMejor : 0;
  if (m_bHay) op.mejores = m_pesos;
  else op.mejores.clear();
}

CString EstadoParadaTemprana(UINT nEpocaMejor) { return FormatC("Parada temprana: época %u", nEpocaMejor); }
