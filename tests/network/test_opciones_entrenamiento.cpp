// The training options: the seed's weights, the shuffled order, early
// stopping that keeps the best epoch, more epochs after a finished run, the
// test file measured at the end, and default runs left as they were.
#include <cmath>
#include <set>

#include "framework/texto.h"
#include "network/parada.h"
#include "network/parametros.h"
#include "network/verificacion.h"
#include "tests/network/documento_apoyo.h"

namespace {

class OpcionesEntrenamiento : public ::testing::Test {
 protected:
  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};

  void Crear(CNodusDoc& doc, UINT nEpocas, const OpcionesRed& op = OpcionesRed(), UINT nOcultas = 5) {
    ASSERT_TRUE(NuevaIris(doc, nEpocas, op, nOcultas));
  }
  void Entrenar(CNodusDoc& doc) { EntrenarHastaElFin(doc); }
};

std::vector<double> Pesos(const CNodusDoc& d) {
  std::vector<double> v = Valores(d.m_matPesosOculta), s = Valores(d.m_matPesosSalida);
  v.insert(v.end(), s.begin(), s.end());
  const std::vector<double> a = Valores(d.m_matIncOculta), b = Valores(d.m_matIncSalida);
  v.insert(v.end(), a.begin(), a.end());
  v.insert(v.end(), b.begin(), b.end());
  return v;
}

OpcionesRed ConSemilla(UINT n) {
  OpcionesRed op;
  op.bSemilla = true;
  op.nSemilla = n;
  return op;
}

}  // namespace

TEST_F(OpcionesEntrenamiento, LaSemillaDaSiempreLosMismosPesosYLaUnoLosDeSiempre) {
  CNodusDoc hoy, uno, otraVez, dos;
  Crear(hoy, 10);
  Crear(uno, 10, ConSemilla(1));
  SemillaNodus(77);  // the process's sequence elsewhere: a seeded network does not care
  Crear(otraVez, 10, ConSemilla(1));
  Crear(dos, 10, ConSemilla(2));
  EXPECT_EQ(Pesos(hoy), Pesos(uno));
  EXPECT_EQ(Pesos(uno), Pesos(otraVez));
  EXPECT_NE(Pesos(uno), Pesos(dos));
  // Kept with the network: the block after the history, the rest the old bytes.
  const std::vector<BYTE> a = Guardar(hoy), b = Guardar(uno);
  ASSERT_GT(b.size(), a.size());
  EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
  CNodusDoc leida;
  CArchive ar(b.data(), b.size());
  leida.Serialize(ar);
  EXPECT_TRUE(leida.m_opciones.bSemilla);
  EXPECT_EQ(leida.m_opciones.nSemilla, 1u);
}

TEST_F(OpcionesEntrenamiento, SinOpcionesCadaEjecucionEsLaDeSiempreByteAByte) {
  // Default options through the new paths, against the document made as
  // before (OnNewDocument) and trained the same.
  CNodusDoc nueva, antes;
  Crear(nueva, 15);
  ParametrosRed p;
  p.entrenamiento = Ejemplo("iris-train.txt");
  p.verificacion = Ejemplo("iris-test.txt");
  p.ocultas = "5";
  p.aprendizaje = "0.3";
  p.momento = "0.5";
  p.error = "0";
  p.epocas = "15";
  ASSERT_TRUE(CrearRed(host, antes, p));
  Entrenar(nueva);
  Entrenar(antes);
  EXPECT_EQ(Guardar(nueva), Guardar(antes));
}

TEST_F(OpcionesEntrenamiento, BarajarCambiaElOrdenDeCadaEpocaSoloPorSuSemillaYEpoca) {
  std::vector<UINT> a(50), b(50), c(50);
  OrdenEpoca(a, 1, 0);
  OrdenEpoca(b, 1, 0);
  OrdenEpoca(c, 1, 1);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_EQ(std::set<UINT>(c.begin(), c.end()).size(), 50u);
  // A shuffled run trains otherwise, and a stop and resume changes nothing.
  OpcionesRed op;
  op.bBarajar = true;
  CNodusDoc fija, barajada, partida;
  Crear(fija, 6);
  Crear(barajada, 6, op);
  Crear(partida, 3, op);
  Entrenar(fija);
  Entrenar(barajada);
  Entrenar(partida);
  ASSERT_TRUE(partida.AmpliarEpocas(3));
  Entrenar(partida);
  EXPECT_NE(Pesos(fija), Pesos(barajada));
  EXPECT_EQ(Guardar(barajada), Guardar(partida));
}

