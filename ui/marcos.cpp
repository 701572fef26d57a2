#include "ui/marcos.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionTitleBar>

#include <algorithm>
#include <cmath>

#include "framework/host.h"
#include "framework/texto.h"
#include "resources/plantillas.h"
#include "resources/recursos.h"
#include "resources/resource.h"
#include "ui/ayuda.h"
#include "ui/winapp.h"

namespace {

QString Q(const CString& s) { return QString::fromStdString(s); }

UINT IdDe(const QAction* a) { return a ? a->data().toUInt() : 0; }

// The keys of the MDI frame itself, as on the classic desktop: the next and
// previous child window and closing the active one.
enum class TeclaVentana { Siguiente, Anterior, Cerrar };
struct TeclaMarco {
  TeclaVentana accion;
  const char* nombre;
  QList<QKeySequence> teclas;
};
const QList<TeclaMarco>& TeclasVentana() {
  static const QList<TeclaMarco> teclas = {
      {TeclaVentana::Siguiente, "teclaSiguiente", {QKeySequence(Qt::CTRL | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::Key_Tab)}},
      {TeclaVentana::Anterior, "teclaAnterior",
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)}},
      {TeclaVentana::Cerrar, "teclaCerrar", {QKeySequence(Qt::CTRL | Qt::Key_F4)}},
  };
  return teclas;
}

// The key of a menu item whose text names none: the manual's F1. Held by
// the item's own action, the menu shows it as the toolkit shows any
// action's key.
QKeySequence TeclaElemento(UINT id) { return id == ID_TEMAS_AYUDA ? QKeySequence(Qt::Key_F1) : QKeySequence(); }

// The training pane's text: the active network's epoch while it trains,
// and how many train when more than that one do.
QString TextoEntrenamiento(const QString& epocaActiva, int nEntrenando) {
  QString otras;
  if (nEntrenando == 1 && epocaActiva.isEmpty()) otras = QStringLiteral("1 red entrenando");
  else if (nEntrenando > 1) otras = QStringLiteral("%1 redes entrenando").arg(nEntrenando);
  if (epocaActiva.isEmpty()) return otras;
  return otras.isEmpty() ? epocaActiva : epocaActiva + QStringLiteral(" · ") + otras;
}

// Pixels of the form view's background around a form smaller than its
// window: the form's own colour, as a form view shows it.
class CAreaFormulario : public QScrollArea {
 public:
  explicit CAreaFormulario(QWidget* padre) : QScrollArea(padre) {
    setObjectName(QStringLiteral("desplazamiento"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundRole(QPalette::Window);
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
  }
  // The whole form, however large (the toolkit's own hint stops at a few
  // dozen lines of text).
  QSize sizeHint() const override {
    const int f = 2 * frameWidth();
    return widget() ? widget()->size() + QSize(f, f) : QScrollArea::sizeHint();
  }
};

}  // namespace

// ---------------------------------------------------------------- CMainFrame

CMainFrame::CMainFrame() : m_leerTeclas(LeerEstadoTeclas) {
  setObjectName(QStringLiteral("marcoPrincipal"));
  setWindowTitle(Q(AfxCargarCadena(IDR_MAINFRAME)));
  setWindowIcon(IconoRecurso(IDR_MAINFRAME));
  m_pArea = new QMdiArea(this);
  m_pArea->setObjectName(QStringLiteral("areaMdi"));
  m_pArea->setBackground(palette().brush(QPalette::Dark));
  setCentralWidget(m_pArea);
  connect(m_pArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { ActualizarInterfaz(); });
  // The toolbar's states and the key panes follow the program while it
  // idles.
  m_reposo.setInterval(250);
  connect(&m_reposo, &QTimer::timeout, this, [this] {
    ActualizarInterfaz();
    ActualizarTeclas();
  });
  resize(900, 640);
}

CMainFrame::~CMainFrame() {
  if (qApp) qApp->removeEventFilter(this);
  delete m_pAyuda.data();
}

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
  // The training pane, before the key indicators.
  m_pProgreso = new QLabel(m_wndStatusBar);
  m_pProgreso->setObjectName(QStringLiteral("panelEntrenamiento"));
  m_pProgreso->setAlignment(Qt::AlignCenter);
  m_pProgreso->setMinimumWidth(m_pProgreso->fontMetrics().horizontalAdvance(QStringLiteral("Época 400 / 400")) + 12);
  m_pProgreso->setFrameShape(QFrame::Panel);
  m_pProgreso->setFrameShadow(QFrame::Sunken);
  m_wndStatusBar->addPermanentWidget(m_pProgreso);
  for (UINT id : AfxIndicadores()) {
    auto* l = new QLabel(Q(AfxCargarCadena(id)), m_wndStatusBar);
    l->setObjectName(QStringLiteral("indicador%1").arg(id));
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("DESP")) + 12);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setEnabled(false);  // shown dimmed while the key is off, or unknown
    m_wndStatusBar->addPermanentWidget(l);
    m_indicadores[id] = l;
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
  AgregarTeclasVentana();
  // Lock keys pressed anywhere in the program are read at once.
  qApp->installEventFilter(this);

  ConstruirMenu(IDR_MAINFRAME);
  ActualizarTeclas();
  m_reposo.start();
  return 0;
}

