// The history, weight and C exports: their file dialogs, both weight forms
// and the C source byte for byte, the history with decimal commas, and
// failures that say so.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "framework/texto.h"
#include "network/exportar.h"
#include "network/exportar_c.h"
#include "tests/network/documento_apoyo.h"

namespace {

class Exportar : public ::testing::Test {
 protected:
  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};

  // 2 inputs, 3 hidden neurons, 1 output.
  void Crear(CNodusDoc& doc, const CString& epocas = "100", const CString& verificacion = Ejemplo("xor.txt")) {
    ParametrosRed p;
    p.entrenamiento = Ejemplo("xor.txt");
    p.verificacion = verificacion;
    p.epocas = epocas;
    p.error = "0";
    ASSERT_TRUE(CrearRed(host, doc, p));
  }
  std::vector<std::string> Ficheros() const {
    std::vector<std::string> v;
    for (const auto& e : std::filesystem::directory_iterator(carpeta.Ruta())) v.push_back(e.path().filename());
    std::sort(v.begin(), v.end());
    return v;
  }
};

std::vector<std::string> Lineas(const std::string& s) {
  std::vector<std::string> v;
  std::size_t inicio = 0;
  while (inicio < s.size()) {
    const std::size_t fin = s.find("\r\n", inicio);
    if (fin == std::string::npos) {
      v.push_back(s.substr(inicio) + "<sin fin de línea>");
      break;
    }
    v.push_back(s.substr(inicio, fin - inicio));
    inicio = fin + 2;
  }
  return v;
}

float Float(const std::string& b, std::size_t i) {
  std::uint32_t bits = 0;
  for (int k = 0; k < 4; ++k) bits |= std::uint32_t(BYTE(b[4 * i + k])) << (8 * k);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

bool Habilitado(CNodusDoc& doc, UINT id) {
  CCmdUI ui(id);
  doc.OnCmdMsg(id, &ui);
  return ui.m_bEnabled;
}

}  // namespace

// ---------------------------------------------------------------- history

TEST_F(Exportar, ElHistorialSoloSeOfreceConEpocasHechas) {
  CNodusDoc doc;
  Crear(doc);
  EXPECT_FALSE(Habilitado(doc, ID_GUARDAR_HISTORIAL));
  EXPECT_TRUE(Habilitado(doc, ID_GUARDAR_PESOS));
  EntrenarUnaEpoca(doc);
  EXPECT_TRUE(Habilitado(doc, ID_GUARDAR_HISTORIAL));
}

