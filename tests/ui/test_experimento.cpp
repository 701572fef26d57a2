// Archivo › Experimento: the form written and read as the plan's JSON, and
// a plan run from the window, its tables against nrv-cli resumen of the
// same folder.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "network/resumen.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/marcos.h"
#include "ui/ventana_experimento.h"

namespace {

QString NrvCli(const QStringList& argumentos) {
  QProcess p;
  p.start(QStringLiteral(NRV_CLI), argumentos);
  return p.waitForFinished(120000) && p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

bool Guardar(const QString& ruta, const QByteArray& bytes) {
  QFile f(ruta);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray Bytes(const QString& ruta) {
  QFile f(ruta);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Escribir(CVentanaExperimento* w, const char* campo, const QString& texto) {
  auto* e = w->findChild<QLineEdit*>(QString::fromLatin1(campo));
  QVERIFY2(e, campo);
  e->setText(texto);
}

// The --listar lines of a plan: the same runs in the same order.
QStringList Lineas(const PlanExperimento& plan) {
  QStringList v;
  for (const EjecucionPlan& e : ExpandirPlan(plan)) v << QString::fromStdString(LineaEjecucion(e));
  return v;
}

CVentanaExperimento* Ventana() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* v = qobject_cast<CVentanaExperimento*>(w); v && v->isVisible()) return v;
  return nullptr;
}

}  // namespace

class PruebaExperimento : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_pEntorno;
  std::unique_ptr<CGuion> m_pGuion;
  std::unique_ptr<CNodusApp> m_pApp;

  CMainFrame* Arrancar() {
    m_pApp = std::make_unique<CNodusApp>();
    if (!m_pApp->InitInstance({})) return nullptr;
    return m_pApp->m_pMainWnd;
  }
  QString Ruta(const QString& nombre) const { return m_pEntorno->Ruta(nombre); }

