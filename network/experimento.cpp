#include "network/experimento.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include <boost/math/distributions/students_t.hpp>

#include "framework/fichero.h"
#include "framework/texto.h"
#include "network/dialogos.h"
#include "network/parametros.h"

using Json = nlohmann::ordered_json;

namespace {

// Plans are small; anything larger is not one.
constexpr std::size_t kMaximoPlan = 1 << 20;
// Runs of one plan: enough for any sweep, few enough to list.
constexpr UINT kMaximoEjecuciones = 1000000;

Fallo ClaveMal(const char* clave, const CString& porque) {
  return Rechazo(FormatC("Plan: «%s» %s", clave, porque.c_str()));
}

// A whole number in [minimo, maximo], as a JSON number with no fraction.
bool EsEntero(const Json& v, UINT minimo, UINT maximo, UINT& n) {
  if (!v.is_number_integer()) return false;
  if (v.is_number_unsigned()) {
    const auto u = v.get<std::uint64_t>();
    if (u < minimo || u > maximo) return false;
    n = UINT(u);
    return true;
  }
  const auto s = v.get<std::int64_t>();
  if (s < std::int64_t(minimo) || s > std::int64_t(maximo)) return false;
  n = UINT(s);
  return true;
}

bool EsReal(const Json& v, double minimo, double maximo, double& d) {
  if (!v.is_number()) return false;
  d = v.get<double>();
  return std::isfinite(d) && d >= minimo && d <= maximo;
}

// A grid entry: one value or a non-empty list of them.
template <typename T, typename Leer>
std::optional<Fallo> LeerLista(const Json& rejilla, const char* clave, std::vector<T>& valores, Leer leer,
                               const CString& rango) {
  auto it = rejilla.find(clave);
  if (it == rejilla.end()) return std::nullopt;
  const Json lista = it->is_array() ? *it : Json::array({*it});
  if (lista.empty()) return ClaveMal(clave, "no tiene ningún valor.");
  valores.clear();
  for (const Json& v : lista) {
    T x{};
    if (!leer(v, x)) return ClaveMal(clave, "admite " + rango + ".");
    valores.push_back(x);
  }
  return std::nullopt;
}

CString Resolver(const CString& ruta, const CString& carpeta) {
  std::filesystem::path p(ruta);
  if (p.is_absolute() || carpeta.empty()) return ruta;
  return (std::filesystem::path(carpeta) / p).string();
}

// Folds of a cross-validation: at least two, and few enough to list.
constexpr UINT kMaximoPliegues = 100;

bool EsFraccion(const Json& v, UINT& nPorDiezMil) {
  double d = 0.0;
  if (!EsReal(v, 0.0, 1.0, d) || d <= 0.0 || d >= 1.0) return false;
  nPorDiezMil = UINT(std::lround(d * 10000.0));
  return nPorDiezMil > 0 && nPorDiezMil < 10000;
}

// The table of a plan and how each run splits it.
std::optional<Fallo> LeerTablaPlan(const Json& j, const CString& strCarpeta, PlanExperimento& plan) {
  for (const char* k : {"entrenamiento", "prueba"})
    if (j.contains(k))
      return ClaveMal(k, "no va con «tabla»: cada ejecución reparte la tabla en entrenamiento, verificación y "
                         "prueba.");
  auto ruta = [&](const char* clave, CString& destino) -> std::optional<Fallo> {
    auto it = j.find(clave);
    if (it == j.end()) return std::nullopt;
    if (!it->is_string() || it->get<std::string>().empty()) return ClaveMal(clave, "debe ser la ruta de un fichero.");
    destino = Resolver(it->get<std::string>(), strCarpeta);
    return std::nullopt;
  };
  if (auto f = ruta("tabla", plan.strTabla)) return *f;
  if (auto f = ruta("esquema", plan.strEsquema)) return *f;

  OpcionesImportacion& op = plan.importacion;
  if (auto it = j.find("validacion_cruzada"); it != j.end()) {
    if (!EsEntero(*it, 2, kMaximoPliegues, op.nPliegues))
      return ClaveMal("validacion_cruzada", FormatC("debe ser el número de pliegues, de 2 a %u.", kMaximoPliegues));
    if (j.contains("particion"))
      return Rechazo("Plan: con «validacion_cruzada» cada pliegue es la prueba; «particion» no se combina con ella.");
    if (auto v = j.find("verificacion"); v != j.end() && !EsFraccion(*v, op.nVerificacion))
      return ClaveMal("verificacion",
                      "con «validacion_cruzada» es la fracción de las filas de fuera del pliegue que verifican, "
                      "mayor que 0 y menor que 1 (por ejemplo 0.15).");
  } else {
    if (j.contains("verificacion"))
      return ClaveMal("verificacion", "no va con «tabla» sin «validacion_cruzada»: «particion» da su parte.");
    CString texto = "70,15,15";
    if (auto it = j.find("particion"); it != j.end()) {
      if (it->is_string()) {
        texto = it->get<std::string>();
      } else if (it->is_array()) {
        texto.clear();
        for (const Json& v : *it) {
          UINT n = 0;
          if (!EsEntero(v, 0, 100, n)) return ClaveMal("particion", "admite tres porcentajes enteros: [70, 15, 15].");
          texto += (texto.empty() ? "" : ",") + FormatC("%u", n);
        }
      } else {
        return ClaveMal("particion", "admite tres porcentajes enteros: [70, 15, 15].");
      }
    }
    Resultado<std::vector<UINT>> p = LeerParticion(texto);
    if (!p) return Rechazo("Plan: «particion»: " + p.Mensaje());
    op.particion = *p;
  }
  if (auto it = j.find("estratificar"); it != j.end()) {
    if (!it->is_boolean()) return ClaveMal("estratificar", "admite true o false.");
    op.bEstratificar = it->get<bool>();
  }
  if (auto it = j.find("clase"); it != j.end()) {
    UINT n = 0;
    if (it->is_string() && !it->get<std::string>().empty())
      op.esquema.strClase = it->get<std::string>();
    else if (EsEntero(*it, 1, 0x7fffffff, n))
      op.esquema.strClase = FormatC("%u", n);
    else
      return ClaveMal("clase", "debe ser el nombre de la columna de la clase o su número, desde 1.");
  }
  if (auto it = j.find("salidas"); it != j.end()) {
    if (!EsEntero(*it, 1, 0x7fffffff, op.esquema.nSalidas))
      return ClaveMal("salidas", "debe ser el número de columnas de salida, desde 1.");
    if (j.contains("clase")) return Rechazo("Plan: elija «clase» o «salidas», no ambas.");
  }
  return std::nullopt;
}

}  // namespace