TEST_F(Exportar, ElHistorialLlevaUnaLineaPorEpocaConComasDecimales) {
  CNodusDoc doc;
  Crear(doc);
  const double valores[3][3] = {{0.5, 2.25, 87.5}, {0.123456, 12.345678, 5}, {1e-7, 123.5, 100}};
  for (UINT e = 0; e < 3; ++e) {
    doc.m_arrErrorMaximo.m_pDatos[e] = valores[e][0];
    doc.m_arrErrorTotal.m_pDatos[e] = valores[e][1];
    doc.m_arrAciertos.m_pDatos[e] = valores[e][2];
  }
  doc.m_nEpoca = 3;
  doc.m_nPuntos = 3;
  host.respuestasFichero.push_back(carpeta.Fichero("historial.txt"));
  doc.OnGuardarHistorial();
  ASSERT_EQ(host.dialogosFichero.size(), 1u);
  ComprobarDialogoFichero(host.dialogosFichero[0],
                          CFileDialog(FALSE, "txt", "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                      {{"Ficheros ASCII (*.txt)", "*.txt"}, {"Todos los ficheros (*.*)", "*.*"}},
                                      "Examinar Archivos"));

  EXPECT_EQ(LeerFichero(carpeta.Fichero("historial.txt")),
            "0\t0,500000\t2,250000\t87,5000\r\n"
            "1\t0,123456\t12,345678\t 5,0000\r\n"
            "2\t0,000000\t123,500000\t100,0000\r\n");
  EXPECT_TRUE(host.Textos().empty());
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(Exportar, ElHistorialDeUnaRedEntrenadaSaleDelHistorial) {
  CNodusDoc doc;
  Crear(doc, "100", ConAviso(carpeta, "xor.txt", "1"));
  for (int i = 0; i < 3; ++i) EntrenarUnaEpoca(doc);
  host.respuestasFichero.push_back(carpeta.Fichero("h"));
  doc.OnGuardarHistorial();
  const std::vector<std::string> lineas = Lineas(LeerFichero(carpeta.Fichero("h")));
  ASSERT_EQ(lineas.size(), 3u);
  for (UINT e = 0; e < 3; ++e) {
    CString esperada = FormatC("%u\t%7.6f\t%7.6f\t%7.4f", e, doc.m_arrErrorMaximo.m_pDatos[e],
                               doc.m_arrErrorTotal.m_pDatos[e], doc.m_arrAciertos.m_pDatos[e]);
    for (char& c : esperada)
      if (c == '.') c = ',';
    EXPECT_EQ(lineas[e], esperada);
    EXPECT_EQ(lineas[e].find('.'), std::string::npos);
  }
}

TEST_F(Exportar, ElHistorialNoDetieneElEntrenamientoYSoloLlevaLoAnterior) {
  CNodusDoc doc;
  ParametrosRed p;
  p.entrenamiento = Ejemplo("iris-train.txt");
  p.verificacion = Ejemplo("iris-test.txt");
  p.ocultas = "40";
  p.error = "0";
  ASSERT_TRUE(CrearRed(host, doc, p));
  for (int i = 0; i < 3; ++i) EntrenarUnaEpoca(doc);
  // A run far too long to end by itself during the test.
  doc.m_nMaxEpocas = 100000;
  doc.m_arrErrorMaximo.Dimensionar(doc.m_nMaxEpocas);
  doc.m_arrErrorTotal.Dimensionar(doc.m_nMaxEpocas);
  doc.m_arrAciertos.Dimensionar(doc.m_nMaxEpocas);
  doc.m_nEpoca = 3;
  doc.m_nPuntos = 3;
  doc.OnEntrenar();
  host.respuestasFichero.push_back(carpeta.Fichero("h.txt"));
  doc.OnGuardarHistorial();
  const bool seguia = doc.m_bEntrenando;
  const UINT epocas = doc.m_nEpoca;
  doc.OnDetener();
  const std::size_t lineas = Lineas(LeerFichero(carpeta.Fichero("h.txt"))).size();
  if (seguia) EXPECT_EQ(lineas, 3u);
  else EXPECT_EQ(lineas, epocas);
  EXPECT_GT(doc.m_nEpoca, 3u);
}

TEST_F(Exportar, CancelarElDialogoNoEscribeNada) {
  CNodusDoc doc;
  Crear(doc);
  EntrenarUnaEpoca(doc);
  doc.OnGuardarHistorial();
  doc.OnGuardarPesos();
  EXPECT_EQ(host.dialogosFichero.size(), 2u);
  EXPECT_TRUE(Ficheros().size() == 1 && Ficheros()[0] == "HNRV.TXT");
  EXPECT_TRUE(host.Textos().empty());
}

// ---------------------------------------------------------------- weights

TEST_F(Exportar, PesosEnTextoParaUnaRed2x3x1) {
  CNodusDoc doc;
  Crear(doc);
  host.respuestasFichero.push_back(carpeta.Fichero("pesos.txt"));
  doc.OnGuardarPesos();
  ASSERT_EQ(host.dialogosFichero.size(), 1u);
  ComprobarDialogoFichero(host.dialogosFichero[0],
                          CFileDialog(FALSE, "txt", "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                      {{"Ficheros ASCII (*.txt;*.dat)", "*.txt;*.dat"},
                                       {"Ficheros Binarios (*.ie3;*.bin)", "*.ie3;*.bin"},
                                       {"Todos los ficheros (*.*)", "*.*"}},
                                      "Guardar Pesos"));

  const std::vector<std::string> lineas = Lineas(LeerFichero(carpeta.Fichero("pesos.txt")));
  ASSERT_EQ(lineas.size(), 4u);
  const CMatrizReales* matrices[] = {&doc.m_matPesosOculta, &doc.m_matPesosSalida};
  std::size_t n = 0;
  for (const CMatrizReales* m : matrices)
    for (UINT i = 0; i < m->m_nFilas; ++i, ++n) {
      CString esperada;
      for (UINT j = 0; j < m->m_nColumnas; ++j) esperada += FormatC("%.4f ", m->m_ppFilas[i][j]);
      EXPECT_EQ(lineas[n], esperada);
    }
  EXPECT_EQ(Contar(lineas[0], " "), 3);
  EXPECT_EQ(Contar(lineas[3], " "), 4);
  EXPECT_EQ(lineas[0].substr(0, 7), FormatC("%.4f", 41 * (1.0 / 32767) * 0.6 - 0.3));
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(Exportar, PesosEnBinarioSon52BytesParaUnaRed2x3x1) {
  CNodusDoc doc;
  Crear(doc);
  for (const char* nombre : {"pesos.bin", "pesos.ie3"}) {
    host.respuestasFichero.push_back(carpeta.Fichero(nombre));
    doc.OnGuardarPesos();
    const std::string b = LeerFichero(carpeta.Fichero(nombre));
    ASSERT_EQ(b.size(), 52u) << nombre;
    std::size_t i = 0;
    for (const CMatrizReales* m : {&doc.m_matPesosOculta, &doc.m_matPesosSalida})
      for (UINT f = 0; f < m->m_nFilas; ++f)
        for (UINT c = 0; c < m->m_nColumnas; ++c, ++i) EXPECT_EQ(Float(b, i), static_cast<float>(m->m_ppFilas[f][c]));
  }
}

TEST_F(Exportar, LaFormaDependeDeLaExtensionExacta) {
  CNodusDoc doc;
  Crear(doc);
  for (const char* nombre : {"pesos.BIN", "pesos.dat", "pesos.txt", "pesos.bin.txt", "sin_extension"}) {
    host.respuestasFichero.push_back(carpeta.Fichero(nombre));
    doc.OnGuardarPesos();
    EXPECT_EQ(Lineas(LeerFichero(carpeta.Fichero(nombre))).size(), 4u) << nombre;
  }
}

TEST_F(Exportar, GuardarPesosDetieneElEntrenamientoYNoLoReanuda) {
  CNodusDoc doc;
  Crear(doc, "400");
  CVistaPrueba vista;
  doc.AddView(&vista);
  doc.OnEntrenar();
  host.respuestasFichero.push_back(carpeta.Fichero("pesos.txt"));
  doc.OnGuardarPesos();
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_EQ(doc.m_pHilo, nullptr);
  EXPECT_GE(doc.m_nEpoca, 1u);
  EXPECT_FALSE(vista.Habilitado(ID_DETENER));
  // What was written are the weights as training left them.
  const std::vector<std::string> lineas = Lineas(LeerFichero(carpeta.Fichero("pesos.txt")));
  ASSERT_EQ(lineas.size(), 4u);
  EXPECT_EQ(lineas[0].substr(0, lineas[0].find(' ')), FormatC("%.4f", doc.m_matPesosOculta.m_ppFilas[0][0]));
  // Cancelled: training stays stopped all the same.
  doc.OnEntrenar();
  doc.OnGuardarPesos();
  EXPECT_FALSE(doc.m_bEntrenando);
}

// ---------------------------------------------------------------- failures

TEST_F(Exportar, UnFicheroQueNoSePuedeCrearLoDiceYNoDejaNada) {
  CNodusDoc doc;
  Crear(doc);
  EntrenarUnaEpoca(doc);
  const std::string enCarpetaQueFalta = carpeta.Fichero("no/existe.txt");
  std::filesystem::create_directory(carpeta.Fichero("carpeta.txt"));
  host.respuestasFichero.push_back(enCarpetaQueFalta);
  doc.OnGuardarHistorial();
  host.respuestasFichero.push_back(enCarpetaQueFalta);
  doc.OnGuardarPesos();
  host.respuestasFichero.push_back(carpeta.Fichero("carpeta.txt"));
  doc.OnGuardarPesos();
  const std::vector<CString> textos = host.Textos();
  ASSERT_EQ(textos.size(), 3u);
  for (const CString& t : textos) EXPECT_EQ(t.rfind("No se ha podido crear el fichero", 0), 0u) << t;
  EXPECT_NE(textos[0].find(enCarpetaQueFalta), CString::npos);
  EXPECT_EQ(Ficheros(), (std::vector<std::string>{"HNRV.TXT", "carpeta.txt"}));
}

TEST_F(Exportar, UnFicheroQueNoAdmiteLosBytesLoDice) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "sin /dev/full";
  CNodusDoc doc;
  Crear(doc);
  host.respuestasFichero.push_back("/dev/full");
  doc.OnGuardarPesos();
  ASSERT_EQ(host.Textos().size(), 1u);
  EXPECT_EQ(host.Textos()[0].rfind("Error al escribir el fichero", 0), 0u) << host.Textos()[0];
}

