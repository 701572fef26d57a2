#include "framework/host.h"

#include <atomic>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>

#include "framework/dialogo.h"
#include "framework/mensajes.h"

namespace {

// Used when no host was set: messages on standard error, every dialog
// cancelled.
class CHostMinimo : public IAfxHost {
 public:
  int MessageBox(const CString& texto, UINT estilo, UINT) override {
    std::fprintf(stderr, "%s\n", texto.c_str());
    return (estilo & MB_TYPEMASK) == MB_OK ? IDOK : IDCANCEL;
  }
  INT_PTR DoModal(CDialog&) override { return IDCANCEL; }
  INT_PTR DoModal(CFileDialog&) override { return IDCANCEL; }
  void WakeUi() override {}
};

// Never destroyed: a thread that ends while the program exits may still
// reach it.
IAfxHost& HostMinimo() {
  static IAfxHost* const host = new CHostMinimo();
  return *host;
}
std::atomic<IAfxHost*> g_pHost{nullptr};
// Held while a host is replaced and while an ending thread tells it so: the
// thread has already let its document go, and may outlive the host.
std::mutex g_mutexHost;
CString g_strAppName = "nrv";

}  // namespace

void AfxSetHost(IAfxHost* host) {
  std::lock_guard<std::mutex> lock(g_mutexHost);
  g_pHost.store(host, std::memory_order_release);
}

void AfxThreadEnded() {
  std::lock_guard<std::mutex> lock(g_mutexHost);
  AfxGetHost().ThreadEnded();
}

IAfxHost& AfxGetHost() {
  IAfxHost* h = g_pHost.load(std::memory_order_acquire);
  return h ? *h : HostMinimo();
}

const CString& AfxGetAppName() { return g_strAppName; }
void AfxSetAppName(const CString& nombre) { g_strAppName = nombre; }

int AfxMessageBox(const CString& texto, UINT estilo, UINT ayuda) {
  int resultado = IDCANCEL;
  AfxSendToUi([&] { resultado = AfxGetHost().MessageBox(texto, estilo, ayuda); });
  return resultado;
}

void AfxReportarExcepcion() {
  CString texto;
  try {
    throw;
  } catch (const CException& e) {
    texto = e.Mensaje();
  } catch (const std::bad_alloc&) {
    texto = CMemoryException().Mensaje();
  } catch (...) {
    texto = "Error interno de la aplicación.";
  }
  // Short of memory even for the box: it is not shown, and that is all.
  try {
    AfxMessageBox(texto, MB_OK | MB_ICONEXCLAMATION);
  } catch (...) {
  }
}

BOOL AfxSetClipboardText(const CString& texto) { return AfxGetHost().SetClipboardText(texto); }