void CMainFrame::AgregarTeclasVentana() {
  for (const TeclaMarco& t : TeclasVentana()) {
    auto* a = new QAction(this);
    a->setObjectName(QString::fromUtf8(t.nombre));
    a->setShortcuts(t.teclas);
    // Whatever has the focus in this window, a form, the toolbar or none.
    a->setShortcutContext(Qt::WindowShortcut);
    const TeclaVentana accion = t.accion;
    connect(a, &QAction::triggered, this, [this, accion] {
      switch (accion) {
        case TeclaVentana::Siguiente: m_pArea->activateNextSubWindow(); break;
        case TeclaVentana::Anterior: m_pArea->activatePreviousSubWindow(); break;
        case TeclaVentana::Cerrar:
          // The framework's question for a modified document comes with it.
          if (CChildFrame* m = MarcoActivo()) m->close();
          break;
      }
    });
    addAction(a);
  }
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
      if (const QKeySequence tecla = TeclaElemento(e.id); !tecla.isEmpty()) {
        a->setShortcut(tecla);
        a->setShortcutContext(Qt::WindowShortcut);
      }
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
  // The list is the application's: shown here as it stands.
  CWinApp* app = AfxGetApp();
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
    auto* m = qobject_cast<CChildFrame*>(w);
    QString titulo = m ? m->Titulo() : w->windowTitle();
    titulo.replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* a = menu->addAction(i <= 9 ? QStringLiteral("&%1 %2").arg(i).arg(titulo) : titulo);
    a->setProperty("ventana", true);
    a->setCheckable(true);
    a->setChecked(w == m_pArea->currentSubWindow());
    connect(a, &QAction::triggered, this, [this, w] {
      if (auto* m = qobject_cast<CChildFrame*>(w)) ActivarMarco(m);
    });
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

bool CMainFrame::EstaHabilitado(UINT id, int* pCheck, CChildFrame* pDesde) {
  CCmdUI ui(id);
  // A command that nobody handles is disabled.
  if (!Rutear(id, &ui, pDesde)) return false;
  if (pCheck) *pCheck = ui.m_nCheck;
  return ui.m_bEnabled;
}

void CMainFrame::EjecutarComando(UINT id, CChildFrame* pDesde) {
  if (!EstaHabilitado(id, nullptr, pDesde)) return;
  // A command that fails (out of memory) is reported; nothing else closes.
  try {
    Rutear(id, nullptr, pDesde);
  } catch (...) {
    AfxReportarExcepcion();
  }
  ActualizarInterfaz();
}

namespace {

// A network's own window or one of its companions (its graph window),
// which names the network's frame in the property "marcoRed".
CChildFrame* MarcoDeHijo(QMdiSubWindow* w) {
  if (auto* m = qobject_cast<CChildFrame*>(w)) return m;
  return w ? qobject_cast<CChildFrame*>(w->property("marcoRed").value<QObject*>()) : nullptr;
}

}  // namespace

CChildFrame* CMainFrame::MarcoActivo() const {
  if (CChildFrame* m = MarcoDeHijo(m_pArea->currentSubWindow())) return m;
  const auto lista = m_pArea->subWindowList(QMdiArea::ActivationHistoryOrder);
  return lista.isEmpty() ? nullptr : MarcoDeHijo(lista.back());
}

CView* CMainFrame::VistaActiva() const {
  CChildFrame* m = MarcoActivo();
  return m ? m->GetVista() : nullptr;
}

bool CMainFrame::Rutear(UINT id, CCmdUI* pCmdUI, CChildFrame* pDesde) {
  if (CChildFrame* m = pDesde ? pDesde : MarcoActivo()) {
    if (CView* v = m->GetVista(); v && v->OnCmdMsg(id, pCmdUI)) return true;
    if (m->OnCmdMsg(id, pCmdUI)) return true;
  }
  if (OnCmdMsg(id, pCmdUI)) return true;
  CWinApp* app = AfxGetApp();
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
      if (!pCmdUI) OnWindowCascade();
      return true;
    case ID_WINDOW_TILE_HORZ:
      if (!pCmdUI) OnWindowTile();
      return true;
    default:
      return false;
  }
}

