#include "ui/aplicacion.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QTranslator>

#include <algorithm>

#include "data/importar.h"
#include "framework/host.h"
#include "network/dialogos_tablas.h"
#include "network/nodusdoc.h"
#include "resources/recursos.h"
#include "resources/resource.h"
#include "ui/hostqt.h"
#include "ui/marcos.h"
#include "ui/ventana_experimento.h"
#include "ui/vista.h"

namespace {

QString Q(const CString& s) { return QString::fromStdString(s); }

const char* const kClaveRegistro = "Local AppWizard-Generated Applications";

std::unique_ptr<CView> CrearVista() { return std::make_unique<CNodusView>(); }

// Field n of the document type's string (fields joined by newlines).
CString Campo(const CString& s, int n) {
  std::size_t inicio = 0;
  for (int i = 0; i < n; ++i) {
    inicio = s.find('\n', inicio);
    if (inicio == CString::npos) return CString();
    ++inicio;
  }
  const std::size_t fin = s.find('\n', inicio);
  return s.substr(inicio, fin == CString::npos ? CString::npos : fin - inicio);
}

}  // namespace

// ---------------------------------------------------------------- template

CPlantillaNodus::CPlantillaNodus() {
  const CString tipo = AfxCargarCadena(IDR_NRVTYPE);
  m_strNombreBase = Campo(tipo, 1);
  m_strFiltro = Campo(tipo, 3);
  m_strExtension = Campo(tipo, 4);
  m_fabricaDocumento = [] { return new CNodusDoc; };
  m_fabricaVista = CrearVista;
}

CPlantillaNodus::~CPlantillaNodus() {
  while (!m_documentos.empty()) CerrarDocumento(m_documentos.back());
}

bool CPlantillaNodus::Contiene(const CDocument* pDoc) const {
  return std::find(m_documentos.begin(), m_documentos.end(), pDoc) != m_documentos.end();
}

CChildFrame* CPlantillaNodus::MarcoDe(const CDocument* pDoc) const {
  for (CChildFrame* m : m_marcos)
    if (m->GetDocument() == pDoc) return m;
  return nullptr;
}

void CPlantillaNodus::CrearMarco(CDocument* pDoc) {
  std::unique_ptr<CView> vista = m_fabricaVista();
  pDoc->AddView(vista.get());
  CView* v = vista.get();
  auto* marco = new CChildFrame(pDoc, std::move(vista));
  m_marcos.push_back(marco);
  // As the classic template does: the frame inside the main frame first,
  // then the view's initial update, then the frame shown and activated.
  CMainFrame* principal = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
  if (principal) principal->AgregarMarco(marco);
  v->OnInitialUpdate();
  if (principal) principal->MostrarMarco(marco);
}

CDocument* CPlantillaNodus::NuevoDocumentoConMarco() {
  CDocument* pDoc = m_fabricaDocumento();
  if (!NuevoDocumento(pDoc)) {
    delete pDoc;
    return nullptr;
  }
  m_documentos.push_back(pDoc);
  CrearMarco(pDoc);
  return pDoc;
}

CDocument* CPlantillaNodus::AbrirDocumentoConMarco(const CString& ruta) {
  CDocument* pDoc = m_fabricaDocumento();
  if (!AbrirDocumento(pDoc, ruta)) {
    delete pDoc;
    return nullptr;
  }
  m_documentos.push_back(pDoc);
  CrearMarco(pDoc);
  return pDoc;
}

void CPlantillaNodus::CerrarDocumento(CDocument* pDoc) {
  auto it = std::find(m_documentos.begin(), m_documentos.end(), pDoc);
  if (it == m_documentos.end()) {
    delete pDoc;
    return;
  }
  m_documentos.erase(it);
  CMainFrame* principal = AfxGetApp() ? AfxGetApp()->m_pMainWnd : nullptr;
  // The windows go first, then the document (which waits for its training).
  for (auto m = m_marcos.begin(); m != m_marcos.end();) {
    if ((*m)->GetDocument() != pDoc) {
      ++m;
      continue;
    }
    CChildFrame* marco = *m;
    m = m_marcos.erase(m);
    marco->Desmontar();
    if (principal) {
      principal->QuitarMarco(marco);
    } else {
      marco->hide();
      if (QMdiArea* area = marco->mdiArea()) area->removeSubWindow(marco);
    }
    marco->deleteLater();
  }
  delete pDoc;
  if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd) app->m_pMainWnd->ActualizarInterfaz();
}

