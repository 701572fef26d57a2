// The graph frames' surfaces, pixel by pixel: what a full redraw and an
// update pass leave on them.
#include <QApplication>
#include <QImage>
#include <QtTest>

#include <cmath>
#include <vector>

#include "ui/grafica.h"
#include "ui/plan/plan_grafica.h"

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

QImage Superficie() {
  QImage img(kAncho, kAlto, QImage::Format_RGB32);
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
      const QFontMetrics fm(QApplication::font());
      const QRect caja(esquina + QPoint(1, 1), QSize(fm.horizontalAdvance(QString::fromStdString(etiqueta->texto)) - 2,
                                                       fm.height() - 2));
      QVERIFY(Cuenta(img, Rgb24(0, 0, 0), caja) > 0);
      QVERIFY(Cuenta(img, Rgb24(255, 255, 0), caja) > 0);
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

  void elMarcoConservaLoDibujado() {
    CMarcoGrafica marco;
    marco.resize(kAncho, kAlto);
    QCOMPARE(marco.Superficie().size(), QSize(kAncho, kAlto));
    const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, Entrada(Historia{}, 100, 0.1));
    marco.Pintar(plan.marcos[kMarcoErrorMaximo]);
    QCOMPARE(En(marco.Superficie(), kAncho - 3, 2), Color(kColorFondoMarco));
    // What the frame shows on screen is its surface.
    marco.show();
    QVERIFY(QTest::qWaitForWindowExposed(&marco));
    const QImage enPantalla = marco.grab().toImage();
    QCOMPARE(En(enPantalla, kAncho - 3, 2), Color(kColorFondoMarco));
    QCOMPARE(En(enPantalla, 0, 0), Rgb24(0, 0, 0));
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