PlanExperimento PlanPorOmision() {
  PlanExperimento plan;
  const CNuevaRedDlg::Valores defecto;  // the dialog's values at program start
  plan.ocultas = {defecto.nOcultas};
  plan.aprendizaje = {defecto.dAprendizaje};
  plan.momento = {defecto.dMomento};
  plan.error = {defecto.dErrorMaximo};
  plan.epocas = {defecto.nMaxEpocas};
  plan.paciencia = {0};
  plan.barajar = {false};
  plan.semillas = {1};
  plan.importacion.particion = {70, 15, 15};
  return plan;
}

UINT PlanExperimento::Configuraciones() const {
  return UINT(ocultas.size() * aprendizaje.size() * momento.size() * error.size() * epocas.size() *
              paciencia.size() * barajar.size());
}

UINT PlanExperimento::Ejecuciones() const { return Configuraciones() * UINT(semillas.size()) * Pliegues(); }

Resultado<PlanExperimento> AnalizarPlan(const std::string& texto, const CString& strCarpeta) {
  Json j;
  try {
    j = Json::parse(texto);
  } catch (const Json::parse_error& e) {
    return Rechazo(FormatC("El plan no es JSON válido (byte %zu).", static_cast<std::size_t>(e.byte)));
  }
  if (!j.is_object()) return Rechazo("El plan debe ser un objeto JSON: {\"entrenamiento\": ..., \"rejilla\": ...}.");

  static const char* const kClaves[] = {
      "entrenamiento", "verificacion", "prueba",       "tabla",   "esquema", "particion", "validacion_cruzada",
      "estratificar",  "clase",        "salidas",      "rejilla", "semilla", "semillas",  "repeticiones",
      "comparar"};
  for (auto it = j.begin(); it != j.end(); ++it) {
    const std::string& k = it.key();
    if (std::none_of(std::begin(kClaves), std::end(kClaves), [&](const char* c) { return k == c; }))
      return Rechazo(FormatC("Plan: clave desconocida «%s».", k.c_str()));
  }

  PlanExperimento plan = PlanPorOmision();
  plan.semillas.clear();  // from «semilla» and «repeticiones», or «semillas»
  plan.importacion.particion.clear();  // set by «particion» or left out by «validacion_cruzada»

  auto fichero = [&](const char* clave, bool bObligatorio, CString& ruta) -> std::optional<Fallo> {
    auto it = j.find(clave);
    if (it == j.end()) {
      if (bObligatorio) return ClaveMal(clave, "falta: el plan nombra sus ficheros de datos.");
      return std::nullopt;
    }
    if (!it->is_string() || it->get<std::string>().empty())
      return ClaveMal(clave, "debe ser la ruta de un fichero de datos.");
    ruta = Resolver(it->get<std::string>(), strCarpeta);
    return std::nullopt;
  };
  if (j.contains("tabla")) {
    if (auto f = LeerTablaPlan(j, strCarpeta, plan)) return *f;
  } else {
    for (const char* k : {"esquema", "particion", "validacion_cruzada", "estratificar", "clase", "salidas"})
      if (j.contains(k)) return ClaveMal(k, "va con «tabla»: el plan reparte una tabla en cada ejecución.");
    if (auto f = fichero("entrenamiento", true, plan.strEntrenamiento)) return *f;
    if (auto f = fichero("verificacion", true, plan.strVerificacion)) return *f;
    if (auto f = fichero("prueba", false, plan.strPrueba)) return *f;
  }

  if (auto it = j.find("rejilla"); it != j.end()) {
    if (!it->is_object()) return ClaveMal("rejilla", "debe ser un objeto: {\"ocultas\": [4, 8], ...}.");
    static const char* const kParametros[] = {"ocultas", "aprendizaje", "momento", "error",
                                              "epocas",  "paciencia",   "barajar"};
    for (auto r = it->begin(); r != it->end(); ++r) {
      if (std::none_of(std::begin(kParametros), std::end(kParametros), [&](const char* c) { return r.key() == c; }))
        return Rechazo(FormatC("Plan: «rejilla» no conoce el parámetro «%s» (admite ocultas, aprendizaje, momento, "
                               "error, epocas, paciencia y barajar).",
                               r.key().c_str()));
    }
    const Json& g = *it;
    // The ranges of the new-network dialog, from the one table.
    auto entero = [&](IndiceParametro i, std::vector<UINT>& lista) {
      const UINT a = MinimoEntero(i), b = MaximoEntero(i);
      return LeerLista(
          g, Parametro(i).strOpcion, lista, [a, b](const Json& v, UINT& n) { return EsEntero(v, a, b, n); },
          FormatC("números enteros de %u a %u", a, b));
    };
    auto real = [&](IndiceParametro i, std::vector<double>& lista) {
      const double a = Parametro(i).dMinimo, b = Parametro(i).dMaximo;
      return LeerLista(
          g, Parametro(i).strOpcion, lista, [a, b](const Json& v, double& d) { return EsReal(v, a, b, d); },
          "números de " + TextoParametro(a) + " a " + TextoParametro(b));
    };
    if (auto f = entero(PARAM_OCULTAS, plan.ocultas)) return *f;
    if (auto f = real(PARAM_APRENDIZAJE, plan.aprendizaje)) return *f;
    if (auto f = real(PARAM_MOMENTO, plan.momento)) return *f;
    if (auto f = real(PARAM_ERROR, plan.error)) return *f;
    if (auto f = entero(PARAM_EPOCAS, plan.epocas)) return *f;
    if (auto f = LeerLista(
            g, "paciencia", plan.paciencia,
            [](const Json& v, UINT& n) { return EsEntero(v, 0, kPacienciaMaxima, n); },
            FormatC("números enteros de 0 (sin paciencia) a %u", kPacienciaMaxima)))
      return *f;
    if (auto f = LeerLista(
            g, "barajar", plan.barajar,
            [](const Json& v, bool& b) {
              if (!v.is_boolean()) return false;
              b = v.get<bool>();
              return true;
            },
            "true o false"))
      return *f;
  }

  UINT nSemilla = 1;
  if (auto it = j.find("semilla"); it != j.end() && !EsEntero(*it, 1, 0x7fffffff, nSemilla))
    return ClaveMal("semilla", "debe ser un número entero de 1 a 2147483647.");
  const bool bSemillas = j.contains("semillas");
  if (bSemillas && (j.contains("repeticiones") || j.contains("semilla")))
    return Rechazo("Plan: «semillas» da la lista de semillas; no se combina con «semilla» ni con «repeticiones».");
  if (bSemillas) {
    if (auto f = LeerLista(j, "semillas", plan.semillas,
                           [](const Json& v, UINT& n) { return EsEntero(v, 1, 0x7fffffff, n); },
                           "números enteros de 1 a 2147483647"))
      return *f;
  } else {
    UINT nRepeticiones = 1;
    if (auto it = j.find("repeticiones"); it != j.end() && !EsEntero(*it, 1, 10000, nRepeticiones))
      return ClaveMal("repeticiones", "debe ser un número entero de 1 a 10000.");
    if (nSemilla > 0x7fffffffu - (nRepeticiones - 1))
      return Rechazo("Plan: «semilla» más «repeticiones» pasa de 2147483647.");
    for (UINT r = 0; r < nRepeticiones; ++r) plan.semillas.push_back(nSemilla + r);
  }

  if (auto it = j.find("comparar"); it != j.end()) {
    if (!it->is_string() || (*it != "tasa_aciertos" && *it != "error_total"))
      return ClaveMal("comparar", "admite «tasa_aciertos» o «error_total».");
    plan.strComparar = it->get<std::string>();
  } else if (j.contains("salidas")) {
    // Numeric outputs: a hit (the largest output where the target's is)
    // means nothing there; the error does.
    plan.strComparar = "error_total";
  }

  const double nTotal = double(plan.Configuraciones()) * double(plan.semillas.size()) * double(plan.Pliegues());
  if (nTotal > kMaximoEjecuciones)
    return Rechazo(FormatC("El plan da %.0f ejecuciones; como mucho se admiten %u.", nTotal, kMaximoEjecuciones));
  return plan;
}

