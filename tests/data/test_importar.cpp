// Importing tables: the scheme made from the training table and applied to
// the others, the refusals that name line and column, and data files that
// read back to the very same doubles in either format and either locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "data/importar.h"
#include "framework/texto.h"
#include "tests/support/test_host.h"

namespace {

Tabla Leer(const std::string& texto, const char* ruta = "t.csv") {
  Resultado<Tabla> t = LeerTablaBytes(ruta, texto, {});
  EXPECT_TRUE(t) << t.Mensaje();
  return t ? std::move(*t) : Tabla();
}

std::vector<double> Fila(const CMatrizReales& m, UINT s) { return std::vector<double>(m.m_ppFilas[s], m.m_ppFilas[s] + m.m_nColumnas); }

std::uint64_t Bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

const char* const kFlores =
    "largo,ancho,especie\n"
    "1,10,b\n"
    "3,30,a\n"
    "2,20,c\n"
    "5,10,a\n";

class Importar : public ::testing::Test {
 protected:
  CTestHost host;
  CCarpetaTemporal carpeta;
};

}  // namespace

TEST_F(Importar, ElEsquemaDeUnaTablaDeEntrenamiento) {
  const Tabla t = Leer(kFlores);
  const Resultado<CEsquema> e = CrearEsquema(t, {});
  ASSERT_TRUE(e) << e.Mensaje();
  ASSERT_EQ(e->columnas.size(), 3u);
  EXPECT_EQ(e->Entradas(), 2u);
  EXPECT_EQ(e->Salidas(), 3u);
  EXPECT_TRUE(e->ConNombres());
  const ColumnaEsquema& largo = e->columnas[0];
  EXPECT_EQ(largo.uso, UsoColumna::Entrada);
  EXPECT_TRUE(largo.bEscalada);
  EXPECT_EQ(largo.dMinimo, 1.0);
  EXPECT_EQ(largo.dMaximo, 5.0);
  EXPECT_EQ(e->columnas[2].uso, UsoColumna::Clase);
  EXPECT_EQ(e->NombresSalidas(), (std::vector<CString>{"a", "b", "c"}));

  const Resultado<ConjuntoEsquema> c = AplicarEsquema(t, *e, "e.json", true);
  ASSERT_TRUE(c) << c.Mensaje();
  const CConjuntoDatos& d = *c->pConjunto;
  ASSERT_EQ(d.m_nMuestras, 4u);
  EXPECT_EQ(Fila(d.m_matEntradas, 0), (std::vector<double>{0.0, 0.0}));
  EXPECT_EQ(Fila(d.m_matEntradas, 1), (std::vector<double>{0.5, 1.0}));
  EXPECT_EQ(Fila(d.m_matEntradas, 3), (std::vector<double>{1.0, 0.0}));
  EXPECT_EQ(Fila(d.m_matSalidas, 0), (std::vector<double>{0.0, 1.0, 0.0}));
  EXPECT_EQ(Fila(d.m_matSalidas, 2), (std::vector<double>{0.0, 0.0, 1.0}));

  // Numbers as classes go in numeric order; scaling can be left out.
  const Resultado<CEsquema> n = CrearEsquema(Leer("x,k\n1,10\n2,9\n3,10\n4,2.5\n"), [] {
    OpcionesEsquema o;
    o.strClase = "2";
    o.bEscalar = false;
    return o;
  }());
  ASSERT_TRUE(n) << n.Mensaje();
  EXPECT_EQ(n->NombresSalidas(), (std::vector<CString>{"2.5", "9", "10"}));
  EXPECT_FALSE(n->columnas[0].bEscalada);
}

