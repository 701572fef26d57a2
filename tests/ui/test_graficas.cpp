// The graph window of a network (NRV › Gráficas, a double click on a form
// graph) and the report page: axes that follow the data, the logarithmic
// scale, zoom, the readout's figures, other networks laid over, and the
// page at 300 dpi with its title, axes and curves in their colours.
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTableWidget>
#include <QFile>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QImage>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrinter>
#include <QtCharts/QChart>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QLogValueAxis>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtTest>

#include <memory>

#include "framework/texto.h"
#include "network/nodusdoc.h"
#include "network/verificacion.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/formulario.h"
#include "ui/grafica.h"
#include "ui/marcos.h"
#include "ui/ventana_graficas.h"
#include "ui/vista.h"

namespace {

QRgb Rgb24(ColorRGB c) { return qRgb(c.r, c.g, c.b) & 0xFFFFFFu; }

int Cuenta(const QImage& img, QRgb color, QRect zona) {
  zona = zona.intersected(img.rect());
  int n = 0;
  for (int y = zona.top(); y <= zona.bottom(); ++y)
    for (int x = zona.left(); x <= zona.right(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFFu) == color) ++n;
  return n;
}

int Oscuros(const QImage& img, QRect zona) {
  zona = zona.intersected(img.rect());
  int n = 0;
  for (int y = zona.top(); y <= zona.bottom(); ++y)
    for (int x = zona.left(); x <= zona.right(); ++x)
      if (qGray(img.pixel(x, y)) < 100) ++n;
  return n;
}

QByteArray Leer(const QString& ruta) {
  QFile f(ruta);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::pair<double, double> RangoY(QChart* c) {
  QAbstractAxis* eje = c->axes(Qt::Vertical).first();
  if (auto* l = qobject_cast<QLogValueAxis*>(eje)) return {l->min(), l->max()};
  auto* v = qobject_cast<QValueAxis*>(eje);
  return {v->min(), v->max()};
}

std::pair<double, double> RangoX(QChart* c) {
  auto* v = qobject_cast<QValueAxis*>(c->axes(Qt::Horizontal).first());
  return {v->min(), v->max()};
}

QStringList Nombres(QChart* c) {
  QStringList n;
  for (QAbstractSeries* s : c->series()) n << s->name();
  return n;
}

// Whether the epoch axis labels its ticks (of either kind) with whole
// epochs, each once, at least two; its labels, for the failure's text.
bool EpocasEnteras(QChart* c, QString& etiquetas) {
  auto* v = qobject_cast<QValueAxis*>(c->axes(Qt::Horizontal).first());
  const bool dinamicas = v->tickType() == QValueAxis::TicksDynamic;
  const double paso = dinamicas ? v->tickInterval() : (v->max() - v->min()) / (v->tickCount() - 1);
  double x = dinamicas ? v->tickAnchor() + std::ceil((v->min() - v->tickAnchor()) / paso - 1e-9) * paso : v->min();
  QStringList l;
  bool enteras = true;
  for (; x <= v->max() + 1e-9 && l.size() < 1000; x += paso) {
    l << QString::asprintf(qPrintable(v->labelFormat()), x);
    enteras = enteras && std::abs(l.last().toDouble() - x) < 1e-9;
  }
  etiquetas = l.join(QLatin1Char(' '));
  return enteras && l.size() >= 2 && QSet<QString>(l.begin(), l.end()).size() == l.size();
}

}  // namespace

class PruebaGraficas : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_entorno;
  std::unique_ptr<CGuion> m_guion;
  std::unique_ptr<CNodusApp> m_app;

  CMainFrame* Marco() const { return m_app->m_pMainWnd; }
  CNodusView* Vista() const { return dynamic_cast<CNodusView*>(Marco()->VistaActiva()); }
  CNodusDoc* Doc() const { return Vista()->GetDocument(); }

  QString Copia(const QString& nombre) {
    const QString r = m_entorno->Ruta(nombre);
    QFile::copy(Ejemplo(QStringLiteral("iris.nrv")), r);
    QFile(r).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return r;
  }

  CVentanaGraficas* AbrirGraficas() {
    Marco()->EjecutarComando(ID_GRAFICAS);
    QCoreApplication::processEvents();
    return Vista() ? Vista()->VentanaGraficas() : nullptr;
  }

