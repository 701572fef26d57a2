#include "ui/vista.h"

#include <QFrame>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageLayout>
#include <QPainter>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

#include <algorithm>

#include "framework/dialogo.h"
#include "framework/host.h"
#include "framework/texto.h"
#include "network/exportar.h"
#include "network/nodusdoc.h"
#include "network/verificacion.h"
#include "resources/resource.h"
#include "ui/formulario.h"
#include "ui/grafica.h"
#include "plan/lamina.h"
#include "plan/svg.h"
#include "ui/aplicacion.h"
#include "ui/cifras_prueba.h"
#include "ui/ventana_graficas.h"

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

// The open networks, in the order they were opened.
std::vector<CNodusDoc*> RedesAbiertas() {
  std::vector<CNodusDoc*> v;
  auto* app = dynamic_cast<CNodusApp*>(AfxGetApp());
  if (app == nullptr || app->Plantilla() == nullptr) return v;
  for (CDocument* d : app->Plantilla()->Documentos())
    if (auto* n = dynamic_cast<CNodusDoc*>(d)) v.push_back(n);
  return v;
}

}  // namespace

std::function<bool(QPrinter&, QWidget*)> CNodusView::s_dialogoImprimir = [](QPrinter& impresora, QWidget* padre) {
  QPrintDialog dlg(&impresora, padre);
  dlg.setObjectName(QStringLiteral("dialogoImprimir"));
  dlg.setWindowTitle(QStringLiteral("Imprimir"));
  return dlg.exec() == QDialog::Accepted;
};

CNodusView::CNodusView() = default;

CNodusView::~CNodusView() {
  delete m_pGraficas.data();
  if (m_pDocVista != nullptr) CVentanaGraficas::DocumentoCerrado(m_pDocVista);
}

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
  m_pDocVista = GetDocument();
  UpdateData(FALSE);
  OnUpdate(nullptr, 0, nullptr);

  AjustarMarcoPadre();

  m_ctlMarcoErrorTotal->ShowWindow(SW_HIDE);
  CNodusDoc* pDoc = GetDocument();
  if (pDoc != nullptr && !pDoc->PuedeEntrenarse())
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
  CVentanaGraficas::DocumentoActualizado(pDoc);

  UpdateData(FALSE);
  ActualizarCifrasPrueba(false);

  if (pDoc->m_bEntrenada.load() || m_nPuntosMostrados == pDoc->m_nMaxEpocas) {
    if (CView* pPrimera = pDoc->GetFirstView()) pPrimera->GetDlgItem(ID_DETENER)->EnableWindow(FALSE);
  }
}

void CNodusView::OnDraw() { Graficas(Pasada::Completa); }

void CNodusView::Graficas(Pasada pasada) {
  CNodusDoc* pDoc = GetDocument();
  if (pDoc == nullptr) return;
  const PlanGraficas plan = PlanificarGraficas(pasada, EntradaVista());
  if (plan.bMostrarMarcoTotal) m_ctlMarcoErrorTotal->ShowWindow(SW_SHOW);
  for (int k = 0; k < 3; ++k) {
    if (m_marcos[k]) m_marcos[k]->Pintar(plan.marcos[k]);
  }
}

EntradaPlan CNodusView::EntradaVista() {
  EntradaPlan e;
  CNodusDoc* pDoc = GetDocument();
  if (pDoc == nullptr) return e;
  if (m_ctlMarcoErrorTotal == nullptr) m_ctlMarcoErrorTotal = GetDlgItem(IDC_GRAFICA_ERROR_TOTAL);

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
  return e;
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
  ActualizarCifrasPrueba(true);
  // The box belongs to this network: its window comes to the front first.
  ActivarMarcoPadre();
  AfxMessageBox("Terminado entrenamiento", MB_OK, 0);
  return 0;
}

void CNodusView::ActualizarCifrasPrueba(bool bFin) {
  CNodusDoc* pDoc = GetDocument();
  if (pDoc == nullptr || (!bFin && pDoc->m_bEntrenando.load())) return;
  MostrarCifrasPrueba(AfxWidgetDe(this),
                      QString::fromStdString(TextoPruebaYParada(pDoc->m_opciones, pDoc->m_nEpoca.load())));
}

// ---------------------------------------------------------------- printing

