// The application object, the one document type and the recent-file list.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "framework/dialogo.h"
#include "framework/documento.h"

class CHostQt;
class CMainFrame;
class CChildFrame;

// The framework's recent-file list, kept with QSettings under the
// organisation "Local AppWizard-Generated Applications" and the application
// "nrv", section "Recent File List", keys File1 to File4.
class CListaRecientes {
 public:
  explicit CListaRecientes(int tam = 4) : m_nTam(tam) {}
  void Cargar();
  void Guardar() const;
  // Puts a path first (moving it up when it is already there).
  void Agregar(const QString& ruta);
  void Quitar(int i);
  const QStringList& Rutas() const { return m_rutas; }
  // The text of entry i in the Archivo menu: "&1 path", shortened.
  QString TextoMenu(int i) const;

 private:
  int m_nTam;
  QStringList m_rutas;
};

// The multi-document template 129: network documents in child frames.
class CPlantillaNodus : public CDocTemplate {
 public:
  CPlantillaNodus();
  ~CPlantillaNodus() override;

  // The documents open, in the order they were opened.
  const std::vector<CDocument*>& Documentos() const { return m_documentos; }
  bool Contiene(const CDocument* pDoc) const;
  CChildFrame* MarcoDe(const CDocument* pDoc) const;

  // Nuevo and Abrir: the document with its frame and view, or null (the
  // framework has reported why).
  CDocument* NuevoDocumentoConMarco();
  CDocument* AbrirDocumentoConMarco(const CString& ruta);
  void CerrarDocumento(CDocument* pDoc) override;

  std::function<CDocument*()> m_fabricaDocumento;
  std::function<std::unique_ptr<CView>()> m_fabricaVista;

 private:
  void CrearMarco(CDocument* pDoc);
  std::vector<CDocument*> m_documentos;
  std::vector<CChildFrame*> m_marcos;
};

class CNodusApp : public CCmdTarget {
 public:
  CNodusApp();
  ~CNodusApp() override;
  CNodusApp(const CNodusApp&) = delete;
  CNodusApp& operator=(const CNodusApp&) = delete;

  // Start-up in the order of the classic application: settings and the
  // recent-file list, the document template, the main frame, then the
  // command line (a ".nrv" to open; none opens nothing). FALSE ends the
  // program.
  BOOL InitInstance(const QStringList& argumentos);
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

  void OnAppAbout();
  void OnCerrarTodas();
  void OnFileNew();
  void OnFileOpen();
  void OnFilePrintSetup();
  void OnOpenRecentFile(UINT id);
  // Opens a network (or activates its window when it is open already).
  CDocument* OpenDocumentFile(const CString& ruta);

  // Shutdown: the standard question for every modified document; FALSE
  // when the user cancelled.
  BOOL SaveAllModified();
  // Closes every document (each waits for its training thread).
  void CloseAllDocuments();

  CMainFrame* m_pMainWnd = nullptr;
  CPlantillaNodus* Plantilla() const { return m_pPlantilla.get(); }
  CListaRecientes& Recientes() { return m_recientes; }

 private:
  std::unique_ptr<CHostQt> m_pHost;
  std::unique_ptr<CPlantillaNodus> m_pPlantilla;
  std::unique_ptr<CMainFrame> m_pMarco;
  CListaRecientes m_recientes;
};

// The one application object of the run.
CNodusApp* AfxGetApp();

class CAcercaDeDlg : public CDialog {
 public:
  explicit CAcercaDeDlg(CWnd* pParent = nullptr);
};
