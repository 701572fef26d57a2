// The one interface through which the framework reaches a screen. Three
// hosts implement it: the Qt host (ui/), the test host (tests/support) and
// the command-line host (cli/).
#pragma once

#include "framework/afx.h"

class CDialog;
class CFileDialog;

class IAfxHost {
 public:
  virtual ~IAfxHost() = default;
  // A modal message box; returns IDOK, IDYES, IDNO or IDCANCEL. Always
  // called on the user-interface thread.
  virtual int MessageBox(const CString& texto, UINT estilo, UINT ayuda) = 0;
  // Runs a dialog modally; returns the value given to EndDialog.
  virtual INT_PTR DoModal(CDialog& dlg) = 0;
  // Runs a file dialog; returns IDOK (the path is in dlg) or IDCANCEL.
  virtual INT_PTR DoModal(CFileDialog& dlg) = 0;
  // The framework's queue holds work for the user-interface thread: the host
  // must run AfxPumpMessages() on that thread soon. Any thread may call it.
  virtual void WakeUi() = 0;
  // A worker thread has just ended (called on that thread, its exit code
  // already readable): whoever waits for it must learn it at once, so the
  // host wakes its user-interface thread without delay.
  virtual void ThreadEnded() { WakeUi(); }
  // Puts a text on the clipboard; FALSE where there is none.
  virtual BOOL SetClipboardText(const CString& texto) {
    (void)texto;
    return FALSE;
  }
};

void AfxSetHost(IAfxHost* host);
IAfxHost& AfxGetHost();

// Tells the current host that the calling worker thread ends. Safe while the
// host is being replaced: it never reaches a host that AfxSetHost has taken
// away.
void AfxThreadEnded();

// The application's name: the caption of every message box.
const CString& AfxGetAppName();
void AfxSetAppName(const CString& nombre);

// Shows a message box from any thread. From a worker thread the box is shown
// by the user-interface thread, and the caller waits for the answer; that
// works even while the user-interface thread is itself blocked in a
// framework wait (hilos.h).
int AfxMessageBox(const CString& texto, UINT estilo = MB_OK, UINT ayuda = 0);

// The framework's last handler, called inside a catch block: tells the user
// of the exception being handled with a message box (a framework
// exception's own text; the out-of-memory message for a failed
// allocation) and lets the program go on. Commands, dialogs, posted
// messages and worker threads end this way instead of ending the process.
void AfxReportarExcepcion();

// The text on the clipboard, through the host (user-interface thread).
BOOL AfxSetClipboardText(const CString& texto);
