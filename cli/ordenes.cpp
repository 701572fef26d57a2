#include "cli/ordenes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>

#include <nlohmann/json.hpp>

#include "data/tabla.h"
#include "framework/mensajes.h"
#include "framework/texto.h"
#include "network/aplicar.h"
#include "network/dialogos.h"
#include "network/exportar.h"
#include "network/motor.h"
#include "network/nodusdoc.h"
#include "network/parametros.h"
#include "network/verificacion.h"
#include "resources/resource.h"

namespace {

// The document's first view, as the form view is in the window: it takes
// the two training messages and prints each new history entry as the
// training log's epoch line.
class CVistaLinea : public CView {
 public:
  // Lines are counted from the run's start: entry e0 + k is published when
  // m_nPuntos has grown by k + 1.
  void Empezar(UINT nEpocaInicial, UINT nPuntosIniciales) {
    m_nEpocaInicial = nEpocaInicial;
    m_nPuntosIniciales = nPuntosIniciales;
    m_nImpresas = 0;
    m_bImprimir = true;
  }

  LRESULT WindowProc(UINT message, WPARAM, LPARAM) override {
    if (message == WM_ACTUALIZAR) {
      if (auto* doc = Documento()) {
        const UINT nPuntos = doc->m_nPuntos.load();
        if (nPuntos > m_nPuntosIniciales) ImprimirHasta(nPuntos - m_nPuntosIniciales);
      }
    } else if (message == WM_FIN_ENTRENAMIENTO) {
      m_bFinNatural = true;
    }
    return 0;
  }

  // Prints the lines of the run's first n epochs not printed yet.
  void ImprimirHasta(UINT n) {
    auto* doc = Documento();
    if (!doc || !m_bImprimir) return;
    for (; m_nImpresas < n; ++m_nImpresas) {
      const UINT e = m_nEpocaInicial + m_nImpresas;
      if (e >= doc->m_arrErrorMaximo.m_nTam || e >= doc->m_arrErrorTotal.m_nTam || e >= doc->m_arrAciertos.m_nTam)
        return;
      Imprimir(FormatC("   %2i \t %7.6f \t %7.5f \t %7.4f%%\n", static_cast<int>(e), doc->m_arrErrorMaximo.m_pDatos[e],
                       doc->m_arrErrorTotal.m_pDatos[e], doc->m_arrAciertos.m_pDatos[e]));
    }
  }

  UINT Impresas() const { return m_nImpresas; }
  bool FinNatural() const { return m_bFinNatural; }

 private:
  CNodusDoc* Documento() const { return static_cast<CNodusDoc*>(m_pDocument); }

  UINT m_nEpocaInicial = 0;
  UINT m_nPuntosIniciales = 0;
  UINT m_nImpresas = 0;
  bool m_bImprimir = false;
  bool m_bFinNatural = false;
};

// A document with its view, opened from a file.
struct RedAbierta {
  CNodusDoc doc;
  CVistaLinea vista;
  RedAbierta() { doc.AddView(&vista); }
  ~RedAbierta() {
    doc.OnDetener();
    AfxPumpMessages();
    doc.RemoveView(&vista);
  }
  RedAbierta(const RedAbierta&) = delete;
  RedAbierta& operator=(const RedAbierta&) = delete;
};

// Opens the network; the framework has said why when it cannot.
bool Abrir(RedAbierta& red, const CString& ruta) {
  if (!red.doc.OnOpenDocument(ruta)) return false;
  red.doc.SetPathName(ruta);
  return true;
}

CString Cuenta(UINT n, const char* singular, const char* plural) {
  return FormatC("%u %s", n, n == 1 ? singular : plural);
}

CString TextoDouble(double v) { return FormatC("%.*g", 15, v); }

bool Existe(const CString& ruta) {
  struct stat st {};
  return ::lstat(ruta.c_str(), &st) == 0;
}

CString Tamano(const std::string& bytes) {
  return FormatC("%llu bytes", static_cast<unsigned long long>(bytes.size()));
}

constexpr UINT kMaximoHilos = 64;

// A whole number written in digits only, within [minimo, maximo].
bool LeerEntero(const CString& texto, UINT minimo, UINT maximo, UINT& valor) {
  if (texto.empty() || texto.size() > 9) return false;
  UINT v = 0;
  for (char c : texto) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + UINT(c - '0');
  }
  if (v < minimo || v > maximo) return false;
  valor = v;
  return true;
}