TEST_F(Importar, SalidasNumericasYColumnaDeClaseElegida) {
  const Tabla t = Leer("id,a,b,y1,y2\nx,1,2,3,4\nz,5,6,7,8\n");
  OpcionesEsquema op;
  op.nSalidas = 2;
  // The text column is an input, and it is refused.
  EXPECT_EQ(CrearEsquema(t, op).Mensaje(), "t.csv, línea 2, columna 1 (id): «x» no es un número.");
  const Tabla u = Leer("a,b,y1,y2\n1,2,3,4\n5,6,7,12\n");
  const Resultado<CEsquema> e = CrearEsquema(u, op);
  ASSERT_TRUE(e) << e.Mensaje();
  EXPECT_EQ(e->NombresSalidas(), (std::vector<CString>{"y1", "y2"}));
  const ColumnaEsquema& y2 = e->columnas[3];
  EXPECT_EQ(y2.uso, UsoColumna::Salida);
  EXPECT_EQ(CEsquema::Escalar(y2, 8.0), 0.5);
  EXPECT_EQ(CEsquema::Desescalar(y2, 0.5), 8.0);
  op.nSalidas = 4;
  EXPECT_EQ(CrearEsquema(u, op).Mensaje(), "t.csv: tiene 4 columnas numéricas; no caben 4 salidas y alguna entrada.");
  OpcionesEsquema clase;
  clase.strClase = "a";
  const Resultado<CEsquema> k = CrearEsquema(u, clase);
  ASSERT_TRUE(k);
  EXPECT_EQ(k->columnas[0].uso, UsoColumna::Clase);
  EXPECT_EQ(k->Entradas(), 3u);
  clase.strClase = "zz";
  EXPECT_EQ(CrearEsquema(u, clase).Mensaje(), "t.csv: no tiene ninguna columna «zz».");
  clase.strClase = "9";
  EXPECT_EQ(CrearEsquema(u, clase).Mensaje(), "t.csv: no tiene columna 9; tiene 4.");
  EXPECT_EQ(CrearEsquema(u, {}).Mensaje(),
            "t.csv: su última columna, columna 4 (y2), es numérica: indique cuál es la columna de la clase o cuántas "
            "salidas numéricas hay.");
  // A numeric last column and one column of text: that is the class, as
  // in a semicolon table with decimal commas and its class first; with two
  // columns of text the choice is the user's.
  const Resultado<CEsquema> primera =
      CrearEsquema(Leer("especie;largo;peso\nsetosa;5,1;0,2\nvirginica;6,3;2,5\n"), {});
  ASSERT_TRUE(primera) << primera.Mensaje();
  EXPECT_EQ(primera->columnas[0].uso, UsoColumna::Clase);
  EXPECT_EQ(primera->Entradas(), 2u);
  EXPECT_EQ(primera->NombresSalidas(), (std::vector<CString>{"setosa", "virginica"}));
  EXPECT_EQ(CrearEsquema(Leer("a,b,c\nx,y,1\nz,w,2\n"), {}).Mensaje(),
            "t.csv: su última columna, columna 3 (c), es numérica: indique cuál es la columna de la clase o cuántas "
            "salidas numéricas hay.");
  // A header cell left empty is named after its place.
  const Resultado<CEsquema> vacia = CrearEsquema(Leer(",a,k\n0,1,x\n1,2,y\n"), {});
  ASSERT_TRUE(vacia) << vacia.Mensaje();
  EXPECT_EQ(vacia->columnas[0].strNombre, "columna 1");
  EXPECT_TRUE(LeerEsquemaTexto("e.json", TextoEsquema(*vacia)));
  // A constant column is only shifted.
  const Resultado<CEsquema> c = CrearEsquema(Leer("a,b,k\n3,1,x\n3,2,y\n"), {});
  ASSERT_TRUE(c);
  EXPECT_EQ(CEsquema::Escalar(c->columnas[0], 3.0), 0.0);
  EXPECT_EQ(CEsquema::Escalar(c->columnas[0], 4.5), 1.5);
}

