// The training engine: states and transitions, the stop handshake, the
// messages to the view, the training log and the arithmetic it records.
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "framework/texto.h"
#include "tests/network/documento_apoyo.h"

namespace {

const std::string kSeparador = "--------------------------------------------";

std::string Cp1252(const CString& s) {
  std::string b;
  Utf8ACp1252(s, b);
  return b;
}

class Entrenamiento : public ::testing::Test {
 protected:
  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};

  ParametrosRed Xor(const CString& epocas = "100", const CString& error = "0") {
    ParametrosRed p;
    p.entrenamiento = Ejemplo("xor.txt");
    p.verificacion = Ejemplo("xor.txt");
    p.epocas = epocas;
    p.error = error;
    return p;
  }
  // The same with a verification file that makes stops land in the first
  // epoch of a run (ConAviso).
  ParametrosRed XorAviso(const CString& epocas = "100", const CString& error = "0") {
    ParametrosRed p = Xor(epocas, error);
    p.verificacion = ConAviso(carpeta, "xor.txt", "1");
    return p;
  }
  ParametrosRed IrisAviso(const CString& epocas) {
    ParametrosRed p = Iris(epocas);
    p.verificacion = ConAviso(carpeta, "iris-test.txt", "0 0 1");
    return p;
  }
  ParametrosRed Iris(const CString& epocas, const CString& ocultas = "5") {
    ParametrosRed p;
    p.entrenamiento = Ejemplo("iris-train.txt");
    p.verificacion = Ejemplo("iris-test.txt");
    p.epocas = epocas;
    p.error = "0";
    p.ocultas = ocultas;
    p.aprendizaje = "0.3";
    p.momento = "0.5";
    return p;
  }
  // Trains from where the network stands to the run's natural end.
  void HastaElFinal(CNodusDoc& doc) {
    doc.OnEntrenar();
    EsperarFinHilo(doc);
  }
  std::string Registro() const { return LeerFichero(carpeta.Fichero("HNRV.TXT")); }
};

void ExpectMismaRed(const CNodusDoc& a, const CNodusDoc& b) {
  EXPECT_EQ(a.m_nEpoca, b.m_nEpoca.load());
  EXPECT_EQ(a.m_nPuntos, b.m_nPuntos.load());
  EXPECT_EQ(a.m_bEntrenada, b.m_bEntrenada.load());
  EXPECT_EQ(Valores(a.m_matPesosOculta), Valores(b.m_matPesosOculta));
  EXPECT_EQ(Valores(a.m_matPesosSalida), Valores(b.m_matPesosSalida));
  EXPECT_EQ(Valores(a.m_matIncOculta), Valores(b.m_matIncOculta));
  EXPECT_EQ(Valores(a.m_matIncSalida), Valores(b.m_matIncSalida));
  EXPECT_EQ(Valores(a.m_arrErrorMaximo), Valores(b.m_arrErrorMaximo));
  EXPECT_EQ(Valores(a.m_arrErrorTotal), Valores(b.m_arrErrorTotal));
  EXPECT_EQ(Valores(a.m_arrAciertos), Valores(b.m_arrAciertos));
}

bool PuedeEntrenar(CNodusDoc& doc) {
  CCmdUI ui(ID_ENTRENAR);
  doc.OnUpdateEntrenar(&ui);
  return ui.m_bEnabled;
}

bool PuedeDetener(CNodusDoc& doc) {
  CCmdUI ui(ID_DETENER);
  doc.OnUpdateDetener(&ui);
  return ui.m_bEnabled;
}

}  // namespace

// ---------------------------------------------------------------- states

