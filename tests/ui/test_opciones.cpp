// NRV › Opciones de entrenamiento... and NRV › Más épocas... in the real
// workbench, each compared with nrv-cli doing the same (the same network
// bytes, the same refusals), the strip under the form with the test file's
// figures and the epoch that early stopping kept, and Verificar's
// regression figures with the network's scheme.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMdiArea>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <memory>

#include "network/nodusdoc.h"
#include "network/verificacion.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/cifras_prueba.h"
#include "ui/formulario.h"
#include "ui/marcos.h"
#include "ui/vista.h"

namespace {

struct SalidaCli {
  int nCodigo = -1;
  QString out;
  QString err;
};

SalidaCli NrvCli(const QStringList& argumentos) {
  QProcess p;
  p.start(QStringLiteral(NRV_CLI), argumentos);
  if (!p.waitForFinished(120000)) return {};
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QByteArray Bytes(const QString& ruta) {
  QFile f(ruta);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The parameters of every network here, in the dialog and for nrv-cli.
const QString kOcultas = QStringLiteral("5"), kAprendizaje = QStringLiteral("0.3"), kMomento = QStringLiteral("0.5");

}  // namespace

class PruebaOpciones : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_entorno;
  std::unique_ptr<CGuion> m_guion;
  std::unique_ptr<CNodusApp> m_app;

  CMainFrame* Marco() const { return m_app->m_pMainWnd; }
  CNodusView* Vista() const { return dynamic_cast<CNodusView*>(Marco()->VistaActiva()); }
  CNodusDoc* Doc() const { return Vista() ? Vista()->GetDocument() : nullptr; }
  QWidget* Lienzo() const { return AfxWidgetDe(Vista()); }
  QString Ruta(const QString& nombre) const { return m_entorno->Ruta(nombre); }

  // Nuevo on iris, the process's weights from their start.
  bool NuevaRed(const QString& entrenamiento, const QString& epocas) {
    SemillaNodus(1);
    m_guion->Ventana([=](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, entrenamiento);
      Escribir(d, IDC_FICHERO_VERIFICACION, Ejemplo(QStringLiteral("iris-test.txt")));
      Escribir(d, IDC_OCULTAS, kOcultas);
      Escribir(d, IDC_APRENDIZAJE, kAprendizaje);
      Escribir(d, IDC_MOMENTO, kMomento);
      Escribir(d, IDC_ERROR_MAXIMO, QStringLiteral("0"));
      Escribir(d, IDC_MAX_EPOCAS, epocas);
      Pulsar(d, IDOK);
    });
    Marco()->EjecutarComando(ID_FILE_NEW);
    return Vista() != nullptr && m_guion->Inesperadas().isEmpty();
  }
  QStringList ArgumentosNueva(const QString& red, const QString& epocas) const {
    return {QStringLiteral("nueva"),     red,          Ejemplo(QStringLiteral("iris-train.txt")),
            Ejemplo(QStringLiteral("iris-test.txt")), QStringLiteral("--ocultas"), kOcultas,
            QStringLiteral("--aprendizaje"), kAprendizaje, QStringLiteral("--momento"), kMomento,
            QStringLiteral("--error"),   QStringLiteral("0"), QStringLiteral("--epocas"), epocas};
  }
  // Entrenar, until the run has ended and its last message has been shown.
  void Entrenar() {
    Pulsar(Lienzo(), ID_ENTRENAR);
    CNodusDoc* d = Doc();
    QTRY_VERIFY_WITH_TIMEOUT(!d->m_bEntrenando.load() && Texto(Lienzo(), IDC_ESTADO) != QStringLiteral("Entrenando..."),
                             120000);
    QCoreApplication::processEvents();
  }
  bool Guardar(const QString& ruta) { return Doc()->OnSaveDocument(ruta.toStdString()) != FALSE; }

 private slots:
  void init() {
    m_entorno = std::make_unique<CEntornoPrueba>();
    m_guion = std::make_unique<CGuion>();
    m_app = std::make_unique<CNodusApp>();
    QVERIFY(m_app->InitInstance({}));
    Marco()->resize(1000, 700);
    Marco()->show();
    QVERIFY(QTest::qWaitForWindowExposed(Marco()));
  }
  void cleanup() {
    for (CDocument* d : m_app->Plantilla()->Documentos()) d->SetModifiedFlag(FALSE);
    m_app.reset();
    QCOMPARE(m_guion->Inesperadas(), QStringList());
    m_guion.reset();
    m_entorno.reset();
  }