using Json = nlohmann::ordered_json;

CString Volcar(const Json& j) { return JsonConBytes(j).dump(2, ' ', false, Json::error_handler_t::replace) + "\n"; }

// Percent, or null when there is nothing to divide.
Json PorcentajeJson(bool bHay, double d) { return bHay ? Json(d) : Json(nullptr); }

}  // namespace

nlohmann::ordered_json JsonConBytes(const nlohmann::ordered_json& j) {
  if (j.is_array()) {
    Json a = Json::array();
    for (const Json& v : j) a.push_back(JsonConBytes(v));
    return a;
  }
  if (!j.is_object()) return j;
  Json o = Json::object();
  for (auto it = j.begin(); it != j.end(); ++it) {
    o[it.key()] = JsonConBytes(it.value());
    if (!it->is_string() || EsUtf8(it->get<std::string>())) continue;
    CString bytes;
    for (unsigned char c : it->get<std::string>())
      bytes += c > 0x20 && c < 0x7F && c != '%' ? CString(1, char(c)) : FormatC("%%%02X", c);
    o[it.key() + "_bytes"] = bytes;
  }
  return o;
}

nlohmann::ordered_json ObjetoRegresion(const std::vector<RegresionSalida>& regresion) {
  Json salidas = Json::array();
  for (const RegresionSalida& f : regresion)
    salidas.push_back(
        {{"nombre", f.strNombre}, {"rmse", f.dRmse}, {"mae", f.dMae}, {"r2", f.bR2 ? Json(f.dR2) : Json(nullptr)}});
  return salidas;
}

nlohmann::ordered_json ObjetoVerificacion(const CString& datos, const ResultadosVerificacion& v,
                                          const std::vector<CString>& nombres, bool bMatriz) {
  Json j;
  j["fichero"] = datos;
  j["muestras"] = v.nMuestras;
  j["aciertos"] = v.medidas.nAciertos;
  j["tasa_aciertos"] = v.medidas.dTasaAciertos;
  j["error_total"] = v.medidas.dErrorTotal;
  j["error_maximo"] = v.medidas.dErrorMaximo;
  if (bMatriz) {
    Json m;
    m["salidas"] = nombres;
    Json filas = Json::array(), sens = Json::array(), prec = Json::array();
    for (UINT t = 0; t < v.nSalidas; ++t) {
      Json fila = Json::array();
      for (UINT o = 0; o < v.nSalidas; ++o) fila.push_back(v.Cuenta(t, o));
      filas.push_back(std::move(fila));
      double d = 0.0;
      const bool hay = v.Sensibilidad(t, d);
      sens.push_back(PorcentajeJson(hay, d));
      const bool hayP = v.Precision(t, d);
      prec.push_back(PorcentajeJson(hayP, d));
    }
    m["cuentas"] = std::move(filas);
    m["sensibilidad"] = std::move(sens);
    m["precision"] = std::move(prec);
    j["matriz"] = std::move(m);
  }
  return j;
}

