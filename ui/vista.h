// The training view: the form of template 101 that shows one network's
// structure, parameters, files, status, epoch counter, latest measures and
// their three graphs. It only reads its document.
#pragma once

#include <QPointer>
#include <QRect>
#include <QRectF>

#include <array>
#include <functional>
#include <vector>

#include "framework/documento.h"
#include "plan/plan_grafica.h"

class CNodusDoc;
class CMarcoGrafica;
class QMdiSubWindow;
class QPainter;
class QPrinter;
struct CurvasRed;
struct Lamina;
class QWidget;

// The state of one print job, as the print hooks see it.
struct CPrintInfo {
  QPrinter* m_pPD = nullptr;
  UINT m_nCurPage = 1;
  BOOL m_bPreview = FALSE;
  QPainter* m_pDC = nullptr;  // the page's painter while OnPrint runs
  QRect m_rectDraw;           // the printable area in its coordinates
};

// The one-way transfer of the form: members to controls.
struct CIntercambioVista {
  CWnd* m_pWnd;
  BOOL m_bSaveAndValidate;
};

class CNodusView : public CView {
 public:
  CNodusView();
  ~CNodusView() override;

  CNodusDoc* GetDocument() const;

  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  // The full redraw of the three graphs; the view's own surface is unused.
  void OnDraw() override;
  // The print commands and the training pane; everything else goes on to
  // the document.
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
  // The two messages of the training thread.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  LRESULT OnActualizar(WPARAM wParam, LPARAM lParam);
  LRESULT OnFinEntrenamiento(WPARAM wParam, LPARAM lParam);

  // Printing: the standard flow; the page is the form as it shows
  // (PintarPagina).
  virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
  virtual void OnBeginPrinting(CPrintInfo* pInfo) { (void)pInfo; }
  virtual void OnPrint(CPrintInfo* pInfo);
  virtual void OnEndPrinting(CPrintInfo* pInfo) { (void)pInfo; }
  BOOL DoPreparePrinting(CPrintInfo* pInfo);
  void OnFilePrint();
  void OnFilePrintPreview();
  // The print dialog; replaceable so that a test answers it. Returns true
  // when the user confirms.
  static std::function<bool(QPrinter&, QWidget* padre)> s_dialogoImprimir;
  // The form with its texts and buttons as it shows, scaled to fit the
  // rectangle whole (centred across, at its top), its graphs drawn again
  // from the view's plan at the painter's resolution.
  void PintarPagina(QPainter& p, const QRect& pagina);

  // The three graphs as a picture: PNG, SVG or PDF by the name's extension.
  void OnExportarGraficas();
  // The report page (PintarInforme) as PDF, SVG or PNG at a chosen size.
  void OnExportarInforme();
  // The graph window of the network (NRV › Gráficas, a double click on a
  // graph): opened beside the form, or brought to the front.
  void OnGraficas();
  // The graph window while it is open.
  class CVentanaGraficas* VentanaGraficas() const;
  // The report page of the network and those its graph window lays over,
  // on a painter: the rectangle is the page in its coordinates, ppp its
  // dots per inch.
  void PintarInformeVista(QPainter& p, const QRectF& pagina, double ppp, double margenMm);
  // The right-hand panel of the form as the view shows it: its graphs,
  // titles and latest values, at the form's scale.
  Lamina LaminaVista();

  void DoDataExchange(CIntercambioVista* pDX);
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  // The surface of a graph frame (1011, 1020, 1015), or null while the
  // host has not built the form's widgets.
  CMarcoGrafica* Marco(int id);

  // Members, in the form's order.
  CWnd* m_ctlMarcoErrorTotal = nullptr;
  CString m_strErrorMaximo;
  CString m_strAciertos;
  CString m_strFicheroEntrenamiento;
  CString m_strErrorTotal;
  CString m_strEpoca;
  CString m_strMomento;
  CString m_strAprendizaje;
  CString m_strEstado;
  CString m_strEstructura;
  CString m_strFicheroVerificacion;
  CString m_strErrorMaximoMuestra;
  UINT m_nPuntosMostrados = 0;

 private:
  // The report's curves and scale: the graph window's while it is open.
  std::vector<CurvasRed> CurvasInforme() const;
  bool EscalaInforme() const;
  // The strip under the form (cifras_prueba.h) from the network's options,
  // which its training thread writes at a run's end: read while no run goes
  // on, or once the run has said it ended (bFin).
  void ActualizarCifrasPrueba(bool bFin);
  // One pass over the three frames.
  void Graficas(Pasada pasada);
  // What a pass reads: the document's history up to the entries shown,
  // the total-error frame as it stands, the frames' sizes on screen.
  EntradaPlan EntradaVista();
  // Gives each graph frame on screen its surface, once the host has built
  // the form's widgets.
  void AsegurarSuperficies();
  // The child frame that shows this view, once the host has built it.
  QMdiSubWindow* MarcoPadre();
  // The parent frame shrinks to fit the form (never grows).
  void AjustarMarcoPadre();
  // The parent frame comes to the front of its area.
  void ActivarMarcoPadre();

  std::array<QPointer<CMarcoGrafica>, 3> m_marcos;
  QPointer<QMdiSubWindow> m_pGraficas;
  // The document shown, for the graph windows when the view goes.
  CNodusDoc* m_pDocVista = nullptr;
  bool m_bTextosOpacos = false;
};
