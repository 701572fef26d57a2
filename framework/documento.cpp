#include "framework/documento.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/archivo.h"
#include "framework/fichero.h"
#include "framework/host.h"
#include "framework/texto.h"

// ---------------------------------------------------------------- CView

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(); }

bool CView::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
  if (CWnd::OnCmdMsg(id, pCmdUI)) return true;
  return m_pDocument != nullptr && m_pDocument->OnCmdMsg(id, pCmdUI);
}

// ---------------------------------------------------------------- errors

CString AfxDescribirError(int err) {
  switch (err) {
    case ENOENT: return "no existe el fichero o la carpeta";
    case EACCES: return "permiso denegado";
    case EPERM: return "operación no permitida";
    case ENOSPC: return "no queda espacio en el dispositivo";
    case EDQUOT: return "se ha excedido la cuota de disco";
    case EROFS: return "el sistema de ficheros es de solo lectura";
    case EISDIR: return "es una carpeta";
    case ENOTDIR: return "una parte de la ruta no es una carpeta";
    case ENAMETOOLONG: return "el nombre es demasiado largo";
    case EIO: return "error de entrada/salida";
    case EFBIG: return "el fichero es demasiado grande";
    case EMFILE:
    case ENFILE: return "hay demasiados ficheros abiertos";
    case ENOMEM: return "memoria insuficiente";
    case EEXIST: return "el fichero ya existe";
    case EBUSY: return "el dispositivo o el recurso está ocupado";
    case ELOOP: return "demasiados enlaces simbólicos en la ruta";
    case EXDEV: return "el destino está en otro dispositivo";
    case ETXTBSY: return "el fichero está en uso";
    case EINVAL: return "argumento no válido";
    case ENXIO: return "nadie lee la tubería o el dispositivo no existe";
    default: return FormatC("error del sistema %d", err);
  }
}

namespace {

const char* const kTodos = "Todos los ficheros (*.*)";

void Avisar(const CString& texto) { AfxMessageBox(texto, MB_OK | MB_ICONEXCLAMATION); }

CString FalloGuardar(const CString& ruta, CString causa) {
  while (!causa.empty() && causa.back() == '.') causa.pop_back();
  return FormatC("No se ha podido guardar el documento %s: %s.", ruta.c_str(), causa.c_str());
}

constexpr int kNoEsFichero = -1;

CString DescribirLectura(int err) {
  return err == kNoEsFichero ? CString("no es un fichero normal") : AfxDescribirError(err);
}

// Reads the whole file; 0, an errno or kNoEsFichero.
int LeerTodo(const CString& ruta, std::vector<BYTE>& datos) {
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int e = errno;
    ::close(fd);
    return e;
  }
  if (!S_ISREG(st.st_mode)) {
    // A folder, a device or a pipe is no document (and may never end).
    ::close(fd);
    return S_ISDIR(st.st_mode) ? EISDIR : kNoEsFichero;
  }
  if (static_cast<std::uint64_t>(st.st_size) > AfxMemoriaDisponible()) {
    ::close(fd);
    return ENOMEM;
  }
  datos.reserve(static_cast<std::size_t>(st.st_size));
  BYTE bloque[65536];
  for (;;) {
    const ssize_t n = ::read(fd, bloque, sizeof bloque);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      ::close(fd);
      return e;
    }
    if (n == 0) break;
    datos.insert(datos.end(), bloque, bloque + n);
  }
  ::close(fd);
  return 0;
}

CString NombreFichero(const CString& ruta) {
  const auto barra = ruta.find_last_of('/');
  return barra == CString::npos ? ruta : ruta.substr(barra + 1);
}

}  // namespace

// ---------------------------------------------------------------- CDocument

CDocument::CDocument() = default;

CDocument::~CDocument() {
  for (CView* v : m_vistas) v->m_pDocument = nullptr;
  m_vistas.clear();
}

void CDocument::SetTitle(const CString& titulo) { m_strTitle = titulo; }

void CDocument::SetPathName(const CString& ruta, BOOL bSetTitle) {
  m_strPathName = ruta;
  if (bSetTitle) SetTitle(NombreFichero(ruta));
}

