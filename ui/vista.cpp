#include "ui/vista.h"

#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

#include <algorithm>

#include "framework/host.h"
#include "framework/texto.h"
#include "network/nodusdoc.h"
#include "resources/resource.h"
#include "ui/formulario.h"
#include "ui/grafica.h"

namespace {

void DDX_Control(CIntercambioVista* pDX, int id, CWnd*& ctl) {
  if (ctl == nullptr) ctl = pDX->m_pWnd->GetDlgItem(id);
}

void DDX_Text(CIntercambioVista* pDX, int id, CString& value) {
  CWnd* w = pDX->m_pWnd->GetDlgItem(id);
  if (pDX->m_bSaveAndValidate) {
    value = w->GetWindowText();
  } else if (w->GetWindowText() != value) {
    w->SetWindowText(value);
  }
}

// The document's status text while a run goes on: a view's last update
// tells whether its network trains.
constexpr const char* kEstadoEntrenando = "Entrenando...";

constexpr int IndiceDe(int id) {
  return id == IDC_GRAFICA_ERROR_MAXIMO ? kMarcoErrorMaximo
         : id == IDC_GRAFICA_ERROR_TOTAL ? kMarcoErrorTotal
         : id == IDC_GRAFICA_ACIERTOS    ? kMarcoAciertos
                                         : -1;
}

}  // namespace

std::function<bool(QPrinter&, QWidget*)> CNodusView::s_dialogoImprimir = [](QPrinter& impresora, QWidget* padre) {
  QPrintDialog dlg(&impresora, padre);
  dlg.setObjectName(QStringLiteral("dialogoImprimir"));
  dlg.setWindowTitle(QStringLiteral("Imprimir"));
  return dlg.exec() == QDialog::Accepted;
};

CNodusView::CNodusView() = default;

CNodusView::~CNodusView() = default;

CNodusDoc* CNodusView::GetDocument() const { return dynamic_cast<CNodusDoc*>(m_pDocument); }

// ---------------------------------------------------------------- exchange

void CNodusView::DoDataExchange(CIntercambioVista* pDX) {
  DDX_Control(pDX, IDC_GRAFICA_ERROR_TOTAL, m_ctlMarcoErrorTotal);
  DDX_Text(pDX, IDC_ERROR_MAXIMO, m_strErrorMaximo);
  DDX_Text(pDX, IDC_ACIERTOS, m_strAciertos);
  DDX_Text(pDX, IDC_FICHERO_ENT_VISTA, m_strFicheroEntrenamiento);
  DDX_Text(pDX, IDC_ERROR_TOTAL, m_strErrorTotal);
  DDX_Text(pDX, IDC_EPOCA, m_strEpoca);
  DDX_Text(pDX, IDC_MOMENTO, m_strMomento);
  DDX_Text(pDX, IDC_APRENDIZAJE, m_strAprendizaje);
  DDX_Text(pDX, IDC_ESTADO, m_strEstado);
  DDX_Text(pDX, IDC_ESTRUCTURA, m_strEstructura);
  DDX_Text(pDX, IDC_FICHERO_VER_VISTA, m_strFicheroVerificacion);
  DDX_Text(pDX, IDC_MAX_EPOCAS, m_strErrorMaximoMuestra);
}

BOOL CNodusView::UpdateData(BOOL bSaveAndValidate) {
  CIntercambioVista dx{this, bSaveAndValidate};
  DoDataExchange(&dx);
  return TRUE;
}

// ---------------------------------------------------------------- updates

void CNodusView::OnInitialUpdate() {
  UpdateData(FALSE);
  OnUpdate(nullptr, 0, nullptr);

  AjustarMarcoPadre();

  m_ctlMarcoErrorTotal->ShowWindow(SW_HIDE);
  CNodusDoc* pDoc = GetDocument();
  if (pDoc != nullptr && (pDoc->m_bEntrenada.load() || pDoc->m_nMaxEpocas == pDoc->m_nEpoca.load()))
    GetDlgItem(ID_ENTRENAR)->EnableWindow(FALSE);
  GetDlgItem(ID_DETENER)->EnableWindow(FALSE);
}

