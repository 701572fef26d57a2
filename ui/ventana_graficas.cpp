#include "ui/ventana_graficas.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDateTime>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtCharts/QChart>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/esquema.h"
#include "framework/dialogo.h"
#include "framework/host.h"
#include "framework/mensajes.h"
#include "framework/texto.h"
#include "network/aplicar.h"
#include "network/exportar.h"
#include "network/nodusdoc.h"
#include "network/verificacion.h"
#include "plan/plan_grafica.h"

namespace {

QColor AColor(ColorRGB c) { return QColor(c.r, c.g, c.b); }
QString Q(const CString& s) { return QString::fromUtf8(s.c_str()); }

// The form's colour of each measure for the first network; the others
// take these in turn (never the criterion's yellow).
constexpr std::array<ColorRGB, 3> kColoresMedida = {kColorErrorMaximo, kColorErrorTotal, kColorAciertos};
constexpr std::array<ColorRGB, 5> kColoresOtras = {Rgb(255, 140, 0), Rgb(230, 230, 230), Rgb(255, 80, 80),
                                                    Rgb(110, 150, 255), Rgb(200, 120, 255)};

QColor ColorCurva(int medida, std::size_t red) {
  if (red == 0) return AColor(kColoresMedida[medida]);
  (void)medida;
  return AColor(kColoresOtras[(red - 1) % kColoresOtras.size()]);
}

constexpr const char* kNombreCriterio = "Criterio";

double FiguraPrueba(const FigurasPrueba& f, int medida) {
  return medida == kGraficaErrorMaximo ? f.dErrorMaximo : medida == kGraficaErrorTotal ? f.dErrorTotal : f.dTasaAciertos;
}

}  // namespace

CurvasRed CurvasDe(const CNodusDoc& doc) {
  CurvasRed c;
  c.titulo = Q(doc.GetTitle());
  c.dCriterio = doc.m_dErrorMaximo;
  c.nMaxEpocas = doc.m_nMaxEpocas;
  UINT n = doc.m_nPuntos.load(std::memory_order_acquire);
  n = std::min({n, doc.m_arrErrorMaximo.m_nTam, doc.m_arrErrorTotal.m_nTam, doc.m_arrAciertos.m_nTam});
  const double* fuentes[3] = {doc.m_arrErrorMaximo.m_pDatos, doc.m_arrErrorTotal.m_pDatos, doc.m_arrAciertos.m_pDatos};
  for (int k = 0; k < 3; ++k)
    if (n > 0 && fuentes[k] != nullptr) c.medidas[k].assign(fuentes[k], fuentes[k] + n);
  // The option's history below the same count: the thread wrote it first.
  const OpcionesRed& op = doc.m_opciones;
  const std::vector<double>* ent[3] = {&op.entErrorMaximo, &op.entErrorTotal, &op.entAciertos};
  const std::size_t nEnt = std::min<std::size_t>(n, op.entErrorMaximo.size());
  if (std::any_of(op.entErrorTotal.begin(), op.entErrorTotal.begin() + std::ptrdiff_t(nEnt),
                  [](double v) { return !std::isnan(v); }))
    for (int k = 0; k < 3; ++k) c.entrenamiento[k].assign(ent[k]->begin(), ent[k]->begin() + std::ptrdiff_t(nEnt));
  // The test figures are written when a run ends: read once none runs.
  if (!doc.m_bEntrenando.load()) {
    c.bPrueba = op.bFigurasPrueba;
    c.prueba = op.figurasPrueba;
  }
  if (op.nClases != 0) {
    const std::size_t nClases = std::min<std::size_t>(n, op.aciertosClase.size() / op.nClases) * op.nClases;
    c.nClases = op.nClases;
    c.aciertosClase.assign(op.aciertosClase.begin(), op.aciertosClase.begin() + std::ptrdiff_t(nClases));
  }
  return c;
}

QString NombreEntrenamiento(const QString& titulo) { return QStringLiteral("%1 (entrenamiento)").arg(titulo); }

QString NombrePrueba(const QString& titulo) { return QStringLiteral("%1 (prueba)").arg(titulo); }

QString NombreMedida(int medida) {
  switch (medida) {
    case kGraficaErrorMaximo:
      return QStringLiteral("Error máximo");
    case kGraficaErrorTotal:
      return QStringLiteral("Error total");
    case kGraficaClases:
      return QStringLiteral("Aciertos por clase (%)");
    default:
      return QStringLiteral("Aciertos (%)");
  }
}

QString TextoLectura(const CurvasRed& red, UINT epoca) {
  if (epoca == 0 || epoca > red.Puntos()) return QString();
  const std::size_t i = epoca - 1;
  CString s = FormatC("%s, época %u: error máximo %.7g; error total %.7g; aciertos %.4f %%",
                      red.titulo.toUtf8().constData(), epoca, red.medidas[0][i], red.medidas[1][i], red.medidas[2][i]);
  const auto& t = red.entrenamiento;
  if (i < t[0].size() && !std::isnan(t[1][i]))
    s += FormatC(" (entrenamiento: error máximo %.7g; error total %.7g; aciertos %.4f %%)", t[0][i], t[1][i], t[2][i]);
  return Q(s);
}

// ---------------------------------------------------------------- filling a chart

