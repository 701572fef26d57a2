// The graph frames' surfaces, pixel by pixel: what a full redraw and an
// update pass leave on them.
#include <QApplication>
#include <QImage>
#include <QtTest>

#include <QSet>

#include <cmath>
#include <vector>

#include "ui/grafica.h"
#include "plan/plan_grafica.h"

namespace {

constexpr int kAncho = 190;
constexpr int kAlto = 125;

struct Historia {
  std::vector<double> maximo, total, aciertos;
};

EntradaPlan Entrada(const Historia& h, UINT E, double criterio) {
  EntradaPlan e;
  e.nMaxEpocas = E;
  e.dErrorMaximo = criterio;
  e.n = static_cast<UINT>(h.total.size());
  e.bHayPuntos = e.n != 0;
  e.pErrorMaximo = h.maximo.data();
  e.pErrorTotal = h.total.data();
  e.pAciertos = h.aciertos.data();
  e.ancho = {kAncho, kAncho, kAncho};
  e.alto = {kAlto, kAlto, kAlto};
  return e;
}

QImage Superficie(qreal proporcion = 1.0) {
  QImage img(static_cast<int>(std::ceil(kAncho * proporcion)), static_cast<int>(std::ceil(kAlto * proporcion)),
             QImage::Format_RGB32);
  img.setDevicePixelRatio(proporcion);
  img.fill(Qt::gray);
  return img;
}

QRgb Color(ColorRGB c) { return qRgb(c.r, c.g, c.b) & 0xFFFFFFu; }
QRgb Rgb24(int r, int g, int b) { return qRgb(r, g, b) & 0xFFFFFFu; }

// The pixel a logical point lands on.
QPoint Pixel(const PlanMarco& marco, std::int64_t x, std::int64_t y) {
  double px = 0, py = 0;
  marco.mapeo.PixelDe({x, y}, px, py);
  return QPoint(static_cast<int>(std::floor(px)), static_cast<int>(std::floor(py)));
}

QRgb En(const QImage& img, QPoint p) { return img.pixel(p) & 0xFFFFFFu; }
QRgb En(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFFu; }

// The run of pixels of a colour down a column of device pixels, through
// the row y (device pixels).
int Grosor(const QImage& img, QRgb color, int x, int y) {
  if (En(img, x, y) != color) return 0;
  int arriba = y, abajo = y;
  while (arriba > 0 && En(img, x, arriba - 1) == color) --arriba;
  while (abajo + 1 < img.height() && En(img, x, abajo + 1) == color) ++abajo;
  return abajo - arriba + 1;
}

// The device pixel a logical point lands on, on a surface of ratio r.
QPoint PixelDispositivo(const PlanMarco& marco, std::int64_t x, std::int64_t y, qreal r) {
  double px = 0, py = 0;
  marco.mapeo.PixelDe({x, y}, px, py);
  return QPoint(static_cast<int>(std::floor(px * r)), static_cast<int>(std::floor(py * r)));
}

int Cuenta(const QImage& img, QRgb color, QRect zona) {
  int n = 0;
  zona = zona.intersected(img.rect());
  for (int y = zona.top(); y <= zona.bottom(); ++y)
    for (int x = zona.left(); x <= zona.right(); ++x)
      if (En(img, x, y) == (color & 0xFFFFFFu)) ++n;
  return n;
}

}  // namespace

class PruebaSuperficies : public QObject {
  Q_OBJECT

