// Documents and views.
#pragma once

#include <atomic>
#include <vector>

#include "framework/afx.h"
#include "framework/comandos.h"
#include "framework/dialogo.h"
#include "framework/resultado.h"
#include "framework/ventana.h"

class CDocument;
class CDocTemplate;

class CView : public CWnd {
 public:
  ~CView() override;  // leaves its document's view list
  CDocument* GetDocument() const { return m_pDocument; }
  // Called once after the view is attached to its document, before it is
  // first shown; the default calls OnUpdate.
  virtual void OnInitialUpdate();
  virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
  virtual void OnDraw() {}
  // Command routing: the view, then its document.
  bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;

 protected:
  friend class CDocument;
  CDocument* m_pDocument = nullptr;
};

class CDocument : public CCmdTarget {
 public:
  CDocument();
  ~CDocument() override;

  const CString& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(const CString& titulo);
  const CString& GetPathName() const { return m_strPathName; }
  // Sets the path and, by default, the title (the file's name).
  virtual void SetPathName(const CString& ruta, BOOL bSetTitle = TRUE);

  // Safe from any thread.
  BOOL IsModified() const { return m_bModified.load(std::memory_order_acquire); }
  void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified.store(bModified != FALSE, std::memory_order_release); }

  void AddView(CView* pView);
  void RemoveView(CView* pView);
  const std::vector<CView*>& GetViews() const { return m_vistas; }
  CView* GetFirstView() const { return m_vistas.empty() ? nullptr : m_vistas.front(); }
  void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

  // The framework's overridables.
  virtual BOOL OnNewDocument();
  // Reads the whole file and loads it through Serialize (the path and title
  // are the caller's: CDocTemplate::AbrirDocumento sets them). A file that cannot
  // be read, or that Serialize refuses (an archive or memory exception, or a
  // CArchiveException it throws on inconsistent contents), is reported with a
  // message box and nothing is kept: FALSE.
  virtual BOOL OnOpenDocument(const CString& ruta);
  // Stores through Serialize into a temporary file beside the target and
  // renames it over the target only when every byte was written; a failed
  // save is reported and leaves the previous file as it was. Clears the
  // modified flag on success.
  virtual BOOL OnSaveDocument(const CString& ruta);
  virtual void DeleteContents() {}
  // The framework's standard question for a modified document, "¿Guardar
  // cambios a %1?" with Sí, No, Cancelar; saves on Sí. FALSE means cancel.
  virtual BOOL SaveModified();
  // Save: to the path, or through the "Guardar como" dialog when the path is
  // empty. With bReplace the document takes the saved path and its title
  // (Guardar, Guardar como); without it, a copy is saved. FALSE when
  // cancelled or failed.
  virtual BOOL DoSave(const CString& ruta, BOOL bReplace = TRUE);
  // Whether the name chosen in Guardar como may take the document; a
  // refusal is shown and the dialog comes back. The default takes any.
  virtual Resultado<Hecho> ComprobarGuardarComo(const CString& ruta) const;
  // Guardar: to the document's path, asking for one when it has none.
  BOOL DoFileSave();
  // Guardar como: always asks.
  BOOL DoFileSaveAs() { return DoSave(CString(), TRUE); }
  // Closes the document: the host destroys its frames and views, then the
  // document. Set by the host; the default just deletes this.
  virtual void OnCloseDocument();

  CDocTemplate* m_pDocTemplate = nullptr;

 protected:
  CString m_strTitle;
  CString m_strPathName;
  std::atomic<bool> m_bModified{false};
  std::vector<CView*> m_vistas;
};

// What the framework knows of the one document type: names for new
// documents and the file filter of Abrir and Guardar como.
class CDocTemplate {
 public:
  virtual ~CDocTemplate() = default;
  // The values of the program's one document type (string 129).
  CString m_strNombreBase = "Nrv ";
  CString m_strFiltro = "NRV Files (*.nrv)";
  CString m_strExtension = ".nrv";
  UINT m_nSiguienteNumero = 1;  // running number of new-document titles
  // Closes a document with its windows (the host's frames); the default
  // deletes the document.
  virtual void CerrarDocumento(CDocument* pDoc);
  // A document has been saved as its own file (Guardar, Guardar como, the
  // questions on closing): the host's recent-file list takes the path. The
  // default does nothing.
  virtual void DocumentoGuardado(const CString& ruta);

  // The title the next new document gets: m_strNombreBase and the running
  // number ("Nrv 1", "Nrv 2"...).
  CString TituloNuevo() const;
  // Nuevo: gives pDoc this template and the next title, then runs
  // OnNewDocument; the number is used up only when that succeeds.
  BOOL NuevoDocumento(CDocument* pDoc);
  // Abrir: runs OnOpenDocument and, on success, sets the path and title.
  BOOL AbrirDocumento(CDocument* pDoc, const CString& ruta);
  // The filters of Abrir and Guardar como: the document type, then all files.
  std::vector<FiltroFichero> Filtros() const;
};

// The Spanish text of a system error number (errno), for the messages of
// failed file operations.
CString AfxDescribirError(int err);
