// nrv-cli experimento and resumen: a plan's runs, each one an ordinary
// network made, trained and measured in a process of its own (the weight
// generator is the process's, and the training log goes to the current
// folder), and the summary of what they left.
#include <fcntl.h>
#include <sched.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "cli/ordenes.h"
#include "framework/fichero.h"
#include "framework/mensajes.h"
#include "framework/texto.h"
#include "network/aplicar.h"
#include "network/experimento.h"
#include "network/exportar.h"
#include "network/nodusdoc.h"
#include "network/resumen.h"
#include "resources/resource.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr UINT kMaximoTrabajos = 1024;

bool LeerNumero(const std::string& texto, UINT maximo, UINT& valor) {
  if (texto.empty() || texto.size() > 9) return false;
  UINT v = 0;
  for (char c : texto) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + UINT(c - '0');
  }
  if (v > maximo) return false;
  valor = v;
  return true;
}

// Written whole or not at all: a run is complete exactly when it has one.
bool EscribirResultado(const fs::path& carpeta, const Json& j) {
  const fs::path tmp = carpeta / (std::string(kResultadoEjecucion) + ".tmp");
  const std::string texto = JsonConBytes(j).dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
  std::FILE* f = std::fopen(tmp.c_str(), "wb");
  if (!f) return false;
  const bool bEscrito = std::fwrite(texto.data(), 1, texto.size(), f) == texto.size();
  const bool bCerrado = std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
  if (std::fclose(f) != 0 || !bEscrito || !bCerrado) return false;
  std::error_code ec;
  fs::rename(tmp, carpeta / kResultadoEjecucion, ec);
  return !ec;
}

enum class Estado { Hecha, Pendiente, Ajena };

Estado EstadoEjecucion(const fs::path& carpeta, const EjecucionPlan& e) {
  const Json r = LeerResultado((carpeta / NombreEjecucion(e.nNumero)).string());
  if (r.is_null()) return Estado::Pendiente;
  return EsResultadoDe(r, e) ? Estado::Hecha : Estado::Ajena;
}

CString MensajeAjena(const fs::path& carpeta, UINT n) {
  return FormatC("La ejecución %s de %s es de otro plan; use otra carpeta.", NombreEjecucion(n).c_str(),
                 carpeta.c_str());
}

// A data file copied into the run's folder under its role's name, keeping
// its extension (which tells a binary file).
bool CopiarDatos(const CString& origen, const fs::path& carpeta, const char* papel, CString& nombre) {
  nombre = papel + fs::path(origen).extension().string();
  std::error_code ec;
  fs::copy_file(origen, carpeta / nombre, fs::copy_options::overwrite_existing, ec);
  if (ec) Avisar(FormatC("No se puede copiar el fichero de datos %s.", origen.c_str()));
  return !ec;
}

