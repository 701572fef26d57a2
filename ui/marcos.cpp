#include "ui/marcos.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QUrl>

#include "framework/host.h"
#include "framework/plantilla.h"
#include "resources/recursos.h"
#include "resources/resource.h"
#include "ui/aplicacion.h"

namespace {

QString Q(const CString& s) { return QString::fromStdString(s); }

UINT IdDe(const QAction* a) { return a ? a->data().toUInt() : 0; }

}  // namespace

// ---------------------------------------------------------------- CMainFrame

CMainFrame::CMainFrame() {
  setObjectName(QStringLiteral("marcoPrincipal"));
  setWindowTitle(Q(AfxCargarCadena(IDR_MAINFRAME)));
  setWindowIcon(IconoRecurso(IDR_MAINFRAME));
  m_pArea = new QMdiArea(this);
  m_pArea->setObjectName(QStringLiteral("areaMdi"));
  m_pArea->setBackground(palette().brush(QPalette::Dark));
  setCentralWidget(m_pArea);
  connect(m_pArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { ActualizarInterfaz(); });
  // The toolbar's states follow the update handlers while the program idles.
  m_reposo.setInterval(250);
  connect(&m_reposo, &QTimer::timeout, this, [this] { ActualizarInterfaz(); });
  resize(900, 640);
}

CMainFrame::~CMainFrame() = default;

int CMainFrame::OnCreate() {
  m_wndToolBar = new QToolBar(QStringLiteral("Barra de herramientas"), this);
  m_wndToolBar->setObjectName(QStringLiteral("barraHerramientas"));
  m_wndToolBar->setIconSize(QSize(16, 15));
  m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
  for (const BotonBarra& b : AfxBarraHerramientas(IDR_MAINFRAME)) {
    if (b.id == 0) {
      m_wndToolBar->addSeparator();
      continue;
    }
    QAction* a = m_wndToolBar->addAction(ImagenBarra(b.imagen), Q(AfxTooltip(b.id)));
    a->setData(b.id);
    a->setToolTip(Q(AfxTooltip(b.id)));
    a->setStatusTip(Q(AfxPrompt(b.id)));
    const UINT id = b.id;
    connect(a, &QAction::triggered, this, [this, id] { EjecutarComando(id); });
  }
  addToolBar(Qt::TopToolBarArea, m_wndToolBar);

  m_wndStatusBar = new QStatusBar(this);
  m_wndStatusBar->setObjectName(QStringLiteral("barraEstado"));
  m_pMensaje = new QLabel(Q(AfxCargarCadena(AFX_IDS_IDLEMESSAGE)), m_wndStatusBar);
  m_pMensaje->setObjectName(QStringLiteral("panelMensaje"));
  m_wndStatusBar->addWidget(m_pMensaje, 1);
  for (UINT id : AfxIndicadores()) {
    auto* l = new QLabel(Q(AfxCargarCadena(id)), m_wndStatusBar);
    l->setObjectName(QStringLiteral("indicador%1").arg(id));
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("DESP")) + 12);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setEnabled(false);  // shown dimmed while the key is off
    m_wndStatusBar->addPermanentWidget(l);
    m_indicadores[id] = l;
    m_estadoTeclas[id] = false;
  }
  setStatusBar(m_wndStatusBar);

  for (const Acelerador& t : AfxAceleradores(IDR_MAINFRAME)) {
    auto* a = new QAction(this);
    a->setShortcut(QKeySequence(QString::fromUtf8(t.tecla), QKeySequence::PortableText));
    a->setShortcutContext(Qt::WindowShortcut);
    a->setData(t.id);
    const UINT id = t.id;
    connect(a, &QAction::triggered, this, [this, id] { EjecutarComando(id); });
    addAction(a);
    m_aceleradores.push_back(a);
  }
  qApp->installEventFilter(this);

  ConstruirMenu(IDR_MAINFRAME);
  m_reposo.start();
  return 0;
}

void CMainFrame::ConstruirMenu(UINT id) {
  const MenuRecurso* recurso = AfxBuscarMenu(id);
  if (!recurso) return;
  auto* barra = new QMenuBar(this);
  barra->setObjectName(QStringLiteral("menu%1").arg(id));
  for (const ElementoMenu& p : recurso->popups) {
    QMenu* menu = barra->addMenu(QString::fromUtf8(p.texto));
    for (const ElementoMenu& e : p.elementos) {
      if (e.tipo == TipoElementoMenu::Separador) {
        menu->addSeparator();
        continue;
      }
      QAction* a = menu->addAction(QString::fromUtf8(e.texto));
      a->setData(e.id);
      a->setStatusTip(Q(AfxPrompt(e.id)));
      if (e.gris) {
        a->setProperty("marcador", true);
        a->setEnabled(false);
      }
      const UINT cmd = e.id;
      connect(a, &QAction::triggered, this, [this, cmd] { EjecutarComando(cmd); });
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { ActualizarMenuPopup(menu); });
  }
  setMenuBar(barra);  // the previous bar is deleted later, safely
  m_nMenu = id;
  for (QMenu* m : barra->findChildren<QMenu*>()) ActualizarMenuPopup(m);
}