  // The two items of the NRV menu, their prompts, and both greyed while the
  // network trains.
  void menusYEstados() {
    QByteArray datos;
    for (int i = 0; i < 20000; ++i) {
      const int k = i % 3;
      datos += QByteArray::number((i % 7) / 7.0) + ' ' + QByteArray::number((i % 5) / 5.0) + ' ' +
               QByteArray::number(k / 3.0) + " 0.5\n" + (k == 0 ? "1 0 0\n" : k == 1 ? "0 1 0\n" : "0 0 1\n");
    }
    QFile f(Ruta(QStringLiteral("grande.txt")));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(datos) == datos.size());
    f.close();
    QVERIFY(NuevaRed(f.fileName(), QStringLiteral("400")));
    Marco()->ActualizarInterfaz();
    QCOMPARE(Marco()->AccionMenu(ID_OPCIONES_ENTRENAMIENTO)->text(), QStringLiteral("&Opciones de entrenamiento..."));
    QCOMPARE(Marco()->AccionMenu(ID_MAS_EPOCAS)->text(), QStringLiteral("Más é&pocas..."));
    QVERIFY(Marco()->EstaHabilitado(ID_OPCIONES_ENTRENAMIENTO));
    QVERIFY(Marco()->EstaHabilitado(ID_MAS_EPOCAS));
    Marco()->AccionMenu(ID_OPCIONES_ENTRENAMIENTO)->showStatusText(Marco());
    QCOMPARE(Marco()->TextoEstado(),
             QStringLiteral("Cambia la semilla, la paciencia, el barajado y el fichero de prueba de la red"));
    Marco()->AccionMenu(ID_MAS_EPOCAS)->showStatusText(Marco());
    QCOMPARE(Marco()->TextoEstado(), QStringLiteral("Sube el número máximo de épocas de la red para que siga entrenando"));

