// The main MDI frame and the child frames that hold each document's view.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <map>
#include <memory>

#include "framework/documento.h"
#include "ui/formulario.h"

class CChildFrame;

class CMainFrame : public QMainWindow, public CCmdTarget {
  Q_OBJECT
 public:
  CMainFrame();
  ~CMainFrame() override;

  // Builds the bars (toolbar 128, the status bar with its panes); -1 when a
  // bar cannot be created.
  int OnCreate();
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
  void OnTemasAyuda();

  // Runs a command from a menu, key, toolbar or form button: the update
  // handlers are asked first, and a disabled command does nothing.
  void EjecutarComando(UINT id);
  // Routes a command (pCmdUI null) or its update: the active view, its
  // document, the child frame, this frame, the application.
  bool Rutear(UINT id, CCmdUI* pCmdUI);
  // What the update handlers say of a command: false when nobody handles it.
  bool EstaHabilitado(UINT id, int* pCheck = nullptr);

  CChildFrame* MarcoActivo() const;
  CView* VistaActiva() const;
  void AgregarMarco(CChildFrame* pMarco);
  QMdiArea* AreaMdi() const { return m_pArea; }
  // 128 while no document window is active, 129 otherwise.
  UINT MenuActual() const { return m_nMenu; }
  // The action of a command in the current menu bar (null when absent).
  QAction* AccionMenu(UINT id) const;
  QToolBar* BarraHerramientas() const { return m_wndToolBar; }
  QStatusBar* BarraEstado() const { return m_wndStatusBar; }
  QString TextoEstado() const;
  // Refreshes the menu choice, titles and the toolbar's states (on idle).
  void ActualizarInterfaz();

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void ConstruirMenu(UINT id);
  void ActualizarMenuPopup(QMenu* menu);
  void ActualizarAccion(QAction* a);
  void RellenarRecientes(QMenu* menu);
  void RellenarVentanas(QMenu* menu);
  void ActualizarTitulo();

  QMdiArea* m_pArea = nullptr;
  QToolBar* m_wndToolBar = nullptr;
  QStatusBar* m_wndStatusBar = nullptr;
  QLabel* m_pMensaje = nullptr;
  std::map<UINT, QLabel*> m_indicadores;
  std::map<UINT, bool> m_estadoTeclas;
  QTimer m_reposo;
  UINT m_nMenu = 0;
  std::vector<QAction*> m_aceleradores;
};

// Paints a view: its OnDraw on every paint of the form.
class CLienzoVista : public QWidget {
  Q_OBJECT
 public:
  CLienzoVista(CView& vista, QWidget* padre) : QWidget(padre), m_vista(vista) {}

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  CView& m_vista;
};

class CChildFrame : public QMdiSubWindow, public CCmdTarget {
  Q_OBJECT
 public:
  // Shows pVista (already added to its document) as a form of template 101.
  CChildFrame(CDocument* pDoc, std::unique_ptr<CView> pVista, QWidget* padre = nullptr);
  ~CChildFrame() override;

  // Cerrar, Guardar and Guardar como of its document (printing is the
  // view's).
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

  CDocument* GetDocument() const { return m_pDoc; }
  CView* GetVista() const { return m_pVista.get(); }
  CFormulario* Formulario() const { return m_pFormulario.get(); }
  QWidget* Lienzo() const { return m_pLienzo; }
  // Takes the view and the widgets down (the document is closing).
  void Desmontar();
  void ActualizarTitulo();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  CDocument* m_pDoc;
  std::unique_ptr<CView> m_pVista;
  CLienzoVista* m_pLienzo = nullptr;
  std::unique_ptr<CFormulario> m_pFormulario;
  std::unique_ptr<IPeerQt> m_pPeerVista;
  bool m_bDesmontado = false;
};
