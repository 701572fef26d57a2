// The drawing plan of the three training graphs: what each pass draws, in
// logical coordinates, for the edge cases of the curves, labels and mapping.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <vector>

#include "plan/plan_grafica.h"

namespace {

struct Historia {
  std::vector<double> maximo, total, aciertos;
};

EntradaPlan Entrada(const Historia& hist, UINT E = 100, double criterio = 0.1, bool visible = false) {
  EntradaPlan e;
  e.nMaxEpocas = E;
  e.dErrorMaximo = criterio;
  e.n = static_cast<UINT>(hist.total.size());
  e.bHayPuntos = e.n != 0;
  e.pErrorMaximo = hist.maximo.data();
  e.pErrorTotal = hist.total.data();
  e.pAciertos = hist.aciertos.data();
  e.bMarcoTotalVisible = visible;
  e.ancho = {190, 190, 190};
  e.alto = {125, 125, 125};
  return e;
}

// A history with the given total errors (the other two series are flat).
Historia ConTotales(std::vector<double> totales) {
  Historia h;
  h.total = std::move(totales);
  h.maximo.assign(h.total.size(), 0.5);
  h.aciertos.assign(h.total.size(), 50.0);
  return h;
}

Historia ConAciertos(std::vector<double> aciertos) {
  Historia h;
  h.aciertos = std::move(aciertos);
  h.maximo.assign(h.aciertos.size(), 0.5);
  h.total.assign(h.aciertos.size(), 1.0);
  return h;
}

struct Segmento {
  PuntoLogico desde, hasta;
  friend bool operator==(const Segmento&, const Segmento&) = default;
};

std::ostream& operator<<(std::ostream& os, const Segmento& s) {
  return os << "(" << s.desde.x << "," << s.desde.y << ")->(" << s.hasta.x << "," << s.hasta.y << ")";
}

// The curve segments of a frame: the lines drawn with the given pen.
std::vector<Segmento> Segmentos(const PlanMarco& marco, const Pluma& pluma) {
  std::vector<Segmento> r;
  for (const auto& p : marco.primitivas) {
    if (p.tipo == TipoPrimitiva::Linea && p.pluma == pluma) r.push_back({p.desde, p.hasta});
  }
  return r;
}

const Primitiva* Etiqueta(const PlanMarco& marco) {
  for (const auto& p : marco.primitivas) {
    if (p.tipo == TipoPrimitiva::Texto) return &p;
  }
  return nullptr;
}

const Primitiva* Referencia(const PlanMarco& marco) {
  for (const auto& p : marco.primitivas) {
    if (p.tipo == TipoPrimitiva::Linea && p.pluma == kPlumaReferencia) return &p;
  }
  return nullptr;
}

std::vector<Segmento> Total(const PlanGraficas& plan) {
  return Segmentos(plan.marcos[kMarcoErrorTotal], kPlumaErrorTotal);
}
std::vector<Segmento> Aciertos(const PlanGraficas& plan) {
  return Segmentos(plan.marcos[kMarcoAciertos], kPlumaAciertos);
}

// ---------------------------------------------------------------------------
// Curves

TEST(CurvasGrafica, UnaEpocaNoDibujaSegmentoEnNingunaPasada) {
  Historia h = ConTotales({3.0});
  for (Pasada pasada : {Pasada::Completa, Pasada::Actualizacion}) {
    PlanGraficas plan = PlanificarGraficas(pasada, Entrada(h));
    EXPECT_TRUE(Segmentos(plan.marcos[kMarcoErrorMaximo], kPlumaErrorMaximo).empty());
    EXPECT_TRUE(Total(plan).empty());
    EXPECT_TRUE(Aciertos(plan).empty());
    EXPECT_TRUE(plan.bMostrarMarcoTotal) << "3.0 is below 8.0";
  }
}

TEST(CurvasGrafica, ErrorMaximoSinLimiteConTecho) {
  Historia h = ConTotales({1.0, 1.0, 1.0});
  h.maximo = {0.011, 1.0, 3.0};
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(h));
  std::vector<Segmento> esperado = {{{0, 1}, {100, 50}}, {{100, 50}, {200, 150}}};
  EXPECT_EQ(Segmentos(plan.marcos[kMarcoErrorMaximo], kPlumaErrorMaximo), esperado);
}

