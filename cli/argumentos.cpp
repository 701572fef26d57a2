#include "cli/argumentos.h"

#include <algorithm>
#include <cstring>

#include "cli/ordenes.h"
#include "framework/texto.h"
#include "network/dialogos.h"
#include "network/parametros.h"

namespace {

// The defaults shown are the dialog's own.
std::string AyudaNueva() {
  const CNuevaRedDlg::Valores v = CNuevaRedDlg::ValoresGuardados();
  // One line per parameter of the table, its default the dialog's.
  const double omision[NUM_PARAMETROS] = {double(v.nOcultas), v.dAprendizaje, v.dMomento, v.dErrorMaximo,
                                          double(v.nMaxEpocas)};
  auto OpcionesParametros = [&] {
    std::string r;
    for (int i = 0; i < NUM_PARAMETROS; ++i) {
      const DefinicionParametro& p = kParametrosRed[i];
      std::string izq = "  --" + std::string(p.strOpcion) + " " + p.strValor;
      izq.resize(20, ' ');
      r += izq + p.strDescripcion + " (" + TextoParametro(omision[i]) + "; de " + TextoParametro(p.dMinimo) + " a " +
           TextoParametro(p.dMaximo) + ")\n";
    }
    return r;
  };
  return "Crea una red nueva y la guarda en RED.nrv. Las entradas y las salidas de la\n"
         "red son las de los ficheros de datos; los pesos iniciales son aleatorios.\n"
         "Los valores se comprueban igual que en el diálogo «Nuevo NRV: Datos de\n"
         "entrenamiento», con sus mismos mensajes. Las rutas de los ficheros de datos\n"
         "se guardan en la red tal como se escriben: si son relativas, se buscan desde\n"
         "la carpeta en que se entrene o verifique.\n"
         "\n"
         "Opciones (entre paréntesis, el valor por omisión y los valores admitidos):\n"
         + OpcionesParametros() +
         "  --reemplazar      sustituye RED.nrv si ya existe\n"
         "\n"
         "Opciones de la red (sin ellas, la red es la de siempre, byte a byte):\n"
         "  --semilla N       los pesos iniciales, de la secuencia del generador desde\n"
         "                    N (de 0 a 4294967295; 1 da los de siempre); la semilla\n"
         "                    se guarda con la red y también ordena --barajar\n"
         "  --prueba FICHERO  fichero de prueba: no se usa para entrenar ni para\n"
         "                    parar; al acabar cada entrenamiento la red se mide en él\n"
         "                    una vez, y sus cifras se guardan con la red (info)\n"
         "  --paciencia N     para también cuando el error total de verificación no\n"
         "                    mejora en N épocas (de 1 a 400), y la red vuelve a los\n"
         "                    pesos de su mejor época\n"
         "  --barajar         las muestras de entrenamiento, en otro orden en cada\n"
         "                    época (fijado por la semilla)\n"
         "  --medir-entrenamiento mide también, al final de cada época, el fichero\n"
         "                    de entrenamiento (error máximo, error total y aciertos)\n"
         "                    y los aciertos de cada clase en el de verificación, y lo\n"
         "                    guarda con la red (info --json, historial --json)\n"
         "\n"
         "Los números se escriben con punto decimal (0.5), sea cual sea el idioma.\n";
}

const char* const kAyudaEntrenar =
    "Entrena la red desde la época en que está, con sus ficheros de datos, y la\n"
    "guarda en el mismo fichero. Escribe una línea por época (número de época,\n"
    "error máximo, error total y tasa de aciertos sobre el fichero de\n"
    "verificación) y, una vez guardada la red, añade el bloque del entrenamiento\n"
    "a HNRV.TXT en la carpeta actual (si no se puede escribir, lo dice y la red\n"
    "queda guardada). Una red que otro programa está entrenando se rechaza.\n"
    "Una ruta de datos relativa que no está en la carpeta actual se busca en la\n"
    "carpeta de la red (véase «nrv-cli ficheros»).\n"
    "\n"
    "El entrenamiento acaba cuando el error máximo de una época queda por debajo\n"
    "del error máximo por muestra, al llegar al número máximo de épocas, o con\n"
    "Ctrl+C: la época en curso se termina, se registra y la red se guarda, como\n"
    "con la orden Detener; el código de salida es entonces 0, y otro\n"
    "«nrv-cli entrenar» continúa desde esa época. Un segundo Ctrl+C sale en el\n"
    "acto sin guardar (código 130): RED.nrv queda como estaba antes.\n"
    "\n"
    "Opciones:\n"
    "  --hilos N         hilos de cálculo para la capa oculta, de 1 a 64 (por\n"
    "                    omisión, automático: varios solo en una red grande,\n"
    "                    mientras compensen y ninguna otra red entrene a la vez).\n"
    "                    El resultado es el mismo, bit a bit, con cualquier número.\n"
    "  --mas-epocas N    sube el número máximo de épocas en N antes de entrenar,\n"
    "                    también a una red que ya las ha completado: sigue donde\n"
    "                    se quedó, como una sola ejecución más larga (hasta 1000000\n"
    "                    en total; no a una red entrenada ni a una que volvió a su\n"
    "                    mejor época por la paciencia)\n";

const char* const kAyudaVerificar =
    "Mide la red sobre el fichero de datos DATOS con sus pesos actuales y escribe\n"
    "las cuatro líneas del diálogo «Resultados de Verificación»: Fichero,\n"
    "Nº Muestras, Tasa Aciertos y Error Total. La red no cambia.\n"
    "\n"
    "Opciones:\n"
    "  --matriz           añade la matriz de confusión: en cada fila, las muestras\n"
    "                     de una salida ganadora del objetivo; en cada columna, las\n"
    "                     de una ganadora de la red; con la sensibilidad y la\n"
    "                     precisión de cada una (la diagonal son los aciertos)\n"
    "  --json             escribe los resultados en JSON, para otros programas\n"
    "  --esquema FICHERO  nombra las salidas con las clases del esquema; DATOS\n"
    "                     puede ser entonces una tabla (véase «nrv-cli importar»);\n"
    "                     con salidas numéricas, da además el RMSE, el MAE y el\n"
    "                     R² de cada salida en las unidades de la tabla\n";

const char* const kAyudaImportar =
    "Convierte la tabla TABLA en el fichero de datos DESTINO, de texto o binario\n"
    "según su nombre (binario si lleva .bin o .ie3). La tabla es texto\n"
    "delimitado (CSV, con las comillas de RFC 4180), UTF-8, con fin de línea LF o\n"
    "CR LF. Se detectan el separador (coma, punto y coma o tabulador), la marca\n"
    "decimal (coma si el separador es punto y coma y las celdas llevan comas) y\n"
    "la fila de cabecera (la primera fila tiene un texto donde la segunda tiene\n"
    "un número); cada uno se puede imponer.\n"
    "\n"
    "Las salidas son la columna de la clase, con una salida por clase (1 en la\n"
    "de la muestra y 0 en las demás), o las últimas N columnas numéricas. Las\n"
    "demás columnas son las entradas, escaladas a [0, 1] por su mínimo y su\n"
    "máximo en la tabla; las salidas numéricas, igual.\n"
    "\n"
    "El esquema (columnas, escalas y clases en orden) se escribe en el fichero\n"
    "de --esquema si no existe, y se aplica tal cual si existe: así la tabla de\n"
    "verificación y los datos nuevos llevan la escala y el orden de clases de la\n"
    "tabla de entrenamiento.\n"
    "\n"
    "Opciones:\n"
    "  --esquema FICHERO  esquema (JSON): se escribe si no existe, se aplica si\n"
    "                     existe\n"
    "  --clase COLUMNA    la columna de la clase: su nombre en la cabecera o su\n"
    "                     número (desde 1); por omisión, la última si no es\n"
    "                     numérica\n"
    "  --salidas N        las últimas N columnas numéricas son las salidas\n"
    "  --separador C      «,», «;» o «tab»\n"
    "  --decimal C        «.» o «,»\n"
    "  --cabecera         la primera fila es la cabecera\n"
    "  --sin-cabecera     la primera fila ya es de datos\n"
    "  --escala E         minmax (por omisión) o ninguna\n"
    "  --particion E,V,P  parte la tabla en tres ficheros de datos junto a\n"
    "                     DESTINO (iris.txt da iris-entrenamiento.txt,\n"
    "                     iris-verificacion.txt e iris-prueba.txt) con esos\n"
    "                     porcentajes (enteros que suman 100); la escala sale\n"
    "                     solo de las filas de entrenamiento\n"
    "  --semilla N        el orden de las filas al partir (1 por omisión): la\n"
    "                     misma semilla da las mismas partes\n"
    "  --estratificar     cada clase conserva su proporción en cada parte, con\n"
    "                     una muestra de diferencia como mucho\n"
    "\n"
    "Una fila con otro número de celdas que la cabecera, una entrada que no es\n"
    "un número o no es finita, una tabla sin filas, unas comillas sin cerrar,\n"
    "una clase que el esquema no conoce o una columna del esquema que falta en\n"
    "la tabla: se dice dónde (línea y columna), el código es 1 y no se escribe\n"
    "nada.\n";

const char* const kAyudaAplicar =
    "Aplica la red a las muestras de DATOS y escribe los resultados en CSV en\n"
    "SALIDA, o en la salida estándar: una cabecera y una fila por muestra con su\n"
    "número (muestra), las salidas de la red, la salida ganadora (ganadora) y,\n"
    "si se conocen los objetivos, la ganadora del objetivo (objetivo) y si\n"
    "coinciden (acierto, 1 o 0). La proporción de aciertos es la tasa que da\n"
    "«nrv-cli verificar» con el mismo fichero.\n"
    "\n"
    "DATOS es un fichero de datos o, con --esquema, una tabla con las columnas\n"
    "del esquema, con o sin las de salida; las salidas llevan entonces los\n"
    "nombres de las clases, y las numéricas vuelven a sus unidades. Con\n"
    "--esquema, un fichero de datos binario, o de texto que empiece por un\n"
    "comentario (como los que escribe importar), se lee como fichero de datos.\n"
    "\n"
    "Opciones:\n"
    "  --esquema FICHERO  el esquema con que se importaron los datos de la red\n";

const char* const kAyudaHistorial =
    "Guarda en SALIDA el historial de las épocas completadas: una línea por\n"
    "época con su número, el error máximo, el error total y la tasa de aciertos,\n"
    "separados por tabuladores y con coma decimal. Si SALIDA existe, se\n"
    "sustituye.\n"
    "\n"
    "Opciones:\n"
    "  --csv   en CSV, para programas de gráficas y hojas de cálculo: la cabecera\n"
    "          epoca,error_maximo,error_total,tasa_aciertos, una fila por época,\n"
    "          punto decimal con todas las cifras de cada valor y fin de línea LF\n"
    "  --json  en JSON: un objeto por época con epoca, error_maximo, error_total\n"
    "          y tasa_aciertos y, en una red creada con --medir-entrenamiento,\n"
    "          entrenamiento (las mismas cifras del fichero de entrenamiento),\n"
    "          aciertos_clase (la tasa de cada clase en la verificación) y\n"
    "          matriz (su matriz de confusión); null en una época no medida\n";

const char* const kAyudaExportar =
    "Escribe la red en DESTINO como un fichero de C99 autónomo: su forma, los\n"
    "pesos como literales hexadecimales exactos, la tabla de la sigmoide y la\n"
    "función\n"
    "\n"
    "    void PREFIJO_propagar(const double *entradas, double *salidas);\n"
    "\n"
    "que propaga cada muestra como nrv y en su mismo orden, y PREFIJO_ganadora, la\n"
    "salida ganadora. Compilado con cualquier compilador de C99 y\n"
    "-ffp-contract=off (cc -std=c99 -ffp-contract=off), da para cada entrada los\n"
    "mismos bits que nrv. Si DESTINO existe, se sustituye.\n"
    "\n"
    "Opciones:\n"
    "  --nombre PREFIJO   prefijo de los nombres del fichero, un identificador de\n"
    "                     C; por omisión, el nombre de DESTINO sin la extensión\n"
    "  --esquema FICHERO  añade PREFIJO_escalar, que escala las medidas en bruto\n"
    "                     como el esquema con que se importaron los datos, y\n"
    "                     PREFIJO_clases, los nombres de las clases (con salidas\n"
    "                     numéricas, PREFIJO_desescalar y sus nombres)\n";

const char* const kAyudaCurvas =
    "Dibuja en DESTINO, en SVG, las tres gráficas del entrenamiento como las\n"
    "muestra la vista de la red: el error máximo, el error total y la tasa de\n"
    "aciertos de cada época, con sus ejes, sus líneas de referencia y sus\n"
    "colores, y el título y el último valor de cada una. Como en la vista, la\n"
    "gráfica del error total aparece cuando su último valor baja de 8. Si\n"
    "DESTINO existe, se sustituye.\n"
    "\n"
    "Opciones:\n"
    "  --informe   escribe en su lugar la página de informe de nrv (Archivo ›\n"
    "              Exportar informe...): el nombre, la forma, los parámetros, los\n"
    "              ficheros y las cifras finales de la red y sus tres gráficas\n"
    "              con ejes, en una página A4 apaisada; un documento PDF o una\n"
    "              imagen SVG o PNG según acabe DESTINO en .pdf, .svg o .png. La\n"
    "              dibuja el programa nrv (nrv --informe), sin ventanas ni\n"
    "              pantalla; ha de estar instalado junto a nrv-cli o en el PATH\n";

const char* const kAyudaPesos =
    "Guarda en SALIDA los pesos de la red: primero la capa oculta, después la de\n"
    "salida, una fila de pesos por neurona con el peso del umbral al final. Si la\n"
    "extensión de SALIDA es exactamente .bin o .ie3, en binario (números de\n"
    "precisión simple, 4 bytes cada uno); si no, en texto, con cuatro decimales.\n"
    "Si SALIDA existe, se sustituye.\n";

const char* const kAyudaInfo =
    "Muestra la forma de la red, sus parámetros de entrenamiento, las épocas\n"
    "completadas, su estado y sus ficheros de datos; si los tiene, su semilla,\n"
    "su paciencia, su fichero de prueba y las cifras de la última medida en él\n"
    "(en JSON: semilla, paciencia, barajar, fichero_prueba y prueba, con los\n"
    "nombres de «verificar --json»; null si no los tiene). De una red creada con\n"
    "--medir-entrenamiento, también las cifras de su última época en el fichero\n"
    "de entrenamiento (en JSON: medir_entrenamiento y ultima_epoca_entrenamiento).\n"
    "\n"
    "Opciones:\n"
    "  --json   escribe la información en JSON, para otros programas\n";

const char* const kAyudaFicheros =
    "Muestra los ficheros de datos de la red o, con las opciones, los cambia y\n"
    "guarda la red. Cada fichero nuevo debe abrirse y tener las entradas y las\n"
    "salidas de la red; se guarda la ruta tal como se da. Una red que otro\n"
    "programa está entrenando se rechaza.\n"
    "\n"
    "Una ruta relativa que no está en la carpeta actual se busca en la carpeta\n"
    "de la red.\n"
    "\n"
    "Opciones:\n"
    "  --entrenamiento F   el nuevo fichero de entrenamiento\n"
    "  --verificacion F    el nuevo fichero de verificación\n";

const char* const kAyudaExperimento =
    "Hace las ejecuciones del plan PLAN.json en la carpeta CARPETA: cada una es\n"
    "una red nueva, entrenada y medida como con «nrv-cli nueva», «entrenar» y\n"
    "«verificar», en su propia carpeta CARPETA/NNNN (su número desde 0, con\n"
    "cuatro cifras o más) con sus ficheros de datos, la red (red.nrv), su\n"
    "historial (historial.csv), su bloque de HNRV.TXT y resultado.json: los\n"
    "parámetros, la semilla y las cifras de verificación y de prueba con los\n"
    "nombres de «verificar --json».\n"
    "\n"
    "El plan es un objeto JSON:\n"
    "  \"entrenamiento\", \"verificacion\", \"prueba\"  los ficheros de datos (el de\n"
    "                     prueba se mide una vez al final; puede faltar); las\n"
    "                     rutas relativas, desde la carpeta del plan\n"
    "  \"tabla\"            o una tabla (CSV) que cada ejecución reparte con su\n"
    "                     semilla, como «importar --particion»:\n"
    "    \"particion\"        [entrenamiento, verificación, prueba] en %\n"
    "                     ([70, 15, 15] por omisión), o\n"
    "    \"validacion_cruzada\"  K pliegues: una ejecución por pliegue, que es\n"
    "                     la prueba; \"verificacion\" es la fracción del resto\n"
    "                     que verifica (0.15 por omisión)\n"
    "    \"estratificar\"     true: cada clase en su proporción en cada parte\n"
    "    \"esquema\"          el esquema que se aplica (si falta, cada ejecución\n"
    "                     hace el suyo con sus filas de entrenamiento)\n"
    "    \"clase\", \"salidas\"  como --clase y --salidas de «importar»\n"
    "  \"rejilla\"          valores de ocultas, aprendizaje, momento, error,\n"
    "                     epocas, paciencia (0: sin ella) y barajar (true o\n"
    "                     false), un valor o una lista; los que falten, los del\n"
    "                     diálogo de red nueva, sin paciencia y sin barajar\n"
    "  \"semilla\", \"repeticiones\"  semillas semilla, semilla+1... (1 y 1 por\n"
    "                     omisión), o \"semillas\": [lista]; la semilla de una\n"
    "                     ejecución da sus pesos y el reparto de la tabla\n"
    "  \"comparar\"         \"tasa_aciertos\" (por omisión) o \"error_total\"\n"
    "\n"
    "Orden de las ejecuciones: las configuraciones como bucles anidados de\n"
    "ocultas, aprendizaje, momento, error, epocas, paciencia y barajar (el\n"
    "último, el más interno), con los valores en el orden del plan; dentro de\n"
    "cada una, sus semillas, y dentro de cada semilla, sus pliegues.\n"
    "\n"
    "Las ejecuciones van en paralelo. Ctrl+C deja terminar las que están en\n"
    "curso (otro Ctrl+C las interrumpe); la misma orden otra vez salta las\n"
    "terminadas y rehace las que quedaron a medias.\n"
    "\n"
    "Opciones:\n"
    "  --trabajos N   ejecuciones a la vez (por omisión, los procesadores que el\n"
    "                 proceso puede usar, y no más que SLURM_CPUS_PER_TASK)\n"
    "  --listar       escribe las ejecuciones, una por línea, sin hacer ninguna\n"
    "  --tarea I      hace solo la ejecución I (por omisión, la de\n"
    "                 SLURM_ARRAY_TASK_ID si existe), para sbatch --array o\n"
    "                 GNU parallel; el resultado es el mismo, bit a bit\n";

const char* const kAyudaResumen =
    "Resume las ejecuciones terminadas de CARPETA (también de un experimento a\n"
    "medias): una fila por configuración con su número de ejecuciones y la media\n"
    "y la desviación típica de la tasa de aciertos y el error total de\n"
    "verificación y de prueba, las épocas y los segundos de entrenamiento. La\n"
    "mejor configuración lleva un asterisco: la de mejor media en la prueba, o\n"
    "en la verificación si no hay prueba. Cuando los datos cambian de una\n"
    "repetición a otra, cada configuración se compara con la mejor con la prueba\n"
    "t corregida por remuestreo de Nadeau y Bengio (t y su valor p).\n"
    "\n"
    "Opciones:\n"
    "  --csv    en CSV, con todas las cifras de cada valor\n"
    "  --json   en JSON, para otros programas\n";

// The commands, in the order of the tool's help. A new command is one more
// entry here: the parser, the dispatch, the help and the completion follow.
const std::vector<DefinicionOrden> kOrdenes = {
    {"nueva",
     OrdenNueva,
     {{"RED.nrv", "red"}, {"ENTRENAMIENTO", "datos"}, {"VERIFICACION", "datos"}},
     {},
     {{"ocultas", "-"},
      {"aprendizaje", "-"},
      {"momento", "-"},
      {"error", "-"},
      {"epocas", "-"},
      {"reemplazar", nullptr},
      {"semilla", "-"},
      {"prueba", "datos"},
      {"paciencia", "-"},
      {"barajar", nullptr},
      {"medir-entrenamiento", nullptr}},
     "crea una red a partir de sus ficheros de entrenamiento y verificación",
     AyudaNueva},
    {"entrenar",
     OrdenEntrenar,
     {{"RED.nrv", "red"}},
     {},
     {{"hilos", "-"}, {"mas-epocas", "-"}},
     "entrena la red desde donde está y la guarda",
     kAyudaEntrenar},
    {"verificar",
     OrdenVerificar,
     {{"RED.nrv", "red"}, {"DATOS", "entrada"}},
     {},
     {{"matriz", nullptr}, {"json", nullptr}, {"esquema", "esquema"}},
     "mide la red sobre un fichero de datos",
     kAyudaVerificar},
    {"historial",
     OrdenHistorial,
     {{"RED.nrv", "red"}, {"SALIDA", "fichero"}},
     {},
     {{"csv", nullptr}, {"json", nullptr}},
     "guarda el historial de entrenamiento",
     kAyudaHistorial},
    {"pesos",
     OrdenPesos,
     {{"RED.nrv", "red"}, {"SALIDA", "fichero"}},
     {},
     {},
     "guarda los pesos (texto, o binario con .bin o .ie3)",
     kAyudaPesos},
    {"info",
     OrdenInfo,
     {{"RED.nrv", "red"}},
     {},
     {{"json", nullptr}},
     "muestra la forma, los parámetros y el estado de la red",
     kAyudaInfo},
    {"ficheros",
     OrdenFicheros,
     {{"RED.nrv", "red"}},
     {},
     {{"entrenamiento", "datos"}, {"verificacion", "datos"}},
     "muestra o cambia los ficheros de datos de la red",
     kAyudaFicheros},
    {"importar",
     OrdenImportar,
     {{"TABLA", "tabla"}, {"DESTINO", "datos"}},
     {},
     {{"esquema", "esquema"},
      {"clase", "-"},
      {"salidas", "-"},
      {"separador", "-"},
      {"decimal", "-"},
      {"cabecera", nullptr},
      {"sin-cabecera", nullptr},
      {"escala", "minmax|ninguna"},
      {"particion", "-"},
      {"semilla", "-"},
      {"estratificar", nullptr}},
     "convierte una tabla (CSV) en un fichero de datos, con su esquema",
     kAyudaImportar},
    {"aplicar",
     OrdenAplicar,
     {{"RED.nrv", "red"}, {"DATOS", "entrada"}},
     {{"SALIDA", "tabla"}},
     {{"esquema", "esquema"}},
     "escribe las salidas de la red para cada muestra (CSV)",
     kAyudaAplicar},
    {"exportar",
     OrdenExportar,
     {{"RED.nrv", "red"}, {"DESTINO.c", "c"}},
     {},
     {{"esquema", "esquema"}, {"nombre", "-"}},
     "escribe la red como código C que da los mismos resultados",
     kAyudaExportar},
    {"curvas",
     OrdenCurvas,
     {{"RED.nrv", "red"}, {"DESTINO.svg", "svg"}},
     {},
     {{"informe", nullptr}},
     "dibuja las gráficas del entrenamiento en SVG",
     kAyudaCurvas},
    {"experimento",
     OrdenExperimento,
     {{"PLAN.json", "plan"}, {"CARPETA", "carpeta"}},
     {},
     {{"trabajos", "-"}, {"tarea", "-"}, {"listar", nullptr}},
     "hace las ejecuciones de un plan (rejilla de parámetros y semillas)",
     kAyudaExperimento},
    {"resumen",
     OrdenResumen,
     {{"CARPETA", "carpeta"}},
     {},
     {{"csv", nullptr}, {"json", nullptr}},
     "resume un experimento por configuración",
     kAyudaResumen},
};

}  // namespace

