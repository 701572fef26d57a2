// The manual in its help window: every chapter there, in order, readable,
// with its links and pictures; Temas de ayuda and F1 open it inside the
// program.
#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

#include "network/dialogos.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/ayuda.h"
#include "ui/marcos.h"

namespace {

QString Leer(const QString& fichero) {
  QFile f(UrlCapitulo(fichero).toString().replace(QStringLiteral("qrc:"), QStringLiteral(":")));
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

class PruebaAyuda : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_pEntorno;
  std::unique_ptr<CGuion> m_pGuion;
  std::unique_ptr<CNodusApp> m_pApp;

 private slots:
  void init() {
    m_pEntorno = std::make_unique<CEntornoPrueba>();
    m_pGuion = std::make_unique<CGuion>();
    m_pApp = std::make_unique<CNodusApp>();
    QVERIFY(m_pApp->InitInstance({}));
  }
  void cleanup() {
    m_pApp.reset();
    QCOMPARE(m_pGuion->Inesperadas(), QStringList());
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
    m_pGuion.reset();
    m_pEntorno.reset();
  }

  // The chapters in the order of their numbers, each titled by its first
  // heading; the first one is the page of context 102.
  void capitulosEnOrden() {
    const QList<CapituloManual> capitulos = CapitulosManual();
    QStringList ficheros, titulos;
    for (const CapituloManual& c : capitulos) {
      ficheros << c.fichero;
      titulos << c.titulo;
    }
    const QStringList esperados = {"10-nrv.md",           "20-nueva-red.md",     "30-entrenamiento.md",
                                   "40-datos.md",         "50-verificacion.md",  "60-exportaciones.md",
                                   "70-ventanas.md",      "80-nrv-cli.md"};
    for (const QString& f : esperados) QVERIFY2(ficheros.contains(f), qPrintable(f));
    QStringList ordenados = ficheros;
    std::sort(ordenados.begin(), ordenados.end(),
              [](const QString& a, const QString& b) { return a.section('-', 0, 0).toInt() < b.section('-', 0, 0).toInt(); });
    QCOMPARE(ficheros, ordenados);
    QCOMPARE(titulos.front(), QStringLiteral("Qué es nrv"));
    QVERIFY(!titulos.contains(QString()));
    QVERIFY(!ficheros.contains(QStringLiteral("README.md")));
  }

  // Every chapter shows as a formatted page; every link between chapters
  // and every picture is there.
  void enlacesEImagenes() {
    CVentanaAyuda ayuda;
    ayuda.resize(640, 480);
    ayuda.show();
    QStringList capitulos;
    for (const CapituloManual& c : CapitulosManual()) capitulos << c.fichero;
    static const QRegularExpression kEnlace(QStringLiteral("\\]\\(([^)\\s]+)\\)"));
    int imagenes = 0;
    for (const QString& c : capitulos) {
      QVERIFY(ayuda.MostrarCapitulo(c));
      QCOMPARE(ayuda.CapituloActual(), c);
      const QTextDocument* doc = ayuda.Navegador()->document();
      // Markdown read as such: the heading is a heading, not "# ...".
      QVERIFY2(!doc->toPlainText().startsWith(QLatin1Char('#')), qPrintable(c));
      QVERIFY(doc->toPlainText().size() > 200);
      auto it = kEnlace.globalMatch(Leer(c));
      while (it.hasNext()) {
        const QString destino = it.next().captured(1);
        if (destino.startsWith(QLatin1String("http"))) continue;
        if (destino.endsWith(QLatin1String(".png"))) {
          const QImage img(QStringLiteral(":/manual/") + destino);
          QVERIFY2(!img.isNull(), qPrintable(c + QStringLiteral(": ") + destino));
          // What the help window loads for it.
          const QVariant recurso = ayuda.Navegador()->loadResource(QTextDocument::ImageResource, QUrl(destino));
          QVERIFY2(recurso.isValid(), qPrintable(destino));
          // Never wider than the page.
          const QImage cargada = recurso.typeId() == QMetaType::QImage ? recurso.value<QImage>()
                                                                       : QImage::fromData(recurso.toByteArray());
          QVERIFY2(cargada.width() <= ayuda.Navegador()->viewport()->width(), qPrintable(destino));
          ++imagenes;
        } else {
          QVERIFY2(capitulos.contains(destino), qPrintable(c + QStringLiteral(": ") + destino));
        }
      }
    }
    QVERIFY(imagenes >= 6);
  }

  // Following a link, the contents, Atrás.
  void navegar() {
    CVentanaAyuda ayuda;
    QVERIFY(ayuda.MostrarContexto(kContextoTemasAyuda));
    QCOMPARE(ayuda.CapituloActual(), QStringLiteral("10-nrv.md"));
    QCOMPARE(ayuda.Indice()->currentRow(), 0);
    QVERIFY(!ayuda.MostrarContexto(1));
    QVERIFY(!ayuda.MostrarCapitulo(QStringLiteral("no-existe.md")));
    ayuda.Navegador()->setSource(QUrl(QStringLiteral("50-verificacion.md")));
    QCOMPARE(ayuda.CapituloActual(), QStringLiteral("50-verificacion.md"));
    QCOMPARE(ayuda.Indice()->currentItem()->text(), QStringLiteral("Verificar una red"));
    ayuda.Indice()->setCurrentRow(1);
    QCOMPARE(ayuda.CapituloActual(), QStringLiteral("20-nueva-red.md"));
    ayuda.Navegador()->backward();
    QCOMPARE(ayuda.CapituloActual(), QStringLiteral("50-verificacion.md"));
    QCOMPARE(ayuda.Indice()->currentItem()->text(), QStringLiteral("Verificar una red"));
  }

  // Temas de ayuda and F1 open the one help window at its first chapter.
  void temasDeAyudaYF1() {
    CMainFrame* m = m_pApp->m_pMainWnd;
    m->show();
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    QTest::keyClick(m, Qt::Key_F1);
    CVentanaAyuda* ayuda = m->VentanaAyuda();
    QVERIFY(ayuda != nullptr);
    QVERIFY(ayuda->isVisible());
    QCOMPARE(ayuda->CapituloActual(), QStringLiteral("10-nrv.md"));
    QCOMPARE(ayuda->windowTitle(), QStringLiteral("Temas de ayuda - Perceptrón Multicapa"));
    ayuda->MostrarCapitulo(QStringLiteral("40-datos.md"));
    ayuda->close();
    m->EjecutarComando(ID_TEMAS_AYUDA);
    QCOMPARE(m->VentanaAyuda(), ayuda);
    QVERIFY(ayuda->isVisible());
    QCOMPARE(ayuda->CapituloActual(), QStringLiteral("10-nrv.md"));
    // Esc and Ctrl+W close it; it fits the screen.
    QVERIFY(ayuda->frameGeometry().height() <= ayuda->screen()->availableGeometry().height());
    QVERIFY(QTest::qWaitForWindowActive(ayuda));
    QTest::keyClick(ayuda->Navegador(), Qt::Key_Escape);
    QVERIFY(!ayuda->isVisible());
    m->EjecutarComando(ID_TEMAS_AYUDA);
    QVERIFY(QTest::qWaitForWindowActive(ayuda));
    QTest::keyClick(ayuda->Navegador(), Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!ayuda->isVisible());
    m->EjecutarComando(ID_TEMAS_AYUDA);
    // It closes with the program.
    m->close();
    QVERIFY(!ayuda->isVisible());
  }
};

QTEST_MAIN(PruebaAyuda)
#include "test_ayuda.moc"