bool CNodusView::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
  switch (id) {
    case ID_EXPORTAR_GRAFICAS:
      if (pCmdUI != nullptr) pCmdUI->Enable(GetDocument() != nullptr);
      else OnExportarGraficas();
      return true;
    case ID_EXPORTAR_INFORME:
      if (pCmdUI != nullptr) pCmdUI->Enable(GetDocument() != nullptr);
      else OnExportarInforme();
      return true;
    case ID_GRAFICAS:
      if (pCmdUI != nullptr) pCmdUI->Enable(GetDocument() != nullptr);
      else OnGraficas();
      return true;
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

namespace {

// The form is wider than tall: its page lies on its side unless the user
// says otherwise.
void PrepararImpresora(QPrinter& impresora, CDocument* pDoc) {
  if (pDoc != nullptr) impresora.setDocName(QString::fromStdString(pDoc->GetTitle()));
  if (pDoc != nullptr && !pDoc->GetPathName().empty()) {
    // A page printed to PDF is proposed beside the network's file. The
    // printer stays the default one: a ".pdf" name alone would choose the
    // PDF writer.
    const QFileInfo red(QString::fromStdString(pDoc->GetPathName()));
    impresora.setOutputFileName(red.absolutePath() + QLatin1Char('/') + red.completeBaseName() + QStringLiteral(".pdf"));
    impresora.setOutputFormat(QPrinter::NativeFormat);
  }
  impresora.setPageOrientation(QPageLayout::Landscape);
  // The report's margins, whatever the printer's own.
  impresora.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
}

QRect AreaImprimible(QPrinter& impresora) {
  return QRect(QPoint(0, 0), impresora.pageLayout().paintRectPixels(impresora.resolution()).size());
}

}  // namespace

void CNodusView::OnFilePrint() {
  QPrinter impresora;
  PrepararImpresora(impresora, CView::GetDocument());
  CPrintInfo info;
  info.m_pPD = &impresora;
  // A cancelled dialog ends the job before it starts.
  if (!OnPreparePrinting(&info)) return;
  QPainter pagina;
  if (!pagina.begin(&impresora)) {
    AfxMessageBox("No se ha podido iniciar la impresión.", MB_OK | MB_ICONEXCLAMATION, 0);
    return;
  }
  info.m_pDC = &pagina;
  info.m_rectDraw = AreaImprimible(impresora);
  OnBeginPrinting(&info);
  OnPrint(&info);
  OnEndPrinting(&info);
  pagina.end();
}

void CNodusView::OnFilePrintPreview() {
  QPrinter impresora;
  PrepararImpresora(impresora, CView::GetDocument());
  CPrintInfo info;
  info.m_pPD = &impresora;
  info.m_bPreview = TRUE;
  if (!OnPreparePrinting(&info)) return;
  QWidget* lienzo = AfxWidgetDe(this);
  QWidget* padre = lienzo ? lienzo->window() : nullptr;
  QPrintPreviewDialog dlg(&impresora, padre);
  dlg.setWindowTitle(QStringLiteral("Presentación preliminar"));
  // Large enough to read the page: the main window's size.
  if (padre != nullptr) dlg.resize(padre->size());
  QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, [this, &info](QPrinter* p) {
    QPainter pagina(p);
    info.m_pPD = p;
    info.m_pDC = &pagina;
    info.m_rectDraw = AreaImprimible(*p);
    OnBeginPrinting(&info);
    OnPrint(&info);
    OnEndPrinting(&info);
    info.m_pDC = nullptr;
  });
  dlg.exec();
}

void CNodusView::OnPrint(CPrintInfo* pInfo) {
  if (pInfo->m_pDC == nullptr || pInfo->m_pPD == nullptr) return;
  PintarInformeVista(*pInfo->m_pDC, pInfo->m_rectDraw, pInfo->m_pPD->resolution(), 0.0);
}

void CNodusView::PintarInformeVista(QPainter& p, const QRectF& pagina, double ppp, double margenMm) {
  CNodusDoc* pDoc = GetDocument();
  if (pDoc == nullptr) return;
  const DatosInforme datos = DatosDe(*pDoc, FechaInforme());
  PintarInforme(p, pagina, ppp, datos, CurvasInforme(), EscalaInforme(), margenMm);
}

std::vector<CurvasRed> CNodusView::CurvasInforme() const {
  // The page shows what the graph window shows: its networks and scale.
  std::vector<CurvasRed> curvas;
  if (CVentanaGraficas* w = VentanaGraficas()) {
    for (CNodusDoc* d : w->Redes()) curvas.push_back(CurvasDe(*d));
  } else if (CNodusDoc* pDoc = GetDocument()) {
    curvas.push_back(CurvasDe(*pDoc));
  }
  return curvas;
}

bool CNodusView::EscalaInforme() const {
  CVentanaGraficas* w = VentanaGraficas();
  return w == nullptr || w->EscalaLogaritmica();
}

CVentanaGraficas* CNodusView::VentanaGraficas() const {
  return m_pGraficas ? qobject_cast<CVentanaGraficas*>(m_pGraficas->widget()) : nullptr;
}

