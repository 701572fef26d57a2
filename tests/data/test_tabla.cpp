// Tables: RFC 4180 quoting, the lines named in refusals, and the detection
// of the separator, the decimal mark and the header row.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "data/tabla.h"
#include "tests/support/test_host.h"

namespace {

Resultado<Tabla> Leer(const std::string& bytes, OpcionesTabla op = {}, UINT nMax = 0) {
  return LeerTablaBytes("t.csv", bytes, op, nMax);
}

using Filas = std::vector<std::vector<CString>>;

}  // namespace

TEST(Tabla, ComillasFinesDeLineaYLineasDeCadaFila) {
  // Quoted separators, doubled quotes, a line break inside a cell, CR LF,
  // blank lines, a last line without its end, a UTF-8 byte-order mark.
  const Resultado<Tabla> t = Leer(
      "\xEF\xBB\xBF"
      "nombre,x,\"y\"\r\n"
      "\"a,b\",1.5,2\r\n"
      "\r\n"
      "\"dijo \"\"hola\"\"\",3,4\n"
      "\"dos\nlíneas\",5,6\n"
      "  c  ,7,8");
  ASSERT_TRUE(t) << t.Mensaje();
  EXPECT_TRUE(t->bCabecera);
  EXPECT_EQ(t->cSeparador, ',');
  EXPECT_EQ(t->cDecimal, '.');
  EXPECT_EQ(t->cabecera, (std::vector<CString>{"nombre", "x", "y"}));
  EXPECT_EQ(t->filas, (Filas{{"a,b", "1.5", "2"}, {"dijo \"hola\"", "3", "4"}, {"dos\nlíneas", "5", "6"}, {"c", "7", "8"}}));
  EXPECT_EQ(t->lineas, (std::vector<UINT>{2, 4, 5, 7}));
  EXPECT_TRUE(ComprobarCeldas(*t));
  // A lone CR ends a line as it ends a row.
  const Resultado<Tabla> cr = Leer("a,b\r1,2\r\r3,4\r");
  ASSERT_TRUE(cr) << cr.Mensaje();
  EXPECT_EQ(cr->filas, (Filas{{"1", "2"}, {"3", "4"}}));
  EXPECT_EQ(cr->lineas, (std::vector<UINT>{2, 4}));
}

TEST(Tabla, NegativasConSuLinea) {
  EXPECT_EQ(Leer("a,b\n1,2\n\"x,3\n4,5\n").Mensaje(), "t.csv, línea 3: unas comillas abiertas no se cierran.");
  EXPECT_EQ(Leer("a,b\n1,2\nx\"y,3\n").Mensaje().rfind("t.csv, línea 3: hay comillas fuera de lugar", 0), 0u);
  EXPECT_EQ(Leer("a,b\n\"x\"y,3\n").Mensaje().rfind("t.csv, línea 2: hay comillas fuera de lugar", 0), 0u);
  EXPECT_EQ(Leer("").Mensaje(), "t.csv: la tabla está vacía.");
  EXPECT_EQ(Leer("\n\r\n   \n").Mensaje(), "t.csv: la tabla está vacía.");
  EXPECT_EQ(Leer("a,b,c\n").Mensaje(), "t.csv: la tabla solo tiene la cabecera; le faltan las filas.");
  EXPECT_EQ(Leer("1,2\n", {0, 0, 1}).Mensaje(), "t.csv: la tabla solo tiene la cabecera; le faltan las filas.");
  EXPECT_EQ(Leer("1;2\n", {';', ';', -1}).Mensaje(),
            "t.csv: el separador y la marca decimal no pueden ser el mismo carácter (;).");
  const Resultado<Tabla> t = Leer("a,b,c\n1,2,3\n\n4,5\n6,7,8,9\n");
  ASSERT_TRUE(t);
  EXPECT_EQ(ComprobarCeldas(*t).Mensaje(), "t.csv, línea 4: tiene 2 celdas y la cabecera 3.");
  const Resultado<Tabla> s = Leer("1,2,3\n4,5,6,7\n");
  ASSERT_TRUE(s);
  EXPECT_EQ(ComprobarCeldas(*s).Mensaje(), "t.csv, línea 2: tiene 4 celdas y la primera fila 3.");
  EXPECT_EQ(LeerTabla("no-existe.csv", {}).Mensaje(), "No se ha podido abrir la tabla no-existe.csv.");
}

TEST(Tabla, DeteccionDelSeparador) {
  struct Caso {
    const char* texto;
    char sep;
  } casos[] = {
      {"a,b,c\n1,2,x\n", ','},
      {"a;b;c\n1;2;x\n", ';'},
      {"a\tb\tc\n1\t2\tx\n", '\t'},
      // Commas inside the cells of a semicolon table are decimal marks.
      {"a;b;c\n1,5;2,25;x\n3;4;y\n", ';'},
      // A quoted semicolon does not make a semicolon table.
      {"a,b,c\n1,2,\"x;y\"\n3,4,z\n", ','},
      // Rows of unequal length: the separator that gives the first row most cells.
      {"a,b,c\n1,2\n", ','},
  };
  for (const Caso& c : casos) {
    const Resultado<Tabla> t = Leer(c.texto);
    ASSERT_TRUE(t) << c.texto << ": " << t.Mensaje();
    EXPECT_EQ(t->cSeparador, c.sep) << c.texto;
  }
  // Given, it is not detected.
  const Resultado<Tabla> t = Leer("a;b\n1;2\n", {',', 0, -1});
  ASSERT_TRUE(t);
  EXPECT_EQ(t->cSeparador, ',');
  EXPECT_EQ(t->nColumnas, 1u);
}

