// The network document: creation from the new-network dialog, random
// weights, the .nrv file byte for byte, refusal of inconsistent files.
#include <cstring>

#include "tests/network/documento_apoyo.h"

namespace {

const CString kError = "Error en apertura de fichero";

class Documento : public ::testing::Test {
 protected:
  void SetUp() override { CNuevaRedDlg::RestablecerValores(); }
  void TearDown() override { CNuevaRedDlg::RestablecerValores(); }
  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};
  // Paths of 5 characters, relative to the test's folder: fixed offsets.
  ParametrosRed Corta() {
    carpeta.Escribir("a.txt", LeerFichero(Ejemplo("xor.txt")));
    carpeta.Escribir("b.txt", LeerFichero(Ejemplo("xor.txt")));
    ParametrosRed p;
    p.entrenamiento = "a.txt";
    p.verificacion = "b.txt";
    return p;
  }
  ParametrosRed Xor() {
    ParametrosRed p;
    p.entrenamiento = Ejemplo("xor.txt");
    p.verificacion = Ejemplo("xor.txt");
    return p;
  }
};

UINT U32(const std::vector<BYTE>& b, std::size_t off) {
  return UINT(b[off]) | UINT(b[off + 1]) << 8 | UINT(b[off + 2]) << 16 | UINT(b[off + 3]) << 24;
}

double F64(const std::vector<BYTE>& b, std::size_t off) {
  double d;
  std::memcpy(&d, b.data() + off, 8);
  return d;
}

bool Cargar(CNodusDoc& doc, const std::vector<BYTE>& bytes) {
  try {
    CArchive ar(bytes.data(), bytes.size());
    doc.Serialize(ar);
    return true;
  } catch (const CArchiveException&) {
    return false;
  }
}

}  // namespace

// ---------------------------------------------------------------- creation

TEST_F(Documento, NuevaRedTieneLasFormasYPesosDeLaPrimeraRed) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  EXPECT_TRUE(host.Textos().empty());
  EXPECT_EQ(doc.m_nEntradas, 2u);
  EXPECT_EQ(doc.m_nSalidas, 1u);
  EXPECT_EQ(doc.m_nOcultas, 3u);
  EXPECT_EQ(doc.m_matPesosOculta.m_nFilas, 3u);
  EXPECT_EQ(doc.m_matPesosOculta.m_nColumnas, 3u);
  EXPECT_EQ(doc.m_matPesosSalida.m_nFilas, 1u);
  EXPECT_EQ(doc.m_matPesosSalida.m_nColumnas, 4u);
  for (double v : Valores(doc.m_matIncOculta)) EXPECT_EQ(v, 0.0);
  for (double v : Valores(doc.m_matIncSalida)) EXPECT_EQ(v, 0.0);
  EXPECT_EQ(Valores(doc.m_matIncOculta).size(), 9u);
  EXPECT_EQ(Valores(doc.m_matIncSalida).size(), 4u);
  for (double v : Valores(doc.m_matPesosOculta)) {
    EXPECT_GE(v, -0.3);
    EXPECT_LE(v, 0.3);
  }
  // 41 is the first value of the unseeded C library sequence.
  EXPECT_EQ(doc.m_matPesosOculta.m_ppFilas[0][0], 41 * (1.0 / 32767) * 0.6 - 0.3);
  EXPECT_EQ(1.0 / 32767, 3.051850947599719e-05);
  EXPECT_EQ(doc.m_arrErrorMaximo.m_nTam, 100u);
  EXPECT_EQ(doc.m_arrErrorTotal.m_nTam, 100u);
  EXPECT_EQ(doc.m_arrAciertos.m_nTam, 100u);
  for (double v : Valores(doc.m_arrAciertos)) EXPECT_EQ(v, 0.0);
  EXPECT_EQ(doc.m_nEpoca, 0u);
  EXPECT_EQ(doc.m_nPuntos, 0u);
  EXPECT_FALSE(doc.m_bEntrenada);
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_EQ(doc.GetEstado(), "");
  EXPECT_FALSE(doc.IsModified());
  EXPECT_DOUBLE_EQ(doc.m_dAprendizaje, 0.1);
  EXPECT_DOUBLE_EQ(doc.m_dMomento, 0.9);
  EXPECT_DOUBLE_EQ(doc.m_dErrorMaximo, 0.7);
  EXPECT_EQ(doc.m_nMaxEpocas, 100u);
}

