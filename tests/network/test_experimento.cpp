// Experiment plans: reading and refusals, the order of their runs, and the
// summary's figures and t-test against a direct computation.
#include <gtest/gtest.h>

#include <cmath>

#include "network/experimento.h"
#include "network/resumen.h"

using Json = nlohmann::ordered_json;

namespace {

Resultado<PlanExperimento> Plan(const std::string& texto) { return AnalizarPlan(texto, "/datos"); }

constexpr const char* kFicheros = R"("entrenamiento": "e.txt", "verificacion": "/otra/v.txt")";

}  // namespace

TEST(Experimento, ExpansionEnSuOrdenFijo) {
  const auto plan = Plan(std::string("{") + kFicheros +
                         R"(, "rejilla": {"epocas": [50, 10], "ocultas": [4, 8, 2], "aprendizaje": 0.2},
                            "semilla": 7, "repeticiones": 2})");
  ASSERT_TRUE(plan) << plan.Mensaje();
  EXPECT_EQ(plan->strEntrenamiento, "/datos/e.txt");
  EXPECT_EQ(plan->strVerificacion, "/otra/v.txt");
  EXPECT_TRUE(plan->strPrueba.empty());
  EXPECT_EQ(plan->Configuraciones(), 6u);
  const auto runs = ExpandirPlan(*plan);
  ASSERT_EQ(runs.size(), 12u);
  // ocultas outside epocas whatever the plan's key order; the values in the
  // plan's order; seeds innermost.
  const UINT ocultas[] = {4, 4, 4, 4, 8, 8, 8, 8, 2, 2, 2, 2};
  const UINT epocas[] = {50, 50, 10, 10, 50, 50, 10, 10, 50, 50, 10, 10};
  for (UINT i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(runs[i].nNumero, i);
    EXPECT_EQ(runs[i].nConfiguracion, i / 2);
    EXPECT_EQ(runs[i].nRepeticion, i % 2);
    EXPECT_EQ(runs[i].nSemilla, 7 + i % 2);
    EXPECT_EQ(runs[i].parametros.nOcultas, ocultas[i]);
    EXPECT_EQ(runs[i].parametros.nMaxEpocas, epocas[i]);
    EXPECT_EQ(runs[i].parametros.dAprendizaje, 0.2);
    EXPECT_EQ(runs[i].parametros.dMomento, 0.9);  // the dialog's default
  }
  EXPECT_EQ(LineaEjecucion(runs[3]),
            "0003\tconfiguracion=1 semilla=8 ocultas=4 aprendizaje=0.2 momento=0.9 error=0.7 epocas=10");
  EXPECT_EQ(NombreEjecucion(12345), "12345");

  const auto semillas = Plan(std::string("{") + kFicheros + R"(, "semillas": [5, 3]})");
  ASSERT_TRUE(semillas);
  const auto r2 = ExpandirPlan(*semillas);
  ASSERT_EQ(r2.size(), 2u);
  EXPECT_EQ(r2[0].nSemilla, 5u);
  EXPECT_EQ(r2[1].nSemilla, 3u);
  EXPECT_TRUE(EsResultadoDe(Json{{"ejecucion", 1}, {"configuracion", 0}, {"repeticion", 1}, {"semilla", 3},
                                 {"parametros", JsonParametros(r2[1].parametros)}},
                            r2[1]));
  EXPECT_FALSE(EsResultadoDe(Json{{"ejecucion", 1}, {"configuracion", 0}, {"repeticion", 1}, {"semilla", 4},
                                  {"parametros", JsonParametros(r2[1].parametros)}},
                             r2[1]));
}

