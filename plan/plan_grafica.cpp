#include "plan/plan_grafica.h"

#include <algorithm>
#include <cmath>

#include "framework/texto.h"

namespace {

// A value of the history as a logical coordinate. A damaged document may
// hold NaN or huge values: they are kept far outside the frame instead of
// overflowing, and the comparisons with 100 and 75 keep their sense.
std::int64_t AEntero(double v) {
  constexpr double kLimite = 1.0e9;
  if (std::isnan(v)) return 0;
  if (v > kLimite) return static_cast<std::int64_t>(kLimite);
  if (v < -kLimite) return -static_cast<std::int64_t>(kLimite);
  return static_cast<std::int64_t>(v);  // the value is already whole or truncated here
}

std::int64_t Techo(double v) { return AEntero(std::ceil(v)); }
std::int64_t Trunc(double v) { return AEntero(std::trunc(v)); }

Primitiva Relleno(ColorRGB color) {
  Primitiva p;
  p.tipo = TipoPrimitiva::Relleno;
  p.colorFondo = color;
  return p;
}

Primitiva Marco() {
  Primitiva p;
  p.tipo = TipoPrimitiva::Marco;
  p.pluma = Pluma{EstiloPluma::Solida, 1, kColorNegro};
  return p;
}

Primitiva Linea(PuntoLogico desde, PuntoLogico hasta, const Pluma& pluma, ColorRGB fondo) {
  Primitiva p;
  p.tipo = TipoPrimitiva::Linea;
  p.desde = desde;
  p.hasta = hasta;
  p.pluma = pluma;
  p.colorFondo = fondo;
  return p;
}

Primitiva Texto(PuntoLogico en, const CString& texto, ColorRGB colorTexto, ColorRGB fondo) {
  Primitiva p;
  p.tipo = TipoPrimitiva::Texto;
  p.desde = en;
  p.texto = texto;
  p.colorTexto = colorTexto;
  p.colorFondo = fondo;
  return p;
}

// Background, axes, reference line and label of one frame (full redraw).
void PrepararMarco(PlanMarco& marco, int indice, const EntradaPlan& e) {
  const std::int64_t E = e.nMaxEpocas;
  const std::int64_t H = e.alto[indice] < 0 ? 0 : e.alto[indice];
  auto& lista = marco.primitivas;

  lista.push_back(Relleno(kColorFondoMarco));
  lista.push_back(Marco());

  // The surface's background is black from here on; it shows in the gaps of
  // the reference pen.
  ColorRGB fondo = kColorNegro;
  lista.push_back(Linea({0, 0}, {100 * E, 0}, kPlumaEjes, fondo));
  lista.push_back(Linea({0, 0}, {0, 100}, kPlumaEjes, fondo));

  std::int64_t yr = 0;
  std::int64_t xl = 0;
  CString texto;
  switch (indice) {
    case kMarcoErrorMaximo:
      yr = Trunc(50.0 * e.dErrorMaximo);
      xl = (3 * H * E) / 4;
      texto = FormatC("%02.1lf", e.dErrorMaximo);
      break;
    case kMarcoErrorTotal:
      yr = Trunc(12.5 * e.dErrorMaximo);
      xl = (3 * H * E) / 4;
      texto = FormatC("%02.1lf", e.dErrorMaximo);
      break;
    default:
      yr = 50;
      xl = ((3 * E) / 4) * H;
      texto = "50";
      break;
  }
  lista.push_back(Linea({0, yr}, {100 * E, yr}, kPlumaReferencia, fondo));
  if (indice == kMarcoErrorMaximo) fondo = kColorFondoMarco;
  lista.push_back(Texto({xl, yr}, texto, kColorAmarillo, fondo));
}

void Curvas(PlanGraficas& plan, Pasada pasada, const EntradaPlan& e) {
  auto& maximo = plan.marcos[kMarcoErrorMaximo].primitivas;
  auto& total = plan.marcos[kMarcoErrorTotal].primitivas;
  auto& aciertos = plan.marcos[kMarcoAciertos].primitivas;

  std::int64_t ye = 0, yt = 0, yh = 0;
  for (UINT i = 0; i < e.n; ++i) {
    const std::int64_t x = 100 * static_cast<std::int64_t>(i);
    const double v = e.pErrorMaximo[i];
    const double t = e.pErrorTotal[i];
    const double h = e.pAciertos[i];
    const double tLimitado = t < 8.0 ? t : 8.0;
    if (i > 0) {
      maximo.push_back(Linea({x - 100, ye}, {x, Techo(50.0 * v)}, kPlumaErrorMaximo, kColorNegro));
      aciertos.push_back(Linea({x - 100, yh}, {x, Trunc(h)}, kPlumaAciertos, kColorNegro));
      // A stretch wholly at or above 8.0 is left out; one that crosses it
      // runs to the top line.
      if (yt < 100 || t < 8.0) {
        total.push_back(Linea({x - 100, yt < 100 ? yt : 100}, {x, Techo(12.5 * tLimitado)}, kPlumaErrorTotal,
                              kColorNegro));
      }
    }
    const std::int64_t yhUsado = i > 0 ? yh : 0;
    ye = Techo(50.0 * v);
    yt = Techo(12.5 * t);
    if (pasada == Pasada::Actualizacion && yhUsado > 75 && h < 75.0) {
      yh = 75;
    } else {
      yh = Trunc(h);
    }
  }
}

}  // namespace

