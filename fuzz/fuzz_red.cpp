// A network document (".nrv") of any bytes, read the way opening a document
// reads it. What loads must then train one epoch, verify, export both ways,
// as C and as the curves' picture, and save again without reading past any
// of its vectors.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "data/conjunto.h"
#include "framework/archivo.h"
#include "fuzz/apoyo_fuzz.h"
#include "network/aritmetica.h"
#include "network/dialogos.h"
#include "network/epoca.h"
#include "network/exportar.h"
#include "network/exportar_c.h"
#include "network/nodusdoc.h"
#include "plan/lamina.h"
#include "plan/svg.h"

namespace {

CString g_strVerificacion;

void AntesDeDialogo(CDialog& dlg) {
  if (auto* p = dynamic_cast<CVerificarDlg*>(&dlg)) p->m_strFichero = g_strVerificacion;
}

bool Cargar(CNodusDoc& doc, const void* datos, std::size_t tam) {
  try {
    CArchive ar(datos, tam);
    doc.Serialize(ar);
    ar.Close();
    return true;
  } catch (const CArchiveException&) {
  } catch (const CMemoryException&) {
  } catch (const std::bad_alloc&) {
  }
  return false;
}

void Anadir(std::string& s, const void* p, std::size_t n) { s.append(static_cast<const char*>(p), n); }

// Two samples of the document's shape in the binary format.
std::string Muestras(UINT nEntradas, UINT nSalidas) {
  std::string s;
  const UINT cabecera[3] = {nEntradas, nSalidas, 2};
  Anadir(s, cabecera, sizeof cabecera);
  for (UINT m = 0; m < 2; ++m) {
    for (UINT i = 0; i < nEntradas; ++i) {
      const double x = m == 0 ? 0.25 : -1.0 + i % 3;
      Anadir(s, &x, sizeof x);
    }
    for (UINT k = 0; k < nSalidas; ++k) {
      const double t = (k + m) % 2;
      Anadir(s, &t, sizeof t);
    }
  }
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
  static CHostFuzz host;
  static CFicheroFuzz verificacion(".bin");
  static CFicheroFuzz pesosBinarios("-pesos.bin");
  static bool preparado = [] {
    // Exports go to the null device, the binary one through a link whose
    // name asks for the binary form.
    ::unlink(pesosBinarios.Ruta().c_str());
    if (::symlink("/dev/null", pesosBinarios.Ruta().c_str()) != 0) std::abort();
    host.antes = AntesDeDialogo;
    return true;
  }();
  (void)preparado;
  host.Empezar();

  CNodusDoc doc;
  if (!Cargar(doc, datos, tam)) return 0;

  // The shapes that training, verification and the exports rely on.
  if (doc.m_matPesosOculta.m_nFilas != doc.m_nOcultas || doc.m_matPesosOculta.m_nColumnas != doc.m_nEntradas + 1 ||
      doc.m_matPesosSalida.m_nFilas != doc.m_nSalidas || doc.m_matPesosSalida.m_nColumnas != doc.m_nOcultas + 1 ||
      doc.m_arrErrorMaximo.m_nTam != doc.m_nMaxEpocas || doc.m_nEpoca > doc.m_nMaxEpocas ||
      doc.m_nPuntos > doc.m_nMaxEpocas)
    std::abort();

  const std::string muestras = Muestras(doc.m_nEntradas, doc.m_nSalidas);
  g_strVerificacion = verificacion.Escribir(reinterpret_cast<const std::uint8_t*>(muestras.data()), muestras.size());

  // One epoch and one measuring pass, as the training thread runs them.
  {
    CConjuntoDatos conjunto;
    if (!conjunto.Cargar(g_strVerificacion)) std::abort();
    const RedPerceptron red{doc.m_nEntradas,     doc.m_nOcultas,      doc.m_nSalidas,     &doc.m_matPesosOculta,
                            &doc.m_matPesosSalida, &doc.m_matIncOculta, &doc.m_matIncSalida};
    std::vector<double> h(doc.m_nOcultas), o(doc.m_nSalidas), dO(doc.m_nSalidas), dH(doc.m_nOcultas);
    EntrenarEpoca(red, conjunto, h.data(), o.data(), dO.data(), dH.data(), doc.m_dAprendizaje, doc.m_dMomento);
    (void)MedirConjunto(red, conjunto, h.data(), o.data());
  }

  // Verification through its dialogs, then the view's reading of the
  // history and both exports.
  doc.OnVerificar();
  volatile double suma = 0.0;
  for (UINT i = 0; i < doc.m_nPuntos.load(); ++i)
    suma = suma + doc.m_arrErrorMaximo.m_pDatos[i] + doc.m_arrErrorTotal.m_pDatos[i] + doc.m_arrAciertos.m_pDatos[i];
  host.m_strRuta = "/dev/null";
  doc.OnGuardarHistorial();
  doc.OnGuardarPesos();
  host.m_strRuta = pesosBinarios.Ruta();
  doc.OnGuardarPesos();
  host.m_strRuta.clear();
  (void)BytesHistorialCsv(doc);

  // The C source and the curves' picture, as nrv-cli writes them.
  OpcionesFuenteC op;
  op.strPrefijo = "red";
  if (!FuenteC(doc.GetRed(), op)) std::abort();
  EntradaPlan e;
  e.nMaxEpocas = doc.m_nMaxEpocas;
  e.dErrorMaximo = doc.m_dErrorMaximo;
  e.bHayPuntos = doc.m_nPuntos.load() != 0;
  e.n = std::min({doc.m_nPuntos.load(), doc.m_arrErrorMaximo.m_nTam, doc.m_arrErrorTotal.m_nTam, doc.m_arrAciertos.m_nTam});
  e.pErrorMaximo = doc.m_arrErrorMaximo.m_pDatos;
  e.pErrorTotal = doc.m_arrErrorTotal.m_pDatos;
  e.pAciertos = doc.m_arrAciertos.m_pDatos;
  if (SvgLamina(PlanificarLamina(e), doc.m_strFicheroEntrenamiento).empty()) std::abort();

  // What was loaded saves, and the saved bytes load again. Factors far out
  // of range may have made the epoch above leave weights that are not
  // finite: such a network is refused, never written.
  std::vector<BYTE> guardado;
  try {
    CArchive ar(guardado);
    doc.Serialize(ar);
    ar.Close();
  } catch (const CArchiveException&) {
    auto finita = [](const CMatrizReales& m) {
      for (UINT i = 0; i < m.m_nFilas; ++i)
        for (UINT j = 0; j < m.m_nColumnas; ++j)
          if (!std::isfinite(m.m_ppFilas[i][j])) return false;
      return true;
    };
    if (finita(doc.m_matPesosOculta) && finita(doc.m_matPesosSalida) && finita(doc.m_matIncOculta) &&
        finita(doc.m_matIncSalida))
      std::abort();
    return 0;
  }
  CNodusDoc otra;
  if (!Cargar(otra, guardado.data(), guardado.size()) || otra.m_opciones != doc.m_opciones) std::abort();
  return 0;
}