Resultado<PlanExperimento> LeerPlan(const CString& strRuta) {
  std::string bytes;
  if (!AfxLeerFicheroRegular(strRuta, bytes, kMaximoPlan + 1))
    return Fallo{FormatC("No se puede leer el plan %s.", strRuta.c_str())};
  if (bytes.size() > kMaximoPlan) return Rechazo(FormatC("El plan %s es demasiado grande.", strRuta.c_str()));
  return AnalizarPlan(bytes, std::filesystem::path(strRuta).parent_path().string());
}

namespace {

CString RutaEnPlan(const CString& ruta, const CString& strCarpeta) {
  if (strCarpeta.empty()) return ruta;
  const std::filesystem::path p(ruta), carpeta(strCarpeta);
  if (!p.is_absolute()) return ruta;
  const std::filesystem::path r = p.lexically_normal().lexically_relative(carpeta.lexically_normal());
  if (r.empty() || *r.begin() == "..") return ruta;
  return r.string();
}

}  // namespace

Json JsonPlan(const PlanExperimento& plan, const CString& strCarpeta) {
  Json j;
  auto ruta = [&](const char* clave, const CString& r) {
    if (!r.empty()) j[clave] = RutaEnPlan(r, strCarpeta);
  };
  if (plan.strTabla.empty()) {
    ruta("entrenamiento", plan.strEntrenamiento);
    ruta("verificacion", plan.strVerificacion);
    ruta("prueba", plan.strPrueba);
  } else {
    const OpcionesImportacion& op = plan.importacion;
    ruta("tabla", plan.strTabla);
    ruta("esquema", plan.strEsquema);
    if (op.nPliegues) {
      j["validacion_cruzada"] = op.nPliegues;
      j["verificacion"] = double(op.nVerificacion) / 10000.0;
    } else {
      j["particion"] = op.particion;
    }
    j["estratificar"] = op.bEstratificar;
    if (!op.esquema.strClase.empty()) j["clase"] = op.esquema.strClase;
    if (op.esquema.nSalidas) j["salidas"] = op.esquema.nSalidas;
  }
  Json& g = j["rejilla"];
  g["ocultas"] = plan.ocultas;
  g["aprendizaje"] = plan.aprendizaje;
  g["momento"] = plan.momento;
  g["error"] = plan.error;
  g["epocas"] = plan.epocas;
  g["paciencia"] = plan.paciencia;
  g["barajar"] = plan.barajar;
  const auto& s = plan.semillas;
  bool bSeguidas = !s.empty();
  for (std::size_t i = 1; i < s.size(); ++i) bSeguidas = bSeguidas && s[i] == s[0] + i;
  if (bSeguidas) {
    j["semilla"] = s[0];
    j["repeticiones"] = s.size();
  } else {
    j["semillas"] = s;
  }
  j["comparar"] = plan.strComparar;
  return j;
}