const std::vector<DefinicionOrden>& Ordenes() { return kOrdenes; }

const Opcion* DefinicionOrden::BuscarOpcion(const std::string& nombreOpcion) const {
  for (const auto& o : opciones)
    if (nombreOpcion == o.nombre) return &o;
  return nullptr;
}

const DefinicionOrden* BuscarOrden(const std::string& nombre) {
  for (const auto& o : kOrdenes)
    if (nombre == o.nombre) return &o;
  return nullptr;
}

bool LineaOrdenes::Tiene(const std::string& interruptor) const {
  return std::find(interruptores.begin(), interruptores.end(), interruptor) != interruptores.end();
}

bool AnalizarArgumentos(int argc, char** argv, LineaOrdenes& linea, std::string& error) {
  linea = LineaOrdenes();
  int i = 1;
  // Before the command only the tool's own help and version are known.
  if (i < argc && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)) {
    linea.bAyuda = true;
    return true;
  }
  if (i < argc && std::strcmp(argv[i], "--version") == 0) {
    linea.bVersion = true;
    return true;
  }
  if (i >= argc) {
    error = "falta la orden";
    return false;
  }
  std::string nombre = argv[i++];
  if (nombre == "help" || nombre == "ayuda") {
    // "nrv-cli help [ORDEN]"
    linea.bAyuda = true;
    if (i < argc) {
      linea.pOrden = BuscarOrden(argv[i]);
      if (!linea.pOrden) {
        error = "orden desconocida: " + std::string(argv[i]);
        return false;
      }
      ++i;
    }
    if (i < argc) {
      error = "sobra el argumento " + std::string(argv[i]);
      return false;
    }
    return true;
  }
  linea.pOrden = BuscarOrden(nombre);
  if (!linea.pOrden) {
    error = nombre.rfind("-", 0) == 0 ? "opción desconocida: " + nombre : "orden desconocida: " + nombre;
    return false;
  }
  const DefinicionOrden& orden = *linea.pOrden;
  bool bSoloPosicionales = false;
  for (; i < argc; ++i) {
    std::string arg = argv[i];
    if (bSoloPosicionales || arg.size() < 2 || arg[0] != '-') {
      linea.posicionales.push_back(arg);
      continue;
    }
    if (arg == "--") {
      bSoloPosicionales = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      linea.bAyuda = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) {
      error = "opción desconocida: " + arg;
      return false;
    }
    std::string nombreOpcion = arg.substr(2);
    std::string valor;
    bool bConValor = false;
    if (auto igual = nombreOpcion.find('='); igual != std::string::npos) {
      valor = nombreOpcion.substr(igual + 1);
      nombreOpcion.resize(igual);
      bConValor = true;
    }
    const Opcion* opcion = orden.BuscarOpcion(nombreOpcion);
    if (opcion && opcion->valor) {
      if (!bConValor) {
        if (i + 1 >= argc) {
          error = "falta el valor de --" + nombreOpcion;
          return false;
        }
        valor = argv[++i];
      }
      // Two values of one option: which one was meant cannot be known.
      if (!linea.opciones.emplace(nombreOpcion, valor).second) {
        error = FormatC("la opción --%s se ha dado dos veces", nombreOpcion.c_str());
        return false;
      }
    } else if (opcion) {
      if (bConValor) {
        error = "la opción --" + nombreOpcion + " no lleva valor";
        return false;
      }
      linea.interruptores.push_back(nombreOpcion);
    } else {
      error = "opción desconocida: " + arg;
      return false;
    }
  }
  if (linea.bAyuda) return true;
  if (linea.posicionales.size() < orden.posicionales.size()) {
    error = std::string("falta el argumento ") + orden.posicionales[linea.posicionales.size()].nombre;
    return false;
  }
  if (linea.posicionales.size() > orden.posicionales.size() + orden.opcionales.size()) {
    error = "sobra el argumento " + linea.posicionales[orden.posicionales.size() + orden.opcionales.size()];
    return false;
  }
  return true;
}

