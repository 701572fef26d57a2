// The framework's application object as the frames see it: the last stop
// of the command routing, the owner of the recent-file list, and shutdown.
// The program's own application (aplicacion.h) derives from it; the frames
// know no more of it than this.
#pragma once

#include <QString>
#include <QStringList>

#include "framework/documento.h"

class CMainFrame;

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
  int Tamano() const { return m_nTam; }
  // The text of entry i in the Archivo menu: "&1 path", shortened.
  QString TextoMenu(int i) const;

 private:
  int m_nTam;
  QStringList m_rutas;
};

class CWinApp : public CCmdTarget {
 public:
  CWinApp();
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The recent files, Salir and the commands of the program's own
  // application (its override adds them).
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

  // Opens a network (or brings its window forward when it is open); null
  // when it cannot be opened (the framework has said why).
  virtual CDocument* OpenDocumentFile(const CString& ruta) = 0;
  // Shutdown: the standard question for every modified document; FALSE
  // when the user cancelled.
  virtual BOOL SaveAllModified() = 0;
  // Closes every document (each waits for its training thread).
  virtual void CloseAllDocuments() = 0;

  // The recent-file list is this object's alone: the others read it and
  // tell it what was opened or saved.
  const CListaRecientes& Recientes() const { return m_recientes; }
  void AddToRecentFileList(const CString& ruta);
  void OnOpenRecentFile(UINT id);

  CMainFrame* m_pMainWnd = nullptr;

 protected:
  // Loads the list kept in the settings (InitInstance).
  void LoadStdProfileSettings();

 private:
  CListaRecientes m_recientes;
};

// The one application object of the run.
CWinApp* AfxGetApp();
