// The form and its graphs off the screen: the printed page (Ctrl+P) holds
// the form with its three graphs in their colours, at their places;
// "Exportar gráficas..." writes them as PNG, SVG or PDF by the name's
// extension or the chosen filter, and refuses any other kind.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QtTest>

#include <memory>

#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/formulario.h"
#include "ui/marcos.h"
#include "plan/lamina.h"
#include "plan/svg.h"
#include "ui/vista.h"

namespace {

constexpr std::array<ColorRGB, 3> kColores = {kColorErrorMaximo, kColorErrorTotal, kColorAciertos};

QRgb Rgb24(ColorRGB c) { return qRgb(c.r, c.g, c.b) & 0xFFFFFFu; }

int Cuenta(const QImage& img, ColorRGB c, QRect zona) {
  zona = zona.intersected(img.rect());
  int n = 0;
  for (int y = zona.top(); y <= zona.bottom(); ++y)
    for (int x = zona.left(); x <= zona.right(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFFu) == Rgb24(c)) ++n;
  return n;
}

// Each graph's curve shows in its own frame, and in no other.
void ComprobarGraficas(const QImage& img, const std::array<QRect, 3>& zonas) {
  for (int k = 0; k < 3; ++k)
    for (int otra = 0; otra < 3; ++otra) {
      const int n = Cuenta(img, kColores[k], zonas[otra]);
      if (k == otra)
        QVERIFY2(n > 50, qPrintable(QStringLiteral("grafica %1: %2 pixeles de su color").arg(k).arg(n)));
      else
        QVERIFY2(n == 0, qPrintable(QStringLiteral("color %1 en la grafica %2").arg(k).arg(otra)));
    }
}

QByteArray Leer(const QString& ruta) {
  QFile f(ruta);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class PruebaImprimir : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_entorno;
  std::unique_ptr<CGuion> m_guion;
  std::unique_ptr<CNodusApp> m_app;

  CNodusView* Vista() const { return dynamic_cast<CNodusView*>(m_app->m_pMainWnd->VistaActiva()); }
  QWidget* Lienzo() const { return AfxWidgetDe(Vista()); }

  // Exportar gráficas with the file dialog answered: the filter chosen
  // (empty: the first) and the name typed.
  void ExportarGraficas(const QString& filtro, const QString& ruta) {
    m_guion->Ventana([filtro, ruta](QDialog* d) {
      auto* fd = qobject_cast<QFileDialog*>(d);
      QVERIFY(fd);
      if (!filtro.isEmpty()) fd->selectNameFilter(filtro);
      ElegirFichero(d, ruta);
    });
    m_app->m_pMainWnd->EjecutarComando(ID_EXPORTAR_GRAFICAS);
  }

 private slots:
  void init() {
    m_entorno = std::make_unique<CEntornoPrueba>();
    m_guion = std::make_unique<CGuion>();
    m_app = std::make_unique<CNodusApp>();
    QVERIFY(m_app->InitInstance({}));
    m_app->m_pMainWnd->resize(900, 650);
    m_app->m_pMainWnd->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_app->m_pMainWnd));
    // 100 epochs, the total error long below 8: all three graphs show.
    QVERIFY(m_app->OpenDocumentFile(Ejemplo(QStringLiteral("iris.nrv")).toStdString()) != nullptr);
    Lienzo()->repaint();
    QCoreApplication::processEvents();
  }

  void cleanup() {
    m_app.reset();
    m_guion.reset();
    m_entorno.reset();
  }

  void laPaginaLlevaElFormularioConSusTresGraficas() {
    QWidget* lienzo = Lienzo();
    QVERIFY(lienzo);
    // A landscape A4 page at 150 dpi with a margin.
    QImage pagina(1754, 1240, QImage::Format_RGB32);
    pagina.fill(Qt::white);
    const QRect area(40, 40, 1674, 1160);
    {
      QPainter p(&pagina);
      Vista()->PintarPagina(p, area);
    }
    const double escala = std::min(area.width() / double(lienzo->width()), area.height() / double(lienzo->height()));
    QVERIFY(escala > 1.5);
    const QPointF origen(area.left() + (area.width() - lienzo->width() * escala) / 2.0, area.top());
    std::array<QRect, 3> zonas;
    for (int k = 0; k < 3; ++k) {
      QWidget* marco = Control(lienzo, kMarcos[k]);
      QVERIFY(marco && marco->isVisibleTo(lienzo));
      const QRect r(marco->mapTo(lienzo, QPoint(0, 0)), marco->size());
      zonas[k] = QRectF(origen + QPointF(r.x(), r.y()) * escala, QSizeF(r.size()) * escala).toRect();
      // The frame is drawn at the page's resolution: its dark background
      // fills it, not a screen picture's few pixels.
      QVERIFY(Cuenta(pagina, kColorFondoMarco, zonas[k]) > zonas[k].width() * zonas[k].height() / 2);
      QVERIFY(Cuenta(pagina, kColorAmarillo, zonas[k]) > 0 || k == kMarcoErrorTotal);
    }
    ComprobarGraficas(pagina, zonas);
    // Outside the form the page stays white.
    QCOMPARE(pagina.pixel(10, 10) & 0xFFFFFFu, 0xFFFFFFu);
    QCOMPARE(pagina.pixel(pagina.width() - 10, pagina.height() - 10) & 0xFFFFFFu, 0xFFFFFFu);
  }

  void ctrlPImprimeUnaPaginaConElFormulario() {
    const QString pdf = m_entorno->Ruta(QStringLiteral("pagina.pdf"));
    const auto anterior = CNodusView::s_dialogoImprimir;
    bool apaisada = false;
    CNodusView::s_dialogoImprimir = [&](QPrinter& impresora, QWidget*) {
      apaisada = impresora.pageLayout().orientation() == QPageLayout::Landscape;
      impresora.setOutputFormat(QPrinter::PdfFormat);
      impresora.setOutputFileName(pdf);
      return true;
    };
    m_app->m_pMainWnd->EjecutarComando(ID_FILE_PRINT);
    CNodusView::s_dialogoImprimir = anterior;
    QVERIFY(apaisada);
    const QByteArray contenido = Leer(pdf);
    QVERIFY(contenido.startsWith("%PDF"));
    QCOMPARE(contenido.count("/Type /Page") - contenido.count("/Type /Pages"), 1);
    // Texts and lines of the form, far more than an empty page.
    QVERIFY2(contenido.size() > 20000, qPrintable(QString::number(contenido.size())));
  }

  void lasGraficasComoPngSvgYPdf() {
    const Lamina lamina = Vista()->LaminaVista();
    const double r = Lienzo()->devicePixelRatioF();

    const QString png = m_entorno->Ruta(QStringLiteral("graficas.png"));
    ExportarGraficas(QString(), png);
    QImage img;
    QVERIFY(img.loadFromData(Leer(png), "PNG"));
    QCOMPARE(img.size(), QSize(qCeil(lamina.ancho * r), qCeil(lamina.alto * r)));
    std::array<QRect, 3> zonas;
    for (int k = 0; k < 3; ++k) {
      const MarcoLamina& m = lamina.marcos[k];
      QVERIFY(m.bVisible);
      zonas[k] = QRectF(m.x * r, m.y * r, m.ancho * r, m.alto * r).toRect();
    }
    ComprobarGraficas(img, zonas);
    // The frames stand where the form has them: the same sizes as on screen.
    for (int k = 0; k < 3; ++k) QCOMPARE(QSize(lamina.marcos[k].ancho, lamina.marcos[k].alto), Control(Lienzo(), kMarcos[k])->size());

    // The SVG filter gives its extension to a name typed without one, and
    // the bytes are the core's writer's.
    ExportarGraficas(QStringLiteral("Imágenes SVG (*.svg)"), m_entorno->Ruta(QStringLiteral("graficas")));
    const std::string svg = SvgLamina(lamina, "Curvas de entrenamiento de " + Vista()->GetDocument()->GetTitle());
    QCOMPARE(Leer(m_entorno->Ruta(QStringLiteral("graficas.svg"))), QByteArray::fromStdString(svg));
    ExportarGraficas(QStringLiteral("Imágenes SVG (*.svg)"), m_entorno->Ruta(QStringLiteral("punto.")));
    QVERIFY(QFile::exists(m_entorno->Ruta(QStringLiteral("punto.svg"))));

    ExportarGraficas(QString(), m_entorno->Ruta(QStringLiteral("graficas.PDF")));
    const QByteArray pdf = Leer(m_entorno->Ruta(QStringLiteral("graficas.PDF")));
    QVERIFY(pdf.startsWith("%PDF"));
    QCOMPARE(pdf.count("/Type /Page") - pdf.count("/Type /Pages"), 1);
    QVERIFY(m_guion->Mensajes().isEmpty());
    QVERIFY(m_guion->Inesperadas().isEmpty());
  }

  void otroTipoDeImagenSeRechazaYSePreguntaDeNuevo() {
    const QString jpg = m_entorno->Ruta(QStringLiteral("graficas.jpg"));
    m_guion->Ventana([jpg](QDialog* d) { ElegirFichero(d, jpg); });
    m_guion->Ventana([](QDialog* d) { Cancelar(d); });
    m_app->m_pMainWnd->EjecutarComando(ID_EXPORTAR_GRAFICAS);
    QCOMPARE(m_guion->Dialogos(), (QStringList{"Exportar gráficas", "Exportar gráficas"}));
    QCOMPARE(m_guion->Mensajes().size(), 1);
    QVERIFY(m_guion->Mensajes()[0].startsWith(QStringLiteral("Las gráficas se guardan como imagen PNG, SVG o PDF")));
    QVERIFY(!QFile::exists(jpg));
  }

  // Archivo offers the new commands after the old ones, enabled with a
  // network open.
  void elMenuArchivoLasOfrece() {
    auto* barra = qobject_cast<QMenuBar*>(m_app->m_pMainWnd->menuWidget());
    QVERIFY(barra);
    QMenu* archivo = barra->actions().at(0)->menu();
    emit archivo->aboutToShow();
    QStringList textos;
    for (QAction* a : archivo->actions())
      if (a->isVisible() && !a->isSeparator()) textos << a->text();
    QVERIFY(textos.size() >= 12);
    QCOMPARE(textos.mid(0, 12), (QStringList{"&Nuevo...\tCtrl+N", "&Abrir...\tCtrl+A", "&Cerrar", "&Guardar\tCtrl+G",
                                             "Guardar c&omo...", "Guardar &historial...", "Guardar &pesos...",
                                             "&Exportar como C...", "Exportar g&ráficas...", "&Importar datos...",
                                             "E&xperimento...", "Presentación preli&minar"}));
    for (UINT id : {UINT(ID_EXPORTAR_C), UINT(ID_EXPORTAR_GRAFICAS), UINT(ID_FILE_PRINT_PREVIEW)})
      QVERIFY(m_app->m_pMainWnd->AccionMenu(id)->isEnabled());
  }
};

QTEST_MAIN(PruebaImprimir)
#include "test_imprimir.moc"