void CNodusView::OnUpdate(CView*, LPARAM, CObject*) {
  CNodusDoc* pDoc = GetDocument();
  if (pDoc == nullptr) return;
  if (m_ctlMarcoErrorTotal == nullptr) m_ctlMarcoErrorTotal = GetDlgItem(IDC_GRAFICA_ERROR_TOTAL);

  m_strFicheroEntrenamiento = pDoc->m_strFicheroEntrenamiento;
  m_strFicheroVerificacion = pDoc->m_strFicheroVerificacion;
  m_strErrorMaximoMuestra = FormatC("%6.5f", pDoc->m_dErrorMaximo);
  m_strEstructura = FormatC("(%u - %u - %u)", pDoc->m_nEntradas, pDoc->m_nOcultas, pDoc->m_nSalidas);
  m_strAprendizaje = FormatC("%6.5f", pDoc->m_dAprendizaje);
  m_strMomento = FormatC("%6.5f", pDoc->m_dMomento);
  m_strEstado = pDoc->GetEstado();

  UINT n = pDoc->m_nPuntos.load(std::memory_order_acquire);
  // A count beyond the stored history (a damaged file) shows what is there.
  n = std::min({n, pDoc->m_arrErrorMaximo.m_nTam, pDoc->m_arrErrorTotal.m_nTam, pDoc->m_arrAciertos.m_nTam});
  if (n == 0) {
    m_strErrorMaximo = "n/a";
    m_strErrorTotal = "n/a";
    m_strEpoca = "n/a";
    m_nPuntosMostrados = 0;
  } else {
    m_strErrorMaximo = FormatC("%f", pDoc->m_arrErrorMaximo.m_pDatos[n - 1]);
    m_strAciertos = FormatC("%7.4f%%", pDoc->m_arrAciertos.m_pDatos[n - 1]);
    m_strErrorTotal = FormatC("%f", pDoc->m_arrErrorTotal.m_pDatos[n - 1]);
    m_nPuntosMostrados = n;
    m_strEpoca = FormatC("%u / %u", n, pDoc->m_nMaxEpocas);
    Graficas(Pasada::Actualizacion);
  }

  UpdateData(FALSE);

  if (pDoc->m_bEntrenada.load() || m_nPuntosMostrados == pDoc->m_nMaxEpocas) {
    if (CView* pPrimera = pDoc->GetFirstView()) pPrimera->GetDlgItem(ID_DETENER)->EnableWindow(FALSE);
  }
}

void CNodusView::OnDraw() { Graficas(Pasada::Completa); }

void CNodusView::Graficas(Pasada pasada) {
  CNodusDoc* pDoc = GetDocument();
  if (pDoc == nullptr) return;
  if (m_ctlMarcoErrorTotal == nullptr) m_ctlMarcoErrorTotal = GetDlgItem(IDC_GRAFICA_ERROR_TOTAL);

  EntradaPlan e;
  e.nMaxEpocas = pDoc->m_nMaxEpocas;
  e.dErrorMaximo = pDoc->m_dErrorMaximo;
  e.bHayPuntos = pDoc->m_nPuntos.load(std::memory_order_acquire) != 0;
  e.n = std::min({m_nPuntosMostrados, pDoc->m_arrErrorMaximo.m_nTam, pDoc->m_arrErrorTotal.m_nTam,
                  pDoc->m_arrAciertos.m_nTam});
  e.pErrorMaximo = pDoc->m_arrErrorMaximo.m_pDatos;
  e.pErrorTotal = pDoc->m_arrErrorTotal.m_pDatos;
  e.pAciertos = pDoc->m_arrAciertos.m_pDatos;
  e.bMarcoTotalVisible = m_ctlMarcoErrorTotal->IsWindowVisible() != FALSE;
  AsegurarSuperficies();
  for (int k = 0; k < 3; ++k) {
    const CMarcoGrafica* m = m_marcos[k];
    e.ancho[k] = m ? m->width() : 0;
    e.alto[k] = m ? m->height() : 0;
  }

  const PlanGraficas plan = PlanificarGraficas(pasada, e);
  if (plan.bMostrarMarcoTotal) m_ctlMarcoErrorTotal->ShowWindow(SW_SHOW);
  for (int k = 0; k < 3; ++k) {
    if (m_marcos[k]) m_marcos[k]->Pintar(plan.marcos[k]);
  }
}

// ---------------------------------------------------------------- messages

LRESULT CNodusView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTUALIZAR:
      return OnActualizar(wParam, lParam);
    case WM_FIN_ENTRENAMIENTO:
      return OnFinEntrenamiento(wParam, lParam);
    default:
      return CView::WindowProc(message, wParam, lParam);
  }
}

LRESULT CNodusView::OnActualizar(WPARAM, LPARAM) {
  if (CDocument* pDoc = CView::GetDocument()) pDoc->UpdateAllViews(nullptr, 0, nullptr);
  return 0;
}

LRESULT CNodusView::OnFinEntrenamiento(WPARAM, LPARAM) {
  // The box belongs to this network: its window comes to the front first.
  ActivarMarcoPadre();
  AfxMessageBox("Terminado entrenamiento", MB_OK, 0);
  return 0;
}

// ---------------------------------------------------------------- printing

