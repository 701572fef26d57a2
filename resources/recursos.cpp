#include "resources/recursos.h"

#include <map>

#include "resources/resource.h"

namespace {

// The framework's question before closing a modified document.
constexpr std::uint32_t AFX_IDP_ASK_TO_SAVE = 61699;

const std::map<std::uint32_t, const char*>& Cadenas() {
  static const std::map<std::uint32_t, const char*> cadenas = {
      {IDR_MAINFRAME, "Perceptrón Multicapa"},
      // Fields of the document type: window title, base name of new
      // documents, file-new name, filter, extension, type id, type name.
      {IDR_NRVTYPE,
       "\nNrv \nNRV Nodus Document \nNRV Files (*.nrv)\n.nrv\nNRVNodusDocument\nNodus Document\nNRV \nRed Perceptron\n"},
      {IDS_CREA_HISTORIAL, "Crea el fichero historial"},
      {AFX_IDS_APP_TITLE, "nrv"},
      {AFX_IDS_IDLEMESSAGE, "Preparado"},
      {ID_FILE_NEW, "Crea un nuevo documento\nNuevo"},
      {ID_FILE_OPEN, "Abre un documento ya existente\nAbrir"},
      {ID_FILE_CLOSE, "Cierra el documento activo\nCerrar"},
      {ID_FILE_SAVE, "Guarda el documento activo\nGuardar"},
      {ID_FILE_SAVE_AS, "Guarda el documento activo con un nuevo nombre\nGuardar como"},
      {ID_FILE_PRINT, "Imprime el documento activo\nImprimir"},
      {ID_FILE_PRINT_PREVIEW, "Muestra la página que se imprimirá\nPresentación preliminar"},
      {ID_EXPORTAR_C, "Guarda la red como un fichero fuente en C\nExportar como C"},
      {ID_EXPORTAR_GRAFICAS, "Guarda las gráficas de entrenamiento como imagen PNG, SVG o PDF\nExportar gráficas"},
      {ID_IMPORTAR_DATOS, "Convierte una tabla (CSV) en un fichero de datos, con su esquema\nImportar datos"},
      {ID_EXPERIMENTO,
       "Entrena y mide una rejilla de parámetros con varias semillas o pliegues y resume sus resultados\nExperimento"},
      {ID_MATRIZ_CONFUSION, "Muestra la matriz de confusión de la red con un fichero de datos\nMatriz de confusión"},
      {ID_APLICAR_FICHERO,
       "Calcula las salidas de la red para cada muestra de un fichero y las guarda en CSV\nAplicar a fichero"},
      {ID_EXPORTAR_INFORME, "Guarda la página de informe de la red como PDF, SVG o PNG\nExportar informe"},
      {ID_FICHEROS_DATOS, "Cambia los ficheros de entrenamiento y verificación de la red\nFicheros de datos"},
      {ID_OPCIONES_ENTRENAMIENTO,
       "Cambia la semilla, la paciencia, el barajado y el fichero de prueba de la red\nOpciones de entrenamiento"},
      {ID_MAS_EPOCAS, "Sube el número máximo de épocas de la red para que siga entrenando\nMás épocas"},
      {ID_GRAFICAS, "Muestra las curvas de la red en una ventana con ejes, ampliable, junto a otras redes\nGráficas"},
      {ID_FILE_MRU_FILE1, "Abre este documento"},
      {ID_FILE_MRU_FILE1 + 1, "Abre este documento"},
      {ID_FILE_MRU_FILE1 + 2, "Abre este documento"},
      {ID_FILE_MRU_FILE1 + 3, "Abre este documento"},
      {ID_APP_EXIT, "Sale de la aplicación; le pide que guarde los documentos\nSalir"},
      {ID_APP_ABOUT, "Muestra información del programa, número de versión y copyright\nAcerca de"},
      {ID_VIEW_TOOLBAR, "Muestra u oculta la barra de herramientas\nAlternar Barra de herramientas"},
      {ID_VIEW_STATUS_BAR, "Muestra u oculta la barra de estado\nAlternar Barra de estado"},
      {ID_WINDOW_CASCADE, "Organiza las ventanas de modo que se superpongan\nVentanas en cascada"},
      {ID_WINDOW_TILE_HORZ, "Organiza las ventanas como mosaicos que no se superponen\nVentanas en mosaico"},
      {ID_INDICATOR_CAPS, "MAY"},
      {ID_INDICATOR_NUM, "NUM"},
      {ID_INDICATOR_SCRL, "DESP"},
      {AFX_IDP_ASK_TO_SAVE, "¿Guardar cambios a %1?"},
  };
  return cadenas;
}

using E = ElementoMenu;
using T = TipoElementoMenu;

E Item(const char* texto, std::uint32_t id, bool gris = false) { return {T::Comando, texto, id, gris, {}}; }
E Separador() { return {T::Separador, "", 0, false, {}}; }
E Popup(const char* texto, std::vector<E> elementos) { return {T::Popup, texto, 0, false, std::move(elementos)}; }

const std::vector<MenuRecurso>& Menus() {
  static const std::vector<MenuRecurso> menus = {
      {IDR_MAINFRAME,
       {
           Popup("&Archivo", {Item("&Nuevo...\tCtrl+N", ID_FILE_NEW), Item("&Abrir...\tCtrl+A", ID_FILE_OPEN),
                              Item("&Importar datos...", ID_IMPORTAR_DATOS),
                              Item("E&xperimento...", ID_EXPERIMENTO), Separador(),
                              Item("Archivo reciente", ID_FILE_MRU_FILE1, true), Separador(), Item("&Salir", ID_APP_EXIT)}),
           Popup("&Ver", {Item("Barra de &herramientas", ID_VIEW_TOOLBAR),
                          Item("Barra de &estado", ID_VIEW_STATUS_BAR)}),
           Popup("Ay&uda", {Item("&Acerca de nodus...", ID_APP_ABOUT), Item("&Temas de ayuda", ID_TEMAS_AYUDA)}),
       }},
      {IDR_NRVTYPE,
       {
           Popup("&Archivo",
                 {Item("&Nuevo...\tCtrl+N", ID_FILE_NEW), Item("&Abrir...\tCtrl+A", ID_FILE_OPEN),
                  Item("&Cerrar", ID_FILE_CLOSE), Item("&Guardar\tCtrl+G", ID_FILE_SAVE),
                  Item("Guardar c&omo...", ID_FILE_SAVE_AS), Item("Guardar &historial...", ID_GUARDAR_HISTORIAL),
                  Item("Guardar &pesos...", ID_GUARDAR_PESOS), Item("&Exportar como C...", ID_EXPORTAR_C),
                  Item("Exportar g&ráficas...", ID_EXPORTAR_GRAFICAS),
                  Item("&Importar datos...", ID_IMPORTAR_DATOS), Item("E&xperimento...", ID_EXPERIMENTO),
                  Separador(),
                  Item("Presentación preli&minar", ID_FILE_PRINT_PREVIEW), Item("Im&primir...\tCtrl+P", ID_FILE_PRINT),
                  Item("Exportar in&forme...", ID_EXPORTAR_INFORME),
                  Separador(),
                  Item("Archivo reciente", ID_FILE_MRU_FILE1, true), Separador(), Item("&Salir", ID_APP_EXIT)}),
           Popup("&Ver", {Item("Barra de &herramientas", ID_VIEW_TOOLBAR),
                          Item("Barra de &estado", ID_VIEW_STATUS_BAR)}),
           Popup("Ven&tana", {Item("&Cascada", ID_WINDOW_CASCADE), Item("&Mosaico", ID_WINDOW_TILE_HORZ),
                              Item("C&errar todas", ID_CERRAR_TODAS)}),
           Popup("&NRV", {Item("&Entrenar", ID_ENTRENAR), Item("&Detener", ID_DETENER),
                          Item("&Verificar...", ID_VERIFICAR), Item("&Matriz de confusión...", ID_MATRIZ_CONFUSION),
                          Item("&Aplicar a fichero...", ID_APLICAR_FICHERO), Item("&Gráficas", ID_GRAFICAS),
                          Item("&Ficheros de datos...", ID_FICHEROS_DATOS),
                          Item("&Opciones de entrenamiento...", ID_OPCIONES_ENTRENAMIENTO),
                          Item("Más é&pocas...", ID_MAS_EPOCAS)}),
           Popup("Ay&uda", {Item("&Acerca de nodus...", ID_APP_ABOUT), Item("&Temas de ayuda", ID_TEMAS_AYUDA)}),
       }},
  };
  return menus;
}

}  // namespace