namespace {

struct Rango {
  double lo = 0, hi = 0;
  bool hay = false;
  void Con(double v) {
    if (!std::isfinite(v)) return;
    if (!hay) lo = hi = v;
    lo = std::min(lo, v);
    hi = std::max(hi, v);
    hay = true;
  }
};

// The smallest positive value drawn on a logarithmic axis: zeros sit on
// the axis' floor.
double SueloLog(const Rango& positivos) { return positivos.hay ? positivos.lo / 2.0 : 1e-6; }

QAbstractAxis* EjeDe(QChart* chart, Qt::Orientation o) {
  const auto ejes = chart->axes(o);
  return ejes.isEmpty() ? nullptr : ejes.first();
}

// A tick every 1, 2 or 5 times a power of ten epochs: as many as the
// plot's width holds with a label's room between labels (five before the
// chart is laid out), never less than one epoch apart.
double PasoEpocas(double lo, double hi, double ancho, const QFont& fuente) {
  const QFontMetricsF fm(fuente);
  const double etiqueta = 2.0 * fm.horizontalAdvance(QString::number(qlonglong(std::ceil(std::abs(hi)))));
  const int marcas = ancho > etiqueta ? std::clamp(int(ancho / etiqueta), 1, 10) : 5;
  const double bruto = std::max((hi - lo) / marcas, 1.0);
  const double decada = std::pow(10.0, std::floor(std::log10(bruto) + 1e-9));
  for (double f : {1.0, 2.0, 5.0})
    if (f * decada >= bruto - 1e-9) return f * decada;
  return 10.0 * decada;
}

// The epoch axis: whole epochs from 0, also when zoomed or panned.
QValueAxis* NuevoEjeEpocas(QChart* chart) {
  auto* eje = new QValueAxis();
  eje->setTitleText(QStringLiteral("Época"));
  eje->setLabelFormat(QStringLiteral("%.0f"));
  eje->setTickType(QValueAxis::TicksDynamic);
  eje->setTickAnchor(0.0);
  eje->setTickInterval(1.0);
  chart->addAxis(eje, Qt::AlignBottom);
  QObject::connect(eje, &QValueAxis::rangeChanged, eje, [eje, chart](qreal lo, qreal hi) {
    eje->setTickInterval(PasoEpocas(lo, hi, chart->plotArea().width(), eje->labelsFont()));
  });
  return eje;
}

// The automatic range of the epochs: from 0 to a tick at or past the
// last, or to hasta when a mark needs more.
void AjustarEjeEpocas(QChart* chart, QValueAxis* eje, double xMax, double hasta = 0.0) {
  const double paso = PasoEpocas(0.0, xMax, chart->plotArea().width(), eje->labelsFont());
  eje->setRange(0.0, std::max(std::ceil(xMax / paso - 1e-9) * paso, hasta));
}

// The share of an axis of largo pixels that a mark's half takes (a
// twenty-fifth before the chart is laid out).
double Holgura(double largo, double tamMarca) {
  const double medio = tamMarca / 2.0 + 2.0;
  return largo > 4.0 * medio ? medio / largo : 0.04;
}

// Widens [lo, hi] so that a mark at v, f of the axis wide each side of
// its centre, lies whole inside it.
void DarSitio(double& lo, double& hi, double v, double f) {
  if (!std::isfinite(v) || !(hi > lo)) return;
  if (hi - v < f * (hi - lo)) hi = (v - f * lo) / (1.0 - f);
  if (v - lo < f * (hi - lo)) lo = (v - f * hi) / (1.0 - f);
}

// Long names in the legend cut in their middle (the end tells the
// training curve and the test mark apart), so that the plot keeps its
// width: no wider than a fifth of the chart, or 24 characters.
void AbreviarLeyenda(QChart* chart) {
  const QFontMetricsF fm(chart->legend()->font());
  const double caracter = fm.averageCharWidth();
  const double ancho = chart->size().width();
  const double tope = std::max(12.0 * caracter, ancho > 0 ? std::min(24.0 * caracter, ancho / 5.0) : 24.0 * caracter);
  for (QLegendMarker* m : chart->legend()->markers())
    if (m->series() != nullptr) {
      const QString etiqueta = fm.elidedText(m->series()->name(), Qt::ElideMiddle, tope);
      if (m->label() != etiqueta) m->setLabel(etiqueta);
    }
}

}  // namespace

void LlenarGrafica(QChart* chart, int medida, const std::vector<CurvasRed>& redes, bool log, bool ajustar,
                   const QFont* fuente) {
  const bool logaritmica = log && medida != kGraficaAciertos;
  const bool criterio = medida == kGraficaErrorMaximo && !redes.empty() && std::isfinite(redes[0].dCriterio) &&
                        (redes[0].dCriterio > 0 || !logaritmica);

  // The curves: the same series again while the same networks show.
  enum class Tipo { Curva, Entrenamiento, Prueba, Criterio };
  struct Serie {
    QString nombre;
    Tipo tipo;
    std::size_t red;
  };
  std::vector<Serie> lista;
  const double tamMarca = fuente == nullptr ? 10.0 : 8.0;
  for (std::size_t i = 0; i < redes.size(); ++i) lista.push_back({redes[i].titulo, Tipo::Curva, i});
  for (std::size_t i = 0; i < redes.size(); ++i)
    if (!redes[i].entrenamiento[medida].empty())
      lista.push_back({NombreEntrenamiento(redes[i].titulo), Tipo::Entrenamiento, i});
  for (std::size_t i = 0; i < redes.size(); ++i)
    if (redes[i].bPrueba) lista.push_back({NombrePrueba(redes[i].titulo), Tipo::Prueba, i});
  if (criterio) lista.push_back({QString::fromUtf8(kNombreCriterio), Tipo::Criterio, 0});
  QStringList nombres;
  for (const Serie& e : lista) nombres << e.nombre;
  QStringList actuales;
  for (QAbstractSeries* s : chart->series()) actuales << s->name();
  if (actuales != nombres) {
    chart->removeAllSeries();
    for (const Serie& e : lista) {
      const QColor color = ColorCurva(medida, e.red);
      QXYSeries* s = nullptr;
      QPen pen;
      if (e.tipo == Tipo::Prueba) {
        auto* marca = new QScatterSeries();
        marca->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        marca->setMarkerSize(tamMarca);
        marca->setBrush(color);
        pen = QPen(Qt::white, 1.0);
        s = marca;
      } else {
        s = new QLineSeries();
        if (e.tipo == Tipo::Criterio) pen = QPen(AColor(kColorAmarillo), 1.5, Qt::DashDotDotLine);
        else if (e.tipo == Tipo::Entrenamiento) pen = QPen(color, 1.5, Qt::DashLine);
        else pen = QPen(color, 2.0);
      }
      s->setName(e.nombre);
      pen.setCosmetic(fuente == nullptr);
      s->setPen(pen);
      chart->addSeries(s);
    }
  }

  // The axes: epochs across, the measure up, logarithmic or not.
  auto* ejeX = qobject_cast<QValueAxis*>(EjeDe(chart, Qt::Horizontal));
  if (ejeX == nullptr) ejeX = NuevoEjeEpocas(chart);
  QAbstractAxis* ejeY = EjeDe(chart, Qt::Vertical);
  const bool esLog = qobject_cast<QLogValueAxis*>(ejeY) != nullptr;
  if (ejeY == nullptr || esLog != logaritmica) {
    if (ejeY != nullptr) {
      chart->removeAxis(ejeY);
      delete ejeY;
    }
    if (logaritmica) {
      auto* l = new QLogValueAxis();
      l->setBase(10.0);
      l->setLabelFormat(QStringLiteral("%g"));
      l->setMinorTickCount(8);
      ejeY = l;
    } else {
      auto* v = new QValueAxis();
      v->setLabelFormat(QStringLiteral("%.4g"));
      ejeY = v;
    }
    // The chart's title names the measure: the axis needs no title of its own.
    chart->addAxis(ejeY, Qt::AlignLeft);
  }
  for (QAbstractAxis* eje : {static_cast<QAbstractAxis*>(ejeX), ejeY}) {
    const QColor rejilla(70, 70, 70);
    eje->setGridLineColor(rejilla);
    eje->setMinorGridLineColor(QColor(45, 45, 45));
    if (fuente != nullptr) {
      eje->setLabelsFont(*fuente);
      QFont t = *fuente;
      t.setBold(true);
      eje->setTitleFont(t);
    }
  }

  // The points, and the ranges they need.
  Rango y, positivos;
  UINT nMax = 0;
  const auto con = [&](double v) {
    y.Con(v);
    if (v > 0) positivos.Con(v);
  };
  for (const CurvasRed& r : redes) {
    nMax = std::max(nMax, r.Puntos());
    for (double v : r.medidas[medida]) con(v);
    for (double v : r.entrenamiento[medida]) con(v);
    if (r.bPrueba) {
      con(FiguraPrueba(r.prueba, medida));
      nMax = std::max(nMax, r.prueba.nEpoca);
    }
  }
  if (criterio) {
    y.Con(redes[0].dCriterio);
    if (redes[0].dCriterio > 0) positivos.Con(redes[0].dCriterio);
  }
  const double suelo = SueloLog(positivos);
  double xMax = std::max<double>(nMax, 1.0);
  const auto series = chart->series();
  for (int i = 0; i < series.size() && static_cast<std::size_t>(i) < lista.size(); ++i) {
    auto* s = static_cast<QXYSeries*>(series[i]);
    const Serie& e = lista[static_cast<std::size_t>(i)];
    const CurvasRed& r = redes[e.red];
    QList<QPointF> puntos;
    const auto anadir = [&](double x, double valor) {
      if (!std::isfinite(valor)) return;
      if (logaritmica) valor = std::max(valor, suelo);
      puntos.append(QPointF(x, valor));
    };
    if (e.tipo == Tipo::Criterio) {
      puntos = {QPointF(0.0, r.dCriterio), QPointF(std::max<double>(xMax, r.nMaxEpocas), r.dCriterio)};
    } else if (e.tipo == Tipo::Prueba) {
      anadir(r.prueba.nEpoca, FiguraPrueba(r.prueba, medida));
    } else {
      const std::vector<double>& v = e.tipo == Tipo::Curva ? r.medidas[medida] : r.entrenamiento[medida];
      puntos.reserve(static_cast<qsizetype>(v.size()));
      for (std::size_t k = 0; k < v.size(); ++k) anadir(static_cast<double>(k + 1), v[k]);
    }
    // A new vertical axis (the scale changed) takes the series kept, empty:
    // the old points may have no place on it (zeros on a logarithmic one).
    for (QAbstractAxis* eje : {static_cast<QAbstractAxis*>(ejeX), ejeY})
      if (!s->attachedAxes().contains(eje)) {
        s->clear();
        s->attachAxis(eje);
      }
    s->replace(puntos);
  }
  for (QLegendMarker* m : chart->legend()->markers())
    if (m->series() && m->series()->name() == QString::fromUtf8(kNombreCriterio) && !criterio) m->setVisible(false);
  AbreviarLeyenda(chart);

  if (!ajustar) return;
  // The test figures' marks whole inside the plot, past the last epoch too.
  const QRectF plot = chart->plotArea();
  const double fx = Holgura(plot.width(), tamMarca), fy = Holgura(plot.height(), tamMarca);
  std::vector<double> marcas;
  double hastaMarca = 0.0;
  for (const CurvasRed& r : redes)
    if (r.bPrueba && std::isfinite(FiguraPrueba(r.prueba, medida))) {
      marcas.push_back(logaritmica ? std::max(FiguraPrueba(r.prueba, medida), suelo) : FiguraPrueba(r.prueba, medida));
      hastaMarca = std::max(hastaMarca, r.prueba.nEpoca / (1.0 - fx));
    }
  AjustarEjeEpocas(chart, ejeX, xMax, hastaMarca);
  if (logaritmica) {
    double lo = positivos.hay ? positivos.lo : 1e-3;
    double hi = positivos.hay ? positivos.hi : 1.0;
    // Whole decades round the data, so that the labels are round numbers.
    lo = std::log10(std::min(lo, suelo));
    hi = std::log10(hi);
    for (double v : marcas) DarSitio(lo, hi, std::log10(v), fy);
    lo = std::pow(10.0, std::floor(lo));
    hi = std::pow(10.0, std::ceil(hi + 1e-9));
    if (!(hi > lo)) hi = lo * 10.0;
    static_cast<QLogValueAxis*>(ejeY)->setRange(lo, hi);
  } else {
    auto* v = static_cast<QValueAxis*>(ejeY);
    double lo = y.hay ? y.lo : 0.0;
    double hi = y.hay ? y.hi : 1.0;
    if (medida == kGraficaAciertos) {
      // The hits in a band round them, so that 99.3 and 99.4 stand apart.
      const double margen = std::max((hi - lo) * 0.08, 0.05);
      lo = std::max(0.0, lo - margen);
      hi = std::min(100.0, hi + margen);
      if (!(hi > lo)) lo = std::max(0.0, hi - 1.0);
    } else {
      lo = std::min(lo, 0.0);
      hi = hi > 0 ? hi * 1.05 : 1.0;
    }
    v->setTickType(QValueAxis::TicksFixed);
    v->setRange(lo, hi);
    // No more ticks than the height holds with a free line between labels.
    const qreal linea = QFontMetricsF(v->labelsFont()).height();
    v->setTickCount(std::clamp(int(chart->plotArea().height() / (2 * linea)) + 1, 2, 5));
    v->applyNiceNumbers();
    // A mark on the edge: the axis goes on a little past the round ticks.
    lo = v->min();
    hi = v->max();
    for (double m : marcas) DarSitio(lo, hi, m, fy);
    if (lo < v->min() || hi > v->max()) {
      v->setTickType(QValueAxis::TicksDynamic);
      v->setTickAnchor(v->min());
      v->setTickInterval((v->max() - v->min()) / std::max(v->tickCount() - 1, 1));
      v->setRange(lo, hi);
    }
  }
}