QAction* CMainFrame::AccionMenu(UINT id) const {
  QMenuBar* barra = qobject_cast<QMenuBar*>(menuWidget());
  if (!barra) return nullptr;
  for (QMenu* m : barra->findChildren<QMenu*>())
    for (QAction* a : m->actions())
      if (IdDe(a) == id && a->isVisible()) return a;
  return nullptr;
}

void CMainFrame::ActualizarMenuPopup(QMenu* menu) {
  bool recientes = false;
  bool ventanas = false;
  for (QAction* a : menu->actions()) {
    if (IdDe(a) == ID_FILE_MRU_FILE1 && a->property("marcador").toBool()) recientes = true;
    if (IdDe(a) == ID_WINDOW_CASCADE) ventanas = true;
  }
  if (recientes) RellenarRecientes(menu);
  if (ventanas) RellenarVentanas(menu);
  for (QAction* a : menu->actions()) ActualizarAccion(a);
}

void CMainFrame::RellenarRecientes(QMenu* menu) {
  QAction* marcador = nullptr;
  for (QAction* a : menu->actions()) {
    if (a->property("reciente").toBool()) {
      menu->removeAction(a);
      a->deleteLater();
    } else if (IdDe(a) == ID_FILE_MRU_FILE1 && a->property("marcador").toBool()) {
      marcador = a;
    }
  }
  CNodusApp* app = AfxGetApp();
  const int n = app ? static_cast<int>(app->Recientes().Rutas().size()) : 0;
  marcador->setVisible(n == 0);
  for (int i = 0; i < n; ++i) {
    auto* a = new QAction(app->Recientes().TextoMenu(i), menu);
    const UINT id = ID_FILE_MRU_FILE1 + static_cast<UINT>(i);
    a->setData(id);
    a->setProperty("reciente", true);
    a->setStatusTip(Q(AfxPrompt(id)));
    connect(a, &QAction::triggered, this, [this, id] { EjecutarComando(id); });
    menu->insertAction(marcador, a);
  }
}

void CMainFrame::RellenarVentanas(QMenu* menu) {
  for (QAction* a : menu->actions())
    if (a->property("ventana").toBool()) {
      menu->removeAction(a);
      a->deleteLater();
    }
  const auto marcos = m_pArea->subWindowList();
  if (marcos.isEmpty()) return;
  QAction* sep = menu->addSeparator();
  sep->setProperty("ventana", true);
  int i = 1;
  for (QMdiSubWindow* w : marcos) {
    QString titulo = w->windowTitle();
    titulo.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* a = menu->addAction(i <= 9 ? QStringLiteral("&%1 %2").arg(i).arg(titulo) : titulo);
    a->setProperty("ventana", true);
    a->setCheckable(true);
    a->setChecked(w == m_pArea->currentSubWindow());
    connect(a, &QAction::triggered, this, [this, w] { m_pArea->setActiveSubWindow(w); });
    ++i;
  }
}

void CMainFrame::ActualizarAccion(QAction* a) {
  const UINT id = IdDe(a);
  if (id == 0) return;
  if (a->property("marcador").toBool()) {
    a->setEnabled(false);
    return;
  }
  int check = -1;
  a->setEnabled(EstaHabilitado(id, &check));
  if (check >= 0) {
    a->setCheckable(true);
    a->setChecked(check == 1);
  }
}

bool CMainFrame::EstaHabilitado(UINT id, int* pCheck) {
  CCmdUI ui(id);
  // A command that nobody handles is disabled.
  if (!Rutear(id, &ui)) return false;
  if (pCheck) *pCheck = ui.m_nCheck;
  return ui.m_bEnabled;
}

void CMainFrame::EjecutarComando(UINT id) {
  if (!EstaHabilitado(id)) return;
  Rutear(id, nullptr);
  ActualizarInterfaz();
}

CChildFrame* CMainFrame::MarcoActivo() const {
  if (auto* m = qobject_cast<CChildFrame*>(m_pArea->currentSubWindow())) return m;
  const auto lista = m_pArea->subWindowList(QMdiArea::ActivationHistoryOrder);
  return lista.isEmpty() ? nullptr : qobject_cast<CChildFrame*>(lista.back());
}

