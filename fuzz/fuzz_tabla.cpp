// A table (".csv") of any bytes: read, its scheme made and applied to it,
// and the data file written read back to the very same doubles.
#include <cstring>

#include "data/importar.h"
#include "fuzz/apoyo_fuzz.h"

namespace {

bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
  static CHostFuzz host;
  static CFicheroFuzz fichero(".txt");
  host.Empezar();
  const Resultado<Tabla> t =
      LeerTablaBytes("t.csv", std::string(reinterpret_cast<const char*>(datos), tam), OpcionesTabla());
  if (!t) return 0;
  if (t->lineas.size() != t->filas.size()) std::abort();
  for (std::size_t i = 1; i < t->lineas.size(); ++i)
    if (t->lineas[i] <= t->lineas[i - 1]) std::abort();
  const Resultado<CEsquema> e = CrearEsquema(*t, OpcionesEsquema());
  if (!e) return 0;
  // The scheme of a table applies to that table, and survives its file.
  const Resultado<ConjuntoEsquema> c = AplicarEsquema(*t, *e, "e.json", true);
  if (!c || !c->bObjetivos) std::abort();
  const Resultado<CEsquema> leido = LeerEsquemaTexto("e.json", TextoEsquema(*e));
  if (!leido || TextoEsquema(*leido) != TextoEsquema(*e)) std::abort();
  const CConjuntoDatos& d = *c->pConjunto;
  if (d.m_nMuestras > 4096) return 0;
  const std::string bytes = BytesDatos(d, false, {"t.csv"});
  CConjuntoDatos r;
  if (!r.Cargar(fichero.Escribir(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))) std::abort();
  if (r.m_nMuestras != d.m_nMuestras || r.m_nEntradas != d.m_nEntradas || r.m_nSalidas != d.m_nSalidas) std::abort();
  for (UINT s = 0; s < d.m_nMuestras; ++s) {
    for (UINT j = 0; j < d.m_nEntradas; ++j)
      if (!MismosBits(r.m_matEntradas.m_ppFilas[s][j], d.m_matEntradas.m_ppFilas[s][j])) std::abort();
    for (UINT k = 0; k < d.m_nSalidas; ++k)
      if (!MismosBits(r.m_matSalidas.m_ppFilas[s][k], d.m_matSalidas.m_ppFilas[s][k])) std::abort();
  }
  if (host.m_nMensajes != 0) std::abort();  // the loader found nothing to say
  return 0;
}