TEST_F(Exportar, ReemplazaEnteroUnFicheroAnteriorSinRestos) {
  CNodusDoc doc;
  Crear(doc);
  carpeta.Escribir("pesos.bin", std::string(1000, 'x'));
  host.respuestasFichero.push_back(carpeta.Fichero("pesos.bin"));
  doc.OnGuardarPesos();
  EXPECT_EQ(LeerFichero(carpeta.Fichero("pesos.bin")).size(), 52u);
  EXPECT_EQ(Ficheros(), std::vector<std::string>{"pesos.bin"});
}

// The core's functions give the bytes that the commands write, and report a
// failure without showing anything.
TEST_F(Exportar, LasFuncionesDelNucleoDanLosBytesDeLasOrdenes) {
  CNodusDoc doc;
  Crear(doc);
  EntrenarUnaEpoca(doc);
  EntrenarUnaEpoca(doc);
  for (const char* nombre : {"h.txt", "p.txt", "p.bin", "p.ie3", "p.BIN"}) {
    host.respuestasFichero.push_back(carpeta.Fichero(nombre));
    if (nombre[0] == 'h')
      doc.OnGuardarHistorial();
    else
      doc.OnGuardarPesos();
  }
  EXPECT_EQ(LeerFichero(carpeta.Fichero("h.txt")), BytesHistorial(doc));
  EXPECT_EQ(LeerFichero(carpeta.Fichero("p.txt")), BytesPesos(doc.GetRed(), false));
  EXPECT_EQ(LeerFichero(carpeta.Fichero("p.bin")), BytesPesos(doc.GetRed(), true));
  EXPECT_EQ(LeerFichero(carpeta.Fichero("p.ie3")), BytesPesos(doc.GetRed(), true));
  EXPECT_EQ(LeerFichero(carpeta.Fichero("p.BIN")), BytesPesos(doc.GetRed(), false));
  EXPECT_TRUE(PesosBinarios("d.bin/x.ie3"));
  EXPECT_FALSE(PesosBinarios("d.bin/x"));
  EXPECT_FALSE(PesosBinarios("x.bin.txt"));
  host.Limpiar();
  const Resultado<Hecho> r = EscribirExportacion(carpeta.Fichero("no/h.txt"), BytesHistorial(doc));
  ASSERT_FALSE(r);
  EXPECT_EQ(r.Mensaje().rfind("No se ha podido crear el fichero " + carpeta.Fichero("no/h.txt") + ": ", 0), 0u);
  EXPECT_TRUE(host.Textos().empty());
}