// Every refusal names the table, the line and, where there is one, the
// column; the first wrong cell in the file is the one named.
TEST_F(Importar, NegativasConLineaYColumna) {
  struct Caso {
    const char* tabla;
    const char* mensaje;
  } casos[] = {
      {"a,b,k\n1,2,x\n3,4\n", "t.csv, línea 3: tiene 2 celdas y la cabecera 3."},
      {"a,b,k\n1,2,x\n3,4,y,5\n", "t.csv, línea 3: tiene 4 celdas y la cabecera 3."},
      {"a,b,k\n1,2,x\n3,dos,y\n4,zz,z\n", "t.csv, línea 3, columna 2 (b): «dos» no es un número."},
      {"a,b,k\n1,2,x\n3,,y\n", "t.csv, línea 3, columna 2 (b): la celda está vacía."},
      {"a,b,k\n1,NaN,x\n", "t.csv, línea 2, columna 2 (b): el valor «NaN» no es finito."},
      {"a,b,k\n1,2,x\n-inf,2,x\n", "t.csv, línea 3, columna 1 (a): el valor «-inf» no es finito."},
      {"a,b,k\n1e309,2,x\n", "t.csv, línea 2, columna 1 (a): el valor «1e309» no es finito."},
      {"a,b,k\n1,2,\n", "t.csv, línea 2, columna 3 (k): falta la clase."},
      {"k\nx\ny\n", "t.csv: no se distinguen columnas en la tabla (¿es otro el separador?)."},
      {"a,b,a,k\n1,2,3,x\n", "t.csv: la cabecera repite el nombre «a» (columnas 1 y 3)."},
      // The first name repeated, not the first repetition found.
      {"a,b,b,a,k\n1,2,3,4,x\n", "t.csv: la cabecera repite el nombre «a» (columnas 1 y 4)."},
      // Cells quoted on one line, short, their control characters shown.
      {"a,b,k\n1,\"\x1b[2J\nx\",y\n", "t.csv, línea 2, columna 2 (b): «\\x1b[2J\\nx» no es un número."},
  };
  for (const Caso& c : casos) EXPECT_EQ(CrearEsquema(Leer(c.tabla), {}).Mensaje(), c.mensaje) << c.tabla;
}

TEST_F(Importar, ElEsquemaDeEntrenamientoSeAplicaTalCual) {
  const Resultado<CEsquema> e = CrearEsquema(Leer(kFlores), {});
  ASSERT_TRUE(e);
  // Classes in another order, columns in another order, a column the
  // scheme does not have, values outside the training range.
  const Tabla t = Leer("especie,otra,ancho,largo\nc,q,20,9\na,q,10,1\nb,q,30,3\n", "v.csv");
  const Resultado<ConjuntoEsquema> c = AplicarEsquema(t, *e, "e.json", true);
  ASSERT_TRUE(c) << c.Mensaje();
  EXPECT_TRUE(c->bObjetivos);
  const CConjuntoDatos& d = *c->pConjunto;
  EXPECT_EQ(Fila(d.m_matEntradas, 0), (std::vector<double>{2.0, 0.5}));
  EXPECT_EQ(Fila(d.m_matSalidas, 0), (std::vector<double>{0.0, 0.0, 1.0}));
  EXPECT_EQ(Fila(d.m_matSalidas, 1), (std::vector<double>{1.0, 0.0, 0.0}));
  EXPECT_EQ(Fila(d.m_matSalidas, 2), (std::vector<double>{0.0, 1.0, 0.0}));

  EXPECT_EQ(AplicarEsquema(Leer("largo,ancho,especie\n1,2,a\n4,5,rosa\n", "v.csv"), *e, "e.json", true).Mensaje(),
            "v.csv, línea 3, columna 3 (especie): la clase «rosa» no está en el esquema e.json (sus clases: a, b, c).");
  // A NUL does not cut the message; a scheme of many classes names ten.
  EXPECT_EQ(AplicarEsquema(Leer("largo,ancho,especie\n1,2,r" + std::string(1, '\0') + "sa\n", "v.csv"), *e, "e.json", true)
                .Mensaje(),
            "v.csv, línea 2, columna 3 (especie): la clase «r\\0sa» no está en el esquema e.json (sus clases: a, b, c).");
  std::string muchas = "x,k\n";
  for (int i = 0; i < 12; ++i) muchas += std::to_string(i) + ",c" + std::to_string(i) + "\n";
  const Resultado<CEsquema> m = CrearEsquema(Leer(muchas), {});
  ASSERT_TRUE(m);
  EXPECT_EQ(AplicarEsquema(Leer("x,k\n1,z\n", "v.csv"), *m, "m.json", true).Mensaje(),
            "v.csv, línea 2, columna 2 (k): la clase «z» no está en el esquema m.json (sus clases: c0, c1, c10, c11, "
            "c2, c3, c4, c5, c6, c7 y 2 más).");
  EXPECT_EQ(AplicarEsquema(Leer("largo,especie\n1,a\n", "v.csv"), *e, "e.json", true).Mensaje(),
            "v.csv: le falta la columna «ancho» del esquema e.json.");
  EXPECT_EQ(AplicarEsquema(Leer("largo,ancho\n1,2\n", "v.csv"), *e, "e.json", true).Mensaje(),
            "v.csv: le falta la columna «especie» del esquema e.json.");
  // New data may lack the class: no targets then.
  const Resultado<ConjuntoEsquema> n = AplicarEsquema(Leer("ancho,largo\n20,3\n", "n.csv"), *e, "e.json", false);
  ASSERT_TRUE(n) << n.Mensaje();
  EXPECT_FALSE(n->bObjetivos);
  EXPECT_EQ(Fila(n->pConjunto->m_matEntradas, 0), (std::vector<double>{0.5, 0.5}));
  // Without a header, by position: all the columns, or the inputs alone.
  const Resultado<ConjuntoEsquema> p = AplicarEsquema(Leer("3,30,b\n"), *e, "e.json", true);
  ASSERT_TRUE(p) << p.Mensaje();
  EXPECT_EQ(Fila(p->pConjunto->m_matSalidas, 0), (std::vector<double>{0.0, 1.0, 0.0}));
  EXPECT_TRUE(AplicarEsquema(Leer("3,30\n"), *e, "e.json", false));
  EXPECT_EQ(AplicarEsquema(Leer("3,30\n"), *e, "e.json", true).Mensaje(), "t.csv: tiene 2 columnas y el esquema e.json, 3.");
}

