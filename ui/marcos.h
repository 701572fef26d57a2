// The main MDI frame and the child frames that hold each document's view.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <functional>
#include <map>
#include <memory>

#include "framework/documento.h"
#include "ui/formulario.h"
#include "ui/teclas.h"

class CChildFrame;
class CVentanaAyuda;

class CMainFrame : public QMainWindow, public CCmdTarget {
  Q_OBJECT
 public:
  CMainFrame();
  ~CMainFrame() override;

  // Builds the bars (toolbar 128, the status bar with its panes); -1 when a
  // bar cannot be created.
  int OnCreate();
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
  // The manual, in a help window of its own, at context 102.
  void OnTemasAyuda();

  // Runs a command from a menu, key, toolbar or form button: the update
  // handlers are asked first, and a disabled command does nothing. A form
  // button names its own child frame (pDesde), whose view is asked first;
  // everything else starts at the active child.
  void EjecutarComando(UINT id, CChildFrame* pDesde = nullptr);
  // Routes a command (pCmdUI null) or its update: the view, its document,
  // the child frame, this frame, the application.
  bool Rutear(UINT id, CCmdUI* pCmdUI, CChildFrame* pDesde = nullptr);
  // What the update handlers say of a command: false when nobody handles it.
  bool EstaHabilitado(UINT id, int* pCheck = nullptr, CChildFrame* pDesde = nullptr);

  CChildFrame* MarcoActivo() const;
  CView* VistaActiva() const;
  // A new child frame enters the area, hidden, at the size that shows its
  // whole form; the view's initial update comes next.
  void AgregarMarco(CChildFrame* pMarco);
  // Then it is shown and activated: one title-bar height below and right of
  // the last one, wholly inside the area (back to the top-left corner when
  // the step would leave it), and maximized when the active child is.
  void MostrarMarco(CChildFrame* pMarco);
  // A closing child frame leaves the area; when it filled the area, the
  // one activated after it fills it too.
  void QuitarMarco(CChildFrame* pMarco);
  // Brings a child frame to the front, restored if it was minimized.
  void ActivarMarco(CChildFrame* pMarco);
  // The place and size the main window had when the last run ended (kept
  // in the settings beside the recent files), inside the screen as it is
  // now; the default size when there are none.
  void RestaurarPosicion();
  // Ventana › Cascada and Mosaico: inside the area, whatever the forms''
  // sizes; the main window keeps its own.
  void OnWindowCascade();
  void OnWindowTile();

  QMdiArea* AreaMdi() const { return m_pArea; }
  // 128 while no document window is active, 129 otherwise.
  UINT MenuActual() const { return m_nMenu; }
  // The action of a command in the current menu bar (null when absent).
  QAction* AccionMenu(UINT id) const;
  QToolBar* BarraHerramientas() const { return m_wndToolBar; }
  QStatusBar* BarraEstado() const { return m_wndStatusBar; }
  QString TextoEstado() const;
  // The training pane: the active network's epoch while it trains, and how
  // many networks train when others do too; empty when none trains.
  QString TextoProgreso() const;
  // The help window, once Temas de ayuda has opened it.
  CVentanaAyuda* VentanaAyuda() const;

  // Where the lock keys' state comes from (the platform's by default).
  void FijarLectorTeclas(std::function<EstadoTeclas()> lector);
  // Refreshes the menu choice, titles, the toolbar's states and the
  // training pane (on idle, and after the posted messages are served).
  void ActualizarInterfaz();
  // The training pane, from what each view's last update showed.
  void ActualizarProgreso();
  // MAY, NUM and DESP, from the platform.
  void ActualizarTeclas();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool event(QEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void ColocarMarco(CChildFrame* pMarco);
  void ConstruirMenu(UINT id);
  void ActualizarMenuPopup(QMenu* menu);
  void ActualizarAccion(QAction* a);
  void RellenarRecientes(QMenu* menu);
  void RellenarVentanas(QMenu* menu);
  CChildFrame* MarcoTitulo() const;
  QString TituloDebido() const;
  void ActualizarTitulo();
  void AgregarTeclasVentana();
  int AlturaTitulo() const;

  QMdiArea* m_pArea = nullptr;
  QToolBar* m_wndToolBar = nullptr;
  QStatusBar* m_wndStatusBar = nullptr;
  QLabel* m_pMensaje = nullptr;
  QLabel* m_pProgreso = nullptr;
  std::map<UINT, QLabel*> m_indicadores;
  std::function<EstadoTeclas()> m_leerTeclas;
  QTimer m_reposo;
  UINT m_nMenu = 0;
  std::vector<QAction*> m_aceleradores;
  // Where the last child frame was placed: the next one cascades from it.
  QPointer<CChildFrame> m_pUltimoColocado;
  QList<QPointer<CChildFrame>> m_pendientes;
  QPointer<CVentanaAyuda> m_pAyuda;
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
  // Shows pVista (already added to its document) as a form of template
  // 101, in a scroll area: the controls keep their template positions, a
  // smaller window scrolls, a larger one shows the form at its top-left.
  CChildFrame(CDocument* pDoc, std::unique_ptr<CView> pVista, QWidget* padre = nullptr);
  ~CChildFrame() override;

  // Cerrar, Guardar and Guardar como of its document (printing is the
  // view's).
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

  CDocument* GetDocument() const { return m_pDoc; }
  CView* GetVista() const { return m_pVista.get(); }
  CFormulario* Formulario() const { return m_pFormulario.get(); }
  // The form itself, at its template size.
  QWidget* Lienzo() const { return m_pLienzo; }
  QScrollArea* Desplazamiento() const { return m_pDesplazamiento; }
  // The document's title, without the unsaved-changes mark.
  QString Titulo() const;
  // Takes the view and the widgets down (the document is closing).
  void Desmontar();
  // The document's title, with Qt's mark ("[*]") shown while it is modified.
  void ActualizarTitulo();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  CDocument* m_pDoc;
  std::unique_ptr<CView> m_pVista;
  CLienzoVista* m_pLienzo = nullptr;
  QScrollArea* m_pDesplazamiento = nullptr;
  std::unique_ptr<CFormulario> m_pFormulario;
  std::unique_ptr<IPeerQt> m_pPeerVista;
  bool m_bDesmontado = false;
};