void CMainFrame::OnTemasAyuda() {
  // One help window for the run, brought forward when it is open.
  if (!m_pAyuda) m_pAyuda = new CVentanaAyuda();
  if (!m_pAyuda->MostrarContexto(kContextoTemasAyuda)) {
    AfxMessageBox("No se encuentra el manual del programa.", MB_ICONEXCLAMATION);
    return;
  }
  m_pAyuda->show();
  m_pAyuda->raise();
  m_pAyuda->activateWindow();
}

QString CMainFrame::TextoEstado() const { return m_pMensaje ? m_pMensaje->text() : QString(); }

CVentanaAyuda* CMainFrame::VentanaAyuda() const { return m_pAyuda.data(); }

QString CMainFrame::TextoProgreso() const { return m_pProgreso ? m_pProgreso->text() : QString(); }

CChildFrame* CMainFrame::MarcoTitulo() const {
  // The window that fills the area, even while the area is still moving
  // the activation to it; otherwise the active one.
  CChildFrame* activo = MarcoActivo();
  if (activo && activo->isMaximized()) return activo;
  for (QMdiSubWindow* w : m_pArea->subWindowList())
    if (auto* m = qobject_cast<CChildFrame*>(w); m && m->isVisible() && m->isMaximized()) return m;
  return activo;
}

QString CMainFrame::TituloDebido() const {
  // The framework's rule: the active document's title after the program's,
  // in brackets while its window fills the area. Its title bar hidden, that
  // window's unsaved mark ("[*]") is shown here.
  QString titulo = Q(AfxCargarCadena(IDR_MAINFRAME));
  if (CChildFrame* m = MarcoTitulo(); m && m->GetDocument()) {
    const QString doc = m->Titulo();
    titulo += m->isMaximized() ? QStringLiteral(" - [%1[*]]").arg(doc) : QStringLiteral(" - %1").arg(doc);
  }
  return titulo;
}

void CMainFrame::ActualizarTitulo() {
  const QString titulo = TituloDebido();
  if (windowTitle() != titulo) setWindowTitle(titulo);
  // The mark only while the title has its place (the toolkit warns
  // otherwise).
  CChildFrame* m = MarcoTitulo();
  const bool marca = m && m->isMaximized() && m->isWindowModified();
  if (isWindowModified() != marca) setWindowModified(marca);
}

void CMainFrame::ActualizarInterfaz() {
  const UINT menu = MarcoActivo() ? IDR_NRVTYPE : IDR_MAINFRAME;
  if (menu != m_nMenu) ConstruirMenu(menu);
  for (QMdiSubWindow* w : m_pArea->subWindowList())
    if (auto* m = qobject_cast<CChildFrame*>(w)) m->ActualizarTitulo();
  ActualizarTitulo();
  if (m_wndToolBar)
    for (QAction* a : m_wndToolBar->actions()) ActualizarAccion(a);
  ActualizarProgreso();
}

void CMainFrame::FijarLectorTeclas(std::function<EstadoTeclas()> lector) {
  m_leerTeclas = std::move(lector);
  ActualizarTeclas();
}