TEST_F(Entrenamiento, CriterioEnLaPrimeraEpoca) {
  CNodusDoc doc;
  // A single sigmoid output never errs by 1 or more: met at once.
  ASSERT_TRUE(CrearRed(host, doc, Xor("100", "1")));
  CVistaPrueba vista;
  doc.AddView(&vista);
  EXPECT_TRUE(PuedeEntrenar(doc));
  EXPECT_FALSE(PuedeDetener(doc));
  HastaElFinal(doc);
  EXPECT_EQ(doc.m_nEpoca, 1u);
  EXPECT_EQ(doc.m_nPuntos, 1u);
  EXPECT_TRUE(doc.m_bEntrenada);
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetEstado(), "Entrenamiento Finalizado");
  EXPECT_EQ(vista.Mensajes(), (std::vector<UINT>{WM_ACTUALIZAR, WM_ACTUALIZAR, WM_FIN_ENTRENAMIENTO, WM_ACTUALIZAR}));
  EXPECT_FALSE(vista.Habilitado(ID_ENTRENAR));
  EXPECT_FALSE(vista.Habilitado(ID_DETENER));
  EXPECT_FALSE(PuedeEntrenar(doc));
  EXPECT_FALSE(PuedeDetener(doc));
  EXPECT_EQ(Contar(Registro(), "    0 \t "), 1);
  EXPECT_EQ(Contar(Registro(), "    1 \t "), 0);
  // A trained network is never trained again.
  doc.OnDetener();
  doc.OnEntrenar();
  EXPECT_EQ(doc.m_pHilo, nullptr);
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Entrenamiento, UnErrorIgualAlCriterioNoLoCumple) {
  CNodusDoc primera;
  ASSERT_TRUE(CrearRed(host, primera, Xor("1")));
  HastaElFinal(primera);
  const double x = primera.m_arrErrorMaximo.m_pDatos[0];
  ASSERT_GT(x, 0.0);

  CNodusDoc igual;
  ASSERT_TRUE(CrearRed(host, igual, Xor("1")));
  igual.m_dErrorMaximo = x;
  HastaElFinal(igual);
  EXPECT_EQ(igual.m_arrErrorMaximo.m_pDatos[0], x);
  EXPECT_FALSE(igual.m_bEntrenada);
  EXPECT_EQ(igual.GetEstado(), "Entrenamiento Detenido");

  CNodusDoc encima;
  ASSERT_TRUE(CrearRed(host, encima, Xor("1")));
  encima.m_dErrorMaximo = std::nextafter(x, 2.0);
  HastaElFinal(encima);
  EXPECT_TRUE(encima.m_bEntrenada);
  EXPECT_EQ(encima.GetEstado(), "Entrenamiento Finalizado");
}

TEST_F(Entrenamiento, ElLimiteDeEpocasAgotaLaRed) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor("5")));
  CVistaPrueba vista;
  doc.AddView(&vista);
  HastaElFinal(doc);
  EXPECT_EQ(doc.m_nEpoca, 5u);
  EXPECT_EQ(doc.m_nPuntos, 5u);
  EXPECT_FALSE(doc.m_bEntrenada);
  EXPECT_EQ(doc.GetEstado(), "Entrenamiento Detenido");
  EXPECT_EQ(vista.Cuenta(WM_FIN_ENTRENAMIENTO), 1);
  EXPECT_EQ(vista.Cuenta(WM_ACTUALIZAR), 7);
  // The last epoch's update, the end message, the final update.
  const auto m = vista.Mensajes();
  EXPECT_EQ(std::vector<UINT>(m.end() - 3, m.end()),
            (std::vector<UINT>{WM_ACTUALIZAR, WM_FIN_ENTRENAMIENTO, WM_ACTUALIZAR}));
  // Detener was disabled before the end message arrived.
  EXPECT_FALSE(vista.recibidos[m.size() - 2].detenerHabilitado);
  EXPECT_FALSE(PuedeEntrenar(doc));
  doc.OnDetener();
  EXPECT_FALSE(vista.Habilitado(ID_ENTRENAR));
  EXPECT_FALSE(vista.Habilitado(ID_DETENER));
  EXPECT_FALSE(PuedeEntrenar(doc));
  for (UINT e = 0; e < 5; ++e) EXPECT_EQ(Contar(Registro(), FormatC("   %2u \t ", e)), 1);
}

