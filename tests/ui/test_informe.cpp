// The report page without a window: «nrv-cli curvas --informe» (through
// «nrv --informe», with no display) writes the page that Archivo ›
// Exportar informe... writes for the same network, as SVG and as PDF.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <map>
#include <memory>

#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/grafica.h"
#include "ui/marcos.h"

namespace {

// Runs a program in dir with neither display nor platform; its exit code,
// its standard output in salida and its errors in errores.
int Ejecutar(const QString& programa, const QStringList& argumentos, const QString& dir, QString& salida,
             QString& errores) {
  QProcess p;
  QProcessEnvironment entorno = QProcessEnvironment::systemEnvironment();
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) entorno.remove(QString::fromLatin1(v));
  p.setProcessEnvironment(entorno);
  p.setWorkingDirectory(dir);
  p.start(programa, argumentos);
  if (!p.waitForFinished(120000)) return -1;
  salida = QString::fromUtf8(p.readAllStandardOutput());
  errores = QString::fromUtf8(p.readAllStandardError());
  return p.exitCode();
}

QByteArray Leer(const QString& ruta) {
  QFile f(ruta);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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
    QString salida, errores;
    QCOMPARE(Ejecutar(QStringLiteral(NRV_CLI), {"curvas", "iris.nrv", "cli.svg", "--informe"}, dir, salida, errores), 0);
    QVERIFY2(errores.isEmpty(), qPrintable(errores));
    QByteArray cli = Leer(m_entorno->Ruta(QStringLiteral("cli.svg")));
    QCOMPARE(salida, QStringLiteral("Informe guardado en cli.svg (%1 bytes, épocas: 100).\n").arg(cli.size()));
    QVERIFY(cli.contains("Curvas de entrenamiento de iris.nrv") && cli.contains("Época") && cli.contains("Criterio"));
    // The same page but its date, which is the minute it was drawn.
    const QRegularExpression fecha(QStringLiteral("Fecha: [0-9: -]{16}"));
    QCOMPARE(QString::fromUtf8(cli).remove(fecha), QString::fromUtf8(Leer(m_entorno->Ruta("ventana.svg"))).remove(fecha));

    QCOMPARE(Ejecutar(QStringLiteral(NRV_CLI), {"curvas", "iris.nrv", "cli.pdf", "--informe"}, dir, salida, errores), 0);
    QCOMPARE(Ejecutar("pdftoppm", {"-r", "300", "-png", "-singlefile", "cli.pdf", "pagina"}, dir, salida, errores), 0);
    const QImage pagina(m_entorno->Ruta(QStringLiteral("pagina.png")));
    // A landscape A4 page (pdftoppm rounds its width up); the three plots
    // below the lines at the top, each with its curve, the first with the
    // criterion in yellow.
    QVERIFY(std::abs(pagina.width() - 3508) <= 1 && pagina.height() == 2480);
    const int margen = qRound(15.0 / 25.4 * 300.0), arriba = margen + 300, alto = (2480 - margen - arriba) / 3;
    const std::array<ColorRGB, 3> colores = {kColorErrorMaximo, kColorErrorTotal, kColorAciertos};
    for (int k = 0; k < 3; ++k) {
      std::map<QRgb, int> n;
      for (int y = arriba + k * alto; y < arriba + (k + 1) * alto; ++y)
        for (int x = margen; x < 3508 - margen; ++x) ++n[pagina.pixel(x, y) & 0xFFFFFFu];
      const auto cuenta = [&](ColorRGB c) { return n[qRgb(c.r, c.g, c.b) & 0xFFFFFFu]; };
      QVERIFY2(cuenta(kColorFondoMarco) > (3508 - 2 * margen) * alto / 4 && cuenta(colores[k]) > 2000,
               qPrintable(QString::number(k)));
      QCOMPARE(cuenta(kColorAmarillo) > 200, k == 0);
    }
    QVERIFY(m_guion->Mensajes().isEmpty());
  }
};

QTEST_MAIN(PruebaInforme)
#include "test_informe.moc"