std::vector<EjecucionPlan> ExpandirPlan(const PlanExperimento& plan) {
  std::vector<EjecucionPlan> runs;
  runs.reserve(plan.Ejecuciones());
  UINT nConfiguracion = 0;
  for (UINT o : plan.ocultas)
    for (double a : plan.aprendizaje)
      for (double m : plan.momento)
        for (double e : plan.error)
          for (UINT n : plan.epocas)
            for (UINT pa : plan.paciencia)
              for (bool b : plan.barajar) {
                for (UINT r = 0; r < plan.semillas.size(); ++r)
                  for (UINT f = 0; f < plan.Pliegues(); ++f) {
                    EjecucionPlan x;
                    x.nNumero = UINT(runs.size());
                    x.nConfiguracion = nConfiguracion;
                    x.nRepeticion = r;
                    x.nSemilla = plan.semillas[r];
                    if (plan.importacion.nPliegues) x.pliegue = f;
                    x.parametros = {o, a, m, e, n, pa, b};
                    runs.push_back(x);
                  }
                ++nConfiguracion;
              }
  return runs;
}

CString NombreEjecucion(UINT n) { return FormatC("%04u", n); }

CString LineaEjecucion(const EjecucionPlan& e) {
  const ParametrosEjecucion& p = e.parametros;
  return FormatC("%s\tconfiguracion=%u semilla=%u", NombreEjecucion(e.nNumero).c_str(), e.nConfiguracion,
                 e.nSemilla) +
         (e.pliegue ? FormatC(" pliegue=%u", *e.pliegue) : CString()) +
         FormatC(" ocultas=%u aprendizaje=%s momento=%s error=%s epocas=%u", p.nOcultas,
                 TextoExacto(p.dAprendizaje).c_str(), TextoExacto(p.dMomento).c_str(),
                 TextoExacto(p.dErrorMaximo).c_str(), p.nMaxEpocas) +
         (p.nPaciencia ? FormatC(" paciencia=%u", p.nPaciencia) : CString()) + (p.bBarajar ? " barajar=1" : "");
}

