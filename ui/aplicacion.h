// The application object and the one document type.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "framework/dialogo.h"
#include "framework/documento.h"
#include "ui/winapp.h"

class CHostQt;
class CMainFrame;
class CChildFrame;

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
  void DocumentoGuardado(const CString& ruta) override;

  std::function<CDocument*()> m_fabricaDocumento;
  std::function<std::unique_ptr<CView>()> m_fabricaVista;

 private:
  void CrearMarco(CDocument* pDoc);
  std::vector<CDocument*> m_documentos;
  std::vector<CChildFrame*> m_marcos;
};

class CNodusApp : public CWinApp {
 public:
  CNodusApp();
  ~CNodusApp() override;

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
  // Archivo › Importar datos: a table into a data file and its scheme.
  void OnImportarDatos();
  // Archivo › Experimento: a plan's runs and their summary, in a window.
  void OnExperimento();
  CDocument* OpenDocumentFile(const CString& ruta) override;
  BOOL SaveAllModified() override;
  void CloseAllDocuments() override;

  CPlantillaNodus* Plantilla() const { return m_pPlantilla.get(); }
  CHostQt* Host() const { return m_pHost.get(); }

 private:
  std::unique_ptr<CHostQt> m_pHost;
  std::unique_ptr<CPlantillaNodus> m_pPlantilla;
  std::unique_ptr<CMainFrame> m_pMarco;
};

class CAcercaDeDlg : public CDialog {
 public:
  explicit CAcercaDeDlg(CWnd* pParent = nullptr);
};