void LlenarGraficaClases(QChart* chart, const CurvasRed& red, const QStringList& nombresDados, bool ajustar) {
  // Light colours that stand apart on the plot's dark ground.
  static const std::array<QColor, 10> colores = {QColor(0, 255, 255),   QColor(255, 0, 255),   QColor(125, 255, 50),
                                                 QColor(255, 140, 0),   QColor(110, 150, 255), QColor(255, 80, 80),
                                                 QColor(230, 230, 230), QColor(200, 120, 255), QColor(255, 255, 140),
                                                 QColor(60, 200, 140)};
  QStringList nombres = nombresDados;
  if (nombres.size() != int(red.nClases)) {
    nombres.clear();
    for (UINT k = 0; k < red.nClases; ++k) nombres << QStringLiteral("salida%1").arg(k + 1);
  }
  QStringList actuales;
  for (QAbstractSeries* s : chart->series()) actuales << s->name();
  if (actuales != nombres) {
    chart->removeAllSeries();
    for (int k = 0; k < nombres.size(); ++k) {
      auto* s = new QLineSeries();
      s->setName(nombres[k]);
      QPen pen(colores[std::size_t(k) % colores.size()], 2.0);
      // Past the palette, the same colours dashed.
      if (std::size_t(k) >= colores.size()) pen.setStyle(Qt::DashLine);
      pen.setCosmetic(true);
      s->setPen(pen);
      chart->addSeries(s);
    }
  }
  AbreviarLeyenda(chart);
  auto* ejeX = qobject_cast<QValueAxis*>(EjeDe(chart, Qt::Horizontal));
  if (ejeX == nullptr) ejeX = NuevoEjeEpocas(chart);
  auto* ejeY = qobject_cast<QValueAxis*>(EjeDe(chart, Qt::Vertical));
  if (ejeY == nullptr) {
    ejeY = new QValueAxis();
    ejeY->setLabelFormat(QStringLiteral("%.4g"));
    chart->addAxis(ejeY, Qt::AlignLeft);
  }
  for (QAbstractAxis* eje : {static_cast<QAbstractAxis*>(ejeX), static_cast<QAbstractAxis*>(ejeY)}) {
    eje->setGridLineColor(QColor(70, 70, 70));
    eje->setMinorGridLineColor(QColor(45, 45, 45));
  }
  Rango y;
  const UINT nEpocas = red.PuntosClases();
  const auto series = chart->series();
  for (int k = 0; k < series.size(); ++k) {
    auto* s = static_cast<QLineSeries*>(series[k]);
    QList<QPointF> puntos;
    for (UINT e = 0; e < nEpocas; ++e) {
      const double v = red.aciertosClase[std::size_t(e) * red.nClases + std::size_t(k)];
      if (!std::isfinite(v)) continue;
      y.Con(v);
      puntos.append(QPointF(e + 1.0, v));
    }
    s->replace(puntos);
    if (s->attachedAxes().isEmpty()) {
      s->attachAxis(ejeX);
      s->attachAxis(ejeY);
    }
  }
  if (!ajustar) return;
  AjustarEjeEpocas(chart, ejeX, std::max<double>(nEpocas, 1.0));
  double lo = y.hay ? y.lo : 0.0, hi = y.hay ? y.hi : 100.0;
  const double margen = std::max((hi - lo) * 0.08, 0.5);
  lo = std::max(0.0, lo - margen);
  hi = std::min(100.0, hi + margen);
  if (!(hi > lo)) lo = std::max(0.0, hi - 1.0);
  ejeY->setRange(lo, hi);
  ejeY->setTickCount(5);
  ejeY->applyNiceNumbers();
}

