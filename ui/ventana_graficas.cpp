#include "ui/ventana_graficas.h"

#include <QBuffer>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QSplitter>
#include <QSvgGenerator>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtCharts/QChart>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

#include "framework/texto.h"
#include "network/nodusdoc.h"
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
  return c;
}

QString NombreMedida(int medida) {
  switch (medida) {
    case kGraficaErrorMaximo:
      return QStringLiteral("Error máximo");
    case kGraficaErrorTotal:
      return QStringLiteral("Error total");
    default:
      return QStringLiteral("Aciertos (%)");
  }
}

QString TextoLectura(const CurvasRed& red, UINT epoca) {
  if (epoca == 0 || epoca > red.Puntos()) return QString();
  const std::size_t i = epoca - 1;
  return Q(FormatC("%s, época %u: error máximo %.7g; error total %.7g; aciertos %.4f %%", red.titulo.toUtf8().constData(),
                   epoca, red.medidas[0][i], red.medidas[1][i], red.medidas[2][i]));
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

}  // namespace

void LlenarGrafica(QChart* chart, int medida, const std::vector<CurvasRed>& redes, bool log, bool ajustar,
                   const QFont* fuente) {
  const bool logaritmica = log && medida != kGraficaAciertos;
  const bool criterio = medida == kGraficaErrorMaximo && !redes.empty() && std::isfinite(redes[0].dCriterio) &&
                        (redes[0].dCriterio > 0 || !logaritmica);

  // The curves: the same series again while the same networks show.
  QStringList nombres;
  for (const CurvasRed& r : redes) nombres << r.titulo;
  if (criterio) nombres << QString::fromUtf8(kNombreCriterio);
  QStringList actuales;
  for (QAbstractSeries* s : chart->series()) actuales << s->name();
  if (actuales != nombres) {
    chart->removeAllSeries();
    for (int i = 0; i < nombres.size(); ++i) {
      auto* s = new QLineSeries();
      s->setName(nombres[i]);
      QPen pen;
      if (criterio && i == nombres.size() - 1) {
        pen = QPen(AColor(kColorAmarillo), 1.5, Qt::DashDotDotLine);
      } else {
        pen = QPen(ColorCurva(medida, static_cast<std::size_t>(i)), 2.0);
      }
      pen.setCosmetic(fuente == nullptr);
      s->setPen(pen);
      chart->addSeries(s);
    }
  }

  // The axes: epochs across, the measure up, logarithmic or not.
  auto* ejeX = qobject_cast<QValueAxis*>(EjeDe(chart, Qt::Horizontal));
  if (ejeX == nullptr) {
    ejeX = new QValueAxis();
    ejeX->setTitleText(QStringLiteral("Época"));
    ejeX->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(ejeX, Qt::AlignBottom);
  }
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
  for (const CurvasRed& r : redes) {
    nMax = std::max(nMax, r.Puntos());
    for (double v : r.medidas[medida]) {
      y.Con(v);
      if (v > 0) positivos.Con(v);
    }
  }
  if (criterio) {
    y.Con(redes[0].dCriterio);
    if (redes[0].dCriterio > 0) positivos.Con(redes[0].dCriterio);
  }
  const double suelo = SueloLog(positivos);
  const double xMax = std::max<double>(nMax, 1.0);
  const auto series = chart->series();
  for (int i = 0; i < series.size(); ++i) {
    auto* s = static_cast<QLineSeries*>(series[i]);
    QList<QPointF> puntos;
    if (criterio && i == series.size() - 1) {
      puntos = {QPointF(0.0, redes[0].dCriterio), QPointF(std::max<double>(xMax, redes[0].nMaxEpocas), redes[0].dCriterio)};
    } else if (static_cast<std::size_t>(i) < redes.size()) {
      const std::vector<double>& v = redes[static_cast<std::size_t>(i)].medidas[medida];
      puntos.reserve(static_cast<qsizetype>(v.size()));
      for (std::size_t e = 0; e < v.size(); ++e) {
        double valor = v[e];
        if (!std::isfinite(valor)) continue;
        if (logaritmica) valor = std::max(valor, suelo);
        puntos.append(QPointF(static_cast<double>(e + 1), valor));
      }
    }
    s->replace(puntos);
    if (s->attachedAxes().isEmpty()) {
      s->attachAxis(ejeX);
      s->attachAxis(ejeY);
    }
  }
  for (QLegendMarker* m : chart->legend()->markers())
    if (m->series() && m->series()->name() == QString::fromUtf8(kNombreCriterio) && !criterio) m->setVisible(false);

  if (!ajustar) return;
  ejeX->setRange(0.0, xMax);
  ejeX->applyNiceNumbers();
  if (logaritmica) {
    double lo = positivos.hay ? positivos.lo : 1e-3;
    double hi = positivos.hay ? positivos.hi : 1.0;
    // Whole decades round the data, so that the labels are round numbers.
    lo = std::pow(10.0, std::floor(std::log10(std::min(lo, suelo))));
    hi = std::pow(10.0, std::ceil(std::log10(hi) + 1e-9));
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
    v->setRange(lo, hi);
    // No more ticks than the height holds with a free line between labels.
    const qreal linea = QFontMetricsF(v->labelsFont()).height();
    v->setTickCount(std::clamp(int(chart->plotArea().height() / (2 * linea)) + 1, 2, 5));
    v->applyNiceNumbers();
  }
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

  auto* division = new QSplitter(Qt::Vertical, this);
  division->setChildrenCollapsible(false);
  for (int k = 0; k < 3; ++k) {
    auto* v = new CVistaGrafica(k, division);
    v->alApuntar = [this](UINT e) { Apuntar(e); };
    v->alCambiarVista = [this] { Refrescar(); };
    division->addWidget(v);
    m_vistas[k] = v;
  }
  raiz->addWidget(division, 1);
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
}

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
  p.drawText(QRectF(area.left(), y, area.width(), ft.height()), Qt::AlignLeft | Qt::AlignTop, datos.titulo);
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
    LlenarGrafica(chart, k, redes, log, true, &ejes);
    chart->layout()->activate();
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