namespace {

// The last completed epoch whose training set was measured, plus one (0: none).
UINT UltimaEpocaMedida(const CNodusDoc& doc) {
  const OpcionesRed& op = doc.m_opciones;
  UINT e = std::min<UINT>(doc.m_nEpoca.load(), UINT(op.entErrorMaximo.size()));
  while (e > 0 && std::isnan(op.entErrorTotal[e - 1])) --e;
  return e;
}

CString JsonInfo(const CNodusDoc& doc) {
  const UINT nEpoca = doc.m_nEpoca.load();
  Json j;
  j["entradas"] = doc.m_nEntradas;
  j["ocultas"] = doc.m_nOcultas;
  j["salidas"] = doc.m_nSalidas;
  j["aprendizaje"] = doc.m_dAprendizaje;
  j["momento"] = doc.m_dMomento;
  j["error_maximo"] = doc.m_dErrorMaximo;
  j["epocas"] = nEpoca;
  j["max_epocas"] = doc.m_nMaxEpocas;
  j["estado"] = doc.GetEstado();
  j["entrenada"] = doc.m_bEntrenada.load();
  j["se_puede_entrenar"] = doc.PuedeEntrenarse();
  if (nEpoca > 0 && nEpoca <= doc.m_arrErrorMaximo.m_nTam && nEpoca <= doc.m_arrErrorTotal.m_nTam &&
      nEpoca <= doc.m_arrAciertos.m_nTam) {
    const UINT e = nEpoca - 1;
    j["ultima_epoca"] = {{"epoca", e},
                         {"error_maximo", doc.m_arrErrorMaximo.m_pDatos[e]},
                         {"error_total", doc.m_arrErrorTotal.m_pDatos[e]},
                         {"tasa_aciertos", doc.m_arrAciertos.m_pDatos[e]}};
  } else {
    j["ultima_epoca"] = nullptr;
  }
  j["fichero_entrenamiento"] = doc.m_strFicheroEntrenamiento;
  j["fichero_verificacion"] = doc.m_strFicheroVerificacion;
  const OpcionesRed& op = doc.m_opciones;
  j["semilla"] = op.bSemilla ? Json(op.nSemilla) : Json(nullptr);
  j["paciencia"] = op.nPaciencia ? Json(op.nPaciencia) : Json(nullptr);
  j["barajar"] = op.bBarajar;
  j["parada_temprana"] = op.bParadaTemprana ? Json(op.nEpocaMejor) : Json(nullptr);
  j["fichero_prueba"] = op.strFicheroPrueba.empty() ? Json(nullptr) : Json(op.strFicheroPrueba);
  if (op.bFigurasPrueba) {
    const FigurasPrueba& f = op.figurasPrueba;
    // The names of verificar --json, and the epochs completed when measured.
    j["prueba"] = {{"fichero", op.strFicheroPrueba}, {"muestras", f.nMuestras},     {"aciertos", f.nAciertos},
                   {"tasa_aciertos", f.dTasaAciertos}, {"error_total", f.dErrorTotal}, {"error_maximo", f.dErrorMaximo},
                   {"epocas", f.nEpoca}};
  } else {
    j["prueba"] = nullptr;
  }
  // Only for a network that measures its training set: the others read as before.
  if (op.bMedirEntrenamiento || op.HayHistorial()) {
    j["medir_entrenamiento"] = op.bMedirEntrenamiento;
    const UINT e = UltimaEpocaMedida(doc);
    if (e != 0)
      j["ultima_epoca_entrenamiento"] = {{"epoca", e - 1},
                                         {"error_maximo", op.entErrorMaximo[e - 1]},
                                         {"error_total", op.entErrorTotal[e - 1]},
                                         {"tasa_aciertos", op.entAciertos[e - 1]}};
    else
      j["ultima_epoca_entrenamiento"] = nullptr;
  }
  return Volcar(j);
}

}  // namespace

void Imprimir(const CString& texto) {
  std::fwrite(texto.data(), 1, texto.size(), stdout);
  std::fflush(stdout);
}

void Avisar(const CString& texto) {
  const CString linea = "nrv: " + texto + "\n";
  std::fwrite(linea.data(), 1, linea.size(), stderr);
  std::fflush(stderr);
}