    Pulsar(Lienzo(), ID_ENTRENAR);
    QVERIFY(Doc()->m_bEntrenando.load());
    Marco()->ActualizarInterfaz();
    QVERIFY(!Marco()->EstaHabilitado(ID_OPCIONES_ENTRENAMIENTO));
    QVERIFY(!Marco()->EstaHabilitado(ID_MAS_EPOCAS));
    // Greyed, the command does nothing: no dialog opens.
    Marco()->EjecutarComando(ID_OPCIONES_ENTRENAMIENTO);
    Marco()->EjecutarComando(ID_DETENER);
    Marco()->ActualizarInterfaz();
    QVERIFY(Marco()->EstaHabilitado(ID_OPCIONES_ENTRENAMIENTO));
    QVERIFY(Marco()->EstaHabilitado(ID_MAS_EPOCAS));
    QCOMPARE(m_guion->Dialogos(), QStringList{QStringLiteral("Nuevo NRV: Datos de entrenamiento")});
  }

  // The options given in the window before the first run make the network
  // nrv-cli nueva makes with them, byte for byte, and it trains the same;
  // its test figures and the epoch kept show under the form.
  void opcionesComoNrvCliNueva() {
    QVERIFY(NuevaRed(Ejemplo(QStringLiteral("iris-train.txt")), QStringLiteral("60")));
    const QSize tamFormulario = Lienzo()->size();
    QVERIFY(!CifrasPrueba(Lienzo()));
    const QString prueba = Ejemplo(QStringLiteral("iris-test.bin"));
    m_guion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Opciones de entrenamiento"));
      QVERIFY(Control(d, IDC_SEMILLA)->isEnabled());
      QCOMPARE(Texto(d, IDC_SEMILLA), QString());
      QVERIFY(Texto(d, IDC_NOTA_SEMILLA).startsWith(QStringLiteral("La red aún no se ha entrenado")));
      // A refusal first: nrv-cli's words, and the dialog again as it was.
      Escribir(d, IDC_SEMILLA, QStringLiteral("7"));
      Escribir(d, IDC_PACIENCIA, QStringLiteral("401"));
      Pulsar(d, IDC_BARAJAR);
      Escribir(d, IDC_FICHERO_PRUEBA, prueba);
      m_guion->Ventana([&](QDialog* d2) {
        QCOMPARE(Texto(d2, IDC_SEMILLA), QStringLiteral("7"));
        QCOMPARE(Texto(d2, IDC_FICHERO_PRUEBA), prueba);
        Escribir(d2, IDC_PACIENCIA, QStringLiteral("2"));
        Pulsar(d2, IDOK);
      });
      Pulsar(d, IDOK);
    });
    m_guion->Respuesta(QStringLiteral("Aceptar"));
    Marco()->EjecutarComando(ID_OPCIONES_ENTRENAMIENTO);
    const SalidaCli malo = NrvCli(ArgumentosNueva(Ruta(QStringLiteral("mala.nrv")), QStringLiteral("60")) +
                                  QStringList{QStringLiteral("--paciencia"), QStringLiteral("401")});
    QCOMPARE(malo.nCodigo, 2);
    QCOMPARE(m_guion->Mensajes().size(), 1);
    QCOMPARE(QStringLiteral("nrv: ") + m_guion->Mensajes().front() + QStringLiteral("\n"), malo.err);
    QVERIFY(Doc()->IsModified());

    const QString ventana = Ruta(QStringLiteral("ventana.nrv")), cli = Ruta(QStringLiteral("cli.nrv"));
    QVERIFY(Guardar(ventana));
    const SalidaCli nueva = NrvCli(ArgumentosNueva(cli, QStringLiteral("60")) +
                                   QStringList{QStringLiteral("--semilla"), QStringLiteral("7"), QStringLiteral("--paciencia"),
                                               QStringLiteral("2"), QStringLiteral("--barajar"), QStringLiteral("--prueba"),
                                               prueba});
    QCOMPARE(nueva.nCodigo, 0);
    QCOMPARE(Bytes(ventana), Bytes(cli));
    // The strip tells of the test file before any run.
    QLabel* cifras = CifrasPrueba(Lienzo());
    QVERIFY(cifras && cifras->isVisible());
    QCOMPARE(cifras->text(), QStringLiteral("Fichero de prueba: ") + prueba +
                                 QStringLiteral(" (se mide al acabar cada entrenamiento)"));

    Entrenar();
    CNodusDoc* d = Doc();
    QVERIFY(d->m_opciones.bParadaTemprana);
    QVERIFY(d->m_opciones.bFigurasPrueba);
    QVERIFY(Guardar(ventana));
    const SalidaCli entrenar = NrvCli({QStringLiteral("entrenar"), cli});
    QCOMPARE(entrenar.nCodigo, 0);
    QCOMPARE(Bytes(ventana), Bytes(cli));

    // Under the form, never inside it: the form keeps its size, the strip
    // starts below it, with the line nrv-cli entrenar ends with.
    const QString estado = QString::fromStdString(d->GetEstado());
    QCOMPARE(Texto(Lienzo(), IDC_ESTADO), estado);
    QCOMPARE(estado, QStringLiteral("Parada temprana: época %1").arg(d->m_opciones.nEpocaMejor));
    QLabel* lEstado = qobject_cast<QLabel*>(Control(Lienzo(), IDC_ESTADO));
    QVERIFY(lEstado->fontMetrics().horizontalAdvance(estado) <= lEstado->width());
    QCOMPARE(Lienzo()->size(), tamFormulario);
    cifras = CifrasPrueba(Lienzo());
    QVERIFY(cifras && cifras->isVisible());
    QVERIFY(cifras->geometry().top() >= Lienzo()->geometry().bottom());
    const QStringList lineas = cifras->text().split(QLatin1Char('\n'));
    QCOMPARE(lineas.size(), 2);
    QVERIFY2(entrenar.out.endsWith(lineas[0] + QStringLiteral("\n")), qPrintable(entrenar.out));
    QVERIFY(lineas[1].startsWith(QStringLiteral("Parada temprana: 2 épocas sin mejorar el error total de verificación;")));
    QVERIFY(lineas[1].contains(QStringLiteral("la %1,").arg(d->m_opciones.nEpocaMejor)));
    // The window grew to show it whole.
    QCoreApplication::processEvents();
    QWidget* vista = Marco()->MarcoActivo()->Desplazamiento()->viewport();
    QVERIFY(vista->height() >= cifras->geometry().bottom());

    // Trained: the seed is only shown; taking the test file away takes the strip.
    m_guion->Ventana([&](QDialog* dlg) {
      QVERIFY(!Control(dlg, IDC_SEMILLA)->isEnabled());
      QVERIFY(!Control(dlg, IDC_PACIENCIA)->isEnabled());
      QCOMPARE(Texto(dlg, IDC_SEMILLA), QStringLiteral("7"));
      Escribir(dlg, IDC_FICHERO_PRUEBA, QString());
      Pulsar(dlg, IDOK);
    });
    Marco()->EjecutarComando(ID_OPCIONES_ENTRENAMIENTO);
    QVERIFY(d->m_opciones.strFicheroPrueba.empty());
    QCOMPARE(cifras->text().split(QLatin1Char('\n')).size(), 1);
    QVERIFY(cifras->text().startsWith(QStringLiteral("Parada temprana")));
  }

  // Más épocas after a run that used all its epochs: the window's network
  // trains on to the bytes of nrv-cli entrenar --mas-epocas, refusals in
  // its words.
  void masEpocasComoEntrenarMasEpocas() {
    QVERIFY(NuevaRed(Ejemplo(QStringLiteral("iris-train.txt")), QStringLiteral("5")));
    Entrenar();
    QCOMPARE(m_guion->Mensajes(), QStringList{QStringLiteral("Terminado entrenamiento")});
    QVERIFY(!Control(Lienzo(), ID_ENTRENAR)->isEnabled());
    // A network without a test file or patience has no strip.
    QVERIFY(!CifrasPrueba(Lienzo()));
    m_guion->Limpiar();
    m_guion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Más épocas"));
      QCOMPARE(Texto(d, IDC_EPOCAS_RED),
               QStringLiteral("La red ha completado 5 de sus 5 épocas; puede tener hasta 1000000 en total."));
      Escribir(d, IDC_MAS_EPOCAS, QStringLiteral("0"));
      m_guion->Ventana([&](QDialog* d2) {
        QCOMPARE(Texto(d2, IDC_MAS_EPOCAS), QStringLiteral("0"));
        Escribir(d2, IDC_MAS_EPOCAS, QStringLiteral("4"));
        Pulsar(d2, IDOK);
      });
      Pulsar(d, IDOK);
    });
    m_guion->Respuesta(QStringLiteral("Aceptar"));
    Marco()->EjecutarComando(ID_MAS_EPOCAS);
    QCOMPARE(Texto(Lienzo(), IDC_EPOCA), QStringLiteral("5 / 9"));
    QVERIFY(Control(Lienzo(), ID_ENTRENAR)->isEnabled());
    Entrenar();
    QCOMPARE(Texto(Lienzo(), IDC_EPOCA), QStringLiteral("9 / 9"));
    const QString ventana = Ruta(QStringLiteral("ventana.nrv")), cli = Ruta(QStringLiteral("cli.nrv"));
    QVERIFY(Guardar(ventana));

    QCOMPARE(NrvCli(ArgumentosNueva(cli, QStringLiteral("5"))).nCodigo, 0);
    QCOMPARE(NrvCli({QStringLiteral("entrenar"), cli}).nCodigo, 0);
    const SalidaCli cero = NrvCli({QStringLiteral("entrenar"), cli, QStringLiteral("--mas-epocas"), QStringLiteral("0")});
    QCOMPARE(cero.nCodigo, 2);
    QCOMPARE(QStringLiteral("nrv: ") + m_guion->Mensajes().front() + QStringLiteral("\n"), cero.err);
    QCOMPARE(NrvCli({QStringLiteral("entrenar"), cli, QStringLiteral("--mas-epocas"), QStringLiteral("4")}).nCodigo, 0);
    QCOMPARE(Bytes(ventana), Bytes(cli));
  }

  // A network of numeric outputs with its scheme among its options:
  // Verificar gives each output's RMSE, MAE and R² as verificar --esquema
  // --json does; a scheme of another shape is refused first.
  void verificarRegresionComoNrvCli() {
    QByteArray tabla = "x1,x2,y\n";
    for (int i = 0; i < 60; ++i) {
      const double a = (i % 10) / 10.0, b = (i % 7) / 7.0;
      tabla += QByteArray::number(a) + ',' + QByteArray::number(b) + ',' + QByteArray::number(3 * a + 20 * b + 5) + '\n';
    }
    QFile f(Ruta(QStringLiteral("medidas.csv")));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(tabla) == tabla.size());
    f.close();
    const QString esquema = Ruta(QStringLiteral("medidas.json")), datos = Ruta(QStringLiteral("medidas.txt"));
    QCOMPARE(NrvCli({QStringLiteral("importar"), f.fileName(), datos, QStringLiteral("--esquema"), esquema,
                     QStringLiteral("--salidas"), QStringLiteral("1"), QStringLiteral("--particion"),
                     QStringLiteral("60,20,20")})
                 .nCodigo,
             0);
    const QString iris = Ruta(QStringLiteral("iris.json"));
    QCOMPARE(NrvCli({QStringLiteral("importar"), Ejemplo(QStringLiteral("iris-train.csv")), Ruta(QStringLiteral("i.txt")),
                     QStringLiteral("--esquema"), iris})
                 .nCodigo,
             0);
    const QString red = Ruta(QStringLiteral("medidas.nrv")), prueba = Ruta(QStringLiteral("medidas-prueba.txt"));
    QCOMPARE(NrvCli({QStringLiteral("nueva"), red, Ruta(QStringLiteral("medidas-entrenamiento.txt")),
                     Ruta(QStringLiteral("medidas-verificacion.txt")), QStringLiteral("--ocultas"), QStringLiteral("4"),
                     QStringLiteral("--epocas"), QStringLiteral("30"), QStringLiteral("--error"), QStringLiteral("0")})
                 .nCodigo,
             0);
    QCOMPARE(NrvCli({QStringLiteral("entrenar"), red}).nCodigo, 0);
    QVERIFY(m_app->OpenDocumentFile(red.toStdString()));

    m_guion->Ventana([&](QDialog* d) {
      QCOMPARE(Texto(d, IDC_ESQUEMA), QString());
      Escribir(d, IDC_ESQUEMA, iris);
      m_guion->Ventana([&](QDialog* d2) {
        QCOMPARE(Texto(d2, IDC_ESQUEMA), iris);
        Escribir(d2, IDC_ESQUEMA, esquema);
        Pulsar(d2, IDOK);
      });
      Pulsar(d, IDOK);
    });
    m_guion->Respuesta(QStringLiteral("Aceptar"));
    Marco()->EjecutarComando(ID_OPCIONES_ENTRENAMIENTO);
    QCOMPARE(m_guion->Mensajes(), QStringList{QStringLiteral("El esquema ") + iris +
                                              QStringLiteral(" da 4 entradas y 3 salidas; el fichero de entrenamiento, 2 y 1.")});
    QCOMPARE(QString::fromStdString(Doc()->m_opciones.strEsquema), esquema);

    QStringList encabezados, fila;
    QString aciertos, error, nota;
    m_guion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Verificar red..."));
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, prueba);
      Pulsar(d, IDOK);
    });
    m_guion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Resultados de Verificación"));
      QCOMPARE(Texto(d, IDC_RES_FICHERO), prueba);
      QCOMPARE(Texto(d, IDC_RES_MUESTRAS), QStringLiteral("12"));
      aciertos = Texto(d, IDC_ACIERTOS);
      error = Texto(d, IDC_ERROR_TOTAL);
      nota = Texto(d, IDC_NOTA_REGRESION);
      encabezados = Encabezados(d, IDC_REGRESION);
      for (int c = 0; c < encabezados.size(); ++c) fila << Celda(d, IDC_REGRESION, 0, c);
      QCOMPARE(Filas(d, IDC_REGRESION), 1);
      Pulsar(d, IDOK);
    });
    Marco()->EjecutarComando(ID_VERIFICAR);
    const SalidaCli cli = NrvCli({QStringLiteral("verificar"), red, prueba, QStringLiteral("--esquema"), esquema});
    const SalidaCli json =
        NrvCli({QStringLiteral("verificar"), red, prueba, QStringLiteral("--esquema"), esquema, QStringLiteral("--json")});
    QCOMPARE(cli.nCodigo, 0);
    QCOMPARE(json.nCodigo, 0);
    QCOMPARE(encabezados, (QStringList{"Salida", "RMSE", "MAE", "R²"}));
    QCOMPARE(nota, QStringLiteral("Salidas numéricas, en las unidades de la tabla (esquema ") + esquema + QStringLiteral("):"));
    const QJsonObject salida =
        QJsonDocument::fromJson(json.out.toUtf8()).object().value(QStringLiteral("salidas")).toArray().at(0).toObject();
    QCOMPARE(fila[0], salida.value(QStringLiteral("nombre")).toString());
    QCOMPARE(fila[0], QStringLiteral("y"));
    QCOMPARE(fila[1], QString::asprintf("%.6g", salida.value(QStringLiteral("rmse")).toDouble()));
    QCOMPARE(fila[2], QString::asprintf("%.6g", salida.value(QStringLiteral("mae")).toDouble()));
    QCOMPARE(fila[3], QString::asprintf("%.6f", salida.value(QStringLiteral("r2")).toDouble()));
    // The line of nrv-cli's table, and its four lines above.
    QVERIFY2(cli.out.contains(QRegularExpression(QStringLiteral("\ny +") + QRegularExpression::escape(fila[1]) +
                                                 QStringLiteral(" +") + QRegularExpression::escape(fila[2]) +
                                                 QStringLiteral(" +") + QRegularExpression::escape(fila[3]) +
                                                 QStringLiteral("\n"))),
             qPrintable(cli.out));
    QVERIFY(cli.out.contains(QStringLiteral("Tasa Aciertos: ") + aciertos + QStringLiteral("\n")));
    QVERIFY(cli.out.contains(QStringLiteral("Error Total: ") + error + QStringLiteral("\n")));
  }
};

QTEST_MAIN(PruebaOpciones)
#include "test_opciones.moc"
