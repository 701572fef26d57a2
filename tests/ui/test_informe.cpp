// The report page without a window: «nrv-cli curvas --informe» (through
// «nrv --informe», with no display) writes the page that Archivo ›
// Exportar informe... writes for the same network, as SVG and as PDF.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/grafica.h"
#include "ui/marcos.h"

namespace {

struct Salida {
  int codigo = -1;
  QString salida, errores;
};

// Run in dir, with neither display nor platform.
Salida Ejecutar(const QString& programa, const QStringList& argumentos, const QString& dir) {
  QProcess p;
  QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) entorno.remove(QString::fromLatin1(v));
  p.setProcessEnvironment(entorno);
  p.setWorkingDirectory(dir);
  p.start(programa, argumentos);
  if (!p.waitForFinished(120000)) return {};
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray Leer(const QString& ruta) {
  QFile f(ruta);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The page but its date, which is the minute it was drawn.
QByteArray SinFecha(QByteArray svg) {
  return QString::fromUtf8(svg)
      .replace(QRegularExpression(QStringLiteral("Fecha: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d")), QStringLiteral("Fecha"))
      .toUtf8();
}

int Cuenta(const QImage& img, ColorRGB c, QRect zona) {
  const QRgb color = qRgb(c.r, c.g, c.b) & 0xFFFFFFu;
  zona = zona.intersected(img.rect());
  int n = 0;
  for (int y = zona.top(); y <= zona.bottom(); ++y)
    for (int x = zona.left(); x <= zona.right(); ++x)
      if ((img.pixel(x, y) & 0xFFFFFFu) == color) ++n;
  return n;
}

}  // namespace

class PruebaInforme : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_entorno;
  std::unique_ptr<CGuion> m_guion;
  std::unique_ptr<CNodusApp> m_app;

 private slots:
  void init() {
    m_entorno = std::make_unique<CEntornoPrueba>();
    m_guion = std::make_unique<CGuion>();
    m_app = std::make_unique<CNodusApp>();
    QVERIFY(m_app->InitInstance({}));
    const QString red = m_entorno->Ruta(QStringLiteral("iris.nrv"));
    QVERIFY(QFile::copy(Ejemplo(QStringLiteral("iris.nrv")), red));
    QFile(red).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(m_app->OpenDocumentFile(red.toStdString()) != nullptr);
  }

  void cleanup() {
    m_app.reset();
    m_guion.reset();
    m_entorno.reset();
  }

  // The SVG is the window's, byte for byte but for the date: title, axes,
  // curves; the PDF, turned into pixels at 300 dpi, has each curve in its
  // colour on its plot and the criterion in yellow.
  void nrvCliEscribeLaPaginaDeLaVentana() {
    const QString dir = m_entorno->Ruta(QString());
    m_guion->Ventana([this](QDialog* d) { ElegirFichero(d, m_entorno->Ruta(QStringLiteral("ventana.svg"))); });
    m_app->m_pMainWnd->EjecutarComando(ID_EXPORTAR_INFORME);
    const QByteArray ventana = Leer(m_entorno->Ruta(QStringLiteral("ventana.svg")));
    QVERIFY(ventana.contains("Curvas de entrenamiento de iris.nrv"));

    Salida s = Ejecutar(QStringLiteral(NRV_CLI), {"curvas", "iris.nrv", "cli.svg", "--informe"}, dir);
    QVERIFY2(s.codigo == 0, qPrintable(s.errores));
    QVERIFY2(s.errores.isEmpty(), qPrintable(s.errores));
    const QByteArray cli = Leer(m_entorno->Ruta(QStringLiteral("cli.svg")));
    QCOMPARE(s.salida, QStringLiteral("Informe guardado en cli.svg (%1 bytes, épocas: 100).\n").arg(cli.size()));
    for (const char* texto : {"Curvas de entrenamiento de iris.nrv", "Época", "Error máximo", "Error total",
                              "Aciertos (%)", "Criterio", "Fichero de verificación: iris-test.txt"})
      QVERIFY2(QString::fromUtf8(cli).contains(QString::fromUtf8(texto)), texto);
    QVERIFY(SinFecha(cli) == SinFecha(ventana));

    s = Ejecutar(QStringLiteral(NRV_CLI), {"curvas", "iris.nrv", "cli.pdf", "--informe"}, dir);
    QVERIFY2(s.codigo == 0, qPrintable(s.errores));
    QVERIFY(Leer(m_entorno->Ruta(QStringLiteral("cli.pdf"))).startsWith("%PDF"));
    s = Ejecutar(QStringLiteral("pdftoppm"), {"-r", "300", "-png", "-singlefile", "cli.pdf", "pagina"}, dir);
    QVERIFY2(s.codigo == 0, qPrintable(s.errores));
    QImage pagina;
    QVERIFY(pagina.load(m_entorno->Ruta(QStringLiteral("pagina.png"))));
    // A landscape A4 page (pdftoppm rounds its width up).
    QVERIFY2(std::abs(pagina.width() - 3508) <= 1 && std::abs(pagina.height() - 2480) <= 1,
             qPrintable(QStringLiteral("%1x%2").arg(pagina.width()).arg(pagina.height())));
    // The three plots below the lines at the top, one above the other.
    const int margen = qRound(15.0 / 25.4 * 300.0), arriba = margen + 300;
    const int alto = (2480 - margen - arriba) / 3;
    const std::array<ColorRGB, 3> colores = {kColorErrorMaximo, kColorErrorTotal, kColorAciertos};
    for (int k = 0; k < 3; ++k) {
      const QRect banda(margen, arriba + k * alto, 3508 - 2 * margen, alto);
      QVERIFY2(Cuenta(pagina, kColorFondoMarco, banda) > banda.width() * banda.height() / 4, qPrintable(QString::number(k)));
      QVERIFY2(Cuenta(pagina, colores[k], banda) > 2000, qPrintable(QString::number(k)));
      QCOMPARE(Cuenta(pagina, kColorAmarillo, banda) > 200, k == 0);
    }

    // The window's refusal of another kind of file, through nrv-cli.
    s = Ejecutar(QStringLiteral(NRV_CLI), {"curvas", "iris.nrv", "cli.jpg", "--informe"}, dir);
    QCOMPARE(s.codigo, 2);
    QCOMPARE(s.errores, QStringLiteral("nrv: El informe se guarda como documento PDF o imagen SVG o PNG; el nombre "
                                       "cli.jpg ha de acabar en .pdf, .svg o .png.\n"));
    QVERIFY(!QFile::exists(m_entorno->Ruta(QStringLiteral("cli.jpg"))));
    QVERIFY(m_guion->Mensajes().isEmpty());
  }
};

QTEST_MAIN(PruebaInforme)
#include "test_informe.moc"
