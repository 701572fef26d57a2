// Sample sets: the text and binary data files, their measuring and loading.
#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/conjunto.h"
#include "framework/texto.h"
#include "tests/support/test_host.h"

namespace {

using Textos = std::vector<CString>;

// Messages line by line as the shown ones: once per cause, with the count.
Textos PorCausa(const Textos& lineas) {
  std::vector<AvisoCarga> avisos;
  for (const CString& t : lineas) {
    auto a = std::find_if(avisos.begin(), avisos.end(), [&](const AvisoCarga& x) { return x.strTexto == t; });
    if (a == avisos.end()) avisos.push_back(AvisoCarga{t, 0});
    else ++a->nMas;
  }
  Textos r;
  for (const AvisoCarga& a : avisos) r.push_back(TextoAviso(a));
  return r;
}

std::string U32(UINT v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

std::string Doble(double d) {
  std::string b(8, '\0');
  std::memcpy(b.data(), &d, 8);
  return b;
}

std::string Binario(UINT e, UINT s, UINT n, const std::vector<double>& valores) {
  std::string b = U32(e) + U32(s) + U32(n);
  for (double v : valores) b += Doble(v);
  return b;
}

bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

double AtofReferencia(const std::string& token) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return strtod_l(token.c_str(), nullptr, c);
}

class Conjunto : public ::testing::Test {
 protected:
  std::string Fichero(const std::string& nombre, const std::string& contenido) {
    return carpeta.Escribir(nombre, contenido);
  }
  CTestHost host;
  CCarpetaTemporal carpeta;
  CConjuntoDatos c;
};

std::vector<double> Fila(const CMatrizReales& m, UINT i) {
  return std::vector<double>(m.m_ppFilas[i], m.m_ppFilas[i] + m.m_nColumnas);
}

}  // namespace

// ---- The binary path rule ----

TEST(TipoFichero, SubcadenaEnCualquierParteDeLaRuta) {
  EXPECT_EQ(CConjuntoDatos::TipoFichero("D:\\datos.bin\\x.txt"), 2);
  EXPECT_EQ(CConjuntoDatos::TipoFichero("/tmp/a.ie3"), 2);
  EXPECT_EQ(CConjuntoDatos::TipoFichero("muestras.binario"), 2);
  EXPECT_EQ(CConjuntoDatos::TipoFichero("X.BIN"), 0);
  EXPECT_EQ(CConjuntoDatos::TipoFichero("x.IE3"), 0);
  EXPECT_EQ(CConjuntoDatos::TipoFichero("datos.txt"), 0);
  EXPECT_EQ(CConjuntoDatos::TipoFichero(""), 0);
}

TEST_F(Conjunto, RutaConBinEnUnaCarpetaSeLeeComoBinaria) {
  const std::string ruta = carpeta.Ruta() + "/d.bin";
  ASSERT_EQ(mkdir(ruta.c_str(), 0700), 0);
  carpeta.Escribir("d.bin/x.txt", Binario(1, 1, 1, {0.5, 0.75}));
  ASSERT_TRUE(c.Cargar(ruta + "/x.txt"));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[0][0], 0.75);
}

TEST_F(Conjunto, MayusculasBinSeLeenComoTexto) {
  ASSERT_TRUE(c.Cargar(Fichero("X.BIN", "1 2\n3\n")));
  EXPECT_EQ(c.m_nEntradas, 2u);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas[0][1], 2.0);
}

// ---- Text files ----

TEST_F(Conjunto, EjemploXor) {
  ASSERT_TRUE(c.Cargar(Ejemplo("xor.txt")));
  EXPECT_TRUE(c.m_bCargado);
  EXPECT_EQ(c.m_nMuestras, 4u);
  EXPECT_EQ(c.m_nEntradas, 2u);
  EXPECT_EQ(c.m_nSalidas, 1u);
  EXPECT_EQ(Fila(c.m_matEntradas, 2), (std::vector<double>{1, 0}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[3][0], 0.0);
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[2][0], 1.0);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Conjunto, UltimaLineaSinSaltoConservaSuUltimoCaracter) {
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", "1 2\n0.25")));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[0][0], 0.25);
  ASSERT_TRUE(c.Cargar(Fichero("b.txt", "1 2\r\n0.25")));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[0][0], 0.25);
}