TEST_F(Importar, ElEsquemaEnJsonIdaYVuelta) {
  Resultado<CEsquema> e = CrearEsquema(Leer("a,b,k\n0.1,3,x\n0.7,1e-9,y\n"), {});
  ASSERT_TRUE(e);
  const std::string texto = TextoEsquema(*e);
  EXPECT_NE(texto.find("\"formato\": \"esquema de nrv\""), std::string::npos) << texto;
  EXPECT_NE(texto.find("\"minimo\": 0.1"), std::string::npos) << texto;
  // The same doubles back, in either locale.
  for (const char* locale : {"C", "es_ES.UTF-8"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) continue;
    const Resultado<CEsquema> r = LeerEsquemaTexto("e.json", texto);
    std::setlocale(LC_ALL, "C");
    ASSERT_TRUE(r) << r.Mensaje();
    ASSERT_EQ(r->columnas.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(r->columnas[i].strNombre, e->columnas[i].strNombre);
      EXPECT_EQ(Bits(r->columnas[i].dMinimo), Bits(e->columnas[i].dMinimo)) << locale;
      EXPECT_EQ(Bits(r->columnas[i].dMaximo), Bits(e->columnas[i].dMaximo)) << locale;
    }
    EXPECT_EQ(r->NombresSalidas(), e->NombresSalidas());
  }
  const struct {
    const char* texto;
    const char* causa;
  } malos[] = {
      {"{", "no es JSON (byte 2)"},
      {"[1e999]", "no es JSON que se pueda leer"},
      {"[]", "le falta \"formato\": \"esquema de nrv\""},
      {R"({"formato":"esquema de nrv","version":2,"columnas":[]})", "su versión no es la 1"},
      {R"({"formato":"esquema de nrv","version":1,"columnas":[]})", "no tiene columnas"},
      {R"({"formato":"esquema de nrv","version":1,"columnas":[{"uso":"clase","clases":["a"]}]})",
       "no tiene ninguna entrada"},
      {R"({"formato":"esquema de nrv","version":1,"columnas":[{"uso":"entrada"}]})", "no tiene ninguna salida"},
      {R"({"formato":"esquema de nrv","version":1,"columnas":[{"uso":"entrada","minimo":2,"maximo":1},)"
       R"({"uso":"salida"}]})",
       "el mínimo y el máximo de la columna 1 no forman un intervalo"},
      {R"({"formato":"esquema de nrv","version":1,"columnas":[{"uso":"entrada"},)"
       R"({"uso":"clase","clases":["a","a"]}]})",
       "la clase «a» está repetida"},
      {R"({"formato":"esquema de nrv","version":1,"columnas":[{"uso":"sí"}]})",
       "el uso de la columna 1 no es \"entrada\", \"salida\" ni \"clase\""},
  };
  for (const auto& m : malos)
    EXPECT_EQ(LeerEsquemaTexto("e.json", m.texto).Mensaje(), CString("El esquema e.json no es válido: ") + m.causa + ".")
        << m.texto;
}

