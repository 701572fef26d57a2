#include "framework/ventana.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "framework/mensajes.h"

namespace {

// Handle -> window. Handles are never reused, so a message for a window that
// is gone cannot reach a newer window that took its number.
std::mutex g_mutexVentanas;
std::unordered_map<HWND, CWnd*> g_ventanas;
HWND g_nSiguienteHandle = 1;

HWND Registrar(CWnd* pWnd) {
  std::lock_guard<std::mutex> lock(g_mutexVentanas);
  HWND h = g_nSiguienteHandle++;
  if (g_nSiguienteHandle == 0) g_nSiguienteHandle = 1;  // 0 means no window
  g_ventanas.emplace(h, pWnd);
  return h;
}

void Olvidar(HWND h) {
  std::lock_guard<std::mutex> lock(g_mutexVentanas);
  g_ventanas.erase(h);
}

}  // namespace

CWnd::CWnd() { m_hWnd = Registrar(this); }

CWnd::~CWnd() {
  // Children first: their handles go with them.
  {
    std::lock_guard<std::mutex> lock(m_mutexControles);
    m_controles.clear();
  }
  Olvidar(m_hWnd);
}

CWnd* CWnd::FromHandle(HWND h) {
  if (h == 0) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutexVentanas);
  auto it = g_ventanas.find(h);
  return it == g_ventanas.end() ? nullptr : it->second;
}

CWnd* CWnd::GetDlgItem(int id) { return AddControl(id); }

CWnd* CWnd::AddControl(int id, const CString& texto) { return AddControl(id, texto, nullptr); }

CWnd* CWnd::AddControl(int id, const CString& texto, std::unique_ptr<CWnd> nuevo) {
  std::lock_guard<std::mutex> lock(m_mutexControles);
  for (const auto& c : m_controles)
    if (c->m_nID == id) return c.get();  // already there: keep its state
  std::unique_ptr<CWnd> ctl = nuevo ? std::move(nuevo) : std::make_unique<CWnd>();
  ctl->m_nID = id;
  ctl->m_pParent = this;
  ctl->m_strTexto = texto;
  m_controles.push_back(std::move(ctl));
  return m_controles.back().get();
}

void CWnd::EnableWindow(BOOL bEnable) {
  const bool b = bEnable != FALSE;
  if (AfxIsUiThread()) {
    m_bEnabled = b;
    Notificar();
    return;
  }
  // A worker never touches the window: the change travels to the
  // user-interface thread and is dropped if the window is gone by then.
  const HWND h = m_hWnd;
  AfxPostToUi([h, b] {
    if (CWnd* p = CWnd::FromHandle(h)) {
      p->m_bEnabled = b;
      p->Notificar();
    }
  });
}

void CWnd::ShowWindow(int nCmdShow) {
  const bool b = nCmdShow != SW_HIDE;
  if (AfxIsUiThread()) {
    m_bVisible = b;
    Notificar();
    return;
  }
  const HWND h = m_hWnd;
  AfxPostToUi([h, b] {
    if (CWnd* p = CWnd::FromHandle(h)) {
      p->m_bVisible = b;
      p->Notificar();
    }
  });
}

void CWnd::SetWindowText(const CString& texto) {
  m_strTexto = texto;
  Notificar();
}

void CWnd::SetCheck(int estado) {
  m_nCheck = estado;
  Notificar();
}

void CWnd::Invalidate() {
  if (AfxIsUiThread()) {
    if (m_pPeer) m_pPeer->Invalidar(*this);
    return;
  }
  const HWND h = m_hWnd;
  AfxPostToUi([h] {
    if (CWnd* p = CWnd::FromHandle(h))
      if (p->m_pPeer) p->m_pPeer->Invalidar(*p);
  });
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  (void)message;
  (void)wParam;
  (void)lParam;
  return 0;
}

void CWnd::Notificar() {
  if (m_pPeer) m_pPeer->OnEstadoCambiado(*this);
}

BOOL PostMessage(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
  if (h == 0) return FALSE;
  // The handle is looked up at delivery, on the user-interface thread, where
  // windows are destroyed: a window gone by then simply misses the message.
  AfxPostToUi([h, message, wParam, lParam] {
    if (CWnd* p = CWnd::FromHandle(h)) p->WindowProc(message, wParam, lParam);
  });
  return TRUE;
}
