// Windows and controls. A window is known to other threads by its handle;
// posting to a handle whose window is gone drops the message. A control is
// the framework's model of one child (text, enabled, visible, checked); the
// host mirrors it on screen through a peer.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/afx.h"
#include "framework/comandos.h"

using HWND = std::uint32_t;  // 0: no window

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

class CWnd;

// What a host attaches to a window to show it.
class IWndPeer {
 public:
  virtual ~IWndPeer() = default;
  virtual void OnEstadoCambiado(CWnd& wnd) = 0;  // text, enabled, visible or checked changed
  virtual void Invalidar(CWnd& wnd) { (void)wnd; }  // repaint requested
};

class CWnd : public CCmdTarget {
 public:
  CWnd();
  ~CWnd() override;  // the handle dies with the window
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return m_hWnd; }
  int GetDlgCtrlID() const { return m_nID; }

  // Child controls by identifier; created on first use, so a window template
  // or a host may add them in any order. Safe from any thread (the list is
  // locked); the control itself follows the rules below.
  CWnd* GetDlgItem(int id);
  CWnd* AddControl(int id, const CString& texto = CString());
  // The same with the control's own object (a combo box, a list control),
  // taken when the control is not there yet.
  CWnd* AddControl(int id, const CString& texto, std::unique_ptr<CWnd> nuevo);
  const std::vector<std::unique_ptr<CWnd>>& Controls() const { return m_controles; }
  CWnd* GetParent() const { return m_pParent; }

  // Safe from any thread: from a worker the change is posted to the
  // user-interface thread (it never waits for it), and dropped if the
  // window is gone by then.
  void EnableWindow(BOOL bEnable = TRUE);
  void ShowWindow(int nCmdShow);
  void Invalidate();
  // User-interface thread only.
  BOOL IsWindowEnabled() const { return m_bEnabled; }
  BOOL IsWindowVisible() const { return m_bVisible; }
  void SetWindowText(const CString& texto);
  CString GetWindowText() const { return m_strTexto; }
  void SetCheck(int estado);
  int GetCheck() const { return m_nCheck; }

  // Messages posted to this window's handle arrive here, on the
  // user-interface thread.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  void SetPeer(IWndPeer* peer) { m_pPeer = peer; }
  IWndPeer* GetPeer() const { return m_pPeer; }

  // The window of a handle, or null when it is gone (user-interface thread).
  static CWnd* FromHandle(HWND h);

 protected:
  void Notificar();

  HWND m_hWnd = 0;
  int m_nID = 0;
  CWnd* m_pParent = nullptr;
  CString m_strTexto;
  bool m_bEnabled = true;
  bool m_bVisible = true;
  int m_nCheck = 0;
  IWndPeer* m_pPeer = nullptr;
  std::vector<std::unique_ptr<CWnd>> m_controles;
  mutable std::mutex m_mutexControles;  // guards m_controles
};

// Queues a message for the window of h on the user-interface thread; any
// thread may call it. Returns FALSE only for a null handle; a message for a
// window that is gone by the time it is delivered is dropped.
BOOL PostMessage(HWND h, UINT message, WPARAM wParam, LPARAM lParam);