void CNodusView::OnGraficas() {
  CNodusDoc* pDoc = GetDocument();
  QMdiSubWindow* marco = MarcoPadre();
  QMdiArea* area = marco ? marco->mdiArea() : nullptr;
  if (pDoc == nullptr || area == nullptr) return;
  if (!m_pGraficas) {
    auto* ventana = new CVentanaGraficas(pDoc, RedesAbiertas);
    auto* hijo = new QMdiSubWindow();
    hijo->setObjectName(QStringLiteral("marcoGraficas"));
    hijo->setWidget(ventana);
    hijo->setAttribute(Qt::WA_DeleteOnClose);
    hijo->setWindowTitle(ventana->windowTitle());
    hijo->setWindowIcon(marco->windowIcon());
    // The menus and commands while it is active are its network's.
    hijo->setProperty("marcoRed", QVariant::fromValue<QObject*>(marco));
    area->addSubWindow(hijo);
    // Large enough to read, never larger than the area.
    hijo->resize(QSize(760, 620).boundedTo(area->viewport()->size()).expandedTo(QSize(360, 300)));
    const bool maximizar = marco->isMaximized();
    if (maximizar) {
      hijo->showMaximized();
    } else {
      hijo->show();
      // The area places a new window beside the last one: inside it, whole.
      const QSize zona = area->viewport()->size();
      hijo->move(std::clamp(hijo->x(), 0, std::max(0, zona.width() - hijo->width())),
                 std::clamp(hijo->y(), 0, std::max(0, zona.height() - hijo->height())));
    }
    m_pGraficas = hijo;
  }
  if (m_pGraficas->isMinimized()) m_pGraficas->showNormal();
  area->setActiveSubWindow(m_pGraficas);
  m_pGraficas->raise();
}

