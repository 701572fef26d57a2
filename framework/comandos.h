// Commands and their update handlers.
#pragma once

#include "framework/afx.h"

class CCmdUI {
 public:
  explicit CCmdUI(UINT id) : m_nID(id) {}
  virtual ~CCmdUI() = default;
  virtual void Enable(BOOL bOn = TRUE) { m_bEnabled = bOn != FALSE; m_bEnableChanged = true; }
  virtual void SetCheck(int nCheck = 1) { m_nCheck = nCheck; }
  // The text of a status-bar pane.
  virtual void SetText(const CString& texto) { m_strText = texto; }
  UINT m_nID;
  bool m_bEnabled = true;
  bool m_bEnableChanged = false;
  int m_nCheck = -1;
  CString m_strText;
};

// Something that handles commands: OnCmdMsg returns true when it handles id.
// With pCmdUI null the command runs; with it, the update handler (if any)
// decides its state. Routing: view, its document, the frame, the application.
class CCmdTarget : public CObject {
 public:
  virtual bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) { (void)id; (void)pCmdUI; return false; }
};
