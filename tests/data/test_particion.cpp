// Splitting one table: parts that are disjoint and cover it, class shares
// kept when stratified, the same parts from the same seed, a scheme whose
// scale comes from the training rows alone, and the refusals of splits
// that cannot be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "data/importar.h"
#include "data/particion.h"
#include "framework/texto.h"
#include "tests/support/test_host.h"

namespace {

using Partes = std::vector<std::vector<UINT>>;

// Every row in exactly one part.
void EsParticion(const Partes& p, UINT n) {
  std::vector<int> veces(n, 0);
  for (const auto& parte : p)
    for (UINT f : parte) {
      ASSERT_LT(f, n);
      ++veces[f];
    }
  for (UINT f = 0; f < n; ++f) EXPECT_EQ(veces[f], 1) << "fila " << f;
}

// 3 classes of 50, 30 and 7 rows, interleaved as a table might be sorted.
std::vector<UINT> Clases() {
  std::vector<UINT> c;
  for (UINT k = 0; k < 50; ++k) c.push_back(0);
  for (UINT k = 0; k < 30; ++k) c.push_back(1);
  for (UINT k = 0; k < 7; ++k) c.push_back(2);
  return c;
}

}  // namespace

TEST(Particion, PartesDisjuntasQueCubrenLaTablaConSusCupos) {
  const std::vector<UINT> p = PermutarFilas(10, 1);
  EXPECT_EQ(std::set<UINT>(p.begin(), p.end()).size(), 10u);
  EXPECT_EQ(PermutarFilas(10, 1), p);
  EXPECT_NE(PermutarFilas(10, 2), p);
  EXPECT_TRUE(PermutarFilas(0, 1).empty());

  for (UINT n : {1u, 7u, 10u, 150u, 1001u}) {
    const Partes partes = RepartirFilas(n, {70, 15, 15}, 42);
    EsParticion(partes, n);
  }
  // Largest remainders: 150 rows give 105, 22.5, 22.5 -> 105, 23, 22.
  const Partes a = RepartirFilas(150, {70, 15, 15}, 7);
  EXPECT_EQ(a[0].size(), 105u);
  EXPECT_EQ(a[1].size(), 23u);
  EXPECT_EQ(a[2].size(), 22u);
  // Five folds of 12 rows: 3, 3, 2, 2, 2.
  const Partes k = RepartirFilas(12, {1, 1, 1, 1, 1}, 3);
  EsParticion(k, 12);
  EXPECT_EQ(k[0].size(), 3u);
  EXPECT_EQ(k[1].size(), 3u);
  EXPECT_EQ(k[4].size(), 2u);
  // Not the table's order: the training part is shuffled.
  EXPECT_FALSE(std::is_sorted(a[0].begin(), a[0].end()));
}

TEST(Particion, MismaSemillaMismasPartes) {
  const std::vector<UINT> clases = Clases();
  const UINT n = static_cast<UINT>(clases.size());
  EXPECT_EQ(RepartirFilas(n, {70, 15, 15}, 5), RepartirFilas(n, {70, 15, 15}, 5));
  EXPECT_EQ(RepartirFilas(n, {70, 15, 15}, 5, clases), RepartirFilas(n, {70, 15, 15}, 5, clases));
  EXPECT_NE(RepartirFilas(n, {70, 15, 15}, 5), RepartirFilas(n, {70, 15, 15}, 6));
  // The shuffle is fixed by its seed on every machine.
  EXPECT_EQ(PermutarFilas(8, 1), (std::vector<UINT>{7, 2, 1, 4, 6, 0, 3, 5}));
}

TEST(Particion, EstratificadaCadaClaseConservaSuParte) {
  const std::vector<UINT> clases = Clases();
  const UINT n = static_cast<UINT>(clases.size());
  const std::vector<UINT> cuotas = {70, 15, 15};
  for (std::uint32_t semilla : {1u, 2u, 99u}) {
    const Partes p = RepartirFilas(n, cuotas, semilla, clases);
    EsParticion(p, n);
    for (UINT c = 0; c < 3; ++c) {
      const double enClase = static_cast<double>(std::count(clases.begin(), clases.end(), c));
      for (UINT j = 0; j < 3; ++j) {
        const double tiene = static_cast<double>(std::count_if(p[j].begin(), p[j].end(), [&](UINT f) { return clases[f] == c; }));
        EXPECT_LE(std::abs(tiene - enClase * cuotas[j] / 100.0), 1.0) << "clase " << c << ", parte " << j;
      }
    }
    // The classes are mixed within a part, not one block after another.
    EXPECT_FALSE(std::is_sorted(p[0].begin(), p[0].end(), [&](UINT x, UINT y) { return clases[x] < clases[y]; }));
  }
}