void CNodusView::OnExportarInforme() {
  CNodusDoc* pDoc = GetDocument();
  if (pDoc == nullptr) return;
  CFileDialog dlg(FALSE, "pdf", CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  {{"Documentos PDF (*.pdf)", "*.pdf"},
                   {"Imágenes SVG (*.svg)", "*.svg"},
                   {"Imágenes PNG (*.png)", "*.png"}},
                  "Exportar informe");
  dlg.m_bExtensionDelFiltro = TRUE;
  CString tipo;
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    tipo = dlg.GetFileExt();
    std::transform(tipo.begin(), tipo.end(), tipo.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    if (tipo != "png" && tipo != "svg" && tipo != "pdf") {
      AfxMessageBox(FormatC("El informe se guarda como documento PDF o imagen SVG o PNG; el nombre %s ha de acabar "
                            "en .pdf, .svg o .png.",
                            dlg.GetPathName().c_str()),
                    MB_OK | MB_ICONEXCLAMATION);
      continue;
    }
    const Resultado<Hecho> c = ComprobarDestinoRed(*pDoc, pDoc->GetPathName(), dlg.GetPathName());
    if (c) break;
    AfxMessageBox(c.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
  }
  const DatosInforme datos = DatosDe(*pDoc, FechaInforme());
  QByteArray b;
  if (tipo == "png") {
    // The picture's size: a landscape A4 page at a chosen resolution.
    const QStringList tamanos = {QStringLiteral("1123 x 794 (96 ppp)"), QStringLiteral("1754 x 1240 (150 ppp)"),
                                 QStringLiteral("3508 x 2480 (300 ppp)")};
    QWidget* lienzo = AfxWidgetDe(this);
    QInputDialog pregunta(lienzo ? lienzo->window() : nullptr);
    pregunta.setObjectName(QStringLiteral("tamanoInforme"));
    pregunta.setWindowTitle(QStringLiteral("Tamaño de la imagen"));
    pregunta.setLabelText(QStringLiteral("Tamaño en píxeles:"));
    pregunta.setComboBoxItems(tamanos);
    pregunta.setTextValue(tamanos[1]);
    if (pregunta.exec() != QDialog::Accepted) return;
    const QStringList partes = pregunta.textValue().section(QLatin1Char(' '), 0, 2).split(QStringLiteral(" x "));
    const QSize tam(partes.value(0).toInt(), partes.value(1).toInt());
    b = PngInforme(datos, CurvasInforme(), EscalaInforme(), tam);
  } else if (tipo == "svg") {
    b = SvgInforme(datos, CurvasInforme(), EscalaInforme());
  } else {
    b = PdfInforme(datos, CurvasInforme(), EscalaInforme());
  }
  if (b.isEmpty()) {
    AfxMessageBox(FormatC("No se ha podido dibujar el informe para %s.", dlg.GetPathName().c_str()),
                  MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const Resultado<Hecho> r = EscribirExportacion(dlg.GetPathName(), std::string(b.constData(), std::size_t(b.size())));
  if (!r) AfxMessageBox(r.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
}

void CNodusView::PintarPagina(QPainter& p, const QRect& pagina) {
  QWidget* lienzo = AfxWidgetDe(this);
  if (lienzo == nullptr || GetDocument() == nullptr || pagina.isEmpty()) return;
  const QSize tam = lienzo->size().expandedTo(QSize(1, 1));
  const double escala = std::min(pagina.width() / double(tam.width()), pagina.height() / double(tam.height()));
  // The plan first: painting the form below runs a full redraw, which may
  // show the total-error frame.
  const EntradaPlan e = EntradaVista();
  const PlanGraficas plan = PlanificarGraficas(Pasada::Completa, e);
  p.save();
  p.translate(pagina.left() + (pagina.width() - tam.width() * escala) / 2.0, pagina.top());
  p.scale(escala, escala);
  lienzo->render(&p, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  // The surfaces hold the graphs at the screen's pixels; the page has many
  // more, so the plan is drawn again over them.
  const QFont fuente = FuenteLamina(FuenteDialogo());
  for (int id : kMarcos) {
    const int k = IndiceDe(id);
    QWidget* marco = AfxWidgetDe(GetDlgItem(id));
    if (marco == nullptr || e.ancho[k] <= 0 || e.alto[k] <= 0) continue;
    const bool visible = k != kMarcoErrorTotal || e.bMarcoTotalVisible || plan.bMostrarMarcoTotal;
    if (!visible) continue;
    p.save();
    p.translate(marco->mapTo(lienzo, QPoint(0, 0)));
    p.setClipRect(QRect(0, 0, e.ancho[k], e.alto[k]), Qt::IntersectClip);
    PintarPlanMarco(p, e.ancho[k], e.alto[k], plan.marcos[k], fuente);
    p.restore();
  }
  p.restore();
}

// ---------------------------------------------------------------- picture of the graphs

Lamina CNodusView::LaminaVista() {
  const UnidadesBase u = UnidadesDialogo(FuenteDialogo());
  BaseDialogo base;
  base.x = u.x;
  base.y = u.y;
  return PlanificarLamina(EntradaVista(), base);
}

void CNodusView::OnExportarGraficas() {
  CNodusDoc* pDoc = GetDocument();
  if (pDoc == nullptr) return;
  CFileDialog dlg(FALSE, "png", CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                  {{"Imágenes PNG (*.png)", "*.png"},
                   {"Imágenes SVG (*.svg)", "*.svg"},
                   {"Documentos PDF (*.pdf)", "*.pdf"}},
                  "Exportar gráficas");
  dlg.m_bExtensionDelFiltro = TRUE;
  CString tipo;
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    tipo = dlg.GetFileExt();
    std::transform(tipo.begin(), tipo.end(), tipo.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    if (tipo != "png" && tipo != "svg" && tipo != "pdf") {
      AfxMessageBox(FormatC("Las gráficas se guardan como imagen PNG, SVG o PDF; el nombre %s ha de acabar en "
                            ".png, .svg o .pdf.",
                            dlg.GetPathName().c_str()),
                    MB_OK | MB_ICONEXCLAMATION);
      continue;
    }
    const Resultado<Hecho> c = ComprobarDestinoRed(*pDoc, pDoc->GetPathName(), dlg.GetPathName());
    if (c) break;
    AfxMessageBox(c.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
  }
  const Lamina lamina = LaminaVista();
  const CString titulo = "Curvas de entrenamiento de " + pDoc->GetTitle();
  std::string bytes;
  if (tipo == "svg") {
    bytes = SvgLamina(lamina, titulo);
  } else {
    const QFont fuente = FuenteLamina(FuenteDialogo());
    QWidget* lienzo = AfxWidgetDe(this);
    const QByteArray b = tipo == "png" ? PngLamina(lamina, fuente, lienzo ? lienzo->devicePixelRatioF() : 1.0)
                                       : PdfLamina(lamina, fuente, QString::fromUtf8(titulo.c_str()));
    if (b.isEmpty()) {
      AfxMessageBox(FormatC("No se han podido dibujar las gráficas para %s.", dlg.GetPathName().c_str()),
                    MB_OK | MB_ICONEXCLAMATION);
      return;
    }
    bytes.assign(b.constData(), static_cast<std::size_t>(b.size()));
  }
  const Resultado<Hecho> r = EscribirExportacion(dlg.GetPathName(), bytes);
  if (!r) AfxMessageBox(r.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
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
    superficie->alDobleClic = [this] { OnGraficas(); };
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