// ---------------------------------------------------------------- a chart on screen

namespace {

QChart* NuevaGrafica(int medida) {
  auto* chart = new QChart();
  chart->setTitle(NombreMedida(medida));
  chart->setBackgroundRoundness(0);
  chart->setPlotAreaBackgroundBrush(AColor(kColorFondoMarco));
  chart->setPlotAreaBackgroundVisible(true);
  chart->legend()->setAlignment(Qt::AlignRight);
  chart->setMargins(QMargins(4, 4, 4, 4));
  return chart;
}

}  // namespace

// The chart is given at construction: setChart() would leave the view's
// default chart to whoever took it, and nobody does.
CVistaGrafica::CVistaGrafica(int medida, QWidget* padre)
    : QChartView(NuevaGrafica(medida), padre), m_nMedida(medida) {
  setObjectName(QStringLiteral("grafica%1").arg(medida));
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::RectangleRubberBand);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(240, 150);
}

void CVistaGrafica::resizeEvent(QResizeEvent* e) {
  QChartView::resizeEvent(e);
  // The ticks follow the new plot height.
  if (chart()->layout()) chart()->layout()->activate();
  if (alCambiarVista) alCambiarVista();
}

UINT CVistaGrafica::EpocaEn(QPointF punto) const {
  const QPointF escena = mapToScene(punto.toPoint());
  const QPointF enChart = chart()->mapFromScene(escena);
  if (!chart()->plotArea().contains(enChart) || chart()->series().isEmpty()) return 0;
  const double x = chart()->mapToValue(enChart, chart()->series().first()).x();
  if (!std::isfinite(x) || x < 0.5) return 0;
  return static_cast<UINT>(std::lround(std::min(x, 4.0e9)));
}

void CVistaGrafica::VistaCompleta() {
  m_bAmpliada = false;
  if (alCambiarVista) alCambiarVista();
}

void CVistaGrafica::Ampliar(qreal factor, QPointF centro) {
  const QRectF area = chart()->plotArea();
  if (!area.contains(centro)) centro = area.center();
  // The point under the pointer stays where it is.
  const QRectF r(centro.x() - (centro.x() - area.left()) / factor, centro.y() - (centro.y() - area.top()) / factor,
                 area.width() / factor, area.height() / factor);
  chart()->zoomIn(r);
  m_bAmpliada = true;
}

void CVistaGrafica::Desplazar(qreal dx, qreal dy) {
  chart()->scroll(dx, dy);
  m_bAmpliada = true;
}

void CVistaGrafica::mouseMoveEvent(QMouseEvent* e) {
  if (m_bArrastrando) {
    const QPointF d = e->position() - m_ultimo;
    m_ultimo = e->position();
    Desplazar(-d.x(), d.y());
    e->accept();
    return;
  }
  if (alApuntar) alApuntar(EpocaEn(e->position()));
  QChartView::mouseMoveEvent(e);
}

void CVistaGrafica::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton) {
    m_bArrastrando = true;
    m_ultimo = e->position();
    e->accept();
    return;
  }
  QChartView::mousePressEvent(e);
}

void CVistaGrafica::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::MiddleButton && m_bArrastrando) {
    m_bArrastrando = false;
    e->accept();
    return;
  }
  // The rubber band zooms in and the right button out: either way the
  // user has chosen the ranges.
  if (e->button() == Qt::LeftButton || e->button() == Qt::RightButton) m_bAmpliada = true;
  QChartView::mouseReleaseEvent(e);
}

void CVistaGrafica::wheelEvent(QWheelEvent* e) {
  const int paso = e->angleDelta().y();
  if (paso == 0) return;
  const QPointF centro = chart()->mapFromScene(mapToScene(e->position().toPoint()));
  Ampliar(paso > 0 ? 1.25 : 0.8, centro);
  e->accept();
}

void CVistaGrafica::keyPressEvent(QKeyEvent* e) {
  const QRectF area = chart()->plotArea();
  const qreal dx = area.width() / 10.0, dy = area.height() / 10.0;
  switch (e->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      Ampliar(1.25, area.center());
      break;
    case Qt::Key_Minus:
      Ampliar(0.8, area.center());
      break;
    case Qt::Key_Left:
      Desplazar(-dx, 0);
      break;
    case Qt::Key_Right:
      Desplazar(dx, 0);
      break;
    case Qt::Key_Up:
      Desplazar(0, dy);
      break;
    case Qt::Key_Down:
      Desplazar(0, -dy);
      break;
    case Qt::Key_0:
    case Qt::Key_Home:
      VistaCompleta();
      break;
    default:
      QChartView::keyPressEvent(e);
      return;
  }
  e->accept();
}

// ---------------------------------------------------------------- the window

namespace {

std::vector<CVentanaGraficas*>& Abiertas() {
  static std::vector<CVentanaGraficas*> v;
  return v;
}

}  // namespace