TEST_F(OpcionesEntrenamiento, ParadaTempranaVuelveALaMejorEpocaComoSiSeHubieraParadoAMano) {
  OpcionesRed op;
  op.nPaciencia = 3;
  CNodusDoc doc;
  Crear(doc, 400, op, 2);
  Entrenar(doc);
  ASSERT_TRUE(doc.m_opciones.bParadaTemprana);
  const UINT e = doc.m_nEpoca, b = doc.m_opciones.nEpocaMejor;
  ASSERT_LT(e, 400u);
  EXPECT_EQ(e, b + 1 + 3);  // every epoch that ran is in the history
  EXPECT_EQ(doc.m_nPuntos, e);
  for (UINT i = 0; i < e; ++i) EXPECT_GE(doc.m_arrErrorTotal.m_pDatos[i], doc.m_arrErrorTotal.m_pDatos[b]);
  EXPECT_EQ(doc.GetEstado(), FormatC("Parada temprana: época %u", b));
  CCmdUI ui(ID_ENTRENAR);
  doc.OnUpdateEntrenar(&ui);
  EXPECT_FALSE(ui.m_bEnabled && !doc.m_opciones.bParadaTemprana);
  EXPECT_FALSE(doc.AmpliarEpocas(10));

  // The same network stopped by hand after epoch b.
  CNodusDoc mano;
  Crear(mano, b + 1, OpcionesRed(), 2);
  Entrenar(mano);
  EXPECT_EQ(Pesos(doc), Pesos(mano));

  // Its file keeps the stop, and reads back whole.
  const std::vector<BYTE> bytes = Guardar(doc);
  CNodusDoc leida;
  CArchive ar(bytes.data(), bytes.size());
  leida.Serialize(ar);
  EXPECT_EQ(leida.m_opciones, doc.m_opciones);
}

TEST_F(OpcionesEntrenamiento, PacienciaDetenidaYReanudadaComoUnaEjecucion) {
  OpcionesRed op;
  op.nPaciencia = 2;
  CNodusDoc seguida, partida;
  Crear(seguida, 400, op, 2);
  Entrenar(seguida);
  Crear(partida, 2, op, 2);
  Entrenar(partida);
  // Through the file, as another program would take it up.
  const std::vector<BYTE> bytes = Guardar(partida);
  CNodusDoc leida;
  CArchive ar(bytes.data(), bytes.size());
  leida.Serialize(ar);
  ASSERT_TRUE(leida.AmpliarEpocas(398));
  Entrenar(leida);
  EXPECT_EQ(Guardar(leida), Guardar(seguida));
}

TEST_F(OpcionesEntrenamiento, MasEpocasTrasAcabarDaLosBytesDeUnaEjecucionMasLarga) {
  CNodusDoc larga, corta;
  Crear(larga, 12);
  Crear(corta, 5);
  Entrenar(larga);
  Entrenar(corta);
  EXPECT_EQ(corta.m_nEpoca, 5u);
  ASSERT_TRUE(corta.AmpliarEpocas(7));
  EXPECT_EQ(corta.m_nMaxEpocas, 12u);
  Entrenar(corta);
  EXPECT_EQ(Guardar(corta), Guardar(larga));

  EXPECT_EQ(ComprobarMasEpocas("0", 12).Mensaje(), "Más épocas: Introduzca un número entero entre 1 y 999988.");
  EXPECT_TRUE(ComprobarMasEpocas("x", 12).EsRechazo());
  EXPECT_EQ(*ComprobarMasEpocas("999988", 12), 999988u);
  EXPECT_EQ(ComprobarMasEpocas("1", kEpocasMaximasAmpliadas).Mensaje(),
            "La red ya tiene 1000000 épocas, el máximo que puede tener.");
}

