// What the training thread runs on a data file of any bytes: loaded as it
// loads it, then one epoch of the fast engine and its measuring pass on a
// small network of the file's shape, side by side with the reference
// loops. The first byte chooses the format (text or binary), the hidden
// neurons and the factors. Every value loaded is finite, and both ways
// give the same bits.
#include <cmath>
#include <cstring>
#include <vector>

#include "data/conjunto.h"
#include "fuzz/apoyo_fuzz.h"
#include "network/aritmetica.h"
#include "network/epoca.h"
#include "network/motor.h"
#include "network/nodusdoc.h"

namespace {

bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)); }

void Iguales(const CMatrizReales& a, const CMatrizReales& b) {
  for (UINT i = 0; i < a.m_nFilas; ++i)
    for (UINT j = 0; j < a.m_nColumnas; ++j)
      if (!MismosBits(a.m_ppFilas[i][j], b.m_ppFilas[i][j])) std::abort();
}

// A network with the document's random weights.
struct Red {
  CMatrizReales po, ps, io, is;
  Red(UINT e, UINT o, UINT s) {
    po.Dimensionar(o, e + 1);
    io.Dimensionar(o, e + 1);
    ps.Dimensionar(s, o + 1);
    is.Dimensionar(s, o + 1);
    SemillaNodus(1);
    for (CMatrizReales* m : {&po, &ps})
      for (UINT i = 0; i < m->m_nFilas; ++i)
        for (UINT j = 0; j < m->m_nColumnas; ++j) m->m_ppFilas[i][j] = AleatorioNodus() * (1.0 / 32767.0) * 0.6 - 0.3;
  }
  RedPerceptron Vista(UINT e, UINT o, UINT s) { return RedPerceptron{e, o, s, &po, &ps, &io, &is}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
  static CHostFuzz host;
  static CFicheroFuzz texto(".txt");
  static CFicheroFuzz binario(".bin");
  if (tam == 0) return 0;
  host.Empezar();
  const std::uint8_t b = datos[0];
  CFicheroFuzz& f = (b & 1) ? binario : texto;
  const std::string& ruta = f.Escribir(datos + 1, tam - 1);

  CConjuntoDatos c;
  if (!c.Cargar(ruta)) return 0;
  for (const CMatrizReales* m : {&c.m_matEntradas, &c.m_matSalidas})
    for (UINT i = 0; i < m->m_nFilas && i < c.m_nMuestras; ++i)
      for (UINT j = 0; j < m->m_nColumnas; ++j)
        if (!std::isfinite(m->m_ppFilas[i][j])) std::abort();  // refused when loaded
  const UINT e = c.m_nEntradas, s = c.m_nSalidas, o = 1 + (b >> 1) % 6;
  if (e == 0 || s == 0 || e > 512 || s > 64) return 0;
  if (std::uint64_t(c.m_nMuestras) * (e + s) > (1u << 16)) return 0;
  const double dAprendizaje = (b & 0x80) ? 0.5 : 0.1;
  const double dMomento = (b & 0x40) ? 1.0 : 0.9;

  Red rapida(e, o, s), referencia(e, o, s);
  MedidasConjunto mr{}, mf{};
  {
    CMotorPerceptron motor(rapida.Vista(e, o, s));
    motor.EntrenarEpoca(c, dAprendizaje, dMomento);
    mr = motor.MedirConjunto(c);
  }
  {
    const RedPerceptron red = referencia.Vista(e, o, s);
    std::vector<double> h(o), out(s), dO(s), dH(o);
    EntrenarEpoca(red, c, h.data(), out.data(), dO.data(), dH.data(), dAprendizaje, dMomento);
    mf = MedirConjunto(red, c, h.data(), out.data());
  }
  Iguales(rapida.po, referencia.po);
  Iguales(rapida.ps, referencia.ps);
  Iguales(rapida.io, referencia.io);
  Iguales(rapida.is, referencia.is);
  if (!MismosBits(mr.dErrorMaximo, mf.dErrorMaximo) || !MismosBits(mr.dErrorTotal, mf.dErrorTotal) ||
      mr.nAciertos != mf.nAciertos)
    std::abort();
  return 0;
}