// The window saves its form as JsonPlan writes it: read back, every plan
// gives the same runs, and data inside the plan's folder stay relative.
TEST(Experimento, PlanEscritoSeLeeIgual) {
  const char* const kPlanes[] = {
      R"({"entrenamiento": "e.txt", "verificacion": "/otra/v.txt", "prueba": "sub/p.txt",
          "rejilla": {"ocultas": [4, 8], "aprendizaje": [0.1, 0.25], "barajar": [false, true]}, "semillas": [5, 3]})",
      R"({"tabla": "vino.csv", "validacion_cruzada": 5, "verificacion": 0.15, "estratificar": true, "semilla": 9,
          "repeticiones": 2, "clase": 1, "rejilla": {"paciencia": [0, 20], "error": 0.05}})",
      R"({"tabla": "/t/casas.csv", "esquema": "/t/casas.json", "particion": [60, 20, 20], "salidas": 2})",
  };
  for (const char* texto : kPlanes) {
    const auto plan = Plan(texto);
    ASSERT_TRUE(plan) << plan.Mensaje();
    const Json j = JsonPlan(*plan, "/datos");
    const auto otra = Plan(j.dump());
    ASSERT_TRUE(otra) << otra.Mensaje() << "\n" << j.dump();
    EXPECT_EQ(JsonPlan(*otra, "/datos"), j);
    const auto a = ExpandirPlan(*plan), b = ExpandirPlan(*otra);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(LineaEjecucion(a[i]), LineaEjecucion(b[i]));
    EXPECT_EQ(otra->strComparar, plan->strComparar);
    EXPECT_EQ(otra->strTabla, plan->strTabla);
    EXPECT_EQ(otra->strEsquema, plan->strEsquema);
    EXPECT_EQ(otra->strPrueba, plan->strPrueba);
    EXPECT_EQ(otra->importacion.particion, plan->importacion.particion);
    EXPECT_EQ(otra->importacion.nVerificacion, plan->importacion.nVerificacion);
    EXPECT_EQ(otra->importacion.bEstratificar, plan->importacion.bEstratificar);
    EXPECT_EQ(otra->importacion.esquema.strClase, plan->importacion.esquema.strClase);
    EXPECT_EQ(otra->importacion.esquema.nSalidas, plan->importacion.esquema.nSalidas);
  }
  const Json j = JsonPlan(*Plan(kPlanes[0]), "/datos");
  EXPECT_EQ(j["entrenamiento"], "e.txt");
  EXPECT_EQ(j["verificacion"], "/otra/v.txt");
  EXPECT_EQ(j["prueba"], "sub/p.txt");
  EXPECT_EQ(j["semillas"], Json::array({5, 3}));
  EXPECT_FALSE(j.contains("repeticiones"));
  const Json k = JsonPlan(*Plan(kPlanes[1]), "/datos");
  EXPECT_EQ(k["semilla"], 9);
  EXPECT_EQ(k["repeticiones"], 2);
  EXPECT_EQ(k["clase"], "1");
}

TEST(Experimento, PlanesRechazadosDiciendoPorQue) {
  const std::string f = std::string("{") + kFicheros;
  const std::pair<std::string, const char*> casos[] = {
      {"[1]", "El plan debe ser un objeto JSON"},
      {"{\"entrenamiento\": ", "El plan no es JSON válido"},
      {R"({"verificacion": "v.txt"})", "Plan: «entrenamiento» falta"},
      {f + R"(, "prueba": 3})", "Plan: «prueba» debe ser la ruta"},
      {f + R"(, "capas": 3})", "Plan: clave desconocida «capas»."},
      {f + R"(, "rejilla": {"ocultas": [0]}})", "Plan: «ocultas» admite números enteros de 1 a 128."},
      {f + R"(, "rejilla": {"ocultas": [4.5]}})", "Plan: «ocultas» admite"},
      {f + R"(, "rejilla": {"aprendizaje": [0.6]}})", "Plan: «aprendizaje» admite números de 0 a 0.5."},
      {f + R"(, "rejilla": {"epocas": []}})", "Plan: «epocas» no tiene ningún valor."},
      {f + R"(, "rejilla": {"epocas": [401]}})", "Plan: «epocas» admite"},
      {f + R"(, "rejilla": {"neuronas": [4]}})", "Plan: «rejilla» no conoce el parámetro «neuronas»"},
      {f + R"(, "rejilla": {"paciencia": [401]}})", "Plan: «paciencia» admite números enteros de 0"},
      {f + R"(, "rejilla": {"barajar": [1]}})", "Plan: «barajar» admite true o false."},
      {f + R"(, "tabla": "vino.csv"})", "Plan: «entrenamiento» no va con «tabla»"},
      {R"({"tabla": "t.csv", "particion": [70, 30, 0]})", "Plan: «particion»: La parte de prueba"},
      {R"({"tabla": "t.csv", "verificacion": 0.2})", "Plan: «verificacion» no va con «tabla» sin"},
      {R"({"tabla": "t.csv", "validacion_cruzada": 5, "verificacion": 1})", "Plan: «verificacion» con"},
      {R"({"tabla": "t.csv", "validacion_cruzada": 5, "particion": "70,15,15"})", "Plan: con «validacion_cruzada»"},
      {R"({"tabla": "t.csv", "clase": "c", "salidas": 1})", "Plan: elija «clase» o «salidas»"},
      {f + R"(, "semilla": 0})", "Plan: «semilla» debe ser"},
      {f + R"(, "semillas": [1], "repeticiones": 2})", "Plan: «semillas» da la lista"},
      {f + R"(, "repeticiones": 0})", "Plan: «repeticiones» debe ser"},
      {f + R"(, "semilla": 2147483647, "repeticiones": 2})", "Plan: «semilla» más «repeticiones»"},
      {f + R"(, "comparar": "error"})", "Plan: «comparar» admite"},
  };
  for (const auto& [texto, mensaje] : casos) {
    const auto p = Plan(texto);
    ASSERT_FALSE(p) << texto;
    EXPECT_TRUE(p.EsRechazo()) << texto;
    EXPECT_EQ(p.Mensaje().rfind(mensaje, 0), 0u) << texto << " -> " << p.Mensaje();
  }
}