void Mapeo::PixelDe(PuntoLogico p, double& px, double& py) const {
  px = origenX + static_cast<double>(p.x) * vistaX / static_cast<double>(ventanaX);
  py = origenY + static_cast<double>(p.y) * vistaY / static_cast<double>(ventanaY);
}

Mapeo CalcularMapeo(UINT nMaxEpocas, int w, int h) {
  Mapeo m;
  const double producto = 1.1 * static_cast<double>(nMaxEpocas);
  m.ventanaX = static_cast<std::int64_t>(std::ceil(producto) * 100.0);
  // No epoch limit at all (a damaged document): one epoch's width, so that
  // the mapping stays defined.
  if (m.ventanaX <= 0) m.ventanaX = 100;
  m.ventanaY = 110;
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  m.vistaX = w;
  m.vistaY = -h;
  m.origenX = static_cast<int>(std::ceil(0.05 * w));
  m.origenY = h - static_cast<int>(std::ceil(0.05 * h));
  return m;
}

PlanGraficas PlanificarGraficas(Pasada pasada, const EntradaPlan& e) {
  PlanGraficas plan;
  for (int k = 0; k < 3; ++k) {
    plan.marcos[k].id = kMarcos[k];
    plan.marcos[k].mapeo = CalcularMapeo(e.nMaxEpocas, e.ancho[k], e.alto[k]);
  }
  const bool hayHistoria =
      e.n > 0 && e.pErrorMaximo != nullptr && e.pErrorTotal != nullptr && e.pAciertos != nullptr;

  if (pasada == Pasada::Completa) {
    for (int k = 0; k < 3; ++k) PrepararMarco(plan.marcos[k], k, e);
  } else {
    // The update pass only runs once an epoch is recorded.
    if (!e.bHayPuntos) return plan;
    for (auto& marco : plan.marcos) marco.primitivas.push_back(Marco());
  }

  if (hayHistoria && !e.bMarcoTotalVisible && e.pErrorTotal[e.n - 1] < 8.0) plan.bMostrarMarcoTotal = true;

  if (hayHistoria && e.bHayPuntos) Curvas(plan, pasada, e);
  return plan;
}

bool Recortar(double& ax, double& ay, double& bx, double& by, double x0, double y0, double x1, double y1) {
  const double dx = bx - ax, dy = by - ay;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
  }
  const double nax = ax + t0 * dx, nay = ay + t0 * dy, nbx = ax + t1 * dx, nby = ay + t1 * dy;
  ax = nax;
  ay = nay;
  bx = nbx;
  by = nby;
  return true;
}
