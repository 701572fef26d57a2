// The window against hostile data files and failures: a header that
// announces what its file cannot hold, a network too large for the
// machine, a pipe as data file, and an exception that escapes a handler.
// None of them closes the program or touches the other open networks.
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

#include "network/dialogos.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/hostqt.h"
#include "ui/marcos.h"
#include "ui/vista.h"

namespace {

CNodusDoc* Doc(CNodusApp* app, int i) {
  return static_cast<CNodusDoc*>(app->Plantilla()->Documentos().at(static_cast<std::size_t>(i)));
}

QByteArray U32(quint32 v) {
  QByteArray b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

// An object whose events fail as a handler out of memory would.
class CReceptorQueFalla : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::bad_alloc();
    if (e->type() == QEvent::User + 1) AfxThrowArchiveException(CArchiveException::endOfFile);
    return QObject::event(e);
  }
};

// A view whose Verificar fails as one out of memory would.
class CVistaQueFalla : public CNodusView {
 public:
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override {
    if (id == ID_VERIFICAR && pCmdUI == nullptr) AfxThrowMemoryException();
    return CNodusView::OnCmdMsg(id, pCmdUI);
  }
};

}  // namespace

class PruebaFiabilidad : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_pEntorno;
  std::unique_ptr<CGuion> m_pGuion;
  std::unique_ptr<CNodusApp> m_pApp;

  CMainFrame* Arrancar(const QStringList& args = {}) {
    m_pApp = std::make_unique<CNodusApp>();
    if (!m_pApp->InitInstance(args)) return nullptr;
    return m_pApp->m_pMainWnd;
  }
  QString CopiaIris() {
    const QString r = m_pEntorno->Ruta(QStringLiteral("iris.nrv"));
    QFile::copy(Ejemplo(QStringLiteral("iris.nrv")), r);
    QFile(r).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return r;
  }
  QString Escribir(const QString& nombre, const QByteArray& bytes) {
    const QString r = m_pEntorno->Ruta(nombre);
    QFile f(r);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return r;
  }
  // The one network opened at start, as it was.
  void LaRedAbiertaSigueIgual() {
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(1));
    CNodusDoc* d = Doc(m_pApp.get(), 0);
    QCOMPARE(d->m_nEntradas, 4u);
    QCOMPARE(d->m_nEpoca.load(), 100u);
    QVERIFY(!d->IsModified());
  }

 private slots:
  void init() {
    m_pEntorno = std::make_unique<CEntornoPrueba>();
    m_pGuion = std::make_unique<CGuion>();
    CNuevaRedDlg::RestablecerValores();
  }
  void cleanup() {
    if (m_pApp) m_pApp->CloseAllDocuments();
    m_pApp.reset();
    QCOMPARE(m_pGuion->Inesperadas(), QStringList());
    m_pGuion.reset();
    m_pEntorno.reset();
  }

  // 12 bytes announcing 0xFFFFFFFF inputs, or outputs, or 20 000 000
  // inputs, as both files of New: the dialog says it cannot dimension them.
  void nuevaConUnaCabeceraImposible() {
    CMainFrame* m = Arrancar({CopiaIris()});
    QVERIFY(m);
    const QList<QByteArray> cabeceras = {U32(0xFFFFFFFFu) + U32(1) + U32(1), U32(1) + U32(0xFFFFFFFFu) + U32(1),
                                         U32(20000000) + U32(1) + U32(1)};
    for (const QByteArray& c : cabeceras) {
      const QString ruta = Escribir(QStringLiteral("cabecera.bin"), c);
      m_pGuion->Limpiar();
      m_pGuion->Ventana([&](QDialog* d) {
        ::Escribir(d, IDC_FICHERO_ENTRENAMIENTO, ruta);
        ::Escribir(d, IDC_FICHERO_VERIFICACION, ruta);
        Pulsar(d, IDOK);
        QVERIFY(d->isVisible());
        Cancelar(d);
      });
      m->EjecutarComando(ID_FILE_NEW);
      QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral(" No se han podido dimensionar los datos. ")});
      LaRedAbiertaSigueIgual();
    }
  }

  // A whole file of one sample with 2^28 inputs (holes) and 128 hidden
  // neurons: 256 GB of weights. Said, and the dialog comes back.
  void nuevaRedQueNoCabeEnMemoria() {
    CMainFrame* m = Arrancar({CopiaIris()});
    QVERIFY(m);
    const quint32 n = 1u << 28;
    const QString ruta = Escribir(QStringLiteral("ancho.bin"), U32(n) + U32(1) + U32(1));
    QVERIFY(::truncate(QFile::encodeName(ruta).constData(), 12 + off_t(n + 1) * 8) == 0);
    m_pGuion->Ventana([&](QDialog* d) {
      ::Escribir(d, IDC_FICHERO_ENTRENAMIENTO, ruta);
      ::Escribir(d, IDC_FICHERO_VERIFICACION, ruta);
      ::Escribir(d, IDC_OCULTAS, QStringLiteral("128"));
      Pulsar(d, IDOK);
    });
    m_pGuion->Ventana([](QDialog* d) { Cancelar(d); });  // shown again
    m->EjecutarComando(ID_FILE_NEW);
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("Memoria insuficiente.")});
    QCOMPARE(m_pGuion->Dialogos().size(), 2);
    LaRedAbiertaSigueIgual();
  }

  // A pipe as training file: the thread says it cannot open it at once,
  // and Detener does not wait for a writer that never comes.
  void unaTuberiaComoFicheroDeDatos() {
    CMainFrame* m = Arrancar({CopiaIris()});
    QVERIFY(m);
    const QString tuberia = m_pEntorno->Ruta(QStringLiteral("tuberia.txt"));
    const QByteArray nombre = QFile::encodeName(tuberia);
    QVERIFY(::mkfifo(nombre.constData(), 0600) == 0);
    // Should the open wait all the same, a writer comes after a long while.
    std::mutex mutex;
    std::condition_variable cv;
    bool hecho = false, liberado = false;
    std::thread vigilante([&] {
      std::unique_lock<std::mutex> lock(mutex);
      if (cv.wait_for(lock, std::chrono::seconds(20), [&] { return hecho; })) return;
      liberado = true;
      const int fd = ::open(nombre.constData(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    });
    CNodusDoc* doc = Doc(m_pApp.get(), 0);
    doc->m_nEpoca = 0;
    doc->m_nPuntos = 0;
    doc->m_strFicheroEntrenamiento = nombre.toStdString();
    m->EjecutarComando(ID_ENTRENAR);
    QTRY_COMPARE_WITH_TIMEOUT(m_pGuion->Mensajes(), QStringList{QStringLiteral("Error en apertura de fichero. ") + tuberia}, 30000);
    m->EjecutarComando(ID_DETENER);
    QVERIFY(!doc->m_bEntrenando);
    {
      std::lock_guard<std::mutex> lock(mutex);
      hecho = true;
    }
    cv.notify_all();
    vigilante.join();
    QVERIFY(!liberado);
  }

  // An exception that escapes an event handler or a command is reported,
  // and the window and its networks carry on.
  void unaExcepcionNoCierraLaVentana() {
    CMainFrame* m = Arrancar({CopiaIris()});
    QVERIFY(m);
    CReceptorQueFalla receptor;
    QEvent memoria(QEvent::User);
    QCoreApplication::sendEvent(&receptor, &memoria);
    QEvent archivo(static_cast<QEvent::Type>(QEvent::User + 1));
    QCoreApplication::sendEvent(&receptor, &archivo);
    QCOMPARE(m_pGuion->Mensajes(),
             (QStringList{QStringLiteral("Memoria insuficiente."),
                          QStringLiteral("El fichero termina antes de lo esperado: está incompleto o dañado.")}));
    LaRedAbiertaSigueIgual();

    // A command whose handler runs out of memory, from the menu.
    m_pGuion->Limpiar();
    m_pApp->Plantilla()->m_fabricaVista = [] { return std::make_unique<CVistaQueFalla>(); };
    QVERIFY(m_pApp->OpenDocumentFile(Ejemplo(QStringLiteral("iris.nrv")).toStdString()));
    m->EjecutarComando(ID_VERIFICAR);
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("Memoria insuficiente.")});
    QCOMPARE(m_pApp->Plantilla()->Documentos().size(), std::size_t(2));
    QVERIFY(m->isVisible());
  }
};

// The program's own application object, whose event loop is under test.
int main(int argc, char** argv) {
  CAplicacionQt app(argc, argv);
  PruebaFiabilidad prueba;
  return QTest::qExec(&prueba, argc, argv);
}

#include "test_fiabilidad.moc"