TEST_F(Documento, ElGeneradorSigueLaSecuenciaDeLaBibliotecaCYContinuaEntreRedes) {
  SemillaNodus(1);
  const int esperados[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  for (int v : esperados) EXPECT_EQ(AleatorioNodus(), v);

  // A second network continues the sequence: 13 values for the first one.
  CNodusDoc a, b;
  ASSERT_TRUE(CrearRed(host, a, Xor()));
  GuionNuevaRed(host, Xor());
  ASSERT_TRUE(b.OnNewDocument());
  SemillaNodus(1);
  for (int i = 0; i < 13; ++i) AleatorioNodus();
  EXPECT_EQ(b.m_matPesosOculta.m_ppFilas[0][0], AleatorioNodus() * (1.0 / 32767) * 0.6 - 0.3);
  EXPECT_NE(Valores(a.m_matPesosOculta), Valores(b.m_matPesosOculta));
}

TEST_F(Documento, CancelarElDialogoNoCreaNada) {
  CNodusDoc doc;
  doc.m_nPuntos = 7;
  host.guionDialogos.push_back([](CDialog& d) { PulsarCancel(d); });
  EXPECT_FALSE(doc.OnNewDocument());
  EXPECT_EQ(doc.m_nPuntos, 0u);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Documento, UnFicheroDeUnaSolaLineaLoRechazaYaElDialogo) {
  CNodusDoc doc;
  // Passes the dialog (it opens) but has a single data line: not measurable.
  const std::string uno = carpeta.Escribir("uno.txt", "0 1\n");
  ParametrosRed p = Xor();
  p.entrenamiento = uno;
  p.verificacion = uno;
  // The dialog refuses it; the user then gives up.
  GuionNuevaRed(host, p);
  EXPECT_FALSE(doc.OnNewDocument());
  EXPECT_EQ(host.Textos(), std::vector<CString>{" No se han podido dimensionar los datos. "});
}

TEST_F(Documento, CadaMensajeDeOnNewDocumentYElDialogoReaparece) {
  // Files that pass the dialog but not the document: the dialog checks the
  // verification file against the training file, the document measures
  // each one itself. A file that changes between the two shows it.
  CNodusDoc doc;
  const std::string ent = carpeta.Escribir("ent.txt", LeerFichero(Ejemplo("xor.txt")));
  const std::string ver = carpeta.Escribir("ver.txt", LeerFichero(Ejemplo("xor.txt")));
  ParametrosRed p = Xor();
  p.entrenamiento = ent;
  p.verificacion = ver;
  p.ocultas = "5";

  std::vector<CString> vistos;
  // 1: after the dialog accepts, the training file becomes unreadable.
  host.guionDialogos.push_back([&](CDialog& d) {
    Escribir(d, IDC_FICHERO_ENTRENAMIENTO, p.entrenamiento);
    Escribir(d, IDC_FICHERO_VERIFICACION, p.verificacion);
    Escribir(d, IDC_OCULTAS, p.ocultas);
    PulsarOK(d);
    carpeta.Escribir("ent.txt", "");
  });
  // 2: the dialog shows what was confirmed; the training file is back but
  // the verification file is gone.
  host.guionDialogos.push_back([&](CDialog& d) {
    vistos.push_back(d.GetDlgItem(IDC_OCULTAS)->GetWindowText());
    vistos.push_back(d.GetDlgItem(IDC_FICHERO_ENTRENAMIENTO)->GetWindowText());
    carpeta.Escribir("ent.txt", LeerFichero(Ejemplo("xor.txt")));
    PulsarOK(d);
    carpeta.Escribir("ver.txt", "");
  });
  // 3: the verification file has one output more.
  host.guionDialogos.push_back([&](CDialog& d) {
    carpeta.Escribir("ver.txt", LeerFichero(Ejemplo("xor.txt")));
    PulsarOK(d);
    carpeta.Escribir("ver.txt", "0 0\n0 1\n1 1\n1 0\n");
  });
  // 4: everything fits.
  host.guionDialogos.push_back([&](CDialog& d) {
    vistos.push_back(d.GetDlgItem(IDC_FICHERO_VERIFICACION)->GetWindowText());
    carpeta.Escribir("ver.txt", LeerFichero(Ejemplo("xor.txt")));
    PulsarOK(d);
  });
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(host.Textos(), (std::vector<CString>{kError, kError, "Dimensiones Erroneas"}));
  for (const auto& m : host.Mensajes()) {
    EXPECT_EQ(m.estilo, MB_OK);
    EXPECT_EQ(m.ayuda, 0u);
  }
  EXPECT_EQ(vistos, (std::vector<CString>{"5", ent, ver}));
  EXPECT_EQ(doc.m_nOcultas, 5u);
  EXPECT_EQ(doc.m_matPesosOculta.m_nFilas, 5u);
  EXPECT_EQ(doc.m_strFicheroVerificacion, ver);
}

TEST_F(Documento, UnFicheroSinSalidasNoCreaUnaRed) {
  CNodusDoc doc;
  ParametrosRed p = Xor();
  // Output lines of blanks only: zero outputs.
  p.entrenamiento = carpeta.Escribir("cero.txt", "1 2\n \n1 1\n \n");
  p.verificacion = p.entrenamiento;
  GuionNuevaRed(host, p);
  EXPECT_FALSE(doc.OnNewDocument());
  EXPECT_EQ(doc.m_matPesosOculta.m_nFilas, 0u);
}

// ---------------------------------------------------------------- the file

TEST_F(Documento, ElDocumentoDeEjemploOcupa2717Bytes) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Corta()));
  const std::vector<BYTE> b = Guardar(doc);
  ASSERT_EQ(b.size(), 2717u);
  EXPECT_EQ(U32(b, 0), 3u);
  EXPECT_EQ(F64(b, 4), 0.9);
  EXPECT_EQ(F64(b, 12), 0.1);
  EXPECT_EQ(U32(b, 20), 100u);
  EXPECT_EQ(U32(b, 24), 0u);
  EXPECT_EQ(F64(b, 28), 0.7);
  EXPECT_EQ(U32(b, 36), 0u);
  EXPECT_EQ(U32(b, 40), 0u);
  EXPECT_EQ(b[44], 5);
  EXPECT_EQ(std::string(b.begin() + 45, b.begin() + 50), "a.txt");
  EXPECT_EQ(b[50], 5);
  EXPECT_EQ(std::string(b.begin() + 51, b.begin() + 56), "b.txt");
  EXPECT_EQ(U32(b, 56), 2u);
  EXPECT_EQ(U32(b, 60), 1u);
  EXPECT_EQ(b[64], 0);  // empty status text
  EXPECT_EQ(U32(b, 65), 3u);
  EXPECT_EQ(U32(b, 69), 3u);
  EXPECT_EQ(F64(b, 73), 41 * (1.0 / 32767) * 0.6 - 0.3);
  EXPECT_EQ(U32(b, 65 + 80), 1u);
  EXPECT_EQ(U32(b, 65 + 84), 4u);
  EXPECT_EQ(U32(b, 2717 - 804), 100u);
}

