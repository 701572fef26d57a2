#include "resources/plantillas.h"
#include "resources/resource.h"
#include "resources/resultados.h"

// Dialog templates of the program: controls in tab order, positions in
// dialog units of the template's font.

namespace {

using T = TipoControl;

constexpr std::uint32_t EDIT = ES_AUTOHSCROLL_ | WS_TABSTOP_;
constexpr std::uint32_t EDIT_DERECHA = ES_DERECHA | ES_AUTOHSCROLL_ | WS_TABSTOP_;
constexpr std::uint32_t BOTON = WS_TABSTOP_;
constexpr std::uint32_t LISTA = WS_TABSTOP_;

const std::vector<PlantillaDialogo>& Plantillas() {
  static const std::vector<PlantillaDialogo> plantillas = {
      // About box.
      {IDD_ACERCADE,
       "Acerca de NRV...",
       234,
       103,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_STATIC, T::Icono, "128", 11, 17, 20, 20, 0},
           {IDC_STATIC, T::Estatico, "Aplicación NRV. Versión 1.0", 40, 40, 154, 8, SS_CENTRO},
           {IDOK, T::BotonDefecto, "Aceptar", 117, 82, 32, 14, BOTON},
       }},

      // The training form of a network document (a child form).
      {IDD_NODUS_FORM,
       "",
       403,
       215,
       "MS Sans Serif",
       8,
       true,
       {
           {IDC_GRAFICA_ERROR_TOTAL, T::MarcoNegro, "", 214, 102, 114, 77, 0},
           {ID_ENTRENAR, T::BotonDefecto, "Entrenar", 13, 163, 50, 14, BOTON},
           {ID_DETENER, T::Boton, "Detener", 79, 163, 50, 14, BOTON},
           {IDC_ESTADO, T::Estatico, "", 53, 112, 86, 10, SS_CENTRO | SS_CENTRO_V},
           {IDC_STATIC, T::Estatico, "Error Máximo:", 177, 4, 44, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Error Total:", 247, 92, 36, 8, SS_IZQUIERDA},
           {IDC_GRAFICA_ERROR_MAXIMO, T::MarcoNegro, "", 157, 12, 114, 77, 0},
           {IDC_ERROR_MAXIMO, T::Estatico, "Static", 231, 4, 40, 8, SS_DERECHA},
           {IDC_STATIC, T::Estatico, "Aciertos:", 315, 4, 28, 8, SS_DERECHA},
           {IDC_ACIERTOS, T::Estatico, "Static", 359, 4, 35, 8, SS_DERECHA},
           {IDC_STATIC, T::Estatico, "Fichero de Entrenamiento:", 14, 192, 84, 8, SS_DERECHA},
           {IDC_FICHERO_ENT_VISTA, T::Estatico, "Static", 114, 192, 273, 8, SS_IZQUIERDA},
           {IDC_EPOCA, T::Estatico, "Static", 51, 131, 59, 8, SS_CENTRO},
           {IDC_ERROR_TOTAL, T::Estatico, "Static", 288, 94, 40, 8, SS_DERECHA},
           {IDC_GRAFICA_ACIERTOS, T::MarcoNegro, "", 279, 12, 114, 77, 0},
           {IDC_STATIC, T::Estatico, "Factor de Momento:", 12, 46, 64, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Factor de Aprendizaje:", 12, 23, 72, 8, SS_IZQUIERDA},
           {IDC_APRENDIZAJE, T::Estatico, "Static", 86, 24, 27, 8, SS_DERECHA},
           {IDC_MOMENTO, T::Estatico, "Static", 86, 46, 27, 8, SS_DERECHA},
           {IDC_STATIC, T::Estatico, "EPOCA:", 15, 130, 27, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "ESTADO:", 15, 112, 32, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::LineaHundida, "", 150, 0, 2, 189, 0},
           {IDC_STATIC, T::LineaHundida, "", 5, 187, 381, 2, 0},
           {IDC_STATIC, T::Estatico, "Fichero de Verificación", 14, 204, 84, 8, SS_DERECHA},
           {IDC_FICHERO_VER_VISTA, T::Estatico, "Static", 114, 204, 273, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "ESTRUCTURA: ", 13, 4, 54, 8, SS_IZQUIERDA},
           {IDC_ESTRUCTURA, T::Estatico, "Static", 70, 3, 71, 8, SS_CENTRO | SS_CENTRO_V},
           {IDC_STATIC, T::Estatico, "Error Máximo:", 12, 69, 44, 8, SS_IZQUIERDA},
           {IDC_MAX_EPOCAS, T::Estatico, "Static", 86, 68, 27, 8, SS_DERECHA},
       }},

      // New network.
      {IDD_NUEVA_RED,
       "Nuevo NRV: Datos de entrenamiento",
       415,
       157,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_FICHERO_ENTRENAMIENTO, T::Edit, "", 105, 7, 243, 14, EDIT},
           {IDC_EXAMINAR_ENTRENAMIENTO, T::Boton, "Examinar...", 365, 7, 43, 14, BOTON},
           {IDC_FICHERO_VERIFICACION, T::Edit, "", 105, 31, 243, 14, EDIT},
           {IDC_EXAMINAR_VERIFICACION, T::Boton, "Examinar...", 365, 31, 43, 14, BOTON},
           {IDC_OCULTAS, T::Edit, "", 77, 52, 40, 14, EDIT_DERECHA},
           {IDC_ERROR_MAXIMO, T::Edit, "", 169, 82, 40, 14, EDIT_DERECHA},
           {IDC_MAX_EPOCAS, T::Edit, "", 169, 110, 40, 14, EDIT_DERECHA},
           {IDC_APRENDIZAJE, T::Edit, "", 295, 82, 40, 14, EDIT_DERECHA},
           {IDC_MOMENTO, T::Edit, "", 295, 110, 40, 14, EDIT_DERECHA},
           {IDOK, T::BotonDefecto, "OK", 358, 100, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 358, 136, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Fichero de Entrenamiento", 14, 13, 82, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Neuronas Ocultas:", 13, 58, 60, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Error Máximo por Muestra:", 82, 85, 83, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Número Máximo de Épocas:", 77, 112, 90, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Factor de Momento:", 229, 112, 64, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Factor de Aprendizaje:", 221, 85, 72, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::LineaHundida, "", 0, 71, 408, 1, 0},
           {IDC_STATIC, T::Estatico, "Fichero de Verificación:", 14, 37, 78, 8, SS_IZQUIERDA},
           {IDC_GUARDAR_VALORES, T::Casilla, "Guardar valores", 14, 140, 66, 10, BOTON},
       }},