TEST(CurvasGrafica, ErrorTotalDeOchoTrasUnoMenorTerminaArribaYSigueSoloPorDebajo) {
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(ConTotales({4.0, 8.0, 9.0, 8.0, 2.0})));
  // 4.0 -> 8.0 ends on the top line; 8.0 -> 9.0 and 9.0 -> 8.0 are wholly at
  // or above it; 8.0 -> 2.0 resumes from y = 100.
  std::vector<Segmento> esperado = {{{0, 50}, {100, 100}}, {{300, 100}, {400, 25}}};
  EXPECT_EQ(Total(plan), esperado);
}

TEST(CurvasGrafica, ErrorTotalQueEmpiezaPorEncimaDeOcho) {
  Historia h = ConTotales({12.0, 9.5});
  PlanGraficas plan = PlanificarGraficas(Pasada::Actualizacion, Entrada(h));
  EXPECT_TRUE(Total(plan).empty());
  EXPECT_FALSE(plan.bMostrarMarcoTotal);

  plan = PlanificarGraficas(Pasada::Completa, Entrada(h));
  EXPECT_TRUE(Total(plan).empty());
  EXPECT_FALSE(plan.bMostrarMarcoTotal);

  // The first value below 8.0 shows the frame and starts from the top line.
  h = ConTotales({12.0, 9.5, 6.0});
  plan = PlanificarGraficas(Pasada::Actualizacion, Entrada(h));
  std::vector<Segmento> esperado = {{{100, 100}, {200, 75}}};
  EXPECT_EQ(Total(plan), esperado);
  EXPECT_TRUE(plan.bMostrarMarcoTotal);
}

TEST(CurvasGrafica, ValorPrevioPorEncimaDe792EsCien) {
  // ceil(12.5 * 7.93) = 100: a following 8.0 or more draws nothing.
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(ConTotales({7.93, 8.0, 7.5})));
  std::vector<Segmento> esperado = {{{100, 100}, {200, 94}}};
  EXPECT_EQ(Total(plan), esperado);

  // Just below: ceil(12.5 * 7.9) = 99 still draws up to the top line.
  plan = PlanificarGraficas(Pasada::Completa, Entrada(ConTotales({7.9, 8.5})));
  esperado = {{{0, 99}, {100, 100}}};
  EXPECT_EQ(Total(plan), esperado);
}

TEST(CurvasGrafica, LaHistoriaNoCambiaAlDibujar) {
  Historia h = ConTotales({9.0, 3.0});
  const std::vector<double> antes = h.total;
  PlanificarGraficas(Pasada::Completa, Entrada(h));
  EXPECT_EQ(h.total, antes);
}

TEST(CurvasGrafica, AciertosEnLaPasadaDeActualizacionReanudanEn75) {
  Historia h = ConAciertos({80.0, 70.0, 60.0});
  std::vector<Segmento> actualizacion = {{{0, 80}, {100, 70}}, {{100, 75}, {200, 60}}};
  std::vector<Segmento> completa = {{{0, 80}, {100, 70}}, {{100, 70}, {200, 60}}};
  EXPECT_EQ(Aciertos(PlanificarGraficas(Pasada::Actualizacion, Entrada(h))), actualizacion);
  EXPECT_EQ(Aciertos(PlanificarGraficas(Pasada::Completa, Entrada(h))), completa);
}

TEST(CurvasGrafica, AciertosSinCaidaBajo75NoSeAlteran) {
  // 75 itself is not above 75; 90 -> 75.5 stays above; a first epoch below
  // 75 has nothing before it.
  Historia h = ConAciertos({60.0, 90.0, 75.5, 75.0, 70.0});
  std::vector<Segmento> esperado = {
      {{0, 60}, {100, 90}}, {{100, 90}, {200, 75}}, {{200, 75}, {300, 75}}, {{300, 75}, {400, 70}}};
  EXPECT_EQ(Aciertos(PlanificarGraficas(Pasada::Actualizacion, Entrada(h))), esperado);
}

TEST(CurvasGrafica, OrdenDeLaPasadaDeActualizacion) {
  // No fill, axes, reference line or label: the frame repaints its border,
  // then the curves.
  PlanGraficas plan = PlanificarGraficas(Pasada::Actualizacion, Entrada(ConTotales({3.0, 2.0})));
  for (const auto& marco : plan.marcos) {
    ASSERT_EQ(marco.primitivas.size(), 2u) << marco.id;
    EXPECT_EQ(marco.primitivas[0].tipo, TipoPrimitiva::Marco);
    EXPECT_EQ(marco.primitivas[1].tipo, TipoPrimitiva::Linea);
  }
}