TEST_F(Documento, UnaRutaDe300CaracteresLlevaElPrefijoLargo) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  doc.m_strFicheroEntrenamiento = std::string(300, 'r');
  const std::vector<BYTE> b = Guardar(doc);
  EXPECT_EQ(b[44], 0xFF);
  EXPECT_EQ(b[45], 0x2C);
  EXPECT_EQ(b[46], 0x01);
  EXPECT_EQ(std::string(b.begin() + 47, b.begin() + 347), std::string(300, 'r'));
  CNodusDoc otro;
  ASSERT_TRUE(Cargar(otro, b));
  EXPECT_EQ(otro.m_strFicheroEntrenamiento, std::string(300, 'r'));
}

TEST_F(Documento, UnaRutaFueraDeWindows1252SeGuardaEnLaFormaDe16Bits) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  doc.m_strFicheroVerificacion = "datos/ЖЖ.txt";
  doc.m_strFicheroEntrenamiento = "año/ñ.txt";
  const std::vector<BYTE> b = Guardar(doc);
  EXPECT_EQ(b[44], 9);  // Windows-1252: one byte per character
  EXPECT_EQ(b[45 + 1], 0xF1);
  EXPECT_EQ(b[54], 0xFF);
  EXPECT_EQ(b[55], 0xFE);
  EXPECT_EQ(b[56], 0xFF);
  CNodusDoc otro;
  ASSERT_TRUE(Cargar(otro, b));
  EXPECT_EQ(otro.m_strFicheroVerificacion, "datos/ЖЖ.txt");
  EXPECT_EQ(otro.m_strFicheroEntrenamiento, "año/ñ.txt");
}

TEST_F(Documento, UnDosEnElOffset36SeLeeComoNoEntrenadaYSeEscribeComoCero) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  std::vector<BYTE> b = Guardar(doc);
  b[36] = 2;
  CNodusDoc otro;
  ASSERT_TRUE(Cargar(otro, b));
  EXPECT_FALSE(otro.m_bEntrenada);
  EXPECT_EQ(Guardar(otro)[36], 0);
  b[36] = 1;
  CNodusDoc tercero;
  ASSERT_TRUE(Cargar(tercero, b));
  EXPECT_TRUE(tercero.m_bEntrenada);
  EXPECT_EQ(Guardar(tercero)[36], 1);
}

