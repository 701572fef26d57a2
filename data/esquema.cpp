#include "data/esquema.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "framework/fichero.h"
#include "framework/texto.h"

namespace {

using Json = nlohmann::ordered_json;

const char* const kFormato = "esquema de nrv";
constexpr int kVersion = 1;

const char* NombreUso(UsoColumna u) {
  switch (u) {
    case UsoColumna::Entrada:
      return "entrada";
    case UsoColumna::Salida:
      return "salida";
    case UsoColumna::Clase:
      return "clase";
  }
  return "";
}

bool EsEntero(const CString& s) {
  return !s.empty() && s.size() <= 9 && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The names in a message: the first ten, and how many more.
CString Lista(const std::vector<CString>& v) {
  constexpr std::size_t kMaxNombres = 10;
  CString s;
  for (std::size_t i = 0; i < v.size() && i < kMaxNombres; ++i) s += (i ? ", " : "") + CeldaEnMensaje(v[i]);
  if (v.size() > kMaxNombres) s += FormatC(" y %zu más", v.size() - kMaxNombres);
  return s;
}

// A cell that must hold a finite number, or the refusal that says where.
Resultado<double> Numero(const Tabla& t, std::size_t fila, UINT columna, const CString& celda) {
  double v = 0.0;
  switch (LeerCelda(celda, t.cDecimal, v)) {
    case ClaseCelda::Numero:
      return v;
    case ClaseCelda::NoFinito:
      return Fallo{FormatC("%s, línea %u, %s: el valor «%s» no es finito.", t.strRuta.c_str(), t.lineas[fila],
                           NombreColumna(t, columna).c_str(), CeldaEnMensaje(celda).c_str())};
    case ClaseCelda::Texto:
      break;
  }
  if (celda.find_first_not_of(" \t") == CString::npos)
    return Fallo{FormatC("%s, línea %u, %s: la celda está vacía.", t.strRuta.c_str(), t.lineas[fila],
                         NombreColumna(t, columna).c_str())};
  return Fallo{FormatC("%s, línea %u, %s: «%s» no es un número.", t.strRuta.c_str(), t.lineas[fila],
                       NombreColumna(t, columna).c_str(), CeldaEnMensaje(celda).c_str())};
}

// The column that --clase names: a header name, else a 1-based number.
Resultado<UINT> ColumnaNombrada(const Tabla& t, const CString& nombre) {
  for (UINT i = 0; i < t.cabecera.size(); ++i)
    if (t.cabecera[i] == nombre) return i;
  if (EsEntero(nombre)) {
    const UINT n = static_cast<UINT>(std::stoul(nombre));
    if (n >= 1 && n <= t.nColumnas) return n - 1;
    return Fallo{FormatC("%s: no tiene columna %u; tiene %u.", t.strRuta.c_str(), n, t.nColumnas)};
  }
  return Fallo{FormatC("%s: no tiene ninguna columna «%s».", t.strRuta.c_str(), CeldaEnMensaje(nombre).c_str())};
}

// Classes in order: as numbers when every one reads as a number, else by
// their bytes.
void OrdenarClases(std::vector<CString>& clases, char cDecimal) {
  std::vector<std::pair<double, CString>> numeros;
  for (const CString& c : clases) {
    double v = 0.0;
    if (LeerCelda(c, cDecimal, v) != ClaseCelda::Numero) {
      std::sort(clases.begin(), clases.end());
      return;
    }
    numeros.emplace_back(v, c);
  }
  std::sort(numeros.begin(), numeros.end());
  for (std::size_t i = 0; i < clases.size(); ++i) clases[i] = numeros[i].second;
}

Fallo NoValido(const CString& ruta, const CString& causa) {
  return Fallo{FormatC("El esquema %s no es válido: %s.", ruta.c_str(), causa.c_str())};
}

}  // namespace

// ---------------------------------------------------------------- CEsquema

UINT CEsquema::Entradas() const {
  return static_cast<UINT>(std::count_if(columnas.begin(), columnas.end(),
                                         [](const ColumnaEsquema& c) { return c.uso == UsoColumna::Entrada; }));
}

UINT CEsquema::Salidas() const {
  UINT n = 0;
  for (const ColumnaEsquema& c : columnas)
    if (c.uso == UsoColumna::Salida) ++n;
    else if (c.uso == UsoColumna::Clase) n += static_cast<UINT>(c.clases.size());
  return n;
}

bool CEsquema::ConNombres() const {
  return std::all_of(columnas.begin(), columnas.end(), [](const ColumnaEsquema& c) { return !c.strNombre.empty(); });
}

const ColumnaEsquema* CEsquema::Clase() const {
  for (const ColumnaEsquema& c : columnas)
    if (c.uso == UsoColumna::Clase) return &c;
  return nullptr;
}

std::vector<CString> CEsquema::NombresSalidas() const {
  std::vector<CString> v;
  for (const ColumnaEsquema& c : columnas)
    if (c.uso == UsoColumna::Clase) v.insert(v.end(), c.clases.begin(), c.clases.end());
    else if (c.uso == UsoColumna::Salida) v.push_back(c.strNombre.empty() ? FormatC("salida%zu", v.size() + 1) : c.strNombre);
  return v;
}

double CEsquema::Escalar(const ColumnaEsquema& c, double v) {
  if (!c.bEscalada) return v;
  const double rango = c.dMaximo - c.dMinimo;
  return rango > 0.0 ? (v - c.dMinimo) / rango : v - c.dMinimo;
}

double CEsquema::Desescalar(const ColumnaEsquema& c, double v) {
  if (!c.bEscalada) return v;
  const double rango = c.dMaximo - c.dMinimo;
  return rango > 0.0 ? c.dMinimo + v * rango : c.dMinimo + v;
}

// ---------------------------------------------------------------- the JSON file

std::string TextoEsquema(const CEsquema& e) {
  Json j;
  j["formato"] = kFormato;
  j["version"] = kVersion;
  Json columnas = Json::array();
  for (const ColumnaEsquema& c : e.columnas) {
    Json col;
    if (!c.strNombre.empty()) col["nombre"] = c.strNombre;
    col["uso"] = NombreUso(c.uso);
    if (c.bEscalada) {
      col["minimo"] = c.dMinimo;
      col["maximo"] = c.dMaximo;
    }
    if (c.uso == UsoColumna::Clase) col["clases"] = c.clases;
    columnas.push_back(std::move(col));
  }
  j["columnas"] = std::move(columnas);
  return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

Resultado<CEsquema> LeerEsquema(const CString& ruta) {
  // Only a regular file, opened without waiting on it.
  std::string texto;
  if (!AfxLeerFicheroRegular(ruta, texto)) {
    if (errno == EINVAL || errno == EISDIR || errno == ENOENT || errno == EACCES)
      return Fallo{FormatC("No se ha podido abrir el esquema %s.", ruta.c_str())};
    return Fallo{FormatC("No se ha podido leer el esquema %s.", ruta.c_str())};
  }
  return LeerEsquemaTexto(ruta, texto);
}

Resultado<CEsquema> LeerEsquemaTexto(const CString& ruta, const std::string& texto) {
  Json j;
  try {
    j = Json::parse(texto);
  } catch (const Json::parse_error& e) {
    return NoValido(ruta, FormatC("no es JSON (byte %zu)", static_cast<std::size_t>(e.byte)));
  } catch (const Json::exception&) {
    // A number too large for any type, a nesting too deep.
    return NoValido(ruta, "no es JSON que se pueda leer");
  }
  if (!j.is_object() || !j.contains("formato") || j["formato"] != kFormato)
    return NoValido(ruta, FormatC("le falta \"formato\": \"%s\"", kFormato));
  if (!j.contains("version") || j["version"] != kVersion)
    return NoValido(ruta, FormatC("su versión no es la %d", kVersion));
  if (!j.contains("columnas") || !j["columnas"].is_array() || j["columnas"].empty())
    return NoValido(ruta, "no tiene columnas");
  CEsquema e;
  UINT n = 0;
  std::unordered_set<CString> nombres;
  for (const Json& col : j["columnas"]) {
    ++n;
    ColumnaEsquema c;
    if (!col.is_object()) return NoValido(ruta, FormatC("la columna %u no es un objeto", n));
    if (col.contains("nombre")) {
      if (!col["nombre"].is_string() || col["nombre"].get<std::string>().empty())
        return NoValido(ruta, FormatC("el nombre de la columna %u no es un texto", n));
      c.strNombre = col["nombre"].get<std::string>();
    }
    const std::string uso = col.contains("uso") && col["uso"].is_string() ? col["uso"].get<std::string>() : "";
    if (uso == "entrada") c.uso = UsoColumna::Entrada;
    else if (uso == "salida") c.uso = UsoColumna::Salida;
    else if (uso == "clase") c.uso = UsoColumna::Clase;
    else return NoValido(ruta, FormatC("el uso de la columna %u no es \"entrada\", \"salida\" ni \"clase\"", n));
    const bool hayMin = col.contains("minimo"), hayMax = col.contains("maximo");
    if (hayMin != hayMax) return NoValido(ruta, FormatC("la columna %u tiene mínimo sin máximo o al revés", n));
    if (hayMin) {
      if (c.uso == UsoColumna::Clase) return NoValido(ruta, FormatC("la columna %u es la clase y no se escala", n));
      if (!col["minimo"].is_number() || !col["maximo"].is_number())
        return NoValido(ruta, FormatC("el mínimo o el máximo de la columna %u no es un número", n));
      c.bEscalada = true;
      c.dMinimo = col["minimo"].get<double>();
      c.dMaximo = col["maximo"].get<double>();
      if (!std::isfinite(c.dMinimo) || !std::isfinite(c.dMaximo) || !(c.dMinimo <= c.dMaximo) ||
          !std::isfinite(c.dMaximo - c.dMinimo))
        return NoValido(ruta, FormatC("el mínimo y el máximo de la columna %u no forman un intervalo", n));
    }
    if (c.uso == UsoColumna::Clase) {
      if (!col.contains("clases") || !col["clases"].is_array() || col["clases"].empty())
        return NoValido(ruta, FormatC("la columna %u es la clase y no tiene clases", n));
      std::unordered_set<CString> vistas;
      for (const Json& k : col["clases"]) {
        if (!k.is_string() || k.get<std::string>().empty())
          return NoValido(ruta, FormatC("una clase de la columna %u no es un texto", n));
        if (!vistas.insert(k.get<std::string>()).second)
          return NoValido(ruta, FormatC("la clase «%s» está repetida", CeldaEnMensaje(k.get<std::string>()).c_str()));
        c.clases.push_back(k.get<std::string>());
      }
    } else if (col.contains("clases")) {
      return NoValido(ruta, FormatC("la columna %u tiene clases y no es la clase", n));
    }
    if (!c.strNombre.empty() && !nombres.insert(c.strNombre).second)
      return NoValido(ruta, FormatC("la columna «%s» está repetida", CeldaEnMensaje(c.strNombre).c_str()));
    e.columnas.push_back(std::move(c));
  }
  const auto usos = [&](UsoColumna u) {
    return std::count_if(e.columnas.begin(), e.columnas.end(), [u](const ColumnaEsquema& c) { return c.uso == u; });
  };
  if (usos(UsoColumna::Entrada) == 0) return NoValido(ruta, "no tiene ninguna entrada");
  if (usos(UsoColumna::Clase) > 1) return NoValido(ruta, "tiene más de una columna de clase");
  if (usos(UsoColumna::Clase) == 1 && usos(UsoColumna::Salida) != 0)
    return NoValido(ruta, "tiene a la vez una clase y salidas numéricas");
  if (usos(UsoColumna::Clase) == 0 && usos(UsoColumna::Salida) == 0) return NoValido(ruta, "no tiene ninguna salida");
  const bool conNombres = e.ConNombres();
  if (!conNombres && std::any_of(e.columnas.begin(), e.columnas.end(),
                                 [](const ColumnaEsquema& c) { return !c.strNombre.empty(); }))
    return NoValido(ruta, "unas columnas tienen nombre y otras no");
  return e;
}

// ---------------------------------------------------------------- made from a table

Resultado<CEsquema> CrearEsquema(const Tabla& t, const OpcionesEsquema& op) {
  const char* tabla = t.strRuta.c_str();
  if (Resultado<Hecho> r = ComprobarCeldas(t); !r) return r.GetFallo();
  if (t.nColumnas < 2)
    return Fallo{FormatC("%s: no se distinguen columnas en la tabla (¿es otro el separador?).", tabla)};
  const UINT n = t.nColumnas;

  // Numeric columns: every cell a number (finite or not).
  std::vector<bool> numerica(n, true);
  double v = 0.0;
  for (const auto& fila : t.filas)
    for (UINT i = 0; i < n; ++i)
      if (numerica[i] && LeerCelda(fila[i], t.cDecimal, v) == ClaseCelda::Texto) numerica[i] = false;

  // Other tables are matched to the scheme by these names.
  // The first name repeated, with the first column that repeats it.
  {
    std::unordered_map<CString, UINT> primera;
    UINT i = 0, k = 0;
    for (UINT j = 0; j < t.cabecera.size(); ++j) {
      const auto [it, nueva] = primera.emplace(t.cabecera[j], j);
      if (!nueva && (k == 0 || it->second < i)) {
        i = it->second;
        k = j;
      }
    }
    if (k != 0)
      return Fallo{FormatC("%s: la cabecera repite el nombre «%s» (columnas %u y %u).", tabla,
                           CeldaEnMensaje(t.cabecera[i]).c_str(), i + 1, k + 1)};
  }
  CEsquema e;
  e.columnas.resize(n);
  for (UINT i = 0; i < n; ++i)
    if (t.bCabecera) e.columnas[i].strNombre = t.cabecera[i];
  if (op.nSalidas != 0) {
    std::vector<UINT> numericas;
    for (UINT i = 0; i < n; ++i)
      if (numerica[i]) numericas.push_back(i);
    if (numericas.size() <= op.nSalidas)
      return Fallo{FormatC("%s: tiene %zu columnas numéricas; no caben %u salidas y alguna entrada.", tabla,
                           numericas.size(), op.nSalidas)};
    for (std::size_t k = numericas.size() - op.nSalidas; k < numericas.size(); ++k)
      e.columnas[numericas[k]].uso = UsoColumna::Salida;
  } else {
    UINT clase = n - 1;
    if (!op.strClase.empty()) {
      const Resultado<UINT> c = ColumnaNombrada(t, op.strClase);
      if (!c) return c.GetFallo();
      clase = *c;
    } else if (numerica[clase]) {
      // A numeric last column: the class is the table's one column of text,
      // when it has exactly one (a class first, as many tables put it).
      std::vector<UINT> texto;
      for (UINT i = 0; i < n; ++i)
        if (!numerica[i]) texto.push_back(i);
      if (texto.size() == 1) clase = texto.front();
    }
    if (op.strClase.empty() && numerica[clase]) {
      return Fallo{FormatC("%s: su última columna, %s, es numérica: indique cuál es la columna de la clase o "
                           "cuántas salidas numéricas hay.",
                           tabla, NombreColumna(t, clase).c_str())};
    }
    e.columnas[clase].uso = UsoColumna::Clase;
  }
  if (e.Entradas() == 0) return Fallo{FormatC("%s: no queda ninguna columna para las entradas.", tabla)};

  // Row by row, so that the first wrong cell in the file is the one named.
  std::vector<bool> visto(n, false);
  std::unordered_set<CString> clases;
  for (std::size_t r = 0; r < t.filas.size(); ++r)
    for (UINT i = 0; i < n; ++i) {
      ColumnaEsquema& c = e.columnas[i];
      const CString& celda = t.filas[r][i];
      if (c.uso == UsoColumna::Clase) {
        if (celda.empty())
          return Fallo{FormatC("%s, línea %u, %s: falta la clase.", tabla, t.lineas[r], NombreColumna(t, i).c_str())};
        if (clases.insert(celda).second) c.clases.push_back(celda);
        continue;
      }
      const Resultado<double> x = Numero(t, r, i, celda);
      if (!x) return x.GetFallo();
      if (!visto[i] || *x < c.dMinimo) c.dMinimo = *x;
      if (!visto[i] || *x > c.dMaximo) c.dMaximo = *x;
      visto[i] = true;
    }
  for (UINT i = 0; i < n; ++i) {
    ColumnaEsquema& c = e.columnas[i];
    if (c.uso == UsoColumna::Clase) {
      OrdenarClases(c.clases, t.cDecimal);
    } else if (op.bEscalar) {
      if (!std::isfinite(c.dMaximo - c.dMinimo))
        return Fallo{FormatC("%s, %s: sus valores están demasiado separados para escalarlos.", tabla,
                             NombreColumna(t, i).c_str())};
      c.bEscalada = true;
    } else {
      c.dMinimo = c.dMaximo = 0.0;
    }
  }
  return e;
}

Resultado<Hecho> EscalaDeFilas(CEsquema& e, const Tabla& t, const std::vector<UINT>& filas) {
  for (UINT i = 0; i < e.columnas.size() && i < t.nColumnas; ++i) {
    ColumnaEsquema& c = e.columnas[i];
    if (!c.bEscalada) continue;
    bool visto = false;
    for (UINT r : filas) {
      const Resultado<double> x = Numero(t, r, i, t.filas[r][i]);
      if (!x) return x.GetFallo();
      if (!visto || *x < c.dMinimo) c.dMinimo = *x;
      if (!visto || *x > c.dMaximo) c.dMaximo = *x;
      visto = true;
    }
  }
  return Hecho{};
}

Resultado<Hecho> ConcuerdaEsquema(const CEsquema& e, const CString& ruta, const OpcionesEsquema& op, bool bEscalaDada) {
  const char* esquema = ruta.c_str();
  const ColumnaEsquema* clase = e.Clase();
  if (!op.strClase.empty()) {
    bool igual = false;
    if (clase) {
      const auto pos = static_cast<std::size_t>(clase - e.columnas.data()) + 1;
      igual = clase->strNombre == op.strClase || (EsEntero(op.strClase) && std::stoul(op.strClase) == pos);
    }
    if (!igual)
      return Fallo{clase ? FormatC("El esquema %s toma como clase la columna «%s», no «%s».", esquema,
                                   CeldaEnMensaje(clase->strNombre).c_str(), CeldaEnMensaje(op.strClase).c_str())
                         : FormatC("El esquema %s no tiene columna de clase: sus salidas son numéricas.", esquema)};
  }
  if (op.nSalidas != 0 && (clase || e.Salidas() != op.nSalidas))
    return Fallo{clase ? FormatC("El esquema %s tiene una columna de clase, no salidas numéricas.", esquema)
                       : FormatC("El esquema %s tiene %u salidas, no %u.", esquema, e.Salidas(), op.nSalidas)};
  if (bEscalaDada)
    for (const ColumnaEsquema& c : e.columnas)
      if (c.uso != UsoColumna::Clase && c.bEscalada != op.bEscalar)
        return Fallo{FormatC("El esquema %s %s los valores.", esquema, c.bEscalada ? "escala" : "no escala")};
  return Hecho{};
}

// ---------------------------------------------------------------- applied to a table

Resultado<ColumnasTabla> ColumnasEsquema(const Tabla& t, const CEsquema& e, const CString& strRutaEsquema,
                                         bool bObjetivos) {
  const char* tabla = t.strRuta.c_str();
  const char* esquema = strRutaEsquema.c_str();
  // Where each of the scheme's columns is in the table (-1: not there).
  const std::size_t nCol = e.columnas.size();
  ColumnasTabla r;
  std::vector<long>& pos = r.posiciones;
  pos.assign(nCol, -1);
  bool& conObjetivos = r.bObjetivos;
  conObjetivos = true;
  if (e.ConNombres() && t.bCabecera) {
    std::map<CString, long> indice;
    for (std::size_t i = t.cabecera.size(); i-- > 0;) indice[t.cabecera[i]] = static_cast<long>(i);
    const ColumnaEsquema* falta = nullptr;
    const ColumnaEsquema* hay = nullptr;
    for (std::size_t c = 0; c < nCol; ++c) {
      const auto it = indice.find(e.columnas[c].strNombre);
      if (it != indice.end()) pos[c] = it->second;
      if (e.columnas[c].uso == UsoColumna::Entrada) {
        if (it == indice.end())
          return Fallo{FormatC("%s: le falta la columna «%s» del esquema %s.", tabla,
                               CeldaEnMensaje(e.columnas[c].strNombre).c_str(),
                               esquema)};
      } else if (it == indice.end()) {
        if (!falta) falta = &e.columnas[c];
      } else if (!hay) {
        hay = &e.columnas[c];
      }
    }
    // The targets are all there or, where they may be left out, none.
    if (falta && (bObjetivos || hay))
      return Fallo{FormatC("%s: le falta la columna «%s» del esquema %s.", tabla,
                           CeldaEnMensaje(falta->strNombre).c_str(), esquema)};
    conObjetivos = falta == nullptr;
  } else {
    const UINT entradas = e.Entradas();
    if (t.nColumnas == nCol) {
      for (std::size_t c = 0; c < nCol; ++c) pos[c] = static_cast<long>(c);
    } else if (!bObjetivos && t.nColumnas == entradas) {
      long i = 0;
      for (std::size_t c = 0; c < nCol; ++c)
        if (e.columnas[c].uso == UsoColumna::Entrada) pos[c] = i++;
      conObjetivos = false;
    } else if (bObjetivos) {
      return Fallo{FormatC("%s: tiene %u columnas y el esquema %s, %zu.", tabla, t.nColumnas, esquema, nCol)};
    } else {
      return Fallo{FormatC("%s: tiene %u columnas y el esquema %s, %zu (o %u sin las salidas).", tabla, t.nColumnas,
                           esquema, nCol, entradas)};
    }
  }
  return r;
}

Resultado<ConjuntoEsquema> AplicarEsquema(const Tabla& t, const CEsquema& e, const CString& strRutaEsquema,
                                          bool bObjetivos) {
  const char* tabla = t.strRuta.c_str();
  const char* esquema = strRutaEsquema.c_str();
  if (Resultado<Hecho> r = ComprobarCeldas(t); !r) return r.GetFallo();
  const Resultado<ColumnasTabla> columnas = ColumnasEsquema(t, e, strRutaEsquema, bObjetivos);
  if (!columnas) return columnas.GetFallo();
  const std::vector<long>& pos = columnas->posiciones;
  const bool conObjetivos = columnas->bObjetivos;
  const std::size_t nCol = e.columnas.size();
  // Each class's output, by its name.
  std::unordered_map<CString, UINT> salidaClase;
  if (const ColumnaEsquema* clase = e.Clase())
    for (UINT k = 0; k < clase->clases.size(); ++k) salidaClase.emplace(clase->clases[k], k);

  ConjuntoEsquema r;
  r.bObjetivos = conObjetivos;
  r.pConjunto = std::make_unique<CConjuntoDatos>();
  CConjuntoDatos& cd = *r.pConjunto;
  const UINT nFilas = static_cast<UINT>(t.filas.size());
  cd.m_nEntradas = e.Entradas();
  cd.m_nSalidas = e.Salidas();
  cd.m_nMuestras = nFilas;
  cd.m_matEntradas.Dimensionar(nFilas, cd.m_nEntradas);
  cd.m_matSalidas.Dimensionar(nFilas, cd.m_nSalidas);
  for (UINT s = 0; s < nFilas; ++s) {
    const FilasTabla::Fila fila = t.filas[s];
    UINT x = 0, y = 0;
    for (std::size_t c = 0; c < nCol; ++c) {
      const ColumnaEsquema& col = e.columnas[c];
      if (pos[c] < 0) {
        if (col.uso == UsoColumna::Salida) ++y;
        else if (col.uso == UsoColumna::Clase) y += static_cast<UINT>(col.clases.size());
        continue;
      }
      const UINT i = static_cast<UINT>(pos[c]);
      const CString& celda = fila[i];
      if (col.uso == UsoColumna::Clase) {
        const auto k = salidaClase.find(celda);
        if (k == salidaClase.end())
          return Fallo{FormatC("%s, línea %u, %s: la clase «%s» no está en el esquema %s (sus clases: %s).", tabla,
                               t.lineas[s], NombreColumna(t, i).c_str(), CeldaEnMensaje(celda).c_str(), esquema,
                               Lista(col.clases).c_str())};
        cd.m_matSalidas.m_ppFilas[s][y + k->second] = 1.0;
        y += static_cast<UINT>(col.clases.size());
        continue;
      }
      const Resultado<double> v = Numero(t, s, i, celda);
      if (!v) return v.GetFallo();
      const double escalado = CEsquema::Escalar(col, *v);
      if (!std::isfinite(escalado))
        return Fallo{FormatC("%s, línea %u, %s: el valor «%s» se sale de la escala del esquema %s.", tabla,
                             t.lineas[s], NombreColumna(t, i).c_str(), CeldaEnMensaje(celda).c_str(), esquema)};
      if (col.uso == UsoColumna::Entrada)
        cd.m_matEntradas.m_ppFilas[s][x++] = escalado;
      else
        cd.m_matSalidas.m_ppFilas[s][y++] = escalado;
    }
  }
  cd.m_bCargado = true;
  return r;
}
