// The sheet of the three graphs and its SVG: the frames and texts at the
// form's places, the frames' plans those of a full redraw, every curve's
// points at the pixel positions the plan gives, the view's value texts,
// the total-error frame by its rule, and bytes that no locale changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "plan/lamina.h"
#include "plan/svg.h"

namespace {

struct Historia {
  std::vector<double> maximo, total, aciertos;
};

EntradaPlan Entrada(const Historia& h, UINT E = 100, double criterio = 0.7) {
  EntradaPlan e;
  e.nMaxEpocas = E;
  e.dErrorMaximo = criterio;
  e.n = static_cast<UINT>(h.total.size());
  e.bHayPuntos = e.n != 0;
  e.pErrorMaximo = h.maximo.data();
  e.pErrorTotal = h.total.data();
  e.pAciertos = h.aciertos.data();
  return e;
}

// A training that goes down and up, with the total error crossing 8.
Historia Entrenamiento(int n) {
  Historia h;
  for (int i = 0; i < n; ++i) {
    h.maximo.push_back(1.6 - 1.2 * i / n + 0.05 * (i % 3));
    h.total.push_back(i < 3 ? 9.0 - i * 0.5 : 7.5 - 5.0 * i / n);
    h.aciertos.push_back(20.0 + 75.0 * i / n - (i % 4 == 0 ? 8.0 : 0.0));
  }
  return h;
}

const TextoLamina* Texto(const Lamina& l, int id, const char* titulo = nullptr) {
  for (const TextoLamina& t : l.textos)
    if (t.id == id && (titulo == nullptr || t.texto == titulo)) return &t;
  return nullptr;
}

// The value of attribute nombre in the element that starts at inicio.
std::string Atributo(const std::string& svg, std::size_t inicio, const std::string& nombre) {
  const std::size_t fin = svg.find('>', inicio);
  const std::size_t a = svg.find(" " + nombre + "=\"", inicio);
  if (a == std::string::npos || a > fin) return {};
  const std::size_t v = a + nombre.size() + 3;
  return svg.substr(v, svg.find('"', v) - v);
}

// The points of every polyline drawn in colour color inside the group of
// frame id, in order.
std::vector<std::pair<double, double>> Puntos(const std::string& svg, int id, const std::string& color) {
  std::vector<std::pair<double, double>> v;
  const std::size_t grupo = svg.find("<g id=\"grafica" + std::to_string(id) + "\"");
  if (grupo == std::string::npos) return v;
  const std::size_t fin = svg.find("</g>", grupo);
  for (std::size_t p = svg.find("<polyline", grupo); p < fin; p = svg.find("<polyline", p + 1)) {
    if (Atributo(svg, p, "stroke") != color) continue;
    const std::string puntos = Atributo(svg, p, "points");
    for (std::size_t i = 0; i < puntos.size();) {
      char* f = nullptr;
      const double x = std::strtod(puntos.c_str() + i, &f);
      const double y = std::strtod(f + 1, &f);
      v.emplace_back(x, y);
      i = static_cast<std::size_t>(f - puntos.c_str()) + 1;
    }
  }
  return v;
}

// The pixel positions of the plan's segments in a pen, each segment's start
// when it does not continue the one before, and its end.
std::vector<std::pair<double, double>> Esperados(const MarcoLamina& m, const Pluma& pluma) {
  std::vector<std::pair<double, double>> v;
  PuntoLogico fin{-1, -1};
  bool hay = false;
  for (const Primitiva& p : m.plan.primitivas) {
    if (p.tipo != TipoPrimitiva::Linea || !(p.pluma == pluma)) continue;
    double x = 0, y = 0;
    if (!hay || !(p.desde == fin)) {
      m.plan.mapeo.PixelDe(p.desde, x, y);
      v.emplace_back(x, y);
    }
    m.plan.mapeo.PixelDe(p.hasta, x, y);
    v.emplace_back(x, y);
    fin = p.hasta;
    hay = true;
  }
  return v;
}

}  // namespace

TEST(Lamina, LosMarcosYLosTextosEstanDondeLosPoneElFormulario) {
  const Historia h = Entrenamiento(40);
  const Lamina l = PlanificarLamina(Entrada(h));
  // Dialog units at 6 x 13 pixels per 4 x 8: frames of 114 x 77 units.
  for (const MarcoLamina& m : l.marcos) {
    EXPECT_EQ(m.ancho, 171) << m.plan.id;
    EXPECT_EQ(m.alto, 125) << m.plan.id;
  }
  // 1011 at (157, 12), 1015 at (279, 12), 1020 at (214, 102): the
  // distances between them as in the form, every frame inside the sheet.
  EXPECT_EQ(l.marcos[kMarcoAciertos].x - l.marcos[kMarcoErrorMaximo].x, 183);   // 122 units
  EXPECT_EQ(l.marcos[kMarcoErrorTotal].y - l.marcos[kMarcoErrorMaximo].y, 146);  // 90 units
  for (const MarcoLamina& m : l.marcos) {
    EXPECT_GE(m.x, 0);
    EXPECT_GE(m.y, 0);
    EXPECT_LE(m.x + m.ancho, l.ancho);
    EXPECT_LE(m.y + m.alto, l.alto);
  }
  // Titles above the frames, values right-aligned beside them.
  const TextoLamina* titulo = Texto(l, -1, "Error Máximo:");
  const TextoLamina* valor = Texto(l, 1005);
  ASSERT_TRUE(titulo && valor);
  EXPECT_LT(titulo->y, l.marcos[kMarcoErrorMaximo].y);
  EXPECT_EQ(valor->alineacion, Alineacion::Derecha);
  EXPECT_TRUE(Texto(l, -1, "Error Total:") && Texto(l, -1, "Aciertos:"));
  EXPECT_EQ(l.textos.size(), 6u) << "three titles and three values, nothing of the left panel";
}

