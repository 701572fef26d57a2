// What the fuzz targets share: a host that answers every dialog without a
// screen, and a file that holds the input under the extension a loader
// chooses its format by.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/dialogo.h"
#include "framework/host.h"
#include "framework/mensajes.h"

// Message boxes are answered OK; a dialog runs its exchange on the values a
// target set before DoModal (through antes) and ends with IDOK; a file
// dialog gets the path in m_strRuta.
class CHostFuzz : public IAfxHost {
 public:
  CHostFuzz() {
    AfxSetUiThread();
    AfxSetHost(this);
  }
  int MessageBox(const CString&, UINT, UINT) override {
    ++m_nMensajes;
    return IDOK;
  }
  INT_PTR DoModal(CDialog& dlg) override {
    if (m_nDialogos++ > 4) return IDCANCEL;  // never loop on a refused answer
    if (antes) antes(dlg);
    return IDOK;
  }
  INT_PTR DoModal(CFileDialog& dlg) override {
    if (m_strRuta.empty()) return IDCANCEL;
    dlg.m_strPathName = m_strRuta;
    return IDOK;
  }
  void WakeUi() override {}

  void Empezar() {
    m_nMensajes = 0;
    m_nDialogos = 0;
  }
  void (*antes)(CDialog&) = nullptr;
  CString m_strRuta;
  unsigned m_nMensajes = 0;
  unsigned m_nDialogos = 0;
};

// A file of the process's own, rewritten for every input.
class CFicheroFuzz {
 public:
  explicit CFicheroFuzz(const char* extension) {
    const char* tmp = std::getenv("TMPDIR");
    m_ruta = std::string(tmp && *tmp ? tmp : "/tmp") + "/nrv-fuzz-" + std::to_string(::getpid()) + extension;
  }
  ~CFicheroFuzz() { ::unlink(m_ruta.c_str()); }
  const std::string& Escribir(const std::uint8_t* p, std::size_t n) {
    std::FILE* f = std::fopen(m_ruta.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (n != 0 && std::fwrite(p, 1, n, f) != n) std::abort();
    std::fclose(f);
    return m_ruta;
  }
  const std::string& Ruta() const { return m_ruta; }

 private:
  std::string m_ruta;
};
