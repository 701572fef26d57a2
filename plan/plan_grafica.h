// What the three training graphs draw, per pass, in the frames' logical
// coordinates: computed without any screen so that the painting (grafica.h)
// only replays it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "framework/afx.h"

struct ColorRGB {
  BYTE r = 0, g = 0, b = 0;
  friend bool operator==(const ColorRGB&, const ColorRGB&) = default;
};
constexpr ColorRGB Rgb(int r, int g, int b) {
  return ColorRGB{static_cast<BYTE>(r), static_cast<BYTE>(g), static_cast<BYTE>(b)};
}

// Colours of the graphs.
constexpr ColorRGB kColorFondoMarco = Rgb(25, 25, 25);
constexpr ColorRGB kColorNegro = Rgb(0, 0, 0);
constexpr ColorRGB kColorBlanco = Rgb(255, 255, 255);
constexpr ColorRGB kColorAmarillo = Rgb(255, 255, 0);
constexpr ColorRGB kColorErrorMaximo = Rgb(125, 255, 50);
constexpr ColorRGB kColorErrorTotal = Rgb(255, 0, 255);
constexpr ColorRGB kColorAciertos = Rgb(0, 255, 255);

enum class EstiloPluma { Solida, RayaPuntoPunto };

struct Pluma {
  EstiloPluma estilo = EstiloPluma::Solida;
  int ancho = 1;  // pixels
  ColorRGB color;
  friend bool operator==(const Pluma&, const Pluma&) = default;
};

// The stock white pen of the axes, the reference pen and the curve pens.
constexpr Pluma kPlumaEjes{EstiloPluma::Solida, 1, kColorBlanco};
constexpr Pluma kPlumaReferencia{EstiloPluma::RayaPuntoPunto, 2, kColorAmarillo};
constexpr Pluma kPlumaErrorMaximo{EstiloPluma::Solida, 2, kColorErrorMaximo};
constexpr Pluma kPlumaErrorTotal{EstiloPluma::Solida, 2, kColorErrorTotal};
constexpr Pluma kPlumaAciertos{EstiloPluma::Solida, 2, kColorAciertos};

struct PuntoLogico {
  std::int64_t x = 0, y = 0;
  friend bool operator==(const PuntoLogico&, const PuntoLogico&) = default;
};

enum class TipoPrimitiva {
  Relleno,  // the whole client rectangle in colorFondo (pixels, before the mapping)
  Marco,    // the frame control repaints itself: its black one-pixel border
  Linea,    // desde -> hasta with pluma; gaps of a styled pen in colorFondo
  Texto,    // texto with its top-left corner at desde, colorTexto on an opaque colorFondo
};

struct Primitiva {
  TipoPrimitiva tipo = TipoPrimitiva::Linea;
  PuntoLogico desde, hasta;
  Pluma pluma;
  ColorRGB colorTexto;
  ColorRGB colorFondo;
  CString texto;
};

// The anisotropic mapping of a frame: logical (x, y) lands on pixel
// (origenX + x*vistaX/ventanaX, origenY + y*vistaY/ventanaY), y growing up.
struct Mapeo {
  std::int64_t ventanaX = 0, ventanaY = 110;  // window extent
  int vistaX = 0, vistaY = 0;                  // viewport extent: W, -H
  int origenX = 0, origenY = 0;                // viewport origin in pixels
  // The pixel position (not rounded) a logical point maps to.
  void PixelDe(PuntoLogico p, double& px, double& py) const;
};

enum class Pasada { Completa, Actualizacion };

// Frames in the order they are prepared.
constexpr std::array<int, 3> kMarcos = {1011, 1020, 1015};
enum IndiceMarco { kMarcoErrorMaximo = 0, kMarcoErrorTotal = 1, kMarcoAciertos = 2 };

struct EntradaPlan {
  UINT nMaxEpocas = 0;          // E
  double dErrorMaximo = 0.0;    // the stopping criterion
  bool bHayPuntos = false;      // the document's m_nPuntos is not 0
  // The first n entries of the three histories (n = m_nPuntosMostrados).
  const double* pErrorMaximo = nullptr;
  const double* pErrorTotal = nullptr;
  const double* pAciertos = nullptr;
  UINT n = 0;
  bool bMarcoTotalVisible = false;  // frame 1020 as it stands before the pass
  std::array<int, 3> ancho{};       // client W per frame, in kMarcos order
  std::array<int, 3> alto{};        // client H per frame
};

struct PlanMarco {
  int id = 0;
  Mapeo mapeo;
  std::vector<Primitiva> primitivas;  // in drawing order
};

struct PlanGraficas {
  std::array<PlanMarco, 3> marcos;  // kMarcos order
  bool bMostrarMarcoTotal = false;  // the pass shows frame 1020
};

// The mapping of a frame of W x H pixels for E epochs.
Mapeo CalcularMapeo(UINT nMaxEpocas, int w, int h);

// The whole pass. Nothing is written anywhere but the result.
PlanGraficas PlanificarGraficas(Pasada pasada, const EntradaPlan& entrada);

// Cuts the segment a-b to the rectangle [x0, x1] x [y0, y1] (Liang-Barsky).
// False when nothing of it is inside. A history far out of range would
// otherwise reach the painter or the SVG with coordinates of millions of
// pixels.
bool Recortar(double& ax, double& ay, double& bx, double& by, double x0, double y0, double x1, double y1);