void CPlantillaNodus::DocumentoGuardado(const CString& ruta) {
  if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(ruta);
}

// ---------------------------------------------------------------- application

CNodusApp::CNodusApp() = default;

CNodusApp::~CNodusApp() {
  CloseAllDocuments();
  m_pMarco.reset();
  m_pMainWnd = nullptr;
  m_pPlantilla.reset();
  m_pHost.reset();
}

BOOL CNodusApp::InitInstance(const QStringList& argumentos) {
  m_pHost = std::make_unique<CHostQt>();
  AfxSetAppName(AfxCargarCadena(AFX_IDS_APP_TITLE));
  // The toolkit's own texts (file dialogs, print dialog) in Spanish when its
  // translation is installed.
  auto* traductor = new QTranslator(qApp);
  if (traductor->load(QLocale(QLocale::Spanish, QLocale::Spain), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(traductor);

  // Settings: where the recent-file list is kept.
  QCoreApplication::setOrganizationName(QString::fromUtf8(kClaveRegistro));
  QCoreApplication::setApplicationName(Q(AfxGetAppName()));
  LoadStdProfileSettings();

  m_pPlantilla = std::make_unique<CPlantillaNodus>();

  m_pMarco = std::make_unique<CMainFrame>();
  if (m_pMarco->OnCreate() == -1) {
    m_pMarco.reset();
    return FALSE;
  }
  m_pMainWnd = m_pMarco.get();
  m_pMainWnd->RestaurarPosicion();
  // A training thread's end changes what Entrenar and Detener allow: the
  // toolbar and menus follow at once, not at the idle timer's next tick.
  CMainFrame* pMarco = m_pMarco.get();
  QObject::connect(m_pHost.get(), &CHostQt::hiloTerminado, pMarco, [pMarco] { pMarco->ActualizarInterfaz(); });
  // The status panes that follow the training threads are refreshed once
  // their messages have been served, as after the classic frame's messages.
  QObject::connect(m_pHost.get(), &CHostQt::mensajesAtendidos, m_pMarco.get(), &CMainFrame::ActualizarProgreso);

  // Started without a file, the program opens no document.
  QString fichero;
  for (const QString& a : argumentos)
    if (!a.isEmpty()) {
      fichero = a;
      break;
    }
  if (!fichero.isEmpty() && !OpenDocumentFile(fichero.toStdString())) return FALSE;

  m_pMainWnd->show();
  m_pMainWnd->ActualizarInterfaz();
  return TRUE;
}

bool CNodusApp::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
  switch (id) {
    case ID_APP_ABOUT:
      if (!pCmdUI) OnAppAbout();
      return true;
    case ID_CERRAR_TODAS:
      if (!pCmdUI) OnCerrarTodas();
      return true;
    case ID_FILE_NEW:
      if (!pCmdUI) OnFileNew();
      return true;
    case ID_FILE_OPEN:
      if (!pCmdUI) OnFileOpen();
      return true;
    case ID_FILE_PRINT_SETUP:
      if (!pCmdUI) OnFilePrintSetup();
      return true;
    case ID_IMPORTAR_DATOS:
      if (pCmdUI) pCmdUI->Enable(TRUE);
      else OnImportarDatos();
      return true;
    case ID_EXPERIMENTO:
      if (pCmdUI) pCmdUI->Enable(TRUE);
      else OnExperimento();
      return true;
    case ID_APP_EXIT:
      if (!pCmdUI && m_pMainWnd) m_pMainWnd->close();
      return true;
    default:
      return CWinApp::OnCmdMsg(id, pCmdUI);
  }
}

void CNodusApp::OnAppAbout() {
  CAcercaDeDlg dlg;
  dlg.DoModal();
}

void CNodusApp::OnFileNew() {
  if (m_pPlantilla) m_pPlantilla->NuevoDocumentoConMarco();
}

void CNodusApp::OnFileOpen() {
  if (!m_pPlantilla) return;
  CFileDialog dlg(TRUE, m_pPlantilla->m_strExtension.substr(m_pPlantilla->m_strExtension.empty() ? 0 : 1), CString(),
                  OFN_HIDEREADONLY, m_pPlantilla->Filtros(), "Abrir");
  if (dlg.DoModal() != IDOK) return;
  OpenDocumentFile(dlg.GetPathName());
}

void CNodusApp::OnImportarDatos() {
  CImportarDlg dlg;
  for (;;) {
    if (dlg.DoModal() != IDOK) return;
    // nrv-cli importar's two steps: the whole table in memory, then both
    // files or neither. A refusal shows the dialog again with its choices.
    const Resultado<Importacion> imp = ImportarTabla(dlg.m_strTabla, dlg.m_strEsquema, dlg.Opciones());
    const Resultado<Hecho> g = imp ? GuardarImportacion(*imp, dlg.m_strDestino, dlg.m_strEsquema) : imp.GetFallo();
    if (!g) {
      AfxMessageBox(g.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
      continue;
    }
    CString s = ResumenImportacion(*imp, dlg.m_strDestino, dlg.m_strEsquema);
    if (dlg.m_strEsquema.empty())
      s += "Sin fichero de esquema la escala no se ha guardado: dé uno para importar otras tablas igual.\n";
    if (!imp->tabla.strDuda.empty()) s += imp->tabla.strDuda + "\n";
    if (!s.empty() && s.back() == '\n') s.pop_back();
    AfxMessageBox(s, MB_OK | MB_ICONINFORMATION);
    return;
  }
}

void CNodusApp::OnExperimento() {
  // A window of its own, not modal: the runs go on in the background while
  // the networks are used, and several experiments may run at once.
  auto* w = new CVentanaExperimento(
      [this](const QString& ruta) {
        if (OpenDocumentFile(ruta.toStdString()) && m_pMainWnd) {
          m_pMainWnd->raise();
          m_pMainWnd->activateWindow();
        }
      },
      m_pMainWnd);
  w->show();
}

void CNodusApp::OnFilePrintSetup() {
  QPrinter impresora;
  QPageSetupDialog dlg(&impresora, m_pMainWnd);
  dlg.exec();
}

CDocument* CNodusApp::OpenDocumentFile(const CString& ruta) {
  if (!m_pPlantilla) return nullptr;
  const QString completa = QFileInfo(Q(ruta)).absoluteFilePath();
  const QString canonica = QFileInfo(completa).canonicalFilePath();
  // A network already open is brought forward, not loaded twice.
  for (CDocument* d : m_pPlantilla->Documentos()) {
    if (d->GetPathName().empty()) continue;
    const QString otra = QFileInfo(Q(d->GetPathName())).canonicalFilePath();
    if (!canonica.isEmpty() && otra == canonica) {
      if (CChildFrame* m = m_pPlantilla->MarcoDe(d); m && m_pMainWnd) m_pMainWnd->AreaMdi()->setActiveSubWindow(m);
      return d;
    }
  }
  CDocument* d = m_pPlantilla->AbrirDocumentoConMarco(completa.toStdString());
  if (d) AddToRecentFileList(completa.toStdString());
  return d;
}

void CNodusApp::OnCerrarTodas() {
  if (!m_pPlantilla) return;
  // A copy of the list: closing a document does not disturb the walk.
  const std::vector<CDocument*> documentos = m_pPlantilla->Documentos();
  for (CDocument* d : documentos) {
    if (!m_pPlantilla->Contiene(d)) continue;
    auto* doc = dynamic_cast<CNodusDoc*>(d);
    if (!doc) continue;
    doc->OnDetener();
    if (doc->m_nEpoca.load() != 0 && !doc->IsModified()) {
      doc->OnCloseDocument();
    } else if (doc->PreguntarGuardar() == 0) {
      doc->OnCloseDocument();
    }
  }
}

BOOL CNodusApp::SaveAllModified() {
  if (!m_pPlantilla) return TRUE;
  const std::vector<CDocument*> documentos = m_pPlantilla->Documentos();
  for (CDocument* d : documentos) {
    if (!m_pPlantilla->Contiene(d) || !d->IsModified()) continue;
    if (CChildFrame* m = m_pPlantilla->MarcoDe(d); m && m_pMainWnd) m_pMainWnd->AreaMdi()->setActiveSubWindow(m);
    if (!d->SaveModified()) return FALSE;
  }
  return TRUE;
}

void CNodusApp::CloseAllDocuments() {
  if (!m_pPlantilla) return;
  while (!m_pPlantilla->Documentos().empty()) m_pPlantilla->Documentos().back()->OnCloseDocument();
}

CAcercaDeDlg::CAcercaDeDlg(CWnd* pParent) : CDialog(IDD_ACERCADE, pParent) {}