TEST(CurvasGrafica, SinEpocasLaActualizacionNoDibujaNada) {
  Historia vacia;
  PlanGraficas plan = PlanificarGraficas(Pasada::Actualizacion, Entrada(vacia));
  for (const auto& marco : plan.marcos) EXPECT_TRUE(marco.primitivas.empty());
  EXPECT_FALSE(plan.bMostrarMarcoTotal);
}

TEST(CurvasGrafica, ValoresNoFinitosNoRompenElPlan) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Historia h;
  h.maximo = {nan, inf, -inf, 1e300};
  h.total = {nan, inf, 1e300, 2.0};
  h.aciertos = {nan, 1e300, -inf, 50.0};
  PlanGraficas plan = PlanificarGraficas(Pasada::Actualizacion, Entrada(h));
  EXPECT_EQ(Segmentos(plan.marcos[kMarcoErrorMaximo], kPlumaErrorMaximo).size(), 3u);
  for (const auto& s : Total(plan)) EXPECT_LE(s.hasta.y, 100);
  EXPECT_TRUE(plan.bMostrarMarcoTotal);
}

// ---------------------------------------------------------------------------
// Visibility of frame 1020

TEST(VisibilidadMarcoTotal, DependeSoloDelUltimoValorMostrado) {
  // Earlier values below 8.0 do not count: the latest one decides.
  EXPECT_FALSE(PlanificarGraficas(Pasada::Completa, Entrada(ConTotales({2.0, 8.0}))).bMostrarMarcoTotal);
  EXPECT_TRUE(PlanificarGraficas(Pasada::Completa, Entrada(ConTotales({9.0, 7.99}))).bMostrarMarcoTotal);
}

TEST(VisibilidadMarcoTotal, NuncaSeOcultaNiSeVuelveAMostrar) {
  // Already visible: the pass has nothing to do, whatever the value.
  Historia h = ConTotales({9.0});
  EXPECT_FALSE(PlanificarGraficas(Pasada::Completa, Entrada(h, 100, 0.1, true)).bMostrarMarcoTotal);
  h = ConTotales({1.0});
  EXPECT_FALSE(PlanificarGraficas(Pasada::Completa, Entrada(h, 100, 0.1, true)).bMostrarMarcoTotal);
}

TEST(VisibilidadMarcoTotal, SinEntradasMostradasNoSePrueba) {
  Historia vacia;
  EXPECT_FALSE(PlanificarGraficas(Pasada::Completa, Entrada(vacia)).bMostrarMarcoTotal);
}

TEST(VisibilidadMarcoTotal, ElMarcoOcultoSePreparaIgual) {
  // Each frame keeps what is drawn on it, so a hidden one is prepared too
  // and shows its background and axes when it appears.
  Historia vacia;
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(vacia));
  EXPECT_EQ(plan.marcos[kMarcoErrorTotal].primitivas.front().tipo, TipoPrimitiva::Relleno);
}

// ---------------------------------------------------------------------------
// Full redraw: background, axes, reference lines and labels

TEST(PreparacionMarcos, OrdenYColoresDelRedibujadoCompleto) {
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(ConTotales({3.0, 2.0}), 10, 0.5));
  ASSERT_EQ(plan.marcos[0].id, 1011);
  ASSERT_EQ(plan.marcos[1].id, 1020);
  ASSERT_EQ(plan.marcos[2].id, 1015);
  for (const auto& marco : plan.marcos) {
    const auto& p = marco.primitivas;
    ASSERT_GE(p.size(), 7u);
    EXPECT_EQ(p[0].tipo, TipoPrimitiva::Relleno);
    EXPECT_EQ(p[0].colorFondo, Rgb(25, 25, 25));
    EXPECT_EQ(p[1].tipo, TipoPrimitiva::Marco);
    EXPECT_EQ(p[2].pluma, kPlumaEjes);
    EXPECT_EQ(p[2].desde, (PuntoLogico{0, 0}));
    EXPECT_EQ(p[2].hasta, (PuntoLogico{1000, 0}));
    EXPECT_EQ(p[3].pluma, kPlumaEjes);
    EXPECT_EQ(p[3].hasta, (PuntoLogico{0, 100}));
    EXPECT_EQ(p[4].pluma, kPlumaReferencia);
    EXPECT_EQ(p[4].desde.x, 0);
    EXPECT_EQ(p[4].hasta.x, 1000);
    EXPECT_EQ(p[5].tipo, TipoPrimitiva::Texto);
    EXPECT_EQ(p[5].colorTexto, Rgb(255, 255, 0));
    EXPECT_EQ(p[6].tipo, TipoPrimitiva::Linea) << "curves follow the label";
  }
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorMaximo])->colorFondo, Rgb(25, 25, 25));
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorTotal])->colorFondo, Rgb(0, 0, 0));
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoAciertos])->colorFondo, Rgb(0, 0, 0));
}