CVentanaGraficas::CVentanaGraficas(CNodusDoc* pDoc, std::function<std::vector<CNodusDoc*>()> abiertas,
                                   QWidget* padre)
    : QWidget(padre), m_pDoc(pDoc), m_abiertas(std::move(abiertas)) {
  setObjectName(QStringLiteral("ventanaGraficas"));
  auto* raiz = new QVBoxLayout(this);
  raiz->setContentsMargins(6, 6, 6, 6);
  auto* barra = new QHBoxLayout();
  m_pLog = new QCheckBox(QStringLiteral("Escala &logarítmica"), this);
  m_pLog->setToolTip(QStringLiteral("Los errores en escala logarítmica; los aciertos siempre en escala lineal."));
  m_pLog->setObjectName(QStringLiteral("escalaLogaritmica"));
  m_pLog->setChecked(true);
  connect(m_pLog, &QCheckBox::toggled, this, [this] {
    for (CVistaGrafica* v : m_vistas) v->VistaCompleta();
  });
  m_pRedes = new QToolButton(this);
  m_pRedes->setObjectName(QStringLiteral("redes"));
  m_pRedes->setText(QStringLiteral("&Redes superpuestas"));
  m_pRedes->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(m_pRedes);
  m_pRedes->setMenu(menu);
  connect(menu, &QMenu::aboutToShow, this, [this] { ElegirRedes(); });
  auto* completa = new QPushButton(QStringLiteral("&Vista completa"), this);
  completa->setObjectName(QStringLiteral("vistaCompleta"));
  completa->setAutoDefault(false);
  connect(completa, &QPushButton::clicked, this, [this] {
    for (CVistaGrafica* v : m_vistas) v->VistaCompleta();
  });
  barra->addWidget(m_pLog);
  barra->addWidget(m_pRedes);
  barra->addWidget(completa);
  barra->addStretch(1);
  raiz->addLayout(barra);

  m_pPaginas = new QTabWidget(this);
  m_pPaginas->setObjectName(QStringLiteral("paginas"));
  m_pPaginas->setDocumentMode(true);
  auto* division = new QSplitter(Qt::Vertical, m_pPaginas);
  division->setChildrenCollapsible(false);
  for (int k = 0; k < 3; ++k) {
    auto* v = new CVistaGrafica(k, division);
    v->alApuntar = [this](UINT e) { Apuntar(e); };
    v->alCambiarVista = [this] { Refrescar(); };
    division->addWidget(v);
    m_vistas[k] = v;
  }
  m_pPaginas->addTab(division, QStringLiteral("&Medidas"));
  m_pClases = new CPaginaClases(pDoc, m_pPaginas);
  m_pPaginas->addTab(m_pClases, QStringLiteral("Por &clase"));
  connect(m_pPaginas, &QTabWidget::currentChanged, this, [this] { Refrescar(); });
  raiz->addWidget(m_pPaginas, 1);
  m_pLectura = new QLabel(this);
  m_pLectura->setObjectName(QStringLiteral("lectura"));
  m_pLectura->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_pLectura->setText(QStringLiteral("Señale una época en una gráfica para ver sus cifras."));
  raiz->addWidget(m_pLectura);
  Abiertas().push_back(this);
  Refrescar();
}

CVentanaGraficas::~CVentanaGraficas() { std::erase(Abiertas(), this); }

std::vector<CNodusDoc*> CVentanaGraficas::Redes() const {
  std::vector<CNodusDoc*> v{m_pDoc};
  for (CNodusDoc* d : m_superpuestas)
    if (d != m_pDoc) v.push_back(d);
  return v;
}

void CVentanaGraficas::Superponer(CNodusDoc* pDoc, bool bSi) {
  if (pDoc == nullptr || pDoc == m_pDoc) return;
  std::erase(m_superpuestas, pDoc);
  if (bSi) m_superpuestas.push_back(pDoc);
  for (CVistaGrafica* v : m_vistas) v->VistaCompleta();
}

void CVentanaGraficas::ElegirRedes() {
  QMenu* menu = m_pRedes->menu();
  menu->clear();
  const std::vector<CNodusDoc*> abiertas = m_abiertas ? m_abiertas() : std::vector<CNodusDoc*>{};
  for (CNodusDoc* d : abiertas) {
    if (d == m_pDoc) continue;
    QAction* a = menu->addAction(Q(d->GetTitle()));
    a->setCheckable(true);
    a->setChecked(std::find(m_superpuestas.begin(), m_superpuestas.end(), d) != m_superpuestas.end());
    connect(a, &QAction::toggled, this, [this, d](bool si) { Superponer(d, si); });
  }
  if (menu->isEmpty()) menu->addAction(QStringLiteral("No hay otras redes abiertas"))->setEnabled(false);
}

void CVentanaGraficas::FijarEscalaLogaritmica(bool bSi) { m_pLog->setChecked(bSi); }

bool CVentanaGraficas::EscalaLogaritmica() const { return m_pLog->isChecked(); }

QString CVentanaGraficas::Lectura() const { return m_pLectura->text(); }

void CVentanaGraficas::Apuntar(UINT epoca) {
  if (epoca == 0) return;
  m_nEpocaApuntada = epoca;
  QStringList lineas;
  for (CNodusDoc* d : Redes()) {
    const QString t = TextoLectura(CurvasDe(*d), epoca);
    if (!t.isEmpty()) lineas << t;
  }
  if (!lineas.isEmpty()) m_pLectura->setText(lineas.join(QLatin1Char('\n')));
}

void CVentanaGraficas::Refrescar() {
  // Networks closed since they were chosen go.
  if (m_abiertas) {
    const std::vector<CNodusDoc*> abiertas = m_abiertas();
    std::erase_if(m_superpuestas, [&](CNodusDoc* d) {
      return std::find(abiertas.begin(), abiertas.end(), d) == abiertas.end();
    });
  }
  std::vector<CurvasRed> curvas;
  for (CNodusDoc* d : Redes()) curvas.push_back(CurvasDe(*d));
  const QString titulo = QStringLiteral("Gráficas de %1").arg(curvas[0].titulo);
  if (windowTitle() != titulo) {
    setWindowTitle(titulo);
    if (QWidget* marco = parentWidget()) marco->setWindowTitle(titulo);
  }
  for (CVistaGrafica* v : m_vistas)
    LlenarGrafica(v->chart(), v->Medida(), curvas, m_pLog->isChecked(), !v->Ampliada());
  // The per-class page only while it shows: it reads files for its names.
  if (m_pClases != nullptr && m_pPaginas->currentWidget() == m_pClases) m_pClases->Refrescar();
}

void CVentanaGraficas::MostrarPagina(int pagina) { m_pPaginas->setCurrentIndex(pagina == 1 ? 1 : 0); }

void CVentanaGraficas::DocumentoActualizado(const CNodusDoc* pDoc) {
  for (CVentanaGraficas* w : Abiertas()) {
    const auto redes = w->Redes();
    if (std::find(redes.begin(), redes.end(), pDoc) != redes.end()) w->Refrescar();
  }
}

void CVentanaGraficas::DocumentoCerrado(const CNodusDoc* pDoc) {
  for (CVentanaGraficas* w : Abiertas()) {
    if (w->m_pDoc == pDoc) continue;
    const auto antes = w->m_superpuestas.size();
    std::erase(w->m_superpuestas, pDoc);
    if (w->m_superpuestas.size() != antes) w->Refrescar();
  }
}

// ---------------------------------------------------------------- the per-class page

namespace {

void LlenarTabla(QTableWidget* t, const std::vector<std::vector<CString>>& celdas) {
  t->clear();
  t->setRowCount(celdas.empty() ? 0 : int(celdas.size()) - 1);
  t->setColumnCount(celdas.empty() ? 0 : int(celdas[0].size()));
  if (celdas.empty()) return;
  QStringList cabecera;
  for (const CString& c : celdas[0]) cabecera << Q(c);
  t->setHorizontalHeaderLabels(cabecera);
  for (std::size_t f = 1; f < celdas.size(); ++f)
    for (std::size_t c = 0; c < celdas[f].size() && int(c) < t->columnCount(); ++c) {
      auto* celda = new QTableWidgetItem(Q(celdas[f][c]));
      celda->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
      if (c > 0) celda->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      t->setItem(int(f) - 1, int(c), celda);
    }
  t->resizeColumnsToContents();
}

QTableWidget* NuevaTabla(const QString& nombre, QWidget* padre) {
  auto* t = new QTableWidget(padre);
  t->setObjectName(nombre);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->verticalHeader()->setVisible(false);
  t->setSelectionMode(QAbstractItemView::ContiguousSelection);
  return t;
}

QString Tabulado(const std::vector<std::vector<CString>>& celdas) {
  QString s;
  for (const auto& f : celdas) {
    QStringList l;
    for (const CString& c : f) l << Q(c);
    s += l.join(QLatin1Char('\t')) + QLatin1Char('\n');
  }
  return s;
}

}  // namespace

