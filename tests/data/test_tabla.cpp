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

// What a table that cannot be read really is: a folder, a device, a file of
// the system that says it is empty, text in UTF-16.
TEST(Tabla, LoQueNoEsUnaTablaDiceLoQueEs) {
  CCarpetaTemporal carpeta;
  EXPECT_EQ(LeerTabla(carpeta.Ruta(), {}).Mensaje(), "No se ha podido abrir la tabla " + carpeta.Ruta() + ": es una carpeta.");
  EXPECT_NE(LeerTabla("/dev/null", {}).Mensaje().find(": no es un fichero corriente"), std::string::npos);
  EXPECT_NE(LeerTabla("/proc/self/status", {}).Mensaje().find("el sistema la da como vacía y tiene contenido"),
            std::string::npos);
  EXPECT_EQ(LeerTabla(carpeta.Escribir("v.csv", ""), {}).Mensaje(), carpeta.Fichero("v.csv") + ": la tabla está vacía.");
  const std::string utf16le("a\0,\0b\0\n\0" "1\0,\0x\0\n\0", 16);
  for (const std::string& b : {"\xFF\xFE" + utf16le, utf16le, std::string(1, '\0') + utf16le.substr(0, 15)})
    EXPECT_EQ(Leer(b).Mensaje(), "t.csv: la tabla está en UTF-16; guárdela en UTF-8 (o Windows-1252) para importarla.");
}

TEST(Tabla, CabecerasDudosasYCeldasVacias) {
  // An empty header cell is named by its column, never as another cell is.
  auto t = Leer("columna 2,,c\n1,2,x\n");
  ASSERT_TRUE(t) << t.Mensaje();
  EXPECT_EQ(t->cabecera, (std::vector<CString>{"columna 2", "columna 2 (2)", "c"}));
  // A header of numbers over rows of measures is read as a sample, and said.
  const char* const kAnos = "2019,2020,2021,label\n5.1,3.5,1.4,a\n4.9,3,1.3,b\n4.7,3.2,1.5,a\n";
  t = Leer(kAnos);
  ASSERT_TRUE(t);
  EXPECT_FALSE(t->bCabecera);
  EXPECT_EQ(t->strDuda, "t.csv, línea 1: la primera fila se lee como una muestra, pero no se parece a las demás "
                        "(¿es la cabecera?); diga si la tabla tiene cabecera o no.");
  for (int cabecera : {0, 1}) EXPECT_EQ(Leer(kAnos, {0, 0, cabecera})->strDuda, "");
  // A first row like the others, or a class it shares with them: nothing said.
  EXPECT_EQ(Leer("5,3.5,1.4,a\n5.1,3.5,1.4,a\n4.9,3,1.3,b\n4.7,3.2,1.5,a\n")->strDuda, "");
  EXPECT_EQ(Leer("2019,2020,2021,a\n5.1,3.5,1.4,a\n4.9,3,1.3,b\n4.7,3.2,1.5,a\n")->strDuda, "");
}

TEST(Tabla, CeldasEnLosMensajes) {
  EXPECT_EQ(CeldaEnMensaje("versicolor"), "versicolor");
  EXPECT_EQ(CeldaEnMensaje(std::string("a\0b\n\x1b[31mc\xC2\x9B", 12)), "a\\0b\\n\\x1b[31mc\\u009b");
  EXPECT_EQ(CeldaEnMensaje(std::string(20 << 20, 'x')), std::string(60, 'x') + "…");
  EXPECT_EQ(CeldaEnMensaje(std::string(70, 'x'), 0), std::string(70, 'x'));
  std::string enes;
  for (int i = 0; i < 61; ++i) enes += "ñ";
  EXPECT_EQ(CeldaEnMensaje(enes), enes.substr(0, 120) + "…");
}