// ---------------------------------------------------------------- C

// Exportar como C stops a run as Guardar pesos does and writes the core's
// source for the weights that training left, named after the file.
TEST_F(Exportar, ExportarComoCDetieneElEntrenamientoYEscribeLaFuenteDelNucleo) {
  CNodusDoc doc;
  Crear(doc, "400");
  EXPECT_TRUE(Habilitado(doc, ID_EXPORTAR_C));
  CVistaPrueba vista;
  doc.AddView(&vista);
  doc.OnEntrenar();
  host.respuestasFichero.push_back(carpeta.Fichero("xor-3.c"));
  doc.OnCmdMsg(ID_EXPORTAR_C, nullptr);
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_EQ(doc.m_pHilo, nullptr);
  EXPECT_FALSE(vista.Habilitado(ID_DETENER));
  ASSERT_EQ(host.dialogosFichero.size(), 1u);
  ComprobarDialogoFichero(host.dialogosFichero[0],
                          CFileDialog(FALSE, "c", "", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                                      {{"Ficheros C (*.c)", "*.c"}, {"Todos los ficheros (*.*)", "*.*"}},
                                      "Exportar como C"));
  OpcionesFuenteC op;
  op.strPrefijo = "xor_3";
  op.strRed = doc.GetTitle();
  op.strFichero = "xor-3.c";
  const Resultado<std::string> fuente = FuenteC(doc.GetRed(), op);
  ASSERT_TRUE(fuente);
  EXPECT_EQ(LeerFichero(carpeta.Fichero("xor-3.c")), *fuente);
  EXPECT_NE(fuente->find("void xor_3_propagar(const double *entradas, double *salidas)"), std::string::npos);
  EXPECT_TRUE(host.Textos().empty());
  // Cancelled: training stays stopped all the same, nothing is written.
  doc.OnEntrenar();
  doc.OnExportarC();
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_EQ(Ficheros(), (std::vector<std::string>{"HNRV.TXT", "xor-3.c"}));
}

