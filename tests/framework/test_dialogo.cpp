// Dialogs: the control model from the template, data exchange of strings,
// doubles, counts and check boxes with every framework message, range
// checks, modal runs through the host and the file dialog.
#include <gtest/gtest.h>

#include <clocale>

#include "framework/dialogo.h"
#include "resources/plantillas.h"
#include "resources/resource.h"
#include "tests/support/test_host.h"

namespace {

constexpr int kTexto = 1000;
constexpr int kReal = 1005;
constexpr int kCuenta = 1004;
constexpr int kCasilla = 1034;
constexpr int kOtroReal = 1002;

// A dialog in the program's manner: fields exchanged in order, each
// followed by its range check.
class CDialogoPrueba : public CDialog {
 public:
  CDialogoPrueba() : CDialog(0) {}
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kTexto, m_strTexto);
    DDX_Text(pDX, kReal, m_dReal);
    DDV_MinMaxDouble(pDX, m_dReal, 0.0, 1.0);
    DDX_Text(pDX, kCuenta, m_nCuenta);
    DDV_MinMaxUInt(pDX, m_nCuenta, 1, 400);
    DDX_Text(pDX, kOtroReal, m_dOtro);
    DDV_MinMaxDouble(pDX, m_dOtro, 0.0, 0.5);
    DDX_Check(pDX, kCasilla, m_bCasilla);
  }
  CString m_strTexto = "iris-train.txt";
  double m_dReal = 0.1;
  UINT m_nCuenta = 100;
  double m_dOtro = 0.7 / 7.0;
  BOOL m_bCasilla = FALSE;
};

CString Texto(CDialog& d, int id) { return d.GetDlgItem(id)->GetWindowText(); }

// Fills every field with valid text, then puts texto in control id and
// presses OK; returns the message boxes shown.
std::vector<CString> Probar(CTestHost& host, CDialogoPrueba& d, int id, const CString& texto) {
  d.UpdateData(FALSE);
  Escribir(d, kReal, "0.5");
  Escribir(d, kCuenta, "10");
  Escribir(d, kOtroReal, "0.25");
  Escribir(d, id, texto);
  host.Limpiar();
  PulsarOK(d);
  return host.Textos();
}

TEST(ModeloDeControles, SeConstruyeDeLaPlantillaSinLosEstaticos) {
  CTestHost host;
  const PlantillaDialogo* p = AfxBuscarPlantilla(IDD_VERIFICAR);
  ASSERT_NE(p, nullptr);
  CDialog d(IDD_VERIFICAR);
  EXPECT_EQ(d.GetTemplateId(), static_cast<UINT>(IDD_VERIFICAR));
  EXPECT_EQ(d.GetWindowText(), p->titulo);
  std::size_t conId = 0;
  for (const auto& c : p->controles) {
    if (c.id == IDC_STATIC) continue;
    ++conId;
    bool hallado = false;
    for (const auto& ctl : d.Controls())
      if (ctl->GetDlgCtrlID() == c.id) {
        hallado = true;
        EXPECT_EQ(ctl->GetWindowText(), c.texto);
      }
    EXPECT_TRUE(hallado) << c.id;
  }
  EXPECT_EQ(d.Controls().size(), conId);
}

TEST(ModeloDeControles, UnaPlantillaDesconocidaDaUnModeloVacio) {
  CTestHost host;
  CDialog d(4242);
  EXPECT_TRUE(d.Controls().empty());
  EXPECT_NE(d.GetDlgItem(1000), nullptr);  // controls still appear on use
}

TEST(IntercambioDeDatos, AlMostrarLosNumerosVanEnConvencionC) {
  CTestHost host;
  CDialogoPrueba d;
  d.m_dOtro = 0.1 + 0.2;  // 15 digits hide the last bit
  d.m_bCasilla = TRUE;
  EXPECT_TRUE(d.UpdateData(FALSE));
  EXPECT_EQ(Texto(d, kTexto), "iris-train.txt");
  EXPECT_EQ(Texto(d, kReal), "0.1");
  EXPECT_EQ(Texto(d, kCuenta), "100");
  EXPECT_EQ(Texto(d, kOtroReal), "0.3");
  EXPECT_EQ(d.GetDlgItem(kCasilla)->GetCheck(), 1);
  d.m_dReal = 1.0 / 3.0;
  d.m_nCuenta = 4294967295u;
  d.UpdateData(FALSE);
  EXPECT_EQ(Texto(d, kReal), "0.333333333333333");
  EXPECT_EQ(Texto(d, kCuenta), "4294967295");
}

TEST(IntercambioDeDatos, ElIdaYVueltaConservaLosValores) {
  CTestHost host;
  CDialogoPrueba d;
  d.UpdateData(FALSE);
  Escribir(d, kTexto, "otro fichero.dat");
  Escribir(d, kReal, " 1e-3 ");
  Escribir(d, kCuenta, " 400\t");
  Escribir(d, kOtroReal, ".5");
  d.GetDlgItem(kCasilla)->SetCheck(1);
  EXPECT_TRUE(d.UpdateData(TRUE));
  EXPECT_EQ(d.m_strTexto, "otro fichero.dat");
  EXPECT_EQ(d.m_dReal, 0.001);
  EXPECT_EQ(d.m_nCuenta, 400u);
  EXPECT_EQ(d.m_dOtro, 0.5);
  EXPECT_EQ(d.m_bCasilla, TRUE);
  EXPECT_TRUE(host.Textos().empty());
}