TEST_F(Entrenamiento, UnaRedAgotadaQueSeEntrenaNoCorreNingunaEpoca) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor("2")));
  HastaElFinal(doc);
  doc.OnDetener();
  const std::vector<double> pesos = Valores(doc.m_matPesosOculta);
  CVistaPrueba vista;
  doc.AddView(&vista);
  HastaElFinal(doc);  // the command would not offer it; the thread copes
  EXPECT_EQ(doc.m_nEpoca, 2u);
  EXPECT_EQ(Valores(doc.m_matPesosOculta), pesos);
  EXPECT_EQ(doc.GetEstado(), "Entrenamiento Detenido");
  EXPECT_EQ(vista.Mensajes(), (std::vector<UINT>{WM_ACTUALIZAR, WM_FIN_ENTRENAMIENTO, WM_ACTUALIZAR}));
  const std::string log = Registro();
  const std::size_t segundo = log.rfind("FICHERO ENTRENADO");
  const std::string bloque = log.substr(segundo);
  EXPECT_NE(bloque.find(Cp1252("  Nº de Época Inicial: 2,\r\n")), std::string::npos);
  const std::string cola = "Aciertos \r\n" + kSeparador + "\r\n\r\n";
  ASSERT_GT(bloque.size(), cola.size());
  EXPECT_EQ(bloque.substr(bloque.size() - cola.size()), cola);
}

TEST_F(Entrenamiento, DetenerDuranteUnaEpocaLaTerminaYLaRegistra) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, XorAviso()));
  CVistaPrueba vista;
  doc.AddView(&vista);
  doc.OnEntrenar();
  EXPECT_FALSE(vista.Habilitado(ID_ENTRENAR));
  EXPECT_TRUE(vista.Habilitado(ID_DETENER));
  EXPECT_TRUE(PuedeDetener(doc));
  EXPECT_FALSE(PuedeEntrenar(doc));
  doc.OnDetener();  // lands in the first epoch: that one completes
  EXPECT_EQ(doc.m_pHilo, nullptr);
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_EQ(doc.m_nEpoca, 1u);
  EXPECT_EQ(doc.m_nPuntos, 1u);
  EXPECT_FALSE(doc.m_bEntrenada);
  EXPECT_EQ(doc.GetEstado(), "Entrenamiento Detenido");
  EXPECT_NE(doc.m_arrErrorMaximo.m_pDatos[0], 0.0);
  EXPECT_TRUE(vista.Habilitado(ID_ENTRENAR));
  EXPECT_FALSE(vista.Habilitado(ID_DETENER));
  EXPECT_TRUE(PuedeEntrenar(doc));
  AfxPumpMessages();
  EXPECT_EQ(vista.Cuenta(WM_FIN_ENTRENAMIENTO), 0);
  EXPECT_EQ(vista.Mensajes(), (std::vector<UINT>{WM_ACTUALIZAR, WM_ACTUALIZAR, WM_ACTUALIZAR}));
  EXPECT_EQ(Contar(Registro(), "    0 \t "), 1);
}

TEST_F(Entrenamiento, DetenerEnLaEpocaQueCumpleElCriterioLaDaPorEntrenada) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, XorAviso("100", "1")));
  CVistaPrueba vista;
  doc.AddView(&vista);
  doc.OnEntrenar();
  doc.OnDetener();
  AfxPumpMessages();
  EXPECT_TRUE(doc.m_bEntrenada);
  EXPECT_EQ(doc.m_nEpoca, 1u);
  EXPECT_EQ(doc.GetEstado(), "Entrenamiento Finalizado");
  EXPECT_EQ(vista.Cuenta(WM_FIN_ENTRENAMIENTO), 1);
  EXPECT_FALSE(vista.Habilitado(ID_ENTRENAR));
  EXPECT_FALSE(vista.Habilitado(ID_DETENER));
}

