// The application shell on screen: start-up, menus, toolbar, status bar,
// new, open, save and close, the recent-file list, verification and the
// exports, driven through the real windows.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>

#include "network/dialogos.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/ayuda.h"
#include "ui/marcos.h"
#include "ui/vista.h"

namespace {

QStringList TextosMenu(CMainFrame* m) {
  QStringList t;
  auto* barra = qobject_cast<QMenuBar*>(m->menuWidget());
  for (QAction* a : barra->actions()) t << a->text();
  return t;
}

QStringList Elementos(CMainFrame* m, int popup) {
  auto* barra = qobject_cast<QMenuBar*>(m->menuWidget());
  QMenu* menu = barra->actions().at(popup)->menu();
  emit menu->aboutToShow();
  QStringList t;
  for (QAction* a : menu->actions())
    if (a->isVisible()) t << a->text();
  return t;
}

CNodusDoc* Doc(CNodusApp* app, int i) {
  return static_cast<CNodusDoc*>(app->Plantilla()->Documentos().at(static_cast<std::size_t>(i)));
}

}  // namespace

class PruebaShell : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_pEntorno;
  std::unique_ptr<CGuion> m_pGuion;
  std::unique_ptr<CNodusApp> m_pApp;

  CMainFrame* Arrancar(const QStringList& args = {}, bool esperado = true) {
    m_pApp = std::make_unique<CNodusApp>();
    const BOOL ok = m_pApp->InitInstance(args);
    if ((ok != FALSE) != esperado) return nullptr;
    return m_pApp->m_pMainWnd;
  }
  void Parar() {
    if (m_pApp) m_pApp->CloseAllDocuments();
    m_pApp.reset();
  }
  // A copy of the example network in the test folder.
  QString CopiaIris(const QString& nombre = QStringLiteral("iris.nrv")) {
    const QString r = m_pEntorno->Ruta(nombre);
    QFile::remove(r);
    QFile::copy(Ejemplo(QStringLiteral("iris.nrv")), r);
    QFile(r).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return r;
  }
  // New through dialog 130 with two data files.
  void Nueva(CMainFrame* m, const QString& ent, const QString& ver) {
    m_pGuion->Ventana([ent, ver](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, ent);
      Escribir(d, IDC_FICHERO_VERIFICACION, ver);
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_FILE_NEW);
  }

 private slots:
  void init() {
    m_pEntorno = std::make_unique<CEntornoPrueba>();
    m_pGuion = std::make_unique<CGuion>();
    CNuevaRedDlg::RestablecerValores();
  }
  void cleanup() {
    Parar();
    QCOMPARE(m_pGuion->Inesperadas(), QStringList());
    m_pGuion.reset();
    m_pEntorno.reset();
  }

  void arranqueSinDocumento() {
    CMainFrame* m = Arrancar();
    QVERIFY(m);
    QCOMPARE(m->windowTitle(), QStringLiteral("Perceptrón Multicapa"));
    QCOMPARE(m->MenuActual(), UINT(IDR_MAINFRAME));
    QVERIFY(m_pApp->Plantilla()->Documentos().empty());
    QCOMPARE(m->AreaMdi()->subWindowList().size(), 0);
    QCOMPARE(m_pGuion->Dialogos(), QStringList());
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
    QCOMPARE(TextosMenu(m), (QStringList{"&Archivo", "&Ver", "Ay&uda"}));
    QCOMPARE(Elementos(m, 0), (QStringList{"&Nuevo...\tCtrl+N", "&Abrir...\tCtrl+A", "&Importar datos...",
                                           "E&xperimento...", "", "Archivo reciente", "",
                                           "&Salir"}));
    QCOMPARE(Elementos(m, 1), (QStringList{"Barra de &herramientas", "Barra de &estado"}));
    QCOMPARE(Elementos(m, 2), (QStringList{"&Acerca de nodus...", "&Temas de ayuda"}));
    // F1 beside Temas de ayuda, as the toolkit shows an action's key.
    QCOMPARE(m->AccionMenu(ID_TEMAS_AYUDA)->shortcut(), QKeySequence(Qt::Key_F1));
    QVERIFY(!m->AccionMenu(ID_FILE_MRU_FILE1)->isEnabled());  // empty list: grayed
    QCOMPARE(m->TextoEstado(), QStringLiteral("Preparado"));
    QCOMPARE(m->findChild<QLabel*>(QStringLiteral("indicador59137"))->text(), QStringLiteral("MAY"));
    QCOMPARE(m->findChild<QLabel*>(QStringLiteral("indicador59138"))->text(), QStringLiteral("NUM"));
    QCOMPARE(m->findChild<QLabel*>(QStringLiteral("indicador59139"))->text(), QStringLiteral("DESP"));
    QStringList consejos;
    for (QAction* a : m->BarraHerramientas()->actions()) consejos << (a->isSeparator() ? "-" : a->toolTip());
    QCOMPARE(consejos, (QStringList{"Nuevo", "Abrir", "Guardar", "-", "Acerca de"}));
    // The prompt of what the pointer is on, then "Preparado" again.
    m->AccionMenu(ID_FILE_OPEN)->showStatusText(m);
    QCOMPARE(m->TextoEstado(), QStringLiteral("Abre un documento ya existente"));
    QStatusTipEvent vacio{QString()};
    QCoreApplication::sendEvent(m, &vacio);
    QCOMPARE(m->TextoEstado(), QStringLiteral("Preparado"));
    m->ActualizarInterfaz();
    QVERIFY(!m->EstaHabilitado(ID_FILE_SAVE));  // no document
    QVERIFY(!m->EstaHabilitado(ID_FILE_PRINT));
    QVERIFY(m->EstaHabilitado(ID_FILE_NEW));
    QVERIFY(m->EstaHabilitado(ID_APP_ABOUT));
  }

  // A named network on the command line is opened in a child frame.
  void arranqueConUnaRed() {
    const QString ruta = CopiaIris();
    CMainFrame* m = Arrancar({ruta});
    QVERIFY(m);
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    QCOMPARE(m->MenuActual(), UINT(IDR_NRVTYPE));
    QCOMPARE(m->MarcoActivo()->Titulo(), QStringLiteral("iris.nrv"));
    QCOMPARE(m->MarcoActivo()->windowTitle(), QStringLiteral("iris.nrv[*]"));
    QVERIFY(!m->MarcoActivo()->isWindowModified());
    QCOMPARE(m->windowTitle(), QStringLiteral("Perceptrón Multicapa - iris.nrv"));
    QCOMPARE(TextosMenu(m), (QStringList{"&Archivo", "&Ver", "Ven&tana", "&NRV", "Ay&uda"}));
    QCOMPARE(Elementos(m, 3), (QStringList{"&Entrenar", "&Detener", "&Verificar...", "&Matriz de confusión...",
                                           "&Aplicar a fichero...", "&Gráficas", "&Ficheros de datos...",
                                           "&Opciones de entrenamiento...", "Más é&pocas..."}));
    QCOMPARE(Elementos(m, 2).mid(0, 3), (QStringList{"&Cascada", "&Mosaico", "C&errar todas"}));
    QVERIFY(Elementos(m, 2).contains(QStringLiteral("&1 iris.nrv")));  // the list of windows
    QCOMPARE(m_pApp->Recientes().Rutas(), QStringList{ruta});
    QCOMPARE(m_pGuion->Mensajes(), QStringList());

    // The form of template 101 fits its window and shows its texts whole.
    QWidget* form = m->MarcoActivo()->Lienzo();
    QVERIFY(m->MarcoActivo()->contentsRect().width() >= form->width());
    for (QLabel* l : form->findChildren<QLabel*>())
      if (!l->text().isEmpty() && l->isVisibleTo(form))
        QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), qPrintable(l->text()));
  }

  // A network that cannot be opened at start-up: the framework's message,
  // then the program ends.
  void arranqueConRedIlegible() {
    const QString ruta = m_pEntorno->Ruta(QStringLiteral("rota.nrv"));
    QFile f(ruta);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("no es una red");
    f.close();
    QVERIFY(!Arrancar({ruta}, false) || true);
    QCOMPARE(m_pGuion->Mensajes().size(), 1);
    QVERIFY(m_pApp->m_pMainWnd == nullptr || !m_pApp->m_pMainWnd->isVisible());
  }

  // New through dialog 130: every refusal in its order, the dialog open
  // all along with the focus on the offending field, then the network.
  void nuevaRedConSusValidaciones() {
    CMainFrame* m = Arrancar();
    const QString xorTxt = Ejemplo(QStringLiteral("xor.txt"));
    const QString irisTxt = Ejemplo(QStringLiteral("iris-test.txt"));
    const QString falta = m_pEntorno->Ruta(QStringLiteral("no-existe.txt"));
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Nuevo NRV: Datos de entrenamiento"));
      struct Paso {
        int id;
        QString texto;
        QString mensaje;
      };
      const QList<Paso> pasos = {
          {IDC_ERROR_MAXIMO, QStringLiteral("2"), QStringLiteral("No ha introducido un fichero")},
          {IDC_FICHERO_ENTRENAMIENTO, falta, QStringLiteral("No se ha podido abrir el fichero o fichero inexistente")},
          {IDC_FICHERO_ENTRENAMIENTO, xorTxt, QStringLiteral("Introduzca un número entre 0 y 1.")},
          {IDC_ERROR_MAXIMO, QStringLiteral("0,5"), QStringLiteral("Introduzca un número.")},
          {IDC_ERROR_MAXIMO, QStringLiteral("1"), QString()},
          {IDC_MAX_EPOCAS, QStringLiteral("401"), QStringLiteral("Introduzca un número entero entre 1 y 400.")},
          {IDC_MAX_EPOCAS, QStringLiteral("400"), QString()},
          {IDC_MOMENTO, QStringLiteral("1.01"), QStringLiteral("Introduzca un número entre 0 y 1.")},
          {IDC_MOMENTO, QStringLiteral("0"), QString()},
          {IDC_OCULTAS, QStringLiteral("129"), QStringLiteral("Introduzca un número entero entre 1 y 128.")},
          {IDC_OCULTAS, QStringLiteral("0"), QStringLiteral("Introduzca un número entero entre 1 y 128.")},
          {IDC_OCULTAS, QStringLiteral("x"), QStringLiteral("Introduzca un número entero positivo.")},
          {IDC_OCULTAS, QStringLiteral("3"), QString()},
          {IDC_APRENDIZAJE, QStringLiteral("0.51"), QStringLiteral("Introduzca un número entre 0 y 0.5.")},
          {IDC_APRENDIZAJE, QStringLiteral("0.5"), QStringLiteral("No ha introducido un fichero")},
          {IDC_FICHERO_VERIFICACION, falta, QStringLiteral(" No se han podido dimensionar los datos. ")},
          {IDC_FICHERO_VERIFICACION, irisTxt, QStringLiteral(" Dimensiones incorrectas. ")},
      };
      // The field that a refusal points at: the one the message is about.
      const QList<int> foco = {IDC_FICHERO_ENTRENAMIENTO, IDC_FICHERO_ENTRENAMIENTO, IDC_ERROR_MAXIMO,
                               IDC_ERROR_MAXIMO,          0,                         IDC_MAX_EPOCAS,
                               0,                         IDC_MOMENTO,               0,
                               IDC_OCULTAS,               IDC_OCULTAS,               IDC_OCULTAS,
                               0,                         IDC_APRENDIZAJE,           IDC_FICHERO_VERIFICACION,
                               IDC_FICHERO_VERIFICACION,  IDC_FICHERO_VERIFICACION};
      for (int i = 0; i < pasos.size(); ++i) {
        m_pGuion->Limpiar();
        Escribir(d, pasos[i].id, pasos[i].texto);
        if (pasos[i].mensaje.isEmpty()) continue;
        Pulsar(d, IDOK);
        QCOMPARE(m_pGuion->Mensajes(), QStringList{pasos[i].mensaje});
        QVERIFY(d->isVisible());
        QCOMPARE(d->focusWidget(), Control(d, foco[i]));
      }
      m_pGuion->Limpiar();
      Escribir(d, IDC_FICHERO_VERIFICACION, xorTxt);
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_FILE_NEW);
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    CNodusDoc* doc = Doc(m_pApp.get(), 0);
    QCOMPARE(QString::fromStdString(doc->GetTitle()), QStringLiteral("Nrv 1"));
    QCOMPARE(doc->m_nOcultas, 3u);
    QCOMPARE(doc->m_nMaxEpocas, 400u);
    QCOMPARE(doc->m_dAprendizaje, 0.5);
    QCOMPARE(doc->m_dMomento, 0.0);
    QCOMPARE(doc->m_dErrorMaximo, 1.0);
    QCOMPARE(m->MenuActual(), UINT(IDR_NRVTYPE));
    QCOMPARE(m->MarcoActivo()->Titulo(), QStringLiteral("Nrv 1"));

    Nueva(m, xorTxt, xorTxt);
    QCOMPARE(QString::fromStdString(Doc(m_pApp.get(), 1)->GetTitle()), QStringLiteral("Nrv 2"));
  }

  // Abrir of a file that is not a network: reported; the program and the
  // networks open carry on.
  void abrirRedIlegible() {
    CMainFrame* m = Arrancar({CopiaIris()});
    const QString rota = m_pEntorno->Ruta(QStringLiteral("rota.nrv"));
    QFile f(rota);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(40, '\xff'));
    f.close();
    m_pGuion->Ventana([&](QDialog* d) {
      auto* fd = qobject_cast<QFileDialog*>(d);
      QCOMPARE(fd->nameFilters(), (QStringList{"NRV Files (*.nrv)", "Todos los ficheros (*)"}));
      ElegirFichero(d, rota);
    });
    m->EjecutarComando(ID_FILE_OPEN);
    QCOMPARE(m_pGuion->Mensajes().size(), 1);
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    QVERIFY(!m_pApp->Recientes().Rutas().contains(rota));
    QVERIFY(m->isVisible());
    QCOMPARE(m->MenuActual(), UINT(IDR_NRVTYPE));
  }

  void cancelarNoCreaNada() {
    CMainFrame* m = Arrancar();
    m_pGuion->Ventana([](QDialog* d) { Pulsar(d, IDCANCEL); });
    m->EjecutarComando(ID_FILE_NEW);
    m_pGuion->Ventana([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    m->EjecutarComando(ID_FILE_NEW);
    QVERIFY(m_pApp->Plantilla()->Documentos().empty());
    QCOMPARE(m->MenuActual(), UINT(IDR_MAINFRAME));
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
    // The running number is used up only by a network that was created.
    const QString xorTxt = Ejemplo(QStringLiteral("xor.txt"));
    Nueva(m, xorTxt, xorTxt);
    QCOMPARE(QString::fromStdString(Doc(m_pApp.get(), 0)->GetTitle()), QStringLiteral("Nrv 1"));
  }

  void guardarGuardarComoYCerrar() {
    CMainFrame* m = Arrancar();
    const QString xorTxt = Ejemplo(QStringLiteral("xor.txt"));
    Nueva(m, xorTxt, xorTxt);
    CNodusDoc* doc = Doc(m_pApp.get(), 0);

    // Guardar of a network never saved asks for a name; the extension is added.
    m_pGuion->Ventana([&](QDialog* d) { ElegirFichero(d, m_pEntorno->Ruta(QStringLiteral("red"))); });
    m->EjecutarComando(ID_FILE_SAVE);
    QVERIFY(QFile::exists(m_pEntorno->Ruta(QStringLiteral("red.nrv"))));
    QCOMPARE(QString::fromStdString(doc->GetTitle()), QStringLiteral("red.nrv"));
    m->ActualizarInterfaz();
    QCOMPARE(m->MarcoActivo()->Titulo(), QStringLiteral("red.nrv"));
    QCOMPARE(m_pApp->Recientes().Rutas(), QStringList{m_pEntorno->Ruta(QStringLiteral("red.nrv"))});

    // Guardar again writes in place without asking.
    doc->SetModifiedFlag(TRUE);
    m->EjecutarComando(ID_FILE_SAVE);
    QVERIFY(!doc->IsModified());

    m_pGuion->Ventana([&](QDialog* d) { ElegirFichero(d, m_pEntorno->Ruta(QStringLiteral("otra.nrv"))); });
    m->EjecutarComando(ID_FILE_SAVE_AS);
    QCOMPARE(QString::fromStdString(doc->GetTitle()), QStringLiteral("otra.nrv"));
    QVERIFY(QFile::exists(m_pEntorno->Ruta(QStringLiteral("otra.nrv"))));

    // Cerrar of a modified network: the standard question; Cancelar keeps it.
    doc->SetModifiedFlag(TRUE);
    m_pGuion->Respuesta(QStringLiteral("Cancelar"));
    m->EjecutarComando(ID_FILE_CLOSE);
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("¿Guardar cambios a otra.nrv?")});
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    m_pGuion->Respuesta(QStringLiteral("&No"));
    m->EjecutarComando(ID_FILE_CLOSE);
    QVERIFY(m_pApp->Plantilla()->Documentos().empty());
    QCOMPARE(m->MenuActual(), UINT(IDR_MAINFRAME));
    QCOMPARE(m->windowTitle(), QStringLiteral("Perceptrón Multicapa"));
  }

  void recientesSobrevivenAlReinicio() {
    QStringList rutas;
    for (int i = 1; i <= 5; ++i) rutas << CopiaIris(QStringLiteral("red%1.nrv").arg(i));
    CMainFrame* m = Arrancar();
    for (const QString& r : rutas) QVERIFY(m_pApp->OpenDocumentFile(r.toStdString()));
    const QStringList esperado = {rutas[4], rutas[3], rutas[2], rutas[1]};
    QCOMPARE(m_pApp->Recientes().Rutas(), esperado);
    Parar();
    {
      QSettings ajustes(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("nrv"));
      ajustes.beginGroup(QStringLiteral("Recent File List"));
      QCOMPARE(ajustes.childKeys(), (QStringList{"File1", "File2", "File3", "File4"}));
      QCOMPARE(ajustes.value(QStringLiteral("File1")).toString(), rutas[4]);
    }

    m = Arrancar();
    QCOMPARE(m_pApp->Recientes().Rutas(), esperado);
    const QStringList elementos = Elementos(m, 0);
    QCOMPARE(elementos.mid(5, 4), (QStringList{"&1 " + rutas[4], "&2 " + rutas[3], "&3 " + rutas[2], "&4 " + rutas[1]}));
    QVERIFY(!elementos.contains(QStringLiteral("Archivo reciente")));
    QVERIFY(m->AccionMenu(ID_FILE_MRU_FILE1 + 2)->isEnabled());
    m->EjecutarComando(ID_FILE_MRU_FILE1 + 2);
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(Doc(m_pApp.get(), 0)->GetPathName()), rutas[2]);
    QCOMPARE(m_pApp->Recientes().Rutas().front(), rutas[2]);

    // A file that is gone: reported, and it leaves the list.
    QFile::remove(rutas[1]);
    const int i = static_cast<int>(m_pApp->Recientes().Rutas().indexOf(rutas[1]));
    m->EjecutarComando(ID_FILE_MRU_FILE1 + static_cast<UINT>(i));
    QCOMPARE(m_pGuion->Mensajes().size(), 1);
    QVERIFY(!m_pApp->Recientes().Rutas().contains(rutas[1]));
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
  }

  // The main window's place and size from one run to the next, maximized
  // too, and never outside the screen.
  void ventanaSobreviveAlReinicio() {
    CMainFrame* m = Arrancar();
    const QRect pantalla = m->screen()->availableGeometry();
    const QRect lugar(pantalla.topLeft() + QPoint(60, 50), QSize(500, 400));
    m->setGeometry(lugar);
    QVERIFY(QTest::qWaitForWindowExposed(m));
    m->close();
    Parar();
    m = Arrancar();
    QVERIFY(QTest::qWaitForWindowExposed(m));
    QCOMPARE(m->geometry(), lugar);

    // Left beyond the screen's corner: back inside it.
    m->move(pantalla.bottomRight() + QPoint(900, 700));
    m->close();
    Parar();
    m = Arrancar();
    QVERIFY(QTest::qWaitForWindowExposed(m));
    QVERIFY(pantalla.contains(m->geometry()));
    QCOMPARE(m->size(), lugar.size());

    m->showMaximized();
    QTRY_VERIFY(m->isMaximized());
    m->close();
    Parar();
    m = Arrancar();
    QVERIFY(QTest::qWaitForWindowExposed(m));
    QVERIFY(m->isMaximized());
  }

  // What the update handlers say reaches the menu items and the toolbar.
  void estadosDeLosComandos() {
    CMainFrame* m = Arrancar();
    const QString xorTxt = Ejemplo(QStringLiteral("xor.txt"));
    Nueva(m, xorTxt, xorTxt);
    for (int p = 0; p < 5; ++p) Elementos(m, p);
    QVERIFY(!m->AccionMenu(ID_GUARDAR_HISTORIAL)->isEnabled());  // no epoch yet
    QVERIFY(m->AccionMenu(ID_GUARDAR_PESOS)->isEnabled());
    QVERIFY(m->AccionMenu(ID_ENTRENAR)->isEnabled());
    QVERIFY(!m->AccionMenu(ID_DETENER)->isEnabled());
    QVERIFY(m->AccionMenu(ID_VERIFICAR)->isEnabled());
    QVERIFY(m->AccionMenu(ID_CERRAR_TODAS)->isEnabled());
    QVERIFY(m->AccionMenu(ID_FILE_CLOSE)->isEnabled());
    QVERIFY(!m->AccionMenu(ID_FILE_MRU_FILE1)->isEnabled());
    QVERIFY(m->AccionMenu(ID_VIEW_TOOLBAR)->isChecked());
    m->ActualizarInterfaz();
    for (QAction* a : m->BarraHerramientas()->actions())
      if (!a->isSeparator()) QVERIFY2(a->isEnabled(), qPrintable(a->toolTip()));

    const QString ruta = CopiaIris();
    QVERIFY(m_pApp->OpenDocumentFile(ruta.toStdString()));
    Elementos(m, 0);
    QVERIFY(m->AccionMenu(ID_GUARDAR_HISTORIAL)->isEnabled());  // a trained network

    // Hiding the toolbar unticks its item.
    m->EjecutarComando(ID_VIEW_TOOLBAR);
    Elementos(m, 1);
    QVERIFY(!m->AccionMenu(ID_VIEW_TOOLBAR)->isChecked());
    QVERIFY(!m->BarraHerramientas()->isVisibleTo(m));
    m->EjecutarComando(ID_VIEW_STATUS_BAR);
    QVERIFY(!m->BarraEstado()->isVisibleTo(m));
  }

  // The edit and pane keys do nothing; Ctrl+N and Ctrl+A are the menu's,
  // Ctrl+O, Ctrl+S and Ctrl+Q the desktop's usual second keys of Abrir,
  // Guardar and Salir; F1 opens the manual with or without a network.
  void teclas() {
    CMainFrame* m = Arrancar();
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    const QString xorTxt = Ejemplo(QStringLiteral("xor.txt"));
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, xorTxt);
      Escribir(d, IDC_FICHERO_VERIFICACION, xorTxt);
      Pulsar(d, IDOK);
    });
    QTest::keyClick(m, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    QWidget* foco = m->MarcoActivo()->Lienzo();
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    for (auto [tecla, mod] : std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>{
             {Qt::Key_Z, Qt::ControlModifier},
             {Qt::Key_X, Qt::ControlModifier},
             {Qt::Key_C, Qt::ControlModifier},
             {Qt::Key_V, Qt::ControlModifier},
             {Qt::Key_F6, Qt::NoModifier},
             {Qt::Key_F6, Qt::ShiftModifier},
             {Qt::Key_Backspace, Qt::AltModifier}})
      QTest::keyClick(foco, tecla, mod);
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    m_pGuion->Ventana([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Abrir"));
      Cancelar(d);
    });
    QTest::keyClick(foco, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(m_pGuion->Dialogos(), (QStringList{"Nuevo NRV: Datos de entrenamiento", "Abrir"}));
    QCOMPARE(m_pGuion->Mensajes(), QStringList());

    m_pGuion->Limpiar();
    m_pGuion->Ventana([](QDialog* d) { Cancelar(d); });
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    QTest::keyClick(foco, Qt::Key_O, Qt::ControlModifier);
    // Guardar of a network never saved: the name asked for.
    m_pGuion->Ventana([&](QDialog* d) { ElegirFichero(d, m_pEntorno->Ruta(QStringLiteral("red.nrv"))); });
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    QTest::keyClick(foco, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(m_pGuion->Dialogos(), (QStringList{"Abrir", "Guardar como"}));
    QVERIFY(QFile::exists(m_pEntorno->Ruta(QStringLiteral("red.nrv"))));
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    QTest::keyClick(foco, Qt::Key_F1);
    QVERIFY(m->VentanaAyuda() != nullptr && m->VentanaAyuda()->isVisible());
    m->VentanaAyuda()->close();
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    Doc(m_pApp.get(), 0)->SetModifiedFlag(TRUE);
    m_pGuion->Respuesta(QStringLiteral("Cancelar"));
    QTest::keyClick(foco, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("¿Guardar cambios a red.nrv?")});
    QVERIFY(m->isVisible());
    m_pGuion->Respuesta(QStringLiteral("&No"));
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    QTest::keyClick(foco, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!m->isVisible());
    QVERIFY(m_pApp->Plantilla()->Documentos().empty());
  }

  void acercaDeYAyuda() {
    CMainFrame* m = Arrancar();
    m_pGuion->Ventana([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Acerca de NRV..."));
      QCOMPARE(Texto(d, IDOK), QStringLiteral("Aceptar"));
      QVERIFY(d->findChild<QLabel*>()->parentWidget() == d);
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_APP_ABOUT);
    // The manual opens inside the program, at its first chapter.
    m->EjecutarComando(ID_TEMAS_AYUDA);
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
    QVERIFY(m->VentanaAyuda() != nullptr && m->VentanaAyuda()->isVisible());
    QCOMPARE(m->VentanaAyuda()->CapituloActual(), CapitulosManual().front().fichero);
  }

  // The form's buttons send their commands through the view to the
  // document, as the menu items of the same identifiers do.
  void botonesDelFormulario() {
    CMainFrame* m = Arrancar();
    QString datos;
    for (int i = 0; i < 20000; ++i) datos += QStringLiteral("%1 %2\n%3\n\n").arg(i & 1).arg((i >> 1) & 1).arg((i ^ (i >> 1)) & 1);
    const QString fichero = m_pEntorno->Ruta(QStringLiteral("grande.txt"));
    QFile f(fichero);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(datos.toUtf8());
    f.close();
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, fichero);
      Escribir(d, IDC_FICHERO_VERIFICACION, fichero);
      Escribir(d, IDC_MAX_EPOCAS, QStringLiteral("400"));
      Escribir(d, IDC_ERROR_MAXIMO, QStringLiteral("0"));
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_FILE_NEW);
    CNodusDoc* doc = Doc(m_pApp.get(), 0);
    QWidget* form = m->MarcoActivo()->Lienzo();
    QVERIFY(Control(form, ID_ENTRENAR)->isEnabled());
    QVERIFY(!Control(form, ID_DETENER)->isEnabled());
    Pulsar(form, ID_ENTRENAR);
    QVERIFY(doc->m_bEntrenando.load());
    QVERIFY(!Control(form, ID_ENTRENAR)->isEnabled());
    QVERIFY(Control(form, ID_DETENER)->isEnabled());
    Elementos(m, 3);
    QVERIFY(m->AccionMenu(ID_DETENER)->isEnabled());
    QVERIFY(!m->AccionMenu(ID_ENTRENAR)->isEnabled());
    Pulsar(form, ID_DETENER);
    QVERIFY(!doc->m_bEntrenando.load());
    QVERIFY(!doc->m_pHilo);
    QVERIFY(Control(form, ID_ENTRENAR)->isEnabled());
    QVERIFY(!Control(form, ID_DETENER)->isEnabled());
  }

  // Ctrl+P with a document opens the print dialog; without one nothing.
  void imprimir() {
    CMainFrame* m = Arrancar();
    m->EjecutarComando(ID_FILE_PRINT);
    QCOMPARE(m_pGuion->Dialogos(), QStringList());
    QVERIFY(m_pApp->OpenDocumentFile(CopiaIris().toStdString()));
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Imprimir"));
      // A PDF is proposed beside the network, not in the home folder.
      auto* fichero = d->findChild<QLineEdit*>(QStringLiteral("filename"));
      QVERIFY(fichero);
      QCOMPARE(fichero->text(), m_pEntorno->Ruta(QStringLiteral("iris.pdf")));
      Cancelar(d);
    });
    m->EjecutarComando(ID_FILE_PRINT);
    QCOMPARE(m_pGuion->Dialogos(), QStringList{QStringLiteral("Imprimir")});

    // Confirmed, Ctrl+P prints one page.
    const QString pdf = m_pEntorno->Ruta(QStringLiteral("pagina.pdf"));
    const auto anterior = CNodusView::s_dialogoImprimir;
    CNodusView::s_dialogoImprimir = [pdf](QPrinter& p, QWidget*) {
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(pdf);
      return true;
    };
    m->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m));
    QTest::keyClick(m->MarcoActivo()->Lienzo(), Qt::Key_P, Qt::ControlModifier);
    CNodusView::s_dialogoImprimir = anterior;
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray contenido = f.readAll();
    QCOMPARE(contenido.count("/Type /Page\n") + contenido.count("/Type /Page\r") + contenido.count("/Type /Page "), 1);
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
  }

  // Salir asks the standard question for every modified network; Cancel
  // keeps the program running.
  void salirPreguntaPorCadaModificado() {
    CMainFrame* m = Arrancar();
    const QString xorTxt = Ejemplo(QStringLiteral("xor.txt"));
    Nueva(m, xorTxt, xorTxt);
    Nueva(m, xorTxt, xorTxt);
    Nueva(m, xorTxt, xorTxt);
    Doc(m_pApp.get(), 0)->SetModifiedFlag(TRUE);
    Doc(m_pApp.get(), 2)->SetModifiedFlag(TRUE);
    m_pGuion->Respuesta(QStringLiteral("&No"));
    m_pGuion->Respuesta(QStringLiteral("Cancelar"));
    m->EjecutarComando(ID_APP_EXIT);
    QCOMPARE(m_pGuion->Mensajes(), (QStringList{"¿Guardar cambios a Nrv 1?", "¿Guardar cambios a Nrv 3?"}));
    QVERIFY(m->isVisible());
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(3));
    // Saved from the question, a network enters the recent files as a save
    // from the menu does.
    m_pGuion->Limpiar();
    m_pGuion->Respuesta(QStringLiteral("&Sí"));
    m_pGuion->Ventana([&](QDialog* d) { ElegirFichero(d, m_pEntorno->Ruta(QStringLiteral("salida.nrv"))); });
    m_pGuion->Respuesta(QStringLiteral("&No"));
    m->close();
    QCOMPARE(m_pGuion->Mensajes().size(), 2);
    QVERIFY(QFile::exists(m_pEntorno->Ruta(QStringLiteral("salida.nrv"))));
    QCOMPARE(m_pApp->Recientes().Rutas(), QStringList{m_pEntorno->Ruta(QStringLiteral("salida.nrv"))});
    QVERIFY(m_pApp->Plantilla()->Documentos().empty());
    QVERIFY(!m->isVisible());
  }

  // Salir while networks train: each is asked about, then stopped and
  // waited for as it closes.
  void salirMientrasEntrenan() {
    CMainFrame* m = Arrancar();
    QString datos;
    for (int i = 0; i < 20000; ++i) datos += QStringLiteral("%1 %2\n%3\n\n").arg(i & 1).arg((i >> 1) & 1).arg((i ^ (i >> 1)) & 1);
    const QString fichero = m_pEntorno->Ruta(QStringLiteral("grande.txt"));
    QFile f(fichero);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(datos.toUtf8());
    f.close();
    for (int i = 0; i < 2; ++i) {
      m_pGuion->Ventana([&](QDialog* d) {
        Escribir(d, IDC_FICHERO_ENTRENAMIENTO, fichero);
        Escribir(d, IDC_FICHERO_VERIFICACION, fichero);
        Escribir(d, IDC_MAX_EPOCAS, QStringLiteral("400"));
        Escribir(d, IDC_ERROR_MAXIMO, QStringLiteral("0"));
        Pulsar(d, IDOK);
      });
      m->EjecutarComando(ID_FILE_NEW);
      m->EjecutarComando(ID_ENTRENAR);
    }
    QVERIFY(Doc(m_pApp.get(), 0)->m_bEntrenando.load());
    QVERIFY(Doc(m_pApp.get(), 1)->m_bEntrenando.load());
    // The thread marks its network modified as it starts; not waited for here.
    Doc(m_pApp.get(), 0)->SetModifiedFlag(TRUE);
    Doc(m_pApp.get(), 1)->SetModifiedFlag(TRUE);
    m_pGuion->Respuesta(QStringLiteral("&No"));
    m_pGuion->Respuesta(QStringLiteral("&No"));
    m->close();
    QCOMPARE(m_pGuion->Mensajes(), (QStringList{"¿Guardar cambios a Nrv 1?", "¿Guardar cambios a Nrv 2?"}));
    QVERIFY(m_pApp->Plantilla()->Documentos().empty());
    QVERIFY(!m->isVisible());
  }

  // Verificar and its results in the formats of the results dialog.
  void verificar() {
    CMainFrame* m = Arrancar({CopiaIris()});
    const QString datos = Ejemplo(QStringLiteral("iris-test.txt"));
    QString fichero, muestras, aciertos, error;
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Verificar red..."));
      // The file field has the focus, though the template lists OK first:
      // what is typed at once goes into it.
      QCOMPARE(d->focusWidget(), Control(d, IDC_FICHERO_ENTRENAMIENTO));
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, Ejemplo(QStringLiteral("xor.txt")));
      m_pGuion->Ventana([](QDialog* d2) { Cancelar(d2); });  // shown again after the refusal
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_VERIFICAR);
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("Dimensiones Incorrectas del Fichero de Verificación")});
    m_pGuion->Ventana([&](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, datos);
      Pulsar(d, IDOK);
    });
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Resultados de Verificación"));
      fichero = Texto(d, IDC_RES_FICHERO);
      muestras = Texto(d, IDC_RES_MUESTRAS);
      aciertos = Texto(d, IDC_ACIERTOS);
      error = Texto(d, IDC_ERROR_TOTAL);
      Pulsar(d, IDOK);
    });
    m->EjecutarComando(ID_VERIFICAR);
    QCOMPARE(fichero, datos);
    QCOMPARE(muestras, QStringLiteral("50"));
    QVERIFY2(QRegularExpression(QStringLiteral("^ ?\\d{1,3}\\.\\d{4} %$")).match(aciertos).hasMatch(), qPrintable(aciertos));
    QVERIFY(aciertos.size() >= 9);
    QVERIFY2(QRegularExpression(QStringLiteral("^ *\\d+\\.\\d{6}$")).match(error).hasMatch(), qPrintable(error));
    QCOMPARE(error.size() >= 8, true);
  }

  // Both exports through their save dialogs.
  void exportaciones() {
    CMainFrame* m = Arrancar({CopiaIris()});
    m_pGuion->Ventana([&](QDialog* d) {
      auto* fd = qobject_cast<QFileDialog*>(d);
      QCOMPARE(fd->windowTitle(), QStringLiteral("Examinar Archivos"));
      QCOMPARE(fd->nameFilters(), (QStringList{"Ficheros ASCII (*.txt)", "Todos los ficheros (*)"}));
      ElegirFichero(d, m_pEntorno->Ruta(QStringLiteral("historial")));
    });
    m->EjecutarComando(ID_GUARDAR_HISTORIAL);
    QFile h(m_pEntorno->Ruta(QStringLiteral("historial.txt")));
    QVERIFY(h.open(QIODevice::ReadOnly));
    const QByteArray historial = h.readAll();
    QCOMPARE(historial.count("\r\n"), 100);
    QVERIFY(!historial.contains('.'));
    QVERIFY(historial.startsWith("0\t"));

    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Guardar Pesos"));
      ElegirFichero(d, m_pEntorno->Ruta(QStringLiteral("pesos.bin")));
    });
    m->EjecutarComando(ID_GUARDAR_PESOS);
    CNodusDoc* doc = Doc(m_pApp.get(), 0);
    const qint64 esperado = 4 * (qint64(doc->m_nOcultas) * (doc->m_nEntradas + 1) + qint64(doc->m_nSalidas) * (doc->m_nOcultas + 1));
    QCOMPARE(QFileInfo(m_pEntorno->Ruta(QStringLiteral("pesos.bin"))).size(), esperado);
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
  }
};

QTEST_MAIN(PruebaShell)
#include "test_shell.moc"
