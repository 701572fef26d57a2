// The C export compiled with the system's C compiler: its activation at the
// table's edges, its forward pass on networks of many shapes and its scaling
// of raw inputs give the same bits as nrv; its names and literals are
// exact; what cannot be exported is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "framework/texto.h"
#include "network/exportar_c.h"
#include "tests/support/test_host.h"

namespace {

struct Red {
  CMatrizReales oculta, salida, incOculta, incSalida;
  RedPerceptron red{};
  Red(UINT e, UINT h, UINT s, std::uint64_t semilla, double amplitud = 2.0) {
    oculta.Dimensionar(h, e + 1);
    salida.Dimensionar(s, h + 1);
    incOculta.Dimensionar(h, e + 1);
    incSalida.Dimensionar(s, h + 1);
    std::mt19937_64 gen(semilla);
    std::uniform_real_distribution<double> d(-amplitud, amplitud);
    for (CMatrizReales* m : {&oculta, &salida})
      for (UINT i = 0; i < m->m_nFilas; ++i)
        for (UINT j = 0; j < m->m_nColumnas; ++j) m->m_ppFilas[i][j] = d(gen);
    red = RedPerceptron{e, h, s, &oculta, &salida, &incOculta, &incSalida};
  }
};

std::string Bytes(const std::vector<double>& v) {
  return std::string(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(double));
}

std::vector<double> Doubles(const std::string& b) {
  std::vector<double> v(b.size() / sizeof(double));
  std::memcpy(v.data(), b.data(), v.size() * sizeof(double));
  return v;
}

bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::uint64_t Bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// A driver that includes the exported file (prefix red): it reads nets,
// inputs and raw rows as raw doubles and writes what the file's functions
// give for them, as raw doubles too.
const char* const kDriver = R"(#include "red.c"
#include <stdio.h>
#include <stdlib.h>

static FILE *abrir(const char *ruta, const char *modo) {
    FILE *f = fopen(ruta, modo);
    if (f == NULL) exit(3);
    return f;
}

int main(int argc, char **argv) {
    double v[RED_ENTRADAS + 1], o[RED_SALIDAS + 1], net, g;
    FILE *f, *r = abrir(argv[argc - 1], "wb");
    (void)argc;
    f = abrir(argv[1], "rb");
    while (fread(&net, sizeof net, 1, f) == 1) {
        net = red_sigmoide(net);
        fwrite(&net, sizeof net, 1, r);
    }
    fclose(f);
    f = abrir(argv[2], "rb");
    while (fread(v, sizeof *v, RED_ENTRADAS, f) == RED_ENTRADAS) {
        red_propagar(v, o);
        g = red_ganadora(o);
        fwrite(o, sizeof *o, RED_SALIDAS, r);
        fwrite(&g, sizeof g, 1, r);
    }
    fclose(f);
#ifdef CON_ESQUEMA
    f = abrir(argv[3], "rb");
    while (fread(v, sizeof *v, RED_ENTRADAS, f) == RED_ENTRADAS) {
        double e[RED_ENTRADAS + 1];
        red_escalar(v, e);
        fwrite(e, sizeof *e, RED_ENTRADAS, r);
    }
    fclose(f);
#endif
#ifdef CON_CLASES
    for (g = 0; g < RED_SALIDAS; ++g) printf("%s\n", red_clases[(int)g]);
#endif
#ifdef CON_SALIDAS_NUMERICAS
    f = abrir(argv[3], "rb");
    while (fread(o, sizeof *o, RED_SALIDAS, f) == RED_SALIDAS) {
        double d[RED_SALIDAS + 1];
        red_desescalar(o, d);
        fwrite(d, sizeof *d, RED_SALIDAS, r);
    }
    fclose(f);
    for (g = 0; g < RED_SALIDAS; ++g) printf("%s\n", red_nombres_salidas[(int)g]);
#endif
    fclose(r);
    return 0;
}
)";

class ExportarC : public ::testing::Test {
 protected:
  CCarpetaTemporal carpeta;