Json JsonParametros(const ParametrosEjecucion& p) {
  Json j;
  j["ocultas"] = p.nOcultas;
  j["aprendizaje"] = p.dAprendizaje;
  j["momento"] = p.dMomento;
  j["error"] = p.dErrorMaximo;
  j["epocas"] = p.nMaxEpocas;
  if (p.nPaciencia) j["paciencia"] = p.nPaciencia;
  if (p.bBarajar) j["barajar"] = true;
  return j;
}

bool EsResultadoDe(const Json& r, const EjecucionPlan& e) {
  if (!r.is_object()) return false;
  const auto num = [&](const char* k) {
    UINT n = 0;
    return r.contains(k) && EsEntero(r[k], 0, ~0u - 1, n) ? n : ~0u;
  };
  const bool bPliegue = e.pliegue ? num("pliegue") == *e.pliegue : !r.contains("pliegue") || r["pliegue"].is_null();
  return num("ejecucion") == e.nNumero && num("configuracion") == e.nConfiguracion &&
         num("repeticion") == e.nRepeticion && num("semilla") == e.nSemilla && bPliegue && r.contains("parametros") &&
         r["parametros"] == JsonParametros(e.parametros);
}

std::optional<PruebaT> PruebaTCorregida(const std::vector<double>& d, double dProporcionPrueba) {
  const std::size_t J = d.size();
  if (J < 2) return std::nullopt;
  const MediaDesviacion md = Resumir(d);
  const double var = md.dDesviacion * md.dDesviacion;
  PruebaT t;
  t.nGrados = UINT(J - 1);
  if (var == 0.0) {
    if (md.dMedia != 0.0) return std::nullopt;
    return t;
  }
  t.dT = md.dMedia / std::sqrt((1.0 / double(J) + dProporcionPrueba) * var);
  const boost::math::students_t_distribution<double> student(double(t.nGrados));
  t.dP = 2.0 * boost::math::cdf(boost::math::complement(student, std::fabs(t.dT)));
  return t;
}