TEST(IntercambioDeDatos, ConLaConfiguracionRegionalEspanolaSigueElPunto) {
  CTestHost host;
  if (!std::setlocale(LC_ALL, "es_ES.UTF-8")) GTEST_SKIP() << "sin es_ES.UTF-8";
  CDialogoPrueba d;
  d.UpdateData(FALSE);
  EXPECT_EQ(Texto(d, kReal), "0.1");
  EXPECT_EQ(Probar(host, d, kReal, "0,5"), std::vector<CString>{"Introduzca un número."});
  EXPECT_EQ(Probar(host, d, kReal, "0.75"), std::vector<CString>{});
  EXPECT_EQ(d.m_dReal, 0.75);
  std::setlocale(LC_ALL, "C");
}

TEST(IntercambioDeDatos, UnTextoQueNoEsUnNumeroRealSeRechaza) {
  CTestHost host;
  for (const char* malo : {"0,5", "", "   ", "0.5x", "x0.5", "inf", "nan", "0x10", "1e400", "-", ".", "1 2"}) {
    CDialogoPrueba d;
    EXPECT_EQ(Probar(host, d, kReal, malo), std::vector<CString>{"Introduzca un número."}) << malo;
    EXPECT_FALSE(d.IsEnded()) << malo;
    EXPECT_EQ(d.GetFocusControl(), kReal) << malo;
    EXPECT_EQ(d.m_dReal, 0.1) << malo;  // untouched
  }
}

TEST(IntercambioDeDatos, UnTextoQueNoEsUnaCuentaSeRechaza) {
  CTestHost host;
  for (const char* malo : {"-1", "+5", "1.0", "", "4294967296", "99999999999999999999", "12a", "0x1F", "1e2"}) {
    CDialogoPrueba d;
    EXPECT_EQ(Probar(host, d, kCuenta, malo), std::vector<CString>{"Introduzca un número entero positivo."}) << malo;
    EXPECT_EQ(d.GetFocusControl(), kCuenta) << malo;
    EXPECT_EQ(d.m_nCuenta, 100u) << malo;
  }
}

TEST(IntercambioDeDatos, LosMensajesLlevanExclamacionYUnSoloBoton) {
  CTestHost host;
  CDialogoPrueba d;
  Probar(host, d, kReal, "abc");
  ASSERT_EQ(host.Mensajes().size(), 1u);
  EXPECT_EQ(host.Mensajes()[0].estilo, MB_ICONEXCLAMATION);
  EXPECT_EQ(host.Mensajes()[0].estilo & MB_TYPEMASK, MB_OK);
}

TEST(ComprobacionDeRangos, LosLimitesEntranYLoDeFueraSeRechazaConLosLimites) {
  CTestHost host;
  CDialogoPrueba d;
  EXPECT_TRUE(Probar(host, d, kOtroReal, "0").empty());
  EXPECT_TRUE(Probar(host, d, kOtroReal, "0.5").empty());
  EXPECT_EQ(Probar(host, d, kOtroReal, "0.51"), std::vector<CString>{"Introduzca un número entre 0 y 0.5."});
  EXPECT_EQ(d.GetFocusControl(), kOtroReal);
  EXPECT_EQ(Probar(host, d, kOtroReal, "-0.01"), std::vector<CString>{"Introduzca un número entre 0 y 0.5."});
  EXPECT_TRUE(Probar(host, d, kReal, "1").empty());
  EXPECT_EQ(Probar(host, d, kReal, "1.0000001"), std::vector<CString>{"Introduzca un número entre 0 y 1."});
  EXPECT_TRUE(Probar(host, d, kCuenta, "1").empty());
  EXPECT_TRUE(Probar(host, d, kCuenta, "400").empty());
  EXPECT_EQ(Probar(host, d, kCuenta, "401"), std::vector<CString>{"Introduzca un número entero entre 1 y 400."});
  EXPECT_EQ(Probar(host, d, kCuenta, "0"), std::vector<CString>{"Introduzca un número entero entre 1 y 400."});
  EXPECT_EQ(d.GetFocusControl(), kCuenta);
}

TEST(ComprobacionDeRangos, LosLimitesRealesSeEscribenConQuinceCifras) {
  CTestHost host;
  CDataExchange dx(nullptr, TRUE);
  try {
    DDV_MinMaxDouble(&dx, 2.0, 1.0 / 3.0, 1e-7 + 1.0);
    ADD_FAILURE() << "no rechazado";
  } catch (const CUserException&) {
  }
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Introduzca un número entre 0.333333333333333 y 1.0000001."});
}

