// Verification: the dialogs, the refusal of files that do not fit, and the
// figures of the results dialog.
#include <cstring>

#include "data/conjunto.h"
#include "framework/texto.h"
#include "network/aritmetica.h"
#include "network/verificacion.h"
#include "tests/network/documento_apoyo.h"

namespace {

const CString kDimensiones = "Dimensiones Incorrectas del Fichero de Verificación";

struct Resultados {
  bool mostrado = false;
  CString fichero, muestras, aciertos, errorTotal;
};

class Verificacion : public ::testing::Test {
 protected:
  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};
  Resultados res;

  ParametrosRed Iris() {
    ParametrosRed p;
    p.entrenamiento = Ejemplo("iris-train.txt");
    p.verificacion = Ejemplo("iris-test.txt");
    p.ocultas = "4";
    p.error = "0";
    p.aprendizaje = "0.3";
    return p;
  }
  // The verification dialog answered with a path, OK pressed.
  void Elegir(const CString& ruta) {
    host.guionDialogos.push_back([ruta](CDialog& d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, ruta);
      PulsarOK(d);
    });
  }
  // The results dialog, read from its controls as the user sees it.
  void Leer() {
    host.guionDialogos.push_back([this](CDialog& d) {
      EXPECT_EQ(d.GetTemplateId(), UINT(IDD_RESULTADOS));
      res.mostrado = true;
      res.fichero = d.GetDlgItem(IDC_RES_FICHERO)->GetWindowText();
      res.muestras = d.GetDlgItem(IDC_RES_MUESTRAS)->GetWindowText();
      res.aciertos = d.GetDlgItem(IDC_ACIERTOS)->GetWindowText();
      res.errorTotal = d.GetDlgItem(IDC_ERROR_TOTAL)->GetWindowText();
      PulsarOK(d);
    });
  }
};

std::string Binario(UINT entradas, UINT salidas, const std::vector<double>& valores) {
  std::string s;
  auto u32 = [&](UINT v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
  };
  u32(entradas);
  u32(salidas);
  u32(UINT(valores.size() / (entradas + salidas)));
  for (double v : valores) {
    char b[8];
    std::memcpy(b, &v, 8);
    s.append(b, 8);
  }
  return s;
}

}  // namespace

TEST_F(Verificacion, ConElFicheroDeVerificacionDaLaUltimaEntradaDelHistorial) {
  CNodusDoc doc;
  ParametrosRed p = Iris();
  p.verificacion = ConAviso(carpeta, "iris-test.txt", "0 0 1");
  ASSERT_TRUE(CrearRed(host, doc, p));
  for (int i = 0; i < 4; ++i) EntrenarUnaEpoca(doc);
  ASSERT_EQ(doc.m_nEpoca, 4u);
  const bool modificado = doc.IsModified();
  const std::vector<BYTE> antes = Guardar(doc);
  host.Limpiar();
  Elegir(doc.m_strFicheroVerificacion);
  Leer();
  doc.OnVerificar();
  ASSERT_TRUE(res.mostrado);
  EXPECT_EQ(host.Textos(), std::vector<CString>{"faltan datos"});
  EXPECT_EQ(res.fichero, p.verificacion);
  EXPECT_EQ(res.errorTotal, FormatC("%8.6f", doc.m_arrErrorTotal.m_pDatos[3]));
  EXPECT_EQ(res.aciertos, FormatC("%7.4f %%", doc.m_arrAciertos.m_pDatos[3]));
  CConjuntoDatos conjunto;
  ASSERT_TRUE(conjunto.Cargar(p.verificacion));
  EXPECT_EQ(res.muestras, FormatC("%u", conjunto.m_nMuestras));
  // The document gains nothing.
  EXPECT_EQ(Guardar(doc), antes);
  EXPECT_EQ(doc.IsModified(), modificado);
}

TEST_F(Verificacion, UnaRedSinEntrenarUsaLosPesosIniciales) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Iris()));
  Elegir(Ejemplo("iris-train.txt"));
  Leer();
  doc.OnVerificar();
  ASSERT_TRUE(res.mostrado);
  CConjuntoDatos conjunto;
  ASSERT_TRUE(conjunto.Cargar(Ejemplo("iris-train.txt")));
  RedPerceptron red{doc.m_nEntradas, doc.m_nOcultas, doc.m_nSalidas, &doc.m_matPesosOculta,
                    &doc.m_matPesosSalida, &doc.m_matIncOculta, &doc.m_matIncSalida};
  std::vector<double> h(doc.m_nOcultas), o(doc.m_nSalidas);
  const MedidasConjunto m = MedirConjunto(red, conjunto, h.data(), o.data());
  EXPECT_EQ(res.errorTotal, FormatC("%8.6f", m.dErrorTotal));
  EXPECT_EQ(res.aciertos, FormatC("%7.4f %%", m.dTasaAciertos));
  EXPECT_EQ(res.muestras, "100");
  EXPECT_EQ(doc.m_nEpoca, 0u);
}