TEST_F(Conjunto, ComentariosYLineasVaciasEntreLaPareja) {
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", "/ cabecera\n\n1 2\n/ entre\n\n\n3\n4 5\n\n/x\n6\n")));
  EXPECT_EQ(c.m_nMuestras, 2u);
  EXPECT_EQ(Fila(c.m_matEntradas, 1), (std::vector<double>{4, 5}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[0][0], 3.0);
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[1][0], 6.0);
}

TEST_F(Conjunto, CrLfIgualQueLf) {
  const std::string lf = "/ c\n0.1 0.2\n0.3\n\n-1e-3 7\n8\n";
  std::string crlf;
  for (char ch : lf) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  CConjuntoDatos otro;
  ASSERT_TRUE(c.Cargar(Fichero("lf.txt", lf)));
  ASSERT_TRUE(otro.Cargar(Fichero("crlf.txt", crlf)));
  ASSERT_EQ(otro.m_nMuestras, c.m_nMuestras);
  for (UINT s = 0; s < c.m_nMuestras; ++s) {
    EXPECT_EQ(Fila(otro.m_matEntradas, s), Fila(c.m_matEntradas, s));
    EXPECT_EQ(Fila(otro.m_matSalidas, s), Fila(c.m_matSalidas, s));
  }
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Conjunto, LineaDeBlancosEsUnaLineaDeDatos) {
  // The blanks-only line is sample 1's input: no values there.
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", "1 2\n3\n   \t\n4\n")));
  EXPECT_EQ(c.m_nMuestras, 2u);
  EXPECT_EQ(Fila(c.m_matEntradas, 1), (std::vector<double>{0, 0}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[1][0], 4.0);
  EXPECT_EQ(host.Textos(), (Textos{"faltan datos"}));
}

TEST_F(Conjunto, BlancoAntesDeLaBarraNoEsComentario) {
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", "1\n2\n /3\n4\n")));
  EXPECT_EQ(c.m_nMuestras, 2u);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas[1][0], 0.0);
}

TEST_F(Conjunto, LineaMuyLargaSeLeeEntera) {
  std::string entrada;
  for (int i = 0; i < 784; ++i) entrada += FormatC("%s0.%06d", i ? " " : "", i * 1237 % 1000000);
  ASSERT_GT(entrada.size(), 3000u);
  const std::string contenido = entrada + "\n1 0 0 0 0 0 0 0 0 0\n" + entrada + "\n0 1 0 0 0 0 0 0 0 0\n";
  const std::string ruta = Fichero("mnist.txt", contenido);
  UINT e = 0, s = 0;
  ASSERT_TRUE(c.Dimensiones(ruta, &e, &s));
  EXPECT_EQ(e, 784u);
  EXPECT_EQ(s, 10u);
  ASSERT_TRUE(c.Cargar(ruta));
  EXPECT_EQ(c.m_nMuestras, 2u);
  EXPECT_EQ(c.m_nEntradas, 784u);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas[1][783], AtofC(FormatC("0.%06d", 783 * 1237 % 1000000).c_str()));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[1][1], 1.0);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Conjunto, ValoresComoAtof) {
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", "1.5abc abc 1,5 -2e-3 .5 1e +4\n1\n")));
  EXPECT_EQ(Fila(c.m_matEntradas, 0), (std::vector<double>{1.5, 0.0, 1.0, -0.002, 0.5, 1.0, 4.0}));
}