CPaginaClases::CPaginaClases(CNodusDoc* pDoc, QWidget* padre) : QWidget(padre), m_pDoc(pDoc) {
  setObjectName(QStringLiteral("paginaClases"));
  auto* raiz = new QVBoxLayout(this);
  raiz->setContentsMargins(0, 4, 0, 0);
  auto* division = new QSplitter(Qt::Vertical, this);
  division->setChildrenCollapsible(false);
  m_pVista = new CVistaGrafica(kGraficaClases, division);
  m_pVista->alCambiarVista = [this] { Refrescar(); };
  division->addWidget(m_pVista);

  auto* abajo = new QSplitter(Qt::Horizontal, division);
  abajo->setChildrenCollapsible(false);
  auto* izquierda = new QWidget(abajo);
  auto* li = new QVBoxLayout(izquierda);
  li->setContentsMargins(0, 0, 0, 0);
  auto* fila = new QHBoxLayout();
  auto* etiqueta = new QLabel(QStringLiteral("Matriz de confusión al final de la &época:"), izquierda);
  m_pEpoca = new QSpinBox(izquierda);
  m_pEpoca->setObjectName(QStringLiteral("epocaMatriz"));
  m_pEpoca->setSpecialValueText(QStringLiteral("pesos actuales"));
  m_pEpoca->setRange(0, 0);
  etiqueta->setBuddy(m_pEpoca);
  connect(m_pEpoca, &QSpinBox::valueChanged, this, [this](int v) { MostrarEpoca(UINT(std::max(v, 0))); });
  auto* copiarMatriz = new QPushButton(QStringLiteral("Copiar ma&triz"), izquierda);
  copiarMatriz->setObjectName(QStringLiteral("copiarMatriz"));
  copiarMatriz->setAutoDefault(false);
  connect(copiarMatriz, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(m_strMatriz); });
  fila->addWidget(etiqueta);
  fila->addWidget(m_pEpoca);
  fila->addWidget(copiarMatriz);
  fila->addStretch(1);
  li->addLayout(fila);
  m_pAviso = new QLabel(izquierda);
  m_pAviso->setObjectName(QStringLiteral("avisoMatriz"));
  m_pAviso->setWordWrap(true);
  li->addWidget(m_pAviso);
  m_pMatriz = NuevaTabla(QStringLiteral("matriz"), izquierda);
  li->addWidget(m_pMatriz, 1);
  abajo->addWidget(izquierda);

  auto* derecha = new QWidget(abajo);
  auto* ld = new QVBoxLayout(derecha);
  ld->setContentsMargins(0, 0, 0, 0);
  auto* filaD = new QHBoxLayout();
  auto* medir = new QPushButton(QStringLiteral("Muestras &falladas"), derecha);
  medir->setObjectName(QStringLiteral("medirFalladas"));
  medir->setToolTip(QStringLiteral("Las muestras del fichero de verificación cuya salida ganadora no es la del "
                                   "objetivo, con los pesos actuales."));
  medir->setAutoDefault(false);
  connect(medir, &QPushButton::clicked, this, [this] { MedirFalladas(); });
  auto* copiarFalladas = new QPushButton(QStringLiteral("Copiar l&ista"), derecha);
  copiarFalladas->setObjectName(QStringLiteral("copiarFalladas"));
  copiarFalladas->setAutoDefault(false);
  connect(copiarFalladas, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(m_strFalladas); });
  filaD->addWidget(medir);
  filaD->addWidget(copiarFalladas);
  filaD->addStretch(1);
  ld->addLayout(filaD);
  m_pAvisoFalladas = new QLabel(derecha);
  m_pAvisoFalladas->setObjectName(QStringLiteral("avisoFalladas"));
  m_pAvisoFalladas->setWordWrap(true);
  ld->addWidget(m_pAvisoFalladas);
  m_pFalladas = NuevaTabla(QStringLiteral("falladas"), derecha);
  ld->addWidget(m_pFalladas, 1);
  abajo->addWidget(derecha);
  division->addWidget(abajo);
  // The curves take most of the height, as on the measures' page.
  division->setStretchFactor(0, 3);
  division->setStretchFactor(1, 2);
  division->setSizes({3000, 2000});
  raiz->addWidget(division, 1);
}

QStringList CPaginaClases::Clases() {
  // The scheme's classes, read once; the outputs numbered without one.
  if (!m_bClases) {
    m_bClases = true;
    std::vector<CString> dados;
    if (!m_pDoc->m_opciones.strEsquema.empty())
      if (const Resultado<CEsquema> e = LeerEsquema(m_pDoc->RutaDatos(m_pDoc->m_opciones.strEsquema)); e)
        dados = e->NombresSalidas();
    for (const CString& n : NombresSalidas(m_pDoc->m_nSalidas, dados)) m_clases << Q(n);
  }
  return m_clases;
}

void CPaginaClases::Refrescar() {
  const CurvasRed c = CurvasDe(*m_pDoc);
  LlenarGraficaClases(m_pVista->chart(), c, Clases(), !m_pVista->Ampliada());
  if (c.nClases == 0 && !m_pDoc->m_opciones.bMedirEntrenamiento)
    m_pVista->chart()->setTitle(QStringLiteral("Aciertos por clase (%): la red no mide sus épocas por clase"));
  else
    m_pVista->chart()->setTitle(NombreMedida(kGraficaClases));
  // A new epoch moves the choice along when it showed the last one.
  const UINT n = c.Puntos();
  if (n != m_nPuntosVistos) {
    const bool alFinal = m_pEpoca->value() == int(m_nPuntosVistos);
    m_nPuntosVistos = n;
    const QSignalBlocker bloqueo(m_pEpoca);
    m_pEpoca->setRange(0, int(n));
    if (alFinal) m_pEpoca->setValue(int(n));
    MostrarEpoca(UINT(m_pEpoca->value()));
  } else if (m_strMatriz.isEmpty() && m_pAviso->text().isEmpty()) {
    MostrarEpoca(UINT(m_pEpoca->value()));
  }
}

UINT CPaginaClases::Epoca() const { return UINT(std::max(m_pEpoca->value(), 0)); }

QString CPaginaClases::Aviso() const { return m_pAviso->text(); }