MediaDesviacion Resumir(const std::vector<double>& v) {
  MediaDesviacion r;
  r.n = UINT(v.size());
  if (v.empty()) return r;
  double suma = 0.0;
  for (double x : v) suma += x;
  r.dMedia = suma / double(v.size());
  if (v.size() > 1) {
    double cuadrados = 0.0;
    for (double x : v) cuadrados += (x - r.dMedia) * (x - r.dMedia);
    r.dDesviacion = std::sqrt(cuadrados / double(v.size() - 1));
  }
  return r;
}

namespace {

// A figure of a result by its dotted name, when it is a number.
std::optional<double> Cifra(const Json& r, const CString& nombre) {
  const Json* p = &r;
  std::size_t desde = 0;
  for (;;) {
    const std::size_t punto = nombre.find('.', desde);
    const std::string clave = nombre.substr(desde, punto == CString::npos ? CString::npos : punto - desde);
    if (!p->is_object() || !p->contains(clave)) return std::nullopt;
    p = &(*p)[clave];
    if (punto == CString::npos) break;
    desde = punto + 1;
  }
  if (!p->is_number()) return std::nullopt;
  return p->get<double>();
}

const char* const kCifras[] = {
    "verificacion.tasa_aciertos", "verificacion.error_total", "prueba.tasa_aciertos", "prueba.error_total",
    "epocas",                     "segundos",
};

// The regression figures of numeric outputs ("salidas", as verificar --json
// gives them) of each part: "verificacion.salidas.NOMBRE.rmse", then mae
// and r2, output by output in the order of the first run that has them.
template <class Ejecuciones>
std::vector<std::pair<CString, std::vector<double>>> CifrasRegresion(const Ejecuciones& ejecuciones) {
  std::vector<std::pair<CString, std::vector<double>>> cifras;
  std::map<CString, std::size_t> indice;
  for (const char* parte : {"verificacion", "prueba"})
    for (const auto& [rep, r] : ejecuciones) {
      const auto p = r->find(parte);
      if (p == r->end() || !p->is_object()) continue;
      const auto salidas = p->find("salidas");
      if (salidas == p->end() || !salidas->is_array()) continue;
      for (const Json& o : *salidas) {
        if (!o.is_object() || !o.contains("nombre") || !o["nombre"].is_string()) continue;
        for (const char* medida : {"rmse", "mae", "r2"}) {
          const CString nombre = CString(parte) + ".salidas." + o["nombre"].get<std::string>() + "." + medida;
          auto [it, nueva] = indice.emplace(nombre, cifras.size());
          if (nueva) cifras.emplace_back(nombre, std::vector<double>{});
          if (o.contains(medida) && o[medida].is_number()) cifras[it->second].second.push_back(o[medida].get<double>());
        }
      }
    }
  std::erase_if(cifras, [](const auto& c) { return c.second.empty(); });
  return cifras;
}

}  // namespace