// Table -> data file -> values: the same doubles through either format and
// under either locale.
TEST_F(Importar, IdaYVueltaDeLosValoresEnTextoYBinario) {
  const std::vector<std::string> celdas = {"0.1",  "1e-300", "-0",     "5e-324",         "123456.789", "1.7976931348623157e308",
                                           "-2.5", "1e22",   "0.3",    "3.141592653589793", "7E-7",      "100"};
  std::string texto = "a,b,k\n";
  for (std::size_t i = 0; i < celdas.size(); i += 2) texto += celdas[i] + "," + celdas[i + 1] + ",x\n";
  const std::string ruta = carpeta.Escribir("t.csv", texto);
  for (const char* locale : {"C", "es_ES.UTF-8"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) continue;
    SCOPED_TRACE(locale);
    OpcionesImportacion op;
    op.esquema.bEscalar = false;
    Resultado<Importacion> imp = ImportarTabla(ruta, "", op);
    ASSERT_TRUE(imp) << imp.Mensaje();
    for (const char* destino : {"d.txt", "d.bin"}) {
      const std::string d = carpeta.Fichero(destino);
      ASSERT_TRUE(GuardarImportacion(*imp, d, ""));
      CConjuntoDatos c;
      ASSERT_TRUE(c.Cargar(d)) << destino;
      ASSERT_EQ(c.m_nMuestras, celdas.size() / 2);
      for (UINT s = 0; s < c.m_nMuestras; ++s)
        for (UINT j = 0; j < 2; ++j)
          EXPECT_EQ(Bits(c.m_matEntradas.m_ppFilas[s][j]), Bits(AtofC(celdas[2 * s + j].c_str())))
              << destino << " " << celdas[2 * s + j];
    }
    std::setlocale(LC_ALL, "C");
  }
  // The text form: CR LF, a commented head, then the shortest forms.
  const std::string t = LeerFichero(carpeta.Fichero("d.txt"));
  EXPECT_EQ(t.substr(0, t.find('\n') + 1), "/ t.csv: 6 muestras, 2 entradas, 1 salida\r\n");
  EXPECT_NE(t.find("\r\n0.1 1e-300\r\n1\r\n-0 5e-324\r\n"), std::string::npos) << t;
  // A line break in a name stays inside its comment line.
  Resultado<Importacion> nl = ImportarTabla(carpeta.Escribir("nl.csv", "\"a\nb\",b,c\n1,2,\"x\r\ny\"\n3,4,z\n"), "", {});
  ASSERT_TRUE(nl) << nl.Mensaje();
  ASSERT_TRUE(GuardarImportacion(*nl, carpeta.Fichero("nl.txt"), ""));
  EXPECT_EQ(LeerFichero(carpeta.Fichero("nl.txt")),
            "/ nl.csv: 2 muestras, 2 entradas, 2 salidas\r\n/ entradas: a\\nb b\r\n/ salidas: x\\r\\ny z\r\n"
            "0 0\r\n1 0\r\n1 1\r\n0 1\r\n");
  CConjuntoDatos c;
  EXPECT_TRUE(c.Cargar(carpeta.Fichero("nl.txt")));
  // The binary form: the header, then each sample's doubles.
  EXPECT_EQ(LeerFichero(carpeta.Fichero("d.bin")).size(), 12u + 6u * 3u * 8u);
}

