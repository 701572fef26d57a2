// A new network made from a data file of any bytes, as New makes it: the
// dialog's checks on the file as both fields, then the document measures
// it and sizes the network by what it says. The first byte chooses the
// format (text or binary) and the hidden neurons. What is made must have
// the shape its file gives, and nothing larger than the file could
// describe; what is not made must have been said.
#include <cmath>

#include "data/conjunto.h"
#include "fuzz/apoyo_fuzz.h"
#include "network/dialogos.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"

namespace {

// Runs the new-network dialog as the user confirms it: the fields typed,
// then OK with the dialog's own checks. Shown again after a refusal, it is
// cancelled.
class CHostNueva : public CHostFuzz {
 public:
  INT_PTR DoModal(CDialog& dlg) override {
    if (m_nDialogos++ > 0) return IDCANCEL;
    dlg.OnInitDialog();
    dlg.GetDlgItem(IDC_FICHERO_ENTRENAMIENTO)->SetWindowText(m_strRuta);
    dlg.GetDlgItem(IDC_FICHERO_VERIFICACION)->SetWindowText(m_strRuta);
    dlg.GetDlgItem(IDC_OCULTAS)->SetWindowText(m_strOcultas);
    dlg.OnOK();
    return dlg.IsEnded() ? dlg.GetResult() : IDCANCEL;
  }
  CString m_strOcultas;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
  static CHostNueva host;
  static CFicheroFuzz texto(".txt");
  static CFicheroFuzz binario(".bin");
  if (tam == 0) return 0;
  host.Empezar();
  const bool bBinario = datos[0] & 1;
  const UINT nOcultas = 1 + (datos[0] >> 1) % 8;
  CFicheroFuzz& f = bBinario ? binario : texto;
  host.m_strRuta = f.Escribir(datos + 1, tam - 1);
  host.m_strOcultas = std::to_string(nOcultas);

  CNuevaRedDlg::RestablecerValores();
  SemillaNodus(1);
  CNodusDoc doc;
  if (!doc.OnNewDocument()) {
    if (host.m_nMensajes == 0) std::abort();
    return 0;
  }

  // The shape the file gives, no more than its bytes can tell.
  CConjuntoDatos medido;
  UINT nEntradas = 0, nSalidas = 0;
  if (!medido.Dimensiones(host.m_strRuta, &nEntradas, &nSalidas)) std::abort();
  if (doc.m_nEntradas != nEntradas || doc.m_nSalidas != nSalidas || doc.m_nOcultas != nOcultas) std::abort();
  const std::uint64_t valores = std::uint64_t(nEntradas) + nSalidas;
  if (bBinario ? valores * 8 > tam : valores > tam) std::abort();
  if (doc.m_matPesosOculta.m_nFilas != nOcultas || doc.m_matPesosOculta.m_nColumnas != nEntradas + 1 ||
      doc.m_matPesosSalida.m_nFilas != nSalidas || doc.m_matPesosSalida.m_nColumnas != nOcultas + 1 ||
      doc.m_matIncOculta.m_nColumnas != nEntradas + 1 || doc.m_matIncSalida.m_nColumnas != nOcultas + 1 ||
      doc.m_arrErrorMaximo.m_nTam != doc.m_nMaxEpocas || doc.m_nEpoca != 0 || doc.m_nPuntos != 0)
    std::abort();
  // Every weight drawn in [-0.3, 0.3], every previous change zero.
  auto revisar = [](const CMatrizReales& pesos, const CMatrizReales& inc) {
    for (UINT i = 0; i < pesos.m_nFilas; ++i)
      for (UINT j = 0; j < pesos.m_nColumnas; ++j)
        if (!(std::fabs(pesos.m_ppFilas[i][j]) <= 0.3) || inc.m_ppFilas[i][j] != 0.0) std::abort();
  };
  revisar(doc.m_matPesosOculta, doc.m_matIncOculta);
  revisar(doc.m_matPesosSalida, doc.m_matIncSalida);
  return 0;
}