TEST(PreparacionMarcos, PlumasDeLaTabla) {
  EXPECT_EQ(kPlumaErrorMaximo, (Pluma{EstiloPluma::Solida, 2, Rgb(125, 255, 50)}));
  EXPECT_EQ(kPlumaErrorTotal, (Pluma{EstiloPluma::Solida, 2, Rgb(255, 0, 255)}));
  EXPECT_EQ(kPlumaAciertos, (Pluma{EstiloPluma::Solida, 2, Rgb(0, 255, 255)}));
  EXPECT_EQ(kPlumaReferencia, (Pluma{EstiloPluma::RayaPuntoPunto, 2, Rgb(255, 255, 0)}));
  EXPECT_EQ(kPlumaEjes, (Pluma{EstiloPluma::Solida, 1, Rgb(255, 255, 255)}));
}

TEST(PreparacionMarcos, SinEpocasSeDibujanFondoEjesYEtiquetasSinCurvas) {
  Historia vacia;
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(vacia));
  for (const auto& marco : plan.marcos) EXPECT_EQ(marco.primitivas.size(), 6u) << marco.id;
}

TEST(PreparacionMarcos, CurvasSoloConPuntosEnElDocumento) {
  // The view still shows entries but the document has none recorded.
  Historia h = ConTotales({3.0, 2.0});
  EntradaPlan e = Entrada(h);
  e.bHayPuntos = false;
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, e);
  EXPECT_TRUE(Total(plan).empty());
}

TEST(PreparacionMarcos, CriterioDe001) {
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 100, 0.01));
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorMaximo])->texto, "0.0");
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorTotal])->texto, "0.0");
  EXPECT_EQ(Referencia(plan.marcos[kMarcoErrorMaximo])->desde.y, 0);  // trunc(0.5)
  EXPECT_EQ(Referencia(plan.marcos[kMarcoErrorTotal])->desde.y, 0);   // trunc(0.125)
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoAciertos])->texto, "50");
}

TEST(PreparacionMarcos, CriterioDe05) {
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 100, 0.5));
  const Primitiva* ref = Referencia(plan.marcos[kMarcoErrorMaximo]);
  EXPECT_EQ(ref->desde, (PuntoLogico{0, 25}));
  EXPECT_EQ(ref->hasta, (PuntoLogico{10000, 25}));
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorMaximo])->texto, "0.5");
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorMaximo])->desde.y, 25);

  ref = Referencia(plan.marcos[kMarcoErrorTotal]);
  EXPECT_EQ(ref->desde, (PuntoLogico{0, 6}));
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorTotal])->texto, "0.5");
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorTotal])->desde.y, 6);

  EXPECT_EQ(Referencia(plan.marcos[kMarcoAciertos])->desde.y, 50);
}

TEST(PreparacionMarcos, EtiquetaConComaDecimalEnElEntorno) {
  // The label keeps its point whatever locale the process runs in.
  const char* anterior = std::setlocale(LC_NUMERIC, nullptr);
  std::string guardado = anterior ? anterior : "C";
  if (std::setlocale(LC_NUMERIC, "es_ES.UTF-8") == nullptr) GTEST_SKIP() << "es_ES.UTF-8 not installed";
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 100, 1.25));
  std::setlocale(LC_NUMERIC, guardado.c_str());
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorMaximo])->texto, "1.2");
}

TEST(PreparacionMarcos, PosicionDeLasEtiquetas) {
  // xl = (3*H*E)/4 for 1011 and 1020, ((3*E)/4)*H for 1015, integer division.
  EntradaPlan e = Entrada(Historia{}, 10, 0.1);
  e.alto = {125, 126, 127};
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, e);
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorMaximo])->desde, (PuntoLogico{937, 5}));  // 3750/4
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoErrorTotal])->desde, (PuntoLogico{945, 1}));   // 3780/4
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoAciertos])->desde, (PuntoLogico{889, 50}));    // 7*127
}