std::string AfxCargarCadena(std::uint32_t id) {
  auto it = Cadenas().find(id);
  return it == Cadenas().end() ? std::string() : std::string(it->second);
}

std::string AfxPrompt(std::uint32_t id) {
  std::string s = AfxCargarCadena(id);
  return s.substr(0, s.find('\n'));
}

std::string AfxTooltip(std::uint32_t id) {
  std::string s = AfxCargarCadena(id);
  auto n = s.find('\n');
  return n == std::string::npos ? std::string() : s.substr(n + 1);
}

const MenuRecurso* AfxBuscarMenu(std::uint32_t id) {
  for (const auto& m : Menus())
    if (m.id == id) return &m;
  return nullptr;
}

const std::vector<Acelerador>& AfxAceleradores(std::uint32_t id) {
  static const std::vector<Acelerador> tabla = {
      {"Ctrl+N", ID_FILE_NEW},         {"Ctrl+A", ID_FILE_OPEN},       {"Ctrl+G", ID_FILE_SAVE},
      {"Ctrl+P", ID_FILE_PRINT},       {"Ctrl+Z", ID_EDIT_UNDO},       {"Alt+Backspace", ID_EDIT_UNDO},
      {"Ctrl+X", ID_EDIT_CUT},         {"Shift+Del", ID_EDIT_CUT},     {"Ctrl+C", ID_EDIT_COPY},
      {"Ctrl+Ins", ID_EDIT_COPY},      {"Ctrl+V", ID_EDIT_PASTE},      {"Shift+Ins", ID_EDIT_PASTE},
      {"F6", ID_NEXT_PANE},            {"Shift+F6", ID_PREV_PANE},
      // The desktop's usual keys for the same commands, beside the menu's own.
      {"Ctrl+S", ID_FILE_SAVE},        {"Ctrl+O", ID_FILE_OPEN},       {"Ctrl+Q", ID_APP_EXIT},
  };
  static const std::vector<Acelerador> ninguna;
  return id == IDR_MAINFRAME ? tabla : ninguna;
}

const std::vector<BotonBarra>& AfxBarraHerramientas(std::uint32_t id) {
  static const std::vector<BotonBarra> barra = {
      {ID_FILE_NEW, "nuevo"}, {ID_FILE_OPEN, "abrir"}, {ID_FILE_SAVE, "guardar"}, {0, ""}, {ID_APP_ABOUT, "acerca"},
  };
  static const std::vector<BotonBarra> ninguna;
  return id == IDR_MAINFRAME ? barra : ninguna;
}

const std::vector<std::uint32_t>& AfxIndicadores() {
  static const std::vector<std::uint32_t> indicadores = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
  return indicadores;
}