void CPaginaClases::MostrarEpoca(UINT epoca) {
  if (int(epoca) != m_pEpoca->value()) {
    const QSignalBlocker bloqueo(m_pEpoca);
    m_pEpoca->setValue(int(epoca));
  }
  const std::vector<CString> nombres = [&] {
    std::vector<CString> v;
    for (const QString& q : Clases()) v.push_back(q.toStdString());
    return v;
  }();
  ResultadosVerificacion r;
  QString aviso;
  bool hay = false;
  const OpcionesRed& op = m_pDoc->m_opciones;
  const std::size_t n = m_pDoc->m_nSalidas, celdas = n * n;
  if (epoca == 0) {
    // Measured now: not while training changes the weights.
    if (m_pDoc->m_bEntrenando) {
      aviso = QStringLiteral("La red se está entrenando: elija una época, o deténgala para medir sus pesos actuales.");
    } else {
      const Resultado<VerificacionDatos> v =
          VerificarDatos(m_pDoc->GetRed(), m_pDoc->RutaDatos(m_pDoc->m_strFicheroVerificacion), CString());
      if (v) {
        r = v->resultados;
        hay = true;
        aviso = QStringLiteral("Con los pesos actuales, en %1.").arg(Q(m_pDoc->m_strFicheroVerificacion));
      } else {
        aviso = Q(v.Mensaje());
      }
    }
  } else if (op.nClases == n && std::size_t(epoca) * celdas <= op.matrices.size() &&
             epoca <= m_pDoc->m_nPuntos.load()) {
    r.nSalidas = UINT(n);
    r.matriz.assign(op.matrices.begin() + std::ptrdiff_t((epoca - 1) * celdas),
                    op.matrices.begin() + std::ptrdiff_t(epoca * celdas));
    hay = std::any_of(r.matriz.begin(), r.matriz.end(), [](UINT c) { return c != 0; });
    if (!hay) aviso = QStringLiteral("La época %1 no se midió por clases.").arg(epoca);
  } else {
    aviso = op.bMedirEntrenamiento || op.nClases != 0
                ? QStringLiteral("La matriz de la época %1 no se ha guardado (las matrices se guardan mientras "
                                 "clases² × épocas no pasa de %2); elija «pesos actuales».")
                      .arg(epoca)
                      .arg(qulonglong(kCeldasMatrices))
                : QStringLiteral("La red no guarda sus matrices por época: créela con la medida del "
                                 "entrenamiento; elija «pesos actuales».");
  }
  m_pAviso->setText(aviso);
  if (!hay) {
    LlenarTabla(m_pMatriz, {});
    m_strMatriz.clear();
    return;
  }
  LlenarTabla(m_pMatriz, CeldasMatriz(r, nombres, false));
  m_strMatriz = Q(::TextoMatriz(r, nombres, true));
}

void CPaginaClases::MedirFalladas() {
  if (m_pDoc->m_bEntrenando) {
    m_pAvisoFalladas->setText(QStringLiteral("La red se está entrenando: deténgala para ver sus muestras falladas."));
    return;
  }
  std::vector<CString> nombres;
  for (const QString& q : Clases()) nombres.push_back(q.toStdString());
  const Resultado<MuestrasFalladas> f =
      FalladasFichero(m_pDoc->GetRed(), m_pDoc->RutaDatos(m_pDoc->m_strFicheroVerificacion), nombres);
  if (!f) {
    m_pAvisoFalladas->setText(Q(f.Mensaje()));
    LlenarTabla(m_pFalladas, {});
    m_strFalladas.clear();
    return;
  }
  m_pAvisoFalladas->setText(QStringLiteral("%1 de %2 muestras de %3 falladas con los pesos actuales.")
                                .arg(f->nFalladas)
                                .arg(f->nMuestras)
                                .arg(Q(m_pDoc->m_strFicheroVerificacion)));
  LlenarTabla(m_pFalladas, f->celdas);
  m_strFalladas = Tabulado(f->celdas);
}

// ---------------------------------------------------------------- the report page

DatosInforme DatosDe(const CNodusDoc& doc, const QString& fecha) {
  DatosInforme d;
  d.titulo = QStringLiteral("Curvas de entrenamiento de %1").arg(Q(doc.GetTitle()));
  const CurvasRed c = CurvasDe(doc);
  d.lineas << Q(FormatC("Estructura: (%u - %u - %u)   Aprendizaje: %6.5f   Momento: %6.5f   Error máximo admitido: "
                        "%6.5f   Épocas: %u / %u",
                        doc.m_nEntradas, doc.m_nOcultas, doc.m_nSalidas, doc.m_dAprendizaje, doc.m_dMomento,
                        doc.m_dErrorMaximo, c.Puntos(), doc.m_nMaxEpocas));
  d.lineas << QStringLiteral("Fichero de entrenamiento: %1").arg(Q(doc.m_strFicheroEntrenamiento));
  d.lineas << QStringLiteral("Fichero de verificación: %1").arg(Q(doc.m_strFicheroVerificacion));
  if (c.Puntos() > 0) {
    const std::size_t i = c.Puntos() - 1;
    d.lineas << Q(FormatC("Resultado final: error máximo %f   error total %f   aciertos %7.4f%%", c.medidas[0][i],
                          c.medidas[1][i], c.medidas[2][i]));
  } else {
    d.lineas << QStringLiteral("Resultado final: la red no se ha entrenado");
  }
  // The training set's last figures and the test file's, when the network has them.
  for (std::size_t i = c.entrenamiento[1].size(); i > 0; --i)
    if (!std::isnan(c.entrenamiento[1][i - 1])) {
      d.lineas << Q(FormatC("Entrenamiento (época %zu): error máximo %f   error total %f   aciertos %7.4f%%", i - 1,
                            c.entrenamiento[0][i - 1], c.entrenamiento[1][i - 1], c.entrenamiento[2][i - 1]));
      break;
    }
  if (c.bPrueba)
    d.lineas << Q(FormatC("Prueba (%s, época %u): error máximo %f   error total %f   aciertos %7.4f%%",
                          doc.m_opciones.strFicheroPrueba.c_str(), c.prueba.nEpoca - 1, c.prueba.dErrorMaximo,
                          c.prueba.dErrorTotal, c.prueba.dTasaAciertos));
  d.lineas << QStringLiteral("Fecha: %1").arg(fecha);
  return d;
}

void PintarInforme(QPainter& p, const QRectF& pagina, double ppp, const DatosInforme& datos,
                   const std::vector<CurvasRed>& redes, bool log, double margenMm) {
  if (pagina.isEmpty() || !(ppp > 0)) return;
  p.save();
  // Laid out in pixels of 1/96 inch, drawn at the page's own resolution.
  const double escala = ppp / 96.0;
  p.translate(pagina.topLeft());
  p.scale(escala, escala);
  const double margen = margenMm / 25.4 * 96.0;
  const QRectF area(margen, margen, pagina.width() / escala - 2 * margen, pagina.height() / escala - 2 * margen);
  if (area.width() < 50 || area.height() < 50) {
    p.restore();
    return;
  }
  QFont titulo(QStringLiteral("DejaVu Sans"));
  titulo.setPixelSize(20);
  titulo.setBold(true);
  QFont texto(QStringLiteral("DejaVu Sans"));
  texto.setPixelSize(11);
  p.setPen(Qt::black);
  p.setFont(titulo);
  const QFontMetricsF ft(titulo, p.device());
  double y = area.top();
  p.drawText(QRectF(area.left(), y, area.width(), ft.height()), Qt::AlignLeft | Qt::AlignTop,
             ft.elidedText(datos.titulo, Qt::ElideMiddle, area.width()));
  y += ft.height() + 6;
  p.setFont(texto);
  const QFontMetricsF fl(texto, p.device());
  for (const QString& l : datos.lineas) {
    p.drawText(QRectF(area.left(), y, area.width(), fl.height()), Qt::AlignLeft | Qt::AlignTop,
               fl.elidedText(l, Qt::ElideMiddle, area.width()));
    y += fl.height() + 2;
  }
  y += 6;
  p.setPen(QPen(Qt::black, 0.75));
  p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
  y += 8;

  // The three charts, one above the other, drawn as lines and texts.
  const double alto = (area.bottom() - y) / 3.0;
  QFont ejes(QStringLiteral("DejaVu Sans"));
  ejes.setPixelSize(10);
  for (int k = 0; k < 3 && alto > 40; ++k) {
    QGraphicsScene escena;
    auto* chart = new QChart();
    escena.addItem(chart);
    chart->setTitle(NombreMedida(k));
    QFont t = ejes;
    t.setBold(true);
    t.setPixelSize(12);
    chart->setTitleFont(t);
    chart->legend()->setFont(ejes);
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(Qt::white);
    chart->setBackgroundPen(Qt::NoPen);
    chart->setPlotAreaBackgroundBrush(AColor(kColorFondoMarco));
    chart->setPlotAreaBackgroundVisible(true);
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setAnimationOptions(QChart::NoAnimation);
    const QRectF sitio(0, 0, area.width(), alto - 4);
    chart->setGeometry(sitio);
    // Twice: the ticks and the marks' room follow the plot as laid out.
    for (int vez = 0; vez < 2; ++vez) {
      LlenarGrafica(chart, k, redes, log, true, &ejes);
      chart->layout()->activate();
    }
    escena.setSceneRect(sitio);
    escena.render(&p, QRectF(area.left(), y + k * alto, sitio.width(), sitio.height()), sitio);
  }
  p.restore();
}

