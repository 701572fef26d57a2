// The sheet of the training graphs: the right-hand panel of the training
// form (template 101) laid out without a screen: the three frames at their
// template places, each with the plan of a full redraw, and the graphs'
// titles and latest values. nrv-cli writes it as SVG (svg.h); the window
// paints it for its pictures.
#pragma once

#include <array>
#include <vector>

#include "plan/plan_grafica.h"

// Pixels per dialog unit, as the host measures the form's font: the average
// character width and the font's height (a dialog unit is a quarter and an
// eighth of them). The default is the template's 8-point font at 96 dpi.
struct BaseDialogo {
  int x = 6;
  int y = 13;
};

enum class Alineacion { Izquierda, Centro, Derecha };

// A static text of the panel, in its rectangle of the sheet's pixels.
struct TextoLamina {
  int id = 0;  // the control's id (-1 for the titles)
  int x = 0, y = 0, ancho = 0, alto = 0;
  Alineacion alineacion = Alineacion::Izquierda;
  bool bCentradoV = false;
  // One of the three figures' fields: an absurd figure shows its start,
  // as the form's field does, never running over the texts beside.
  bool bCifra = false;
  CString texto;
};

struct MarcoLamina {
  int x = 0, y = 0, ancho = 0, alto = 0;  // the frame control in the sheet's pixels
  bool bVisible = true;                   // the total-error frame shows only by its rule
  PlanMarco plan;                         // a full redraw at the frame's size
};

// The form's background behind the frames and texts of a picture.
constexpr ColorRGB kColorFormulario = Rgb(240, 240, 240);

struct Lamina {
  int ancho = 0, alto = 0;
  BaseDialogo base;
  ColorRGB fondo = kColorFormulario;
  std::array<MarcoLamina, 3> marcos;  // kMarcos order
  std::vector<TextoLamina> textos;    // in the template's order
};

// The sheet for a history. Of the entry, nMaxEpocas, dErrorMaximo,
// bHayPuntos, the series, n (the entries shown) and bMarcoTotalVisible (the
// total-error frame as the view has it; false for a view just opened) are
// read; the frames' sizes come from the template. The latest values are
// the view's texts: "%f" of the errors and "%7.4f%%" of the hit rate, or
// "n/a" and a blank before the first epoch.
Lamina PlanificarLamina(const EntradaPlan& entrada, BaseDialogo base = {});