TEST_F(Documento, GuardarYCargarReproduceCadaCampoConHistorialAMedias) {
  CNodusDoc doc;
  ParametrosRed p = Xor();
  p.verificacion = ConAviso(carpeta, "xor.txt", "1");
  p.epocas = "10";
  p.error = "0";
  ASSERT_TRUE(CrearRed(host, doc, p));
  CVistaPrueba vista;
  doc.AddView(&vista);
  for (int i = 0; i < 3; ++i) EntrenarUnaEpoca(doc);
  ASSERT_EQ(doc.m_nEpoca, 3u);
  const std::vector<BYTE> b = Guardar(doc);

  CNodusDoc otro;
  ASSERT_TRUE(Cargar(otro, b));
  EXPECT_EQ(otro.m_nOcultas, doc.m_nOcultas);
  EXPECT_EQ(otro.m_nEntradas, doc.m_nEntradas);
  EXPECT_EQ(otro.m_nSalidas, doc.m_nSalidas);
  EXPECT_EQ(otro.m_dMomento, doc.m_dMomento);
  EXPECT_EQ(otro.m_dAprendizaje, doc.m_dAprendizaje);
  EXPECT_EQ(otro.m_dErrorMaximo, doc.m_dErrorMaximo);
  EXPECT_EQ(otro.m_nMaxEpocas, 10u);
  EXPECT_EQ(otro.m_nEpoca, 3u);
  EXPECT_EQ(otro.m_nPuntos, 3u);
  EXPECT_FALSE(otro.m_bEntrenada);
  EXPECT_FALSE(otro.m_bEntrenando);
  EXPECT_EQ(otro.GetEstado(), "Entrenamiento Detenido");
  EXPECT_EQ(otro.m_strFicheroEntrenamiento, doc.m_strFicheroEntrenamiento);
  EXPECT_EQ(otro.m_strFicheroVerificacion, doc.m_strFicheroVerificacion);
  EXPECT_EQ(Valores(otro.m_matPesosOculta), Valores(doc.m_matPesosOculta));
  EXPECT_EQ(Valores(otro.m_matPesosSalida), Valores(doc.m_matPesosSalida));
  EXPECT_EQ(Valores(otro.m_matIncOculta), Valores(doc.m_matIncOculta));
  EXPECT_EQ(Valores(otro.m_matIncSalida), Valores(doc.m_matIncSalida));
  EXPECT_EQ(Valores(otro.m_arrErrorMaximo), Valores(doc.m_arrErrorMaximo));
  EXPECT_EQ(Valores(otro.m_arrErrorTotal), Valores(doc.m_arrErrorTotal));
  EXPECT_EQ(Valores(otro.m_arrAciertos), Valores(doc.m_arrAciertos));
  for (UINT e = 3; e < 10; ++e) EXPECT_EQ(otro.m_arrErrorTotal.m_pDatos[e], 0.0);
  EXPECT_NE(otro.m_arrErrorTotal.m_pDatos[2], 0.0);
  EXPECT_EQ(Guardar(otro), b);
}

TEST_F(Documento, GuardarMientrasEntrenaDetieneElEntrenamientoPrimero) {
  CNodusDoc doc;
  ParametrosRed p = Xor();
  p.error = "0";
  p.epocas = "400";
  ASSERT_TRUE(CrearRed(host, doc, p));
  doc.OnEntrenar();
  const std::vector<BYTE> b = Guardar(doc);
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_EQ(doc.m_pHilo, nullptr);
  CNodusDoc otro;
  ASSERT_TRUE(Cargar(otro, b));
  EXPECT_NE(otro.GetEstado(), "Entrenando...");
  EXPECT_EQ(otro.m_nEpoca, otro.m_nPuntos.load());
  EXPECT_GE(otro.m_nEpoca, 1u);
}