void CMainFrame::ActualizarTeclas() {
  const EstadoTeclas e = m_leerTeclas ? m_leerTeclas() : EstadoTeclas{};
  const std::pair<UINT, std::optional<bool>> estados[] = {
      {ID_INDICATOR_CAPS, e.mayusculas}, {ID_INDICATOR_NUM, e.numerico}, {ID_INDICATOR_SCRL, e.desplazamiento}};
  for (const auto& [id, estado] : estados) {
    auto it = m_indicadores.find(id);
    if (it == m_indicadores.end()) continue;
    QLabel* l = it->second;
    // Grey when off, and grey too when the platform cannot tell: never a
    // state the keyboard is not in.
    const bool encendido = estado.value_or(false);
    if (l->isEnabled() != encendido) l->setEnabled(encendido);
    const QString consejo = estado ? QString() : QStringLiteral("El sistema no informa del estado de esta tecla");
    if (l->toolTip() != consejo) l->setToolTip(consejo);
  }
}

void CMainFrame::ActualizarProgreso() {
  if (!m_pProgreso) return;
  // Each view answers from what its last update message showed it.
  CChildFrame* activo = MarcoActivo();
  QString epoca;
  int n = 0;
  for (QMdiSubWindow* w : m_pArea->subWindowList()) {
    auto* m = qobject_cast<CChildFrame*>(w);
    CView* v = m ? m->GetVista() : nullptr;
    if (!v) continue;
    CCmdUI ui(ID_INDICATOR_ENTRENAMIENTO);
    ui.m_bEnabled = false;
    if (!v->OnCmdMsg(ID_INDICATOR_ENTRENAMIENTO, &ui) || !ui.m_bEnabled) continue;
    ++n;
    if (m == activo) epoca = Q(ui.m_strText);
  }
  const QString texto = TextoEntrenamiento(epoca, n);
  if (m_pProgreso->text() != texto) m_pProgreso->setText(texto);
}

int CMainFrame::AlturaTitulo() const {
  QStyleOptionTitleBar op;
  op.initFrom(m_pArea);
  op.titleBarFlags = Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
  op.titleBarState = Qt::WindowActive;
  return std::max(1, style()->pixelMetric(QStyle::PM_TitleBarHeight, &op, m_pArea));
}

void CMainFrame::AgregarMarco(CChildFrame* pMarco) {
  m_pArea->addSubWindow(pMarco);
  // The default size of a new child: the whole form with the frame's title
  // bar and borders around it (the view may shrink it, never grow it).
  pMarco->resize(pMarco->sizeHint());
  connect(pMarco, &QMdiSubWindow::windowStateChanged, this, [this] { ActualizarTitulo(); });
}

void CMainFrame::MostrarMarco(CChildFrame* pMarco) {
  CChildFrame* activo = MarcoActivo();
  // As the classic frame does: a child made while the active one is
  // maximized opens maximized (its normal place kept for a restore).
  const bool maximizar = activo && activo != pMarco && activo->isMaximized();
  if (m_pArea->isVisible()) ColocarMarco(pMarco);
  else m_pendientes.append(pMarco);  // placed once the area has its size
  if (maximizar) pMarco->showMaximized();
  else pMarco->show();
  m_pArea->setActiveSubWindow(pMarco);
  // The keyboard goes to the new form (its first control), so that the main
  // window, active again once a dialog closes, gives it back here and not
  // to the window that had it before.
  QWidget* foco = pMarco->Formulario() ? pMarco->Formulario()->PrimerControl() : nullptr;
  if (foco == nullptr) foco = pMarco->Desplazamiento();
  foco->setFocus(Qt::OtherFocusReason);
  ActualizarInterfaz();
}

void CMainFrame::ColocarMarco(CChildFrame* pMarco) {
  // One title-bar height below and right of the last one placed, wholly
  // inside the area: back to the corner when the step would leave it.
  const QRect area = m_pArea->viewport()->rect();
  const QSize tam = pMarco->size().boundedTo(area.size());
  const int paso = AlturaTitulo();
  QPoint pos(0, 0);
  bool hayOtros = false;
  for (QMdiSubWindow* w : m_pArea->subWindowList())
    if (w != pMarco && w->isVisible()) hayOtros = true;
  if (hayOtros && m_pUltimoColocado && m_pUltimoColocado != pMarco) {
    pos = m_pUltimoColocado->property("nrvColocado").toPoint() + QPoint(paso, paso);
    if (!area.contains(QRect(pos, tam))) pos = QPoint(0, 0);
  }
  if (pMarco->isMaximized()) pMarco->showNormal();
  pMarco->setGeometry(QRect(pos, tam));
  pMarco->setProperty("nrvColocado", pos);
  m_pUltimoColocado = pMarco;
}

