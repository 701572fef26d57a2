#include "network/aplicar.h"

#include <algorithm>
#include <sstream>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "framework/fichero.h"
#include "framework/texto.h"

namespace {

// A CSV cell, quoted when it holds what would split or change it.
CString Celda(const CString& s) {
  const bool comillas = s.find_first_of(",\"\r\n") != CString::npos ||
                        (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.back() == ' ' || s.back() == '\t'));
  if (!comillas) return s;
  CString r = "\"";
  for (char c : s) {
    if (c == '"') r += '"';
    r += c;
  }
  return r + "\"";
}

CString Forma(UINT nEntradas, UINT nSalidas) {
  return FormatC("%u %s y %u %s", nEntradas, nEntradas == 1 ? "entrada" : "entradas", nSalidas,
                 nSalidas == 1 ? "salida" : "salidas");
}

CString Cuenta(UINT n, const char* singular, const char* plural) {
  return FormatC("%u %s", n, n == 1 ? singular : plural);
}

}  // namespace

Resultado<Hecho> ComprobarSalidaAplicacion(const CString& strSalida, std::vector<FicheroProtegido> red,
                                           const CString& strDatos, const CString& strEsquema) {
  red.push_back({strDatos, "el de los datos"});
  red.push_back({strEsquema, "el esquema"});
  return AfxComprobarDestino(strSalida, red);
}

Resultado<AplicacionFichero> AplicarFichero(const RedPerceptron& red, const CString& strDatos,
                                            const CString& strEsquema) {
  std::optional<CEsquema> esquema;
  if (!strEsquema.empty()) {
    Resultado<CEsquema> e = LeerEsquema(strEsquema);
    if (!e) return e.GetFallo();
    esquema = std::move(*e);
  }
  const CEsquema* pEsquema = esquema ? &*esquema : nullptr;
  const Resultado<DatosRed> d = CargarDatosRed(red, strDatos, pEsquema, strEsquema, OpcionesTabla(), false);
  if (!d) return d.GetFallo();
  AplicacionFichero r;
  r.aplicacion = AplicarConjunto(red, *d->pConjunto, d->bObjetivos);
  r.strCsv = TextoAplicacion(r.aplicacion, pEsquema);
  return r;
}

CString ResumenAplicacion(const Aplicacion& a, const CString& strSalida) {
  CString s = "Resultados de " + Cuenta(a.nMuestras, "muestra", "muestras") + " escritos en " + strSalida;
  if (a.bObjetivos)
    s += FormatC(" (aciertos: %u de %u, %.4f %%)", a.Aciertos(), a.nMuestras,
                 a.nMuestras ? 100.0 * a.Aciertos() / a.nMuestras : 0.0);
  return s + ".";
}

Resultado<VerificacionDatos> VerificarDatos(const RedPerceptron& red, const CString& strDatos,
                                            const CString& strEsquema) {
  std::optional<CEsquema> esquema;
  if (!strEsquema.empty()) {
    Resultado<CEsquema> e = LeerEsquema(strEsquema);
    if (!e) return e.GetFallo();
    if (Resultado<Hecho> c = ComprobarEsquemaRed(red, *e, strEsquema); !c) return c.GetFallo();
    esquema = std::move(*e);
  }
  VerificacionDatos r;
  // Numeric outputs need each sample's outputs, for their figures.
  const bool bRegresion = esquema && !esquema->Clase();
  CMatrizReales salidas;
  auto medir = [&](const CConjuntoDatos& c) {
    if (bRegresion) salidas.Dimensionar(c.m_nMuestras, red.nSalidas);
    r.resultados = VerificarConjunto(red, c, bRegresion ? &salidas : nullptr);
    if (bRegresion && ConjuntoValido(red, c)) r.regresion = RegresionConjunto(*esquema, salidas, c);
  };
  if (esquema && LeerComoTabla(strDatos)) {
    const Resultado<DatosRed> d = CargarDatosRed(red, strDatos, &*esquema, strEsquema, OpcionesTabla(), true);
    if (!d) return d.GetFallo();
    medir(*d->pConjunto);
  } else {
    // As the Verificar command: the dialog's check of the path, then the
    // file's shape (both refusals), then the measure.
    Resultado<Hecho> c = ComprobarFicheroDatos(strDatos);
    if (c) c = ComprobarDimensiones(red, strDatos);
    if (!c) return c.GetFallo();
    if (!bRegresion) {
      Resultado<ResultadosVerificacion> m = VerificarFichero(red, strDatos);
      if (!m) return m.GetFallo();
      r.resultados = std::move(*m);
    } else {
      // VerificarFichero's steps, keeping the set.
      CConjuntoDatos conjunto;
      if (!conjunto.Cargar(strDatos)) return Fallo{"Error en apertura de fichero"};
      if (!EncajaConjunto(conjunto, red.nEntradas, red.nSalidas)) return Fallo{"Dimensiones Erroneas"};
      medir(conjunto);
    }
  }
  r.nombres = NombresSalidas(red.nSalidas, esquema ? esquema->NombresSalidas() : std::vector<CString>{});
  return r;
}