TEST_F(Conjunto, RetornoDeCarroYTabulacionVerticalDentroDeUnaLinea) {
  // Tokens split only at blanks and tabs: "\v2" is 2 (atof skips the
  // leading \v), "3\r4" is 3, and a lone "\r" before the CR LF is 0.
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", "1 \v2 3\r4 5 \r\r\n9\n")));
  EXPECT_EQ(Fila(c.m_matEntradas, 0), (std::vector<double>{1, 2, 3, 5, 0}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[0][0], 9.0);
}

TEST_F(Conjunto, ValoresDeMasSeIgnoranYDeMenosDanFaltanDatos) {
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", "1 2\n3\n4 5 6\n7 8\n\n")));
  EXPECT_EQ(c.m_nMuestras, 2u);
  EXPECT_EQ(Fila(c.m_matEntradas, 1), (std::vector<double>{4, 5}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[1][0], 7.0);
  ASSERT_TRUE(c.Cargar(Fichero("b.txt", "1 2\n3\n4\n\t\n")));
  EXPECT_EQ(Fila(c.m_matEntradas, 1), (std::vector<double>{4, 0}));
  EXPECT_EQ(host.Textos(), (Textos{"faltan datos (y 1 línea más)"}));
}

TEST_F(Conjunto, CadaCausaSeAvisaUnaVezPorFichero) {
  // 102 data lines, the last 100 short: one message with the count.
  std::string texto = "1 2\n3\n";
  for (int i = 0; i < 50; ++i) texto += "4\n \n";
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", texto)));
  EXPECT_EQ(c.m_nMuestras, 51u);
  EXPECT_EQ(host.Textos(), (Textos{"faltan datos (y 99 líneas más)"}));
  EXPECT_TRUE(c.m_avisos.empty());
  // Each cause in the order first met; a caller may keep them to show.
  host.Limpiar();
  c.m_bGuardarAvisos = true;
  ASSERT_FALSE(c.Cargar(Fichero("b.txt", "1 2\n3\n4\n5\n6\n7\n8\n")));
  EXPECT_TRUE(host.Textos().empty());
  ASSERT_EQ(c.m_avisos.size(), 2u);
  EXPECT_EQ(TextoAviso(c.m_avisos[0]), "faltan datos (y 2 líneas más)");
  EXPECT_EQ(TextoAviso(c.m_avisos[1]), "Faltan datos.");
}

TEST_F(Conjunto, CincoLineasDeDatosFallanConFaltanDatos) {
  ASSERT_FALSE(c.Cargar(Fichero("a.txt", "1 2\n3\n4 5\n6\n7 8\n")));
  EXPECT_EQ(host.Textos(), (Textos{"Faltan datos."}));
  EXPECT_EQ(c.m_matEntradas.m_ppFilas, nullptr);
  EXPECT_EQ(c.m_matSalidas.m_ppFilas, nullptr);
  EXPECT_EQ(c.m_nMuestras, 0u);
  EXPECT_FALSE(c.m_bCargado);
  for (const auto& m : host.Mensajes()) {
    EXPECT_EQ(m.estilo, MB_OK);
    EXPECT_EQ(m.ayuda, 0u);
  }
}

TEST_F(Conjunto, LineaSueltaCortaDaAmbosMensajesEnOrden) {
  ASSERT_FALSE(c.Cargar(Fichero("a.txt", "1 2\n3\n4\n")));
  EXPECT_EQ(host.Textos(), (Textos{"faltan datos", "Faltan datos."}));
}

TEST_F(Conjunto, UnaSolaLineaDeDatos) {
  UINT e = 9, s = 9;
  const std::string ruta = Fichero("a.txt", "/c\n1 2 3\n");
  EXPECT_FALSE(c.Dimensiones(ruta, &e, &s));
  EXPECT_EQ(e, 3u);
  EXPECT_EQ(s, 0u);
  EXPECT_FALSE(c.Cargar(ruta));
  EXPECT_EQ(host.Textos(), (Textos{"Faltan datos."}));
}

TEST_F(Conjunto, SoloComentarioFallaPorLaSalidaDeErrores) {
  const std::string ruta = Fichero("a.txt", "/ nada\n\n");
  UINT e = 9, s = 9;
  EXPECT_FALSE(c.Dimensiones(ruta, &e, &s));
  EXPECT_EQ(e, 0u);
  EXPECT_EQ(s, 0u);
  ASSERT_TRUE(c.Cargar(Fichero("b.txt", "1\n2\n")));
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(c.Cargar(ruta));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Faltan datos.\n");
  EXPECT_TRUE(host.Textos().empty());
  EXPECT_FALSE(c.m_bCargado);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas, nullptr);
}

TEST_F(Conjunto, FicheroVacio) {
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(c.Cargar(Fichero("a.txt", "")));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Faltan datos.\n");
}

TEST_F(Conjunto, SinEntradasOSinSalidasSeRechaza) {
  UINT e = 9, s = 9;
  const std::string sinEntradas = Fichero("a.txt", "  \n1\n2 3\n4\n");
  EXPECT_FALSE(c.Dimensiones(sinEntradas, &e, &s));
  EXPECT_FALSE(c.Cargar(sinEntradas));
  const std::string sinSalidas = Fichero("b.txt", "1 2\n\t\n3 4\n\n");
  EXPECT_FALSE(c.Dimensiones(sinSalidas, &e, &s));
  EXPECT_EQ(e, 2u);
  EXPECT_EQ(s, 0u);
  EXPECT_FALSE(c.Cargar(sinSalidas));
  EXPECT_TRUE(host.Textos().empty());
  EXPECT_FALSE(c.m_bCargado);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas, nullptr);
}

