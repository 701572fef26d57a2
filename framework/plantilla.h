// Dialog templates: controls with their identifiers, texts and positions in
// dialog units. The tables live in resources/; the framework builds a
// dialog's control model from them and the Qt host builds its widgets.
#pragma once

#include <vector>

#include "framework/afx.h"

enum class TipoControl {
  Edit,          // single-line edit
  Boton,         // push button
  BotonDefecto,  // default push button
  Estatico,      // static text
  Casilla,       // automatic check box
  MarcoNegro,    // black frame (border only)
  LineaHundida,  // sunken line or frame
  Icono,         // icon; texto holds the icon's resource number
  Combo,         // drop-down list (a combo box that takes no typing); h is the closed box's
  Lista,         // list control in report view: columns with headings, rows of cells
};

// Style bits of a control.
constexpr UINT ES_DERECHA = 0x0001;        // edit: right-aligned
constexpr UINT ES_AUTOHSCROLL_ = 0x0002;   // edit: auto horizontal scroll
constexpr UINT SS_IZQUIERDA = 0x0010;      // static: left (the default)
constexpr UINT SS_CENTRO = 0x0020;         // static: centred
constexpr UINT SS_DERECHA = 0x0040;        // static: right
constexpr UINT SS_CENTRO_V = 0x0080;       // static: vertically centred
constexpr UINT WS_TABSTOP_ = 0x0100;
constexpr UINT WS_DISABLED_ = 0x0200;
constexpr UINT WS_OCULTO_ = 0x0400;        // created hidden
constexpr UINT SS_AJUSTE = 0x0800;         // static: the words wrapped over its lines

constexpr int IDC_STATIC = -1;

struct ControlPlantilla {
  int id;
  TipoControl tipo;
  const char* texto;  // UTF-8
  int x, y, w, h;
  UINT estilo;
};

struct PlantillaDialogo {
  UINT id;
  const char* titulo;  // UTF-8; empty for a child form
  int w, h;
  const char* fuente;  // the template's font name and size
  int puntos;
  bool hijo;           // a child form without caption (a form view)
  std::vector<ControlPlantilla> controles;  // in tab order
};

// The templates of the program; null for an unknown id.
const PlantillaDialogo* AfxBuscarPlantilla(UINT id);