std::vector<RegresionSalida> RegresionConjunto(const CEsquema& esquema, const CMatrizReales& salidas,
                                               const CConjuntoDatos& conjunto) {
  std::vector<RegresionSalida> r;
  const std::vector<CString> nombres = esquema.NombresSalidas();
  UINT k = 0;
  for (const ColumnaEsquema& c : esquema.columnas) {
    if (c.uso == UsoColumna::Clase) k += static_cast<UINT>(c.clases.size());
    if (c.uso != UsoColumna::Salida) continue;
    RegresionSalida f;
    f.strNombre = k < nombres.size() ? nombres[k] : CString();
    const UINT n = conjunto.m_nMuestras;
    if (n > 0 && k < salidas.m_nColumnas && k < conjunto.m_nSalidas && salidas.m_nFilas >= n) {
      // In the table's units; sums in the samples' order.
      double dMedia = 0.0;
      for (UINT s = 0; s < n; ++s) dMedia += CEsquema::Desescalar(c, conjunto.m_matSalidas.m_ppFilas[s][k]);
      dMedia /= n;
      double dCuadrados = 0.0, dAbsolutos = 0.0, dTotal = 0.0;
      for (UINT s = 0; s < n; ++s) {
        const double t = CEsquema::Desescalar(c, conjunto.m_matSalidas.m_ppFilas[s][k]);
        const double e = CEsquema::Desescalar(c, salidas.m_ppFilas[s][k]) - t;
        dCuadrados += e * e;
        dAbsolutos += std::fabs(e);
        dTotal += (t - dMedia) * (t - dMedia);
      }
      f.dRmse = std::sqrt(dCuadrados / n);
      f.dMae = dAbsolutos / n;
      f.bR2 = dTotal > 0.0;
      f.dR2 = f.bR2 ? 1.0 - dCuadrados / dTotal : 0.0;
    }
    r.push_back(f);
    ++k;
  }
  return r;
}

std::vector<std::vector<CString>> CeldasRegresion(const std::vector<RegresionSalida>& r) {
  std::vector<std::vector<CString>> celdas{{"Salida", "RMSE", "MAE", "R²"}};
  for (const RegresionSalida& f : r)
    celdas.push_back({f.strNombre, FormatC("%.6g", f.dRmse), FormatC("%.6g", f.dMae),
                      f.bR2 ? FormatC("%.6f", f.dR2) : CString("-")});
  return celdas;
}

CString TextoRegresion(const std::vector<RegresionSalida>& r) {
  std::size_t ancho = 8;
  for (const RegresionSalida& f : r) ancho = std::max(ancho, f.strNombre.size() + 2);
  auto columna = [](CString s, std::size_t n) { return s.size() >= n ? s : s + CString(n - s.size(), ' '); };
  CString s;
  for (const std::vector<CString>& c : CeldasRegresion(r))
    s += columna(c[0], ancho) + columna(c[1], 14) + columna(c[2], 14) + c[3] + "\n";
  return s;
}

bool LeerComoTabla(const CString& ruta) {
  if (CConjuntoDatos::TipoFichero(ruta) != 0) return false;
  // Never waiting on a pipe: what is no regular file is no table either.
  std::string primero;
  if (!AfxLeerFicheroRegular(ruta, primero, 1)) return errno != EINVAL && errno != EISDIR;
  return primero != "/";
}

Resultado<Hecho> ComprobarEsquemaRed(const RedPerceptron& red, const CEsquema& e, const CString& strEsquema) {
  if (e.Entradas() != red.nEntradas || e.Salidas() != red.nSalidas)
    return Fallo{FormatC("El esquema %s da %s; la red tiene %s.", strEsquema.c_str(),
                         Forma(e.Entradas(), e.Salidas()).c_str(), Forma(red.nEntradas, red.nSalidas).c_str())};
  return Hecho{};
}