TEST_F(Entrenamiento, UnaSegundaTandaSigueConLaMemoriaDelMomento) {
  CNodusDoc seguida;
  ASSERT_TRUE(CrearRed(host, seguida, XorAviso("6")));
  HastaElFinal(seguida);

  CNodusDoc partida;
  ASSERT_TRUE(CrearRed(host, partida, XorAviso("6")));
  EntrenarUnaEpoca(partida);
  ASSERT_EQ(partida.m_nEpoca, 1u);
  HastaElFinal(partida);
  ExpectMismaRed(seguida, partida);

  // Without the previous changes the second run would differ.
  CNodusDoc olvidada;
  ASSERT_TRUE(CrearRed(host, olvidada, XorAviso("6")));
  EntrenarUnaEpoca(olvidada);
  olvidada.m_matIncOculta.Dimensionar(olvidada.m_nOcultas, olvidada.m_nEntradas + 1);
  olvidada.m_matIncSalida.Dimensionar(olvidada.m_nSalidas, olvidada.m_nOcultas + 1);
  HastaElFinal(olvidada);
  EXPECT_NE(Valores(olvidada.m_matPesosOculta), Valores(seguida.m_matPesosOculta));

  // The second block starts at epoch 1, and its lines from index 1 on.
  const std::string log = Registro();
  EXPECT_EQ(Contar(log, Cp1252("  Nº de Época Inicial: 1,\r\n")), 2);
}

TEST_F(Entrenamiento, DetenidaYReanudadaIgualQueSeguidaBitABit) {
  CNodusDoc seguida;
  ASSERT_TRUE(CrearRed(host, seguida, IrisAviso("20")));
  HastaElFinal(seguida);
  EXPECT_EQ(seguida.m_nEpoca, 20u);

  CNodusDoc partida;
  ASSERT_TRUE(CrearRed(host, partida, IrisAviso("20")));
  for (int i = 0; i < 7; ++i) EntrenarUnaEpoca(partida);
  EXPECT_EQ(partida.m_nEpoca, 7u);
  HastaElFinal(partida);
  ExpectMismaRed(seguida, partida);
}

TEST_F(Entrenamiento, MilArranquesYParadasSinBloqueoNiEpocasPerdidas) {
  CNodusDoc seguida, partida;
  for (CNodusDoc* d : {&seguida, &partida}) {
    ASSERT_TRUE(CrearRed(host, *d, XorAviso()));
    d->m_nMaxEpocas = 1000;
    d->m_arrErrorMaximo.Dimensionar(1000);
    d->m_arrErrorTotal.Dimensionar(1000);
    d->m_arrAciertos.Dimensionar(1000);
  }
  HastaElFinal(seguida);
  CVistaPrueba vista;
  partida.AddView(&vista);
  for (int i = 0; i < 1000; ++i) {
    partida.OnEntrenar();
    partida.OnDetener();
    ASSERT_EQ(partida.m_nEpoca, UINT(i + 1));
    if (i % 100 == 0) AfxPumpMessages();
  }
  AfxPumpMessages();
  ExpectMismaRed(seguida, partida);
  EXPECT_EQ(vista.Cuenta(WM_FIN_ENTRENAMIENTO), 1);
  EXPECT_EQ(Contar(Registro(), "FICHERO ENTRENADO"), 1001);
}

// ---------------------------------------------------------------- log