int OrdenNueva(const LineaOrdenes& linea, CHostLinea&) {
  const CString& ruta = linea.posicionales[0];
  if (Existe(ruta) && !linea.Tiene("reemplazar")) {
    Avisar(FormatC("Ya existe el fichero %s; use --reemplazar para sustituirlo.", ruta.c_str()));
    return SALIDA_FALLO;
  }
  // A table is read as the data files are (and refused or misread); say
  // what the user most likely meant, and go on.
  for (std::size_t i : {1u, 2u})
    if ((i == 1 || linea.posicionales[2] != linea.posicionales[1]) && PareceTabla(linea.posicionales[i]))
      Avisar("el fichero parece una tabla; conviértalo con nrv-cli importar");
  // Only what was given: the other values are those the dialog would show.
  const Resultado<DatosNuevaRed> datos = ComprobarNuevaRed(linea.posicionales[1], linea.posicionales[2],
                                                          linea.opciones, CNuevaRedDlg::DatosGuardados());
  if (!datos) {
    Avisar(datos.Mensaje());
    return SALIDA_USO;
  }
  const Resultado<OpcionesRed> opciones = ComprobarOpcionesRed(
      linea.opciones, linea.Tiene("barajar"), linea.posicionales[1], linea.posicionales[2], datos->opciones);
  if (!opciones) {
    Avisar(opciones.Mensaje());
    return SALIDA_USO;
  }
  DatosNuevaRed conOpciones = *datos;
  conOpciones.opciones = *opciones;
  if (linea.Tiene("medir-entrenamiento")) conOpciones.opciones.bMedirEntrenamiento = true;
  CNodusDoc doc;
  // The data files that make no network have been named.
  if (!doc.NuevaRed(conOpciones)) return SALIDA_USO;
  // --reemplazar replaces an older network, never the data it reads.
  if (const Resultado<Hecho> c = ComprobarGuardarRed(doc, ruta); !c) {
    Avisar(c.Mensaje());
    return SALIDA_USO;
  }
  if (!doc.OnSaveDocument(ruta)) return SALIDA_FALLO;
  Imprimir("Red creada en " + ruta + ": " + Cuenta(doc.m_nEntradas, "entrada", "entradas") + ", " +
           Cuenta(doc.m_nOcultas, "neurona oculta", "neuronas ocultas") + ", " +
           Cuenta(doc.m_nSalidas, "salida", "salidas") + "; hasta " + Cuenta(doc.m_nMaxEpocas, "época", "épocas") + ".\n");
  return SALIDA_EXITO;
}

