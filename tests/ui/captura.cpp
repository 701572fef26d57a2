// Takes screenshots of the workbench and of each of its dialogs on the
// running X display (scripts/screenshot.sh runs it under Xvfb). Usage:
// nrv_captura OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "framework/host.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/marcos.h"

namespace {

QString g_salida;

void Capturar(const QString& nombre) {
  QTest::qWait(300);  // let the window manager and the paint settle
  QPixmap p = QGuiApplication::primaryScreen()->grabWindow(0);
  p.save(QDir(g_salida).filePath(nombre + QStringLiteral(".png")));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  if (argc < 2) return 2;
  g_salida = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(g_salida);
  CEntornoPrueba entorno;

  CNodusApp app;
  if (!app.InitInstance({Ejemplo(QStringLiteral("iris.nrv"))})) return 1;
  CMainFrame* marco = app.m_pMainWnd;
  marco->setGeometry(0, 0, 1000, 700);
  CGuion guion;

  QTimer::singleShot(500, [&] {
    Capturar(QStringLiteral("principal"));

    // The README's picture: the workbench with the new-network dialog open.
    guion.Ventana([&guion](QDialog* d) {
      d->move(180, 190);
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, Ejemplo(QStringLiteral("iris-train.txt")));
      Escribir(d, IDC_FICHERO_VERIFICACION, Ejemplo(QStringLiteral("iris-test.txt")));
      Capturar(QStringLiteral("nueva-red"));
      // A refused value: the message over the dialog.
      Escribir(d, IDC_APRENDIZAJE, QStringLiteral("0,5"));
      guion.alVerMensaje = [](QDialog*) { Capturar(QStringLiteral("mensaje")); };
      Pulsar(d, IDOK);
      guion.alVerMensaje = nullptr;
      Escribir(d, IDC_APRENDIZAJE, QStringLiteral("0.1"));
      Pulsar(d, IDOK);
    });
    guion.Respuesta(QString());
    marco->EjecutarComando(ID_FILE_NEW);
    Capturar(QStringLiteral("dos-redes"));

    // The Archivo menu of a document window, with the recent files.
    if (auto* barra = qobject_cast<QMenuBar*>(marco->menuWidget())) {
      QMenu* archivo = barra->actions().front()->menu();
      QTimer::singleShot(0, [archivo] {
        Capturar(QStringLiteral("menu-archivo"));
        archivo->close();
      });
      archivo->exec(barra->mapToGlobal(barra->actionGeometry(barra->actions().front()).bottomLeft()));
    }

    guion.Ventana([](QDialog* d) {
      Capturar(QStringLiteral("acerca-de"));
      d->reject();
    });
    marco->EjecutarComando(ID_APP_ABOUT);

    guion.Ventana([](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, Ejemplo(QStringLiteral("iris-test.txt")));
      Capturar(QStringLiteral("verificar"));
      Pulsar(d, IDOK);
    });
    guion.Ventana([](QDialog* d) {
      Capturar(QStringLiteral("resultados"));
      Pulsar(d, IDOK);
    });
    marco->EjecutarComando(ID_VERIFICAR);

    guion.Ventana([](QDialog* d) {
      Capturar(QStringLiteral("examinar"));
      d->reject();
    });
    marco->EjecutarComando(ID_FILE_OPEN);

    guion.Ventana([](QDialog* d) {
      Capturar(QStringLiteral("cerrar-todas"));
      Pulsar(d, IDCANCEL);
    });
    guion.Ventana([](QDialog* d) { Pulsar(d, IDCANCEL); });
    marco->EjecutarComando(ID_CERRAR_TODAS);

    for (const QString& m : guion.Mensajes()) qInfo("mensaje: %s", qPrintable(m));
    for (const QString& m : guion.Inesperadas()) qInfo("inesperada: %s", qPrintable(m));
    guion.Respuesta(QStringLiteral("&No"));
    guion.Respuesta(QStringLiteral("&No"));
    marco->close();
  });
  return QApplication::exec();
}