CView* CMainFrame::VistaActiva() const {
  CChildFrame* m = MarcoActivo();
  return m ? m->GetVista() : nullptr;
}

bool CMainFrame::Rutear(UINT id, CCmdUI* pCmdUI) {
  if (CChildFrame* m = MarcoActivo()) {
    if (CView* v = m->GetVista(); v && v->OnCmdMsg(id, pCmdUI)) return true;
    if (m->OnCmdMsg(id, pCmdUI)) return true;
  }
  if (OnCmdMsg(id, pCmdUI)) return true;
  CNodusApp* app = AfxGetApp();
  return app && app->OnCmdMsg(id, pCmdUI);
}

bool CMainFrame::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
  switch (id) {
    case ID_TEMAS_AYUDA:
      if (!pCmdUI) OnTemasAyuda();
      return true;
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR: {
      QWidget* barra = id == ID_VIEW_TOOLBAR ? static_cast<QWidget*>(m_wndToolBar) : m_wndStatusBar;
      if (!barra) return false;
      if (pCmdUI) pCmdUI->SetCheck(barra->isVisible() ? 1 : 0);
      else barra->setVisible(!barra->isVisible());
      return true;
    }
    case ID_WINDOW_CASCADE:
      if (!pCmdUI) m_pArea->cascadeSubWindows();
      return true;
    case ID_WINDOW_TILE_HORZ:
      if (!pCmdUI) m_pArea->tileSubWindows();
      return true;
    default:
      return false;
  }
}

void CMainFrame::OnTemasAyuda() {
  // The help file is not part of the program: it is looked for beside it.
  const QDir dir(QCoreApplication::applicationDirPath());
  const QStringList candidatos = {dir.filePath(QStringLiteral("nrv.html")),
                                  dir.filePath(QStringLiteral("help/nrv.html")),
                                  dir.filePath(QStringLiteral("../share/doc/nrv/nrv.html"))};
  for (const QString& c : candidatos) {
    if (QFileInfo::exists(c)) {
      QUrl url = QUrl::fromLocalFile(QFileInfo(c).absoluteFilePath());
      url.setFragment(QStringLiteral("102"));
      if (QDesktopServices::openUrl(url)) return;
      AfxMessageBox(QStringLiteral("No se ha podido abrir la ayuda %1.").arg(c).toStdString(), MB_ICONEXCLAMATION);
      return;
    }
  }
  AfxMessageBox(
      QStringLiteral("No se encuentra el fichero de ayuda nrv.html junto al programa (%1).").arg(dir.absolutePath()).toStdString(),
      MB_ICONEXCLAMATION);
}

QString CMainFrame::TextoEstado() const { return m_pMensaje ? m_pMensaje->text() : QString(); }

void CMainFrame::ActualizarTitulo() {
  QString titulo = Q(AfxCargarCadena(IDR_MAINFRAME));
  if (CChildFrame* m = MarcoActivo()) {
    m->ActualizarTitulo();
    if (m->GetDocument()) titulo += QStringLiteral(" - ") + Q(m->GetDocument()->GetTitle());
  }
  if (windowTitle() != titulo) setWindowTitle(titulo);
}

void CMainFrame::ActualizarInterfaz() {
  const UINT menu = MarcoActivo() ? IDR_NRVTYPE : IDR_MAINFRAME;
  if (menu != m_nMenu) ConstruirMenu(menu);
  for (QMdiSubWindow* w : m_pArea->subWindowList())
    if (auto* m = qobject_cast<CChildFrame*>(w)) m->ActualizarTitulo();
  ActualizarTitulo();
  if (m_wndToolBar)
    for (QAction* a : m_wndToolBar->actions()) ActualizarAccion(a);
}

void CMainFrame::AgregarMarco(CChildFrame* pMarco) {
  m_pArea->addSubWindow(pMarco);
  pMarco->show();
  pMarco->adjustSize();
  m_pArea->setActiveSubWindow(pMarco);
  ActualizarInterfaz();
}

void CMainFrame::closeEvent(QCloseEvent* e) {
  CNodusApp* app = AfxGetApp();
  if (app && !app->SaveAllModified()) {
    e->ignore();
    return;
  }
  if (app) app->CloseAllDocuments();
  m_reposo.stop();
  e->accept();
}

bool CMainFrame::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    // The message pane shows the prompt of what the pointer is on, and
    // "Preparado" otherwise.
    const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
    if (m_pMensaje) m_pMensaje->setText(tip.isEmpty() ? Q(AfxCargarCadena(AFX_IDS_IDLEMESSAGE)) : tip);
    return true;
  }
  return QMainWindow::event(e);
}