// A cross-validation: the folds of one seed test every row once, each run's
// three parts cover the table, the classes keep their shares, and a table
// with fewer rows than folds is refused.
TEST(Particion, PlieguesQueCubrenLaTablaUnaVez) {
  const std::vector<UINT> clases = Clases();
  const UINT n = static_cast<UINT>(clases.size());
  std::vector<int> probada(n, 0);
  for (UINT f = 0; f < 5; ++f) {
    const Resultado<Partes> p = PartirPliegue(n, 5, f, 2000, 7, clases);
    ASSERT_TRUE(p) << p.Mensaje();
    EsParticion(*p, n);
    for (UINT fila : (*p)[PARTE_PRUEBA]) ++probada[fila];
    const auto deClase = [&](const std::vector<UINT>& parte, UINT c) {
      return std::count_if(parte.begin(), parte.end(), [&](UINT x) { return clases[x] == c; });
    };
    EXPECT_NEAR(double(deClase((*p)[PARTE_PRUEBA], 0)), 10.0, 1.0);
    EXPECT_NEAR(double(deClase((*p)[PARTE_VERIFICACION], 0)), 8.0, 1.0);
  }
  for (UINT fila = 0; fila < n; ++fila) EXPECT_EQ(probada[fila], 1) << "fila " << fila;
  EXPECT_EQ(*PartirPliegue(n, 5, 2, 2000, 7, clases), *PartirPliegue(n, 5, 2, 2000, 7, clases));
  EXPECT_NE(*PartirPliegue(n, 5, 2, 2000, 7), *PartirPliegue(n, 5, 2, 2000, 8));
  EXPECT_EQ(PartirPliegue(3, 5, 0, 2000, 1).Mensaje(), "Con 3 filas no hay filas para 5 pliegues.");
}

TEST(Particion, PorcentajesRechazados) {
  const Resultado<std::vector<UINT>> bien = LeerParticion("70,15,15");
  ASSERT_TRUE(bien) << bien.Mensaje();
  EXPECT_EQ(*bien, (std::vector<UINT>{70, 15, 15}));
  EXPECT_EQ(*LeerParticion("80, 10 ,10"), (std::vector<UINT>{80, 10, 10}));
  const CString uso =
      "La partición ha de ser tres porcentajes enteros separados por comas, de entrenamiento, verificación y "
      "prueba, que sumen 100 (por ejemplo 70,15,15).";
  for (const char* malo : {"", "70", "70,30", "70,15,15,0", "70,15,x", "70.5,14.5,15", "70,,30", "1e2,0,0"}) {
    const Resultado<std::vector<UINT>> r = LeerParticion(malo);
    EXPECT_TRUE(r.EsRechazo()) << malo;
    EXPECT_EQ(r.Mensaje(), uso) << malo;
  }
  EXPECT_EQ(LeerParticion("80,30,-10").Mensaje(), "Los porcentajes de la partición no pueden ser negativos.");
  EXPECT_EQ(LeerParticion("70,15,10").Mensaje(), "Los porcentajes de la partición suman 95, no 100.");
  EXPECT_EQ(LeerParticion("0,50,50").Mensaje(), "La parte de entrenamiento ha de tener un porcentaje mayor que cero.");
  EXPECT_EQ(LeerParticion("90,0,10").Mensaje(), "La parte de verificación ha de tener un porcentaje mayor que cero.");
  // 4, 0.5 and 0.5 rows: the tie goes to the earlier part.
  EXPECT_EQ(PartirTabla(5, {80, 10, 10}, 1).Mensaje(), "La parte de prueba quedaría vacía: el 10 % de 5 filas no llega a una.");
  EXPECT_TRUE(PartirTabla(10, {80, 10, 10}, 1));

  EXPECT_EQ(RutaParte("iris.txt", PARTE_ENTRENAMIENTO), "iris-entrenamiento.txt");
  EXPECT_EQ(RutaParte("datos/iris.bin", PARTE_VERIFICACION), "datos/iris-verificacion.bin");
  EXPECT_EQ(RutaParte("iris", PARTE_PRUEBA), "iris-prueba");
}

