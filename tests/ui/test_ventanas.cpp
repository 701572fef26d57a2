// The workbench's windows on a desktop: child windows that stay inside the
// area whatever the forms' and the main window's sizes, Cascada and Mosaico
// that leave the main window alone, children made while one is maximized,
// the main title, the MDI keys, the lock-key panes, the training pane, and
// the end-of-training box in its network's window.
#include <QFile>
#include <QMdiArea>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <random>

#include "framework/texto.h"
#include "framework/ventana.h"
#include "network/dialogos.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "tests/ui/support/guion.h"
#include "ui/aplicacion.h"
#include "ui/marcos.h"
#include "ui/vista.h"

namespace {

// A training set whose epochs take a while: 64 inputs, 10 outputs.
QString FicheroGrande(const QString& ruta, int muestras) {
  QFile f(ruta);
  if (!f.open(QIODevice::WriteOnly)) return QString();
  std::mt19937 g(11);
  std::uniform_int_distribution<int> d(0, 1000);
  QByteArray texto;
  for (int m = 0; m < muestras; ++m) {
    for (int i = 0; i < 64; ++i) texto += QByteArray(FormatC("%s%.3f", i ? " " : "", d(g) / 1000.0).c_str());
    texto += "\n";
    for (int o = 0; o < 10; ++o) texto += (o ? " " : "") + QByteArray(o == m % 10 ? "1" : "0");
    texto += "\n\n";
  }
  f.write(texto);
  return ruta;
}

QRect Geometria(QMdiSubWindow* w) { return w->geometry(); }

}  // namespace