 private slots:
  void fondoYBordeDelRedibujadoCompleto() {
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 100, 0.1));
    for (const PlanMarco& marco : plan.marcos) {
      QImage img = Superficie();
      PintarPlanMarco(img, marco, QApplication::font());
      // Away from axes, reference line and label.
      QCOMPARE(En(img, Pixel(marco, 3000, 80)), Color(kColorFondoMarco));
      QCOMPARE(En(img, kAncho - 3, 2), Color(kColorFondoMarco));
      // The frame control's black border.
      QCOMPARE(En(img, 0, 0), Rgb24(0, 0, 0));
      QCOMPARE(En(img, kAncho - 1, kAlto / 2), Rgb24(0, 0, 0));
      QCOMPARE(En(img, kAncho / 2, kAlto - 1), Rgb24(0, 0, 0));
    }
  }

  void ejesBlancosDesdeElOrigen() {
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 100, 0.1));
    const PlanMarco& marco = plan.marcos[kMarcoAciertos];
    QImage img = Superficie();
    PintarPlanMarco(img, marco, QApplication::font());
    QCOMPARE(En(img, Pixel(marco, 5000, 0)), Rgb24(255, 255, 255));
    QCOMPARE(En(img, Pixel(marco, 0, 70)), Rgb24(255, 255, 255));
    // The axis ends at 100 * E; the window reaches 110 * E.
    QCOMPARE(En(img, Pixel(marco, 10400, 0)), Color(kColorFondoMarco));
  }

  void lineaDeReferenciaAmarilla() {
    // Criterion 0.5: y = 25 on the maximum-error graph.
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 100, 0.5));
    const PlanMarco& marco = plan.marcos[kMarcoErrorMaximo];
    QImage img = Superficie();
    PintarPlanMarco(img, marco, QApplication::font());
    const QPoint a = Pixel(marco, 0, 25);
    const QPoint b = Pixel(marco, 5000, 25);
    const QRect fila(a.x() + 2, a.y() - 1, b.x() - a.x(), 3);
    const int amarillos = Cuenta(img, Rgb24(255, 255, 0), fila);
    // Dash-dot-dot: yellow along the row, with gaps.
    QVERIFY2(amarillos > fila.width() / 2, qPrintable(QString::number(amarillos)));
    QVERIFY(amarillos < fila.width() * 3);
  }

  void etiquetasSobreSuFondo() {
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 100, 0.5));
    for (int k : {kMarcoErrorTotal, kMarcoAciertos}) {
      const PlanMarco& marco = plan.marcos[k];
      QImage img = Superficie();
      PintarPlanMarco(img, marco, QApplication::font());
      const Primitiva* etiqueta = nullptr;
      for (const auto& p : marco.primitivas)
        if (p.tipo == TipoPrimitiva::Texto) etiqueta = &p;
      QVERIFY(etiqueta != nullptr);
      // Top-left corner on the anchor, black box, yellow text.
      const QPoint esquina = Pixel(marco, etiqueta->desde.x, etiqueta->desde.y);
      const QFontMetrics fm(QApplication::font(), &img);  // the surface's own resolution
      const QRect caja(esquina + QPoint(1, 1), QSize(fm.horizontalAdvance(QString::fromStdString(etiqueta->texto)) - 2,
                                                       fm.height() - 2));
      QVERIFY(Cuenta(img, Rgb24(0, 0, 0), caja) > 0);
      // Yellow glyphs (smoothed at their edges, and all over when the
      // screen is scaled and the font unhinted).
      int amarillos = 0;
      for (int y = caja.top(); y <= caja.bottom(); ++y)
        for (int x = caja.left(); x <= caja.right(); ++x) {
          const QColor c = img.pixelColor(x, y);
          if (c.red() > 160 && c.green() > 160 && c.blue() < 100) ++amarillos;
        }
      QVERIFY(amarillos > 0);
      QCOMPARE(Cuenta(img, Color(kColorFondoMarco), caja), 0);
    }
  }

  void curvaDeSuColorEnSuPunto() {
    Historia h;
    h.aciertos = {60.0, 60.0, 60.0, 30.0};
    h.maximo = {0.8, 0.8, 0.8, 0.8};
    h.total = {4.0, 4.0, 4.0, 4.0};
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(h, 10, 0.1));
    struct Caso {
      int marco;
      std::int64_t y;
      ColorRGB color;
    };
    for (const Caso& c : {Caso{kMarcoAciertos, 60, kColorAciertos}, Caso{kMarcoErrorMaximo, 40, kColorErrorMaximo},
                          Caso{kMarcoErrorTotal, 50, kColorErrorTotal}}) {
      QImage img = Superficie();
      PintarPlanMarco(img, plan.marcos[c.marco], QApplication::font());
      QCOMPARE(En(img, Pixel(plan.marcos[c.marco], 100, c.y)), Color(c.color));
      QCOMPARE(En(img, Pixel(plan.marcos[c.marco], 200, c.y)), Color(c.color));
    }
  }

  void laPasadaDeActualizacionDibujaEncima() {
    Historia h;
    h.aciertos = {80.0, 70.0, 60.0};
    h.maximo = {0.5, 0.5, 0.5};
    h.total = {2.0, 2.0, 2.0};
    const PlanGraficas completa = PlanificarGraficas(Pasada::Completa, Entrada(h, 10, 0.1));
    const PlanGraficas actualizacion = PlanificarGraficas(Pasada::Actualizacion, Entrada(h, 10, 0.1));
    const PlanMarco& marco = completa.marcos[kMarcoAciertos];
    QImage img = Superficie();
    PintarPlanMarco(img, marco, QApplication::font());
    const QPoint reinicio = Pixel(marco, 100, 75);
    const QPoint fondo = Pixel(marco, 500, 90);
    QCOMPARE(En(img, fondo), Color(kColorFondoMarco));
    QCOMPARE(En(img, reinicio), Color(kColorFondoMarco));

    PintarPlanMarco(img, actualizacion.marcos[kMarcoAciertos], QApplication::font());
    // The background and axes stay; the restart at 75 is added over the
    // full redraw's 70 -> 60.
    QCOMPARE(En(img, fondo), Color(kColorFondoMarco));
    QCOMPARE(En(img, Pixel(marco, 500, 0)), Rgb24(255, 255, 255));
    QCOMPARE(En(img, reinicio), Color(kColorAciertos));
    QCOMPARE(En(img, Pixel(marco, 150, 65)), Color(kColorAciertos));
  }

  // The frame's surface has the screen's device pixels (run again with
  // QT_SCALE_FACTOR=2), and the screen shows it pixel for pixel.
  void elMarcoConservaLoDibujado() {
    CMarcoGrafica marco;
    marco.resize(kAncho, kAlto);
    marco.show();
    QVERIFY(QTest::qWaitForWindowExposed(&marco));
    const qreal r = marco.devicePixelRatioF();
    QCOMPARE(marco.Superficie().devicePixelRatio(), r);
    QCOMPARE(marco.Superficie().size(), QSize(static_cast<int>(std::ceil(kAncho * r)), static_cast<int>(std::ceil(kAlto * r))));
    Historia h;
    h.aciertos = {60.0, 60.0, 60.0};
    h.maximo = {0.5, 0.5, 0.5};
    h.total = {2.0, 2.0, 2.0};
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(h, 10, 0.1));
    marco.Pintar(plan.marcos[kMarcoAciertos]);
    const QImage& superficie = marco.Superficie();
    QCOMPARE(En(superficie, superficie.width() - 3, 2), Color(kColorFondoMarco));
    const QPoint curva = PixelDispositivo(plan.marcos[kMarcoAciertos], 150, 60, r);
    QCOMPARE(En(superficie, curva), Color(kColorAciertos));
    QCOMPARE(Grosor(superficie, Color(kColorAciertos), curva.x(), curva.y()), static_cast<int>(std::lround(2 * r)));
    const QImage enPantalla = marco.grab().toImage();
    QCOMPARE(enPantalla.size(), superficie.size());
    QCOMPARE(En(enPantalla, enPantalla.width() - 3, 2), Color(kColorFondoMarco));
    QCOMPARE(En(enPantalla, 0, 0), Rgb24(0, 0, 0));
    QCOMPARE(En(enPantalla, curva), Color(kColorAciertos));
  }

  // At a device pixel ratio of 2 the plan is drawn at the device's
  // resolution: pens one logical width wide in device pixels (curves 2,
  // axes and border 1), the exact colours, no 1x picture doubled.
  void proporcionDos() {
    constexpr qreal r = 2.0;
    Historia h;
    h.aciertos = {60.0, 60.0, 60.0, 60.0};
    h.maximo = {0.5, 0.5, 0.5, 0.5};
    h.total = {2.0, 2.0, 2.0, 2.0};
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(h, 10, 0.5));
    const PlanMarco& marco = plan.marcos[kMarcoAciertos];
    QImage img = Superficie(r);
    PintarPlanMarco(img, marco, QApplication::font());
    QCOMPARE(img.size(), QSize(2 * kAncho, 2 * kAlto));

    // The curve: width 2 logical, 4 device pixels, of its exact colour.
    const QPoint curva = PixelDispositivo(marco, 150, 60, r);
    QCOMPARE(Grosor(img, Color(kColorAciertos), curva.x(), curva.y()), 4);
    // The axis along y = 0: the stock pen of one pixel, 2 device pixels.
    const QPoint eje = PixelDispositivo(marco, 500, 0, r);
    QCOMPARE(Grosor(img, Rgb24(255, 255, 255), eje.x(), eje.y()), 2);
    // The frame's border: one pixel of the frame, 2 device pixels.
    QCOMPARE(En(img, 0, kAlto), Rgb24(0, 0, 0));
    QCOMPARE(En(img, 1, kAlto), Rgb24(0, 0, 0));
    QCOMPARE(En(img, 2, kAlto), Color(kColorFondoMarco));
    QCOMPARE(En(img, img.width() - 2, kAlto), Rgb24(0, 0, 0));
    QCOMPARE(En(img, img.width() - 3, kAlto), Color(kColorFondoMarco));
    // Away from the label, only the plan's colours: nothing blended.
    const QSet<QRgb> colores = {Color(kColorFondoMarco), Rgb24(0, 0, 0), Rgb24(255, 255, 255),
                                Rgb24(255, 255, 0),     Color(kColorAciertos)};
    QRect etiqueta;
    for (const auto& p : marco.primitivas)
      if (p.tipo == TipoPrimitiva::Texto) {
        const QPoint esquina = PixelDispositivo(marco, p.desde.x, p.desde.y, r);
        etiqueta = QRect(esquina, QSize(200, 60));
      }
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (!etiqueta.contains(x, y)) QVERIFY2(colores.contains(En(img, x, y)), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
  }

  // A steep curve at ratio 2 has the device's own steps: some aligned 2 x 2
  // block along it is part curve, part background, which a 1x picture
  // scaled up never has; and it differs from that picture.
  void proporcionDosNoEsUnaImagenDuplicada() {
    Historia h;
    h.aciertos = {0.0, 97.0, 3.0, 91.0, 11.0, 83.0};
    h.maximo = {0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
    h.total = {2.0, 2.0, 2.0, 2.0, 2.0, 2.0};
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(h, 10, 0.5));
    const PlanMarco& marco = plan.marcos[kMarcoAciertos];
    QImage doble = Superficie(2.0);
    PintarPlanMarco(doble, marco, QApplication::font());
    QImage simple = Superficie(1.0);
    PintarPlanMarco(simple, marco, QApplication::font());
    const QRgb c = Color(kColorAciertos);
    int mezclados = 0;
    for (int y = 0; y + 1 < doble.height(); y += 2)
      for (int x = 0; x + 1 < doble.width(); x += 2) {
        const int n = (En(doble, x, y) == c) + (En(doble, x + 1, y) == c) + (En(doble, x, y + 1) == c) +
                      (En(doble, x + 1, y + 1) == c);
        if (n > 0 && n < 4) ++mezclados;
      }
    QVERIFY2(mezclados > 20, qPrintable(QString::number(mezclados)));
    QImage ampliada = simple.scaled(simple.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    ampliada.setDevicePixelRatio(2.0);
    QVERIFY(ampliada.convertToFormat(QImage::Format_RGB32) != doble);
  }

  // Fractional ratios: the surface covers the frame, the curve is about
  // 2 r device pixels wide, of its exact colour.
  void proporcionesFraccionarias_data() {
    QTest::addColumn<qreal>("r");
    QTest::newRow("1.25") << qreal(1.25);
    QTest::newRow("1.5") << qreal(1.5);
  }
  void proporcionesFraccionarias() {
    QFETCH(qreal, r);
    Historia h;
    h.aciertos = {60.0, 60.0, 60.0, 60.0};
    h.maximo = {0.5, 0.5, 0.5, 0.5};
    h.total = {2.0, 2.0, 2.0, 2.0};
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(h, 10, 0.5));
    const PlanMarco& marco = plan.marcos[kMarcoAciertos];
    QImage img = Superficie(r);
    PintarPlanMarco(img, marco, QApplication::font());
    QCOMPARE(En(img, img.width() - 1, img.height() / 2), Rgb24(0, 0, 0));
    QCOMPARE(En(img, img.width() / 2, img.height() - 1), Rgb24(0, 0, 0));
    const QPoint curva = PixelDispositivo(marco, 150, 60, r);
    const int grosor = Grosor(img, Color(kColorAciertos), curva.x(), curva.y());
    QVERIFY2(std::abs(grosor - 2 * r) <= 1.0, qPrintable(QString::number(grosor)));
  }

  void valoresEnormesNoSalenDeLaSuperficie() {
    Historia h;
    h.maximo = {1e9, -1e9, 1e9};
    h.aciertos = {1e9, 50.0, -1e9};
    h.total = {1.0, 1.0, 1.0};
    const PlanGraficas plan = PlanificarGraficas(Pasada::Actualizacion, Entrada(h, 0xFFFFFFFFu, 0.1));
    for (const PlanMarco& marco : plan.marcos) {
      QImage img = Superficie();
      PintarPlanMarco(img, marco, QApplication::font());
      QCOMPARE(img.size(), QSize(kAncho, kAlto));
    }
  }
};

QTEST_MAIN(PruebaSuperficies)
#include "test_vista_grafica.moc"
