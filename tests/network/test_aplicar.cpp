// Applying a network: each sample's outputs as the arithmetic gives them,
// hits that agree with verification, the CSV the results are written in,
// and the samples read from data files or tables.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/importar.h"
#include "framework/texto.h"
#include "network/aplicar.h"
#include "tests/support/test_host.h"

namespace {

struct Red {
  CMatrizReales oculta, salida, incOculta, incSalida;
  RedPerceptron red{};
  Red(UINT e, UINT h, UINT s, std::uint64_t semilla) {
    oculta.Dimensionar(h, e + 1);
    salida.Dimensionar(s, h + 1);
    incOculta.Dimensionar(h, e + 1);
    incSalida.Dimensionar(s, h + 1);
    std::mt19937_64 gen(semilla);
    std::uniform_real_distribution<double> d(-2.0, 2.0);
    for (CMatrizReales* m : {&oculta, &salida})
      for (UINT i = 0; i < m->m_nFilas; ++i)
        for (UINT j = 0; j < m->m_nColumnas; ++j) m->m_ppFilas[i][j] = d(gen);
    red = RedPerceptron{e, h, s, &oculta, &salida, &incOculta, &incSalida};
  }
};

void Conjunto(CConjuntoDatos& c, UINT e, UINT s, UINT n, std::uint64_t semilla) {
  std::mt19937_64 gen(semilla);
  std::uniform_real_distribution<double> d(0.0, 1.0);
  c.m_nMuestras = n;
  c.m_nEntradas = e;
  c.m_nSalidas = s;
  c.m_matEntradas.Dimensionar(n, e);
  c.m_matSalidas.Dimensionar(n, s);
  for (UINT m = 0; m < n; ++m) {
    for (UINT j = 0; j < e; ++j) c.m_matEntradas.m_ppFilas[m][j] = d(gen);
    c.m_matSalidas.m_ppFilas[m][m % s] = 1.0;
  }
  c.m_bCargado = true;
}

std::vector<std::string> Lineas(const std::string& s) {
  std::vector<std::string> v;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t f = s.find("\r\n", i);
    v.push_back(s.substr(i, f - i));
    i = f == std::string::npos ? s.size() : f + 2;
  }
  return v;
}

}  // namespace

TEST(Aplicar, SalidasDePropagarYAciertosDeLaVerificacion) {
  for (UINT s : {1u, 3u, 10u}) {
    Red r(5, 12, s, 40 + s);
    CConjuntoDatos c;
    Conjunto(c, 5, s, 137, 7 * s);
    const Aplicacion a = AplicarConjunto(r.red, c, true);
    ASSERT_EQ(a.nMuestras, 137u);
    std::vector<double> h(12), o(s);
    for (UINT m = 0; m < c.m_nMuestras; ++m) {
      Propagar(r.red, c.m_matEntradas.m_ppFilas[m], h.data(), o.data());
      EXPECT_EQ(std::memcmp(o.data(), a.salidas.data() + std::size_t(m) * s, s * sizeof(double)), 0) << m;
      EXPECT_EQ(a.ganadoras[m], Ganador(o.data(), s));
      EXPECT_EQ(a.objetivos[m], m % s);
    }
    std::vector<double> ho(12), oo(s);
    const MedidasConjunto ref = MedirConjunto(r.red, c, ho.data(), oo.data());
    EXPECT_EQ(a.Aciertos(), ref.nAciertos);
    EXPECT_EQ(100.0 * a.Aciertos() / a.nMuestras, ref.dTasaAciertos);
    EXPECT_EQ(a.verificacion.medidas.nAciertos, ref.nAciertos);
  }
}