namespace {

// A landscape A4 page, 15 mm of margin.
constexpr double kMargenMm = 15.0;
const QPageSize kA4(QPageSize::A4);

QSizeF A4ApaisadoPixeles() {
  const QSizeF mm = QPageSize(QPageSize::A4).size(QPageSize::Millimeter);
  return QSizeF(mm.height() / 25.4 * 96.0, mm.width() / 25.4 * 96.0);
}

}  // namespace

QByteArray PngInforme(const DatosInforme& datos, const std::vector<CurvasRed>& redes, bool log, QSize tam) {
  if (tam.width() < 200 || tam.height() < 150 || tam.width() > 20000 || tam.height() > 20000) return QByteArray();
  QImage img(tam, QImage::Format_RGB32);
  img.fill(Qt::white);
  // The page's layout is that of a landscape A4 page as wide as the picture.
  const double ppp = tam.width() / (A4ApaisadoPixeles().width() / 96.0);
  const int puntosPorMetro = static_cast<int>(std::lround(ppp / 0.0254));
  img.setDotsPerMeterX(puntosPorMetro);
  img.setDotsPerMeterY(puntosPorMetro);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    PintarInforme(p, QRectF(QPointF(0, 0), QSizeF(tam)), ppp, datos, redes, log, kMargenMm);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!img.save(&buffer, "PNG")) return QByteArray();
  return bytes;
}

QByteArray SvgInforme(const DatosInforme& datos, const std::vector<CurvasRed>& redes, bool log) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QSizeF tam = A4ApaisadoPixeles();
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setTitle(datos.titulo);
  svg.setResolution(96);
  svg.setSize(tam.toSize());
  svg.setViewBox(QRectF(QPointF(0, 0), tam));
  QPainter p;
  if (!p.begin(&svg)) return QByteArray();
  p.fillRect(QRectF(QPointF(0, 0), tam), Qt::white);
  PintarInforme(p, QRectF(QPointF(0, 0), tam), 96.0, datos, redes, log, kMargenMm);
  p.end();
  return bytes;
}

QByteArray PdfInforme(const DatosInforme& datos, const std::vector<CurvasRed>& redes, bool log) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setTitle(datos.titulo);
    pdf.setCreator(QStringLiteral("nrv"));
    pdf.setResolution(1200);
    pdf.setPageLayout(QPageLayout(kA4, QPageLayout::Landscape, QMarginsF(0, 0, 0, 0)));
    QPainter p;
    if (!p.begin(&pdf)) return QByteArray();
    const QSizeF tam = pdf.pageLayout().fullRectPixels(pdf.resolution()).size();
    PintarInforme(p, QRectF(QPointF(0, 0), tam), pdf.resolution(), datos, redes, log, kMargenMm);
    p.end();
  }
  return bytes;
}

QString FechaInforme() { return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")); }

namespace {

// Without windows, the framework's messages go to standard error as
// nrv-cli writes them; a question is answered no.
class CHostSinVentana : public IAfxHost {
 public:
  CHostSinVentana() : m_pAnterior(&AfxGetHost()) {
    AfxSetUiThread();
    AfxSetHost(this);
  }
  ~CHostSinVentana() override { AfxSetHost(m_pAnterior); }
  CHostSinVentana(const CHostSinVentana&) = delete;
  CHostSinVentana& operator=(const CHostSinVentana&) = delete;
  int MessageBox(const CString& texto, UINT estilo, UINT) override {
    std::fprintf(stderr, "nrv: %s\n", texto.c_str());
    std::fflush(stderr);
    const UINT tipo = estilo & MB_TYPEMASK;
    return tipo == MB_YESNO || tipo == MB_YESNOCANCEL ? IDNO : IDOK;
  }
  INT_PTR DoModal(CDialog&) override { return IDCANCEL; }
  INT_PTR DoModal(CFileDialog&) override { return IDCANCEL; }
  void WakeUi() override {}

 private:
  IAfxHost* m_pAnterior;
};

}  // namespace

int InformeSinVentana(const CString& red, const CString& destino) {
  const CHostSinVentana host;
  CString tipo = AfxExtensionFichero(destino);
  std::transform(tipo.begin(), tipo.end(), tipo.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  if (tipo != "png" && tipo != "svg" && tipo != "pdf") {
    AfxMessageBox(FormatC("El informe se guarda como documento PDF o imagen SVG o PNG; el nombre %s ha de acabar "
                          "en .pdf, .svg o .png.",
                          destino.c_str()),
                  MB_OK | MB_ICONEXCLAMATION);
    return 2;
  }
  CNodusDoc doc;
  if (!doc.OnOpenDocument(red)) return 1;
  // Titled by its file's name, as its window is.
  doc.SetPathName(red);
  if (const Resultado<Hecho> c = ComprobarDestinoRed(doc, red, destino); !c) {
    AfxMessageBox(c.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    return 2;
  }
  const DatosInforme datos = DatosDe(doc, FechaInforme());
  const std::vector<CurvasRed> curvas{CurvasDe(doc)};
  const QByteArray b = tipo == "png"   ? PngInforme(datos, curvas, true, kTamPngInforme)
                       : tipo == "svg" ? SvgInforme(datos, curvas, true)
                                       : PdfInforme(datos, curvas, true);
  if (b.isEmpty()) {
    AfxMessageBox(FormatC("No se ha podido dibujar el informe para %s.", destino.c_str()), MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  if (const Resultado<Hecho> r = EscribirExportacion(destino, std::string(b.constData(), std::size_t(b.size()))); !r) {
    AfxMessageBox(r.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    return 1;
  }
  std::printf("Informe guardado en %s (%lld bytes, épocas: %u).\n", destino.c_str(), static_cast<long long>(b.size()),
              curvas[0].Puntos());
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