// The network's own file is never written over; a destination that cannot
// be written says why and leaves nothing.
TEST_F(Exportar, ExportarComoCNoPisaLaRedYDiceLosFallos) {
  CNodusDoc doc;
  Crear(doc);
  ASSERT_TRUE(doc.OnSaveDocument(carpeta.Fichero("red.nrv")));
  doc.SetPathName(carpeta.Fichero("red.nrv"));
  const std::string red = LeerFichero(carpeta.Fichero("red.nrv"));
  host.respuestasFichero.push_back(carpeta.Fichero("red.nrv"));
  host.respuestasFichero.push_back(carpeta.Fichero("no/existe.c"));
  doc.OnExportarC();
  EXPECT_EQ(host.dialogosFichero.size(), 2u);
  const std::vector<CString> textos = host.Textos();
  ASSERT_EQ(textos.size(), 2u);
  EXPECT_EQ(textos[0], "El fichero de salida " + carpeta.Fichero("red.nrv") + " es la propia red; elija otro.");
  EXPECT_EQ(textos[1].rfind("No se ha podido crear el fichero " + carpeta.Fichero("no/existe.c"), 0), 0u) << textos[1];
  EXPECT_EQ(LeerFichero(carpeta.Fichero("red.nrv")), red);
  EXPECT_EQ(Ficheros(), std::vector<std::string>{"red.nrv"});
  // Saved, the network names its file in the source's opening comment.
  host.Limpiar();
  host.respuestasFichero.push_back(carpeta.Fichero("9red.c"));
  doc.OnExportarC();
  const std::string fuente = LeerFichero(carpeta.Fichero("9red.c"));
  EXPECT_EQ(fuente.rfind("/* 9red.c: la red " + carpeta.Fichero("red.nrv") + " de nrv", 0), 0u) << fuente.substr(0, 80);
  EXPECT_NE(fuente.find("red_9red_propagar("), std::string::npos);
}