int OrdenEntrenar(const LineaOrdenes& linea, CHostLinea& host) {
  const CString& ruta = linea.posicionales[0];
  if (auto it = linea.opciones.find("hilos"); it != linea.opciones.end()) {
    UINT nHilos = 0;
    if (!LeerEntero(it->second, 1, kMaximoHilos, nHilos)) {
      Avisar(FormatC("--hilos: introduzca un número entero entre 1 y %u.", kMaximoHilos));
      return SALIDA_USO;
    }
    CMotorPerceptron::FijarHilos(nHilos);
  }
  RedAbierta red;
  CNodusDoc& doc = red.doc;
  if (!Abrir(red, ruta)) return SALIDA_FALLO;
  // Held until the network is saved: no other run reads it before.
  if (const Resultado<Hecho> b = doc.BloquearFichero(); !b) {
    Avisar(b.Mensaje());
    return SALIDA_FALLO;
  }
  doc.m_bRegistroTrasGuardar = true;

  if (auto it = linea.opciones.find("mas-epocas"); it != linea.opciones.end()) {
    const Resultado<UINT> n = ComprobarMasEpocas(it->second, doc.m_nMaxEpocas);
    if (!n) {
      Avisar(n.Mensaje());
      return SALIDA_USO;
    }
    if (const Resultado<Hecho> r = doc.AmpliarEpocas(*n); !r) {
      Avisar(r.Mensaje());
      return r.EsRechazo() ? SALIDA_USO : SALIDA_FALLO;
    }
  }

  CCmdUI cmd(ID_ENTRENAR);
  doc.OnUpdateEntrenar(&cmd);
  if (!cmd.m_bEnabled) {
    if (doc.m_opciones.bParadaTemprana)
      Avisar("La red se detuvo por su paciencia y volvió a su mejor época: no se puede entrenar más.");
    else if (doc.m_bEntrenada)
      Avisar("La red ya está entrenada: una época quedó por debajo del error máximo por muestra.");
    else
      Avisar(FormatC("La red ya ha completado su número máximo de épocas (%u).", doc.m_nMaxEpocas));
    return SALIDA_FALLO;
  }

  const UINT nEpocaInicial = doc.m_nEpoca.load();
  red.vista.Empezar(nEpocaInicial, doc.m_nPuntos.load());
  InstalarInterrupcion();
  doc.OnEntrenar();
  // A thread that started says itself why it could not train.
  const bool bArrancado = doc.m_pHilo != nullptr;

  // The main thread serves the queue (the view's messages, the thread's
  // message boxes) until the thread ends or the user interrupts; the
  // thread's end wakes it at once.
  for (;;) {
    AfxPumpMessages();
    if (!doc.HiloActivo()) break;
    if (Interrumpido()) {
      Avisar("Deteniendo el entrenamiento al final de la época en curso (otro Ctrl+C sale sin guardar).");
      break;
    }
    host.Esperar();
  }
  // As the Detener command: waits for the epoch in progress, which is
  // recorded; after a failed start it takes the document back to Ready.
  doc.OnDetener();
  AfxPumpMessages();

  const UINT nEpoca = doc.m_nEpoca.load();
  if (nEpoca == nEpocaInicial) {
    // No epoch ran: a data file could not be loaded (the thread has said
    // why) or the thread could not start. The file stays as it was.
    if (!bArrancado) Avisar("No se ha podido iniciar el entrenamiento.");
    Avisar(FormatC("No se ha entrenado ninguna época; %s no ha cambiado.", ruta.c_str()));
    return SALIDA_FALLO;
  }
  red.vista.ImprimirHasta(nEpoca - nEpocaInicial);

  IgnorarInterrupciones();
  if (!doc.OnSaveDocument(ruta)) return SALIDA_FALLO;
  // The log after the network: killed in between, the log lacks a run that
  // the file has, never the other way round. The network is saved all the
  // same, and the exit code says so.
  if (const Resultado<Hecho> r = doc.EscribirRegistroPendiente(); !r) Avisar(r.Mensaje());
  // The window's box at a natural end, "Terminado entrenamiento", heads the summary.
  const char* const fin = red.vista.FinNatural() ? "Terminado entrenamiento. " : "";
  if (doc.m_opciones.bParadaTemprana)
    Imprimir(FormatC("%s%s (épocas entrenadas: %u de %u); red guardada en %s\n", fin, doc.GetEstado().c_str(), nEpoca,
                     doc.m_nMaxEpocas, ruta.c_str()));
  else
    Imprimir(FormatC("%s%s en la época %u (%u de %u); red guardada en %s\n", fin, doc.GetEstado().c_str(), nEpoca - 1,
                     nEpoca, doc.m_nMaxEpocas, ruta.c_str()));
  if (doc.m_opciones.bFigurasPrueba && doc.m_opciones.figurasPrueba.nEpoca == nEpoca)
    Imprimir(LineaPrueba(doc.m_opciones));
  return SALIDA_EXITO;
}

int OrdenVerificar(const LineaOrdenes& linea, CHostLinea&) {
  RedAbierta red;
  if (!Abrir(red, linea.posicionales[0])) return SALIDA_FALLO;
  const CString& datos = linea.posicionales[1];
  CString rutaEsquema;
  if (auto it = linea.opciones.find("esquema"); it != linea.opciones.end()) {
    rutaEsquema = it->second;
    if (rutaEsquema.empty()) {
      Avisar("Falta el fichero de --esquema.");
      return SALIDA_USO;
    }
  }
  const Resultado<VerificacionDatos> m = VerificarDatos(red.doc.GetRed(), datos, rutaEsquema);
  if (!m) {
    Avisar(m.Mensaje());
    return m.EsRechazo() ? SALIDA_USO : SALIDA_FALLO;
  }
  if (const CString aviso = AvisoOrdenEsquema(rutaEsquema, red.doc.RutaDatos(red.doc.m_strFicheroEntrenamiento));
      !aviso.empty())
    Avisar(aviso);
  const ResultadosVerificacion& v = m->resultados;
  const std::vector<CString>& nombres = m->nombres;
  const bool matriz = linea.Tiene("matriz");
  if (linea.Tiene("json")) {
    Json j = ObjetoVerificacion(datos, v, nombres, matriz);
    if (!m->regresion.empty()) j["salidas"] = ObjetoRegresion(m->regresion);
    Imprimir(Volcar(j));
    return SALIDA_EXITO;
  }
  Imprimir(LineasVerificacion(TextosVerificacion(datos, v)));
  if (!m->regresion.empty()) Imprimir("\n" + TextoRegresion(m->regresion));
  if (matriz) Imprimir("\n" + TextoMatriz(v, nombres, false));
  return SALIDA_EXITO;
}