void CMainFrame::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  // Children made before the window was first shown (the command line's
  // network) are placed now that the area has its size.
  const auto pendientes = m_pendientes;
  m_pendientes.clear();
  for (const QPointer<CChildFrame>& m : pendientes) {
    if (!m) continue;
    const bool maximizado = m->isMaximized();
    ColocarMarco(m);
    if (maximizado) m->showMaximized();
  }
}

void CMainFrame::QuitarMarco(CChildFrame* pMarco) {
  const bool maximizado = pMarco->isMaximized();
  pMarco->hide();
  if (pMarco->mdiArea() == m_pArea) m_pArea->removeSubWindow(pMarco);
  // The area restores the next window as the maximized one goes.
  if (QMdiSubWindow* siguiente = m_pArea->currentSubWindow(); maximizado && siguiente && !siguiente->isMaximized())
    siguiente->showMaximized();
}

void CMainFrame::ActivarMarco(CChildFrame* pMarco) {
  if (!pMarco) return;
  if (pMarco->isMinimized()) pMarco->showNormal();
  m_pArea->setActiveSubWindow(pMarco);
  pMarco->raise();
  ActualizarInterfaz();
}

namespace {

// The windows that Cascada and Mosaico arrange: every visible one not
// minimized, the active one last (on top of a cascade).
QList<QMdiSubWindow*> Organizables(QMdiArea* area) {
  QList<QMdiSubWindow*> lista;
  QMdiSubWindow* activa = area->currentSubWindow();
  for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isVisible() || w->isMinimized() || w == activa) continue;
    lista << w;
  }
  if (activa && activa->isVisible() && !activa->isMinimized()) lista << activa;
  for (QMdiSubWindow* w : lista)
    if (w->isMaximized()) w->showNormal();
  return lista;
}

}  // namespace

void CMainFrame::OnWindowCascade() {
  const QList<QMdiSubWindow*> lista = Organizables(m_pArea);
  const QRect area = m_pArea->viewport()->rect();
  const int paso = AlturaTitulo();
  int k = 0;
  for (QMdiSubWindow* w : lista) {
    const QSize deseado = w->sizeHint().boundedTo(area.size());
    QPoint pos(k * paso, k * paso);
    // Back to the corner when the window would keep less than half of
    // what it wants.
    if (pos.x() + deseado.width() / 2 > area.width() || pos.y() + deseado.height() / 2 > area.height()) {
      k = 0;
      pos = QPoint(0, 0);
    }
    const QSize tam = deseado.boundedTo(area.size() - QSize(pos.x(), pos.y()));
    w->setGeometry(QRect(area.topLeft() + pos, tam));
    w->raise();
    ++k;
  }
}

void CMainFrame::OnWindowTile() {
  QList<QMdiSubWindow*> lista = Organizables(m_pArea);
  if (lista.isEmpty()) return;
  // The active window takes the first place.
  lista.prepend(lista.takeLast());
  const QRect area = m_pArea->viewport()->rect();
  const int n = static_cast<int>(lista.size());
  const int columnas = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n)))));
  const int filas = (n + columnas - 1) / columnas;
  // The first columns give up a cell each when the grid is not full: their
  // windows are taller.
  const int huecos = columnas * filas - n;
  int i = 0;
  for (int c = 0; c < columnas && i < n; ++c) {
    const int x0 = area.left() + c * area.width() / columnas;
    const int x1 = area.left() + (c + 1) * area.width() / columnas;
    const int enColumna = filas - (c < huecos ? 1 : 0);
    for (int f = 0; f < enColumna && i < n; ++f, ++i) {
      const int y0 = area.top() + f * area.height() / enColumna;
      const int y1 = area.top() + (f + 1) * area.height() / enColumna;
      lista[i]->setGeometry(QRect(QPoint(x0, y0), QSize(x1 - x0, y1 - y0)));
    }
  }
}

namespace {

const char* const kSeccionAjustes = "Settings";
const char* const kClavePosicion = "VentanaPrincipal";

}  // namespace