TEST_F(Entrenamiento, ElBloqueDelRegistroByteAByte) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Iris("3")));
  // Numbers in the C convention whatever the locale.
  const char* anterior = std::setlocale(LC_ALL, nullptr);
  const std::string guardado = anterior ? anterior : "C";
  std::setlocale(LC_ALL, "es_ES.UTF-8");
  HastaElFinal(doc);
  std::setlocale(LC_ALL, guardado.c_str());

  std::string esperado;
  esperado += "FICHERO ENTRENADO: " + Ejemplo("iris-train.txt") + "\r\n";
  esperado += "FICHERO TEST:      " + Ejemplo("iris-test.txt") + "\r\n";
  esperado += "  N\xBA de \xC9poca Inicial: 0,\r\n";
  esperado += "  Factor de Aprendizaje: 0.300000,  Factor de Momento: 0.500000\r\n";
  esperado += "\r\n" + kSeparador + "\r\n";
  esperado += "Epoca  Error M\xE1ximo  Error Total  Aciertos ";
  esperado += "\r\n" + kSeparador + "\r\n";
  for (UINT e = 0; e < 3; ++e) {
    char linea[256];
    std::snprintf(linea, sizeof linea, "   %2u \t %7.6f \t %7.5f \t %7.4f%%\r\n", e, doc.m_arrErrorMaximo.m_pDatos[e],
                  doc.m_arrErrorTotal.m_pDatos[e], doc.m_arrAciertos.m_pDatos[e]);
    esperado += linea;
  }
  esperado += "\r\n";
  EXPECT_EQ(Registro(), esperado);
  EXPECT_EQ(Registro().find(','), esperado.find(','));
}

TEST_F(Entrenamiento, DosTandasAnadenDosBloquesSinTocarLoAnterior) {
  const std::string previo = "texto anterior\r\n";
  carpeta.Escribir("HNRV.TXT", previo);
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, XorAviso()));
  EntrenarUnaEpoca(doc);
  const std::string primero = Registro();
  EntrenarUnaEpoca(doc);
  const std::string log = Registro();
  EXPECT_EQ(log.substr(0, primero.size()), primero);
  EXPECT_EQ(primero.substr(0, previo.size()), previo);
  EXPECT_EQ(Contar(log, "FICHERO ENTRENADO"), 2);
  EXPECT_EQ(Contar(log.substr(primero.size()), "    1 \t "), 1);
  EXPECT_EQ(Contar(log.substr(primero.size()), "    0 \t "), 0);
}

TEST_F(Entrenamiento, UnRegistroQueNoSePuedeAbrirNoAfectaAlEntrenamiento) {
  CNodusDoc normal;
  ASSERT_TRUE(CrearRed(host, normal, Xor("4")));
  HastaElFinal(normal);

  CCarpetaTemporal otra;
  std::filesystem::create_directory(otra.Fichero("HNRV.TXT"));
  CDirectorioActual aqui(otra.Ruta());
  CNodusDoc sinRegistro;
  CVistaPrueba vista;
  ASSERT_TRUE(CrearRed(host, sinRegistro, Xor("4")));
  sinRegistro.AddView(&vista);
  HastaElFinal(sinRegistro);
  ExpectMismaRed(normal, sinRegistro);
  EXPECT_EQ(sinRegistro.GetEstado(), "Entrenamiento Detenido");
  EXPECT_EQ(vista.Cuenta(WM_FIN_ENTRENAMIENTO), 1);
  // The training is untouched; the missing block is said.
  EXPECT_EQ(host.Textos(),
            std::vector<CString>{"No se ha podido escribir el registro de entrenamiento HNRV.TXT: es una carpeta."});
  host.Limpiar();

  // A log that opens but takes no bytes.
  if (!std::filesystem::exists("/dev/full")) return;
  CCarpetaTemporal llena;
  std::filesystem::create_symlink("/dev/full", llena.Fichero("HNRV.TXT"));
  CDirectorioActual alli(llena.Ruta());
  CNodusDoc sinSitio;
  ASSERT_TRUE(CrearRed(host, sinSitio, Xor("4")));
  HastaElFinal(sinSitio);
  ExpectMismaRed(normal, sinSitio);
  EXPECT_EQ(host.Textos(), std::vector<CString>{
                               "No se ha podido escribir el registro de entrenamiento HNRV.TXT: no es un fichero normal."});
}