 private slots:
  void init() {
    m_pEntorno = std::make_unique<CEntornoPrueba>();
    m_pGuion = std::make_unique<CGuion>();
  }
  void cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<CVentanaExperimento*>(w)) delete w;
    if (m_pApp) m_pApp->CloseAllDocuments();
    m_pApp.reset();
    QCOMPARE(m_pGuion->Inesperadas(), QStringList());
    m_pGuion.reset();
    m_pEntorno.reset();
  }

  // The menu opens the window; the form saves the plan nrv-cli reads, a
  // plan file fills the form back, and a bad value is refused naming it.
  void formularioYPlan() {
    CMainFrame* m = Arrancar();
    QVERIFY(m);
    m->ActualizarInterfaz();
    QVERIFY(m->AccionMenu(ID_EXPERIMENTO));
    QCOMPARE(m->AccionMenu(ID_EXPERIMENTO)->text(), QStringLiteral("E&xperimento..."));
    m->EjecutarComando(ID_EXPERIMENTO);
    CVentanaExperimento* w = Ventana();
    QVERIFY(w);

    QVERIFY(QFile::copy(Ejemplo(QStringLiteral("iris-train.txt")), Ruta(QStringLiteral("e.txt"))));
    Escribir(w, "entrenamiento", QStringLiteral("e.txt"));
    Escribir(w, "verificacion", Ejemplo(QStringLiteral("iris-test.txt")));
    Escribir(w, "ocultas", QStringLiteral("3, 5"));
    Escribir(w, "aprendizaje", QStringLiteral("0.2;0.3"));
    Escribir(w, "epocas", QStringLiteral("15"));
    Escribir(w, "semillas", QStringLiteral("4 1"));
    const QString ruta = Ruta(QStringLiteral("plan.json"));
    QVERIFY(w->GuardarPlan(ruta));
    const Resultado<PlanExperimento> leido = LeerPlan(ruta.toStdString());
    QVERIFY2(leido, leido.Mensaje().c_str());
    QCOMPARE(Lineas(*leido).size(), 8);
    QCOMPARE(Lineas(*leido).front(),
             QStringLiteral("0000\tconfiguracion=0 semilla=4 ocultas=3 aprendizaje=0.2 momento=0.9 error=0.7 epocas=15"));
    QCOMPARE(QString::fromStdString(leido->strEntrenamiento), Ruta(QStringLiteral("e.txt")));
    // The data beside the plan stay relative to it.
    QVERIFY(Bytes(ruta).contains("\"entrenamiento\": \"e.txt\""));
    QCOMPARE(w->Carpeta(), Ruta(QStringLiteral("plan")));

    const QByteArray escrito = R"({"tabla": "t.csv", "validacion_cruzada": 4, "verificacion": 0.2, "estratificar": true,
        "clase": "especie", "semilla": 3, "repeticiones": 2,
        "rejilla": {"error": [0.1, 0.05], "paciencia": 5, "barajar": [false, true]}, "comparar": "error_total"})";
    const QString otro = Ruta(QStringLiteral("otro.json"));
    QVERIFY(Guardar(otro, escrito));
    QVERIFY(w->CargarPlan(otro));
    const Resultado<PlanExperimento> delFormulario = w->PlanDelFormulario();
    QVERIFY2(delFormulario, delFormulario.Mensaje().c_str());
    const Resultado<PlanExperimento> delFichero = LeerPlan(otro.toStdString());
    QCOMPARE(Lineas(*delFormulario), Lineas(*delFichero));
    QVERIFY(JsonPlan(*delFormulario, "") == JsonPlan(*delFichero, ""));
    QCOMPARE(Lineas(*delFormulario).size(), 4 * 4 * 2);

    Escribir(w, "ocultas", QStringLiteral("4, x"));
    QCOMPARE(QString::fromStdString(w->PlanDelFormulario().Mensaje()),
             QStringLiteral("Neuronas ocultas: «x» no es un número (escríbalo con punto: 0.25)."));
    Escribir(w, "ocultas", QStringLiteral("4, 500"));
    QVERIFY(QString::fromStdString(w->PlanDelFormulario().Mensaje()).startsWith(QStringLiteral("Plan: «ocultas»")));
    // Nothing is written when the form does not read.
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    QVERIFY(!w->GuardarPlan(otro));
    QCOMPARE(Bytes(otro), escrito);
    QCOMPARE(m_pGuion->Mensajes().size(), 1);
  }

  // A plan run from the window: its summary is nrv-cli resumen's of the
  // same folder, every run done, and a run's network opens.
  void ejecutaYResume() {
    CMainFrame* m = Arrancar();
    QVERIFY(m);
    m->EjecutarComando(ID_EXPERIMENTO);
    CVentanaExperimento* w = Ventana();
    QVERIFY(w);
    const QString plan = Ruta(QStringLiteral("iris.json"));
    QVERIFY(Guardar(plan, QStringLiteral(R"({"entrenamiento": "%1", "verificacion": "%2", "prueba": "%2",
        "rejilla": {"ocultas": [3, 5], "aprendizaje": 0.2, "epocas": 15}, "semillas": [1, 4]})")
                              .arg(Ejemplo(QStringLiteral("iris-train.txt")), Ejemplo(QStringLiteral("iris-test.txt")))
                              .toUtf8()));
    QVERIFY(w->CargarPlan(plan));
    QSignalSpy terminado(w, &CVentanaExperimento::Terminado);
    QVERIFY(w->Ejecutar());
    QVERIFY(w->EnMarcha());
    QVERIFY(terminado.wait(120000));
    QCOMPARE(terminado.front().front().toInt(), 0);

    auto* resumen = w->findChild<QTableWidget*>(QStringLiteral("resumen"));
    auto* ejecuciones = w->findChild<QTableWidget*>(QStringLiteral("ejecuciones"));
    QCOMPARE(ejecuciones->rowCount(), 4);
    for (int f = 0; f < 4; ++f) QCOMPARE(ejecuciones->item(f, 4)->text(), QStringLiteral("hecha"));
    const QStringList texto =
        NrvCli({QStringLiteral("resumen"), w->Carpeta()}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(resumen->rowCount(), 2);
    QCOMPARE(texto.size(), 3 + 2);
    // Column by column as the command's table, whose columns are two
    // spaces apart at least.
    for (int f = 0; f < 2; ++f) {
      QStringList celdas;
      for (int c = 0; c < resumen->columnCount(); ++c) celdas << resumen->item(f, c)->text();
      QCOMPARE(texto[3 + f].split(QRegularExpression(QStringLiteral("\\s{2,}")), Qt::SkipEmptyParts), celdas);
    }
    QCOMPARE(resumen->horizontalHeaderItem(7)->text(), QStringLiteral("verif. aciertos %"));

    w->AbrirEjecucion(2);
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(m_pApp->Plantilla()->Documentos().front()->GetPathName()),
             w->Carpeta() + QStringLiteral("/0002/red.nrv"));

    // Run again: nothing is redone.
    const QByteArray antes = Bytes(w->Carpeta() + QStringLiteral("/0001/resultado.json"));
    QVERIFY(w->Ejecutar());
    QVERIFY(terminado.wait(120000));
    QCOMPARE(Bytes(w->Carpeta() + QStringLiteral("/0001/resultado.json")), antes);
    QVERIFY(w->findChild<QLabel*>(QStringLiteral("estado"))->text().startsWith(QStringLiteral("Experimento hecho")));
  }
};

QTEST_MAIN(PruebaExperimento)
#include "test_experimento.moc"