bool CNodusView::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
  switch (id) {
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW:
      if (pCmdUI != nullptr) {
        pCmdUI->Enable(TRUE);
      } else if (id == ID_FILE_PRINT_PREVIEW) {
        OnFilePrintPreview();
      } else {
        OnFilePrint();
      }
      return true;
    case ID_INDICATOR_ENTRENAMIENTO:
      // The training pane: this network's epoch, from the last update
      // message, while the run goes on.
      if (pCmdUI != nullptr) {
        CNodusDoc* pDoc = GetDocument();
        pCmdUI->Enable(pDoc != nullptr && m_strEstado == kEstadoEntrenando);
        if (pDoc != nullptr) pCmdUI->SetText(FormatC("Época %u / %u", m_nPuntosMostrados, pDoc->m_nMaxEpocas));
      }
      return pCmdUI != nullptr;
    default:
      return CView::OnCmdMsg(id, pCmdUI);
  }
}

BOOL CNodusView::OnPreparePrinting(CPrintInfo* pInfo) { return DoPreparePrinting(pInfo); }

BOOL CNodusView::DoPreparePrinting(CPrintInfo* pInfo) {
  if (pInfo->m_bPreview) return TRUE;
  QWidget* lienzo = AfxWidgetDe(this);
  QWidget* padre = lienzo ? lienzo->window() : nullptr;
  return s_dialogoImprimir(*pInfo->m_pPD, padre) ? TRUE : FALSE;
}

void CNodusView::OnFilePrint() {
  QPrinter impresora;
  if (CDocument* pDoc = CView::GetDocument()) impresora.setDocName(QString::fromStdString(pDoc->GetTitle()));
  CPrintInfo info;
  info.m_pPD = &impresora;
  // A cancelled dialog ends the job before it starts.
  if (!OnPreparePrinting(&info)) return;
  QPainter pagina;
  if (!pagina.begin(&impresora)) {
    AfxMessageBox("No se ha podido iniciar la impresión.", MB_OK | MB_ICONEXCLAMATION, 0);
    return;
  }
  OnBeginPrinting(&info);
  OnPrint(&info);
  OnEndPrinting(&info);
  pagina.end();
}

void CNodusView::OnFilePrintPreview() {
  QPrinter impresora;
  CPrintInfo info;
  info.m_pPD = &impresora;
  info.m_bPreview = TRUE;
  if (!OnPreparePrinting(&info)) return;
  QWidget* lienzo = AfxWidgetDe(this);
  QPrintPreviewDialog dlg(&impresora, lienzo ? lienzo->window() : nullptr);
  QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, [this, &info](QPrinter* p) {
    QPainter pagina(p);
    info.m_pPD = p;
    OnBeginPrinting(&info);
    OnPrint(&info);
    OnEndPrinting(&info);
  });
  dlg.exec();
}

// ---------------------------------------------------------------- the Qt side

void CNodusView::AsegurarSuperficies() {
  if (!m_bTextosOpacos) {
    if (QWidget* lienzo = AfxWidgetDe(this)) {
      // Texts that change every epoch paint their own background, so that
      // changing them does not repaint the form (a full redraw) under them.
      for (QLabel* l : lienzo->findChildren<QLabel*>()) l->setAutoFillBackground(true);
      m_bTextosOpacos = true;
    }
  }
  for (int id : kMarcos) {
    const int k = IndiceDe(id);
    if (m_marcos[k]) continue;
    QWidget* marco = AfxWidgetDe(GetDlgItem(id));
    if (marco == nullptr) continue;
    // The surface covers the frame control whole and paints the frame's
    // black border itself; hiding the frame hides it too.
    auto* superficie = new CMarcoGrafica(marco);
    superficie->setObjectName(QStringLiteral("superficie%1").arg(id));
    superficie->setGeometry(0, 0, marco->width(), marco->height());
    superficie->show();
    m_marcos[k] = superficie;
  }
}

CMarcoGrafica* CNodusView::Marco(int id) {
  const int k = IndiceDe(id);
  if (k < 0) return nullptr;
  AsegurarSuperficies();
  return m_marcos[k].data();
}

QMdiSubWindow* CNodusView::MarcoPadre() {
  for (QWidget* w = AfxWidgetDe(this); w != nullptr; w = w->parentWidget())
    if (auto* hijo = qobject_cast<QMdiSubWindow*>(w)) return hijo;
  return nullptr;
}

void CNodusView::AjustarMarcoPadre() {
  QMdiSubWindow* hijo = MarcoPadre();
  // A window that fills the area (maximized) or sits as an icon keeps its
  // state: the fit is for its normal size.
  if (hijo == nullptr || hijo->isMaximized() || hijo->isMinimized()) return;
  // Shrink only: the frame never grows past what it has.
  const QSize nuevo = hijo->size().boundedTo(hijo->sizeHint());
  if (nuevo != hijo->size()) hijo->resize(nuevo);
}

void CNodusView::ActivarMarcoPadre() {
  QMdiSubWindow* hijo = MarcoPadre();
  if (hijo == nullptr) return;
  if (hijo->isMinimized()) hijo->showNormal();
  if (QMdiArea* area = hijo->mdiArea()) area->setActiveSubWindow(hijo);
  hijo->raise();
}