// Worked by hand: d = 1..5, J = 5, mean 3, variance 2.5, n2/n1 = 1/4 (five
// folds): t = 3 / sqrt((1/5 + 1/4) * 2.5) = 2 sqrt(2) with 4 degrees of
// freedom; for 4 degrees P(|T| > t) = 1 - I_x(1/2, 2) with x = t²/(t² + 4) =
// 2/3, and I_x(1/2, 2) = (3/2) sqrt(x) - (1/2) x^(3/2), so
// p = 1 - sqrt(3/2) + (1/3) sqrt(2/3).
TEST(Experimento, PruebaTCorregidaComoAMano) {
  const auto t = PruebaTCorregida({1, 2, 3, 4, 5}, 0.25);
  ASSERT_TRUE(t);
  EXPECT_NEAR(t->dT, 2.0 * std::sqrt(2.0), 1e-14);
  EXPECT_EQ(t->nGrados, 4u);
  EXPECT_NEAR(t->dP, 1.0 - std::sqrt(1.5) + std::sqrt(2.0 / 3.0) / 3.0, 1e-12);
  // The sign of the difference does not change p.
  EXPECT_NEAR(PruebaTCorregida({-1, -2, -3, -4, -5}, 0.25)->dP, t->dP, 1e-15);
  // Equal pairs: no difference; a constant difference: no test.
  const auto cero = PruebaTCorregida({0, 0, 0}, 0.25);
  ASSERT_TRUE(cero);
  EXPECT_EQ(cero->dP, 1.0);
  EXPECT_FALSE(PruebaTCorregida({1, 1, 1}, 0.25));
  EXPECT_FALSE(PruebaTCorregida({1}, 0.25));
}

namespace {

Json UnaEjecucion(UINT conf, UINT rep, double tasaVer, double errVer, std::optional<double> tasaPrueba,
               const char* datos = "ficheros") {
  Json r;
  r["ejecucion"] = conf * 10 + rep;
  r["configuracion"] = conf;
  r["repeticion"] = rep;
  r["datos"] = datos;
  r["parametros"] = {{"ocultas", 4 + conf}};
  r["epocas"] = 10 + rep;
  r["segundos"] = 0.5;
  r["entrenamiento"] = {{"muestras", 80}};
  r["verificacion"] = {{"muestras", 20}, {"tasa_aciertos", tasaVer}, {"error_total", errVer}};
  r["prueba"] = tasaPrueba ? Json{{"muestras", 20}, {"tasa_aciertos", *tasaPrueba}, {"error_total", 1.0}}
                           : Json(nullptr);
  return r;
}

const MediaDesviacion& Cifra(const FilaResumen& f, const char* nombre) {
  for (const auto& [n, md] : f.cifras)
    if (n == nombre) return md;
  static const MediaDesviacion nada;
  ADD_FAILURE() << "falta " << nombre;
  return nada;
}

}  // namespace