TEST(Lamina, LosValoresSonLosTextosDeLaVista) {
  Historia h = Entrenamiento(3);
  h.maximo.back() = 0.5;
  h.total.back() = 2.25;
  h.aciertos.back() = 7.5;
  const Lamina l = PlanificarLamina(Entrada(h));
  EXPECT_EQ(Texto(l, 1005)->texto, "0.500000");
  EXPECT_EQ(Texto(l, 1009)->texto, "2.250000");
  EXPECT_EQ(Texto(l, 1012)->texto, " 7.5000%");
  // Before the first epoch: "n/a", and the hit rate blank.
  const Lamina vacia = PlanificarLamina(Entrada(Historia{}));
  EXPECT_EQ(Texto(vacia, 1005)->texto, "n/a");
  EXPECT_EQ(Texto(vacia, 1009)->texto, "n/a");
  EXPECT_EQ(Texto(vacia, 1012)->texto, "");
}

TEST(Lamina, LosPlanesSonLosDeUnRedibujadoCompleto) {
  const Historia h = Entrenamiento(60);
  EntradaPlan e = Entrada(h, 80, 0.3);
  const Lamina l = PlanificarLamina(e);
  for (int k = 0; k < 3; ++k) {
    e.ancho[k] = l.marcos[k].ancho;
    e.alto[k] = l.marcos[k].alto;
  }
  const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, e);
  for (int k = 0; k < 3; ++k) {
    const auto& a = l.marcos[k].plan.primitivas;
    const auto& b = plan.marcos[k].primitivas;
    ASSERT_EQ(a.size(), b.size()) << k;
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].tipo, b[i].tipo);
      EXPECT_EQ(a[i].desde, b[i].desde);
      EXPECT_EQ(a[i].hasta, b[i].hasta);
      EXPECT_EQ(a[i].pluma, b[i].pluma);
      EXPECT_EQ(a[i].texto, b[i].texto);
    }
  }
}

TEST(Lamina, ElMarcoDelErrorTotalSigueSuRegla) {
  Historia h = Entrenamiento(10);
  h.total.back() = 8.0;  // the latest is not below 8
  EntradaPlan e = Entrada(h);
  EXPECT_FALSE(PlanificarLamina(e).marcos[kMarcoErrorTotal].bVisible);
  e.bMarcoTotalVisible = true;  // a view that has shown it keeps it
  EXPECT_TRUE(PlanificarLamina(e).marcos[kMarcoErrorTotal].bVisible);
  h.total.back() = 7.99;
  EXPECT_TRUE(PlanificarLamina(Entrada(h)).marcos[kMarcoErrorTotal].bVisible);
  EXPECT_FALSE(PlanificarLamina(Entrada(Historia{})).marcos[kMarcoErrorTotal].bVisible);
  // The SVG leaves a hidden frame out, not its title.
  h.total.back() = 9.0;
  const std::string svg = SvgLamina(PlanificarLamina(Entrada(h)), "t");
  EXPECT_EQ(svg.find("id=\"grafica1020\""), std::string::npos);
  EXPECT_NE(svg.find(">Error Total:<"), std::string::npos);
}

TEST(Svg, CadaCurvaPasaPorLosPuntosQueDaElPlan) {
  const Historia h = Entrenamiento(100);
  const Lamina l = PlanificarLamina(Entrada(h));
  const std::string svg = SvgLamina(l, "Curvas");
  struct Curva {
    int k;
    const Pluma& pluma;
    const char* color;
  };
  for (const Curva& c : {Curva{kMarcoErrorMaximo, kPlumaErrorMaximo, "#7dff32"},
                         Curva{kMarcoErrorTotal, kPlumaErrorTotal, "#ff00ff"}, Curva{kMarcoAciertos, kPlumaAciertos, "#00ffff"}}) {
    const MarcoLamina& m = l.marcos[c.k];
    const auto esperados = Esperados(m, c.pluma);
    const auto puntos = Puntos(svg, m.plan.id, c.color);
    ASSERT_GT(esperados.size(), 50u) << m.plan.id;
    ASSERT_EQ(puntos.size(), esperados.size()) << m.plan.id;
    for (std::size_t i = 0; i < puntos.size(); ++i) {
      EXPECT_NEAR(puntos[i].first, esperados[i].first, 0.0005) << m.plan.id << " punto " << i;
      EXPECT_NEAR(puntos[i].second, esperados[i].second, 0.0005) << m.plan.id << " punto " << i;
    }
    // The group is placed at the frame's place in the sheet.
    EXPECT_NE(svg.find("<g id=\"grafica" + std::to_string(m.plan.id) + "\" transform=\"translate(" +
                       std::to_string(m.x) + "," + std::to_string(m.y) + ")\""),
              std::string::npos);
  }
  // The total error's gaps (above 8) split its curve.
  EXPECT_GT(Puntos(svg, 1020, "#ff00ff").size(), 90u);
}