void CMainFrame::RestaurarPosicion() {
  QSettings ajustes;
  ajustes.beginGroup(QString::fromUtf8(kSeccionAjustes));
  // The toolkit's own record: it brings a window from a screen no longer
  // there, or larger than this one, back inside the available area.
  const QByteArray guardada = ajustes.value(QString::fromUtf8(kClavePosicion)).toByteArray();
  if (!guardada.isEmpty()) restoreGeometry(guardada);
}

void CMainFrame::closeEvent(QCloseEvent* e) {
  CWinApp* app = AfxGetApp();
  if (app && !app->SaveAllModified()) {
    e->ignore();
    return;
  }
  {
    QSettings ajustes;
    ajustes.beginGroup(QString::fromUtf8(kSeccionAjustes));
    ajustes.setValue(QString::fromUtf8(kClavePosicion), saveGeometry());
  }
  if (app) app->CloseAllDocuments();
  m_reposo.stop();
  if (m_pAyuda) m_pAyuda->close();
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
  if (e->type() == QEvent::WindowActivate) ActualizarTeclas();  // changed while another window had the keyboard
  return QMainWindow::event(e);
}

bool CMainFrame::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::WindowStateChange && qobject_cast<CChildFrame*>(o) &&
      static_cast<CChildFrame*>(o)->isMaximized()) {
    // A child being maximized hands its unsaved mark to this window's title
    // as the change is served: the title has its place for it first.
    ActualizarTitulo();
  }
  if (o == this && e->type() == QEvent::WindowTitleChange) {
    // A maximized child writes its own title into this window's ("... -
    // [Nrv 1]"), and rewrites it each time this one changes: the title is
    // this frame's alone. The change is not passed on to the child, and a
    // title not by the rule is put right at once.
    if (windowTitle() != TituloDebido()) ActualizarTitulo();
    QMainWindow::event(e);
    return true;
  }
  // A lock key's press or release passes through several widgets: the
  // panes are read from the platform each time, never toggled.
  if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
    switch (static_cast<QKeyEvent*>(e)->key()) {
      case Qt::Key_CapsLock:
      case Qt::Key_NumLock:
      case Qt::Key_ScrollLock:
        ActualizarTeclas();
        break;
      default:
        break;
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
  m_pDesplazamiento = new CAreaFormulario(this);
  m_pLienzo = new CLienzoVista(*m_pVista, m_pDesplazamiento);
  m_pLienzo->setObjectName(QStringLiteral("vista"));
  if (const PlantillaDialogo* p = AfxBuscarPlantilla(IDD_NODUS_FORM)) {
    m_pFormulario = std::make_unique<CFormulario>(*p, *m_pVista, m_pLienzo);
    // The form keeps its template size; the window around it may not.
    m_pLienzo->setFixedSize(m_pFormulario->Tamano());
    // Form buttons are commands like the menu's: the same enabling checks
    // and routing, starting at this window's view.
    m_pFormulario->alPulsar = [this](int id) {
      if (auto* marco = qobject_cast<CMainFrame*>(window())) marco->EjecutarComando(static_cast<UINT>(id), this);
    };
  }
  m_pDesplazamiento->setWidget(m_pLienzo);
  m_pPeerVista = std::make_unique<CPeerVista>(m_pLienzo);
  m_pVista->SetPeer(m_pPeerVista.get());
  setWidget(m_pDesplazamiento);
  // Ctrl+F4 is the main frame's, for whichever child is active.
  for (QAction* a : actions()) {
    QList<QKeySequence> teclas = a->shortcuts();
    if (teclas.removeAll(QKeySequence(Qt::CTRL | Qt::Key_F4)) > 0) a->setShortcuts(teclas);
  }
  // Before the view's initial update: the size that shows the whole form.
  resize(sizeHint());
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

QString CChildFrame::Titulo() const { return m_pDoc ? Q(m_pDoc->GetTitle()) : QString(); }

void CChildFrame::ActualizarTitulo() {
  if (!m_pDoc) return;
  // Qt shows "[*]" as "*" while the window is marked modified, and nothing
  // otherwise.
  const QString t = Titulo() + QStringLiteral("[*]");
  if (windowTitle() != t) setWindowTitle(t);
  const bool modificado = m_pDoc->IsModified() != FALSE;
  if (isWindowModified() != modificado) setWindowModified(modificado);
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
        // A saved network enters the recent files through its template.
        if (id == ID_FILE_SAVE) d->DoFileSave();
        else d->DoFileSaveAs();
        ActualizarTitulo();
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