std::string UsoOrden(const DefinicionOrden& orden) {
  std::string s = std::string("Uso: nrv-cli ") + orden.nombre;
  for (const Argumento& a : orden.posicionales) s += std::string(" ") + a.nombre;
  for (const Argumento& a : orden.opcionales) s += std::string(" [") + a.nombre + "]";
  if (!orden.opciones.empty()) s += " [opciones]";
  return s + "\n";
}

std::string AyudaHerramienta() {
  std::string s =
      "Uso: nrv-cli ORDEN ARGUMENTOS...\n"
      "\n"
      "Perceptrón multicapa sin ventanas: las mismas redes (.nrv) y las mismas\n"
      "operaciones que el programa de ventanas.\n"
      "\n"
      "Órdenes:\n";
  for (const auto& o : kOrdenes) {
    std::string nombre = o.nombre;
    nombre.resize(std::max<std::size_t>(11, nombre.size() + 1), ' ');
    s += "  " + nombre + o.resumen + "\n";
  }
  s +=
      "\n"
      "«nrv-cli ORDEN --help» explica cada orden.\n"
      "\n"
      "Códigos de salida: 0, hecho; 1, la operación ha fallado o no se puede\n"
      "hacer; 2, línea de órdenes incorrecta o valor rechazado; 130, entrenamiento\n"
      "abandonado con un segundo Ctrl+C (la red no se guarda).\n"
      "Los mensajes van a la salida de errores, precedidos de «nrv: ».\n"
      "\n"
      "Opciones:\n"
      "  -h, --help   muestra esta ayuda\n"
      "  --version    muestra la versión del programa\n";
  return s;
}

std::string AyudaOrden(const DefinicionOrden& orden) {
  return UsoOrden(orden) + "\n" + orden.ayuda.Texto();
}

std::string CompletadoOrdenes() {
  std::string s = "_nrv_cli_orden() {\n  case $1 in\n";
  for (const auto& o : kOrdenes) {
    s += std::string("    ") + o.nombre + ")\n      argumentos=(";
    std::string sep;
    for (const auto* lista : {&o.posicionales, &o.opcionales})
      for (const Argumento& a : *lista) {
        s += sep + "'" + a.completado + "'";
        sep = " ";
      }
    s += ")\n      opciones=(";
    sep.clear();
    for (const Opcion& op : o.opciones) {
      s += sep + "'--" + op.nombre + (op.valor ? std::string("=") + op.valor : std::string()) + "'";
      sep = " ";
    }
    s += ") ;;\n";
  }
  s += "    *) return 1 ;;\n  esac\n}\n\n_nrv_cli_ordenes='";
  for (const auto& o : kOrdenes) s += std::string(o.nombre) + " ";
  return s + "help'\n";
}