TEST_F(Entrenamiento, DocumentosQueEntrenanALaVezNoMezclanSusLineas) {
  CNodusDoc a, b;
  ASSERT_TRUE(CrearRed(host, a, Iris("40")));
  ASSERT_TRUE(CrearRed(host, b, Xor("300")));
  a.OnEntrenar();
  b.OnEntrenar();
  EsperarFinHilo(a);
  EsperarFinHilo(b);
  const std::string log = Registro();
  EXPECT_EQ(Contar(log, "FICHERO ENTRENADO: "), 2);
  int epocas = 0;
  std::size_t inicio = 0;
  const std::string cabeceras[] = {"FICHERO ENTRENADO: ", "FICHERO TEST:      ", "  N\xBA de \xC9poca Inicial: 0,",
                                   "  Factor de Aprendizaje: ", "", kSeparador,
                                   "Epoca  Error M\xE1ximo  Error Total  Aciertos "};
  while (inicio < log.size()) {
    const std::size_t fin = log.find("\r\n", inicio);
    ASSERT_NE(fin, std::string::npos);
    const std::string linea = log.substr(inicio, fin - inicio);
    bool conocida = false;
    for (const auto& c : cabeceras) conocida |= c.empty() ? linea.empty() : linea.rfind(c, 0) == 0;
    if (linea.rfind("   ", 0) == 0 && linea.back() == '%') {
      conocida = true;
      ++epocas;
    }
    EXPECT_TRUE(conocida) << linea;
    inicio = fin + 2;
  }
  EXPECT_EQ(epocas, 340);
}

// ---------------------------------------------------------------- failures

TEST_F(Entrenamiento, UnFicheroQueFaltaDejaElArranqueFallido) {
  for (const char* cual : {"ent.txt", "ver.txt"}) {
    host.Limpiar();
    const std::string datos = LeerFichero(Ejemplo("xor.txt"));
    const std::string conAviso = LeerFichero(ConAviso(carpeta, "xor.txt", "1"));
    carpeta.Escribir("ent.txt", datos);
    carpeta.Escribir("ver.txt", conAviso);
    CNodusDoc doc;
    ParametrosRed p = Xor();
    p.entrenamiento = carpeta.Fichero("ent.txt");
    p.verificacion = carpeta.Fichero("ver.txt");
    ASSERT_TRUE(CrearRed(host, doc, p));
    CVistaPrueba vista;
    doc.AddView(&vista);
    const std::vector<double> pesos = Valores(doc.m_matPesosOculta);
    std::filesystem::remove(carpeta.Fichero(cual));

    HastaElFinal(doc);
    EXPECT_EQ(host.Textos(), std::vector<CString>{"Error en apertura de fichero. " + carpeta.Fichero(cual)}) << cual;
    EXPECT_TRUE(doc.m_bEntrenando);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetEstado(), "");
    EXPECT_EQ(doc.m_nEpoca, 0u);
    EXPECT_EQ(doc.m_nPuntos, 0u);
    EXPECT_EQ(Valores(doc.m_matPesosOculta), pesos);
    EXPECT_TRUE(vista.recibidos.empty());
    EXPECT_FALSE(std::filesystem::exists(carpeta.Fichero("HNRV.TXT")));
    EXPECT_FALSE(PuedeEntrenar(doc));
    EXPECT_TRUE(PuedeDetener(doc));
    EXPECT_FALSE(vista.Habilitado(ID_ENTRENAR));
    EXPECT_TRUE(vista.Habilitado(ID_DETENER));

    // Detener returns to Ready.
    doc.OnDetener();
    EXPECT_FALSE(doc.m_bEntrenando);
    EXPECT_TRUE(PuedeEntrenar(doc));
    EXPECT_TRUE(vista.Habilitado(ID_ENTRENAR));
    EXPECT_FALSE(vista.Habilitado(ID_DETENER));

    // The failed run may leave its end signal set; a new run stopped at once
    // must still be waited for.
    SetEvent(doc.m_hEventoParado);
    carpeta.Escribir(cual, std::string(cual) == "ent.txt" ? datos : conAviso);
    doc.OnEntrenar();
    doc.OnDetener();
    EXPECT_EQ(doc.m_nEpoca, 1u);
    EXPECT_EQ(doc.GetEstado(), "Entrenamiento Detenido");
    std::filesystem::remove(carpeta.Fichero("HNRV.TXT"));
  }
}

