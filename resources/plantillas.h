// Dialog templates: controls with their identifiers, texts and positions in
// dialog units, as plain data beneath every other layer: the framework
// builds a dialog's control model from them and the Qt host its widgets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
constexpr std::uint32_t ES_DERECHA = 0x0001;        // edit: right-aligned
constexpr std::uint32_t ES_AUTOHSCROLL_ = 0x0002;   // edit: auto horizontal scroll
constexpr std::uint32_t SS_IZQUIERDA = 0x0010;      // static: left (the default)
constexpr std::uint32_t SS_CENTRO = 0x0020;         // static: centred
constexpr std::uint32_t SS_DERECHA = 0x0040;        // static: right
constexpr std::uint32_t SS_CENTRO_V = 0x0080;       // static: vertically centred
constexpr std::uint32_t WS_TABSTOP_ = 0x0100;
constexpr std::uint32_t WS_DISABLED_ = 0x0200;
constexpr std::uint32_t WS_OCULTO_ = 0x0400;        // created hidden
constexpr std::uint32_t SS_AJUSTE = 0x0800;         // static: the words wrapped over its lines

constexpr int IDC_STATIC = -1;

struct ControlPlantilla {
  int id;
  TipoControl tipo;
  const char* texto;  // UTF-8
  int x, y, w, h;
  std::uint32_t estilo;
};

struct PlantillaDialogo {
  std::uint32_t id;
  const char* titulo;  // UTF-8; empty for a child form
  int w, h;
  const char* fuente;  // the template's font name and size
  int puntos;
  bool hijo;           // a child form without caption (a form view)
  std::vector<ControlPlantilla> controles;  // in tab order
};

// The templates of the program; null for an unknown id.
const PlantillaDialogo* AfxBuscarPlantilla(std::uint32_t id);