bool CMainFrame::eventFilter(QObject* o, QEvent* e) {
  // The toolkit does not tell the lock keys' state: the panes follow the
  // presses they see.
  if (e->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(e)->isAutoRepeat()) {
    UINT id = 0;
    switch (static_cast<QKeyEvent*>(e)->key()) {
      case Qt::Key_CapsLock: id = ID_INDICATOR_CAPS; break;
      case Qt::Key_NumLock: id = ID_INDICATOR_NUM; break;
      case Qt::Key_ScrollLock: id = ID_INDICATOR_SCRL; break;
      default: break;
    }
    if (id != 0 && o->isWidgetType() && static_cast<QWidget*>(o)->window() == this && m_indicadores.count(id)) {
      m_estadoTeclas[id] = !m_estadoTeclas[id];
      m_indicadores[id]->setEnabled(m_estadoTeclas[id]);
    }
  }
  return QMainWindow::eventFilter(o, e);
}

// ---------------------------------------------------------------- CChildFrame

void CLienzoVista::paintEvent(QPaintEvent* e) {
  QWidget::paintEvent(e);
  m_vista.OnDraw();
}

namespace {

// The view itself on screen: its repaint requests reach its form.
class CPeerVista : public IPeerQt {
 public:
  explicit CPeerVista(QWidget* w) : m_pWidget(w) {}
  void OnEstadoCambiado(CWnd&) override {}
  void Invalidar(CWnd&) override { m_pWidget->update(); }
  QWidget* Widget() override { return m_pWidget; }

 private:
  QWidget* m_pWidget;
};

}  // namespace

CChildFrame::CChildFrame(CDocument* pDoc, std::unique_ptr<CView> pVista, QWidget* padre)
    : QMdiSubWindow(padre), m_pDoc(pDoc), m_pVista(std::move(pVista)) {
  setObjectName(QStringLiteral("marcoHijo"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowIcon(IconoRecurso(IDR_NRVTYPE));
  m_pLienzo = new CLienzoVista(*m_pVista, this);
  m_pLienzo->setObjectName(QStringLiteral("vista"));
  if (const PlantillaDialogo* p = AfxBuscarPlantilla(IDD_NODUS_FORM)) {
    m_pFormulario = std::make_unique<CFormulario>(*p, *m_pVista, m_pLienzo);
    m_pLienzo->setFixedSize(m_pFormulario->Tamano());
    // Form buttons send their command through the view, then its document.
    m_pFormulario->alPulsar = [this](int id) {
      const UINT cmd = static_cast<UINT>(id);
      if (m_pVista && m_pVista->OnCmdMsg(cmd, nullptr)) return;
      if (OnCmdMsg(cmd, nullptr)) return;
      if (CNodusApp* app = AfxGetApp(); app && app->m_pMainWnd) app->m_pMainWnd->Rutear(cmd, nullptr);
    };
  }
  m_pPeerVista = std::make_unique<CPeerVista>(m_pLienzo);
  m_pVista->SetPeer(m_pPeerVista.get());
  setWidget(m_pLienzo);
  ActualizarTitulo();
}

CChildFrame::~CChildFrame() { Desmontar(); }

void CChildFrame::Desmontar() {
  if (m_bDesmontado) return;
  m_bDesmontado = true;
  m_pFormulario.reset();
  if (m_pVista) {
    m_pVista->SetPeer(nullptr);
    m_pVista.reset();  // its handle dies: messages still on their way are dropped
  }
  m_pPeerVista.reset();
  m_pDoc = nullptr;
}

void CChildFrame::ActualizarTitulo() {
  if (!m_pDoc) return;
  const QString t = Q(m_pDoc->GetTitle());
  if (windowTitle() != t) setWindowTitle(t);
}

bool CChildFrame::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
  if (!m_pDoc) return false;
  switch (id) {
    case ID_FILE_CLOSE:
      if (!pCmdUI) close();
      return true;
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
      if (!pCmdUI) {
        CDocument* d = m_pDoc;
        const BOOL ok = id == ID_FILE_SAVE ? d->DoFileSave() : d->DoFileSaveAs();
        if (ok && !d->GetPathName().empty())
          if (CNodusApp* app = AfxGetApp()) app->Recientes().Agregar(Q(d->GetPathName()));
      }
      return true;
    default:
      return false;
  }
}

void CChildFrame::closeEvent(QCloseEvent* e) {
  if (m_bDesmontado || !m_pDoc) {
    e->accept();
    return;
  }
  // Closing the window closes its document, after the standard question.
  e->ignore();
  CDocument* d = m_pDoc;
  if (d->SaveModified()) d->OnCloseDocument();
}
