// The test host: records every message box, answers dialogs from a script
// and lets a test pump the user-interface queue by hand.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "framework/dialogo.h"
#include "framework/host.h"

struct MensajeRegistrado {
  CString texto;
  UINT estilo;
  UINT ayuda;
};

class CTestHost : public IAfxHost {
 public:
  // Installs itself as the host and makes the calling thread the
  // user-interface thread; the destructor puts the previous host back.
  CTestHost();
  ~CTestHost() override;

  int MessageBox(const CString& texto, UINT estilo, UINT ayuda) override;
  INT_PTR DoModal(CDialog& dlg) override;
  INT_PTR DoModal(CFileDialog& dlg) override;
  void WakeUi() override {}
  BOOL SetClipboardText(const CString& texto) override {
    portapapeles = texto;
    return TRUE;
  }

  // Texts of the boxes shown so far, in order.
  std::vector<CString> Textos() const;
  std::vector<MensajeRegistrado> Mensajes() const;
  void Limpiar();

  // Answers, used in order; with none left a box answers IDOK and a dialog
  // or file dialog IDCANCEL.
  std::deque<int> respuestasMensaje;
  // A scripted dialog: the function may set control texts, press buttons
  // (PulsarOK etc.) and returns when the dialog has ended, or returns a
  // result itself. It is given the dialog after OnInitDialog.
  std::deque<std::function<void(CDialog&)>> guionDialogos;
  // File dialogs: a path (IDOK) or an empty string (IDCANCEL). The dialog is
  // recorded for the test to look at.
  std::deque<CString> respuestasFichero;
  std::vector<CFileDialog> dialogosFichero;
  // What was last put on the clipboard.
  CString portapapeles;

 protected:
  // Runs what is still queued and puts the previous host back, once. A host
  // whose overrides use members of its own calls it first in its destructor:
  // a training thread that ends may be telling the host so until then.
  void Retirar();

 private:
  mutable std::mutex m_mutex;
  std::vector<MensajeRegistrado> m_mensajes;
  IAfxHost* m_pAnterior;
  bool m_bRetirado = false;
};

// Checks every property of a file dialog that the program set up (mode,
// default extension, initial name, flags, title, filters in order) against
// the one expected; the chosen path is not compared.
void ComprobarDialogoFichero(const CFileDialog& visto, const CFileDialog& esperado);

// Presses a dialog's buttons as the user would.
void PulsarOK(CDialog& dlg);      // OnOK: exchange and validation, ends with IDOK if valid
void PulsarCancel(CDialog& dlg);  // OnCancel
void PulsarBoton(CDialog& dlg, int id);
void Escribir(CDialog& dlg, int id, const CString& texto);

// A window that records the messages posted to it, in order of delivery.
struct MensajeVentana {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class CVentanaRegistro : public CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  std::vector<MensajeVentana> recibidos;
};

// A peer that counts the state changes and repaints a window reports, and
// whether each came on the user-interface thread.
class CPeerRegistro : public IWndPeer {
 public:
  void OnEstadoCambiado(CWnd& wnd) override;
  void Invalidar(CWnd& wnd) override;
  int cambios = 0;
  int repintados = 0;
  bool fueraDelHiloUi = false;
};

// A temporary folder removed with its contents at destruction.
class CCarpetaTemporal {
 public:
  CCarpetaTemporal();
  ~CCarpetaTemporal();
  const std::string& Ruta() const { return m_ruta; }
  std::string Fichero(const std::string& nombre) const { return m_ruta + "/" + nombre; }
  // Writes a file (bytes as given) and returns its path.
  std::string Escribir(const std::string& nombre, const std::string& contenido) const;

 private:
  std::string m_ruta;
};

std::string LeerFichero(const std::string& ruta);
std::string Ejemplo(const std::string& nombre);  // path of a file of examples/