TEST_F(Entrenamiento, ElMensajeDelHiloSeMuestraMientrasDetenerEspera) {
  carpeta.Escribir("ent.txt", LeerFichero(Ejemplo("xor.txt")));
  CNodusDoc doc;
  ParametrosRed p = Xor();
  p.entrenamiento = carpeta.Fichero("ent.txt");
  ASSERT_TRUE(CrearRed(host, doc, p));
  std::filesystem::remove(carpeta.Fichero("ent.txt"));
  doc.OnEntrenar();
  doc.OnDetener();  // the thread's box is served while this waits
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Error en apertura de fichero. " + carpeta.Fichero("ent.txt")});
  EXPECT_FALSE(doc.m_bEntrenando);
  EXPECT_EQ(doc.m_pHilo, nullptr);
}

TEST_F(Entrenamiento, UnFicheroQueYaNoEncajaConLaRedSeRechaza) {
  carpeta.Escribir("ent.txt", LeerFichero(Ejemplo("xor.txt")));
  CNodusDoc doc;
  ParametrosRed p = Xor();
  p.entrenamiento = carpeta.Fichero("ent.txt");
  ASSERT_TRUE(CrearRed(host, doc, p));
  const std::vector<double> pesos = Valores(doc.m_matPesosOculta);
  // Three inputs now: rows longer than the network reads are no risk, but
  // they are not this network's data either.
  for (const char* datos : {"0 0 1\n0\n1 1 0\n1\n", "0\n0\n1\n1\n", "0 0\n0 1\n1 1\n1 0\n"}) {
    host.Limpiar();
    carpeta.Escribir("ent.txt", datos);
    HastaElFinal(doc);
    EXPECT_EQ(host.Textos(), std::vector<CString>{"Dimensiones Erroneas"}) << datos;
    EXPECT_TRUE(doc.m_bEntrenando);
    EXPECT_EQ(doc.m_nEpoca, 0u);
    EXPECT_EQ(Valores(doc.m_matPesosOculta), pesos);
    doc.OnDetener();
  }
}

// ---------------------------------------------------------------- threads

TEST_F(Entrenamiento, OtroHiloLeeElDocumentoComoLaVistaMientrasEntrena) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor("400")));
  CVistaPrueba vista;
  doc.AddView(&vista);
  std::atomic<int> lecturas{0};
  std::atomic<int> incompletas{0};
  // Reads until it has seen the run's end published.
  std::thread lector([&] {
    bool visto = false;
    while (!visto) {
      visto = doc.m_nEpoca.load() == 400;
      const UINT n = doc.m_nPuntos.load();
      for (UINT i = 0; i < n; ++i)
        if (doc.m_arrAciertos.m_pDatos[i] != 100.0 || doc.m_arrErrorTotal.m_pDatos[i] == 0.0) ++incompletas;
      const CString estado = doc.GetEstado();
      if (!estado.empty() && estado != "Entrenando..." && estado != "Entrenamiento Detenido") ++incompletas;
      (void)doc.m_nEpoca.load();
      (void)doc.m_bEntrenando.load();
      (void)doc.m_bEntrenada.load();
      (void)doc.IsModified();
      ++lecturas;
    }
  });
  doc.OnEntrenar();
  // The view updates itself on every message while the thread runs.
  host.PumparHasta([&] { return vista.Cuenta(WM_FIN_ENTRENAMIENTO) == 1; });
  EsperarFinHilo(doc);
  lector.join();
  EXPECT_EQ(incompletas.load(), 0);
  EXPECT_GT(lecturas.load(), 0);
  EXPECT_EQ(doc.m_nEpoca, 400u);
  EXPECT_EQ(vista.Cuenta(WM_ACTUALIZAR), 402);
  EXPECT_EQ(vista.actualizaciones, 402);
}