CString AvisoOrdenEsquema(const CString& strEsquema, const CString& strEntrenamiento) {
  if (strEsquema.empty() || strEntrenamiento.empty()) return {};
  // The comments lead the file; a few kilobytes hold them.
  std::string cabeza;
  if (!AfxLeerFicheroRegular(strEntrenamiento, cabeza, 65536)) return {};
  std::vector<CString> propias;
  bool hay = false;
  for (std::size_t i = 0; i < cabeza.size() && cabeza[i] == '/';) {
    const std::size_t fin = std::min(cabeza.find('\n', i), cabeza.size());
    const std::string linea = cabeza.substr(i, fin - i);
    static const std::string kSalidas = "/ salidas:";
    if (linea.compare(0, kSalidas.size(), kSalidas) == 0) {
      hay = true;
      std::istringstream in(linea.substr(kSalidas.size()));
      for (std::string n; in >> n;) propias.push_back(n);
      break;
    }
    i = fin + 1;
  }
  if (!hay) return {};
  const Resultado<CEsquema> e = LeerEsquema(strEsquema);
  if (!e) return {};
  const std::vector<CString> dadas = e->NombresSalidas();
  for (const CString& n : dadas)
    if (n.find_first_of(" \t\n\r\\") != CString::npos) return {};
  if (dadas == propias || !std::is_permutation(dadas.begin(), dadas.end(), propias.begin(), propias.end()))
    return {};
  const auto lista = [](const std::vector<CString>& v) {
    CString s;
    for (std::size_t i = 0; i < v.size() && i < 10; ++i) s += (i ? ", " : "") + v[i];
    if (v.size() > 10) s += FormatC(" y %zu más", v.size() - 10);
    return s;
  };
  return FormatC("Aviso: el esquema %s da las salidas en otro orden que el fichero de entrenamiento de la red, "
                 "%s (%s frente a %s); cada salida se nombra según el esquema.",
                 strEsquema.c_str(), strEntrenamiento.c_str(), lista(dadas).c_str(), lista(propias).c_str());
}

Resultado<DatosRed> CargarDatosRed(const RedPerceptron& red, const CString& ruta, const CEsquema* pEsquema,
                                   const CString& strEsquema, const OpcionesTabla& opciones, bool bObjetivos) {
  if (Resultado<Hecho> r = ComprobarFicheroDatos(ruta); !r) return r.GetFallo();
  if (pEsquema)
    if (Resultado<Hecho> r = ComprobarEsquemaRed(red, *pEsquema, strEsquema); !r) return r.GetFallo();
  DatosRed d;
  if (pEsquema && LeerComoTabla(ruta)) {
    Resultado<Tabla> t = LeerTabla(ruta, opciones);
    if (!t) return t.GetFallo();
    Resultado<ConjuntoEsquema> c = AplicarEsquema(*t, *pEsquema, strEsquema, bObjetivos);
    if (!c) return c.GetFallo();
    d.pConjunto = std::move(c->pConjunto);
    d.bObjetivos = c->bObjetivos;
    d.bTabla = true;
    return d;
  }
  UINT nEntradas = 0, nSalidas = 0;
  d.pConjunto = std::make_unique<CConjuntoDatos>();
  d.pConjunto->Dimensiones(ruta, &nEntradas, &nSalidas);
  if (nEntradas != red.nEntradas || nSalidas != red.nSalidas)
    return Rechazo(FormatC("El fichero %s tiene %s; la red, %s.", ruta.c_str(), Forma(nEntradas, nSalidas).c_str(),
                           Forma(red.nEntradas, red.nSalidas).c_str()));
  if (!d.pConjunto->Cargar(ruta)) return Fallo{"Error en apertura de fichero"};
  if (!EncajaConjunto(*d.pConjunto, red.nEntradas, red.nSalidas)) return Fallo{"Dimensiones Erroneas"};
  d.bObjetivos = true;
  return d;
}

UINT Aplicacion::Aciertos() const {
  UINT n = 0;
  for (UINT s = 0; bObjetivos && s < nMuestras; ++s) n += ganadoras[s] == objetivos[s];
  return n;
}