TEST(Experimento, ResumenIgualAlCalculoDirecto) {
  // Fixed files, runs given out of order, configuration 1 missing a run.
  const std::vector<Json> r = {UnaEjecucion(1, 0, 90, 2.0, std::nullopt), UnaEjecucion(0, 1, 80, 3.0, std::nullopt),
                               UnaEjecucion(0, 0, 70, 5.0, std::nullopt), UnaEjecucion(0, 2, 75, 4.0, std::nullopt)};
  const ResumenExperimento s = ResumirResultados(r);
  EXPECT_EQ(s.nResultados, 4u);
  EXPECT_EQ(s.strComparar, "verificacion.tasa_aciertos");
  ASSERT_EQ(s.filas.size(), 2u);
  const FilaResumen& a = s.filas[0];
  EXPECT_EQ(a.nConfiguracion, 0u);
  EXPECT_EQ(a.nEjecuciones, 3u);
  EXPECT_EQ(a.parametros["ocultas"], 4);
  EXPECT_DOUBLE_EQ(Cifra(a, "verificacion.tasa_aciertos").dMedia, 75.0);
  EXPECT_DOUBLE_EQ(Cifra(a, "verificacion.tasa_aciertos").dDesviacion, 5.0);  // sqrt((25 + 25 + 0) / 2)
  EXPECT_DOUBLE_EQ(Cifra(a, "verificacion.error_total").dMedia, 4.0);
  EXPECT_DOUBLE_EQ(Cifra(a, "verificacion.error_total").dDesviacion, 1.0);
  EXPECT_DOUBLE_EQ(Cifra(a, "epocas").dMedia, 11.0);
  EXPECT_FALSE(a.bMejor);
  EXPECT_TRUE(s.filas[1].bMejor);
  EXPECT_EQ(Cifra(s.filas[1], "verificacion.tasa_aciertos").dDesviacion, 0.0);
  // Same data in every repetition: no t-test.
  EXPECT_FALSE(a.prueba);

  // Lower is better when comparing the total error.
  std::vector<Json> e = r;
  for (Json& x : e) x["comparar"] = "error_total";
  const ResumenExperimento se = ResumirResultados(e);
  EXPECT_EQ(se.strComparar, "verificacion.error_total");
  EXPECT_TRUE(se.filas[1].bMejor);
  EXPECT_FALSE(se.filas[0].bMejor);
}

// The window's table sorts by the numbers the text shows.
TEST(Experimento, TablaDelResumenConSusNumeros) {
  const std::vector<Json> r = {UnaEjecucion(0, 0, 70, 5.0, 60, "particion"), UnaEjecucion(0, 1, 80, 3.0, 75, "particion"),
                               UnaEjecucion(1, 0, 90, 2.0, 80, "particion"), UnaEjecucion(1, 1, 95, 2.0, 90, "particion")};
  const TablaResumen t = TablaDeResumen(ResumirResultados(r));
  ASSERT_EQ(t.filas.size(), 2u);
  ASSERT_TRUE(t.bPruebaT);
  EXPECT_EQ(t.nParametros, 5u);
  ASSERT_EQ(t.cabecera.size(), t.filas[0].size());
  EXPECT_EQ(t.cabecera[7], "verif. aciertos %");
  EXPECT_EQ(t.filas[1][0].texto, "1 *");
  EXPECT_EQ(t.filas[0][2].texto, "4");
  EXPECT_EQ(t.filas[0][2].valor, 4.0);
  EXPECT_EQ(t.filas[0][3].texto, "");  // a parameter the runs do not give
  EXPECT_EQ(t.filas[0][7].texto, "75.00 ± 7.07");
  EXPECT_DOUBLE_EQ(*t.filas[0][7].valor, 75.0);
  EXPECT_TRUE(t.filas[0].back().valor);      // p against the best
  EXPECT_EQ(t.filas[1].back().texto, "");  // the best has none
  EXPECT_FALSE(t.filas[1].back().valor);
}