TEST_F(Conjunto, FicheroQueNoSePuedeAbrir) {
  UINT e = 9, s = 9;
  EXPECT_FALSE(c.Dimensiones(carpeta.Fichero("no.txt"), &e, &s));
  EXPECT_EQ(e, 9u);
  EXPECT_FALSE(c.Cargar(carpeta.Fichero("no.txt")));
  EXPECT_FALSE(c.Cargar(carpeta.Fichero("no.bin")));
  EXPECT_FALSE(c.Cargar(""));
  EXPECT_FALSE(c.Dimensiones("", &e, &s));
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Conjunto, DimensionesDeUnObjetoCargadoNoMiraLaRuta) {
  ASSERT_TRUE(c.Cargar(Ejemplo("iris-train.txt")));
  UINT e = 0, s = 0;
  EXPECT_TRUE(c.Dimensiones("", &e, &s));
  EXPECT_EQ(e, 4u);
  EXPECT_EQ(s, 3u);
  e = s = 0;
  EXPECT_TRUE(c.Dimensiones(Ejemplo("xor.txt"), &e, &s));
  EXPECT_EQ(e, 4u);
  EXPECT_EQ(s, 3u);
}

TEST_F(Conjunto, DimensionesNoCambiaElObjeto) {
  UINT e = 0, s = 0;
  EXPECT_TRUE(c.Dimensiones(Ejemplo("iris-test.bin"), &e, &s));
  EXPECT_EQ(e, 4u);
  EXPECT_EQ(s, 3u);
  EXPECT_TRUE(c.Dimensiones(Ejemplo("xor.txt"), &e, &s));
  EXPECT_EQ(e, 2u);
  EXPECT_EQ(s, 1u);
  EXPECT_FALSE(c.m_bCargado);
  EXPECT_EQ(c.m_nEntradas, 0u);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas, nullptr);
}