TEST_F(OpcionesEntrenamiento, LaPruebaSeMideAlAcabarComoVerificar) {
  OpcionesRed op;
  op.strFicheroPrueba = Ejemplo("iris-test.bin");
  CNodusDoc doc;
  Crear(doc, 8, op);
  EXPECT_FALSE(doc.m_opciones.bFigurasPrueba);
  // Stopped by hand after its first epoch: measured all the same.
  doc.OnEntrenar();
  doc.OnDetener();
  AfxPumpMessages();
  ASSERT_TRUE(doc.m_opciones.bFigurasPrueba);
  const UINT e = doc.m_nEpoca;
  const Resultado<ResultadosVerificacion> v = VerificarFichero(doc.GetRed(), op.strFicheroPrueba);
  ASSERT_TRUE(v);
  EXPECT_EQ(doc.m_opciones.figurasPrueba, FigurasDe(*v, e));
  // Never trained or stopped on: the history is that of a network without it.
  Entrenar(doc);
  CNodusDoc sin;
  Crear(sin, 8);
  Entrenar(sin);
  EXPECT_EQ(Pesos(doc), Pesos(sin));
  EXPECT_EQ(Valores(doc.m_arrErrorTotal), Valores(sin.m_arrErrorTotal));
  EXPECT_EQ(doc.m_opciones.figurasPrueba.nEpoca, 8u);
}

TEST_F(OpcionesEntrenamiento, LasOpcionesFueraDeRangoSeRechazanConSuNombre) {
  const CString ent = Ejemplo("iris-train.txt"), ver = Ejemplo("iris-test.txt");
  auto con = [&](const char* clave, const CString& valor) {
    return ComprobarOpcionesRed({{clave, valor}}, false, ent, ver, OpcionesRed());
  };
  EXPECT_EQ(con("semilla", "-1").Mensaje(), "Semilla: Introduzca un número entero positivo.");
  EXPECT_EQ(con("semilla", "4294967296").Mensaje(), "Semilla: Introduzca un número entero positivo.");
  EXPECT_EQ(con("semilla", "4294967295")->nSemilla, 4294967295u);
  EXPECT_EQ(con("paciencia", "0").Mensaje(), "Paciencia: Introduzca un número entero entre 1 y 400.");
  EXPECT_EQ(con("paciencia", "401").Mensaje(), "Paciencia: Introduzca un número entero entre 1 y 400.");
  EXPECT_EQ(con("prueba", ver).Mensaje(), "El fichero de prueba ha de ser otro que los de entrenamiento y verificación.");
  EXPECT_EQ(con("prueba", Ejemplo("xor.txt")).Mensaje(),
            "El fichero de prueba " + Ejemplo("xor.txt") + " tiene 2 entradas y 1 salidas; el de entrenamiento, 4 y 3.");
  EXPECT_TRUE(con("prueba", "no-existe.txt").EsRechazo());
  const Resultado<OpcionesRed> bien = ComprobarOpcionesRed(
      {{"semilla", "9"}, {"paciencia", "5"}, {"prueba", Ejemplo("iris-test.bin")}}, true, ent, ver, OpcionesRed());
  ASSERT_TRUE(bien) << bien.Mensaje();
  EXPECT_TRUE(bien->bSemilla && bien->bBarajar);
  EXPECT_EQ(bien->nPaciencia, 5u);
}

namespace {

OpcionesRed Medir() {
  OpcionesRed op;
  op.bMedirEntrenamiento = true;
  return op;
}

// The figures the option keeps for epoch e against a network trained to the
// end of that epoch, measured as Verificar measures its files.
void ComoVerificar(const CNodusDoc& doc, UINT e, CNodusDoc& hasta) {
  const OpcionesRed& op = doc.m_opciones;
  const Resultado<ResultadosVerificacion> t = VerificarFichero(hasta.GetRed(), Ejemplo("iris-train.txt"));
  const Resultado<ResultadosVerificacion> v = VerificarFichero(hasta.GetRed(), Ejemplo("iris-test.txt"));
  ASSERT_TRUE(t && v);
  EXPECT_EQ(op.entErrorMaximo[e], t->medidas.dErrorMaximo) << e;
  EXPECT_EQ(op.entErrorTotal[e], t->medidas.dErrorTotal) << e;
  EXPECT_EQ(op.entAciertos[e], t->medidas.dTasaAciertos) << e;
  const UINT n = doc.m_nSalidas;
  ASSERT_EQ(op.nClases, n);
  const std::vector<UINT> matriz(op.matrices.begin() + e * n * n, op.matrices.begin() + (e + 1) * n * n);
  EXPECT_EQ(matriz, v->matriz) << e;
  for (UINT k = 0; k < n; ++k) {
    double d = 0.0;
    ASSERT_TRUE(v->Sensibilidad(k, d));
    EXPECT_EQ(op.aciertosClase[e * n + k], d) << e << " " << k;
  }
  // The class rates add up to the epoch's hits.
  UINT aciertos = 0;
  for (UINT k = 0; k < n; ++k) aciertos += matriz[k * n + k];
  EXPECT_EQ(100.0 * aciertos / v->nMuestras, doc.m_arrAciertos.m_pDatos[e]);
}

}  // namespace