TEST_F(Importar, SeEscribeTodoONada) {
  const std::string tabla = carpeta.Escribir("t.csv", kFlores);
  const std::string esquema = carpeta.Fichero("e.json");
  Resultado<Importacion> imp = ImportarTabla(tabla, esquema, {});
  ASSERT_TRUE(imp);
  EXPECT_TRUE(imp->bEsquemaNuevo);
  // A destination that cannot be made leaves no scheme behind.
  const Resultado<Hecho> r = GuardarImportacion(*imp, carpeta.Fichero("no/d.txt"), esquema);
  EXPECT_EQ(r.Mensaje().rfind("No se ha podido crear el fichero " + carpeta.Fichero("no/d.txt"), 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(esquema));
  EXPECT_TRUE(GuardarImportacion(*imp, tabla, esquema).EsRechazo());
  EXPECT_TRUE(GuardarImportacion(*imp, esquema, esquema).EsRechazo());
  EXPECT_FALSE(std::filesystem::exists(esquema));
  ASSERT_TRUE(GuardarImportacion(*imp, carpeta.Fichero("d.txt"), esquema));
  const std::string json = LeerFichero(esquema);
  // Now it exists: applied as it is, never rewritten, and checked against
  // options given again.
  const std::string otra = carpeta.Escribir("o.csv", "largo,ancho,especie\n9,90,c\n");
  Resultado<Importacion> segunda = ImportarTabla(otra, esquema, {});
  ASSERT_TRUE(segunda) << segunda.Mensaje();
  EXPECT_FALSE(segunda->bEsquemaNuevo);
  EXPECT_EQ(Fila(segunda->pConjunto->m_matEntradas, 0), (std::vector<double>{2.0, 4.0}));
  ASSERT_TRUE(GuardarImportacion(*segunda, carpeta.Fichero("o.bin"), esquema));
  EXPECT_EQ(LeerFichero(esquema), json);
  OpcionesImportacion op;
  op.esquema.strClase = "largo";
  EXPECT_EQ(ImportarTabla(otra, esquema, op).Mensaje(),
            "El esquema " + esquema + " toma como clase la columna «especie», no «largo».");
  op.esquema.strClase = "3";
  EXPECT_TRUE(ImportarTabla(otra, esquema, op));
  op = {};
  op.esquema.bEscalar = false;
  op.bEscalaDada = true;
  EXPECT_EQ(ImportarTabla(otra, esquema, op).Mensaje(), "El esquema " + esquema + " escala los valores.");
  // The core shows nothing of its own.
  EXPECT_TRUE(host.Textos().empty());
}

// The dialog's preview: as many data rows as asked for whether or not a
// header comes first, the syntax it was read with, what each column
// becomes by the scheme it would make or by the one on disk, and why
// nothing can be said yet.
TEST_F(Importar, VistaPreviaDeLaTabla) {
  std::string texto = "x;y;k\n";
  for (int i = 0; i < 30; ++i) texto += std::to_string(i) + ",5;" + std::to_string(2 * i) + ";" + (i % 2 ? "p" : "q") + "\n";
  const std::string tabla = carpeta.Escribir("v.csv", texto);
  Resultado<VistaPrevia> v = VistaPreviaImportacion(tabla, "", {}, 20);
  ASSERT_TRUE(v) << v.Mensaje();
  EXPECT_EQ(v->tabla.filas.size(), 20u);
  EXPECT_EQ(v->tabla.lineas.front(), 2u);
  EXPECT_FALSE(v->tabla.bCompleta);
  EXPECT_EQ(TextoLectura(v->tabla), "Leída con separador «;», marca decimal «,» y cabecera.");
  ASSERT_EQ(v->usos.size(), 3u);
  EXPECT_EQ(*v->usos[2], UsoColumna::Clase);
  EXPECT_EQ(*v->usos[0], UsoColumna::Entrada);
  EXPECT_FALSE(v->bEsquemaExistente);
  EXPECT_EQ(v->strAviso, "");

  // Without a header the first row is data: still 20 rows.
  OpcionesImportacion sin;
  sin.tabla.nCabecera = 0;
  v = VistaPreviaImportacion(tabla, "", sin, 20);
  ASSERT_TRUE(v);
  EXPECT_EQ(v->tabla.filas.size(), 20u);
  EXPECT_EQ(v->tabla.lineas.front(), 1u);
  EXPECT_TRUE(v->usos.empty());
  EXPECT_EQ(v->strAviso, tabla + ", línea 1, columna 1: «x» no es un número.");

  // Numeric outputs, and both choices at once.
  OpcionesImportacion numericas;
  numericas.esquema.nSalidas = 1;
  const std::string sinClase = carpeta.Escribir("n.csv", "a,b,c\n1,2,3\n4,5,6\n");
  v = VistaPreviaImportacion(sinClase, "", numericas, 20);
  ASSERT_TRUE(v);
  EXPECT_TRUE(v->tabla.bCompleta);
  ASSERT_EQ(v->usos.size(), 3u);
  EXPECT_EQ(*v->usos[2], UsoColumna::Salida);
  numericas.esquema.strClase = "c";
  EXPECT_EQ(VistaPreviaImportacion(sinClase, "", numericas, 20)->strAviso,
            "Elija la columna de la clase o el número de salidas, no ambos.");

  // An existing scheme: its uses, matched by name; a column it does not
  // name has none; a table without its class column is told.
  const std::string esquema = carpeta.Fichero("f.json");
  Resultado<Importacion> imp = ImportarTabla(carpeta.Escribir("f.csv", kFlores), esquema, {});
  ASSERT_TRUE(imp);
  ASSERT_TRUE(GuardarImportacion(*imp, carpeta.Fichero("f.txt"), esquema));
  v = VistaPreviaImportacion(carpeta.Escribir("g.csv", "especie,nota,ancho,largo\na,x,1,2\n"), esquema, {}, 20);
  ASSERT_TRUE(v) << v.Mensaje();
  EXPECT_TRUE(v->bEsquemaExistente);
  ASSERT_EQ(v->usos.size(), 4u);
  EXPECT_EQ(*v->usos[0], UsoColumna::Clase);
  EXPECT_FALSE(v->usos[1].has_value());
  EXPECT_EQ(*v->usos[3], UsoColumna::Entrada);
  v = VistaPreviaImportacion(carpeta.Escribir("h.csv", "ancho,largo\n1,2\n"), esquema, {}, 20);
  ASSERT_TRUE(v);
  EXPECT_TRUE(v->usos.empty());
  EXPECT_NE(v->strAviso.find("le falta la columna «especie»"), std::string::npos);

  // A table that cannot be read fails as the import does.
  EXPECT_EQ(VistaPreviaImportacion(carpeta.Fichero("no.csv"), "", {}, 20).Mensaje(),
            "No se ha podido abrir la tabla " + carpeta.Fichero("no.csv") + ".");
}

// What an import says it wrote, with and without a scheme.
TEST_F(Importar, ResumenDeLoEscrito) {
  const std::string tabla = carpeta.Escribir("f.csv", kFlores);
  Resultado<Importacion> imp = ImportarTabla(tabla, "", {});
  ASSERT_TRUE(imp);
  EXPECT_EQ(ResumenImportacion(*imp, "d.txt", ""),
            "Tabla " + tabla + " importada en d.txt: 4 muestras, 2 entradas, 3 salidas.\n"
            "Leída con separador «,», marca decimal «.» y cabecera.\n"
            "Clases, en el orden de las salidas: a, b, c.\n");
  imp = ImportarTabla(tabla, carpeta.Fichero("e.json"), {});
  ASSERT_TRUE(imp);
  EXPECT_NE(ResumenImportacion(*imp, "d.txt", "e.json").find("\nEsquema escrito en e.json.\n"), std::string::npos);
}
