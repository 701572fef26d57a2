// nrv-cli exportar and curvas: the network as C source and its curves as a
// picture, through the core's generator and the graphs' drawing plan that
// the window uses too.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/ordenes.h"
#include "data/esquema.h"
#include "framework/dialogo.h"
#include "framework/texto.h"
#include "network/exportar.h"
#include "network/exportar_c.h"
#include "network/nodusdoc.h"
#include "plan/lamina.h"
#include "plan/svg.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// The size of what was written: a pipe or a device has none of its own.
CString Tamano(const std::string& bytes) {
  return FormatC("%llu bytes", static_cast<unsigned long long>(bytes.size()));
}

CString NombreFichero(const CString& ruta) {
  const std::size_t barra = ruta.rfind('/');
  return barra == CString::npos ? ruta : ruta.substr(barra + 1);
}

// The destination of an export: given, and neither one of the network's
// files nor the scheme.
bool DestinoValido(const CNodusDoc& doc, const CString& destino, const CString& red, const CString& esquema) {
  const Resultado<Hecho> c = ComprobarDestinoRed(doc, red, destino, {{esquema, "el esquema"}});
  if (!c) Avisar(c.Mensaje());
  return bool(c);
}

// nrv, which draws the report page: the one beside this program, then,
// for the build tree's nrv-cli, the build tree's, then the PATH's.
std::vector<std::string> ProgramasNrv() {
  std::vector<std::string> v;
  std::error_code ec;
  const fs::path carpeta = fs::read_symlink("/proc/self/exe", ec).parent_path();
  if (ec || carpeta.empty()) return v;
  v.push_back((carpeta / "nrv").string());
#if defined(NRV_CARPETA_CONSTRUCCION) && defined(NRV_PROGRAMA_CONSTRUCCION)
  if (fs::equivalent(carpeta, NRV_CARPETA_CONSTRUCCION, ec)) v.push_back(NRV_PROGRAMA_CONSTRUCCION);
#endif
  return v;
}

// Runs «nrv --informe RED DESTINO» with this program's standard streams,
// and gives its exit code.
int InformeConNrv(const CString& red, const CString& destino) {
  std::string programa = "nrv";
  for (const std::string& p : ProgramasNrv())
    if (::access(p.c_str(), X_OK) == 0) {
      programa = p;
      break;
    }
  std::string opcion = "--informe";
  std::string r = red, d = destino;
  char* argv[] = {programa.data(), opcion.data(), r.data(), d.data(), nullptr};
  pid_t pid = 0;
  const int error = programa.find('/') == std::string::npos
                        ? ::posix_spawnp(&pid, programa.c_str(), nullptr, nullptr, argv, environ)
                        : ::posix_spawn(&pid, programa.c_str(), nullptr, nullptr, argv, environ);
  if (error != 0) {
    if (error == ENOENT)
      Avisar("La página de informe la dibuja el programa nrv, que no está instalado junto a nrv-cli ni en el PATH; "
             "instálelo (no necesita pantalla), o use «nrv-cli curvas» sin --informe, que escribe las gráficas en "
             "SVG.");
    else
      Avisar(FormatC("No se ha podido ejecutar %s: %s.", programa.c_str(), std::strerror(error)));
    return SALIDA_FALLO;
  }
  int estado = 0;
  while (::waitpid(pid, &estado, 0) < 0)
    if (errno != EINTR) {
      Avisar(FormatC("No se ha podido esperar a %s: %s.", programa.c_str(), std::strerror(errno)));
      return SALIDA_FALLO;
    }
  if (WIFEXITED(estado)) return WEXITSTATUS(estado);
  Avisar(FormatC("%s ha terminado por la señal %d sin escribir el informe.", programa.c_str(),
                 WIFSIGNALED(estado) ? WTERMSIG(estado) : 0));
  return SALIDA_FALLO;
}

int Escribir(const CString& destino, const std::string& bytes) {
  const Resultado<Hecho> r = EscribirExportacion(destino, bytes);
  if (r) return SALIDA_EXITO;
  Avisar(r.Mensaje());
  return SALIDA_FALLO;
}

}  // namespace

