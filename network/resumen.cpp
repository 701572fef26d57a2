#include "network/resumen.h"

#include <algorithm>
#include <filesystem>

#include "framework/fichero.h"
#include "framework/texto.h"

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

Json LeerResultado(const CString& strCarpetaEjecucion) {
  std::string bytes;
  if (!AfxLeerFicheroRegular((fs::path(strCarpetaEjecucion) / kResultadoEjecucion).string(), bytes, 1 << 20))
    return nullptr;
  try {
    return Json::parse(bytes);
  } catch (const Json::exception&) {
    return nullptr;
  }
}

std::vector<Json> LeerResultados(const CString& strCarpeta) {
  std::vector<std::pair<std::string, Json>> encontrados;
  std::error_code ec;
  for (fs::directory_iterator it(strCarpeta, ec), fin; !ec && it != fin; it.increment(ec)) {
    const std::string nombre = it->path().filename().string();
    if (nombre.size() < 4 || !std::all_of(nombre.begin(), nombre.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    Json r = LeerResultado(it->path().string());
    if (r.is_object()) encontrados.emplace_back(nombre, std::move(r));
  }
  std::sort(encontrados.begin(), encontrados.end(), [](const auto& a, const auto& b) {
    return a.first.size() != b.first.size() ? a.first.size() < b.first.size() : a.first < b.first;
  });
  std::vector<Json> v;
  for (auto& [n, r] : encontrados) v.push_back(std::move(r));
  return v;
}

namespace {

const char* const kParametros[] = {"ocultas", "aprendizaje", "momento", "error", "epocas"};
// Shown only when some configuration has them.
const char* const kOpcionesRejilla[] = {"paciencia", "barajar"};

std::vector<const char*> ParametrosDe(const ResumenExperimento& r) {
  std::vector<const char*> v(std::begin(kParametros), std::end(kParametros));
  for (const char* o : kOpcionesRejilla)
    if (std::any_of(r.filas.begin(), r.filas.end(), [&](const FilaResumen& f) { return f.parametros.contains(o); }))
      v.push_back(o);
  return v;
}
const char* const kCifrasResumen[] = {
    "verificacion.tasa_aciertos", "verificacion.error_total", "prueba.tasa_aciertos", "prueba.error_total",
    "epocas",                     "segundos",
};

const MediaDesviacion* CifraFila(const FilaResumen& f, const CString& nombre) {
  for (const auto& [n, md] : f.cifras)
    if (n == nombre) return &md;
  return nullptr;
}

// The regression figures some configuration has (numeric outputs), in the
// order they first come.
std::vector<CString> CifrasRegresionDe(const ResumenExperimento& r) {
  std::vector<CString> v;
  for (const FilaResumen& f : r.filas)
    for (const auto& [n, md] : f.cifras)
      if (n.find(".salidas.") != CString::npos && std::find(v.begin(), v.end(), n) == v.end()) v.push_back(n);
  return v;
}
// "verif. rmse precio" for "verificacion.salidas.precio.rmse".
CString TituloRegresion(const CString& cifra) {
  const std::size_t a = cifra.find(".salidas."), b = cifra.rfind('.');
  return FormatC("%s %s %s", cifra.compare(0, a, "verificacion") == 0 ? "verif." : "prueba",
                 cifra.substr(b + 1).c_str(), cifra.substr(a + 9, b - a - 9).c_str());
}

CeldaResumen Parametro(const FilaResumen& f, const char* nombre) {
  // An option of the grid left out is at its default.
  if (!f.parametros.contains(nombre)) {
    if (std::any_of(std::begin(kOpcionesRejilla), std::end(kOpcionesRejilla),
                    [&](const char* o) { return CString(o) == nombre; }))
      return {"0", 0.0};
    return {};
  }
  const Json& v = f.parametros[nombre];
  if (v.is_boolean()) return {v.get<bool>() ? "1" : "0", v.get<bool>() ? 1.0 : 0.0};
  if (!v.is_number()) return {};
  return {v.is_number_integer() ? FormatC("%lld", static_cast<long long>(v.get<std::int64_t>()))
                                : TextoExacto(v.get<double>()),
          v.get<double>()};
}

}  // namespace

TablaResumen TablaDeResumen(const ResumenExperimento& r) {
  TablaResumen t;
  const std::vector<const char*> parametros = ParametrosDe(r);
  t.nParametros = parametros.size();
  t.cabecera = {"conf.", "ejec."};
  for (const char* p : parametros) t.cabecera.push_back(p);
  struct Columna {
    CString cifra;
    CString titulo;
    const char* formato;
  };
  static const Columna kColumnas[] = {
      {"verificacion.tasa_aciertos", "verif. aciertos %", "%.2f ± %.2f"},
      {"verificacion.error_total", "verif. error total", "%.4f ± %.4f"},
      {"prueba.tasa_aciertos", "prueba aciertos %", "%.2f ± %.2f"},
      {"prueba.error_total", "prueba error total", "%.4f ± %.4f"},
      {"epocas", "épocas", "%.1f ± %.1f"},
      {"segundos", "segundos", "%.3f ± %.3f"},
  };
  std::vector<Columna> regresion;
  for (const CString& c : CifrasRegresionDe(r)) regresion.push_back({c, TituloRegresion(c), "%.4f ± %.4f"});
  std::vector<const Columna*> columnas;
  for (const Columna& c : kColumnas)
    if (std::any_of(r.filas.begin(), r.filas.end(), [&](const FilaResumen& f) { return CifraFila(f, c.cifra); }))
      columnas.push_back(&c);
  for (const Columna& c : regresion) columnas.push_back(&c);
  for (const Columna* c : columnas) t.cabecera.push_back(c->titulo);
  t.bPruebaT = std::any_of(r.filas.begin(), r.filas.end(), [](const FilaResumen& f) { return f.prueba; });
  if (t.bPruebaT) {
    t.cabecera.push_back("t");
    t.cabecera.push_back("p");
  }
  for (const FilaResumen& f : r.filas) {
    std::vector<CeldaResumen> fila = {{FormatC("%u%s", f.nConfiguracion, f.bMejor ? " *" : ""), f.nConfiguracion},
                                      {FormatC("%u", f.nEjecuciones), f.nEjecuciones}};
    for (const char* p : parametros) fila.push_back(Parametro(f, p));
    for (const Columna* c : columnas) {
      const MediaDesviacion* md = CifraFila(f, c->cifra);
      fila.push_back(md ? CeldaResumen{FormatC(c->formato, md->dMedia, md->dDesviacion), md->dMedia}
                        : CeldaResumen{"-", std::nullopt});
    }
    if (t.bPruebaT) {
      const CString nada = f.bMejor ? "" : "-";
      fila.push_back(f.prueba ? CeldaResumen{FormatC("%.3f", f.prueba->dT), f.prueba->dT} : CeldaResumen{nada, {}});
      fila.push_back(f.prueba ? CeldaResumen{FormatC("%.4f", f.prueba->dP), f.prueba->dP} : CeldaResumen{nada, {}});
    }
    t.filas.push_back(std::move(fila));
  }
  return t;
}

CString TextoResumen(const CString& strCarpeta, const ResumenExperimento& r) {
  const TablaResumen t = TablaDeResumen(r);
  std::vector<std::vector<CString>> celdas = {t.cabecera};
  for (const auto& fila : t.filas) {
    std::vector<CString> textos;
    for (const CeldaResumen& c : fila) textos.push_back(c.texto);
    celdas.push_back(std::move(textos));
  }
  // Widths in characters, not bytes (the ± and the accents).
  auto ancho = [](const CString& s) {
    return std::size_t(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  };
  std::vector<std::size_t> anchos(t.cabecera.size(), 0);
  for (const auto& fila : celdas)
    for (std::size_t i = 0; i < fila.size(); ++i) anchos[i] = std::max(anchos[i], ancho(fila[i]));
  CString s = FormatC("Experimento en %s: %u ejecuciones terminadas, %zu configuraciones.\n", strCarpeta.c_str(),
                      r.nResultados, r.filas.size());
  s += "Media ± desviación típica de cada configuración; * la mejor por " + r.strComparar + " media.\n";
  if (t.bPruebaT) s += "t y p: contra la mejor, prueba t corregida por remuestreo (Nadeau y Bengio).\n";
  s += "\n";
  for (const auto& fila : celdas) {
    CString linea;
    for (std::size_t i = 0; i < fila.size(); ++i) {
      const CString relleno(anchos[i] - ancho(fila[i]), ' ');
      linea += (i ? "  " : "") + (i < 2 + t.nParametros && i > 0 ? relleno + fila[i] : fila[i] + relleno);
    }
    while (!linea.empty() && linea.back() == ' ') linea.pop_back();
    s += linea + "\n";
  }
  return s;
}

CString CsvResumen(const ResumenExperimento& r) {
  const std::vector<const char*> parametros = ParametrosDe(r);
  CString s = "configuracion";
  for (const char* p : parametros) s += CString(",") + p;
  s += ",ejecuciones";
  const std::vector<CString> regresion = CifrasRegresionDe(r);
  for (const char* c : kCifrasResumen) s += CString(",") + c + ".media," + c + ".desviacion";
  for (const CString& c : regresion) s += "," + c + ".media," + c + ".desviacion";
  s += ",mejor,t,p\n";
  auto cifra = [](const MediaDesviacion* md) {
    return md ? "," + TextoExacto(md->dMedia) + "," + TextoExacto(md->dDesviacion) : CString(",,");
  };
  for (const FilaResumen& f : r.filas) {
    s += FormatC("%u", f.nConfiguracion);
    for (const char* p : parametros) s += "," + Parametro(f, p).texto;
    s += FormatC(",%u", f.nEjecuciones);
    for (const char* c : kCifrasResumen) s += cifra(CifraFila(f, c));
    for (const CString& c : regresion) s += cifra(CifraFila(f, c));
    s += f.bMejor ? ",1" : ",0";
    s += f.prueba ? "," + TextoExacto(f.prueba->dT) + "," + TextoExacto(f.prueba->dP) : CString(",,");
    s += "\n";
  }
  return s;
}

Json JsonResumen(const CString& strCarpeta, const ResumenExperimento& r) {
  Json j;
  j["carpeta"] = strCarpeta;
  j["resultados"] = r.nResultados;
  j["comparar"] = r.strComparar;
  Json filas = Json::array();
  for (const FilaResumen& f : r.filas) {
    Json o;
    o["configuracion"] = f.nConfiguracion;
    o["parametros"] = f.parametros;
    o["ejecuciones"] = f.nEjecuciones;
    o["mejor"] = f.bMejor;
    Json cifras = Json::object();
    for (const auto& [n, md] : f.cifras)
      cifras[n] = {{"media", md.dMedia}, {"desviacion", md.dDesviacion}, {"n", md.n}};
    o["cifras"] = std::move(cifras);
    o["prueba_t"] = f.prueba ? Json{{"t", f.prueba->dT}, {"grados", f.prueba->nGrados}, {"p", f.prueba->dP}}
                             : Json(nullptr);
    filas.push_back(std::move(o));
  }
  j["configuraciones"] = std::move(filas);
  return j;
}