TEST_F(Verificacion, VerificarMientrasEntrenaDetieneElEntrenamiento) {
  CNodusDoc doc;
  ParametrosRed p = Iris();
  p.epocas = "400";
  ASSERT_TRUE(CrearRed(host, doc, p));
  CVistaPrueba vista;
  doc.AddView(&vista);
  doc.OnEntrenar();
  host.guionDialogos.push_back([&](CDialog& d) {
    // By now the weights no longer change.
    EXPECT_FALSE(doc.m_bEntrenando);
    EXPECT_EQ(doc.m_pHilo, nullptr);
    PulsarCancel(d);
  });
  doc.OnVerificar();
  EXPECT_GE(doc.m_nEpoca, 1u);
  EXPECT_EQ(doc.m_nEpoca, doc.m_nPuntos.load());
  EXPECT_TRUE(vista.Habilitado(ID_ENTRENAR));
  EXPECT_FALSE(vista.Habilitado(ID_DETENER));
  EXPECT_FALSE(res.mostrado);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Verificacion, EntrenarQuedaDeshabilitadoSiLaRedYaNoPuedeEntrenar) {
  CNodusDoc doc;
  ParametrosRed p = Iris();
  p.epocas = "1";
  ASSERT_TRUE(CrearRed(host, doc, p));
  CVistaPrueba vista;
  doc.AddView(&vista);
  EntrenarUnaEpoca(doc);
  vista.GetDlgItem(ID_ENTRENAR)->EnableWindow(TRUE);
  doc.OnVerificar();  // the dialog is cancelled
  EXPECT_FALSE(vista.Habilitado(ID_ENTRENAR));
}

TEST_F(Verificacion, UnFicheroQueNoEncajaVuelveAlDialogoConLaRutaRechazada) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Iris()));
  const std::string xor_ = Ejemplo("xor.txt");
  const std::string unaLinea = carpeta.Escribir("una.txt", "1 2 3 4\n");
  const std::string vacio = carpeta.Escribir("vacio.txt", "/ sin datos\n");
  const std::string tresSalidasMas = carpeta.Escribir("mas.txt", "1 2 3 4\n0 0 1 1 1 1\n");
  std::vector<CString> vistos;
  Elegir(xor_);
  for (const std::string& ruta : {unaLinea, vacio, tresSalidasMas}) {
    host.guionDialogos.push_back([&vistos, ruta](CDialog& d) {
      vistos.push_back(d.GetDlgItem(IDC_FICHERO_ENTRENAMIENTO)->GetWindowText());
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, ruta);
      PulsarOK(d);
    });
  }
  host.guionDialogos.push_back([&vistos](CDialog& d) {
    vistos.push_back(d.GetDlgItem(IDC_FICHERO_ENTRENAMIENTO)->GetWindowText());
    PulsarCancel(d);
  });
  doc.OnVerificar();
  EXPECT_EQ(host.Textos(), (std::vector<CString>{kDimensiones, kDimensiones, kDimensiones, kDimensiones}));
  EXPECT_EQ(vistos, (std::vector<CString>{xor_, unaLinea, vacio, tresSalidasMas}));
  EXPECT_FALSE(res.mostrado);
}

TEST_F(Verificacion, UnaRutaVaciaOInexistenteLaRechazaElDialogo) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Iris()));
  host.guionDialogos.push_back([&](CDialog& d) {
    PulsarOK(d);
    EXPECT_FALSE(d.IsEnded());
    Escribir(d, IDC_FICHERO_ENTRENAMIENTO, carpeta.Fichero("no-existe.txt"));
    PulsarOK(d);
    EXPECT_FALSE(d.IsEnded());
    EXPECT_EQ(d.GetFocusControl(), IDC_FICHERO_ENTRENAMIENTO);
    PulsarCancel(d);
  });
  doc.OnVerificar();
  EXPECT_EQ(host.Textos(), (std::vector<CString>{"No ha introducido un fichero",
                                                 "No se ha podido abrir el fichero o fichero inexistente"}));
  EXPECT_FALSE(res.mostrado);
}