// The window's history and weight exports take the same check: the
// network's data files (here through a hard link) and its log are refused
// and the dialog asks again; the files stay as they were.
TEST_F(Exportar, HistorialYPesosNoPisanLosFicherosDeLaRed) {
  const CString entrenamiento = carpeta.Escribir("e.txt", LeerFichero(Ejemplo("xor.txt")));
  const CString verificacion = carpeta.Escribir("v.txt", LeerFichero(Ejemplo("xor.txt")));
  ASSERT_EQ(::link(entrenamiento.c_str(), carpeta.Fichero("enlace.txt").c_str()), 0);
  CNodusDoc doc;
  ParametrosRed p;
  p.entrenamiento = entrenamiento;
  p.verificacion = verificacion;
  p.epocas = "2";
  ASSERT_TRUE(CrearRed(host, doc, p));
  doc.OnEntrenar();
  EsperarFinHilo(doc);
  doc.OnDetener();
  const std::string log = LeerFichero(carpeta.Fichero("HNRV.TXT"));
  for (auto orden : {&CNodusDoc::OnGuardarHistorial, &CNodusDoc::OnGuardarPesos}) {
    host.Limpiar();
    host.respuestasFichero = {carpeta.Fichero("enlace.txt"), verificacion, carpeta.Fichero("HNRV.TXT"),
                              carpeta.Fichero("h.txt")};
    const std::size_t antes = host.dialogosFichero.size();
    (doc.*orden)();
    EXPECT_EQ(host.dialogosFichero.size() - antes, 4u);
    EXPECT_EQ(host.Textos(), (std::vector<CString>{
                                 "El fichero de salida " + carpeta.Fichero("enlace.txt") +
                                     " es el fichero de entrenamiento de la red; elija otro.",
                                 "El fichero de salida " + verificacion + " es el fichero de verificación de la red; elija otro.",
                                 "El fichero de salida " + carpeta.Fichero("HNRV.TXT") + " es el registro de entrenamiento; elija otro.",
                             }));
  }
  EXPECT_EQ(LeerFichero(entrenamiento), LeerFichero(Ejemplo("xor.txt")));
  EXPECT_EQ(LeerFichero(verificacion), LeerFichero(Ejemplo("xor.txt")));
  EXPECT_EQ(LeerFichero(carpeta.Fichero("HNRV.TXT")), log);
  EXPECT_EQ(LeerFichero(carpeta.Fichero("h.txt")), BytesPesos(doc.GetRed(), false));
}

TEST_F(Exportar, GuardarComoNoPisaLosFicherosDeDatosNiElRegistro) {
  const CString entrenamiento = carpeta.Escribir("e.txt", LeerFichero(Ejemplo("xor.txt")));
  const CString verificacion = carpeta.Escribir("v.txt", LeerFichero(Ejemplo("xor.txt")));
  ASSERT_EQ(::symlink(entrenamiento.c_str(), carpeta.Fichero("enlace.txt").c_str()), 0);
  CNodusDoc doc;
  ParametrosRed p;
  p.entrenamiento = entrenamiento;
  p.verificacion = verificacion;
  ASSERT_TRUE(CrearRed(host, doc, p));
  host.Limpiar();
  host.respuestasFichero = {carpeta.Fichero("enlace.txt"), verificacion, "HNRV.TXT", carpeta.Fichero("r.nrv")};
  EXPECT_TRUE(doc.DoFileSaveAs());
  EXPECT_EQ(host.Textos(), (std::vector<CString>{
                               "El fichero de salida " + carpeta.Fichero("enlace.txt") +
                                   " es el fichero de entrenamiento de la red; elija otro.",
                               "El fichero de salida " + verificacion + " es el fichero de verificación de la red; elija otro.",
                               "El fichero de salida HNRV.TXT es el registro de entrenamiento; elija otro.",
                           }));
  EXPECT_EQ(LeerFichero(entrenamiento), LeerFichero(Ejemplo("xor.txt")));
  EXPECT_EQ(LeerFichero(verificacion), LeerFichero(Ejemplo("xor.txt")));
  EXPECT_EQ(doc.GetPathName(), carpeta.Fichero("r.nrv"));
  // Over itself it is a save.
  host.respuestasFichero = {carpeta.Fichero("r.nrv")};
  EXPECT_TRUE(doc.DoFileSaveAs());
}
