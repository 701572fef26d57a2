#include "framework/plantilla.h"
#include "resources/resource.h"

// Dialog templates of the program: controls in tab order, positions in
// dialog units of the template's font.

namespace {

using T = TipoControl;

constexpr UINT EDIT = ES_AUTOHSCROLL_ | WS_TABSTOP_;
constexpr UINT EDIT_DERECHA = ES_DERECHA | ES_AUTOHSCROLL_ | WS_TABSTOP_;
constexpr UINT BOTON = WS_TABSTOP_;

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

const PlantillaDialogo* AfxBuscarPlantilla(UINT id) {
  for (const auto& p : Plantillas())
    if (p.id == id) return &p;
  return nullptr;
}