namespace {

// The two exports: the bytes the document's command would write, written to
// SALIDA.
template <typename FnUpdate, typename FnBytes>
int Exportar(const LineaOrdenes& linea, UINT idComando, FnUpdate actualizar, FnBytes bytes, const char* sinHistorial,
             const char* hecho) {
  const CString& ruta = linea.posicionales[0];
  const CString& salida = linea.posicionales[1];
  RedAbierta red;
  if (!Abrir(red, ruta)) return SALIDA_FALLO;
  if (const Resultado<Hecho> c = ComprobarDestinoRed(red.doc, ruta, salida); !c) {
    Avisar(c.Mensaje());
    return SALIDA_USO;
  }
  CCmdUI cmd(idComando);
  actualizar(red.doc, &cmd);
  if (!cmd.m_bEnabled) {
    Avisar(sinHistorial);
    return SALIDA_FALLO;
  }
  // The size is that of what was written: a pipe or a device has none.
  const std::string escritos = bytes(red.doc, salida);
  const Resultado<Hecho> r = EscribirExportacion(salida, escritos);
  if (!r) {
    Avisar(r.Mensaje());
    return SALIDA_FALLO;
  }
  Imprimir(FormatC(hecho, salida.c_str(), Tamano(escritos).c_str(), red.doc.m_nEpoca.load()));
  return SALIDA_EXITO;
}

}  // namespace

int OrdenHistorial(const LineaOrdenes& linea, CHostLinea&) {
  return Exportar(
      linea, ID_GUARDAR_HISTORIAL, [](CNodusDoc& d, CCmdUI* c) { d.OnUpdateGuardarHistorial(c); },
      [&linea](CNodusDoc& d, const CString&) {
        return linea.Tiene("json") ? BytesHistorialJson(d) : linea.Tiene("csv") ? BytesHistorialCsv(d) : BytesHistorial(d);
      },
      "La red no tiene historial: todavía no ha completado ninguna época.",
      "Historial guardado en %s (%s, épocas: %u).\n");
}

int OrdenPesos(const LineaOrdenes& linea, CHostLinea&) {
  return Exportar(
      linea, ID_GUARDAR_PESOS, [](CNodusDoc& d, CCmdUI* c) { d.OnUpdateGuardarPesos(c); },
      [](CNodusDoc& d, const CString& salida) { return BytesPesos(d.GetRed(), PesosBinarios(salida)); },
      "No se pueden guardar los pesos de esta red.", "Pesos guardados en %s (%s, épocas entrenadas: %u).\n");
}

