// "C&errar todas": every case of closing all networks, through dialog 139
// and the "Guardar Documento" file dialog on screen.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>

#include "network/dialogos.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/marcos.h"

class PruebaCerrarTodas : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_pEntorno;
  std::unique_ptr<CGuion> m_pGuion;
  std::unique_ptr<CNodusApp> m_pApp;
  CMainFrame* m_pMarco = nullptr;

  std::size_t Abiertos() const { return m_pApp->Plantilla()->Documentos().size(); }
  CNodusDoc* Doc(int i) const {
    return static_cast<CNodusDoc*>(m_pApp->Plantilla()->Documentos().at(static_cast<std::size_t>(i)));
  }
  CNodusDoc* Nueva(const QString& ent = Ejemplo(QStringLiteral("xor.txt")), const QString& epocas = QString()) {
    m_pGuion->Ventana([ent, epocas](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, ent);
      Escribir(d, IDC_FICHERO_VERIFICACION, ent);
      if (!epocas.isEmpty()) {
        Escribir(d, IDC_MAX_EPOCAS, epocas);
        Escribir(d, IDC_ERROR_MAXIMO, QStringLiteral("0"));
      }
      Pulsar(d, IDOK);
    });
    m_pMarco->EjecutarComando(ID_FILE_NEW);
    return Doc(static_cast<int>(Abiertos()) - 1);
  }
  CNodusDoc* AbrirIris(const QString& ruta) {
    QFile::remove(ruta);
    QFile::copy(Ejemplo(QStringLiteral("iris.nrv")), ruta);
    QFile(ruta).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return static_cast<CNodusDoc*>(m_pApp->OpenDocumentFile(ruta.toStdString()));
  }
  // Answers dialog 139 with a button, recording its message.
  void Responder139(int boton, QStringList* mensajes = nullptr) {
    m_pGuion->Ventana([boton, mensajes](QDialog* d) {
      QCOMPARE(d->windowTitle(), QStringLiteral("Cerrar todas"));
      if (mensajes) *mensajes << Texto(d, IDC_MENSAJE);
      Pulsar(d, boton);
    });
  }

 private slots:
  void init() {
    m_pEntorno = std::make_unique<CEntornoPrueba>();
    m_pGuion = std::make_unique<CGuion>();
    CNuevaRedDlg::RestablecerValores();
    m_pApp = std::make_unique<CNodusApp>();
    QVERIFY(m_pApp->InitInstance({}));
    m_pMarco = m_pApp->m_pMainWnd;
  }
  void cleanup() {
    m_pApp->CloseAllDocuments();
    m_pApp.reset();
    QCOMPARE(m_pGuion->Inesperadas(), QStringList());
    QCOMPARE(m_pGuion->PasosPendientes(), 0);
    m_pGuion.reset();
    m_pEntorno.reset();
  }

  void entrenadaYGuardadaSeCierraSinPreguntar() {
    QVERIFY(AbrirIris(m_pEntorno->Ruta(QStringLiteral("iris.nrv"))));
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QCOMPARE(Abiertos(), std::size_t(0));
    QCOMPARE(m_pGuion->Dialogos(), QStringList());
    QCOMPARE(m_pMarco->MenuActual(), UINT(IDR_MAINFRAME));
  }

  // Never trained: asked even though it is not modified; "No" closes it
  // without saving.
  void nuncaEntrenadaPregunta() {
    CNodusDoc* doc = Nueva();
    QVERIFY(!doc->IsModified());
    QStringList mensajes;
    Responder139(IDC_NO, &mensajes);
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QCOMPARE(mensajes, QStringList{QStringLiteral("¿ Guardar cambios en Nrv 1 ?")});
    QCOMPARE(Abiertos(), std::size_t(0));
    QCOMPARE(QDir(m_pEntorno->Ruta(QString())).entryList({"*.nrv"}, QDir::Files), QStringList());
  }

  // Cancel on the first keeps it and the second is still asked about;
  // Escape and the close box are Cancel too.
  void cancelEnLaPrimeraSigueConLaSegunda() {
    Nueva();
    Nueva();
    Nueva();
    QStringList mensajes;
    Responder139(IDCANCEL, &mensajes);
    Responder139(IDC_NO, &mensajes);
    m_pGuion->Ventana([&](QDialog* d) {
      mensajes << Texto(d, IDC_MENSAJE);
      QTest::keyClick(d, Qt::Key_Escape);
    });
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QCOMPARE(mensajes, (QStringList{"¿ Guardar cambios en Nrv 1 ?", "¿ Guardar cambios en Nrv 2 ?",
                                    "¿ Guardar cambios en Nrv 3 ?"}));
    QCOMPARE(Abiertos(), std::size_t(2));
    QCOMPARE(QString::fromStdString(Doc(0)->GetTitle()), QStringLiteral("Nrv 1"));
    QCOMPARE(QString::fromStdString(Doc(1)->GetTitle()), QStringLiteral("Nrv 3"));
    m_pGuion->Ventana([](QDialog* d) { d->close(); });
    Responder139(IDC_NO);
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QCOMPARE(Abiertos(), std::size_t(1));
  }

  // "SI" on a network never saved: the "Guardar Documento" dialog; a name
  // saves it and closes it, Cancel keeps it open.
  void siEnRedNuncaGuardada() {
    Nueva();
    Nueva();
    const QString destino = m_pEntorno->Ruta(QStringLiteral("primera"));
    Responder139(IDOK);
    m_pGuion->Ventana([&](QDialog* d) {
      auto* fd = qobject_cast<QFileDialog*>(d);
      QVERIFY(fd);
      QCOMPARE(fd->windowTitle(), QStringLiteral("Guardar Documento"));
      QCOMPARE(fd->nameFilters(), (QStringList{"Ficheros NRV (*.nrv)", "Todos los ficheros (*)"}));
      QCOMPARE(fd->acceptMode(), QFileDialog::AcceptSave);
      ElegirFichero(d, destino);
    });
    Responder139(IDOK);
    m_pGuion->Ventana([](QDialog* d) { Cancelar(d); });
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QVERIFY(QFile::exists(destino + QStringLiteral(".nrv")));
    QCOMPARE(Abiertos(), std::size_t(1));
    QCOMPARE(QString::fromStdString(Doc(0)->GetTitle()), QStringLiteral("Nrv 2"));
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
    // Among the recent files, as a save from the menu.
    QCOMPARE(m_pApp->Recientes().Rutas(), QStringList{destino + QStringLiteral(".nrv")});

    // The saved file is a network that opens.
    QVERIFY(m_pApp->OpenDocumentFile((destino + QStringLiteral(".nrv")).toStdString()));
    QCOMPARE(Abiertos(), std::size_t(2));
  }

  // "SI" on a modified network with a path saves it in place and closes it;
  // it goes first in the recent files.
  void siEnRedConRutaGuardaEnSuSitio() {
    const QString ruta = m_pEntorno->Ruta(QStringLiteral("iris.nrv"));
    const QString otra = m_pEntorno->Ruta(QStringLiteral("otra.nrv"));
    CNodusDoc* doc = AbrirIris(ruta);
    QVERIFY(doc);
    QVERIFY(AbrirIris(otra));
    QCOMPARE(m_pApp->Recientes().Rutas(), (QStringList{otra, ruta}));
    doc->SetModifiedFlag(TRUE);
    QFile::remove(ruta);
    Responder139(IDOK);
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QCOMPARE(Abiertos(), std::size_t(0));
    QVERIFY(QFile::exists(ruta));
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
    QCOMPARE(m_pApp->Recientes().Rutas(), (QStringList{ruta, otra}));
  }

  // A save that fails is reported and the network stays open.
  void guardadoFallidoLaMantiene() {
    CNodusDoc* nueva = Nueva();
    Responder139(IDOK);
    m_pGuion->Ventana([&](QDialog* d) {
      // A folder that is not there, typed by hand into the name field.
      auto* fd = qobject_cast<QFileDialog*>(d);
      fd->setDirectory(m_pEntorno->Ruta(QString()));
      auto* nombre = fd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(nombre);
      nombre->setText(QStringLiteral("no/existe/red"));
      static_cast<QDialog*>(fd)->accept();
    });
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QCOMPARE(m_pGuion->Mensajes().size(), 1);
    QCOMPARE(Abiertos(), std::size_t(1));
    QCOMPARE(Doc(0), nueva);

    // The same with a path whose folder has gone since it was opened.
    QDir().mkpath(m_pEntorno->Ruta(QStringLiteral("sub")));
    CNodusDoc* abierta = AbrirIris(m_pEntorno->Ruta(QStringLiteral("sub/iris.nrv")));
    QVERIFY(abierta);
    abierta->SetModifiedFlag(TRUE);
    QVERIFY(QDir(m_pEntorno->Ruta(QStringLiteral("sub"))).removeRecursively());
    m_pGuion->Limpiar();
    Responder139(IDC_NO);  // the new network: closed
    Responder139(IDOK);    // the opened one: its save fails
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QCOMPARE(m_pGuion->Mensajes().size(), 1);
    QCOMPARE(Abiertos(), std::size_t(1));
    QCOMPARE(Doc(0), abierta);
  }

  // A network that trains is stopped, and waited for, before its question.
  void mientrasEntrenaLaDetienePrimero() {
    QString datos;
    for (int i = 0; i < 20000; ++i) datos += QStringLiteral("%1 %2\n%3\n\n").arg(i & 1).arg((i >> 1) & 1).arg(((i ^ (i >> 1)) & 1));
    const QString fichero = m_pEntorno->Ruta(QStringLiteral("grande.txt"));
    QFile f(fichero);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(datos.toUtf8());
    f.close();
    CNodusDoc* doc = Nueva(fichero, QStringLiteral("400"));
    m_pMarco->EjecutarComando(ID_ENTRENAR);
    QVERIFY(doc->m_bEntrenando.load());
    bool parada = false;
    m_pGuion->Ventana([&](QDialog* d) {
      parada = !doc->m_bEntrenando.load() && !doc->m_pHilo;
      Pulsar(d, IDC_NO);
    });
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QVERIFY(parada);
    QCOMPARE(Abiertos(), std::size_t(0));
  }
};

QTEST_MAIN(PruebaCerrarTodas)
#include "test_cerrar_todas.moc"