int OrdenExportar(const LineaOrdenes& linea, CHostLinea&) {
  const CString& ruta = linea.posicionales[0];
  const CString& destino = linea.posicionales[1];
  const auto it = linea.opciones.find("nombre");
  const CString prefijo = it != linea.opciones.end() ? CString(it->second) : PrefijoCDeRuta(destino);
  if (!PrefijoCValido(prefijo)) {
    Avisar(FormatC("El nombre «%s» no sirve de prefijo en C: ha de empezar por una letra (C reserva los nombres "
                   "que empiezan por «_») y seguir con letras sin tilde, cifras o «_».",
                   prefijo.c_str()));
    return SALIDA_USO;
  }
  const auto itEsquema = linea.opciones.find("esquema");
  const CString rutaEsquema = itEsquema != linea.opciones.end() ? CString(itEsquema->second) : CString();
  if (itEsquema != linea.opciones.end() && rutaEsquema.empty()) {
    Avisar("Falta el fichero de --esquema.");
    return SALIDA_USO;
  }
  CNodusDoc doc;
  if (!doc.OnOpenDocument(ruta)) return SALIDA_FALLO;
  if (!DestinoValido(doc, destino, ruta, rutaEsquema)) return SALIDA_USO;
  std::unique_ptr<CEsquema> esquema;
  if (!rutaEsquema.empty()) {
    Resultado<CEsquema> e = LeerEsquema(rutaEsquema);
    if (!e) {
      Avisar(e.Mensaje());
      return SALIDA_FALLO;
    }
    esquema = std::make_unique<CEsquema>(std::move(*e));
  }
  OpcionesFuenteC op;
  op.strPrefijo = prefijo;
  op.strRed = ruta;
  op.strFichero = NombreFichero(destino);
  op.pEsquema = esquema.get();
  op.strEsquema = rutaEsquema;
  const Resultado<std::string> fuente = FuenteC(doc.GetRed(), op);
  if (!fuente) {
    Avisar(fuente.Mensaje());
    return SALIDA_FALLO;
  }
  if (const int r = Escribir(destino, *fuente); r != SALIDA_EXITO) return r;
  const CString tamano = Tamano(*fuente);
  CString nombres = prefijo + "_propagar, " + prefijo + "_ganadora";
  if (esquema) {
    nombres += ", " + prefijo + "_escalar";
    nombres += esquema->Clase() ? ", " + prefijo + "_clases" : ", " + prefijo + "_desescalar, " + prefijo + "_nombres_salidas";
  }
  Imprimir(FormatC("Red exportada en C en %s (%s): %s.\n", destino.c_str(), tamano.c_str(), nombres.c_str()));
  return SALIDA_EXITO;
}

int OrdenCurvas(const LineaOrdenes& linea, CHostLinea&) {
  const CString& ruta = linea.posicionales[0];
  const CString& destino = linea.posicionales[1];
  // The report page is drawn with Qt: by nrv, never by this tool.
  if (linea.Tiene("informe")) {
    std::fflush(stdout);
    return InformeConNrv(ruta, destino);
  }
  // A picture of another kind would be SVG under a misleading name.
  CString ext = AfxExtensionFichero(destino);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  for (const char* otra : {"png", "jpg", "jpeg", "gif", "bmp", "tif", "tiff", "webp", "pdf", "ps", "eps"})
    if (ext == otra) {
      Avisar(FormatC("nrv-cli curvas solo escribe SVG, no .%s; las imágenes PNG y los PDF se guardan con "
                     "«Archivo › Exportar gráficas...» de nrv.",
                     ext.c_str()));
      return SALIDA_USO;
    }
  CNodusDoc doc;
  if (!doc.OnOpenDocument(ruta)) return SALIDA_FALLO;
  if (!DestinoValido(doc, destino, ruta, CString())) return SALIDA_USO;

  // What a view just opened on the network shows: the entries recorded
  // (never past the stored history), the total-error frame by its rule.
  EntradaPlan e;
  e.nMaxEpocas = doc.m_nMaxEpocas;
  e.dErrorMaximo = doc.m_dErrorMaximo;
  e.bHayPuntos = doc.m_nPuntos.load() != 0;
  e.n = std::min({doc.m_nPuntos.load(), doc.m_arrErrorMaximo.m_nTam, doc.m_arrErrorTotal.m_nTam, doc.m_arrAciertos.m_nTam});
  e.pErrorMaximo = doc.m_arrErrorMaximo.m_pDatos;
  e.pErrorTotal = doc.m_arrErrorTotal.m_pDatos;
  e.pAciertos = doc.m_arrAciertos.m_pDatos;
  e.bMarcoTotalVisible = false;
  const Lamina lamina = PlanificarLamina(e);
  const std::string svg = SvgLamina(lamina, "Curvas de entrenamiento de " + NombreFichero(ruta));
  if (const int r = Escribir(destino, svg); r != SALIDA_EXITO) return r;
  Imprimir(FormatC("Gráficas guardadas en %s (%s, épocas: %u).\n", destino.c_str(), Tamano(svg).c_str(), e.n));
  return SALIDA_EXITO;
}