// The import: the scheme's ranges are the training rows' alone, each part
// holds its rows' samples, and the three files and the scheme are written.
TEST(Particion, ImportarPartidaConLaEscalaDelEntrenamiento) {
  CTestHost host;
  CCarpetaTemporal carpeta;
  std::string texto = "x,y,especie\n";
  for (int i = 0; i < 40; ++i) texto += FormatC("%d,%d,%s\n", i, 1000 - 3 * i, i % 4 == 0 ? "a" : "b");
  const std::string tabla = carpeta.Escribir("t.csv", texto);
  const std::string esquema = carpeta.Fichero("t.json");
  OpcionesImportacion op;
  op.particion = {60, 20, 20};
  op.nSemilla = 3;
  op.bEstratificar = true;
  Resultado<Importacion> imp = ImportarTabla(tabla, esquema, op);
  ASSERT_TRUE(imp) << imp.Mensaje();
  ASSERT_EQ(imp->filasPartes.size(), 3u);
  EsParticion(imp->filasPartes, 40);
  std::vector<std::unique_ptr<CConjuntoDatos>> partes;
  for (UINT j = 0; j < 3; ++j) partes.push_back(ConjuntoParte(*imp, j));
  EXPECT_EQ(partes[0]->m_nMuestras, 24u);
  // Class a: 10 rows, so 6, 2 and 2.
  for (UINT j = 0; j < 3; ++j) {
    UINT a = 0;
    for (UINT s = 0; s < partes[j]->m_nMuestras; ++s) a += partes[j]->m_matSalidas.m_ppFilas[s][0] == 1.0;
    EXPECT_EQ(a, j == 0 ? 6u : 2u);
  }
  double minimo = 1e9, maximo = -1e9;
  for (UINT f : imp->filasPartes[PARTE_ENTRENAMIENTO]) {
    minimo = std::min(minimo, static_cast<double>(f));
    maximo = std::max(maximo, static_cast<double>(f));
  }
  const ColumnaEsquema& x = imp->esquema.columnas[0];
  EXPECT_EQ(x.dMinimo, minimo);
  EXPECT_EQ(x.dMaximo, maximo);
  EXPECT_EQ(imp->esquema.columnas[1].dMaximo, 1000 - 3 * minimo);
  // Each part's sample is its table row read through that scheme.
  for (UINT j = 0; j < 3; ++j)
    for (UINT s = 0; s < partes[j]->m_nMuestras; ++s)
      EXPECT_EQ(partes[j]->m_matEntradas.m_ppFilas[s][0],
                CEsquema::Escalar(x, static_cast<double>(imp->filasPartes[j][s])));

  const std::string destino = carpeta.Fichero("t.txt");
  ASSERT_TRUE(GuardarImportacion(*imp, destino, esquema));
  EXPECT_FALSE(std::filesystem::exists(destino));
  for (UINT j = 0; j < 3; ++j) {
    CConjuntoDatos leido;
    ASSERT_TRUE(leido.Cargar(RutaParte(destino, j)));
    EXPECT_EQ(leido.m_nMuestras, partes[j]->m_nMuestras);
  }
  EXPECT_EQ(LeerFichero(RutaParte(destino, PARTE_PRUEBA)).substr(0, 60),
            "/ t.csv, prueba (20 % de 40 filas, semilla 3, por clases): 8");
  const Resultado<CEsquema> e = LeerEsquema(esquema);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->columnas[0].dMaximo, maximo);
  EXPECT_EQ(ResumenImportacion(*imp, destino, esquema),
            "Tabla " + tabla + " partida por clases con la semilla 3: 2 entradas, 2 salidas.\n"
            "Entrenamiento (60 %): 24 muestras en " + RutaParte(destino, 0) + ".\n"
            "Verificación (20 %): 8 muestras en " + RutaParte(destino, 1) + ".\n"
            "Prueba (20 %): 8 muestras en " + RutaParte(destino, 2) + ".\n"
            "Leída con separador «,», marca decimal «.» y cabecera.\n"
            "Clases, en el orden de las salidas: a, b.\n"
            "Esquema escrito en " + esquema + ", con la escala de las filas de entrenamiento.\n");

  // A scheme already there is applied as it is; a part named as the table
  // is refused; numeric outputs cannot be stratified.
  Resultado<Importacion> otra = ImportarTabla(tabla, esquema, op);
  ASSERT_TRUE(otra);
  EXPECT_FALSE(otra->bEsquemaNuevo);
  EXPECT_EQ(otra->filasPartes, imp->filasPartes);
  EXPECT_TRUE(GuardarImportacion(*otra, carpeta.Fichero("t.csv"), esquema));
  const std::string numerica = carpeta.Escribir("n.csv", "a,y\n1,2\n3,4\n5,6\n");
  op.esquema.nSalidas = 1;
  EXPECT_EQ(ImportarTabla(numerica, "", op).Mensaje(),
            "Para estratificar la partición hace falta una columna de clase; las salidas de esta tabla son numéricas.");
  op.bEstratificar = false;
  EXPECT_EQ(ImportarTabla(numerica, "", op).Mensaje(),
            "La parte de prueba quedaría vacía: el 20 % de 3 filas no llega a una.");
  EXPECT_TRUE(host.Textos().empty());
}