TEST_F(Verificacion, UnFicheroQueNoSeCargaTerminaSinResultados) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Iris()));
  // The last input line has no output line.
  Elegir(carpeta.Escribir("corto.txt", "1 2 3 4\n0 0 1\n1 2 3 4\n0 1 0\n1 2 3 4\n"));
  doc.OnVerificar();
  EXPECT_EQ(host.Textos(), (std::vector<CString>{"Faltan datos.", "Error en apertura de fichero"}));
  EXPECT_FALSE(res.mostrado);
}

TEST_F(Verificacion, UnaLineaCortaSeRellenaConCerosYSeVerifica) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Iris()));
  Elegir(carpeta.Escribir("ceros.txt", "1 2 3 4\n0 0 1\n1 2\n0 1 0\n"));
  Leer();
  doc.OnVerificar();
  EXPECT_EQ(host.Textos(), std::vector<CString>{"faltan datos"});
  ASSERT_TRUE(res.mostrado);
  EXPECT_EQ(res.muestras, "2");
}

TEST_F(Verificacion, ConUnaSolaSalidaTodoEsAcierto) {
  CNodusDoc doc;
  ParametrosRed p;
  p.entrenamiento = Ejemplo("xor.txt");
  p.verificacion = Ejemplo("xor.txt");
  ASSERT_TRUE(CrearRed(host, doc, p));
  Elegir(Ejemplo("xor.txt"));
  Leer();
  doc.OnVerificar();
  ASSERT_TRUE(res.mostrado);
  EXPECT_EQ(res.aciertos, "100.0000 %");
  EXPECT_EQ(res.muestras, "4");
  EXPECT_EQ(res.fichero, Ejemplo("xor.txt"));
  EXPECT_EQ(res.errorTotal.size(), 8u);
}

TEST_F(Verificacion, UnFicheroSinMuestras) {
  CNodusDoc doc;
  ParametrosRed p;
  p.entrenamiento = Ejemplo("xor.txt");
  p.verificacion = Ejemplo("xor.txt");
  ASSERT_TRUE(CrearRed(host, doc, p));
  Elegir(carpeta.Escribir("vacio.bin", Binario(2, 1, {})));
  Leer();
  doc.OnVerificar();
  ASSERT_TRUE(res.mostrado);
  EXPECT_EQ(res.muestras, "0");
  EXPECT_EQ(res.errorTotal, "0.000000");
  EXPECT_EQ(res.aciertos, " 0.0000 %");
}

TEST_F(Verificacion, SalidasIgualesALosObjetivosDanErrorCero) {
  // A network whose every output is exactly 0.5: hidden and output weights
  // all zero. Targets of 0.5 then give no error at all.
  CNodusDoc doc;
  ParametrosRed p;
  p.entrenamiento = Ejemplo("xor.txt");
  p.verificacion = Ejemplo("xor.txt");
  ASSERT_TRUE(CrearRed(host, doc, p));
  doc.m_matPesosOculta.Dimensionar(doc.m_nOcultas, doc.m_nEntradas + 1);
  doc.m_matPesosSalida.Dimensionar(doc.m_nSalidas, doc.m_nOcultas + 1);
  Elegir(carpeta.Escribir("medio.bin", Binario(2, 1, {0, 1, 0.5, 1, 1, 0.5})));
  Leer();
  doc.OnVerificar();
  ASSERT_TRUE(res.mostrado);
  EXPECT_EQ(res.errorTotal, "0.000000");
  EXPECT_EQ(res.aciertos, "100.0000 %");
}

// ---------------------------------------------------------------- the core's functions