TEST(Svg, EjesReferenciasEtiquetasYColores) {
  const Historia h = Entrenamiento(20);
  const std::string svg = SvgLamina(PlanificarLamina(Entrada(h, 20, 0.5)), "a & <b>");
  EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
  EXPECT_NE(svg.find("<title>a &amp; &lt;b&gt;</title>"), std::string::npos);
  // A name that is not UTF-8, or holds control characters, still gives XML.
  const std::string raro = SvgLamina(PlanificarLamina(Entrada(h, 20, 0.5)), "red\xff\x01.nrv");
  EXPECT_NE(raro.find("<title>red\xef\xbf\xbd .nrv</title>"), std::string::npos);
  // Frame background, white axes, yellow dash-dot-dot references with their labels.
  EXPECT_EQ(std::count(svg.begin(), svg.end(), '\r'), 0);
  auto cuenta = [&](const std::string& s) {
    std::size_t n = 0;
    for (std::size_t p = svg.find(s); p != std::string::npos; p = svg.find(s, p + 1)) ++n;
    return n;
  };
  EXPECT_EQ(cuenta("fill=\"#191919\"/>"), 3u + 1u) << "three backgrounds and the label box of 1011";
  EXPECT_EQ(cuenta("stroke=\"#ffffff\" stroke-width=\"1\""), 6u);
  EXPECT_EQ(cuenta("stroke=\"#ffff00\" stroke-width=\"2\" fill=\"none\" stroke-dasharray=\"8 4 2 4 2 4\""), 3u);
  EXPECT_EQ(cuenta(">0.5</text>"), 2u);
  EXPECT_EQ(cuenta(">50</text>"), 1u);
  EXPECT_EQ(cuenta("fill=\"#ffff00\">"), 3u);
  EXPECT_NE(svg.find(">Aciertos:</text>"), std::string::npos);
}

TEST(Svg, UnaHistoriaDanadaNoDaCoordenadasDesmedidas) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  Historia h;
  h.maximo = {nan, 1e300, -inf, 0.5, 1e9};
  h.total = {inf, 1e300, 2.0, nan, 3.0};
  h.aciertos = {-1e300, nan, 50.0, inf, 60.0};
  const std::string svg = SvgLamina(PlanificarLamina(Entrada(h)), "x");
  for (const char* malo : {"nan", "inf", "e+"}) EXPECT_EQ(svg.find(malo), std::string::npos) << malo;
  for (int id : {1011, 1020, 1015})
    for (const char* color : {"#7dff32", "#ff00ff", "#00ffff"})
      for (const auto& [x, y] : Puntos(svg, id, color)) {
        EXPECT_LT(std::fabs(x), 1000.0);
        EXPECT_LT(std::fabs(y), 1000.0);
      }
}

// A figure of 150 digits (a damaged file) shows its start inside its
// field, as the form's field does; ordinary figures stay whole, even those
// wider than their field.
TEST(Svg, UnaCifraEnormeNoPasaDeSuCampo) {
  Historia h = Entrenamiento(3);
  h.total.back() = 1e150;
  h.aciertos.back() = 12345678.5;
  h.maximo.back() = 1234567890123456.0;
  const Lamina l = PlanificarLamina(Entrada(h));
  const std::string svg = SvgLamina(l, "x");
  {
    const int id = 1009;
    const TextoLamina* t = Texto(l, id);
    ASSERT_TRUE(t);
    const std::size_t p = svg.find("id=\"texto" + std::to_string(id) + "\"");
    ASSERT_NE(p, std::string::npos);
    const std::size_t a = svg.find('>', p) + 1;
    const std::string texto = svg.substr(a, svg.find('<', a) - a);
    EXPECT_FALSE(texto.empty());
    EXPECT_EQ(t->texto.compare(0, texto.size(), texto), 0) << texto;  // its start
    EXPECT_LE(0.6 * l.base.y * 0.82 * double(texto.size()), double(t->ancho)) << texto;
  }
  EXPECT_NE(svg.find(">1234567890123456.000000<"), std::string::npos);
  EXPECT_NE(svg.find(">12345678.5000%<"), std::string::npos);
}

TEST(Svg, ElIdiomaNoCambiaNingunByte) {
  const Historia h = Entrenamiento(30);
  const std::string c = SvgLamina(PlanificarLamina(Entrada(h)), "x");
  if (std::setlocale(LC_ALL, "es_ES.UTF-8") == nullptr) GTEST_SKIP() << "es_ES.UTF-8 no está instalado";
  const std::string es = SvgLamina(PlanificarLamina(Entrada(h)), "x");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(c, es);
}
