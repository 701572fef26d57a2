// Takes screenshots of the workbench, its dialogs and its help window on
// the running X display (scripts/screenshot.sh runs it under Xvfb with a
// window manager, at scale 1 and 2). Usage: nrv_captura OUTPUT_FOLDER
// Each picture is the whole screen (NAME.png); the pictures of windows are
// also cut to them, frames included (ventanas/NAME.png).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "framework/host.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/ayuda.h"
#include "ui/marcos.h"
#include "ui/ventana_graficas.h"
#include "ui/vista.h"
#include "network/nodusdoc.h"
#include <QPrinter>

namespace {

QString g_salida;

// The rectangle of a window on the screen, its window manager's frame
// included for a top-level one.
QRect EnPantalla(QWidget* w) {
  if (w->isWindow()) return w->frameGeometry();
  return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

void Capturar(const QString& nombre, const QList<QWidget*>& ventanas = {}) {
  QTest::qWait(400);  // let the window manager and the paint settle
  QScreen* pantalla = QGuiApplication::primaryScreen();
  const QPixmap p = pantalla->grabWindow(0);
  p.save(QDir(g_salida).filePath(nombre + QStringLiteral(".png")));
  if (ventanas.isEmpty()) return;
  const qreal r = p.devicePixelRatio();
  QRect zona;
  for (QWidget* w : ventanas) zona |= EnPantalla(w);
  zona &= pantalla->geometry();
  const QRect enPixeles(QPoint(qRound(zona.x() * r), qRound(zona.y() * r)), QSize(qRound(zona.width() * r), qRound(zona.height() * r)));
  QDir(g_salida).mkpath(QStringLiteral("ventanas"));
  p.copy(enPixeles).save(QDir(g_salida).filePath(QStringLiteral("ventanas/") + nombre + QStringLiteral(".png")));
}

// A copy of the example network under another name.
QString CopiaIris(const QTemporaryDir& dir, const QString& nombre) {
  const QString r = dir.filePath(nombre);
  QFile::copy(Ejemplo(QStringLiteral("iris.nrv")), r);
  QFile(r).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qapp(argc, argv);
  if (argc < 2) return 2;
  g_salida = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  QDir().mkpath(g_salida);
  // The working folder holds the example's data files: the dialogs show
  // their bare names, as a user working there types them.
  CEntornoPrueba entorno;
  for (const char* f : {"iris-train.txt", "iris-test.txt", "iris-train.csv", "iris-test.csv", "iris-nuevas.csv"})
    QFile::copy(Ejemplo(QString::fromUtf8(f)), entorno.Ruta(QString::fromUtf8(f)));
  QTemporaryDir copias;

  CNodusApp app;
  if (!app.InitInstance({Ejemplo(QStringLiteral("iris.nrv"))})) return 1;
  CMainFrame* marco = app.m_pMainWnd;
  // The window manager's frame at the screen's corner.
  marco->move(0, 0);
  marco->resize(1000, 700);
  CGuion guion;

  QTimer::singleShot(500, [&] {
    Capturar(QStringLiteral("principal"), {marco});
    Capturar(QStringLiteral("vista"), {marco->MarcoActivo()});

    // The README's picture: the workbench with the new-network dialog open.
    guion.Ventana([&guion, marco](QDialog* d) {
      d->move(marco->pos() + QPoint(120, 190));
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, QStringLiteral("iris-train.txt"));
      Escribir(d, IDC_FICHERO_VERIFICACION, QStringLiteral("iris-test.txt"));
      Capturar(QStringLiteral("nueva-red"), {d});
      Capturar(QStringLiteral("nueva-red-principal"), {marco, d});
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
    Capturar(QStringLiteral("dos-redes"), {marco});

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
      Capturar(QStringLiteral("acerca-de"), {d});
      d->reject();
    });
    marco->EjecutarComando(ID_APP_ABOUT);

    // Verification of the example network on its test file.
    app.m_pMainWnd->ActivarMarco(app.Plantilla()->MarcoDe(app.Plantilla()->Documentos().front()));
    guion.Ventana([](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, QStringLiteral("iris-test.txt"));
      Capturar(QStringLiteral("verificar"), {d});
      Pulsar(d, IDOK);
    });
    guion.Ventana([](QDialog* d) {
      Capturar(QStringLiteral("resultados"), {d});
      Pulsar(d, IDOK);
    });
    marco->EjecutarComando(ID_VERIFICAR);

    // A table imported: the preview with what was detected, then what was
    // written.
    guion.Ventana([&guion](QDialog* d) {
      Escribir(d, IDC_TABLA, QStringLiteral("iris-train.csv"));
      Dejar(d, IDC_TABLA);
      Escribir(d, IDC_DESTINO, QStringLiteral("entrenamiento.txt"));
      Escribir(d, IDC_ESQUEMA, QStringLiteral("iris.json"));
      Dejar(d, IDC_ESQUEMA);
      Capturar(QStringLiteral("importar"), {d});
      guion.alVerMensaje = [](QDialog* m) { Capturar(QStringLiteral("importar-hecho"), {m}); };
      Pulsar(d, IDOK);
      guion.alVerMensaje = nullptr;
    });
    guion.Respuesta(QStringLiteral("Aceptar"));
    marco->EjecutarComando(ID_IMPORTAR_DATOS);

    // The confusion matrix of the test table, read through the scheme.
    guion.Ventana([](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, QStringLiteral("iris-test.csv"));
      Escribir(d, IDC_ESQUEMA, QStringLiteral("iris.json"));
      Capturar(QStringLiteral("matriz-fichero"), {d});
      Pulsar(d, IDOK);
    });
    guion.Ventana([](QDialog* d) {
      Capturar(QStringLiteral("matriz"), {d});
      Pulsar(d, IDOK);
    });
    marco->EjecutarComando(ID_MATRIZ_CONFUSION);

    // The network applied to new flowers.
    guion.Ventana([&guion](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, QStringLiteral("iris-nuevas.csv"));
      Escribir(d, IDC_ESQUEMA, QStringLiteral("iris.json"));
      Escribir(d, IDC_SALIDA_CSV, QStringLiteral("resultados.csv"));
      Capturar(QStringLiteral("aplicar"), {d});
      guion.alVerMensaje = [](QDialog* m) { Capturar(QStringLiteral("aplicar-hecho"), {m}); };
      Pulsar(d, IDOK);
      guion.alVerMensaje = nullptr;
    });
    guion.Respuesta(QStringLiteral("Aceptar"));
    marco->EjecutarComando(ID_APLICAR_FICHERO);