// One run, in this process, in its own folder: the network made as «nueva»
// makes it, trained as «entrenar» trains it, measured as «verificar»
// measures it; resultado.json last. The current folder becomes the run's.
int HacerEjecucion(const PlanExperimento& plan, const EjecucionPlan& e, const fs::path& carpeta, CHostLinea& host) {
  const fs::path dir = carpeta / NombreEjecucion(e.nNumero);
  switch (EstadoEjecucion(carpeta, e)) {
    case Estado::Hecha:
      Imprimir("Ejecución " + NombreEjecucion(e.nNumero) + " ya hecha.\n");
      return SALIDA_EXITO;
    case Estado::Ajena:
      Avisar(MensajeAjena(carpeta, e.nNumero));
      return SALIDA_FALLO;
    case Estado::Pendiente:
      break;
  }
  // What a broken run left goes: the run starts again from nothing.
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir, ec);
  if (ec) {
    Avisar(FormatC("No se puede crear la carpeta %s.", dir.c_str()));
    return SALIDA_FALLO;
  }
  CString entrenamiento, verificacion, prueba, esquema;
  if (plan.strTabla.empty()) {
    if (!CopiarDatos(plan.strEntrenamiento, dir, "entrenamiento", entrenamiento) ||
        !CopiarDatos(plan.strVerificacion, dir, "verificacion", verificacion) ||
        (!plan.strPrueba.empty() && !CopiarDatos(plan.strPrueba, dir, "prueba", prueba)))
      return SALIDA_FALLO;
  }
  if (::chdir(dir.c_str()) != 0) {
    Avisar(FormatC("No se puede entrar en la carpeta %s.", dir.c_str()));
    return SALIDA_FALLO;
  }
  if (!plan.strTabla.empty()) {
    // The run's parts of the table, as «importar --particion» writes them.
    OpcionesImportacion op = plan.importacion;
    op.nSemilla = e.nSemilla;
    if (e.pliegue) op.nPliegue = *e.pliegue;
    esquema = plan.strEsquema.empty() ? CString("esquema.json") : plan.strEsquema;
    const Resultado<Importacion> imp = ImportarTabla(plan.strTabla, plan.strEsquema, op);
    const Resultado<Hecho> h = imp ? GuardarImportacion(*imp, "datos.txt", esquema) : imp.GetFallo();
    if (!h) {
      Avisar(FormatC("Ejecución %s: ", NombreEjecucion(e.nNumero).c_str()) + h.Mensaje());
      return SALIDA_FALLO;
    }
    entrenamiento = RutaParte("datos.txt", PARTE_ENTRENAMIENTO);
    verificacion = RutaParte("datos.txt", PARTE_VERIFICACION);
    prueba = RutaParte("datos.txt", PARTE_PRUEBA);
  }
  const CString red = "red.nrv";

  // nueva: the run's values, checked against the dialog's ranges when the
  // plan was read.
  const ParametrosEjecucion& p = e.parametros;
  DatosNuevaRed datos;
  datos.strFicheroEntrenamiento = entrenamiento;
  datos.strFicheroVerificacion = verificacion;
  datos.nOcultas = p.nOcultas;
  datos.dAprendizaje = p.dAprendizaje;
  datos.dMomento = p.dMomento;
  datos.dErrorMaximo = p.dErrorMaximo;
  datos.nMaxEpocas = p.nMaxEpocas;
  // The run's seed is the network's own, kept with it, as its options of
  // the grid and its data's scheme are.
  datos.opciones.bSemilla = true;
  datos.opciones.nSemilla = e.nSemilla;
  datos.opciones.nPaciencia = p.nPaciencia;
  datos.opciones.bBarajar = p.bBarajar;
  if (!esquema.empty()) datos.opciones.strEsquema = esquema;
  {
    CNodusDoc nueva;
    if (!nueva.NuevaRed(datos) || !nueva.OnSaveDocument(red)) return SALIDA_FALLO;
  }

  // entrenar: from the saved file, to its end or to an interruption.
  CNodusDoc doc;
  if (!doc.OnOpenDocument(red)) return SALIDA_FALLO;
  doc.SetPathName(red);
  const auto inicio = std::chrono::steady_clock::now();
  InstalarInterrupcion();
  doc.OnEntrenar();
  for (;;) {
    AfxPumpMessages();
    if (!doc.HiloActivo() || Interrumpido()) break;
    host.Esperar();
  }
  doc.OnDetener();
  AfxPumpMessages();
  const double dSegundos = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
  if (Interrumpido()) {
    Avisar(FormatC("Ejecución %s interrumpida; se repetirá entera.", NombreEjecucion(e.nNumero).c_str()));
    return SALIDA_FALLO;
  }
  const UINT nEpocas = doc.m_nEpoca.load();
  if (nEpocas == 0) {
    Avisar(FormatC("Ejecución %s: no se ha entrenado ninguna época.", NombreEjecucion(e.nNumero).c_str()));
    return SALIDA_FALLO;
  }
  if (!doc.OnSaveDocument(red)) return SALIDA_FALLO;
  const Resultado<Hecho> h = EscribirExportacion("historial.csv", BytesHistorialCsv(doc));
  if (!h) {
    Avisar(h.Mensaje());
    return SALIDA_FALLO;
  }

  // verificar, on the verification part and on the test part.
  auto medir = [&](const CString& datos, Json& destino) {
    const Resultado<VerificacionDatos> m = VerificarDatos(doc.GetRed(), datos, esquema);
    if (!m) {
      Avisar(m.Mensaje());
      return false;
    }
    destino = ObjetoVerificacion(datos, m->resultados, m->nombres, false);
    if (!m->regresion.empty()) destino["salidas"] = ObjetoRegresion(m->regresion);
    return true;
  };
  Json j;
  j["ejecucion"] = e.nNumero;
  j["configuracion"] = e.nConfiguracion;
  j["repeticion"] = e.nRepeticion;
  j["semilla"] = e.nSemilla;
  j["pliegue"] = e.pliegue ? Json(*e.pliegue) : Json(nullptr);
  j["datos"] = plan.strTabla.empty() ? "ficheros" : plan.importacion.nPliegues ? "validacion_cruzada" : "particion";
  j["comparar"] = plan.strComparar;
  j["parametros"] = JsonParametros(p);
  j["epocas"] = nEpocas;
  j["estado"] = doc.GetEstado();
  j["segundos"] = dSegundos;
  Json ent;
  if (!medir(entrenamiento, ent)) return SALIDA_FALLO;
  j["entrenamiento"] = {{"fichero", entrenamiento}, {"muestras", ent["muestras"]}};
  if (!medir(verificacion, j["verificacion"])) return SALIDA_FALLO;
  j["prueba"] = nullptr;
  if (!prueba.empty() && !medir(prueba, j["prueba"])) return SALIDA_FALLO;
  IgnorarInterrupciones();
  if (!EscribirResultado(".", j)) {
    Avisar(FormatC("No se puede escribir %s/%s.", dir.c_str(), kResultadoEjecucion));
    return SALIDA_FALLO;
  }
  Imprimir("Ejecución " + NombreEjecucion(e.nNumero) + " hecha.\n");
  return SALIDA_EXITO;
}