ResumenExperimento ResumirResultados(const std::vector<Json>& resultados) {
  ResumenExperimento resumen;
  // By configuration, each run by its repetition and fold (every fold of
  // a repetition is its own pair of the t-test).
  using Clave = std::pair<UINT, UINT>;
  std::map<UINT, std::map<Clave, const Json*>> grupos;
  bool bConPrueba = true, bDatosVarian = false;
  CString strComparar = "tasa_aciertos";
  for (const Json& r : resultados) {
    UINT c = 0, rep = 0, pliegue = 0;
    if (!r.is_object() || !r.contains("configuracion") || !EsEntero(r["configuracion"], 0, ~0u, c) ||
        !r.contains("repeticion") || !EsEntero(r["repeticion"], 0, ~0u, rep))
      continue;
    if (r.contains("pliegue") && !r["pliegue"].is_null() && !EsEntero(r["pliegue"], 0, ~0u, pliegue)) continue;
    grupos[c][{rep, pliegue}] = &r;
    ++resumen.nResultados;
    if (!r.contains("prueba") || !r["prueba"].is_object()) bConPrueba = false;
    if (r.contains("datos") && r["datos"].is_string() && r["datos"] != "ficheros") bDatosVarian = true;
    if (r.contains("comparar") && r["comparar"].is_string()) strComparar = r["comparar"].get<std::string>();
  }
  const bool bMayorMejor = strComparar != "error_total";
  resumen.strComparar = CString(bConPrueba ? "prueba." : "verificacion.") + strComparar;

  for (const auto& [c, porRepeticion] : grupos) {
    FilaResumen fila;
    fila.nConfiguracion = c;
    fila.nEjecuciones = UINT(porRepeticion.size());
    fila.parametros = porRepeticion.begin()->second->value("parametros", Json::object());
    for (const char* nombre : kCifras) {
      std::vector<double> v;
      for (const auto& [rep, r] : porRepeticion)
        if (auto x = Cifra(*r, nombre)) v.push_back(*x);
      if (!v.empty()) fila.cifras.emplace_back(nombre, Resumir(v));
    }
    for (auto& [nombre, v] : CifrasRegresion(porRepeticion)) fila.cifras.emplace_back(nombre, Resumir(v));
    resumen.filas.push_back(std::move(fila));
  }

  auto media = [&](const FilaResumen& f) -> std::optional<double> {
    for (const auto& [n, md] : f.cifras)
      if (n == resumen.strComparar) return md.dMedia;
    return std::nullopt;
  };
  FilaResumen* pMejor = nullptr;
  for (FilaResumen& f : resumen.filas) {
    const auto m = media(f);
    if (!m) continue;
    if (!pMejor || (bMayorMejor ? *m > *media(*pMejor) : *m < *media(*pMejor))) pMejor = &f;
  }
  if (!pMejor) return resumen;
  pMejor->bMejor = true;
  if (!bDatosVarian) return resumen;

  // Pairs of runs on the same data: the same repetition of both.
  const auto& mejores = grupos[pMejor->nConfiguracion];
  for (FilaResumen& f : resumen.filas) {
    if (&f == pMejor) continue;
    std::vector<double> d;
    double dProporcion = 0.0;
    UINT nProporciones = 0;
    for (const auto& [rep, r] : grupos[f.nConfiguracion]) {
      auto it = mejores.find(rep);
      if (it == mejores.end()) continue;
      const auto x = Cifra(*r, resumen.strComparar), y = Cifra(*it->second, resumen.strComparar);
      const CString parte = bConPrueba ? "prueba.muestras" : "verificacion.muestras";
      const auto nMedida = Cifra(*r, parte), nEntrenamiento = Cifra(*r, "entrenamiento.muestras");
      if (!x || !y || !nMedida || !nEntrenamiento || *nEntrenamiento <= 0.0) continue;
      d.push_back(*x - *y);
      dProporcion += *nMedida / *nEntrenamiento;
      ++nProporciones;
    }
    if (nProporciones > 0) f.prueba = PruebaTCorregida(d, dProporcion / nProporciones);
  }
  return resumen;
}
