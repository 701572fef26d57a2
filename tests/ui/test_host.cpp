// The Qt host of the framework: dialogs built from their templates, data
// exchange through the widgets, message boxes, file dialogs and the
// user-interface queue served by the Qt event loop.
#include <QCheckBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <fstream>
#include <thread>

#include "framework/hilos.h"
#include "framework/mensajes.h"
#include "framework/texto.h"
#include "network/dialogos.h"
#include "resources/recursos.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/hostqt.h"

namespace {

// Receives posted messages and ends a local event loop when one arrives.
class CVentanaEco : public CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM) override {
    recibidos.push_back(message);
    enHiloUi = enHiloUi && AfxIsUiThread();
    if (wParam == 1 && bucle) bucle->quit();
    return 0;
  }
  std::vector<UINT> recibidos;
  bool enHiloUi = true;
  QEventLoop* bucle = nullptr;
};

}  // namespace

class PruebaHost : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_pEntorno = std::make_unique<CEntornoPrueba>();
    m_pHost = std::make_unique<CHostQt>();
    m_pGuion = std::make_unique<CGuion>();
    CNuevaRedDlg::RestablecerValores();
  }
  void cleanup() {
    QCOMPARE(m_pGuion->Inesperadas(), QStringList());
    m_pGuion.reset();
    m_pHost.reset();
    m_pEntorno.reset();
  }

  // Every control where its template puts it, in dialog units of the
  // sans-serif at 8 points; the dialog's size too.
  void controlesEnSuSitio() {
    const PlantillaDialogo* p = AfxBuscarPlantilla(IDD_NUEVA_RED);
    QVERIFY(p);
    const QFont fuente = FuenteDialogo();
    QCOMPARE(QFontInfo(fuente).pointSize(), 8);
    const UnidadesBase b = UnidadesDialogo(fuente);
    const QFontMetrics fm(fuente);
    QCOMPARE(b.x, qRound(fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0));
    QCOMPARE(b.y, fm.height());
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Nuevo NRV: Datos de entrenamiento"));
      QCOMPARE(d->size(), QSize(qRound(415 * b.x / 4.0), qRound(157 * b.y / 8.0)));
      for (const ControlPlantilla& c : p->controles) {
        if (c.id == IDC_STATIC) continue;
        QWidget* w = Control(d, c.id);
        QVERIFY2(w, qPrintable(QString::number(c.id)));
        QCOMPARE(w->pos(), QPoint(qRound(c.x * b.x / 4.0), qRound(c.y * b.y / 8.0)));
        QCOMPARE(w->size(), QSize(qRound(c.w * b.x / 4.0), qRound(c.h * b.y / 8.0)));
      }
      // The labels show their texts whole: none is wider than its place.
      for (QLabel* l : d->findChildren<QLabel*>())
        if (!l->text().isEmpty())
          QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->width(), qPrintable(l->text()));
      QVERIFY(qobject_cast<QPushButton*>(Control(d, IDOK))->isDefault());
      QCOMPARE(qobject_cast<QLineEdit*>(Control(d, IDC_OCULTAS))->alignment() & Qt::AlignHorizontal_Mask,
               Qt::AlignRight);
      Pulsar(d, IDCANCEL);
    });
    CNuevaRedDlg dlg;
    QCOMPARE(dlg.DoModal(), INT_PTR(IDCANCEL));
  }

  // No text of any dialog is cut, and every control lies inside its dialog.
  void ningunTextoCortado_data() {
    QTest::addColumn<int>("plantilla");
    for (int id : {IDD_ACERCADE, IDD_NUEVA_RED, IDD_RESULTADOS, IDD_VERIFICAR, IDD_GUARDAR_CAMBIOS, IDD_IMPORTAR,
                   IDD_APLICAR, IDD_MATRIZ, IDD_RESULTADOS_MATRIZ, IDD_FICHEROS_DATOS})
      QTest::newRow(qPrintable(QString::number(id))) << id;
  }
  void ningunTextoCortado() {
    QFETCH(int, plantilla);
    m_pGuion->Ventana([](QDialog* d) {
      for (QWidget* w : d->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^ctl")))) {
        QVERIFY2(QRect(QPoint(0, 0), d->size()).contains(w->geometry()), qPrintable(w->objectName()));
        QString texto;
        if (auto* l = qobject_cast<QLabel*>(w)) texto = l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texto = b->text();
        if (texto.isEmpty()) continue;
        const int margen = qobject_cast<QAbstractButton*>(w) ? 4 : 0;
        QVERIFY2(w->fontMetrics().horizontalAdvance(texto) + margen <= w->width(), qPrintable(texto));
        QVERIFY2(w->fontMetrics().height() <= w->height() + 2, qPrintable(texto));
      }
      d->reject();
    });
    CDialog dlg(static_cast<UINT>(plantilla));
    dlg.DoModal();
    QCOMPARE(m_pGuion->Dialogos().size(), 1);
  }

  // Tab walks the controls in the template's order, from the first.
  void ordenDeTabulacion() {
    m_pGuion->Ventana([](QDialog* d) {
      QCOMPARE(d->focusWidget(), Control(d, IDC_FICHERO_ENTRENAMIENTO));
      const QList<int> esperado = {IDC_FICHERO_ENTRENAMIENTO, IDC_EXAMINAR_ENTRENAMIENTO, IDC_FICHERO_VERIFICACION,
                                   IDC_EXAMINAR_VERIFICACION, IDC_OCULTAS, IDC_ERROR_MAXIMO, IDC_MAX_EPOCAS,
                                   IDC_APRENDIZAJE, IDC_MOMENTO, IDOK, IDCANCEL, IDC_GUARDAR_VALORES};
      QList<int> visto;
      QWidget* w = Control(d, IDC_FICHERO_ENTRENAMIENTO);
      for (int i = 0; i < esperado.size(); ++i) {
        visto << w->property("nrvId").toInt();
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || !w->property("nrvId").isValid()) w = w->nextInFocusChain();
      }
      QCOMPARE(visto, esperado);
      d->reject();
    });
    CNuevaRedDlg dlg;
    dlg.DoModal();
  }

  // The defaults show with a point whatever the locale; typed values reach
  // the dialog's members through its own exchange.
  void intercambioDeDatos() {
    const QString ent = Ejemplo(QStringLiteral("xor.txt"));
    m_pGuion->Ventana([&](QDialog* d) {
      QCOMPARE(Texto(d, IDC_OCULTAS), QStringLiteral("40"));
      QCOMPARE(Texto(d, IDC_APRENDIZAJE), QStringLiteral("0.1"));
      QCOMPARE(Texto(d, IDC_MOMENTO), QStringLiteral("0.9"));
      QCOMPARE(Texto(d, IDC_ERROR_MAXIMO), QStringLiteral("0.7"));
      QCOMPARE(Texto(d, IDC_MAX_EPOCAS), QStringLiteral("100"));
      QCOMPARE(Texto(d, IDC_FICHERO_ENTRENAMIENTO), QString());
      QVERIFY(!qobject_cast<QCheckBox*>(Control(d, IDC_GUARDAR_VALORES))->isChecked());
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, ent);
      Escribir(d, IDC_FICHERO_VERIFICACION, ent);
      Escribir(d, IDC_OCULTAS, QStringLiteral("7"));
      Escribir(d, IDC_APRENDIZAJE, QStringLiteral("0.25"));
      Pulsar(d, IDC_GUARDAR_VALORES);
      Pulsar(d, IDOK);
    });
    CNuevaRedDlg dlg;
    QCOMPARE(dlg.DoModal(), INT_PTR(IDOK));
    QCOMPARE(dlg.m_nOcultas, 7u);
    QCOMPARE(dlg.m_dAprendizaje, 0.25);
    QCOMPARE(QString::fromStdString(dlg.m_strFicheroEntrenamiento), ent);
    QCOMPARE(dlg.m_bGuardarValores, TRUE);
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
  }

  // A refused value: its message, the dialog still open, the focus and the
  // selection on the offending control.
  void validacionFallidaDejaElDialogoAbierto() {
    m_pGuion->Ventana([](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, Ejemplo(QStringLiteral("xor.txt")));
      Escribir(d, IDC_APRENDIZAJE, QStringLiteral("0,5"));
      Pulsar(d, IDOK);
      QVERIFY(d->isVisible());
      auto* e = qobject_cast<QLineEdit*>(Control(d, IDC_APRENDIZAJE));
      QCOMPARE(d->focusWidget(), e);
      QCOMPARE(e->selectedText(), QStringLiteral("0,5"));
      QCOMPARE(e->text(), QStringLiteral("0,5"));  // nothing reformatted
      Pulsar(d, IDCANCEL);
    });
    CNuevaRedDlg dlg;
    QCOMPARE(dlg.DoModal(), INT_PTR(IDCANCEL));
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("Introduzca un número.")});
    QCOMPARE(m_pGuion->Titulos(), QStringList{QStringLiteral("nrv")});
    QCOMPARE(m_pGuion->Iconos(), QList<int>{QMessageBox::Warning});
  }

  // Escape and the close box are the dialog's Cancel.
  void escapeYCierreSonCancel() {
    m_pGuion->Ventana([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    m_pGuion->Ventana([](QDialog* d) { d->close(); });
    CGuardarCambiosDlg dlg;
    QCOMPARE(dlg.DoModal(), INT_PTR(IDCANCEL));
    QCOMPARE(dlg.DoModal(), INT_PTR(IDCANCEL));
    m_pGuion->Ventana([](QDialog* d) { Pulsar(d, IDC_NO); });
    QCOMPARE(dlg.DoModal(), INT_PTR(IDC_NO));
  }

  // The dialog's own code changes its model and the widgets follow:
  // "Examinar..." cancelled puts the stored path back into the box.
  void elModeloActualizaLosControles() {
    m_pGuion->Ventana([this](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, QStringLiteral("escrito/a/mano.txt"));
      m_pGuion->Ventana([](QDialog* fd) { Cancelar(fd); });
      Pulsar(d, IDC_EXAMINAR);
      QCOMPARE(Texto(d, IDC_FICHERO_ENTRENAMIENTO), QString());
      const QString elegido = Ejemplo(QStringLiteral("iris-test.txt"));
      m_pGuion->Ventana([elegido](QDialog* fd) { ElegirFichero(fd, elegido); });
      Pulsar(d, IDC_EXAMINAR);
      QCOMPARE(Texto(d, IDC_FICHERO_ENTRENAMIENTO), elegido);
      Pulsar(d, IDOK);
    });
    CVerificarDlg dlg;
    QCOMPARE(dlg.DoModal(), INT_PTR(IDOK));
    QCOMPARE(QString::fromStdString(dlg.m_strFichero), Ejemplo(QStringLiteral("iris-test.txt")));
  }

  // The message of dialog 139 reaches its static when it opens.
  void textoDeDialogoDesdeSuMiembro() {
    m_pGuion->Ventana([](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Cerrar todas"));
      QCOMPARE(Texto(d, IDC_MENSAJE), QStringLiteral("¿ Guardar cambios en Nrv 1 ?"));
      QCOMPARE(Texto(d, IDOK), QStringLiteral("SI"));
      Pulsar(d, IDOK);
    });
    CGuardarCambiosDlg dlg;
    dlg.m_strMensaje = "¿ Guardar cambios en Nrv 1 ?";
    QCOMPARE(dlg.DoModal(), INT_PTR(IDOK));
  }

  void mensajes() {
    m_pGuion->Respuesta(QStringLiteral("&No"));
    QCOMPARE(AfxMessageBox("¿Guardar cambios a Nrv 1?", MB_YESNOCANCEL | MB_ICONEXCLAMATION), IDNO);
    m_pGuion->Respuesta(QStringLiteral("&Sí"));
    QCOMPARE(AfxMessageBox("¿Guardar cambios a Nrv 1?", MB_YESNOCANCEL | MB_ICONEXCLAMATION), IDYES);
    m_pGuion->Respuesta(QString());  // Escape
    QCOMPARE(AfxMessageBox("¿Guardar cambios a Nrv 1?", MB_YESNOCANCEL | MB_ICONEXCLAMATION), IDCANCEL);
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    QCOMPARE(AfxMessageBox(" Dimensiones incorrectas. ", MB_ICONEXCLAMATION), IDOK);
    QCOMPARE(AfxMessageBox("Terminado entrenamiento"), IDOK);  // Escape on a lone OK
    QCOMPARE(m_pGuion->Mensajes().at(3), QStringLiteral(" Dimensiones incorrectas. "));  // blanks kept
    QCOMPARE(m_pGuion->Titulos(), QStringList(5, QStringLiteral("nrv")));
    QCOMPARE(m_pGuion->Iconos().back(), int(QMessageBox::NoIcon));
  }

  // A box asked for by a worker thread is shown by the event loop.
  void mensajeDeUnHiloDeTrabajo() {
    QEventLoop bucle;
    std::atomic<int> r{0};
    m_pGuion->Respuesta(QStringLiteral("Aceptar"));
    std::thread hilo([&] {
      r = AfxMessageBox("Error en apertura de fichero.");
      AfxPostToUi([&] { bucle.quit(); });
    });
    bucle.exec();
    hilo.join();
    QCOMPARE(r.load(), IDOK);
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("Error en apertura de fichero.")});
  }

  // Posted messages arrive in order on the user-interface thread, through
  // the Qt event loop; those for a window that is gone are dropped.
  void mensajesPostadosEnElHiloUi() {
    QEventLoop bucle;
    auto ventana = std::make_unique<CVentanaEco>();
    ventana->bucle = &bucle;
    auto muerta = std::make_unique<CVentanaEco>();
    const HWND h = ventana->GetSafeHwnd();
    const HWND hMuerta = muerta->GetSafeHwnd();
    muerta.reset();
    std::thread hilo([h, hMuerta] {
      PostMessage(hMuerta, WM_ACTUALIZAR, 0, 0);
      for (int i = 0; i < 50; ++i) PostMessage(h, WM_ACTUALIZAR, 0, 0);
      PostMessage(h, WM_FIN_ENTRENAMIENTO, 1, 0);
    });
    bucle.exec();
    hilo.join();
    QCOMPARE(ventana->recibidos.size(), std::size_t(51));
    QCOMPARE(ventana->recibidos.back(), UINT(WM_FIN_ENTRENAMIENTO));
    QVERIFY(ventana->enHiloUi);
  }

  // A worker thread's end reaches the user-interface thread by itself, after
  // everything the thread posted has run and with its exit code readable.
  void finDeUnHiloDeTrabajo() {
    CVentanaEco ventana;
    struct Contexto {
      HWND h;
    } contexto{ventana.GetSafeHwnd()};
    std::shared_ptr<CEstadoHilo> estado;
    std::vector<std::size_t> vistos;
    std::vector<DWORD> codigos;
    QEventLoop bucle;
    connect(m_pHost.get(), &CHostQt::hiloTerminado, &bucle, [&] {
      vistos.push_back(ventana.recibidos.size());
      codigos.push_back(estado->CodigoSalida());
      bucle.quit();
    });
    auto hilo = AfxBeginThread(
        [](void* p) -> UINT {
          const HWND h = static_cast<Contexto*>(p)->h;
          for (int i = 0; i < 3; ++i) PostMessage(h, WM_ACTUALIZAR, 0, 0);
          return 5;
        },
        &contexto, THREAD_PRIORITY_LOWEST);
    QVERIFY(hilo);
    estado = hilo->m_pEstado;
    hilo.reset();
    bucle.exec();
    QCOMPARE(vistos, std::vector<std::size_t>{3});
    QCOMPARE(codigos, std::vector<DWORD>{5u});
  }

  // The images are found inside the program: icons 128, 129, 141 and
  // every toolbar button.
  void iconos() {
    for (UINT id : {IDR_MAINFRAME, IDR_NRVTYPE, IDI_PREGUNTA}) {
      const QPixmap p = IconoRecurso(id).pixmap(32, 32);
      QVERIFY2(!p.isNull(), qPrintable(QString::number(id)));
      QVERIFY(p.toImage().pixelColor(16, 16).alpha() > 0);  // something is drawn
    }
    for (const BotonBarra& b : AfxBarraHerramientas(IDR_MAINFRAME))
      if (b.id != 0) QVERIFY2(!ImagenBarra(b.imagen).pixmap(16, 15).isNull(), b.imagen);
  }

  void filtrosDeFichero() {
    QCOMPARE(FiltroQt({"Ficheros ASCII (*.txt;*.dat)", "*.txt;*.dat"}), QStringLiteral("Ficheros ASCII (*.txt *.dat)"));
    QCOMPARE(FiltroQt({"Ficheros Binarios (*.ie3;*.bin)", "*.ie3;*.bin"}),
             QStringLiteral("Ficheros Binarios (*.ie3 *.bin)"));
    QCOMPARE(FiltroQt({"Todos los ficheros (*.*)", "*.*"}), QStringLiteral("Todos los ficheros (*)"));
    QCOMPARE(FiltroQt({"NRV Files (*.nrv)", "*.nrv"}), QStringLiteral("NRV Files (*.nrv)"));
  }

  // Title, filters in order, the default extension added to a bare name,
  // and the question before replacing a file.
  void dialogoDeFichero() {
    const QString destino = m_pEntorno->Ruta(QStringLiteral("pesos"));
    m_pGuion->Ventana([&](QDialog* d) {
      auto* fd = qobject_cast<QFileDialog*>(d);
      QVERIFY(fd);
      QCOMPARE(fd->windowTitle(), QStringLiteral("Guardar Pesos"));
      QCOMPARE(fd->nameFilters(), (QStringList{QStringLiteral("Ficheros ASCII (*.txt *.dat)"),
                                               QStringLiteral("Ficheros Binarios (*.ie3 *.bin)"),
                                               QStringLiteral("Todos los ficheros (*)")}));
      QCOMPARE(fd->selectedNameFilter(), QStringLiteral("Ficheros ASCII (*.txt *.dat)"));
      QCOMPARE(fd->acceptMode(), QFileDialog::AcceptSave);
      QVERIFY(fd->testOption(QFileDialog::DontUseNativeDialog));
      ElegirFichero(fd, destino);
    });
    CFileDialog dlg(FALSE, "txt", CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    {{"Ficheros ASCII (*.txt;*.dat)", "*.txt;*.dat"},
                     {"Ficheros Binarios (*.ie3;*.bin)", "*.ie3;*.bin"},
                     {"Todos los ficheros (*.*)", "*.*"}},
                    "Guardar Pesos");
    QCOMPARE(dlg.DoModal(), INT_PTR(IDOK));
    QCOMPARE(QString::fromStdString(dlg.GetPathName()), destino + QStringLiteral(".txt"));
    QCOMPARE(m_pGuion->Mensajes(), QStringList());

    // The file exists now: "No" goes back to the dialog, "Sí" replaces.
    std::ofstream(destino.toStdString() + ".txt") << "x";
    m_pGuion->Ventana([&](QDialog* d) { ElegirFichero(d, destino + QStringLiteral(".txt")); });
    m_pGuion->Respuesta(QStringLiteral("&No"));
    m_pGuion->Ventana([&](QDialog* d) { ElegirFichero(d, destino + QStringLiteral(".txt")); });
    m_pGuion->Respuesta(QStringLiteral("&Sí"));
    QCOMPARE(dlg.DoModal(), INT_PTR(IDOK));
    QCOMPARE(m_pGuion->Mensajes().size(), 2);
    QVERIFY(m_pGuion->Mensajes().at(0).endsWith(QStringLiteral("ya existe.\n¿Desea reemplazarlo?")));

    // Cancel leaves the path untouched.
    m_pGuion->Ventana([](QDialog* d) { Cancelar(d); });
    CFileDialog otro(TRUE, CString(), CString(), OFN_HIDEREADONLY, {{"Todos los ficheros (*.*)", "*.*"}},
                     "Examinar Archivos");
    QCOMPARE(otro.DoModal(), INT_PTR(IDCANCEL));
    QCOMPARE(otro.GetPathName(), CString());
  }

 private:
  std::unique_ptr<CEntornoPrueba> m_pEntorno;
  std::unique_ptr<CHostQt> m_pHost;
  std::unique_ptr<CGuion> m_pGuion;
};

QTEST_MAIN(PruebaHost)
#include "test_host.moc"