// The cores this process may use, and no more than Slurm gave the task.
UINT TrabajosPorOmision() {
  UINT n = 1;
  cpu_set_t cpus;
  CPU_ZERO(&cpus);
  if (::sched_getaffinity(0, sizeof cpus, &cpus) == 0) n = std::max(1, CPU_COUNT(&cpus));
  UINT nSlurm = 0;
  if (const char* s = std::getenv("SLURM_CPUS_PER_TASK"); s && LeerNumero(s, kMaximoTrabajos, nSlurm) && nSlurm > 0)
    n = std::min(n, nSlurm);
  return n;
}

// Ctrl+C in the parent: no new run starts; the second one stops those in
// progress too (they leave no result and are redone next time).
volatile std::sig_atomic_t g_nParar = 0;
extern "C" void AlParar(int) { g_nParar = g_nParar + 1; }

void InstalarParada() {
  struct sigaction sa {};
  sa.sa_handler = AlParar;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // waitpid returns, so the loop sees it
  for (int senal : {SIGINT, SIGTERM}) {
    struct sigaction anterior {};
    if (::sigaction(senal, nullptr, &anterior) == 0 && anterior.sa_handler == SIG_IGN) continue;
    ::sigaction(senal, &sa, nullptr);
  }
}

CString Duracion(double s) {
  const long n = long(s + 0.5);
  if (n >= 3600) return FormatC("%ld h %02ld min", n / 3600, (n / 60) % 60);
  if (n >= 60) return FormatC("%ld min %02ld s", n / 60, n % 60);
  return FormatC("%ld s", n);
}

struct EnCurso {
  UINT nEjecucion;
  std::FILE* errores;  // the child's standard error, shown if it fails
};