    guion.Ventana([](QDialog* d) {
      Capturar(QStringLiteral("examinar"), {d});
      d->reject();
    });
    marco->EjecutarComando(ID_FILE_OPEN);

    // Cerrar todas: the trained and saved network closes, the new one is
    // asked about and kept.
    guion.Ventana([](QDialog* d) {
      Capturar(QStringLiteral("cerrar-todas"), {d});
      Pulsar(d, IDCANCEL);
    });
    marco->EjecutarComando(ID_CERRAR_TODAS);

    // Three networks after Mosaico.
    app.OpenDocumentFile(CopiaIris(copias, QStringLiteral("iris-b.nrv")).toStdString());
    app.OpenDocumentFile(CopiaIris(copias, QStringLiteral("iris-c.nrv")).toStdString());
    marco->EjecutarComando(ID_WINDOW_TILE_HORZ);
    Capturar(QStringLiteral("mosaico"), {marco});

    // A maximized child: its title in brackets in the main window's.
    marco->MarcoActivo()->showMaximized();
    Capturar(QStringLiteral("maximizada"), {marco});

    // A main window smaller than a form: the children scroll.
    marco->MarcoActivo()->showNormal();
    marco->resize(600, 420);
    QTest::qWait(200);
    marco->EjecutarComando(ID_WINDOW_CASCADE);
    Capturar(QStringLiteral("pequena"), {marco});
    marco->resize(1000, 700);
    for (CDocument* d : app.Plantilla()->Documentos()) d->SetModifiedFlag(FALSE);
    marco->EjecutarComando(ID_CERRAR_TODAS);