TEST(Tabla, DeteccionDeLaMarcaDecimalYLaCabecera) {
  auto t = Leer("x;y;clase\n1,5;2;a\n");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->cDecimal, ',');
  EXPECT_TRUE(t->bCabecera);
  // A comma table: the point.
  t = Leer("x,y\n1.5,2\n");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->cDecimal, '.');
  // A semicolon table without commas: the point.
  t = Leer("x;y\n1.5;2\n");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->cDecimal, '.');
  // A header needs a name where the second row has a number.
  t = Leer("1,2,a\n3,4,b\n");
  ASSERT_TRUE(t);
  EXPECT_FALSE(t->bCabecera);
  EXPECT_EQ(t->filas.size(), 2u);
  t = Leer("a,b,c\nx,y,z\n");
  ASSERT_TRUE(t);
  EXPECT_FALSE(t->bCabecera);
  t = Leer("1,b,c\n2,3,z\n");
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->bCabecera);
  // NaN and infinities count as numbers here: a row holding them is data.
  t = Leer("nan,2,a\n1,inf,b\n");
  ASSERT_TRUE(t);
  EXPECT_FALSE(t->bCabecera);
  // Forced either way.
  t = Leer("a,b\n1,2\n", {0, 0, 0});
  ASSERT_TRUE(t);
  EXPECT_FALSE(t->bCabecera);
  EXPECT_EQ(t->filas.size(), 2u);
  t = Leer("1,2\n3,4\n", {0, 0, 1});
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->bCabecera);
  EXPECT_EQ(t->cabecera, (std::vector<CString>{"1", "2"}));
}

TEST(Tabla, CeldasNumericas) {
  double v = 0.0;
  EXPECT_EQ(LeerCelda("1.5", '.', v), ClaseCelda::Numero);
  EXPECT_EQ(v, 1.5);
  EXPECT_EQ(LeerCelda(" -2,25 ", ',', v), ClaseCelda::Numero);
  EXPECT_EQ(v, -2.25);
  EXPECT_EQ(LeerCelda("1e-3", '.', v), ClaseCelda::Numero);
  EXPECT_EQ(v, 0.001);
  EXPECT_EQ(LeerCelda(".5", '.', v), ClaseCelda::Numero);
  EXPECT_EQ(v, 0.5);
  EXPECT_EQ(LeerCelda("0.1", '.', v), ClaseCelda::Numero);
  EXPECT_EQ(v, 0.1);
  for (const char* texto : {"1,5", "1.5abc", "abc", "", " ", "1e", "-", ".", "1.2.3", "0x10", "1 2"})
    EXPECT_EQ(LeerCelda(texto, '.', v), ClaseCelda::Texto) << texto;
  EXPECT_EQ(LeerCelda("1.5", ',', v), ClaseCelda::Texto);
  for (const char* texto : {"NaN", "nan", "-inf", "+Inf", "Infinity", "1e999", "-1e400"})
    EXPECT_EQ(LeerCelda(texto, '.', v), ClaseCelda::NoFinito) << texto;
}

TEST(Tabla, UnaVistaPreviaLeeSoloLasPrimerasFilas) {
  std::string texto = "a,b,clase\n";
  for (int i = 0; i < 500; ++i) texto += std::to_string(i) + ",1.5,x\n";
  const Resultado<Tabla> t = Leer(texto, {}, 11);
  ASSERT_TRUE(t);
  EXPECT_TRUE(t->bCabecera);
  EXPECT_EQ(t->filas.size(), 10u);
  EXPECT_FALSE(t->bCompleta);
  EXPECT_EQ(t->lineas.back(), 11u);
  // The start of a longer file: its last row, cut short, is left out.
  const Resultado<Tabla> parte = LeerTablaParte("t.csv", "a,b\n1,2\n3,\"x\n", {}, 10, false);
  ASSERT_TRUE(parte) << parte.Mensaje();
  EXPECT_EQ(parte->filas, (Filas{{"1", "2"}}));
  EXPECT_FALSE(parte->bCompleta);
  const Resultado<Tabla> todo = Leer(texto);
  ASSERT_TRUE(todo);
  EXPECT_EQ(todo->filas.size(), 500u);
  EXPECT_TRUE(todo->bCompleta);
}

TEST(Tabla, TextoQueNoEsUtf8SeLeeComoWindows1252) {
  const Resultado<Tabla> t = Leer("se\xF1" "al,x\n1,a\xE9\n");
  ASSERT_TRUE(t);
  EXPECT_EQ(t->cabecera[0], "señal");
  EXPECT_EQ(t->filas[0][1], "aé");
}

TEST(Tabla, UnFicheroDeDatosQuePareceUnaTabla) {
  CCarpetaTemporal carpeta;
  EXPECT_TRUE(PareceTabla(carpeta.Escribir("a.txt", "/ comentario\n\nx,y,clase\n1,2,a\n")));
  EXPECT_TRUE(PareceTabla(carpeta.Escribir("b.txt", "1;2\n1\n")));
  EXPECT_FALSE(PareceTabla(carpeta.Escribir("c.txt", "/ a,b\n1 2\n1\n")));
  EXPECT_FALSE(PareceTabla(carpeta.Escribir("d.bin", "1,2\n")));
  EXPECT_FALSE(PareceTabla(carpeta.Fichero("no-existe.txt")));
}