 private slots:
  void init() {
    m_entorno = std::make_unique<CEntornoPrueba>();
    m_guion = std::make_unique<CGuion>();
    m_app = std::make_unique<CNodusApp>();
    QVERIFY(m_app->InitInstance({}));
    Marco()->resize(1000, 760);
    Marco()->show();
    QVERIFY(QTest::qWaitForWindowExposed(Marco()));
    QVERIFY(m_app->OpenDocumentFile(Copia(QStringLiteral("iris.nrv")).toStdString()) != nullptr);
  }

  void cleanup() {
    m_app.reset();
    m_guion.reset();
    m_entorno.reset();
  }

  // The window opens beside the form, once per network, and the menus
  // stay the network's while it is active.
  void seAbreUnaVezJuntoAlFormulario() {
    CVentanaGraficas* w = AbrirGraficas();
    QVERIFY(w);
    QCOMPARE(Marco()->AreaMdi()->subWindowList().size(), 2);
    QCOMPARE(Marco()->AreaMdi()->activeSubWindow()->widget(), w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Gráficas de iris.nrv"));
    // Whole inside the area, though the form beside it takes room.
    QVERIFY(Marco()->AreaMdi()->viewport()->rect().contains(w->parentWidget()->geometry()));
    QCOMPARE(Marco()->MenuActual(), UINT(IDR_NRVTYPE));
    QVERIFY(Marco()->EstaHabilitado(ID_FILE_SAVE));
    QCOMPARE(AbrirGraficas(), w);
    QCOMPARE(Marco()->AreaMdi()->subWindowList().size(), 2);
    // A double click on any of the form's graphs brings it too.
    w->parentWidget()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!Vista()->VentanaGraficas());
    CMarcoGrafica* g = Vista()->Marco(IDC_GRAFICA_ACIERTOS);
    QVERIFY(g);
    QTest::mouseDClick(g, Qt::LeftButton);
    QVERIFY(Vista()->VentanaGraficas());
    // Closing the network closes its graph window.
    Marco()->EjecutarComando(ID_FILE_CLOSE);
    QCoreApplication::processEvents();
    QCOMPARE(Marco()->AreaMdi()->subWindowList().size(), 0);
  }

  // Every value inside the plot, however large: a total error of hundreds,
  // which the form's fixed scale cannot show; the errors on a logarithmic
  // axis, the hits on a linear band round them; the criterion only on the
  // maximum error.
  void losEjesSiguenALosDatos() {
    CNodusDoc* d = Doc();
    const UINT n = d->m_nPuntos.load();
    QVERIFY(n >= 50);
    for (UINT i = 0; i < n; ++i) d->m_arrErrorTotal.m_pDatos[i] = 900.0 - i;
    CVentanaGraficas* w = AbrirGraficas();
    QVERIFY(w);
    QVERIFY(w->EscalaLogaritmica());
    for (int k = 0; k < 3; ++k) {
      QChart* c = w->Vista(k)->chart();
      const bool log = qobject_cast<QLogValueAxis*>(c->axes(Qt::Vertical).first()) != nullptr;
      QCOMPARE(log, k != kGraficaAciertos);
      const auto [lo, hi] = RangoY(c);
      const double* v = k == 0 ? d->m_arrErrorMaximo.m_pDatos : k == 1 ? d->m_arrErrorTotal.m_pDatos : d->m_arrAciertos.m_pDatos;
      for (UINT i = 0; i < n; ++i) QVERIFY2(v[i] >= lo && v[i] <= hi, qPrintable(QString::number(v[i])));
      QVERIFY(RangoX(c).first <= 1.0 && RangoX(c).second >= n);
      QCOMPARE(Nombres(c).contains(QStringLiteral("Criterio")), k == kGraficaErrorMaximo);
      QCOMPARE(static_cast<QLineSeries*>(c->series().first())->count(), int(n));
    }
    QVERIFY(RangoY(w->Vista(kGraficaErrorTotal)->chart()).second >= 900.0);
    // Hits of 99.3 % and 99.4 %: a band narrow enough to tell them apart.
    for (UINT i = 0; i < n; ++i) d->m_arrAciertos.m_pDatos[i] = i % 2 ? 99.3 : 99.4;
    w->Refrescar();
    const auto [alo, ahi] = RangoY(w->Vista(kGraficaAciertos)->chart());
    QVERIFY(alo <= 99.3 && ahi >= 99.4 && ahi - alo < 1.0);
    // A short window keeps its labels whole: no tick closer than a line.
    w->parentWidget()->resize(560, 430);
    QCoreApplication::processEvents();
    auto* aciertos = qobject_cast<QValueAxis*>(w->Vista(kGraficaAciertos)->chart()->axes(Qt::Vertical).first());
    QVERIFY(aciertos);
    const double alto = w->Vista(kGraficaAciertos)->chart()->plotArea().height();
    QVERIFY2(alto / (aciertos->tickCount() - 1) >= QFontMetricsF(aciertos->labelsFont()).height(),
             qPrintable(QString::number(aciertos->tickCount())));

    w->FijarEscalaLogaritmica(false);
    QChart* total = w->Vista(kGraficaErrorTotal)->chart();
    QVERIFY(qobject_cast<QValueAxis*>(total->axes(Qt::Vertical).first()));
    QVERIFY(RangoY(total).second >= 900.0 && RangoY(total).first <= 0.0);
    QCOMPARE(total->axes(Qt::Vertical).size(), 1);
  }