TEST_F(Documento, UnFicheroCortadoOIncoherenteSeRechaza) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Corta()));
  const std::vector<BYTE> b = Guardar(doc);
  ASSERT_EQ(b.size(), 2717u);
  for (std::size_t n : {0ul, 10ul, 44ul, 60ul, 100ul, 2000ul, b.size() - 1}) {
    CNodusDoc otro;
    EXPECT_FALSE(Cargar(otro, std::vector<BYTE>(b.begin(), b.begin() + n))) << n;
  }
  auto modificado = [&](std::size_t off, UINT valor) {
    std::vector<BYTE> c = b;
    for (int i = 0; i < 4; ++i) c[off + i] = BYTE(valor >> (8 * i));
    return c;
  };
  struct Caso {
    std::size_t off;
    UINT valor;
  };
  // m_nOcultas, m_nMaxEpocas, m_nEpoca and m_nPuntos beyond the limit,
  // m_nEntradas, m_nSalidas, then the shapes of a matrix and a vector.
  for (Caso c : {Caso{0, 4}, Caso{0, 0}, Caso{20, 99}, Caso{24, 101}, Caso{40, 101}, Caso{56, 3}, Caso{56, 0},
                 Caso{60, 2}, Caso{65, 2}, Caso{69, 4}}) {
    CNodusDoc otro;
    std::vector<BYTE> d = modificado(c.off, c.valor);
    bool cargado = true;
    CString mensaje;
    try {
      CArchive ar(d.data(), d.size());
      otro.Serialize(ar);
    } catch (const CArchiveException& e) {
      cargado = false;
      mensaje = e.Mensaje();
    }
    EXPECT_FALSE(cargado) << c.off << " " << c.valor;
    EXPECT_FALSE(mensaje.empty());
  }
  // Every file this program writes passes.
  CNodusDoc bueno;
  EXPECT_TRUE(Cargar(bueno, b));
}

TEST_F(Documento, AbrirUnFicheroIncoherenteLoDiceYNoAbreNada) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  std::vector<BYTE> b = Guardar(doc);
  b[24] = 200;  // m_nEpoca beyond m_nMaxEpocas
  const std::string ruta = carpeta.Escribir("malo.nrv", std::string(b.begin(), b.end()));
  CNodusDoc otro;
  EXPECT_FALSE(otro.OnOpenDocument(ruta));
  ASSERT_EQ(host.Textos().size(), 1u);
  EXPECT_NE(host.Textos()[0].find("malo.nrv"), CString::npos) << host.Textos()[0];
}

TEST_F(Documento, ElDocumentoEncaminaSusOrdenes) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  for (UINT id : {ID_ENTRENAR, ID_DETENER, ID_VERIFICAR, ID_GUARDAR_HISTORIAL, ID_GUARDAR_PESOS}) {
    CCmdUI ui(id);
    EXPECT_TRUE(doc.OnCmdMsg(id, &ui)) << id;
  }
  CCmdUI entrenar(ID_ENTRENAR), detener(ID_DETENER), historial(ID_GUARDAR_HISTORIAL), pesos(ID_GUARDAR_PESOS),
      verificar(ID_VERIFICAR);
  doc.OnCmdMsg(ID_ENTRENAR, &entrenar);
  doc.OnCmdMsg(ID_DETENER, &detener);
  doc.OnCmdMsg(ID_GUARDAR_HISTORIAL, &historial);
  doc.OnCmdMsg(ID_GUARDAR_PESOS, &pesos);
  doc.OnCmdMsg(ID_VERIFICAR, &verificar);
  EXPECT_TRUE(entrenar.m_bEnabled);
  EXPECT_FALSE(detener.m_bEnabled);
  EXPECT_FALSE(historial.m_bEnabled);
  EXPECT_TRUE(pesos.m_bEnabled);
  EXPECT_TRUE(verificar.m_bEnabled);
  EXPECT_FALSE(doc.OnCmdMsg(ID_FILE_PRINT, nullptr));
  // Through a view, as the framework routes them.
  CVistaPrueba vista;
  doc.AddView(&vista);
  EXPECT_TRUE(vista.OnCmdMsg(ID_DETENER, nullptr));
  EXPECT_FALSE(vista.Habilitado(ID_DETENER));
}

TEST_F(Documento, DestruirloMientrasEntrenaEsperaAlHilo) {
  auto doc = std::make_unique<CNodusDoc>();
  ParametrosRed p = Xor();
  p.error = "0";
  p.epocas = "400";
  ASSERT_TRUE(CrearRed(host, *doc, p));
  CVistaPrueba vista;
  doc->AddView(&vista);
  doc->OnEntrenar();
  doc.reset();  // waits for the thread, which then touches nothing
  AfxPumpMessages();
  EXPECT_EQ(vista.GetDocument(), nullptr);
  const std::string log = LeerFichero(carpeta.Fichero("HNRV.TXT"));
  EXPECT_EQ(Contar(log, "FICHERO ENTRENADO"), 1);
  EXPECT_TRUE(log.size() > 2 && log.substr(log.size() - 4) == "\r\n\r\n");
}