  void SetUp() override {
    if (std::system("cc --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no hay compilador de C (cc)";
  }

  // Compiles source with the driver (flags as the file asks, warnings as
  // errors) and runs it on the files named; the raw doubles it wrote and,
  // in texto, what it printed.
  std::vector<double> Ejecutar(const std::string& fuente, const std::string& definiciones,
                               const std::vector<std::string>& argumentos, std::string* texto = nullptr,
                               const std::string& opciones = "-O2") {
    carpeta.Escribir("red.c", fuente);
    carpeta.Escribir("driver.c", kDriver);
    const std::string d = carpeta.Ruta();
    const std::string compilar = "cd '" + d + "' && cc -std=c99 -ffp-contract=off -Wall -Wextra -pedantic -Werror " +
                                 opciones + " " + definiciones + " driver.c -lm -o driver 2>errores.txt";
    if (std::system(compilar.c_str()) != 0) {
      ADD_FAILURE() << "no compila: " << LeerFichero(carpeta.Fichero("errores.txt"));
      return {};
    }
    std::string ejecutar = "cd '" + d + "' && ./driver";
    for (const std::string& a : argumentos) ejecutar += " " + a;
    ejecutar += " resultado.bin >texto.txt";
    EXPECT_EQ(std::system(ejecutar.c_str()), 0);
    if (texto) *texto = LeerFichero(carpeta.Fichero("texto.txt"));
    return Doubles(LeerFichero(carpeta.Fichero("resultado.bin")));
  }

  static std::string Fuente(const RedPerceptron& red, const CEsquema* esquema = nullptr) {
    OpcionesFuenteC op;
    op.strPrefijo = "red";
    op.strRed = "prueba.nrv";
    op.pEsquema = esquema;
    op.strEsquema = "prueba.json";
    Resultado<std::string> r = FuenteC(red, op);
    EXPECT_TRUE(r) << r.Mensaje();
    return r ? *r : std::string();
  }
};

// Nets at every edge of the activation: the limits, the table's ends, exact
// halves, the index 2048 interval, zeros, NaN and infinities.
std::vector<double> RedesDeBorde() {
  std::vector<double> v = {0.0, -0.0, 1.0, -1.0, 8.0, -8.0, 8.000001, -8.000001, 7.99, 7.99609375,
                           std::nextafter(7.99609375, 9.0), std::nextafter(8.0, 0.0), std::nextafter(8.0, 9.0),
                           std::nextafter(-8.0, -9.0), std::nextafter(-8.0, 0.0), 1.0 / 256, -1.0 / 256, 3.0 / 512,
                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::denorm_min(), 1e308, -1e308};
  // Every exact half between table entries, and the values just around it.
  for (int i = 0; i < 2048; ++i) {
    const double net = (i - 1024 + 0.5) / 128.0;
    v.push_back(net);
    v.push_back(std::nextafter(net, 9.0));
    v.push_back(std::nextafter(net, -9.0));
  }
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> d(-9.0, 9.0);
  for (int i = 0; i < 5000; ++i) v.push_back(d(gen));
  return v;
}

}  // namespace

TEST_F(ExportarC, LaActivacionDaLosBitsDeNrvEnTodosSusBordes) {
  Red r(1, 1, 1, 1);
  const std::vector<double> redes = RedesDeBorde();
  carpeta.Escribir("redes.bin", Bytes(redes));
  carpeta.Escribir("vacio.bin", "");
  const std::vector<double> c = Ejecutar(Fuente(r.red), "", {"redes.bin", "vacio.bin"});
  ASSERT_EQ(c.size(), redes.size());
  for (std::size_t i = 0; i < redes.size(); ++i)
    ASSERT_TRUE(MismosBits(c[i], Sigmoide(redes[i])))
        << "net " << FormatC("%a", redes[i]) << ": C " << FormatC("%a", c[i]) << ", nrv " << FormatC("%a", Sigmoide(redes[i]));
  // The NaN is nrv's own, whatever the sign or payload of the net's.
  EXPECT_EQ(Bits(c[20]), Bits(Sigmoide(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_EQ(Bits(c[21]), Bits(c[20]));
}

TEST_F(ExportarC, LaPropagacionDaLosBitsDeNrvEnRedesDeMuchasFormas) {
  struct Forma {
    UINT e, h, s;
    double amplitud;  // of the weights: large ones drive the nets past the table
  };
  for (const Forma f : {Forma{1, 1, 1, 2.0}, Forma{4, 40, 3, 2.0}, Forma{13, 128, 7, 0.5}, Forma{3, 9, 2, 40.0}}) {
    SCOPED_TRACE(FormatC("%u-%u-%u", f.e, f.h, f.s));
    Red r(f.e, f.h, f.s, 100 + f.h, f.amplitud);
    std::mt19937_64 gen(f.h);
    std::uniform_real_distribution<double> d(-1.5, 1.5);
    std::vector<double> entradas;
    for (int m = 0; m < 400; ++m)
      for (UINT j = 0; j < f.e; ++j) entradas.push_back(d(gen));
    // Samples of zeros, huge values, infinities and NaN.
    for (double v : {0.0, -0.0, 1e300, -1e300, std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()})
      for (UINT j = 0; j < f.e; ++j) entradas.push_back(j % 2 ? v : -v);
    carpeta.Escribir("vacio.bin", "");
    carpeta.Escribir("entradas.bin", Bytes(entradas));
    const std::vector<double> c = Ejecutar(Fuente(r.red), "", {"vacio.bin", "entradas.bin"});
    const std::size_t n = entradas.size() / f.e;
    ASSERT_EQ(c.size(), n * (f.s + 1));
    std::vector<double> h(f.h), o(f.s);
    for (std::size_t m = 0; m < n; ++m) {
      Propagar(r.red, &entradas[m * f.e], h.data(), o.data());
      for (UINT k = 0; k < f.s; ++k)
        ASSERT_TRUE(MismosBits(c[m * (f.s + 1) + k], o[k]))
            << "muestra " << m << ", salida " << k << ": C " << FormatC("%a", c[m * (f.s + 1) + k]) << ", nrv "
            << FormatC("%a", o[k]);
      EXPECT_EQ(c[m * (f.s + 1) + f.s], Ganador(o.data(), f.s)) << "muestra " << m;
    }
  }
}

TEST_F(ExportarC, LasRedesJuntoALasMitadesDeLaTablaEligenLaMismaEntrada) {
  // The table rounds t = 1024 + 128 net, so a net that is one unit in the
  // last place off changes the entry only near a half between two entries
  // (most of all near -8, where t is small). Every sample here drives one
  // hidden neuron to within a few units of such a half; a change in the
  // order of the sums, the bias added first or a fused multiply-add would
  // change some entries, and the output layer shows them.
  Red r(3, 16, 3, 77, 3.0);
  std::mt19937_64 gen(5);
  std::uniform_real_distribution<double> d(-1.0, 1.0);
  std::uniform_int_distribution<int> mitad(0, 2047), baja(0, 40);
  std::vector<double> entradas;
  for (int m = 0; m < 6000; ++m) {
    const double* w = r.oculta.m_ppFilas[m % 16];
    const double objetivo = ((m % 2 ? baja(gen) : mitad(gen)) + 0.5) / 128.0 - 8.0;
    const double x0 = d(gen), x1 = d(gen);
    entradas.push_back(x0);
    entradas.push_back(x1);
    entradas.push_back((objetivo - w[3] - w[0] * x0 - w[1] * x1) / w[2]);
  }
  carpeta.Escribir("vacio.bin", "");
  carpeta.Escribir("entradas.bin", Bytes(entradas));
  const std::vector<double> c = Ejecutar(Fuente(r.red), "", {"vacio.bin", "entradas.bin"});
  ASSERT_EQ(c.size(), 6000u * 4);
  std::vector<double> h(16), o(3);
  for (std::size_t m = 0; m < 6000; ++m) {
    Propagar(r.red, &entradas[m * 3], h.data(), o.data());
    for (UINT k = 0; k < 3; ++k)
      ASSERT_TRUE(MismosBits(c[m * 4 + k], o[k])) << "muestra " << m << ", salida " << k << ": C "
                                                   << FormatC("%a", c[m * 4 + k]) << ", nrv " << FormatC("%a", o[k]);
  }
}

TEST_F(ExportarC, SinOptimizarYConLasInstruccionesDeLaMaquinaDaLoMismo) {
  // -march=native offers fused multiply-add where the machine has it: the
  // file must not let it in.
  Red r(6, 30, 4, 5);
  std::mt19937_64 gen(3);
  std::uniform_real_distribution<double> d(-2.0, 2.0);
  std::vector<double> entradas(6 * 300);
  for (double& v : entradas) v = d(gen);
  carpeta.Escribir("vacio.bin", "");
  carpeta.Escribir("entradas.bin", Bytes(entradas));
  const std::string fuente = Fuente(r.red);
  const std::vector<double> a = Ejecutar(fuente, "", {"vacio.bin", "entradas.bin"}, nullptr, "-O0");
  const std::vector<double> b = Ejecutar(fuente, "", {"vacio.bin", "entradas.bin"}, nullptr, "-O3 -march=native");
  ASSERT_EQ(a.size(), 300u * 5);
  ASSERT_EQ(Bytes(a), Bytes(b));
  std::vector<double> h(30), o(4);
  for (std::size_t m = 0; m < 300; ++m) {
    Propagar(r.red, &entradas[m * 6], h.data(), o.data());
    for (UINT k = 0; k < 4; ++k) ASSERT_TRUE(MismosBits(a[m * 5 + k], o[k])) << m;
  }
}

TEST_F(ExportarC, ElEsquemaEscalaLasMedidasEnBrutoComoNrvYNombraLasClases) {
  CEsquema e;
  auto columna = [&](const char* nombre, UsoColumna uso, bool escalada, double minimo, double maximo) {
    ColumnaEsquema c;
    c.strNombre = nombre;
    c.uso = uso;
    c.bEscalada = escalada;
    c.dMinimo = minimo;
    c.dMaximo = maximo;
    e.columnas.push_back(c);
  };
  columna("largo */ ancho", UsoColumna::Entrada, true, 4.3, 7.9);
  columna("constante", UsoColumna::Entrada, true, 2.5, 2.5);  // only shifted
  columna("cruda", UsoColumna::Entrada, false, 0.0, 0.0);
  columna("negativa", UsoColumna::Entrada, true, -1e-3, 1e5);
  columna("especie", UsoColumna::Clase, false, 0.0, 0.0);
  // A name past the 4095 characters a C99 literal may hold goes in an
  // array of its own (-pedantic -Werror would refuse the literal).
  const CString larga = "virgínica " + CString(5000, 'v') + " 'comilla' \\ fin";
  e.columnas.back().clases = {"setosa", "con \"comillas\" y \\ barra", "¿trígrafo?\?/", larga};
  Red r(4, 5, 4, 9);

  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> d(-10.0, 10.0);
  std::vector<double> crudas;
  for (int m = 0; m < 200; ++m)
    for (int j = 0; j < 4; ++j) crudas.push_back(m < 4 ? (j == m ? 2.5 : 7.9) : d(gen));
  carpeta.Escribir("vacio.bin", "");
  carpeta.Escribir("crudas.bin", Bytes(crudas));
  std::string texto;
  const std::vector<double> c =
      Ejecutar(Fuente(r.red, &e), "-DCON_ESQUEMA -DCON_CLASES", {"vacio.bin", "vacio.bin", "crudas.bin"}, &texto);
  ASSERT_EQ(c.size(), crudas.size());
  for (std::size_t i = 0; i < crudas.size(); ++i)
    ASSERT_TRUE(MismosBits(c[i], CEsquema::Escalar(e.columnas[i % 4], crudas[i])))
        << "valor " << i << ": C " << FormatC("%a", c[i]) << ", nrv " << FormatC("%a", CEsquema::Escalar(e.columnas[i % 4], crudas[i]));
  EXPECT_EQ(texto, "setosa\ncon \"comillas\" y \\ barra\n¿trígrafo?\?/\n" + larga + "\n");
}

TEST_F(ExportarC, LasSalidasNumericasVuelvenASusUnidadesComoEnNrv) {
  CEsquema e;
  for (const char* n : {"x1", "x2"}) {
    ColumnaEsquema c;
    c.strNombre = n;
    e.columnas.push_back(c);
  }
  ColumnaEsquema precio;
  precio.strNombre = "precio";
  precio.uso = UsoColumna::Salida;
  precio.bEscalada = true;
  precio.dMinimo = 0.1;
  precio.dMaximo = 1234.5;
  e.columnas.push_back(precio);
  ColumnaEsquema plano = precio;
  plano.strNombre = "plano";
  plano.dMinimo = plano.dMaximo = -3.0;
  e.columnas.push_back(plano);
  Red r(2, 3, 2, 4);
  std::vector<double> salidas;
  for (double v : TablaSigmoide) {
    salidas.push_back(v);
    salidas.push_back(1.0 - v);
  }
  carpeta.Escribir("vacio.bin", "");
  carpeta.Escribir("salidas.bin", Bytes(salidas));
  std::string texto;
  const std::vector<double> c =
      Ejecutar(Fuente(r.red, &e), "-DCON_SALIDAS_NUMERICAS", {"vacio.bin", "vacio.bin", "salidas.bin"}, &texto);
  ASSERT_EQ(c.size(), salidas.size());
  for (std::size_t i = 0; i < salidas.size(); ++i)
    ASSERT_TRUE(MismosBits(c[i], CEsquema::Desescalar(e.columnas[2 + i % 2], salidas[i]))) << i;
  EXPECT_EQ(texto, "precio\nplano\n");
}

TEST(FuenteC, LosPesosSonLiteralesExactosYElComentarioPideSinContraccion) {
  Red r(3, 4, 2, 21);
  r.oculta.m_ppFilas[0][0] = -0.0;
  r.oculta.m_ppFilas[0][1] = std::numeric_limits<double>::denorm_min();
  r.oculta.m_ppFilas[0][2] = 0.1;
  OpcionesFuenteC op;
  op.strPrefijo = "iris_40";
  op.strRed = "a*/b.nrv";
  Resultado<std::string> f = FuenteC(r.red, op);
  ASSERT_TRUE(f);
  const std::string& s = *f;
  EXPECT_EQ(s.rfind("/* iris_40.c: la red a* /b.nrv de nrv, en C99.\n   3 entradas, 4 neuronas ocultas y 2 salidas.\n", 0), 0u)
      << s.substr(0, 200);
  EXPECT_NE(s.find("cc -std=c99 -ffp-contract=off"), std::string::npos);
  EXPECT_NE(s.find("void iris_40_propagar(const double *entradas, double *salidas)\n{"), std::string::npos);
  EXPECT_NE(s.find("#define IRIS_40_OCULTAS 4\n"), std::string::npos);
  EXPECT_EQ(s.find('\r'), std::string::npos);
  // Every weight reads back to its bits, -0 and the smallest subnormal too.
  const std::size_t inicio = s.find("iris_40_pesos_oculta[4][4] = {");
  ASSERT_NE(inicio, std::string::npos);
  std::vector<double> leidos;
  for (std::size_t i = s.find("{\n", inicio + 30); leidos.size() < 16; ++i) {
    i = s.find("0x", i);
    const bool menos = s[i - 1] == '-';
    const double v = std::strtod(s.c_str() + i, nullptr);
    leidos.push_back(menos ? -v : v);
  }
  for (UINT j = 0; j < 4; ++j)
    for (UINT i = 0; i < 4; ++i) EXPECT_TRUE(MismosBits(leidos[j * 4 + i], r.oculta.m_ppFilas[j][i])) << j << " " << i;
}

TEST(FuenteC, UnEsquemaDeOtraFormaSeRechaza) {
  Red r(2, 3, 1, 1);
  CEsquema e;
  e.columnas.resize(5);
  e.columnas[4].uso = UsoColumna::Clase;
  e.columnas[4].clases = {"a", "b", "c"};
  OpcionesFuenteC op;
  op.strPrefijo = "red";
  op.pEsquema = &e;
  op.strEsquema = "iris.json";
  const Resultado<std::string> f = FuenteC(r.red, op);
  ASSERT_FALSE(f);
  EXPECT_EQ(f.Mensaje(), "El esquema iris.json da 4 entradas y 3 salidas; la red tiene 2 entradas y 1 salida.");
}

TEST(FuenteC, PrefijosIdentificadoresDeC) {
  for (const char* bueno : {"red", "x_", "Iris_40", "a9"}) EXPECT_TRUE(PrefijoCValido(bueno)) << bueno;
  // Names C reserves (a leading '_') are refused too.
  for (const char* malo : {"", "9a", "iris-40", "año", "a b", "a.b", "_", "__", "_A", "_x"})
    EXPECT_FALSE(PrefijoCValido(malo)) << malo;
  EXPECT_EQ(PrefijoCDeRuta("iris.c"), "iris");
  EXPECT_EQ(PrefijoCDeRuta("salida/iris-40.c"), "iris_40");
  EXPECT_EQ(PrefijoCDeRuta("/tmp/3capas.c"), "red_3capas");
  EXPECT_EQ(PrefijoCDeRuta("red.en.c"), "red_en");
  EXPECT_EQ(PrefijoCDeRuta("dir/.c"), "red");
  EXPECT_EQ(PrefijoCDeRuta("señal.c"), "senal");
  EXPECT_EQ(PrefijoCDeRuta("ñandú.c"), "nandu");
  EXPECT_EQ(PrefijoCDeRuta("Ça_va.c"), "Ca_va");
  EXPECT_EQ(PrefijoCDeRuta("_oculta.c"), "oculta");
  EXPECT_EQ(PrefijoCDeRuta("€uro.c"), "uro");
  EXPECT_EQ(PrefijoCDeRuta("a€b.c"), "a_b");
  EXPECT_EQ(PrefijoCDeRuta("2×3.c"), "red_2_3");
  for (const char* ruta : {"iris.c", "a/-.c", "x", "9.c", "ñ.c", "__.c", "_9.c", "×.c", "\xff.c"})
    EXPECT_TRUE(PrefijoCValido(PrefijoCDeRuta(ruta))) << ruta;
}