TEST(Aplicar, ResultadosEnCsv) {
  Red r(2, 3, 2, 5);
  CConjuntoDatos c;
  Conjunto(c, 2, 2, 3, 9);
  Aplicacion a = AplicarConjunto(r.red, c, true);
  // Known outputs, to read the text.
  a.salidas = {0.75, 0.1, 0.2, 0.9, 0.5, 0.5};
  a.ganadoras = {0, 1, 0};
  a.objetivos = {0, 0, 0};
  EXPECT_EQ(Lineas(TextoAplicacion(a, nullptr)),
            (std::vector<std::string>{"muestra,salida1,salida2,ganadora,objetivo,acierto", "1,0.75,0.1,salida1,salida1,1",
                                      "2,0.2,0.9,salida2,salida1,0", "3,0.5,0.5,salida1,salida1,1"}));
  // Classes by name (quoted where they must be); numeric outputs in their units.
  CEsquema e;
  e.columnas.resize(2);
  e.columnas[0].strNombre = "x";
  e.columnas[1].strNombre = "k";
  e.columnas[1].uso = UsoColumna::Clase;
  e.columnas[1].clases = {"a, b", "dijo \"no\""};
  a.bObjetivos = false;
  EXPECT_EQ(Lineas(TextoAplicacion(a, &e))[0], "muestra,\"a, b\",\"dijo \"\"no\"\"\",ganadora");
  EXPECT_EQ(Lineas(TextoAplicacion(a, &e))[2], "2,0.2,0.9,\"dijo \"\"no\"\"\"");
  e.columnas[1] = ColumnaEsquema{"y1", UsoColumna::Salida, true, 10.0, 20.0, {}};
  e.columnas.push_back(ColumnaEsquema{"y2", UsoColumna::Salida, false, 0.0, 0.0, {}});
  EXPECT_EQ(Lineas(TextoAplicacion(a, &e))[0], "muestra,y1,y2,ganadora");
  EXPECT_EQ(Lineas(TextoAplicacion(a, &e))[1], "1,17.5,0.1,y1");
}

TEST(Aplicar, DatosDeFicheroODeTabla) {
  CTestHost host;
  CCarpetaTemporal carpeta;
  const std::string tabla = carpeta.Escribir("t.csv", "a,b,k\n1,2,x\n3,4,y\n5,6,x\n");
  const std::string esquema = carpeta.Fichero("e.json");
  Resultado<Importacion> imp = ImportarTabla(tabla, esquema, {});
  ASSERT_TRUE(imp);
  const std::string datos = carpeta.Fichero("d.txt");
  ASSERT_TRUE(GuardarImportacion(*imp, datos, esquema));
  const Resultado<CEsquema> e = LeerEsquema(esquema);
  ASSERT_TRUE(e);
  Red r(2, 4, 2, 3);
  // A data file, with the scheme or without: the same samples.
  for (const CEsquema* p : {static_cast<const CEsquema*>(nullptr), &*e}) {
    const Resultado<DatosRed> d = CargarDatosRed(r.red, datos, p, esquema, {}, false);
    ASSERT_TRUE(d) << d.Mensaje();
    EXPECT_FALSE(d->bTabla);
    EXPECT_TRUE(d->bObjetivos);
    EXPECT_EQ(d->pConjunto->m_nMuestras, 3u);
  }
  // A table through the scheme, with or without its class column.
  const Resultado<DatosRed> t = CargarDatosRed(r.red, tabla, &*e, esquema, {}, false);
  ASSERT_TRUE(t) << t.Mensaje();
  EXPECT_TRUE(t->bTabla);
  EXPECT_TRUE(t->bObjetivos);
  const Resultado<DatosRed> n =
      CargarDatosRed(r.red, carpeta.Escribir("n.csv", "b,a\n4,3\n"), &*e, esquema, {}, false);
  ASSERT_TRUE(n) << n.Mensaje();
  EXPECT_FALSE(n->bObjetivos);
  EXPECT_EQ(n->pConjunto->m_matEntradas.m_ppFilas[0][0], 0.5);
  // Refusals: a data file of another shape, a scheme of another shape.
  Red otra(3, 4, 2, 3);
  const Resultado<DatosRed> f = CargarDatosRed(otra.red, datos, nullptr, "", {}, false);
  EXPECT_TRUE(f.EsRechazo());
  EXPECT_EQ(f.Mensaje(), "El fichero " + datos + " tiene 2 entradas y 2 salidas; la red, 3 entradas y 2 salidas.");
  EXPECT_EQ(CargarDatosRed(otra.red, tabla, &*e, "e.json", {}, false).Mensaje(),
            "El esquema e.json da 2 entradas y 2 salidas; la red tiene 3 entradas y 2 salidas.");
  EXPECT_EQ(CargarDatosRed(r.red, "", nullptr, "", {}, false).Mensaje(), "No ha introducido un fichero");
  EXPECT_TRUE(LeerComoTabla(tabla));
  EXPECT_FALSE(LeerComoTabla(datos));
  EXPECT_FALSE(LeerComoTabla("x.bin"));
}