TEST(PreparacionMarcos, UnaEpocaComoLimite) {
  PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 1, 0.1));
  EXPECT_EQ(plan.marcos[kMarcoAciertos].mapeo.ventanaX, 200);
  EXPECT_EQ(Etiqueta(plan.marcos[kMarcoAciertos])->desde.x, 0);
  EXPECT_EQ(plan.marcos[kMarcoAciertos].primitivas[2].hasta, (PuntoLogico{100, 0}));  // the axis
}

// ---------------------------------------------------------------------------
// Mapping

TEST(MapeoGrafica, ExtensionesDeVentana) {
  EXPECT_EQ(CalcularMapeo(1, 190, 125).ventanaX, 200);
  EXPECT_EQ(CalcularMapeo(10, 190, 125).ventanaX, 1100);
  EXPECT_EQ(CalcularMapeo(100, 190, 125).ventanaX, 11100);
  EXPECT_EQ(CalcularMapeo(400, 190, 125).ventanaX, 44100);
  EXPECT_EQ(CalcularMapeo(400, 190, 125).ventanaY, 110);
}

TEST(MapeoGrafica, VistaYOrigen) {
  Mapeo m = CalcularMapeo(100, 190, 125);
  EXPECT_EQ(m.vistaX, 190);
  EXPECT_EQ(m.vistaY, -125);
  EXPECT_EQ(m.origenX, 10);        // ceil(9.5)
  EXPECT_EQ(m.origenY, 125 - 7);   // ceil(6.25)
  m = CalcularMapeo(100, 200, 120);
  EXPECT_EQ(m.origenX, 10);        // 0.05 * 200 is exactly 10
  EXPECT_EQ(m.origenY, 114);
}

TEST(MapeoGrafica, PixelDeUnPuntoLogico) {
  Mapeo m = CalcularMapeo(10, 220, 110);
  double px = 0, py = 0;
  m.PixelDe({0, 0}, px, py);
  EXPECT_DOUBLE_EQ(px, 11.0);
  EXPECT_DOUBLE_EQ(py, 110.0 - 6.0);
  m.PixelDe({550, 100}, px, py);
  EXPECT_DOUBLE_EQ(px, 11.0 + 110.0);
  EXPECT_DOUBLE_EQ(py, 104.0 - 100.0);
}

TEST(MapeoGrafica, LimitesDegeneradosNoDividenPorCero) {
  Mapeo m = CalcularMapeo(0, 190, 125);
  EXPECT_GT(m.ventanaX, 0);
  m = CalcularMapeo(0xFFFFFFFFu, 0, 0);
  EXPECT_GT(m.ventanaX, 0);
  EXPECT_EQ(m.origenX, 0);
  EXPECT_EQ(m.origenY, 0);
}

// A segment keeps its inside part; one wholly outside, or along an edge's
// outer side, is dropped.
TEST(MapeoGrafica, RecortarDejaLaParteDentroDelRectangulo) {
  double ax = 5, ay = 5, bx = 15, by = 5;
  ASSERT_TRUE(Recortar(ax, ay, bx, by, 0, 0, 10, 10));
  EXPECT_DOUBLE_EQ(ax, 5);
  EXPECT_DOUBLE_EQ(bx, 10);
  ax = -1e12, ay = 0, bx = 1e12, by = 10;
  ASSERT_TRUE(Recortar(ax, ay, bx, by, 0, 0, 10, 10));
  EXPECT_DOUBLE_EQ(ax, 0);
  EXPECT_DOUBLE_EQ(bx, 10);
  EXPECT_NEAR(ay, 5, 1e-9);
  ax = 2, ay = 3, bx = 4, by = 6;
  ASSERT_TRUE(Recortar(ax, ay, bx, by, 0, 0, 10, 10));
  EXPECT_EQ((std::vector<double>{ax, ay, bx, by}), (std::vector<double>{2, 3, 4, 6}));
  ax = 11, ay = 0, bx = 20, by = 10;
  EXPECT_FALSE(Recortar(ax, ay, bx, by, 0, 0, 10, 10));
  ax = 0, ay = -1, bx = 10, by = -1;
  EXPECT_FALSE(Recortar(ax, ay, bx, by, 0, 0, 10, 10));
}

}  // namespace
