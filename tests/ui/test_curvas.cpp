// The training curves as pictures: the SVG that nrv-cli curvas writes is
// well-formed XML that an SVG renderer draws with every graph in its place
// and colours.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QtTest>

#include <map>
#include <vector>

#include "plan/lamina.h"
#include "plan/svg.h"

namespace {

struct Historia {
  std::vector<double> maximo, total, aciertos;
};

// A training that falls, with the total error starting above 8.
Historia Entrenamiento(int n) {
  Historia h;
  for (int i = 0; i < n; ++i) {
    h.maximo.push_back(1.5 - 1.1 * i / n);
    h.total.push_back(i < 2 ? 9.0 : 7.0 - 5.0 * i / n);
    h.aciertos.push_back(30.0 + 65.0 * i / n);
  }
  return h;
}

EntradaPlan Entrada(const Historia& h, UINT E) {
  EntradaPlan e;
  e.nMaxEpocas = E;
  e.dErrorMaximo = 0.5;
  e.n = static_cast<UINT>(h.total.size());
  e.bHayPuntos = e.n != 0;
  e.pErrorMaximo = h.maximo.data();
  e.pErrorTotal = h.total.data();
  e.pAciertos = h.aciertos.data();
  return e;
}

QRgb Rgb(ColorRGB c) { return qRgb(c.r, c.g, c.b) & 0xFFFFFFu; }

int Cuenta(const QImage& img, QRgb color, const QRect& zona) {
  int n = 0;
  for (int y = zona.top(); y <= zona.bottom(); ++y)
    for (int x = zona.left(); x <= zona.right(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFFu) == color) ++n;
  return n;
}

// Pixels of a grey at least half white: a one-pixel white line on the dark
// frame, whether the renderer smooths it over two rows or not.
int Claros(const QImage& img, const QRect& zona) {
  int n = 0;
  for (int y = zona.top(); y <= zona.bottom(); ++y)
    for (int x = zona.left(); x <= zona.right(); ++x) {
      const QRgb c = img.pixel(x, y);
      n += qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) >= 128;
    }
  return n;
}

QRect Zona(const MarcoLamina& m) { return QRect(m.x, m.y, m.ancho, m.alto); }

}  // namespace

class PruebaCurvas : public QObject {
  Q_OBJECT

 private slots:
  void elSvgEsXmlBienFormado() {
    const Historia h = Entrenamiento(80);
    const Lamina l = PlanificarLamina(Entrada(h, 100));
    const std::string svg = SvgLamina(l, "Curvas de «iris» & <otras>");
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    std::map<QString, int> elementos;
    QStringList grupos;
    QString titulo;
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) continue;
      ++elementos[xml.name().toString()];
      if (xml.name() == QLatin1String("g") && xml.attributes().hasAttribute(QStringLiteral("id")))
        grupos << xml.attributes().value(QStringLiteral("id")).toString();
      if (xml.name() == QLatin1String("title")) titulo = xml.readElementText();
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString() + QStringLiteral(" en la línea %1").arg(xml.lineNumber())));
    QCOMPARE(elementos[QStringLiteral("svg")], 1);
    QCOMPARE(grupos, (QStringList{QStringLiteral("grafica1011"), QStringLiteral("grafica1020"), QStringLiteral("grafica1015")}));
    QCOMPARE(titulo, QStringLiteral("Curvas de «iris» & <otras>"));
    QVERIFY(elementos[QStringLiteral("polyline")] >= 3 + 6);  // three curves, six axes
    QCOMPARE(elementos[QStringLiteral("clipPath")], 3);
  }

  void elSvgSeDibujaConCadaGraficaEnSuSitioYSusColores() {
    const Historia h = Entrenamiento(80);
    const Lamina l = PlanificarLamina(Entrada(h, 100));
    QSvgRenderer svg(QByteArray::fromStdString(SvgLamina(l, "x")));
    QVERIFY(svg.isValid());
    QCOMPARE(svg.defaultSize(), QSize(l.ancho, l.alto));
    QImage img(l.ancho, l.alto, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    svg.render(&p);
    p.end();
    // The form's background around the frames.
    QCOMPARE(img.pixel(1, l.alto - 2) & 0xFFFFFFu, Rgb(kColorFormulario));
    const struct {
      int k;
      ColorRGB color;
    } curvas[] = {{kMarcoErrorMaximo, kColorErrorMaximo}, {kMarcoErrorTotal, kColorErrorTotal}, {kMarcoAciertos, kColorAciertos}};
    for (const auto& c : curvas) {
      const QRect zona = Zona(l.marcos[c.k]);
      QVERIFY2(Cuenta(img, Rgb(kColorFondoMarco), zona) > zona.width() * zona.height() / 2, qPrintable(QString::number(c.k)));
      QVERIFY2(Cuenta(img, Rgb(c.color), zona) > 100, qPrintable(QString::number(c.k)));
      QVERIFY(Cuenta(img, Rgb(kColorAmarillo), zona) > 50);  // reference line and label
      QVERIFY(Claros(img, zona) > zona.width() / 2);  // the white axes, smoothed or not
      // Each curve only in its own frame.
      for (const auto& otra : curvas)
        if (otra.k != c.k) QCOMPARE(Cuenta(img, Rgb(otra.color), zona), 0);
    }
    // Titles in black above the frames.
    int oscuros = 0;
    for (int y = 0; y < l.marcos[kMarcoErrorMaximo].y; ++y)
      for (int x = 0; x < l.ancho; ++x) oscuros += qGray(img.pixel(x, y)) < 100;
    QVERIFY(oscuros > 20);
  }
};

QTEST_MAIN(PruebaCurvas)
#include "test_curvas.moc"