int OrdenInfo(const LineaOrdenes& linea, CHostLinea&) {
  RedAbierta red;
  if (!Abrir(red, linea.posicionales[0])) return SALIDA_FALLO;
  const CNodusDoc& doc = red.doc;
  const UINT nEpoca = doc.m_nEpoca.load();
  CString estado = doc.GetEstado();
  if (estado.empty()) estado = "Sin entrenar";
  if (doc.m_bEntrenada)
    estado += " (entrenada: no se puede entrenar más)";
  else if (doc.m_opciones.bParadaTemprana)
    estado += " (volvió a su mejor época: no se puede entrenar más)";
  else if (nEpoca >= doc.m_nMaxEpocas)
    estado += " (ha llegado al número máximo de épocas)";
  else
    estado += " (se puede entrenar)";

  if (linea.Tiene("json")) {
    Imprimir(JsonInfo(doc));
    return SALIDA_EXITO;
  }
  CString s;
  s += FormatC("Red:                       %u-%u-%u (entradas, neuronas ocultas, salidas)\n", doc.m_nEntradas,
               doc.m_nOcultas, doc.m_nSalidas);
  s += "Factor de aprendizaje:     " + TextoDouble(doc.m_dAprendizaje) + "\n";
  s += "Factor de momento:         " + TextoDouble(doc.m_dMomento) + "\n";
  s += "Error máximo por muestra:  " + TextoDouble(doc.m_dErrorMaximo) + "\n";
  s += FormatC("Épocas:                    %u de %u\n", nEpoca, doc.m_nMaxEpocas);
  s += "Estado:                    " + estado + "\n";
  if (nEpoca > 0 && nEpoca <= doc.m_arrErrorMaximo.m_nTam && nEpoca <= doc.m_arrErrorTotal.m_nTam &&
      nEpoca <= doc.m_arrAciertos.m_nTam) {
    const UINT e = nEpoca - 1;
    s += FormatC("Última época:              %u: error máximo %7.6f, error total %7.5f, aciertos %7.4f%%\n", e,
                 doc.m_arrErrorMaximo.m_pDatos[e], doc.m_arrErrorTotal.m_pDatos[e], doc.m_arrAciertos.m_pDatos[e]);
  }
  s += "Fichero de entrenamiento:  " + doc.m_strFicheroEntrenamiento + "\n";
  s += "Fichero de verificación:   " + doc.m_strFicheroVerificacion + "\n";
  // The options, only those given: a network without them reads as before.
  const OpcionesRed& op = doc.m_opciones;
  if (!op.strFicheroPrueba.empty()) s += "Fichero de prueba:         " + op.strFicheroPrueba + "\n";
  if (op.bSemilla) s += FormatC("Semilla:                   %u\n", op.nSemilla);
  if (op.nPaciencia) s += FormatC("Paciencia:                 %u épocas\n", op.nPaciencia);
  if (op.bBarajar) s += "Orden de las muestras:     barajado en cada época\n";
  if (op.bMedirEntrenamiento) s += "Medida del entrenamiento:  en cada época\n";
  if (const UINT e = UltimaEpocaMedida(doc); e != 0)
    s += FormatC("Entrenamiento:             %u: error máximo %7.6f, error total %7.5f, aciertos %7.4f%%\n", e - 1,
                 op.entErrorMaximo[e - 1], op.entErrorTotal[e - 1], op.entAciertos[e - 1]);
  if (op.bFigurasPrueba) s += LineaPrueba(op);
  Imprimir(s);
  return SALIDA_EXITO;
}

int EjecutarOrden(const LineaOrdenes& linea, CHostLinea& host) { return linea.pOrden->ejecutar(linea, host); }

int OrdenFicheros(const LineaOrdenes& linea, CHostLinea&) {
  const CString& ruta = linea.posicionales[0];
  const auto opcion = [&](const char* nombre) {
    const auto it = linea.opciones.find(nombre);
    return it == linea.opciones.end() ? CString() : CString(it->second);
  };
  const CString strEntrenamiento = opcion("entrenamiento");
  const CString strVerificacion = opcion("verificacion");
  for (const char* nombre : {"entrenamiento", "verificacion"})
    if (linea.opciones.count(nombre) != 0 && opcion(nombre).empty()) {
      Avisar(FormatC("--%s: No ha introducido un fichero", nombre));
      return SALIDA_USO;
    }
  RedAbierta red;
  CNodusDoc& doc = red.doc;
  if (!Abrir(red, ruta)) return SALIDA_FALLO;
  const auto mostrar = [&] {
    CString s = "Fichero de entrenamiento:  " + doc.m_strFicheroEntrenamiento + "\n";
    s += "Fichero de verificación:   " + doc.m_strFicheroVerificacion + "\n";
    Imprimir(s);
  };
  if (strEntrenamiento.empty() && strVerificacion.empty()) {
    mostrar();
    return SALIDA_EXITO;
  }
  // Not while another program trains it: its save would undo the change.
  if (const Resultado<Hecho> b = doc.BloquearFichero(); !b) {
    Avisar(b.Mensaje());
    return SALIDA_FALLO;
  }
  if (const Resultado<Hecho> r = doc.CambiarFicherosDatos(strEntrenamiento, strVerificacion); !r) {
    Avisar(r.Mensaje());
    return r.GetFallo().bRechazo ? SALIDA_USO : SALIDA_FALLO;
  }
  if (doc.IsModified() && !doc.OnSaveDocument(ruta)) return SALIDA_FALLO;
  mostrar();
  return SALIDA_EXITO;
}