// The whole of Aplicar a fichero and of the matrix as the window and
// nrv-cli call them: the results path checked first, the scheme's names
// on the outputs, and the refusals that let the window ask again.
TEST(Aplicar, FicherosDeLaVentanaYDeNrvCli) {
  CTestHost host;
  CCarpetaTemporal carpeta;
  const std::string tabla = carpeta.Escribir("t.csv", "a,b,k\n1,2,x\n3,4,y\n5,6,x\n");
  const std::string esquema = carpeta.Fichero("e.json");
  Resultado<Importacion> imp = ImportarTabla(tabla, esquema, {});
  ASSERT_TRUE(imp);
  const std::string datos = carpeta.Fichero("d.txt");
  ASSERT_TRUE(GuardarImportacion(*imp, datos, esquema));

  const std::vector<FicheroProtegido> red = {{"r.nrv", "la propia red"}};
  EXPECT_EQ(ComprobarSalidaAplicacion("", red, datos, "").Mensaje(), "No ha introducido un fichero");
  EXPECT_EQ(ComprobarSalidaAplicacion("r.nrv", red, datos, "").Mensaje(),
            "El fichero de salida r.nrv es la propia red; elija otro.");
  EXPECT_TRUE(ComprobarSalidaAplicacion(datos, {}, datos, "").EsRechazo());
  EXPECT_TRUE(ComprobarSalidaAplicacion("s.csv", {}, datos, ""));
  EXPECT_EQ(ComprobarSalidaAplicacion(esquema, red, datos, esquema).Mensaje(),
            "El fichero de salida " + esquema + " es el esquema; elija otro.");

  Red r(2, 4, 2, 3);
  const Resultado<AplicacionFichero> a = AplicarFichero(r.red, tabla, esquema);
  ASSERT_TRUE(a) << a.Mensaje();
  EXPECT_EQ(a->strCsv.substr(0, a->strCsv.find("\r\n")), "muestra,x,y,ganadora,objetivo,acierto");
  EXPECT_EQ(ResumenAplicacion(a->aplicacion, "s.csv"),
            FormatC("Resultados de 3 muestras escritos en s.csv (aciertos: %u de 3, %.4f %%).", a->aplicacion.Aciertos(),
                    100.0 * a->aplicacion.Aciertos() / 3));

  // The matrix: the table through the scheme and the data file made from
  // it count alike; only the names differ.
  const Resultado<VerificacionDatos> m = VerificarDatos(r.red, tabla, esquema);
  const Resultado<VerificacionDatos> md = VerificarDatos(r.red, datos, "");
  ASSERT_TRUE(m) << m.Mensaje();
  ASSERT_TRUE(md) << md.Mensaje();
  EXPECT_EQ(m->nombres, (std::vector<CString>{"x", "y"}));
  EXPECT_EQ(md->nombres, (std::vector<CString>{"salida1", "salida2"}));
  EXPECT_EQ(m->resultados.matriz, md->resultados.matriz);
  EXPECT_EQ(m->resultados.medidas.nAciertos, a->aplicacion.Aciertos());
  // A data file of another shape and a missing file are refusals; a
  // broken scheme is not.
  Red otra(3, 4, 2, 3);
  EXPECT_EQ(VerificarDatos(otra.red, datos, "").Mensaje(), "Dimensiones Incorrectas del Fichero de Verificación");
  EXPECT_TRUE(VerificarDatos(otra.red, datos, "").EsRechazo());
  EXPECT_TRUE(VerificarDatos(r.red, carpeta.Fichero("no.txt"), "").EsRechazo());
  const Resultado<VerificacionDatos> roto = VerificarDatos(r.red, tabla, carpeta.Escribir("roto.json", "{"));
  EXPECT_FALSE(roto);
  EXPECT_FALSE(roto.EsRechazo());
}