  // Zoom by keys and wheel keeps its ranges through new epochs; 0 shows
  // the whole again. The readout gives the history's figures of the epoch
  // under the pointer.
  void zoomYLectura() {
    CVentanaGraficas* w = AbrirGraficas();
    QVERIFY(w);
    Marco()->AreaMdi()->activeSubWindow()->resize(800, 700);
    QCoreApplication::processEvents();
    CVistaGrafica* v = w->Vista(kGraficaErrorMaximo);
    const auto antes = RangoX(v->chart());
    v->setFocus();
    QTest::keyClick(v, Qt::Key_Plus);
    QVERIFY(v->Ampliada());
    const auto ampliado = RangoX(v->chart());
    QVERIFY(ampliado.second - ampliado.first < (antes.second - antes.first) * 0.9);
    QTest::keyClick(v, Qt::Key_Right);
    const auto movido = RangoX(v->chart());
    QVERIFY(movido.first > ampliado.first);
    w->Refrescar();
    QCOMPARE(RangoX(v->chart()), movido);
    QTest::keyClick(v, Qt::Key_0);
    QVERIFY(!v->Ampliada());
    QCOMPARE(RangoX(v->chart()), antes);

    CNodusDoc* d = Doc();
    for (UINT epoca : {1u, 37u, d->m_nPuntos.load()}) {
      QChart* c = w->Vista(kGraficaAciertos)->chart();
      const QPointF enChart = c->mapToPosition(QPointF(epoca, d->m_arrAciertos.m_pDatos[epoca - 1]), c->series().first());
      const QPoint enVista = w->Vista(kGraficaAciertos)->mapFromScene(c->mapToScene(enChart));
      QCOMPARE(w->Vista(kGraficaAciertos)->EpocaEn(enVista), epoca);
      QWidget* puerto = w->Vista(kGraficaAciertos)->viewport();
      QMouseEvent mover(QEvent::MouseMove, QPointF(enVista), QPointF(puerto->mapToGlobal(enVista)), Qt::NoButton,
                        Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(puerto, &mover);
      QVERIFY(w->Lectura().contains(QStringLiteral("época %1:").arg(epoca)));
      const QString esperada = QString::fromStdString(FormatC("iris.nrv, época %u: error máximo %.7g; error total %.7g; aciertos %.4f %%", epoca,
                    d->m_arrErrorMaximo.m_pDatos[epoca - 1], d->m_arrErrorTotal.m_pDatos[epoca - 1],
                    d->m_arrAciertos.m_pDatos[epoca - 1]));
      QCOMPARE(w->Lectura(), esperada);
    }
  }

  // However few the epochs, and zoomed in to a few, the epoch axis counts
  // whole epochs, each once: 0 and 1 for a network never trained.
  void elEjeDeEpocasCuentaEpocasEnteras() {
    CNodusDoc* d = Doc();
    const UINT n = d->m_nPuntos.load();
    CVentanaGraficas* w = AbrirGraficas();
    QVERIFY(w);
    w->parentWidget()->resize(800, 700);
    QCoreApplication::processEvents();
    QString l;
    for (UINT puntos : {0u, 1u, 2u, 7u, n}) {
      d->m_nPuntos.store(puntos);
      w->Refrescar();
      for (int k = 0; k < 3; ++k) QVERIFY2(EpocasEnteras(w->Vista(k)->chart(), l), qPrintable(l));
      if (puntos <= 1) QCOMPARE(RangoX(w->Vista(0)->chart()), (std::pair<double, double>(0.0, 1.0)));
    }
    CVistaGrafica* v = w->Vista(kGraficaAciertos);
    v->setFocus();
    for (int i = 0; i < 16; ++i) QTest::keyClick(v, Qt::Key_Plus);
    QVERIFY(RangoX(v->chart()).second - RangoX(v->chart()).first < 5.0);
    QVERIFY2(EpocasEnteras(v->chart(), l), qPrintable(l));
    w->MostrarPagina(1);
    QVERIFY2(EpocasEnteras(w->PaginaClases()->Vista()->chart(), l), qPrintable(l));
  }

  // The test file's mark at the last epoch, at a figure on the edge of the
  // data (every hit, no error, the largest total error), lies whole inside
  // each plot, on either scale. A network's long title leaves the plots
  // their width: the legend cuts it in the middle, the curve keeps it.
  void laMarcaYLaLeyendaDejanSitioALaGrafica() {
    CNodusDoc* d = Doc();
    const UINT n = d->m_nPuntos.load();
    const double total = *std::max_element(d->m_arrErrorTotal.m_pDatos, d->m_arrErrorTotal.m_pDatos + n);
    d->m_opciones.bFigurasPrueba = true;
    d->m_opciones.figurasPrueba = FigurasPrueba{n, 30, 30, 100.0, total, 0.0};
    CVentanaGraficas* w = AbrirGraficas();
    QVERIFY(w);
    w->parentWidget()->resize(800, 700);
    for (bool log : {true, false}) {
      w->FijarEscalaLogaritmica(log);
      QCoreApplication::processEvents();
      for (int k = 0; k < 3; ++k) {
        QChart* c = w->Vista(k)->chart();
        auto* marca = qobject_cast<QScatterSeries*>(c->series().at(int(Nombres(c).indexOf("iris.nrv (prueba)"))));
        QVERIFY(marca);
        const QPointF medio(marca->markerSize() / 2.0, marca->markerSize() / 2.0);
        const QPointF centro = c->mapToPosition(marca->at(0), marca);
        QVERIFY2(c->plotArea().contains(QRectF(centro - medio, centro + medio)), qPrintable(QString::number(k)));
      }
    }
    const double ancho = w->Vista(kGraficaErrorTotal)->chart()->plotArea().width();
    const QString largo = QStringLiteral("una red de iris entrenada con todos los parámetros por omisión y con un "
                                         "nombre mucho más largo de lo que cabe en cualquier leyenda.nrv");
    QVERIFY(m_app->OpenDocumentFile(Copia(largo).toStdString()) != nullptr);
    CVentanaGraficas* otra = AbrirGraficas();
    QVERIFY(otra && otra != w);
    otra->parentWidget()->resize(800, 700);
    otra->Superponer(w->Documento(), true);
    QCoreApplication::processEvents();
    for (int k = 0; k < 3; ++k) {
      QChart* c = otra->Vista(k)->chart();
      QCOMPARE(c->series().first()->name(), largo);
      QVERIFY(c->plotArea().width() > 0.85 * ancho);
      const QString etiqueta = c->legend()->markers(c->series().first()).first()->label();
      QVERIFY2(etiqueta.startsWith("una red") && etiqueta.endsWith(".nrv") && etiqueta.size() < 30, qPrintable(etiqueta));
      QCOMPARE(c->legend()->markers(c->series().at(1)).first()->label(), QStringLiteral("iris.nrv"));
    }
  }

  // Other open networks laid over, each curve by its network's title; a
  // network closed leaves the plot.
  void variasRedesEnUnaGrafica() {
    CNodusDoc* primera = Doc();
    QVERIFY(m_app->OpenDocumentFile(Copia(QStringLiteral("segunda.nrv")).toStdString()) != nullptr);
    CNodusDoc* segunda = Doc();
    QVERIFY(m_app->OpenDocumentFile(Copia(QStringLiteral("tercera.nrv")).toStdString()) != nullptr);
    CNodusDoc* tercera = Doc();
    for (UINT i = 0; i < segunda->m_nPuntos.load(); ++i) segunda->m_arrAciertos.m_pDatos[i] = 50.0;
    CVentanaGraficas* w = AbrirGraficas();
    QVERIFY(w);
    QCOMPARE(w->Documento(), tercera);
    w->Superponer(primera, true);
    w->Superponer(segunda, true);
    QCOMPARE(Nombres(w->Vista(kGraficaAciertos)->chart()),
             (QStringList{"tercera.nrv", "iris.nrv", "segunda.nrv"}));
    QCOMPARE(Nombres(w->Vista(kGraficaErrorMaximo)->chart()),
             (QStringList{"tercera.nrv", "iris.nrv", "segunda.nrv", "Criterio"}));
    QChart* c = w->Vista(kGraficaAciertos)->chart();
    auto* curva = static_cast<QLineSeries*>(c->series().at(2));
    QCOMPARE(curva->at(0).y(), 50.0);
    QVERIFY(RangoY(c).first <= 50.0);
    // Colours differ between networks.
    QVERIFY(static_cast<QLineSeries*>(c->series().at(0))->pen().color() != curva->pen().color());
    // A new epoch of an overlaid network redraws it here.
    segunda->m_arrAciertos.m_pDatos[0] = 42.0;
    CVentanaGraficas::DocumentoActualizado(segunda);
    QCOMPARE(static_cast<QLineSeries*>(c->series().at(2))->at(0).y(), 42.0);

    // The second network closes: the window draws the other two.
    auto* hijo = m_app->Plantilla()->MarcoDe(segunda);
    QVERIFY(hijo);
    hijo->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(Nombres(w->Vista(kGraficaAciertos)->chart()), (QStringList{"tercera.nrv", "iris.nrv"}));
  }

  // A network that measures its training set: its curves dashed in the
  // colour of the verification ones, in the readout too, the test file's
  // mark; the per-class page, whose curves are the recall of the matrices
  // recorded at those epochs, the matrix of an epoch and the samples the
  // network gets wrong, copyable.
  void entrenamientoYClases() {
    for (const QString& f : {QStringLiteral("iris-train.txt"), QStringLiteral("iris-test.txt")})
      QVERIFY(QFile::copy(Ejemplo(f), m_entorno->Ruta(f)));
    CNodusDoc* d = Doc();
    QVERIFY(d->AmpliarEpocas(4));
    d->m_opciones.bMedirEntrenamiento = true;
    CVentanaGraficas* w = AbrirGraficas();
    QVERIFY(w);
    QVERIFY(!Nombres(w->Vista(kGraficaErrorTotal)->chart()).contains(QStringLiteral("iris.nrv (entrenamiento)")));
    m_guion->Respuesta(QString());  // Terminado entrenamiento
    d->OnEntrenar();
    QTRY_VERIFY_WITH_TIMEOUT(!d->m_bEntrenando.load(), 60000);
    d->OnDetener();
    QCoreApplication::processEvents();
    QCOMPARE(d->m_nEpoca.load(), 104u);
    w->Refrescar();
    const OpcionesRed& op = d->m_opciones;
    const std::array<const std::vector<double>*, 3> ent = {&op.entErrorMaximo, &op.entErrorTotal, &op.entAciertos};
    for (int k = 0; k < 3; ++k) {
      QChart* c = w->Vista(k)->chart();
      const int i = int(Nombres(c).indexOf(QStringLiteral("iris.nrv (entrenamiento)")));
      QVERIFY2(i > 0, qPrintable(Nombres(c).join(QLatin1Char(','))));
      auto* curva = static_cast<QLineSeries*>(c->series().at(i));
      QCOMPARE(curva->pen().style(), Qt::DashLine);
      QCOMPARE(curva->pen().color(), static_cast<QLineSeries*>(c->series().first())->pen().color());
      // The four epochs of this run, the earlier ones not measured.
      QCOMPARE(curva->count(), 4);
      for (int p = 0; p < 4; ++p) {
        QCOMPARE(curva->at(p).x(), 101.0 + p);
        QCOMPARE(curva->at(p).y(), (*ent[k])[std::size_t(100 + p)]);
      }
      if (k == kGraficaErrorMaximo) QCOMPARE(Nombres(c).last(), QStringLiteral("Criterio"));
    }
    w->Apuntar(104);
    QVERIFY(w->Lectura().endsWith(QString::fromStdString(
        FormatC(" (entrenamiento: error máximo %.7g; error total %.7g; aciertos %.4f %%)", op.entErrorMaximo[103],
                op.entErrorTotal[103], op.entAciertos[103]))));
    // The test file's figure, marked at its epoch.
    d->m_opciones.bFigurasPrueba = true;
    d->m_opciones.figurasPrueba = FigurasPrueba{104, 30, 28, 93.25, 1.5, 0.75};
    w->Refrescar();
    QChart* aciertos = w->Vista(kGraficaAciertos)->chart();
    const int iPrueba = int(Nombres(aciertos).indexOf(QStringLiteral("iris.nrv (prueba)")));
    QVERIFY(iPrueba > 0);
    auto* marca = qobject_cast<QScatterSeries*>(aciertos->series().at(iPrueba));
    QVERIFY(marca);
    QCOMPARE(marca->count(), 1);
    QCOMPARE(marca->at(0), QPointF(104.0, 93.25));
    QVERIFY(DatosDe(*d, QString()).lineas.join(QLatin1Char('\n')).contains(QStringLiteral("Prueba (")));

    // Per class: each curve is its row's recall in the matrix of each epoch.
    w->MostrarPagina(1);
    CPaginaClases* pc = w->PaginaClases();
    QVERIFY(pc && pc->isVisible());
    QChart* clases = pc->Vista()->chart();
    QCOMPARE(Nombres(clases), (QStringList{"salida1", "salida2", "salida3"}));
    const UINT n = d->m_nSalidas;
    for (UINT k = 0; k < n; ++k) {
      auto* curva = static_cast<QLineSeries*>(clases->series().at(int(k)));
      QCOMPARE(curva->count(), 4);
      for (UINT e = 100; e < 104; ++e) {
        ResultadosVerificacion r;
        r.nSalidas = n;
        r.matriz.assign(op.matrices.begin() + e * n * n, op.matrices.begin() + (e + 1) * n * n);
        double esperado = 0.0;
        QVERIFY(r.Sensibilidad(k, esperado));
        QCOMPARE(curva->at(int(e - 100)).y(), esperado);
      }
    }
    // The last epoch's matrix is that of the current weights.
    QCOMPARE(pc->Epoca(), 104u);
    const QString ultima = pc->TextoMatriz();
    QVERIFY(ultima.startsWith(QStringLiteral("objetivo \\ red\tsalida1\tsalida2\tsalida3\tSensibilidad\n")));
    QCOMPARE(pc->TablaMatriz()->rowCount(), int(n) + 1);
    pc->MostrarEpoca(0);
    QCOMPARE(pc->TextoMatriz(), ultima);
    pc->MostrarEpoca(50);
    QVERIFY(pc->TextoMatriz().isEmpty());
    QVERIFY(!pc->Aviso().isEmpty());
    QCOMPARE(pc->TablaMatriz()->rowCount(), 0);
    // The samples it gets wrong, as many as verification misses.
    pc->MedirFalladas();
    const Resultado<ResultadosVerificacion> v = VerificarFichero(d->GetRed(), "iris-test.txt");
    QVERIFY(v);
    QCOMPARE(pc->TablaFalladas()->rowCount(), int(v->nMuestras - v->medidas.nAciertos));
    const QStringList lineas = pc->TextoFalladas().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lineas.size(), pc->TablaFalladas()->rowCount() + 1);
    QCOMPARE(lineas[0], QStringLiteral("muestra\tobjetivo\tred\tsalida1\tsalida2\tsalida3"));
    for (const QString& l : lineas.mid(1)) {
      const QStringList c = l.split(QLatin1Char('\t'));
      QCOMPARE(c.size(), 6);
      QVERIFY(c[1] != c[2]);
    }
    auto* copiar = pc->findChild<QPushButton*>(QStringLiteral("copiarFalladas"));
    QVERIFY(copiar);
    QTest::mouseClick(copiar, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), pc->TextoFalladas());
    QVERIFY(m_guion->Inesperadas().isEmpty());
  }

  // The report page at 300 dpi: the title in black at the top, the three
  // plots' dark areas, each curve in its colour, the criterion in yellow.
  void laPaginaDeInformeA300ppp() {
    QImage pagina(3508, 2480, QImage::Format_RGB32);
    pagina.fill(Qt::white);
    {
      QPainter p(&pagina);
      p.setRenderHint(QPainter::Antialiasing);
      Vista()->PintarInformeVista(p, QRectF(0, 0, 3508, 2480), 300.0, 15.0);
    }
    const int margen = qRound(15.0 / 25.4 * 300.0);
    // Nothing in the margins.
    QCOMPARE(Cuenta(pagina, 0xFFFFFFu, QRect(0, 0, 3508, margen - 2)), 3508 * (margen - 2));
    QCOMPARE(Cuenta(pagina, 0xFFFFFFu, QRect(0, 0, margen - 2, 2480)), (margen - 2) * 2480);
    // The title's black text in the first band below the margin.
    QVERIFY(Cuenta(pagina, 0x000000u, QRect(margen, margen, 2000, 80)) > 500);
    const int arriba = margen + 300;
    const int alto = (2480 - margen - arriba) / 3;
    const std::array<ColorRGB, 3> colores = {kColorErrorMaximo, kColorErrorTotal, kColorAciertos};
    for (int k = 0; k < 3; ++k) {
      const QRect banda(margen, arriba + k * alto, 3508 - 2 * margen, alto);
      QVERIFY2(Cuenta(pagina, Rgb24(kColorFondoMarco), banda) > banda.width() * banda.height() / 4,
               qPrintable(QString::number(k)));
      for (int otro = 0; otro < 3; ++otro) {
        const int n = Cuenta(pagina, Rgb24(colores[otro]), banda);
        if (otro == k) QVERIFY2(n > 2000, qPrintable(QStringLiteral("curva %1: %2").arg(k).arg(n)));
      }
      QCOMPARE(Cuenta(pagina, Rgb24(kColorAmarillo), banda) > 200, k == kGraficaErrorMaximo);
    }
    // The axes' numbers and titles: dark text left of the plots.
    QVERIFY(Oscuros(pagina, QRect(margen, arriba, 150, 2480 - arriba - margen)) > 1000);
  }

  // Ctrl+P prints the report page; Exportar informe writes it as PDF, SVG
  // and PNG at the size chosen.
  void imprimirYExportarElInforme() {
    const QString pdf = m_entorno->Ruta(QStringLiteral("pagina.pdf"));
    const auto anterior = CNodusView::s_dialogoImprimir;
    CNodusView::s_dialogoImprimir = [&](QPrinter& impresora, QWidget*) {
      impresora.setOutputFormat(QPrinter::PdfFormat);
      impresora.setOutputFileName(pdf);
      return true;
    };
    Marco()->EjecutarComando(ID_FILE_PRINT);
    CNodusView::s_dialogoImprimir = anterior;
    QByteArray contenido = Leer(pdf);
    QVERIFY(contenido.startsWith("%PDF"));
    QCOMPARE(contenido.count("/Type /Page") - contenido.count("/Type /Pages"), 1);

    auto exportar = [this](const QString& ruta) {
      m_guion->Ventana([ruta](QDialog* d) { ElegirFichero(d, ruta); });
      Marco()->EjecutarComando(ID_EXPORTAR_INFORME);
    };
    exportar(m_entorno->Ruta(QStringLiteral("informe.pdf")));
    contenido = Leer(m_entorno->Ruta(QStringLiteral("informe.pdf")));
    QVERIFY(contenido.startsWith("%PDF"));
    QVERIFY(contenido.size() > 20000);
    exportar(m_entorno->Ruta(QStringLiteral("informe.svg")));
    contenido = Leer(m_entorno->Ruta(QStringLiteral("informe.svg")));
    QVERIFY(contenido.contains("<svg"));
    QVERIFY(contenido.contains("Curvas de entrenamiento de iris.nrv"));
    QVERIFY(contenido.contains("Error total"));
    m_guion->Ventana([this](QDialog* d) {
      ElegirFichero(d, m_entorno->Ruta(QStringLiteral("informe.png")));
    });
    m_guion->Ventana([](QDialog* d) {
      auto* e = qobject_cast<QInputDialog*>(d);
      QVERIFY(e);
      e->setTextValue(QStringLiteral("3508 x 2480 (300 ppp)"));
      e->accept();
    });
    Marco()->EjecutarComando(ID_EXPORTAR_INFORME);
    QImage img;
    QVERIFY(img.loadFromData(Leer(m_entorno->Ruta(QStringLiteral("informe.png"))), "PNG"));
    QCOMPARE(img.size(), QSize(3508, 2480));
    QVERIFY(Cuenta(img, Rgb24(kColorErrorTotal), img.rect()) > 2000);
    QVERIFY(m_guion->Mensajes().isEmpty());
    QVERIFY(m_guion->Inesperadas().isEmpty());
  }
};

QTEST_MAIN(PruebaGraficas)
#include "test_graficas.moc"