    // Three new networks, each its own learning rate, trained at once: the
    // graph window of the last with the other two laid over it.
    marco->resize(1100, 820);
    for (const char* aprendizaje : {"0.02", "0.1", "0.5"}) {
      guion.Ventana([aprendizaje](QDialog* d) {
        Escribir(d, IDC_FICHERO_ENTRENAMIENTO, QStringLiteral("iris-train.txt"));
        Escribir(d, IDC_FICHERO_VERIFICACION, QStringLiteral("iris-test.txt"));
        Escribir(d, IDC_MAX_EPOCAS, QStringLiteral("400"));
        Escribir(d, IDC_APRENDIZAJE, QString::fromUtf8(aprendizaje));
        Pulsar(d, IDOK);
      });
      marco->EjecutarComando(ID_FILE_NEW);
    }
    if (CChildFrame* red = marco->MarcoActivo()) {
      marco->EjecutarComando(ID_GRAFICAS);
      auto* v = dynamic_cast<CNodusView*>(red->GetVista());
      CVentanaGraficas* w = v ? v->VentanaGraficas() : nullptr;
      if (w != nullptr) {
        for (CDocument* d : app.Plantilla()->Documentos()) w->Superponer(dynamic_cast<CNodusDoc*>(d), true);
        w->parentWidget()->setGeometry(300, 10, 760, 700);
        for (int i = 0; i < 3; ++i) guion.Respuesta(QString());
        const auto antes = guion.Mensajes().size();
        for (CDocument* d : app.Plantilla()->Documentos()) dynamic_cast<CNodusDoc*>(d)->OnEntrenar();
        QTest::qWait(150);
        Capturar(QStringLiteral("graficas-entrenando"), {marco});
        for (int i = 0; i < 600 && guion.Mensajes().size() < antes + 3; ++i) QTest::qWait(100);
        w->parentWidget()->showMaximized();
        Capturar(QStringLiteral("graficas-superpuestas"), {marco});
        // The printed page, as a PDF (the script turns it into a picture).
        const auto anterior = CNodusView::s_dialogoImprimir;
        CNodusView::s_dialogoImprimir = [](QPrinter& impresora, QWidget*) {
          impresora.setOutputFormat(QPrinter::PdfFormat);
          impresora.setOutputFileName(QDir(g_salida).filePath(QStringLiteral("pagina.pdf")));
          return true;
        };
        marco->EjecutarComando(ID_FILE_PRINT);
        CNodusView::s_dialogoImprimir = anterior;
      }
    }
    for (CDocument* d : app.Plantilla()->Documentos()) d->SetModifiedFlag(FALSE);
    marco->EjecutarComando(ID_CERRAR_TODAS);
    marco->resize(1000, 700);

    // The manual in its window.
    marco->OnTemasAyuda();
    if (CVentanaAyuda* ayuda = marco->VentanaAyuda()) {
      ayuda->move(160, 80);
      ayuda->resize(1000, 720);
      ayuda->MostrarCapitulo(QStringLiteral("30-entrenamiento.md"));
      Capturar(QStringLiteral("ayuda"), {ayuda});
      ayuda->close();
    }

    for (const QString& m : guion.Mensajes()) qInfo("mensaje: %s", qPrintable(m));
    for (const QString& m : guion.Inesperadas()) qInfo("inesperada: %s", qPrintable(m));
    for (CDocument* d : app.Plantilla()->Documentos()) d->SetModifiedFlag(FALSE);
    marco->close();
  });
  return QApplication::exec();
}