Aplicacion AplicarConjunto(const RedPerceptron& red, const CConjuntoDatos& conjunto, bool bObjetivos) {
  Aplicacion a;
  a.nMuestras = conjunto.m_nMuestras;
  a.nSalidas = red.nSalidas;
  a.bObjetivos = bObjetivos;
  CMatrizReales o;
  o.Dimensionar(a.nMuestras, a.nSalidas);
  a.verificacion = VerificarConjunto(red, conjunto, &o);
  a.salidas.reserve(std::size_t(a.nMuestras) * a.nSalidas);
  for (UINT s = 0; s < a.nMuestras && a.nSalidas != 0; ++s) {
    a.salidas.insert(a.salidas.end(), o.m_ppFilas[s], o.m_ppFilas[s] + a.nSalidas);
    a.ganadoras.push_back(Ganador(o.m_ppFilas[s], a.nSalidas));
    if (bObjetivos) a.objetivos.push_back(Ganador(conjunto.m_matSalidas.m_ppFilas[s], a.nSalidas));
  }
  return a;
}

std::string TextoAplicacion(const Aplicacion& a, const CEsquema* pEsquema) {
  const std::vector<CString> nombres = NombresSalidas(a.nSalidas, pEsquema ? pEsquema->NombresSalidas() : std::vector<CString>{});
  // The column of each output, to give numeric outputs back their units.
  std::vector<const ColumnaEsquema*> columna(a.nSalidas, nullptr);
  if (pEsquema && pEsquema->Salidas() == a.nSalidas) {
    UINT k = 0;
    for (const ColumnaEsquema& c : pEsquema->columnas)
      if (c.uso == UsoColumna::Salida) columna[k++] = &c;
      else if (c.uso == UsoColumna::Clase) k += static_cast<UINT>(c.clases.size());
  }
  // Piece by piece: GCC 12 sees an overlap that is not there in "," + text.
  std::string s = "muestra";
  for (const CString& n : nombres) {
    s += ',';
    s += Celda(n);
  }
  s += ",ganadora";
  if (a.bObjetivos) s += ",objetivo,acierto";
  s += "\r\n";
  for (UINT m = 0; m < a.nMuestras && a.nSalidas != 0; ++m) {
    s += FormatC("%u", m + 1);
    for (UINT k = 0; k < a.nSalidas; ++k) {
      const double o = a.salidas[std::size_t(m) * a.nSalidas + k];
      s += ',';
      s += TextoExacto(columna[k] ? CEsquema::Desescalar(*columna[k], o) : o);
    }
    s += ',';
    s += Celda(nombres[a.ganadoras[m]]);
    if (a.bObjetivos) {
      s += ',';
      s += Celda(nombres[a.objetivos[m]]);
      s += a.ganadoras[m] == a.objetivos[m] ? ",1" : ",0";
    }
    s += "\r\n";
  }
  return s;
}

MuestrasFalladas FalladasDe(const Aplicacion& a, const std::vector<CString>& nombresDados) {
  const std::vector<CString> nombres = NombresSalidas(a.nSalidas, nombresDados);
  MuestrasFalladas f;
  f.nMuestras = a.nMuestras;
  std::vector<CString> cabecera{"muestra", "objetivo", "red"};
  cabecera.insert(cabecera.end(), nombres.begin(), nombres.end());
  f.celdas.push_back(std::move(cabecera));
  if (!a.bObjetivos || a.nSalidas == 0) return f;
  for (UINT m = 0; m < a.nMuestras; ++m) {
    if (a.ganadoras[m] == a.objetivos[m]) continue;
    std::vector<CString> fila{FormatC("%u", m + 1), nombres[a.objetivos[m]], nombres[a.ganadoras[m]]};
    for (UINT k = 0; k < a.nSalidas; ++k) fila.push_back(FormatC("%.6f", a.salidas[std::size_t(m) * a.nSalidas + k]));
    f.celdas.push_back(std::move(fila));
    ++f.nFalladas;
  }
  return f;
}

Resultado<MuestrasFalladas> FalladasFichero(const RedPerceptron& red, const CString& ruta,
                                            const std::vector<CString>& nombres) {
  if (Resultado<Hecho> c = ComprobarFicheroDatos(ruta); !c) return c.GetFallo();
  if (Resultado<Hecho> c = ComprobarDimensiones(red, ruta); !c) return c.GetFallo();
  CConjuntoDatos conjunto;
  if (!conjunto.Cargar(ruta)) return Fallo{"Error en apertura de fichero"};
  if (!EncajaConjunto(conjunto, red.nEntradas, red.nSalidas)) return Fallo{"Dimensiones Erroneas"};
  return FalladasDe(AplicarConjunto(red, conjunto, true), nombres);
}