TEST(ComprobacionDeRangos, SoloSeCompruebaAlGuardar) {
  CTestHost host;
  CDialogoPrueba d;
  d.m_dOtro = 0.9;
  d.m_nCuenta = 0;
  EXPECT_TRUE(d.UpdateData(FALSE));
  EXPECT_TRUE(host.Textos().empty());
  EXPECT_EQ(Texto(d, kOtroReal), "0.9");
}

TEST(ComprobacionDeRangos, ElPrimerFalloDetieneElIntercambio) {
  CTestHost host;
  CDialogoPrueba d;
  d.UpdateData(FALSE);
  Escribir(d, kTexto, "nuevo");
  Escribir(d, kReal, "2");      // out of range
  Escribir(d, kCuenta, "abc");  // never reached
  Escribir(d, kOtroReal, "0.3");
  d.GetDlgItem(kCasilla)->SetCheck(1);
  EXPECT_FALSE(d.UpdateData(TRUE));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Introduzca un número entre 0 y 1."});
  EXPECT_EQ(d.GetFocusControl(), kReal);
  EXPECT_EQ(d.m_strTexto, "nuevo");  // exchanged before the failure
  EXPECT_EQ(d.m_dReal, 2.0);         // as the framework does: read, then checked
  EXPECT_EQ(d.m_nCuenta, 100u);
  EXPECT_EQ(d.m_bCasilla, FALSE);
}

TEST(DialogoModal, AceptarConDatosValidosTerminaConIDOK) {
  CTestHost host;
  host.guionDialogos.push_back([](CDialog& dlg) {
    EXPECT_EQ(dlg.GetDlgItem(kReal)->GetWindowText(), "0.1");  // OnInitDialog showed the members
    Escribir(dlg, kReal, "0.2");
    PulsarOK(dlg);
  });
  CDialogoPrueba d;
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.m_dReal, 0.2);
}

TEST(DialogoModal, UnDatoInvalidoDejaElDialogoAbiertoHastaCorregirlo) {
  CTestHost host;
  host.guionDialogos.push_back([](CDialog& dlg) {
    Escribir(dlg, kCuenta, "0");
    PulsarOK(dlg);
    EXPECT_FALSE(dlg.IsEnded());
    EXPECT_EQ(dlg.GetFocusControl(), kCuenta);
    Escribir(dlg, kCuenta, "7");
    PulsarOK(dlg);
    EXPECT_TRUE(dlg.IsEnded());
  });
  CDialogoPrueba d;
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.m_nCuenta, 7u);
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Introduzca un número entero entre 1 y 400."});
}

TEST(DialogoModal, CancelarNoTocaLosMiembros) {
  CTestHost host;
  host.guionDialogos.push_back([](CDialog& dlg) {
    Escribir(dlg, kReal, "0.9");
    PulsarCancel(dlg);
  });
  CDialogoPrueba d;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(d.m_dReal, 0.1);
  EXPECT_TRUE(host.Textos().empty());
}

TEST(DialogoModal, EndDialogDevuelveSuValor) {
  CTestHost host;
  host.guionDialogos.push_back([](CDialog& dlg) { dlg.EndDialog(IDC_NO); });
  CDialog d(IDD_GUARDAR_CAMBIOS);
  EXPECT_EQ(d.DoModal(), IDC_NO);
  // A second showing starts afresh: unscripted, the host cancels it.
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_FALSE(d.IsEnded());
}

TEST(DialogoDeFicheros, PasaPorElHostConSusDatos) {
  CTestHost host;
  host.respuestasFichero.push_back("/tmp/datos/iris.txt");
  CFileDialog dlg(TRUE, "", "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  {{"Ficheros ASCII (*.txt;*.dat)", "*.txt;*.dat"}, {"Todos los ficheros (*.*)", "*.*"}},
                  "Examinar Archivos");
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.GetPathName(), "/tmp/datos/iris.txt");
  EXPECT_EQ(dlg.GetFileExt(), "txt");
  ASSERT_EQ(host.dialogosFichero.size(), 1u);
  EXPECT_EQ(host.dialogosFichero[0].m_strTitulo, "Examinar Archivos");
  EXPECT_EQ(host.dialogosFichero[0].m_filtros.size(), 2u);
  CFileDialog otro(TRUE, "", "", 0, {}, "");
  EXPECT_EQ(otro.DoModal(), IDCANCEL);
}

TEST(DialogoDeFicheros, LaExtensionEsLoQueSigueAlUltimoPuntoDelNombre) {
  auto ext = [](const CString& ruta) {
    CFileDialog d(TRUE, "", "", 0, {}, "");
    d.m_strPathName = ruta;
    return d.GetFileExt();
  };
  EXPECT_EQ(ext("/a/b/red.nrv"), "nrv");
  EXPECT_EQ(ext("/a/b/datos.IE3"), "IE3");
  EXPECT_EQ(ext("copia.tar.gz"), "gz");
  EXPECT_EQ(ext("/a.b/sin_extension"), "");
  EXPECT_EQ(ext("/a/b/acaba."), "");
  EXPECT_EQ(ext(""), "");
}

}  // namespace
