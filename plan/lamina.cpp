#include "plan/lamina.h"

#include <algorithm>
#include <climits>

#include "framework/texto.h"
#include "resources/plantillas.h"
#include "resources/resource.h"

namespace {

// The panel: right of the vertical separator (x 150), above the horizontal
// one (y 187), with a margin all round, in dialog units.
constexpr int kPanelIzquierda = 152;
constexpr int kPanelAbajo = 187;
constexpr int kMargen = 6;

// a * b / c rounded half away from zero, as the host places its controls.
int MulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>(p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c));
}

bool EnPanel(const ControlPlantilla& c) {
  return c.x >= kPanelIzquierda && c.y + c.h <= kPanelAbajo &&
         (c.tipo == TipoControl::MarcoNegro || c.tipo == TipoControl::Estatico);
}

int MarcoDeId(int id) {
  for (int k = 0; k < 3; ++k)
    if (kMarcos[k] == id) return k;
  return -1;
}

}  // namespace

Lamina PlanificarLamina(const EntradaPlan& entrada, BaseDialogo base) {
  if (base.x < 1) base.x = 1;
  if (base.y < 1) base.y = 1;
  Lamina l;
  l.base = base;
  const PlantillaDialogo* pl = AfxBuscarPlantilla(IDD_NODUS_FORM);
  if (pl == nullptr) return l;

  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
  for (const ControlPlantilla& c : pl->controles) {
    if (!EnPanel(c)) continue;
    x0 = std::min(x0, c.x);
    y0 = std::min(y0, c.y);
    x1 = std::max(x1, c.x + c.w);
    y1 = std::max(y1, c.y + c.h);
  }
  if (x0 > x1) return l;
  x0 -= kMargen;
  y0 = std::max(0, y0 - kMargen);
  x1 += kMargen;
  y1 += kMargen;
  const int ox = MulDiv(x0, base.x, 4), oy = MulDiv(y0, base.y, 8);
  l.ancho = MulDiv(x1, base.x, 4) - ox;
  l.alto = MulDiv(y1, base.y, 8) - oy;

  // The latest values, as the view's update shows them.
  const bool hay = entrada.n > 0 && entrada.pErrorMaximo && entrada.pErrorTotal && entrada.pAciertos;
  const UINT u = hay ? entrada.n - 1 : 0;
  const CString maximo = hay ? FormatC("%f", entrada.pErrorMaximo[u]) : CString("n/a");
  const CString total = hay ? FormatC("%f", entrada.pErrorTotal[u]) : CString("n/a");
  const CString aciertos = hay ? FormatC("%7.4f%%", entrada.pAciertos[u]) : CString();

  EntradaPlan e = entrada;
  for (const ControlPlantilla& c : pl->controles) {
    if (!EnPanel(c)) continue;
    const int x = MulDiv(c.x, base.x, 4) - ox, y = MulDiv(c.y, base.y, 8) - oy;
    const int w = MulDiv(c.w, base.x, 4), h = MulDiv(c.h, base.y, 8);
    if (c.tipo == TipoControl::MarcoNegro) {
      const int k = MarcoDeId(c.id);
      if (k < 0) continue;
      l.marcos[k].x = x;
      l.marcos[k].y = y;
      l.marcos[k].ancho = w;
      l.marcos[k].alto = h;
      e.ancho[k] = w;
      e.alto[k] = h;
      continue;
    }
    TextoLamina t;
    t.id = c.id;
    t.x = x;
    t.y = y;
    t.ancho = w;
    t.alto = h;
    t.alineacion = (c.estilo & SS_DERECHA) ? Alineacion::Derecha
                   : (c.estilo & SS_CENTRO) ? Alineacion::Centro
                                            : Alineacion::Izquierda;
    t.bCentradoV = (c.estilo & SS_CENTRO_V) != 0;
    switch (c.id) {
      case IDC_ERROR_MAXIMO:
        t.texto = maximo;
        t.bCifra = true;
        break;
      case IDC_ERROR_TOTAL:
        t.texto = total;
        t.bCifra = true;
        break;
      case IDC_ACIERTOS:
        t.texto = aciertos;
        t.bCifra = true;
        break;
      default:
        t.texto = c.texto;
        break;
    }
    l.textos.push_back(std::move(t));
  }

  const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, e);
  for (int k = 0; k < 3; ++k) l.marcos[k].plan = plan.marcos[k];
  l.marcos[kMarcoErrorTotal].bVisible = entrada.bMarcoTotalVisible || plan.bMostrarMarcoTotal;
  return l;
}