      // Verification results.
      {IDD_RESULTADOS,
       "Resultados de Verificación",
       364,
       119,
       "MS Sans Serif",
       8,
       false,
       {
           {IDOK, T::BotonDefecto, "OK", 157, 98, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Fichero:", 14, 16, 56, 8, SS_IZQUIERDA},
           {IDC_RES_FICHERO, T::Estatico, "", 74, 16, 280, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Nº Muestras:", 14, 38, 56, 8, SS_IZQUIERDA},
           {IDC_RES_MUESTRAS, T::Estatico, "", 74, 38, 80, 8, SS_CENTRO},
           {IDC_STATIC, T::Estatico, "Tasa Aciertos:", 14, 56, 56, 8, SS_IZQUIERDA},
           {IDC_ACIERTOS, T::Estatico, "", 74, 56, 80, 8, SS_CENTRO},
           {IDC_STATIC, T::Estatico, "Error Total:", 14, 74, 56, 8, SS_IZQUIERDA},
           {IDC_ERROR_TOTAL, T::Estatico, "", 74, 74, 80, 8, SS_CENTRO},
       }},

      // Verification file.
      {IDD_VERIFICAR,
       "Verificar red...",
       356,
       73,
       "MS Sans Serif",
       8,
       false,
       {
           {IDOK, T::BotonDefecto, "OK", 243, 52, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 299, 52, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Fichero Datos:", 7, 19, 52, 8, SS_IZQUIERDA},
           {IDC_FICHERO_ENTRENAMIENTO, T::Edit, "", 62, 16, 230, 14, EDIT},
           {IDC_EXAMINAR, T::Boton, "Examinar...", 299, 16, 50, 14, BOTON},
       }},

      // The network's data files.
      {IDD_FICHEROS_DATOS,
       "Ficheros de datos",
       356,
       81,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_STATIC, T::Estatico, "Fichero de Entrenamiento:", 7, 10, 84, 8, SS_IZQUIERDA},
           {IDC_FICHERO_ENTRENAMIENTO, T::Edit, "", 94, 7, 230, 14, EDIT},
           {IDC_EXAMINAR_ENTRENAMIENTO, T::Boton, "...", 329, 7, 20, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Fichero de Verificación:", 7, 31, 84, 8, SS_IZQUIERDA},
           {IDC_FICHERO_VERIFICACION, T::Edit, "", 94, 28, 230, 14, EDIT},
           {IDC_EXAMINAR_VERIFICACION, T::Boton, "...", 329, 28, 20, 14, BOTON},
           {IDOK, T::BotonDefecto, "OK", 243, 60, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 299, 60, 50, 14, BOTON},
       }},

      // The options of a network beyond its parameters, for its next runs.
      {IDD_OPCIONES_ENTRENAMIENTO,
       "Opciones de entrenamiento",
       356,
       168,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_STATIC, T::Estatico, "Semilla:", 7, 10, 70, 8, SS_IZQUIERDA},
           {IDC_SEMILLA, T::Edit, "", 80, 7, 60, 14, EDIT_DERECHA},
           {IDC_NOTA_SEMILLA, T::Estatico, "", 146, 5, 203, 24, SS_IZQUIERDA | SS_AJUSTE},
           {IDC_STATIC, T::Estatico, "Paciencia:", 7, 36, 70, 8, SS_IZQUIERDA},
           {IDC_PACIENCIA, T::Edit, "", 80, 33, 30, 14, EDIT_DERECHA},
           {IDC_STATIC, T::Estatico, "épocas sin mejora (vacía: sin paciencia)", 116, 36, 233, 8, SS_IZQUIERDA},
           {IDC_BARAJAR, T::Casilla, "Barajar las muestras de entrenamiento en cada época", 7, 53, 250, 10, BOTON},
           {IDC_STATIC, T::Estatico, "Fichero de prueba:", 7, 72, 70, 8, SS_IZQUIERDA},
           {IDC_FICHERO_PRUEBA, T::Edit, "", 80, 69, 244, 14, EDIT},
           {IDC_EXAMINAR_PRUEBA, T::Boton, "...", 329, 69, 20, 14, BOTON},
           {IDC_STATIC, T::Estatico, "No se usa para entrenar ni para parar: se mide al acabar.", 80, 86, 269, 8,
            SS_IZQUIERDA},
           {IDC_MEDIR_ENTRENAMIENTO, T::Casilla, "Medir también el conjunto de entrenamiento en cada época", 7, 100, 250,
            10, BOTON},
           {IDC_STATIC, T::Estatico, "Esquema:", 7, 119, 70, 8, SS_IZQUIERDA},
           {IDC_ESQUEMA, T::Edit, "", 80, 116, 244, 14, EDIT},
           {IDC_EXAMINAR_ESQUEMA, T::Boton, "...", 329, 116, 20, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Con salidas numéricas, Verificar da también RMSE, MAE y R².", 80, 133, 269, 8,
            SS_IZQUIERDA},
           {IDOK, T::BotonDefecto, "OK", 243, 147, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 299, 147, 50, 14, BOTON},
       }},