// Every pending run, N at a time, each as «nrv-cli experimento PLAN CARPETA
// --tarea I» in a process group of its own, so that a Ctrl+C on the
// terminal reaches only this process.
int EjecutarTodas(const CString& rutaPlan, const fs::path& carpeta, const std::vector<EjecucionPlan>& runs,
                  UINT nTrabajos) {
  std::vector<UINT> pendientes;
  UINT nHechas = 0;
  for (const auto& e : runs) {
    switch (EstadoEjecucion(carpeta, e)) {
      case Estado::Hecha:
        ++nHechas;
        break;
      case Estado::Ajena:
        Avisar(MensajeAjena(carpeta, e.nNumero));
        return SALIDA_FALLO;
      case Estado::Pendiente:
        pendientes.push_back(e.nNumero);
    }
  }
  const UINT nYaHechas = nHechas;
  std::error_code ec;
  const fs::path yo = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    Avisar("No se puede saber la ruta de nrv-cli.");
    return SALIDA_FALLO;
  }
  const bool bTerminal = ::isatty(STDERR_FILENO) == 1;
  InstalarParada();
  std::map<pid_t, EnCurso> enCurso;
  std::size_t siguiente = 0;
  UINT nFallidas = 0, nTerminadas = 0;
  const auto inicio = std::chrono::steady_clock::now();
  std::size_t anchoLinea = 0;

  auto progreso = [&](bool bFinal) {
    if (!bTerminal) return;
    CString s = FormatC("Ejecuciones: %u de %zu hechas, %zu en curso, %u fallidas", nHechas, runs.size(),
                        enCurso.size(), nFallidas);
    // Time left at the pace so far, the runs in parallel included.
    if (nTerminadas > 0 && nTerminadas < pendientes.size() && !bFinal) {
      const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
      s += "; quedan unos " + Duracion(double(pendientes.size() - nTerminadas) * t / double(nTerminadas));
    }
    const std::size_t ancho = s.size();
    if (s.size() < anchoLinea) s += CString(anchoLinea - s.size(), ' ');
    anchoLinea = ancho;
    s = "\r" + s + (bFinal ? "\n" : "");
    std::fwrite(s.data(), 1, s.size(), stderr);
    std::fflush(stderr);
  };
  auto aviso = [&](const CString& texto) {
    if (bTerminal && anchoLinea > 0) {
      const CString borrar = "\r" + CString(anchoLinea, ' ') + "\r";
      std::fwrite(borrar.data(), 1, borrar.size(), stderr);
      anchoLinea = 0;
    }
    Avisar(texto);
  };

  bool bAvisadoParar = false;
  while (true) {
    if (g_nParar > 0 && !bAvisadoParar) {
      bAvisadoParar = true;
      aviso("Deteniendo: se terminan las ejecuciones en curso (otro Ctrl+C las interrumpe).");
    }
    while (g_nParar == 0 && enCurso.size() < nTrabajos && siguiente < pendientes.size()) {
      const UINT n = pendientes[siguiente++];
      std::FILE* errores = std::tmpfile();
      posix_spawn_file_actions_t acciones;
      posix_spawn_file_actions_init(&acciones);
      posix_spawn_file_actions_addopen(&acciones, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
      if (errores) posix_spawn_file_actions_adddup2(&acciones, ::fileno(errores), STDERR_FILENO);
      posix_spawnattr_t atributos;
      posix_spawnattr_init(&atributos);
      posix_spawnattr_setpgroup(&atributos, 0);
      sigset_t normales;
      sigemptyset(&normales);
      sigaddset(&normales, SIGINT);
      sigaddset(&normales, SIGTERM);
      posix_spawnattr_setsigdefault(&atributos, &normales);
      posix_spawnattr_setflags(&atributos, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
      const std::string tarea = FormatC("%u", n);
      std::vector<std::string> args = {"nrv-cli", "experimento", rutaPlan, carpeta.string(), "--tarea", tarea};
      std::vector<char*> argv;
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      pid_t pid = 0;
      const int rc = ::posix_spawn(&pid, yo.c_str(), &acciones, &atributos, argv.data(), environ);
      posix_spawn_file_actions_destroy(&acciones);
      posix_spawnattr_destroy(&atributos);
      if (rc != 0) {
        if (errores) std::fclose(errores);
        aviso(FormatC("No se puede iniciar la ejecución %s.", NombreEjecucion(n).c_str()));
        ++nFallidas;
        ++nTerminadas;
        continue;
      }
      enCurso[pid] = {n, errores};
    }
    progreso(false);
    if (enCurso.empty()) break;
    int estado = 0;
    const pid_t pid = ::waitpid(-1, &estado, 0);
    if (pid < 0) {
      if (errno != EINTR) break;
      if (g_nParar > 1)
        for (const auto& [hijo, c] : enCurso) ::kill(-hijo, SIGTERM);
      continue;
    }
    auto it = enCurso.find(pid);
    if (it == enCurso.end()) continue;
    const EnCurso c = it->second;
    enCurso.erase(it);
    ++nTerminadas;
    const bool bBien = WIFEXITED(estado) && WEXITSTATUS(estado) == SALIDA_EXITO;
    if (bBien) {
      ++nHechas;
    } else if (g_nParar <= 1) {
      ++nFallidas;
      aviso(FormatC("La ejecución %s ha fallado:", NombreEjecucion(c.nEjecucion).c_str()));
      if (c.errores) {
        std::rewind(c.errores);
        char buf[4096];
        std::size_t leidos;
        while ((leidos = std::fread(buf, 1, sizeof buf, c.errores)) > 0) std::fwrite(buf, 1, leidos, stderr);
      }
    }
    if (c.errores) std::fclose(c.errores);
  }
  progreso(true);
  const UINT nPendientes = UINT(runs.size()) - nHechas;
  Imprimir(FormatC("Experimento en %s: %u de %zu ejecuciones hechas (%u ya estaban)", carpeta.c_str(), nHechas,
                   runs.size(), nYaHechas) +
           (nFallidas ? FormatC(", %u fallidas", nFallidas) : CString()) +
           (nPendientes ? FormatC("; otra vez la misma orden hace las %u que faltan.\n", nPendientes)
                        : CString(".\n")));
  if (g_nParar > 0) return SALIDA_FORZADA;
  return nFallidas ? SALIDA_FALLO : SALIDA_EXITO;
}

}  // namespace