void CDocument::AddView(CView* pView) {
  if (!pView) return;
  if (std::find(m_vistas.begin(), m_vistas.end(), pView) != m_vistas.end()) return;
  if (pView->m_pDocument && pView->m_pDocument != this) pView->m_pDocument->RemoveView(pView);
  m_vistas.push_back(pView);
  pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
  auto it = std::find(m_vistas.begin(), m_vistas.end(), pView);
  if (it == m_vistas.end()) return;
  m_vistas.erase(it);
  pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  // A copy: a view may close while it updates.
  const std::vector<CView*> vistas = m_vistas;
  for (CView* v : vistas)
    if (v != pSender && std::find(m_vistas.begin(), m_vistas.end(), v) != m_vistas.end())
      v->OnUpdate(pSender, lHint, pHint);
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.clear();
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnOpenDocument(const CString& ruta) {
  std::vector<BYTE> datos;
  try {
    const int e = LeerTodo(ruta, datos);
    if (e != 0) {
      Avisar(FormatC("No se ha podido abrir el documento %s: %s.", ruta.c_str(), DescribirLectura(e).c_str()));
      return FALSE;
    }
  } catch (const std::bad_alloc&) {
    Avisar(FormatC("No hay memoria suficiente para abrir el documento %s.", ruta.c_str()));
    return FALSE;
  }

  DeleteContents();
  SetModifiedFlag(TRUE);  // while half loaded
  CString fallo;
  try {
    CArchive ar(datos.data(), datos.size());
    Serialize(ar);
    ar.Close();
  } catch (const CArchiveException&) {
    fallo = FormatC("El fichero %s está dañado o no es una red de nrv.", ruta.c_str());
  } catch (const CMemoryException&) {
    fallo = FormatC("No hay memoria suficiente para abrir el documento %s.", ruta.c_str());
  } catch (const std::bad_alloc&) {
    fallo = FormatC("No hay memoria suficiente para abrir el documento %s.", ruta.c_str());
  }
  if (!fallo.empty()) {
    // Nothing of a damaged file is kept.
    DeleteContents();
    SetModifiedFlag(FALSE);
    Avisar(fallo);
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(const CString& ruta) {
  if (ruta.empty()) {
    Avisar(FalloGuardar(ruta, AfxDescribirError(ENOENT)));
    return FALSE;
  }
  // The whole document goes to memory first: a store that fails half-way
  // never reaches the disk.
  std::vector<BYTE> datos;
  try {
    CArchive ar(datos);
    Serialize(ar);
    ar.Close();
  } catch (const CArchiveException& e) {
    Avisar(FalloGuardar(ruta, e.Mensaje()));
    return FALSE;
  } catch (const CMemoryException&) {
    Avisar(FalloGuardar(ruta, "memoria insuficiente"));
    return FALSE;
  } catch (const std::bad_alloc&) {
    Avisar(FalloGuardar(ruta, "memoria insuficiente"));
    return FALSE;
  }
  const ResultadoEscritura r = AfxEscribirFicheroSeguro(ruta, datos);
  if (!r) {
    Avisar(FalloGuardar(ruta, AfxDescribirError(r.error)));
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  const CString nombre = m_strTitle.empty() ? NombreFichero(m_strPathName) : m_strTitle;
  switch (AfxMessageBox(FormatC("¿Guardar cambios a %s?", nombre.c_str()), MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES: return DoFileSave();
    case IDNO: return TRUE;
    default: return FALSE;
  }
}

BOOL CDocument::DoSave(const CString& ruta, BOOL bReplace) {
  CString destino = ruta;
  if (destino.empty()) {
    const CString inicial = m_strPathName.empty() ? m_strTitle : m_strPathName;
    std::vector<FiltroFichero> filtros;
    CString ext = "nrv";
    if (m_pDocTemplate) {
      filtros = m_pDocTemplate->Filtros();
      ext = m_pDocTemplate->m_strExtension;
      if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    } else {
      filtros = {{"NRV Files (*.nrv)", "*.nrv"}, {kTodos, "*.*"}};
    }
    CFileDialog dlg(FALSE, ext, inicial, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filtros, "Guardar como");
    for (;;) {
      if (dlg.DoModal() != IDOK) return FALSE;
      destino = dlg.GetPathName();
      if (destino.empty()) return FALSE;
      const Resultado<Hecho> c = ComprobarGuardarComo(destino);
      if (c) break;
      AfxMessageBox(c.Mensaje(), MB_OK | MB_ICONEXCLAMATION);
    }
  }
  if (!OnSaveDocument(destino)) return FALSE;
  if (bReplace) {
    SetPathName(destino);
    if (m_pDocTemplate) m_pDocTemplate->DocumentoGuardado(destino);
  }
  return TRUE;
}

Resultado<Hecho> CDocument::ComprobarGuardarComo(const CString&) const { return Hecho{}; }

BOOL CDocument::DoFileSave() { return DoSave(m_strPathName, TRUE); }

void CDocument::OnCloseDocument() {
  if (m_pDocTemplate) m_pDocTemplate->CerrarDocumento(this);
  else delete this;
}

// ---------------------------------------------------------------- CDocTemplate

void CDocTemplate::CerrarDocumento(CDocument* pDoc) { delete pDoc; }

void CDocTemplate::DocumentoGuardado(const CString&) {}

CString CDocTemplate::TituloNuevo() const { return m_strNombreBase + FormatC("%u", m_nSiguienteNumero); }

BOOL CDocTemplate::NuevoDocumento(CDocument* pDoc) {
  if (!pDoc) return FALSE;
  pDoc->m_pDocTemplate = this;
  pDoc->SetTitle(TituloNuevo());
  if (!pDoc->OnNewDocument()) return FALSE;
  ++m_nSiguienteNumero;
  return TRUE;
}

BOOL CDocTemplate::AbrirDocumento(CDocument* pDoc, const CString& ruta) {
  if (!pDoc) return FALSE;
  pDoc->m_pDocTemplate = this;
  if (!pDoc->OnOpenDocument(ruta)) return FALSE;
  pDoc->SetPathName(ruta);
  return TRUE;
}

std::vector<FiltroFichero> CDocTemplate::Filtros() const {
  std::vector<FiltroFichero> filtros;
  if (!m_strFiltro.empty() && !m_strExtension.empty()) filtros.push_back({m_strFiltro, "*" + m_strExtension});
  filtros.push_back({kTodos, "*.*"});
  return filtros;
}
