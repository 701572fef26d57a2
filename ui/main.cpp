// nrv: the workbench for three-layer perceptron networks.
#include <QApplication>

#include <cstdio>
#include <string>
#include <string_view>

#include "resources/version.h"
#include "ui/aplicacion.h"
#include "ui/hostqt.h"
#include "ui/ventana_graficas.h"

namespace {

const char kAyuda[] =
    "Uso: nrv [opciones] [RED.nrv]\n"
    "\n"
    "Perceptrón multicapa: crea, entrena y verifica redes de tres capas (una capa\n"
    "de entradas, una capa oculta de neuronas sigmoides y una capa de salidas\n"
    "sigmoides) entrenadas por retropropagación con momento, con las curvas del\n"
    "error máximo, del error total y de la tasa de aciertos de cada época.\n"
    "Abre la red RED.nrv si se nombra; si no, empieza sin ningún documento.\n"
    "\n"
    "Opciones:\n"
    "  -h, --help   muestra esta ayuda\n"
    "  --version    muestra la versión del programa\n"
    "  --           lo que sigue es el fichero, aunque empiece por «-»\n"
    "\n"
    "  --informe RED.nrv DESTINO\n"
    "               escribe en DESTINO la página de informe de la red, como\n"
    "               Archivo › Exportar informe...: un documento PDF o una imagen\n"
    "               SVG o PNG (1754 x 1240, 150 ppp) según acabe en .pdf, .svg o\n"
    "               .png; no abre ninguna ventana ni necesita pantalla\n"
    "\n"
    "Admite además las opciones de Qt, como -platform NOMBRE, -style NOMBRE\n"
    "o -reverse.\n"
    "\n"
    "Las mismas redes y órdenes sin ventanas: nrv-cli.\n";

// The options that Qt takes out of the command line (the application and
// the platform plugins), and whether the next argument is their value.
struct OpcionQt {
  std::string_view nombre;
  bool bValor;
};
constexpr OpcionQt kOpcionesQt[] = {
    {"-platform", true},           {"-platformpluginpath", true}, {"-platformtheme", true},
    {"-plugin", true},             {"-qwindowgeometry", true},    {"-qwindowicon", true},
    {"-qwindowtitle", true},       {"-geometry", true},           {"-icon", true},
    {"-title", true},              {"-display", true},            {"-name", true},
    {"-session", true},            {"-style", true},              {"-stylesheet", true},
    {"-qmljsdebugger", false},     {"-reverse", false},           {"-widgetcount", false},
    {"-nograb", false},            {"-dograb", false},            {"-sync", false},
    {"-testability", false},
};

const OpcionQt* BuscarOpcionQt(std::string_view arg) {
  if (arg.starts_with("--")) arg.remove_prefix(1);  // Qt takes "--style" as "-style"
  if (const auto igual = arg.find('='); igual != std::string_view::npos) arg = arg.substr(0, igual);  // "-style=fusion"
  for (const OpcionQt& o : kOpcionesQt)
    if (o.nombre == arg) return &o;
  return nullptr;
}

enum class Arranque { Ventana, Ayuda, Version, Rechazo, Informe, InformeIncompleto };

// Read before Qt starts: the help and the version need no display, and an
// option that neither nrv nor Qt knows is refused, not taken for a file.
Arranque ExaminarArgumentos(int argc, char** argv, std::string& strRechazada) {
  // The report page takes the whole line: the network and the destination.
  if (argc > 1 && std::string_view(argv[1]) == "--informe")
    return argc == 4 ? Arranque::Informe : Arranque::InformeIncompleto;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--") break;
    if (arg.size() < 2 || arg[0] != '-') continue;
    if (arg == "--help" || arg == "-h") return Arranque::Ayuda;
    if (arg == "--version") return Arranque::Version;
    if (arg == "--informe") return Arranque::InformeIncompleto;
    const OpcionQt* pOpcion = BuscarOpcionQt(arg);
    if (!pOpcion) {
      strRechazada = arg;
      return Arranque::Rechazo;
    }
    if (pOpcion->bValor && arg.find('=') == std::string_view::npos) ++i;
  }
  return Arranque::Ventana;
}

int Escribir(const char* texto) {
  std::fputs(texto, stdout);
  return std::fflush(stdout) != 0 || std::ferror(stdout) ? 1 : 0;
}

int Rechazar(const std::string& strOpcion) {
  // A Qt option left over is one that this platform plugin does not take.
  const char* pszMotivo = BuscarOpcionQt(strOpcion) ? "opción que esta plataforma no admite" : "opción desconocida";
  std::fprintf(stderr, "nrv: %s: %s\n«nrv --help» da más detalles.\n", pszMotivo, strOpcion.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string strRechazada;
  switch (ExaminarArgumentos(argc, argv, strRechazada)) {
    case Arranque::Ayuda:
      return Escribir(kAyuda);
    case Arranque::Version:
      return Escribir("nrv " NRV_VERSION "\n" NRV_AVISO_VERSION);
    case Arranque::Rechazo:
      return Rechazar(strRechazada);
    case Arranque::InformeIncompleto:
      std::fputs("nrv: --informe va primero y le siguen la red y el destino: nrv --informe RED.nrv DESTINO\n"
                 "«nrv --help» da más detalles.\n",
                 stderr);
      return 2;
    case Arranque::Informe: {
      // No window and no display: the page is drawn offscreen, and Qt's
      // warnings of the session (its runtime folder) are not this run's.
      qputenv("QT_QPA_PLATFORM", "offscreen");
      qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext& contexto, const QString& texto) {
        if (tipo == QtCriticalMsg || tipo == QtFatalMsg) std::fprintf(stderr, "nrv: %s\n", qPrintable(texto));
        (void)contexto;
      });
      CAplicacionQt qapp(argc, argv);
      return InformeSinVentana(argv[2], argv[3]);
    }
    case Arranque::Ventana:
      break;
  }

  CAplicacionQt qapp(argc, argv);
  // What Qt left is the network to open; an option that this platform did
  // not take is refused before any window opens.
  QStringList argumentos = QApplication::arguments();
  argumentos.removeFirst();
  QStringList ficheros;
  bool bSoloFicheros = false;
  for (const QString& a : argumentos) {
    if (!bSoloFicheros && a == QLatin1String("--")) {
      bSoloFicheros = true;
    } else if (!bSoloFicheros && a.size() > 1 && a.startsWith(QLatin1Char('-'))) {
      return Rechazar(a.toStdString());
    } else {
      ficheros.append(a);
    }
  }
  int resultado = 1;
  {
    CNodusApp app;
    if (app.InitInstance(ficheros)) resultado = QApplication::exec();
  }
  return resultado;
}