class PruebaVentanas : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CEntornoPrueba> m_pEntorno;
  std::unique_ptr<CGuion> m_pGuion;
  std::unique_ptr<CNodusApp> m_pApp;
  CMainFrame* m_pMarco = nullptr;

  CNodusDoc* Doc(int i) const {
    return static_cast<CNodusDoc*>(m_pApp->Plantilla()->Documentos().at(static_cast<std::size_t>(i)));
  }
  CChildFrame* MarcoDe(int i) const { return m_pApp->Plantilla()->MarcoDe(Doc(i)); }
  int Abiertos() const { return static_cast<int>(m_pApp->Plantilla()->Documentos().size()); }
  QRect Area() const { return m_pMarco->AreaMdi()->viewport()->rect(); }
  // The main title as the desktop shows it (Qt's "[*]" resolved).
  QString TituloVisto() const { return m_pMarco->windowHandle()->title(); }

  // Opens a copy of the example network under a name of its own.
  CChildFrame* AbrirIris(int n) {
    const QString ruta = m_pEntorno->Ruta(QStringLiteral("red%1.nrv").arg(n));
    QFile::remove(ruta);
    QFile::copy(Ejemplo(QStringLiteral("iris.nrv")), ruta);
    QFile(ruta).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    CDocument* d = m_pApp->OpenDocumentFile(ruta.toStdString());
    return d ? m_pApp->Plantilla()->MarcoDe(d) : nullptr;
  }
  // Nuevo through dialog 130.
  CChildFrame* Nueva(const QString& datos = Ejemplo(QStringLiteral("xor.txt")), const QString& epocas = QStringLiteral("100")) {
    m_pGuion->Ventana([datos, epocas](QDialog* d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, datos);
      Escribir(d, IDC_FICHERO_VERIFICACION, datos);
      Escribir(d, IDC_MAX_EPOCAS, epocas);
      Escribir(d, IDC_ERROR_MAXIMO, QStringLiteral("0"));
      Pulsar(d, IDOK);
    });
    m_pMarco->EjecutarComando(ID_FILE_NEW);
    return m_pMarco->MarcoActivo();
  }
  // Every child window wholly inside the area.
  void TodosDentro() {
    for (QMdiSubWindow* w : m_pMarco->AreaMdi()->subWindowList())
      QVERIFY2(Area().contains(Geometria(w)),
               qPrintable(QStringLiteral("%1 outside %2").arg(QVariant(Geometria(w)).toString(), QVariant(Area()).toString())));
  }
  // The main window has the keyboard again (the test platform does not give
  // it back when a dialog closes).
  void Activar() {
    m_pMarco->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_pMarco));
  }
  void Mostrar(QSize tam) {
    m_pMarco->resize(tam);
    m_pMarco->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pMarco));
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
    for (CDocument* d : m_pApp->Plantilla()->Documentos()) d->SetModifiedFlag(FALSE);
    m_pApp.reset();
    QCOMPARE(m_pGuion->Inesperadas(), QStringList());
    m_pGuion.reset();
    m_pEntorno.reset();
  }

  // Mosaico and Cascada with forms larger than their share of the area:
  // the main window keeps its geometry, normal or maximized, and every
  // child stays inside the area.
  void mosaicoYCascadaNoCambianElMarco_data() {
    QTest::addColumn<int>("redes");
    QTest::addColumn<bool>("maximizado");
    QTest::newRow("dos") << 2 << false;
    QTest::newRow("seis") << 6 << false;
    QTest::newRow("seis, maximizado") << 6 << true;
  }
  void mosaicoYCascadaNoCambianElMarco() {
    QFETCH(int, redes);
    QFETCH(bool, maximizado);
    Mostrar(QSize(900, 640));
    if (maximizado) {
      m_pMarco->showMaximized();
      QTRY_VERIFY(m_pMarco->isMaximized());
    }
    for (int i = 0; i < redes; ++i) QVERIFY(AbrirIris(i));
    QCoreApplication::processEvents();
    const QRect antes = m_pMarco->geometry();
    for (UINT orden : {ID_WINDOW_TILE_HORZ, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ}) {
      m_pMarco->EjecutarComando(orden);
      QCoreApplication::processEvents();
      QCOMPARE(m_pMarco->geometry(), antes);
      TodosDentro();
      if (QTest::currentTestFailed()) return;
    }
    // The tiles cover the area without overlapping.
    m_pMarco->EjecutarComando(ID_WINDOW_TILE_HORZ);
    const auto hijos = m_pMarco->AreaMdi()->subWindowList();
    int superficie = 0;
    for (int i = 0; i < hijos.size(); ++i) {
      superficie += hijos[i]->width() * hijos[i]->height();
      for (int j = i + 1; j < hijos.size(); ++j) QVERIFY(!Geometria(hijos[i]).intersects(Geometria(hijos[j])));
    }
    QCOMPARE(superficie, Area().width() * Area().height());
    // A cascade starts at the corner, the active window on top.
    m_pMarco->EjecutarComando(ID_WINDOW_CASCADE);
    const auto pila = m_pMarco->AreaMdi()->subWindowList(QMdiArea::StackingOrder);
    QCOMPARE(pila.last(), m_pMarco->MarcoActivo());
    QCOMPARE(m_pMarco->AreaMdi()->subWindowList(QMdiArea::CreationOrder).front()->pos(), QPoint(0, 0));
  }

  // Ten networks in a row: each inside the area, one title-bar height from
  // the one before, or back at the corner.
  void diezRedesDentroDelArea() {
    Mostrar(QSize(1000, 700));
    QPoint anterior(-1, -1);
    int paso = 0;
    for (int i = 0; i < 10; ++i) {
      CChildFrame* m = AbrirIris(i);
      QVERIFY(m);
      QVERIFY(m->isVisible());
      QCOMPARE(m_pMarco->MarcoActivo(), m);
      QVERIFY2(Area().contains(m->geometry()), qPrintable(QString::number(i)));
      const QPoint p = m->pos();
      if (i == 0) {
        QCOMPARE(p, QPoint(0, 0));
      } else if (p != QPoint(0, 0)) {
        if (paso == 0) paso = p.x() - anterior.x();
        QVERIFY(paso > 10);
        QCOMPARE(p, anterior + QPoint(paso, paso));
      }
      anterior = p;
    }
    TodosDentro();
  }

  // A main window smaller than a form: the child fits the area and scrolls
  // to reach every control; a large child shows the form at its top-left.
  void hijoMasPequenoQueSuFormulario() {
    Mostrar(QSize(600, 420));
    CChildFrame* m = AbrirIris(1);
    QVERIFY(m);
    QCoreApplication::processEvents();
    QVERIFY(Area().contains(m->geometry()));
    QScrollArea* s = m->Desplazamiento();
    QVERIFY(s->horizontalScrollBar()->isVisible());
    QVERIFY(s->verticalScrollBar()->isVisible());
    // The controls keep their template places inside the form.
    QWidget* entrenar = Control(m->Lienzo(), ID_ENTRENAR);
    const QRect enForma = entrenar->geometry();
    s->ensureWidgetVisible(entrenar);
    QVERIFY(s->viewport()->rect().contains(QRect(entrenar->mapTo(s->viewport(), QPoint(0, 0)), entrenar->size())));
    QCOMPARE(entrenar->geometry(), enForma);

    m->showMaximized();
    m_pMarco->resize(1400, 1000);
    QCoreApplication::processEvents();
    QVERIFY(!s->horizontalScrollBar()->isVisible());
    QVERIFY(!s->verticalScrollBar()->isVisible());
    QCOMPARE(m->Lienzo()->pos(), QPoint(0, 0));
  }

  // A network made or opened while the active child is maximized opens
  // maximized, over the whole area, with its form drawn.
  void nuevaConHijoMaximizado() {
    Mostrar(QSize(900, 640));
    CChildFrame* primero = AbrirIris(1);
    primero->showMaximized();
    QCoreApplication::processEvents();
    for (int i = 0; i < 2; ++i) {
      CChildFrame* m = i == 0 ? Nueva() : AbrirIris(2);
      QVERIFY(m != primero);
      QCoreApplication::processEvents();
      QCOMPARE(m_pMarco->MarcoActivo(), m);
      QVERIFY(m->isMaximized());
      QCOMPARE(m->geometry(), Area());
      QVERIFY(m->Lienzo()->isVisible());
      QCOMPARE(m->Desplazamiento()->size(), m->contentsRect().size());
      // The form is on screen where it belongs: the main window's picture
      // shows the form's own pixels there.
      QWidget* etiqueta = Control(m->Lienzo(), IDC_ESTRUCTURA);
      const QImage principal = m_pMarco->grab().toImage();
      const QImage propia = m->Lienzo()->grab().toImage();
      const QPoint enPrincipal = etiqueta->mapTo(m_pMarco, QPoint(4, 4));
      const QPoint enForma = etiqueta->mapTo(m->Lienzo(), QPoint(4, 4));
      const qreal r = principal.devicePixelRatio();
      QCOMPARE(principal.pixel((QPointF(enPrincipal) * r).toPoint()), propia.pixel((QPointF(enForma) * r).toPoint()));
      QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [%1]").arg(m->Titulo()));
    }
    // Restored, it keeps the normal place it was given, inside the area.
    m_pMarco->MarcoActivo()->showNormal();
    QVERIFY(Area().contains(m_pMarco->MarcoActivo()->geometry()));
    QVERIFY(m_pMarco->MarcoActivo()->width() < Area().width() || m_pMarco->MarcoActivo()->height() < Area().height());
  }

  // The framework's rule for the main title, and the unsaved mark: the
  // child's, or the main title's while the child fills the area; closing a
  // maximized child leaves the next one maximized.
  void tituloPrincipal() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral("setWindowModified")));
    Mostrar(QSize(900, 640));
    CChildFrame* m = Nueva();
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - Nrv 1"));
    m->showMaximized();
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [Nrv 1]"));
    m->showNormal();
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - Nrv 1"));
    m->showMaximized();
    CChildFrame* otro = Nueva();
    QVERIFY(otro->isMaximized());
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [Nrv 2]"));
    m_pMarco->ActivarMarco(m);
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [Nrv 1]"));

    // Modified and maximized: the main title carries the mark.
    Doc(0)->SetModifiedFlag(TRUE);
    m_pMarco->ActualizarInterfaz();
    QVERIFY(m->isWindowModified());
    QCOMPARE(m->windowTitle(), QStringLiteral("Nrv 1[*]"));
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [Nrv 1*]"));
    QVERIFY(!otro->isWindowModified());
    m_pMarco->ActivarMarco(otro);
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [Nrv 2]"));
    m_pMarco->ActivarMarco(m);
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [Nrv 1*]"));
    // Restored, its own title bar shows it again, the main title does not.
    m->showNormal();
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - Nrv 1"));
    m->showMaximized();
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [Nrv 1*]"));
    Doc(0)->SetModifiedFlag(FALSE);
    m_pMarco->ActualizarInterfaz();
    QVERIFY(!m->isWindowModified());
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [Nrv 1]"));

    // Closed while maximized, the next network stays maximized.
    Nueva();
    QCOMPARE(Abiertos(), 3);
    m_pMarco->ActivarMarco(m);
    m_pMarco->EjecutarComando(ID_FILE_CLOSE);
    QCOMPARE(Abiertos(), 2);
    QCoreApplication::processEvents();
    QVERIFY(m_pMarco->MarcoActivo() != nullptr);
    QVERIFY(m_pMarco->MarcoActivo()->isMaximized());
    QCOMPARE(m_pMarco->MarcoActivo()->geometry(), Area());
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa - [%1]").arg(m_pMarco->MarcoActivo()->Titulo()));

    m_pGuion->Ventana([](QDialog* d) { Pulsar(d, IDC_NO); });
    m_pGuion->Ventana([](QDialog* d) { Pulsar(d, IDC_NO); });
    m_pMarco->EjecutarComando(ID_CERRAR_TODAS);
    QCOMPARE(Abiertos(), 0);
    QCOMPARE(TituloVisto(), QStringLiteral("Perceptrón Multicapa"));
  }

  // Ctrl+F6 and Ctrl+Shift+F6 step through the children, Ctrl+Tab too
  // wherever the focus is; Ctrl+F4 closes the active one with the
  // framework's question.
  void teclasDeVentana() {
    Mostrar(QSize(900, 640));
    CChildFrame* a = AbrirIris(1);
    CChildFrame* b = AbrirIris(2);
    CChildFrame* c = Nueva();
    QCOMPARE(m_pMarco->MarcoActivo(), c);
    // The dialog's end gives the keyboard back to the new window, not to
    // the one that had it before.
    Activar();
    QCOMPARE(m_pMarco->MarcoActivo(), c);
    QVERIFY(c->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClick(m_pMarco, Qt::Key_F6, Qt::ControlModifier);
    QCOMPARE(m_pMarco->MarcoActivo(), a);
    QTest::keyClick(m_pMarco, Qt::Key_F6, Qt::ControlModifier);
    QCOMPARE(m_pMarco->MarcoActivo(), b);
    QTest::keyClick(m_pMarco, Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_pMarco->MarcoActivo(), a);

    // Ctrl+Tab from a form button, from the toolbar and with no focus.
    QWidget* boton = Control(a->Lienzo(), ID_ENTRENAR);
    boton->setFocus();
    QTest::keyClick(boton, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(m_pMarco->MarcoActivo(), b);
    QWidget* barra = m_pMarco->BarraHerramientas()->findChildren<QToolButton*>().value(0);
    QVERIFY(barra);
    barra->setFocusPolicy(Qt::StrongFocus);
    barra->setFocus();
    QTest::keyClick(barra, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(m_pMarco->MarcoActivo(), c);
    if (QWidget* f = QApplication::focusWidget()) f->clearFocus();
    QTest::keyClick(m_pMarco, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(m_pMarco->MarcoActivo(), a);
    QTest::keyClick(m_pMarco, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_pMarco->MarcoActivo(), c);

    // Ctrl+F4 on a modified network: the standard question; Cancelar keeps
    // it, No closes it.
    Doc(2)->SetModifiedFlag(TRUE);
    m_pGuion->Respuesta(QStringLiteral("Cancelar"));
    QTest::keyClick(m_pMarco, Qt::Key_F4, Qt::ControlModifier);
    QCOMPARE(m_pGuion->Mensajes(), QStringList{QStringLiteral("¿Guardar cambios a Nrv 1?")});
    QCOMPARE(Abiertos(), 3);
    Activar();
    m_pGuion->Respuesta(QStringLiteral("&No"));
    QTest::keyClick(m_pMarco, Qt::Key_F4, Qt::ControlModifier);
    QCOMPARE(Abiertos(), 2);
    QVERIFY(m_pMarco->MarcoActivo() == a || m_pMarco->MarcoActivo() == b);
    // Unmodified: closed without a question.
    m_pGuion->Limpiar();
    Activar();
    QTest::keyClick(m_pMarco, Qt::Key_F4, Qt::ControlModifier);
    QCOMPARE(Abiertos(), 1);
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
  }

  // MAY, NUM and DESP show what the platform says, however many widgets a
  // key press passes through; what it cannot tell stays grey.
  void panelesDeTeclas() {
    Mostrar(QSize(900, 640));
    auto panel = [this](UINT id) { return m_pMarco->findChild<QLabel*>(QStringLiteral("indicador%1").arg(id)); };
    // This platform (offscreen) tells nothing: grey, with or without a
    // network, whatever keys are pressed.
    for (int paso = 0; paso < 2; ++paso) {
      for (int i = 0; i < 3; ++i) QTest::keyClick(m_pMarco, Qt::Key_CapsLock);
      for (UINT id : {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}) {
        QVERIFY(!panel(id)->isEnabled());
        QVERIFY(!panel(id)->toolTip().isEmpty());
      }
      if (paso == 0) QVERIFY(AbrirIris(1));
    }

    EstadoTeclas estado;
    estado.mayusculas = true;
    estado.numerico = false;
    int lecturas = 0;
    m_pMarco->FijarLectorTeclas([&] {
      ++lecturas;
      return estado;
    });
    QVERIFY(panel(ID_INDICATOR_CAPS)->isEnabled());
    QVERIFY(!panel(ID_INDICATOR_NUM)->isEnabled());
    QVERIFY(!panel(ID_INDICATOR_SCRL)->isEnabled());
    QVERIFY(panel(ID_INDICATOR_CAPS)->toolTip().isEmpty());
    QVERIFY(!panel(ID_INDICATOR_SCRL)->toolTip().isEmpty());
    // Presses through a form button (and its parents up to the main
    // window): read, never toggled.
    QWidget* boton = Control(m_pMarco->MarcoActivo()->Lienzo(), ID_ENTRENAR);
    for (int i = 0; i < 3; ++i) {
      lecturas = 0;
      QTest::keyClick(boton, Qt::Key_CapsLock);
      QVERIFY(lecturas > 0);
      QVERIFY(panel(ID_INDICATOR_CAPS)->isEnabled());
    }
    estado.mayusculas = false;
    estado.numerico = true;
    QTest::keyClick(boton, Qt::Key_NumLock);
    QVERIFY(!panel(ID_INDICATOR_CAPS)->isEnabled());
    QVERIFY(panel(ID_INDICATOR_NUM)->isEnabled());
    // A change made in another program shows on the next idle moment.
    estado.desplazamiento = true;
    QTRY_VERIFY(panel(ID_INDICATOR_SCRL)->isEnabled());
    m_pMarco->FijarLectorTeclas(nullptr);
    QVERIFY(!panel(ID_INDICATOR_NUM)->isEnabled());
  }

  // The training pane follows the views' update messages: the active
  // network's epoch while it trains, how many train, empty when none does.
  void panelDeEntrenamiento() {
    Mostrar(QSize(900, 640));
    QCOMPARE(m_pMarco->TextoProgreso(), QString());
    CChildFrame* a = Nueva(Ejemplo(QStringLiteral("xor.txt")), QStringLiteral("400"));
    CChildFrame* b = Nueva(Ejemplo(QStringLiteral("xor.txt")), QStringLiteral("400"));
    auto Anunciar = [&](int i, const char* estado, UINT puntos) {
      Doc(i)->SetEstado(estado);
      Doc(i)->m_nPuntos = puntos;
      PostMessage(Doc(i)->GetFirstView()->GetSafeHwnd(), WM_ACTUALIZAR, 0, 0);
      QCoreApplication::processEvents();
    };
    Anunciar(1, "Entrenando...", 152);
    QCOMPARE(m_pMarco->TextoProgreso(), QStringLiteral("Época 152 / 400"));
    Anunciar(0, "Entrenando...", 3);
    QCOMPARE(m_pMarco->TextoProgreso(), QStringLiteral("Época 152 / 400 · 2 redes entrenando"));
    m_pMarco->ActivarMarco(a);
    QCOMPARE(m_pMarco->TextoProgreso(), QStringLiteral("Época 3 / 400 · 2 redes entrenando"));
    Anunciar(0, "Entrenamiento Detenido", 3);
    QCOMPARE(m_pMarco->TextoProgreso(), QStringLiteral("1 red entrenando"));
    m_pMarco->ActivarMarco(b);
    QCOMPARE(m_pMarco->TextoProgreso(), QStringLiteral("Época 152 / 400"));
    Anunciar(1, "Entrenamiento Finalizado", 152);
    QCOMPARE(m_pMarco->TextoProgreso(), QString());
    // Closing a network that trains takes it off the count.
    Anunciar(0, "Entrenando...", 3);
    QCOMPARE(m_pMarco->TextoProgreso(), QStringLiteral("1 red entrenando"));
    Doc(0)->SetModifiedFlag(FALSE);
    a->close();
    QCOMPARE(m_pMarco->TextoProgreso(), QString());

    // A real run: the pane counts its epochs, and empties once it stops.
    const QString grande = FicheroGrande(m_pEntorno->Ruta(QStringLiteral("grande.txt")), 3000);
    Nueva(grande, QStringLiteral("400"));
    CNodusDoc* d = Doc(Abiertos() - 1);
    m_pMarco->EjecutarComando(ID_ENTRENAR);
    QTRY_VERIFY_WITH_TIMEOUT(m_pMarco->TextoProgreso().startsWith(QStringLiteral("Época ")), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(d->m_nPuntos.load() >= 2 || !d->m_bEntrenando.load(), 60000);
    m_pMarco->EjecutarComando(ID_DETENER);
    QTRY_COMPARE_WITH_TIMEOUT(m_pMarco->TextoProgreso(), QString(), 60000);
    QCOMPARE(m_pGuion->Mensajes(), QStringList());
  }

  // A form button is a command like the menu's: the update handlers decide
  // whatever the button shows, and it acts on its own window's network.
  void botonesComoElMenu() {
    Mostrar(QSize(900, 640));
    CChildFrame* m = AbrirIris(1);  // trained to its epoch limit
    auto* entrenar = qobject_cast<QPushButton*>(Control(m->Lienzo(), ID_ENTRENAR));
    QVERIFY(!entrenar->isEnabled());
    entrenar->setEnabled(true);  // shown enabled by mistake
    entrenar->click();
    QVERIFY(!Doc(0)->m_bEntrenando.load());
    QVERIFY(!Doc(0)->m_pHilo);

    CChildFrame* n = Nueva();
    m_pMarco->ActivarMarco(m);
    Pulsar(n->Lienzo(), ID_ENTRENAR);
    QVERIFY(Doc(1)->m_bEntrenando.load() || Doc(1)->m_nEpoca.load() > 0);
    QVERIFY(!Doc(0)->m_bEntrenando.load());
    QCOMPARE(m_pMarco->MarcoActivo(), m);
    QTRY_VERIFY_WITH_TIMEOUT(!Doc(1)->m_bEntrenando.load(), 120000);
  }

  // "Terminado entrenamiento" shows over the window of the network that
  // finished, brought to the front first.
  void cajaDeFinEnSuVentana() {
    Mostrar(QSize(900, 640));
    CChildFrame* a = Nueva();
    CChildFrame* b = Nueva();
    a->showMinimized();
    m_pMarco->ActivarMarco(b);
    QList<CChildFrame*> activos;
    m_pGuion->alVerMensaje = [&](QDialog*) { activos << m_pMarco->MarcoActivo(); };
    PostMessage(Doc(0)->GetFirstView()->GetSafeHwnd(), WM_FIN_ENTRENAMIENTO, 0, 0);
    QTRY_COMPARE(m_pGuion->Mensajes().size(), 1);
    QCOMPARE(activos, QList<CChildFrame*>{a});
    QVERIFY(!a->isMinimized());

    // A real run that ends while the other window is active.
    m_pGuion->Limpiar();
    activos.clear();
    m_pMarco->ActivarMarco(b);
    m_pMarco->EjecutarComando(ID_ENTRENAR);  // b: 100 epochs of xor
    m_pMarco->ActivarMarco(a);
    QTRY_COMPARE_WITH_TIMEOUT(m_pGuion->Mensajes().size(), 1, 120000);
    QTRY_VERIFY(!Doc(1)->m_bEntrenando.load());
    QCOMPARE(m_pGuion->Mensajes(), QStringList{"Terminado entrenamiento"});
    QCOMPARE(activos, QList<CChildFrame*>{b});
    m_pGuion->alVerMensaje = nullptr;
  }
};

QTEST_MAIN(PruebaVentanas)
#include "test_ventanas.moc"