int OrdenExperimento(const LineaOrdenes& linea, CHostLinea& host) {
  const CString& rutaPlan = linea.posicionales[0];
  const Resultado<PlanExperimento> plan = LeerPlan(rutaPlan);
  if (!plan) {
    Avisar(plan.Mensaje());
    return plan.EsRechazo() ? SALIDA_USO : SALIDA_FALLO;
  }
  PlanExperimento p = *plan;
  // Absolute paths: each run works from its own folder.
  std::error_code ec;
  for (CString* r : {&p.strEntrenamiento, &p.strVerificacion, &p.strPrueba, &p.strTabla, &p.strEsquema})
    if (!r->empty()) *r = fs::absolute(*r, ec).string();
  const std::vector<EjecucionPlan> runs = ExpandirPlan(p);

  if (linea.Tiene("listar")) {
    CString s;
    for (const auto& e : runs) s += LineaEjecucion(e) + "\n";
    Imprimir(s);
    return SALIDA_EXITO;
  }
  const fs::path carpeta = fs::absolute(fs::path(linea.posicionales[1]), ec);

  // One run: --tarea, or the index of a Slurm job array.
  std::optional<std::string> tarea;
  if (auto it = linea.opciones.find("tarea"); it != linea.opciones.end())
    tarea = it->second;
  else if (const char* s = std::getenv("SLURM_ARRAY_TASK_ID"))
    tarea = s;
  if (tarea) {
    UINT n = 0;
    if (!LeerNumero(*tarea, kMaximoTrabajos * 1000000u, n) || n >= runs.size()) {
      Avisar(FormatC("--tarea: el plan tiene las ejecuciones de 0 a %zu; «%s» no es una de ellas.",
                     runs.size() - 1, tarea->c_str()));
      return SALIDA_USO;
    }
    return HacerEjecucion(p, runs[n], carpeta, host);
  }

  UINT nTrabajos = TrabajosPorOmision();
  if (auto it = linea.opciones.find("trabajos"); it != linea.opciones.end()) {
    if (!LeerNumero(it->second, kMaximoTrabajos, nTrabajos) || nTrabajos == 0) {
      Avisar(FormatC("--trabajos: introduzca un número entero entre 1 y %u.", kMaximoTrabajos));
      return SALIDA_USO;
    }
  }
  fs::create_directories(carpeta, ec);
  if (ec || !fs::is_directory(carpeta)) {
    Avisar(FormatC("No se puede crear la carpeta %s.", carpeta.c_str()));
    return SALIDA_FALLO;
  }
  return EjecutarTodas(fs::absolute(rutaPlan, ec).string(), carpeta, runs, nTrabajos);
}

int OrdenResumen(const LineaOrdenes& linea, CHostLinea&) {
  const fs::path carpeta(linea.posicionales[0]);
  std::error_code ec;
  if (!fs::is_directory(carpeta, ec)) {
    Avisar(FormatC("No existe la carpeta %s.", carpeta.c_str()));
    return SALIDA_FALLO;
  }
  if (linea.Tiene("csv") && linea.Tiene("json")) {
    Avisar("--csv y --json no van juntas: elija una.");
    return SALIDA_USO;
  }
  const std::vector<Json> resultados = LeerResultados(carpeta.string());
  if (resultados.empty()) {
    Avisar(FormatC("No hay ninguna ejecución terminada en %s.", carpeta.c_str()));
    return SALIDA_FALLO;
  }
  const ResumenExperimento r = ResumirResultados(resultados);
  if (linea.Tiene("json"))
    Imprimir(JsonConBytes(JsonResumen(carpeta.string(), r)).dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
  else if (linea.Tiene("csv"))
    Imprimir(CsvResumen(r));
  else
    Imprimir(TextoResumen(carpeta.string(), r));
  return SALIDA_EXITO;
}