      // Verification results of a network with numeric outputs: the four
      // figures of 131, then each output's in the table's units.
      {IDD_RESULTADOS_REGRESION,
       "Resultados de Verificación",
       364,
       205,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_STATIC, T::Estatico, "Fichero:", 14, 16, 56, 8, SS_IZQUIERDA},
           {IDC_RES_FICHERO, T::Estatico, "", 74, 16, 280, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Nº Muestras:", 14, 38, 56, 8, SS_IZQUIERDA},
           {IDC_RES_MUESTRAS, T::Estatico, "", 74, 38, 80, 8, SS_CENTRO},
           {IDC_STATIC, T::Estatico, "Tasa Aciertos:", 14, 56, 56, 8, SS_IZQUIERDA},
           {IDC_ACIERTOS, T::Estatico, "", 74, 56, 80, 8, SS_CENTRO},
           {IDC_STATIC, T::Estatico, "Error Total:", 14, 74, 56, 8, SS_IZQUIERDA},
           {IDC_ERROR_TOTAL, T::Estatico, "", 74, 74, 80, 8, SS_CENTRO},
           {IDC_NOTA_REGRESION, T::Estatico, "", 14, 92, 336, 8, SS_IZQUIERDA},
           {IDC_REGRESION, T::Lista, "", 14, 104, 336, 72, LISTA},
           {IDOK, T::BotonDefecto, "OK", 157, 184, 50, 14, BOTON},
       }},

      // More epochs for a network that has used its own.
      {IDD_MAS_EPOCAS,
       "Más épocas",
       250,
       70,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_EPOCAS_RED, T::Estatico, "", 7, 7, 236, 16, SS_IZQUIERDA | SS_AJUSTE},
           {IDC_STATIC, T::Estatico, "Épocas más:", 7, 31, 50, 8, SS_IZQUIERDA},
           {IDC_MAS_EPOCAS, T::Edit, "", 60, 28, 40, 14, EDIT_DERECHA},
           {IDOK, T::BotonDefecto, "OK", 137, 49, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 193, 49, 50, 14, BOTON},
       }},

      // Importing a table: its syntax, a preview of its first rows, the
      // outputs and the scaling, the two files written, and the split into
      // three parts (in the room beside the buttons).
      {IDD_IMPORTAR,
       "Importar datos",
       440,
       257,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_STATIC, T::Estatico, "Tabla:", 7, 10, 56, 8, SS_IZQUIERDA},
           {IDC_TABLA, T::Edit, "", 66, 7, 310, 14, EDIT},
           {IDC_EXAMINAR_TABLA, T::Boton, "Examinar...", 383, 7, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Separador:", 7, 29, 38, 8, SS_IZQUIERDA},
           {IDC_SEPARADOR, T::Combo, "", 48, 26, 110, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Marca decimal:", 166, 29, 50, 8, SS_IZQUIERDA},
           {IDC_DECIMAL, T::Combo, "", 218, 26, 85, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Cabecera:", 311, 29, 34, 8, SS_IZQUIERDA},
           {IDC_CABECERA, T::Combo, "", 348, 26, 85, 14, BOTON},
           {IDC_VISTA_PREVIA, T::Lista, "", 7, 45, 426, 100, LISTA},
           {IDC_LECTURA, T::Estatico, "", 7, 149, 426, 16, SS_IZQUIERDA | SS_AJUSTE},
           {IDC_STATIC, T::LineaHundida, "", 7, 168, 426, 1, 0},
           {IDC_STATIC, T::Estatico, "Clase:", 7, 176, 56, 8, SS_IZQUIERDA},
           {IDC_CLASE, T::Combo, "", 66, 173, 140, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Salidas numéricas:", 214, 176, 64, 8, SS_IZQUIERDA},
           {IDC_SALIDAS, T::Edit, "", 280, 173, 30, 14, EDIT_DERECHA},
           {IDC_STATIC, T::Estatico, "Escala:", 320, 176, 26, 8, SS_IZQUIERDA},
           {IDC_ESCALA, T::Combo, "", 348, 173, 85, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Fichero de datos:", 7, 195, 58, 8, SS_IZQUIERDA},
           {IDC_DESTINO, T::Edit, "", 66, 192, 310, 14, EDIT},
           {IDC_EXAMINAR_DESTINO, T::Boton, "Examinar...", 383, 192, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Esquema:", 7, 214, 56, 8, SS_IZQUIERDA},
           {IDC_ESQUEMA, T::Edit, "", 66, 211, 310, 14, EDIT},
           {IDC_EXAMINAR_ESQUEMA, T::Boton, "Examinar...", 383, 211, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Partición:", 7, 239, 56, 8, SS_IZQUIERDA},
           {IDC_PARTICION, T::Edit, "", 66, 236, 56, 14, EDIT},
           {IDC_STATIC, T::Estatico, "Semilla:", 130, 239, 28, 8, SS_IZQUIERDA},
           {IDC_SEMILLA, T::Edit, "", 160, 236, 50, 14, EDIT_DERECHA},
           {IDC_ESTRATIFICAR, T::Casilla, "Estratificar", 218, 238, 56, 10, BOTON},
           {IDOK, T::BotonDefecto, "OK", 327, 236, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 383, 236, 50, 14, BOTON},
       }},

      // Applying the network to a file: the data (a table with its
      // scheme) and the CSV of results.
      {IDD_APLICAR,
       "Aplicar a fichero",
       356,
       101,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_STATIC, T::Estatico, "Fichero Datos:", 7, 10, 60, 8, SS_IZQUIERDA},
           {IDC_FICHERO_ENTRENAMIENTO, T::Edit, "", 70, 7, 222, 14, EDIT},
           {IDC_EXAMINAR, T::Boton, "Examinar...", 299, 7, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Esquema:", 7, 30, 60, 8, SS_IZQUIERDA},
           {IDC_ESQUEMA, T::Edit, "", 70, 27, 222, 14, EDIT},
           {IDC_EXAMINAR_ESQUEMA, T::Boton, "Examinar...", 299, 27, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Resultados (CSV):", 7, 50, 60, 8, SS_IZQUIERDA},
           {IDC_SALIDA_CSV, T::Edit, "", 70, 47, 222, 14, EDIT},
           {IDC_EXAMINAR_SALIDA, T::Boton, "Examinar...", 299, 47, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "El esquema solo hace falta para leer una tabla.", 70, 65, 222, 8, SS_IZQUIERDA},
           {IDOK, T::BotonDefecto, "OK", 243, 80, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 299, 80, 50, 14, BOTON},
       }},

      // The file of the confusion matrix.
      {IDD_MATRIZ,
       "Matriz de confusión",
       356,
       81,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_STATIC, T::Estatico, "Fichero Datos:", 7, 10, 60, 8, SS_IZQUIERDA},
           {IDC_FICHERO_ENTRENAMIENTO, T::Edit, "", 70, 7, 222, 14, EDIT},
           {IDC_EXAMINAR, T::Boton, "Examinar...", 299, 7, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "Esquema:", 7, 30, 60, 8, SS_IZQUIERDA},
           {IDC_ESQUEMA, T::Edit, "", 70, 27, 222, 14, EDIT},
           {IDC_EXAMINAR_ESQUEMA, T::Boton, "Examinar...", 299, 27, 50, 14, BOTON},
           {IDC_STATIC, T::Estatico, "El esquema solo hace falta para leer una tabla.", 70, 45, 222, 8, SS_IZQUIERDA},
           {IDOK, T::BotonDefecto, "OK", 243, 60, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 299, 60, 50, 14, BOTON},
       }},

      // The confusion matrix and its figures.
      {IDD_RESULTADOS_MATRIZ,
       "Matriz de confusión",
       364,
       205,
       "MS Sans Serif",
       8,
       false,
       {
           {IDC_STATIC, T::Estatico, "Fichero:", 14, 10, 56, 8, SS_IZQUIERDA},
           {IDC_RES_FICHERO, T::Estatico, "", 74, 10, 280, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Nº Muestras:", 14, 24, 56, 8, SS_IZQUIERDA},
           {IDC_RES_MUESTRAS, T::Estatico, "", 74, 24, 80, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Tasa Aciertos:", 14, 38, 56, 8, SS_IZQUIERDA},
           {IDC_ACIERTOS, T::Estatico, "", 74, 38, 80, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Estatico, "Filas: la salida mayor del objetivo; columnas: la de la red.", 14, 54, 336, 8,
            SS_IZQUIERDA},
           {IDC_MATRIZ, T::Lista, "", 14, 66, 336, 110, LISTA},
           {IDC_COPIAR, T::Boton, "Copiar", 244, 184, 50, 14, BOTON},
           {IDOK, T::BotonDefecto, "OK", 300, 184, 50, 14, BOTON},
       }},

      // "Cerrar todas": save before closing?
      {IDD_GUARDAR_CAMBIOS,
       "Cerrar todas",
       239,
       60,
       "MS Sans Serif",
       8,
       false,
       {
           {IDOK, T::BotonDefecto, "SI", 21, 39, 50, 14, BOTON},
           {IDCANCEL, T::Boton, "Cancel", 163, 39, 50, 14, BOTON},
           {IDC_NO, T::Boton, "No", 91, 39, 50, 14, BOTON},
           {IDC_MENSAJE, T::Estatico, "Guardar cambios?", 60, 14, 142, 8, SS_IZQUIERDA},
           {IDC_STATIC, T::Icono, "141", 19, 7, 20, 20, 0},
       }},
  };
  return plantillas;
}

}  // namespace

const PlantillaDialogo* AfxBuscarPlantilla(std::uint32_t id) {
  for (const auto& p : Plantillas())
    if (p.id == id) return &p;
  return nullptr;
}