// The functions the command and nrv-cli share: the same figures as the
// reference pass, and a confusion matrix whose counts are each sample's
// pair of winners.
TEST_F(Verificacion, VerificarFicheroDaLasCifrasDeLaReferenciaYSuMatriz) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Iris()));
  for (int i = 0; i < 3; ++i) EntrenarUnaEpoca(doc);
  const RedPerceptron red = doc.GetRed();
  for (const char* nombre : {"iris-test.txt", "iris-train.bin"}) {
    SCOPED_TRACE(nombre);
    const CString ruta = Ejemplo(nombre);
    ASSERT_TRUE(ComprobarDimensiones(red, ruta));
    const Resultado<ResultadosVerificacion> v = VerificarFichero(red, ruta);
    ASSERT_TRUE(v);
    CConjuntoDatos c;
    ASSERT_TRUE(c.Cargar(ruta));
    std::vector<double> h(red.nOcultas), o(red.nSalidas);
    const MedidasConjunto m = MedirConjunto(red, c, h.data(), o.data());
    EXPECT_EQ(std::memcmp(&v->medidas.dErrorTotal, &m.dErrorTotal, sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&v->medidas.dErrorMaximo, &m.dErrorMaximo, sizeof(double)), 0);
    EXPECT_EQ(v->medidas.nAciertos, m.nAciertos);
    EXPECT_EQ(v->nMuestras, c.m_nMuestras);
    ASSERT_EQ(v->nSalidas, 3u);
    std::vector<UINT> esperada(9, 0);
    for (UINT s = 0; s < c.m_nMuestras; ++s) {
      Propagar(red, c.m_matEntradas.m_ppFilas[s], h.data(), o.data());
      ++esperada[Ganador(c.m_matSalidas.m_ppFilas[s], 3) * 3 + Ganador(o.data(), 3)];
    }
    EXPECT_EQ(v->matriz, esperada);
    UINT total = 0, diagonal = 0;
    for (UINT k = 0; k < 3; ++k) {
      total += v->TotalObjetivo(k);
      diagonal += v->Cuenta(k, k);
    }
    EXPECT_EQ(total, c.m_nMuestras);
    EXPECT_EQ(diagonal, m.nAciertos);
    const TextosResultados t = TextosVerificacion(ruta, *v);
    EXPECT_EQ(t.strAciertos, FormatC("%7.4f %%", m.dTasaAciertos));
    EXPECT_EQ(t.strErrorTotal, FormatC("%8.6f", m.dErrorTotal));
  }
}

TEST_F(Verificacion, LasNegativasDelNucleoSonLasDelDialogo) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Iris()));
  const RedPerceptron red = doc.GetRed();
  EXPECT_EQ(ComprobarFicheroDatos("").Mensaje(), "No ha introducido un fichero");
  EXPECT_TRUE(ComprobarFicheroDatos("").EsRechazo());
  EXPECT_EQ(ComprobarFicheroDatos("no-existe.txt").Mensaje(), "No se ha podido abrir el fichero o fichero inexistente");
  EXPECT_EQ(ComprobarFicheroDatos(carpeta.Ruta()).Mensaje(), "No se ha podido abrir el fichero o fichero inexistente");
  const Resultado<Hecho> d = ComprobarDimensiones(red, Ejemplo("xor.txt"));
  EXPECT_EQ(d.Mensaje(), kDimensiones);
  EXPECT_TRUE(d.EsRechazo());
  const Resultado<ResultadosVerificacion> v = VerificarFichero(red, carpeta.Escribir("falta.txt", "1 2 3 4\n1 0 0\n1 2 3 4\n"));
  EXPECT_FALSE(v);
  EXPECT_FALSE(v.EsRechazo());
  EXPECT_EQ(v.Mensaje(), "Error en apertura de fichero");
  // The core shows nothing of its own: only the loader's message.
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Faltan datos."});
}

TEST(MatrizConfusion, TextoAlineadoYTabulado) {
  ResultadosVerificacion v;
  v.nMuestras = 10;
  v.nSalidas = 3;
  v.matriz = {4, 0, 0, 1, 2, 0, 0, 0, 3};
  v.medidas.nAciertos = 9;
  double d = 0.0;
  ASSERT_TRUE(v.Sensibilidad(1, d));
  EXPECT_DOUBLE_EQ(d, 200.0 / 3);
  ASSERT_TRUE(v.Precision(0, d));
  EXPECT_DOUBLE_EQ(d, 80.0);
  EXPECT_EQ(TextoMatriz(v, {"setosa", "versicolor", "virginica"}, false),
            "Matriz de confusión (filas: objetivo; columnas: red):\n"
            "objetivo \\ red     setosa  versicolor   virginica  Sensibilidad\n"
            "setosa                  4           0           0    100.0000 %\n"
            "versicolor              1           2           0     66.6667 %\n"
            "virginica               0           0           3    100.0000 %\n"
            "Precisión       80.0000 %  100.0000 %  100.0000 %\n");
  EXPECT_EQ(TextoMatriz(v, {}, true),
            "objetivo \\ red\tsalida1\tsalida2\tsalida3\tSensibilidad\n"
            "salida1\t4\t0\t0\t100.0000\n"
            "salida2\t1\t2\t0\t66.6667\n"
            "salida3\t0\t0\t3\t100.0000\n"
            "Precisión\t80.0000\t100.0000\t100.0000\t\n");
  // A class that no sample has, and that the network never picks.
  v.matriz = {5, 0, 0, 0, 0, 0, 0, 0, 5};
  EXPECT_FALSE(v.Sensibilidad(1, d));
  EXPECT_FALSE(v.Precision(1, d));
  EXPECT_NE(TextoMatriz(v, {}, true).find("salida2\t0\t0\t0\t-\n"), CString::npos);
}
