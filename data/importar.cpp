#include "data/importar.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "framework/documento.h"
#include "framework/fichero.h"
#include "framework/texto.h"

namespace {

void AnadirU32(std::string& s, UINT v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void AnadirDouble(std::string& s, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 8; ++i) s += static_cast<char>((bits >> (8 * i)) & 0xFF);
}

void AnadirFila(std::string& s, const double* v, UINT n) {
  for (UINT i = 0; i < n; ++i) {
    if (i) s += ' ';
    s += TextoExacto(v[i]);
  }
  s += "\r\n";
}

CString Causa(int err) {
  CString s = AfxDescribirError(err);
  while (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

Fallo FalloEscritura(const CString& ruta, const ResultadoEscritura& r) {
  const char* formato = r.bAlCrear ? "No se ha podido crear el fichero %s: %s." : "Error al escribir el fichero %s: %s.";
  return Fallo{FormatC(formato, ruta.c_str(), Causa(r.error).c_str())};
}

CString Cuenta(UINT n, const char* singular, const char* plural) {
  return FormatC("%u %s", n, n == 1 ? singular : plural);
}

CString Lista(const std::vector<CString>& v) {
  CString s;
  for (std::size_t i = 0; i < v.size(); ++i) s += (i ? ", " : "") + CeldaEnMensaje(v[i], 0);
  return s;
}

CString Nombres(const std::vector<CString>& v) {
  CString s;
  for (const CString& n : v) s += " " + n;
  return s;
}

// The rows of c given, in that order.
std::unique_ptr<CConjuntoDatos> Filas(const CConjuntoDatos& c, const std::vector<UINT>& filas) {
  auto p = std::make_unique<CConjuntoDatos>();
  const UINT n = static_cast<UINT>(filas.size());
  p->m_nEntradas = c.m_nEntradas;
  p->m_nSalidas = c.m_nSalidas;
  p->m_nMuestras = n;
  p->m_matEntradas.Dimensionar(n, c.m_nEntradas);
  p->m_matSalidas.Dimensionar(n, c.m_nSalidas);
  for (UINT s = 0; s < n; ++s) {
    std::copy(c.m_matEntradas.m_ppFilas[filas[s]], c.m_matEntradas.m_ppFilas[filas[s]] + c.m_nEntradas,
              p->m_matEntradas.m_ppFilas[s]);
    std::copy(c.m_matSalidas.m_ppFilas[filas[s]], c.m_matSalidas.m_ppFilas[filas[s]] + c.m_nSalidas,
              p->m_matSalidas.m_ppFilas[s]);
  }
  p->m_bCargado = true;
  return p;
}

// Each sample's class: its one output at 1 (a class scheme has no other).
std::vector<UINT> ClasesMuestras(const CConjuntoDatos& c) {
  std::vector<UINT> clases(c.m_nMuestras, 0);
  for (UINT s = 0; s < c.m_nMuestras; ++s)
    for (UINT k = 0; k < c.m_nSalidas; ++k)
      if (c.m_matSalidas.m_ppFilas[s][k] == 1.0) clases[s] = k;
  return clases;
}

// Splits the table read: its parts' rows and samples. A new scheme's scale
// is taken again from the training rows, and the table read through it.
Resultado<Hecho> Partir(Importacion& imp, const CString& strEsquema, const OpcionesImportacion& op) {
  if (op.bEstratificar && !imp.esquema.Clase())
    return Rechazo("Para estratificar la partición hace falta una columna de clase; las salidas de esta tabla son "
                   "numéricas.");
  const std::vector<UINT> clases = op.bEstratificar ? ClasesMuestras(*imp.pConjunto) : std::vector<UINT>{};
  Resultado<std::vector<std::vector<UINT>>> partes =
      op.nPliegues ? PartirPliegue(imp.pConjunto->m_nMuestras, op.nPliegues, op.nPliegue, op.nVerificacion,
                                   op.nSemilla, clases)
                   : PartirTabla(imp.pConjunto->m_nMuestras, op.particion, op.nSemilla, clases);
  if (!partes) return partes.GetFallo();
  imp.filasPartes = std::move(*partes);
  imp.porcentajes = op.particion;
  imp.nPliegues = op.nPliegues;
  imp.nPliegue = op.nPliegue;
  imp.nSemilla = op.nSemilla;
  imp.bEstratificada = op.bEstratificar;
  if (imp.bEsquemaNuevo) {
    if (Resultado<Hecho> r = EscalaDeFilas(imp.esquema, imp.tabla, imp.filasPartes[PARTE_ENTRENAMIENTO]); !r)
      return r.GetFallo();
    // The samples of the first scale go before those of the second come.
    imp.pConjunto.reset();
    Resultado<ConjuntoEsquema> c = AplicarEsquema(imp.tabla, imp.esquema, strEsquema, true);
    if (!c) return c.GetFallo();
    imp.pConjunto = std::move(c->pConjunto);
  }
  return Hecho{};
}

// A part's share as the summary and the files' comments say it: "70 %",
// or with a cross-validation "pliegue 2 de 5" (the fold that is tested).
CString Cuota(const Importacion& imp, UINT j) {
  if (imp.nPliegues)
    return FormatC("%s %u de %u", j == PARTE_PRUEBA ? "pliegue" : "fuera del pliegue", imp.nPliegue + 1,
                   imp.nPliegues);
  return FormatC("%u %%", imp.porcentajes[j]);
}

}  // namespace

Resultado<Importacion> ImportarTabla(const CString& strTabla, const CString& strEsquema, const OpcionesImportacion& op) {
  if (!op.esquema.strClase.empty() && op.esquema.nSalidas != 0)
    return Rechazo("Elija la columna de la clase o el número de salidas, no ambos.");
  Resultado<Tabla> t = LeerTabla(strTabla, op.tabla);
  if (!t) return t.GetFallo();
  Importacion imp;
  imp.tabla = std::move(*t);
  std::error_code ec;
  if (strEsquema.empty() || !std::filesystem::exists(strEsquema, ec)) {
    Resultado<CEsquema> e = CrearEsquema(imp.tabla, op.esquema);
    if (!e) return e.GetFallo();
    imp.esquema = std::move(*e);
    imp.bEsquemaNuevo = true;
  } else {
    Resultado<CEsquema> e = LeerEsquema(strEsquema);
    if (!e) return e.GetFallo();
    if (Resultado<Hecho> r = ConcuerdaEsquema(*e, strEsquema, op.esquema, op.bEscalaDada); !r) return r.GetFallo();
    imp.esquema = std::move(*e);
  }
  Resultado<ConjuntoEsquema> c = AplicarEsquema(imp.tabla, imp.esquema, strEsquema, true);
  if (!c) return c.GetFallo();
  imp.pConjunto = std::move(c->pConjunto);
  if (!op.particion.empty() || op.nPliegues)
    if (Resultado<Hecho> r = Partir(imp, strEsquema, op); !r) return r.GetFallo();
  // The samples are made: the cells' text is needed no more, and on a large
  // table it is the most memory held.
  imp.tabla.filas.Liberar();
  return imp;
}

Resultado<VistaPrevia> VistaPreviaImportacion(const CString& strTabla, const CString& strEsquema,
                                              const OpcionesImportacion& op, UINT nFilas) {
  // One row more: the header, when there is one, is among those read.
  Resultado<Tabla> t = LeerTabla(strTabla, op.tabla, nFilas + 1);
  if (!t) return t.GetFallo();
  VistaPrevia v;
  v.tabla = std::move(*t);
  if (v.tabla.filas.size() > nFilas) {
    v.tabla.filas.resize(nFilas);
    v.tabla.lineas.resize(nFilas);
    v.tabla.bCompleta = false;
  }
  std::error_code ec;
  v.bEsquemaExistente = !strEsquema.empty() && std::filesystem::exists(strEsquema, ec);
  if (!op.esquema.strClase.empty() && op.esquema.nSalidas != 0) {
    v.strAviso = "Elija la columna de la clase o el número de salidas, no ambos.";
    return v;
  }
  if (!v.bEsquemaExistente) {
    const Resultado<CEsquema> e = CrearEsquema(v.tabla, op.esquema);
    if (!e) {
      v.strAviso = e.Mensaje();
      return v;
    }
    for (const ColumnaEsquema& c : e->columnas) v.usos.push_back(c.uso);
    return v;
  }
  const Resultado<CEsquema> e = LeerEsquema(strEsquema);
  if (!e) {
    v.strAviso = e.Mensaje();
    return v;
  }
  const Resultado<ColumnasTabla> c = ColumnasEsquema(v.tabla, *e, strEsquema, true);
  if (!c) {
    v.strAviso = c.Mensaje();
    return v;
  }
  // A column that the scheme does not name is left out of the data file.
  v.usos.assign(v.tabla.nColumnas, std::nullopt);
  for (std::size_t k = 0; k < e->columnas.size(); ++k) {
    const long p = c->posiciones[k];
    if (p >= 0 && static_cast<UINT>(p) < v.tabla.nColumnas) v.usos[static_cast<std::size_t>(p)] = e->columnas[k].uso;
  }
  return v;
}

CString TextoLectura(const Tabla& t) {
  return FormatC("Leída con separador «%s», marca decimal «%c» y %s.", NombreSeparador(t.cSeparador).c_str(),
                 t.cDecimal, t.bCabecera ? "cabecera" : "sin cabecera");
}

CString ResumenImportacion(const Importacion& imp, const CString& strDestino, const CString& strEsquema) {
  const CConjuntoDatos& c = *imp.pConjunto;
  CString s;
  if (imp.filasPartes.empty()) {
    s = "Tabla " + imp.tabla.strRuta + " importada en " + strDestino + ": " +
        Cuenta(c.m_nMuestras, "muestra", "muestras") + ", " + Cuenta(c.m_nEntradas, "entrada", "entradas") + ", " +
        Cuenta(c.m_nSalidas, "salida", "salidas") + ".\n";
  } else {
    s = "Tabla " + imp.tabla.strRuta + " partida" + (imp.bEstratificada ? " por clases" : "") +
        FormatC(" con la semilla %u: ", imp.nSemilla) + Cuenta(c.m_nEntradas, "entrada", "entradas") + ", " +
        Cuenta(c.m_nSalidas, "salida", "salidas") + ".\n";
    static const char* const kTitulos[] = {"Entrenamiento", "Verificación", "Prueba"};
    for (UINT j = 0; j < imp.filasPartes.size() && j < NUM_PARTES; ++j)
      s += FormatC("%s (%s): ", kTitulos[j], Cuota(imp, j).c_str()) +
           Cuenta(UINT(imp.filasPartes[j].size()), "muestra", "muestras") + " en " + RutaParte(strDestino, j) + ".\n";
  }
  s += TextoLectura(imp.tabla) + "\n";
  s += (imp.esquema.Clase() ? "Clases, en el orden de las salidas: " : "Salidas: ") +
       Lista(imp.esquema.NombresSalidas()) + ".\n";
  if (!strEsquema.empty()) {
    if (!imp.bEsquemaNuevo) s += "Esquema aplicado: " + strEsquema + ".\n";
    else if (imp.filasPartes.empty()) s += "Esquema escrito en " + strEsquema + ".\n";
    else s += "Esquema escrito en " + strEsquema + ", con la escala de las filas de entrenamiento.\n";
  }
  return s;
}

std::unique_ptr<CConjuntoDatos> ConjuntoParte(const Importacion& imp, UINT j) {
  return Filas(*imp.pConjunto, imp.filasPartes.at(j));
}

std::string BytesDatos(const CConjuntoDatos& c, bool bBinario, const std::vector<CString>& comentarios,
                       const std::vector<UINT>* filas) {
  const UINT nMuestras = filas ? UINT(filas->size()) : c.m_nMuestras;
  auto fila = [&](UINT m) { return filas ? (*filas)[m] : m; };
  std::string s;
  if (bBinario) {
    s.reserve(12 + std::size_t(nMuestras) * (std::size_t(c.m_nEntradas) + c.m_nSalidas) * sizeof(double));
    AnadirU32(s, c.m_nEntradas);
    AnadirU32(s, c.m_nSalidas);
    AnadirU32(s, nMuestras);
    for (UINT m = 0; m < nMuestras; ++m) {
      for (UINT i = 0; i < c.m_nEntradas; ++i) AnadirDouble(s, c.m_matEntradas.m_ppFilas[fila(m)][i]);
      for (UINT k = 0; k < c.m_nSalidas; ++k) AnadirDouble(s, c.m_matSalidas.m_ppFilas[fila(m)][k]);
    }
    return s;
  }
  for (const CString& linea : comentarios) {
    // A line break in a name (a quoted cell's) would end the comment.
    CString una;
    for (char c : linea)
      if (c == '\n') una += "\\n";
      else if (c == '\r') una += "\\r";
      else una += c;
    std::string bytes;
    Utf8ACp1252("/ " + una, bytes);
    s += bytes + "\r\n";
  }
  const std::size_t nCabecera = s.size();
  for (UINT m = 0; m < nMuestras; ++m) {
    AnadirFila(s, c.m_nEntradas ? c.m_matEntradas.m_ppFilas[fila(m)] : nullptr, c.m_nEntradas);
    AnadirFila(s, c.m_nSalidas ? c.m_matSalidas.m_ppFilas[fila(m)] : nullptr, c.m_nSalidas);
    // Room for the rest at once, from the first samples' length and a
    // fifth more: a text that doubles as it grows holds three times its
    // size for a moment, and a large data file is most of an import's
    // memory.
    if (m + 1 == 64 && nMuestras > 64)
      s.reserve(s.size() + (s.size() - nCabecera) / 64 * (nMuestras - 64) * 6 / 5 + 4096);
  }
  return s;
}

Resultado<Hecho> GuardarImportacion(const Importacion& imp, const CString& strDestino, const CString& strEsquema) {
  // The data files: the one destination, or each part's beside it.
  std::vector<CString> rutas;
  std::vector<const std::vector<UINT>*> filas;
  if (imp.filasPartes.empty()) {
    rutas.push_back(strDestino);
    filas.push_back(nullptr);
  }
  for (UINT j = 0; j < imp.filasPartes.size(); ++j) {
    rutas.push_back(RutaParte(strDestino, j));
    filas.push_back(&imp.filasPartes[j]);
  }
  for (const CString& ruta : rutas)
    if (Resultado<Hecho> c = AfxComprobarDestino(ruta, {{imp.tabla.strRuta, "la propia tabla"}, {strEsquema, "el propio esquema"}},
                                                 "El fichero de datos %s es %s; elija otro.");
        !c)
      return c;
  std::vector<CString> entradas;
  for (const ColumnaEsquema& col : imp.esquema.columnas)
    if (col.uso == UsoColumna::Entrada) entradas.push_back(col.strNombre);
  const CString nombre = std::filesystem::path(imp.tabla.strRuta).filename().string();
  std::vector<std::string> datos;
  for (UINT j = 0; j < rutas.size(); ++j) {
    const CConjuntoDatos& c = *imp.pConjunto;
    const UINT nMuestras = filas[j] ? UINT(filas[j]->size()) : c.m_nMuestras;
    CString origen = nombre;
    if (filas[j])
      origen += FormatC(", %s (%s de %u filas, semilla %u%s)", NombreParte(j), Cuota(imp, j).c_str(),
                        imp.pConjunto->m_nMuestras, imp.nSemilla, imp.bEstratificada ? ", por clases" : "");
    std::vector<CString> comentarios;
    comentarios.push_back(origen + ": " + Cuenta(nMuestras, "muestra", "muestras") + ", " +
                          Cuenta(c.m_nEntradas, "entrada", "entradas") + ", " +
                          Cuenta(c.m_nSalidas, "salida", "salidas"));
    if (imp.esquema.ConNombres()) {
      comentarios.push_back("entradas:" + Nombres(entradas));
      comentarios.push_back("salidas:" + Nombres(imp.esquema.NombresSalidas()));
    }
    datos.push_back(BytesDatos(c, CConjuntoDatos::TipoFichero(rutas[j]) == 2, comentarios, filas[j]));
  }

  const bool escribirEsquema = imp.bEsquemaNuevo && !strEsquema.empty();
  if (escribirEsquema) {
    const std::string json = TextoEsquema(imp.esquema);
    if (const ResultadoEscritura r = AfxEscribirFicheroSeguro(strEsquema, json.data(), json.size()); !r)
      return FalloEscritura(strEsquema, r);
  }
  for (UINT j = 0; j < rutas.size(); ++j)
    if (const ResultadoEscritura r = AfxEscribirFicheroSeguro(rutas[j], datos[j].data(), datos[j].size()); !r) {
      // Nothing is left of a half-done import.
      if (escribirEsquema) ::unlink(strEsquema.c_str());
      for (UINT k = 0; k < j; ++k) ::unlink(rutas[k].c_str());
      return FalloEscritura(rutas[j], r);
    }
  return Hecho{};
}