// Numeric outputs: each output's rmse, mae and r2 of each part, averaged as
// the other figures; a run without them counts for none; a plan with
// "salidas" ranks by the total error.
TEST(Experimento, ResumenConCifrasDeRegresion) {
  std::vector<Json> r = {UnaEjecucion(0, 0, 100, 2.0, 100), UnaEjecucion(0, 1, 100, 3.0, 100),
                         UnaEjecucion(0, 2, 100, 4.0, 100)};
  const double rmse[] = {1.0, 2.0, 4.0}, r2[] = {0.5, 0.7, 0.9};
  for (int i = 0; i < 2; ++i) {
    r[i]["verificacion"]["salidas"] = Json::array(
        {{{"nombre", "precio"}, {"rmse", rmse[i]}, {"mae", 0.5}, {"r2", r2[i]}},
         {{"nombre", "peso"}, {"rmse", 3.0}, {"mae", 1.0}, {"r2", nullptr}}});
    r[i]["prueba"]["salidas"] = Json::array({{{"nombre", "precio"}, {"rmse", rmse[i] * 2}, {"mae", 1.0}, {"r2", 0.1}}});
  }
  const ResumenExperimento s = ResumirResultados(r);
  ASSERT_EQ(s.filas.size(), 1u);
  const FilaResumen& f = s.filas[0];
  EXPECT_DOUBLE_EQ(Cifra(f, "verificacion.salidas.precio.rmse").dMedia, 1.5);
  EXPECT_EQ(Cifra(f, "verificacion.salidas.precio.rmse").n, 2u);
  EXPECT_DOUBLE_EQ(Cifra(f, "verificacion.salidas.precio.r2").dMedia, 0.6);
  EXPECT_DOUBLE_EQ(Cifra(f, "verificacion.salidas.peso.mae").dMedia, 1.0);
  EXPECT_DOUBLE_EQ(Cifra(f, "prueba.salidas.precio.rmse").dMedia, 3.0);
  // No R² where the target never varies: no figure at all.
  for (const auto& [n, md] : f.cifras) EXPECT_NE(n, "verificacion.salidas.peso.r2");
  // The order: the fixed figures, then part by part, output by output.
  std::vector<CString> nombres;
  for (const auto& [n, md] : f.cifras) nombres.push_back(n);
  ASSERT_GE(nombres.size(), 8u);
  const std::vector<CString> regresion(nombres.end() - 8, nombres.end());
  EXPECT_EQ(regresion, (std::vector<CString>{"verificacion.salidas.precio.rmse", "verificacion.salidas.precio.mae",
                                             "verificacion.salidas.precio.r2", "verificacion.salidas.peso.rmse",
                                             "verificacion.salidas.peso.mae", "prueba.salidas.precio.rmse",
                                             "prueba.salidas.precio.mae", "prueba.salidas.precio.r2"}));

  const auto p = Plan(R"({"tabla": "t.csv", "salidas": 1})");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->strComparar, "error_total");
  EXPECT_EQ(Plan(R"({"tabla": "t.csv", "salidas": 1, "comparar": "tasa_aciertos"})")->strComparar, "tasa_aciertos");
  EXPECT_EQ(Plan(R"({"tabla": "t.csv"})")->strComparar, "tasa_aciertos");
}

TEST(Experimento, ResumenConParticionesCompruebaContraLaMejor) {
  // Repeated splits with a test part: pairs by repetition, n2/n1 = 20/80.
  std::vector<Json> r;
  const double mejor[] = {90, 92, 91, 95, 93}, otra[] = {89, 90, 88, 91, 88};
  for (UINT k = 0; k < 5; ++k) {
    r.push_back(UnaEjecucion(0, k, 50, 1.0, otra[k], "particion"));
    r.push_back(UnaEjecucion(1, k, 40, 1.0, mejor[k], "particion"));
  }
  r.push_back(UnaEjecucion(2, 0, 99, 1.0, 80, "particion"));  // one run: no pairs for a test
  const ResumenExperimento s = ResumirResultados(r);
  EXPECT_EQ(s.strComparar, "prueba.tasa_aciertos");
  ASSERT_EQ(s.filas.size(), 3u);
  EXPECT_TRUE(s.filas[1].bMejor);
  EXPECT_FALSE(s.filas[1].prueba);
  std::vector<double> d;
  for (UINT k = 0; k < 5; ++k) d.push_back(otra[k] - mejor[k]);
  const auto directa = PruebaTCorregida(d, 0.25);
  ASSERT_TRUE(s.filas[0].prueba);
  EXPECT_EQ(s.filas[0].prueba->dT, directa->dT);
  EXPECT_EQ(s.filas[0].prueba->dP, directa->dP);
  EXPECT_LT(s.filas[0].prueba->dT, 0.0);
  EXPECT_FALSE(s.filas[2].prueba);
}