TEST_F(OpcionesEntrenamiento, MedirElEntrenamientoGuardaSusCifrasYLasDeCadaClaseSinCambiarLaRed) {
  CNodusDoc medida, sin;
  Crear(medida, 8, Medir());
  Crear(sin, 8);
  Entrenar(medida);
  Entrenar(sin);
  // The same run: weights and verification history.
  EXPECT_EQ(Pesos(medida), Pesos(sin));
  EXPECT_EQ(Valores(medida.m_arrErrorTotal), Valores(sin.m_arrErrorTotal));
  EXPECT_EQ(Valores(medida.m_arrAciertos), Valores(sin.m_arrAciertos));
  // Each epoch's figures are those of the network stopped by hand there.
  for (UINT e : {0u, 3u, 7u}) {
    CNodusDoc hasta;
    Crear(hasta, e + 1);
    Entrenar(hasta);
    ComoVerificar(medida, e, hasta);
  }
  // The file: the described layout as without the option, then the block;
  // read back whole.
  const std::vector<BYTE> a = Guardar(sin), b = Guardar(medida);
  ASSERT_GT(b.size(), a.size());
  EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
  EXPECT_EQ(medida.m_opciones.entErrorMaximo.size(), 8u);
  CNodusDoc leida;
  CArchive ar(b.data(), b.size());
  leida.Serialize(ar);
  EXPECT_EQ(leida.m_opciones, medida.m_opciones);
}

TEST_F(OpcionesEntrenamiento, ElHistorialMedidoSigueComoUnaEjecucionAlReanudarYAlPararPorPaciencia) {
  CNodusDoc seguida, partida, tarde;
  Crear(seguida, 8, Medir());
  Entrenar(seguida);
  Crear(partida, 3, Medir());
  Entrenar(partida);
  const std::vector<BYTE> bytes = Guardar(partida);
  CNodusDoc leida;
  {
    CArchive ar(bytes.data(), bytes.size());
    leida.Serialize(ar);
  }
  ASSERT_TRUE(leida.AmpliarEpocas(5));
  Entrenar(leida);
  EXPECT_EQ(Guardar(leida), Guardar(seguida));

  // Turned on later: the epochs before it are not measured (NaN), the
  // following ones are those of the run measured all along.
  Crear(tarde, 3);
  Entrenar(tarde);
  tarde.m_opciones.bMedirEntrenamiento = true;
  ASSERT_TRUE(tarde.AmpliarEpocas(5));
  Entrenar(tarde);
  Guardar(tarde);
  ASSERT_EQ(tarde.m_opciones.entErrorTotal.size(), 8u);
  for (UINT e = 0; e < 8; ++e) {
    EXPECT_EQ(std::isnan(tarde.m_opciones.entErrorTotal[e]), e < 3) << e;
    if (e >= 3) {
      EXPECT_EQ(tarde.m_opciones.entErrorTotal[e], seguida.m_opciones.entErrorTotal[e]) << e;
    }
  }

  // Stopped by its patience: one entry per epoch run, as the history.
  OpcionesRed op = Medir();
  op.nPaciencia = 3;
  CNodusDoc paciente;
  Crear(paciente, 400, op, 2);
  Entrenar(paciente);
  ASSERT_TRUE(paciente.m_opciones.bParadaTemprana);
  Guardar(paciente);
  EXPECT_EQ(paciente.m_opciones.entErrorMaximo.size(), paciente.m_nEpoca.load());
  EXPECT_EQ(paciente.m_opciones.aciertosClase.size(), std::size_t(paciente.m_nEpoca.load()) * paciente.m_nSalidas);
  for (double v : paciente.m_opciones.entAciertos) EXPECT_FALSE(std::isnan(v));
}