TEST_F(Conjunto, NumerosConPuntoBajoLocaleEspanol) {
  const std::string anterior = setlocale(LC_ALL, nullptr);
  if (!setlocale(LC_ALL, "es_ES.UTF-8")) GTEST_SKIP() << "es_ES.UTF-8 no está instalado";
  ASSERT_EQ(std::strtod("0,5", nullptr), 0.5) << "el locale de la prueba no usa coma";
  const bool ok = c.Cargar(Fichero("a.txt", "0.5 1.25e-1\n0.5123456789012345678901\n"));
  setlocale(LC_ALL, anterior.c_str());
  ASSERT_TRUE(ok);
  EXPECT_EQ(Fila(c.m_matEntradas, 0), (std::vector<double>{0.5, 0.125}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[0][0], 0.5123456789012345678901);
}

// Every value of a loaded file is what atof gives for its token, whatever
// form the token takes (the loader's own fast reading included).
TEST_F(Conjunto, CadaValorComoAtofDeSuToken) {
  std::mt19937 gen(12345);
  const char* formas[] = {"%.6f", "%.17g", "%.3e", "%g", "%.25f", "%.0f", "-%.6f", "+%.2f", "%.19f", "%.21g"};
  std::uniform_real_distribution<double> dist(-3.0, 3.0);
  std::uniform_int_distribution<int> forma(0, 9);
  std::uniform_int_distribution<int> escala(-30, 30);
  std::string contenido;
  std::vector<std::string> tokens;
  const UINT e = 7, s = 3, n = 3000;
  for (UINT k = 0; k < n; ++k) {
    for (UINT col = 0; col < e + s; ++col) {
      std::string t = FormatC(formas[forma(gen)], dist(gen) * std::pow(10.0, escala(gen) / 3));
      if (forma(gen) == 0) t += "x";
      tokens.push_back(t);
      contenido += t;
      contenido += (col + 1 == e || col + 1 == e + s) ? "\n" : (forma(gen) < 5 ? " " : " \t ");
    }
  }
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", contenido)));
  ASSERT_EQ(c.m_nMuestras, n);
  std::size_t t = 0;
  for (UINT k = 0; k < n; ++k) {
    for (UINT col = 0; col < e + s; ++col, ++t) {
      const double v = col < e ? c.m_matEntradas.m_ppFilas[k][col] : c.m_matSalidas.m_ppFilas[k][col - e];
      ASSERT_TRUE(MismosBits(v, AtofReferencia(tokens[t]))) << tokens[t];
    }
  }
}

TEST_F(Conjunto, LineasMasLargasQueElBloqueDeLectura) {
  // A 700 KB input line (its values past the first are not used), then many
  // pairs with long comments between them that cross the blocks in which
  // the file is read.
  std::string contenido = "1 2\r\n3\r\n";
  for (UINT i = 0; i < 100000; ++i) contenido += FormatC("%u.5 ", i + 1);
  contenido += "\r\n7\r\n";
  const std::string comentario = "/" + std::string(300, 'c') + "\r\n";
  for (UINT k = 0; k < 4000; ++k) contenido += FormatC("%u %u", k, k) + "\r\n" + comentario + FormatC("%u.25\r\n", k);
  ASSERT_GT(contenido.size(), 1000000u);
  ASSERT_TRUE(c.Cargar(Fichero("a.txt", contenido)));
  EXPECT_EQ(c.m_nEntradas, 2u);
  ASSERT_EQ(c.m_nMuestras, 4002u);
  EXPECT_EQ(Fila(c.m_matEntradas, 1), (std::vector<double>{1.5, 2.5}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[1][0], 7.0);
  for (UINT k = 0; k < 4000; ++k) {
    ASSERT_EQ(Fila(c.m_matEntradas, k + 2), (std::vector<double>{double(k), double(k)}));
    ASSERT_EQ(c.m_matSalidas.m_ppFilas[k + 2][0], k + 0.25);
  }
  EXPECT_TRUE(host.Textos().empty());
}

// The loader against the file read line by line with LeerLinea and
// LeerValores, on random files of blanks, tabs, CR, LF, zero bytes,
// comment marks and numbers: same result, same messages, same values.
namespace {

struct Modelo {
  bool ok = false;
  UINT e = 0, s = 0, n = 0;
  std::vector<std::vector<double>> entradas, salidas;
  Textos mensajes;
};

// The data lines of a file with their line numbers (from 1), read as
// LeerLinea reads them.
std::vector<std::pair<CString, std::size_t>> LineasDeDatos(const std::string& contenido) {
  std::vector<std::pair<CString, std::size_t>> lineas;
  std::size_t ini = 0, numero = 0;
  while (ini < contenido.size()) {
    const std::size_t nl = contenido.find('\n', ini);
    CString l = contenido.substr(ini, nl == std::string::npos ? std::string::npos : nl - ini);
    if (nl != std::string::npos && !l.empty() && l.back() == '\r') l.pop_back();
    ++numero;
    if (!l.empty() && l[0] != '/') lineas.emplace_back(l, numero);
    if (nl == std::string::npos) break;
    ini = nl + 1;
  }
  return lineas;
}

Modelo CargarModelo(const std::string& ruta) {
  Modelo m;
  const auto lineas = LineasDeDatos(LeerFichero(ruta));
  if (lineas.empty()) return m;
  m.e = ContarValores(lineas[0].first.c_str());
  if (lineas.size() >= 2) m.s = ContarValores(lineas[1].first.c_str());
  if (m.e == 0 || (lineas.size() >= 2 && m.s == 0)) return m;
  m.n = lineas.size() >= 2 ? UINT(lineas.size() / 2) : 1;
  // A value that is not finite refuses the file where it is read.
  auto leer = [&](std::size_t i, std::vector<double>& v) {
    const bool completa = LeerValores(lineas[i].first.c_str(), v.data(), UINT(v.size()));
    for (double x : v) {
      if (!std::isfinite(x)) {
        m.mensajes.push_back(FormatC("valor no finito en la línea %zu de %s", lineas[i].second, ruta.c_str()));
        return false;
      }
    }
    if (!completa) m.mensajes.push_back("faltan datos");
    return true;
  };
  for (std::size_t i = 0; i + 1 < lineas.size(); i += 2) {
    std::vector<double> a(m.e, 0.0), b(m.s, 0.0);
    if (!leer(i, a) || !leer(i + 1, b)) return m;
    m.entradas.push_back(a);
    m.salidas.push_back(b);
  }
  if (lineas.size() % 2 != 0) {
    // Stored when it is the only data line (the count says one sample),
    // else past the last counted sample: looked at, not stored.
    std::vector<double> a(m.e, 0.0);
    if (lineas.size() == 1) {
      if (!leer(0, a)) return m;
    } else if (!LeerValores(lineas.back().first.c_str(), a.data(), m.e)) {
      m.mensajes.push_back("faltan datos");
    }
    m.mensajes.push_back("Faltan datos.");
    return m;
  }
  m.ok = true;
  return m;
}

}  // namespace

TEST_F(Conjunto, FicherosAleatoriosComoLineaALinea) {
  std::mt19937 gen(99);
  const char* piezas[] = {" ", "\t", "\n", "\r\n", "\r", "/", "0.5", "-1e3", "12", ".", "e", "x",
                          "(cero)", "7.25", "\n\n", "\v3", "123456789012345678901", "1e-400"};
  const std::string cero("\0", 1);
  std::uniform_int_distribution<int> pieza(0, 17);
  std::uniform_int_distribution<int> largo(0, 120);
  int cargados = 0;
  for (int caso = 0; caso < 400; ++caso) {
    std::string contenido;
    const int n = largo(gen);
    for (int k = 0; k < n; ++k) {
      const int p = pieza(gen);
      contenido += p == 12 ? cero : std::string(piezas[p]);
    }
    const std::string ruta = Fichero(FormatC("f%d.txt", caso), contenido);
    const Modelo m = CargarModelo(ruta);
    host.Limpiar();
    CConjuntoDatos c2;
    ::testing::internal::CaptureStderr();
    const BOOL ok = c2.Cargar(ruta);
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(bool(ok), m.ok) << caso;
    ASSERT_EQ(host.Textos(), PorCausa(m.mensajes)) << caso;
    if (!ok) continue;
    ++cargados;
    ASSERT_EQ(c2.m_nMuestras, m.n);
    ASSERT_EQ(c2.m_nEntradas, m.e);
    ASSERT_EQ(c2.m_nSalidas, m.s);
    for (UINT k = 0; k < m.n; ++k) {
      for (UINT j = 0; j < m.e; ++j) ASSERT_TRUE(MismosBits(c2.m_matEntradas.m_ppFilas[k][j], m.entradas[k][j])) << caso;
      for (UINT j = 0; j < m.s; ++j) ASSERT_TRUE(MismosBits(c2.m_matSalidas.m_ppFilas[k][j], m.salidas[k][j])) << caso;
    }
    UINT e = 0, s = 0;
    CConjuntoDatos c3;
    ASSERT_TRUE(c3.Dimensiones(ruta, &e, &s));
    ASSERT_EQ(e, m.e);
    ASSERT_EQ(s, m.s);
  }
  EXPECT_GT(cargados, 40);  // the files do exercise successful loads
}

// ---- LeerLinea, LeerValores ----

TEST(LeerValores, TokensYFaltaDeValores) {
  double d[4] = {9, 9, 9, 9};
  EXPECT_TRUE(LeerValores(" \t1.5abc  abc\t1,5 -2e-3 99", d, 4));
  EXPECT_EQ(d[0], 1.5);
  EXPECT_EQ(d[1], 0.0);
  EXPECT_EQ(d[2], 1.0);
  EXPECT_EQ(d[3], -0.002);
  double e[3] = {9, 9, 9};
  EXPECT_FALSE(LeerValores("1 2", e, 3));
  EXPECT_EQ(e[1], 2.0);
  EXPECT_EQ(e[2], 9.0);
  EXPECT_FALSE(LeerValores("   ", e, 1));
  EXPECT_EQ(ContarValores(" a\tb  c "), 3u);
  EXPECT_EQ(ContarValores(""), 0u);
}

TEST(LeerLinea, LineasEnterasSinFinDeLinea) {
  CCarpetaTemporal carpeta;
  const std::string largo(5000, '7');
  const std::string ruta = carpeta.Escribir("a.txt", "/c\n\r\n\n" + largo + "\r\n /x\n\r\nfin");
  std::FILE* f = std::fopen(ruta.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  CString linea;
  EXPECT_FALSE(LeerLinea(linea, f));
  EXPECT_EQ(linea, largo);
  EXPECT_FALSE(LeerLinea(linea, f));
  EXPECT_EQ(linea, " /x");
  EXPECT_FALSE(LeerLinea(linea, f));
  EXPECT_EQ(linea, "fin");
  EXPECT_TRUE(LeerLinea(linea, f));
  std::fclose(f);
}

// ---- Binary files ----

TEST_F(Conjunto, EjemplosIrisTextoYBinarioIguales) {
  for (const char* nombre : {"iris-train", "iris-test"}) {
    CConjuntoDatos texto, binario;
    ASSERT_TRUE(texto.Cargar(Ejemplo(std::string(nombre) + ".txt")));
    ASSERT_TRUE(binario.Cargar(Ejemplo(std::string(nombre) + ".bin")));
    EXPECT_EQ(texto.m_nEntradas, 4u);
    EXPECT_EQ(texto.m_nSalidas, 3u);
    ASSERT_EQ(texto.m_nMuestras, binario.m_nMuestras);
    ASSERT_EQ(texto.m_nEntradas, binario.m_nEntradas);
    ASSERT_EQ(texto.m_nSalidas, binario.m_nSalidas);
    for (UINT s = 0; s < texto.m_nMuestras; ++s) {
      for (UINT j = 0; j < 4; ++j) ASSERT_TRUE(MismosBits(texto.m_matEntradas.m_ppFilas[s][j], binario.m_matEntradas.m_ppFilas[s][j]));
      for (UINT j = 0; j < 3; ++j) ASSERT_TRUE(MismosBits(texto.m_matSalidas.m_ppFilas[s][j], binario.m_matSalidas.m_ppFilas[s][j]));
    }
  }
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Conjunto, BinarioMuestraPorMuestra) {
  ASSERT_TRUE(c.Cargar(Fichero("a.ie3", Binario(2, 1, 2, {1, 2, 3, 4, 5, 6}))));
  EXPECT_EQ(Fila(c.m_matEntradas, 1), (std::vector<double>{4, 5}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[0][0], 3.0);
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[1][0], 6.0);
  EXPECT_TRUE(c.m_bCargado);
}

TEST_F(Conjunto, BinarioSinSalidas) {
  std::vector<double> v;
  for (int i = 0; i < 12; ++i) v.push_back(i + 0.5);
  const std::string ruta = Fichero("a.bin", Binario(3, 0, 4, v));
  ASSERT_TRUE(c.Cargar(ruta));
  EXPECT_EQ(c.m_nMuestras, 4u);
  EXPECT_EQ(c.m_matEntradas.m_nFilas, 4u);
  EXPECT_EQ(Fila(c.m_matEntradas, 3), (std::vector<double>{9.5, 10.5, 11.5}));
  EXPECT_EQ(c.m_matSalidas.m_ppFilas, nullptr);
  EXPECT_EQ(c.m_matSalidas.m_nFilas, 0u);
  // No network is made from it.
  UINT e = 0, s = 9;
  CConjuntoDatos otro;
  EXPECT_FALSE(otro.Dimensiones(ruta, &e, &s));
  EXPECT_EQ(e, 3u);
  EXPECT_EQ(s, 0u);
  EXPECT_FALSE(c.Dimensiones("", &e, &s));
}

TEST_F(Conjunto, BinarioSinMuestrasEsUnConjuntoVacio) {
  ASSERT_TRUE(c.Cargar(Fichero("a.bin", Binario(4, 3, 0, {}))));
  EXPECT_TRUE(c.m_bCargado);
  EXPECT_EQ(c.m_nMuestras, 0u);
  EXPECT_EQ(c.m_nEntradas, 4u);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas, nullptr);
  EXPECT_EQ(c.m_matSalidas.m_ppFilas, nullptr);
}

TEST_F(Conjunto, BinarioCortadoSeRellenaConCeros) {
  std::string b = Binario(2, 2, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  b.resize(b.size() - 8 * 3 - 3);  // sample 2 keeps five bytes of its first value
  ASSERT_TRUE(c.Cargar(Fichero("a.bin", b)));
  EXPECT_EQ(c.m_nMuestras, 3u);
  EXPECT_EQ(Fila(c.m_matSalidas, 1), (std::vector<double>{7, 8}));
  EXPECT_EQ(c.m_matEntradas.m_ppFilas[2][0], 0.0);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas[2][1], 0.0);
  EXPECT_EQ(Fila(c.m_matSalidas, 2), (std::vector<double>{0, 0}));
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Conjunto, BinarioMasCortoQueSuCabeceraSeRechaza) {
  UINT e = 9, s = 9;
  const std::string ruta = Fichero("a.bin", U32(2) + U32(1));
  EXPECT_FALSE(c.Dimensiones(ruta, &e, &s));
  EXPECT_FALSE(c.Cargar(ruta));
  EXPECT_FALSE(c.Cargar(Fichero("b.bin", "")));
  EXPECT_FALSE(c.m_bCargado);
  EXPECT_EQ(c.m_nEntradas, 0u);
}

TEST_F(Conjunto, BinarioSinEntradasConMuestrasSeRechaza) {
  EXPECT_FALSE(c.Cargar(Fichero("a.bin", Binario(0, 2, 3, {1, 2, 3, 4, 5, 6}))));
  EXPECT_FALSE(c.m_bCargado);
  EXPECT_EQ(c.m_nMuestras, 0u);
}

TEST_F(Conjunto, BinarioConCuentaImposibleSeRechazaSinReservar) {
  // 4e9 samples of 2000 values would take 64 TB.
  EXPECT_FALSE(c.Cargar(Fichero("a.bin", Binario(1000, 1000, 4000000000u, {1, 2}))));
  EXPECT_FALSE(c.Cargar(Fichero("b.bin", Binario(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, {}))));
  // 1 GB of values announced in a file of a few bytes.
  EXPECT_FALSE(c.Cargar(Fichero("c.bin", Binario(1024, 1024, 65536, {1}))));
  EXPECT_FALSE(c.m_bCargado);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Conjunto, BinarioAlgoCortoDentroDelMargenSeCarga) {
  // 1 MB announced, a few bytes present: zero fill.
  ASSERT_TRUE(c.Cargar(Fichero("a.bin", Binario(16, 16, 4096, {1, 2}))));
  EXPECT_EQ(c.m_matEntradas.m_ppFilas[0][1], 2.0);
  EXPECT_EQ(c.m_matSalidas.m_ppFilas[4095][15], 0.0);
}

TEST_F(Conjunto, BinarioGrandeLeidoEntero) {
  // More samples than one scattered read covers.
  const UINT e = 5, s = 2, n = 2000;
  std::vector<double> v;
  for (UINT i = 0; i < n * (e + s); ++i) v.push_back(i * 0.25);
  ASSERT_TRUE(c.Cargar(Fichero("a.bin", Binario(e, s, n, v))));
  for (UINT k = 0; k < n; ++k) {
    for (UINT j = 0; j < e; ++j) ASSERT_EQ(c.m_matEntradas.m_ppFilas[k][j], (k * (e + s) + j) * 0.25);
    for (UINT j = 0; j < s; ++j) ASSERT_EQ(c.m_matSalidas.m_ppFilas[k][j], (k * (e + s) + e + j) * 0.25);
  }
}

TEST_F(Conjunto, CargarOtraVezSustituyeLosDatos) {
  ASSERT_TRUE(c.Cargar(Ejemplo("iris-train.bin")));
  ASSERT_TRUE(c.Cargar(Ejemplo("xor.txt")));
  EXPECT_EQ(c.m_nMuestras, 4u);
  EXPECT_EQ(c.m_matEntradas.m_nColumnas, 2u);
  EXPECT_EQ(c.m_matEntradas.m_nFilas, 4u);
}
