// The Qt host of the framework: message boxes, modal dialogs built from
// their templates, file dialogs, and the user-interface queue served by the
// Qt event loop.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QObject>

#include <atomic>
#include <memory>

#include "framework/dialogo.h"
#include "framework/host.h"
#include "ui/formulario.h"

class CHostQt : public QObject, public IAfxHost {
  Q_OBJECT
 public:
  // Installs itself as the framework's host and makes the calling thread
  // (the one running the Qt event loop) the user-interface thread.
  CHostQt();
  ~CHostQt() override;

  int MessageBox(const CString& texto, UINT estilo, UINT ayuda) override;
  INT_PTR DoModal(CDialog& dlg) override;
  INT_PTR DoModal(CFileDialog& dlg) override;
  void WakeUi() override;
  // Pumps the queue (the thread's last messages), then emits hiloTerminado.
  void ThreadEnded() override;
  BOOL SetClipboardText(const CString& texto) override;

  // The window that owns the host's modal windows: the active modal one, or
  // the main window.
  static QWidget* VentanaPadre();

 signals:
  // A worker thread has ended and everything it posted has run: the
  // commands' states may have changed without any window message.
  void hiloTerminado();
  // The posted messages queued so far have been served (the framework's
  // idle moment after them).
  void mensajesAtendidos();

 private:
  Q_INVOKABLE void Bombear();
  Q_INVOKABLE void FinDeHilo();
  std::atomic<bool> m_bPendiente{false};
  IAfxHost* m_pAnterior;
};

// The program's Qt application: its event loop lets no exception out. One
// that escapes a handler is reported as the framework reports it (the
// out-of-memory message for a failed allocation) and the loop goes on, so
// a failure in one window never takes the other networks with it.
class CAplicacionQt : public QApplication {
  Q_OBJECT
 public:
  CAplicacionQt(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receptor, QEvent* evento) override;
};

// A modal dialog of the framework on screen.
class CDialogoQt : public QDialog {
  Q_OBJECT
 public:
  CDialogoQt(CDialog& dlg, const PlantillaDialogo& plantilla, QWidget* padre);
  // OnInitDialog, then the modal loop; the value given to EndDialog, or
  // IDCANCEL.
  INT_PTR Ejecutar();
  CDialog& Dialogo() { return m_dlg; }
  CFormulario& Formulario() { return *m_pFormulario; }

  void reject() override;  // Escape and the close box: the dialog's Cancel

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Pulsado(int id);
  void Notificado(int id, UINT nCodigo);
  void Terminar();
  CDialog& m_dlg;
  std::unique_ptr<CFormulario> m_pFormulario;
  const CFormulario::Estiramiento* m_pEstiramiento = nullptr;  // null: a fixed size
};

// A framework filter name ("Ficheros ASCII (*.txt;*.dat)", "*.txt;*.dat")
// as a Qt name filter ("Ficheros ASCII (*.txt *.dat)"); "*.*" matches every
// file, with or without a point.
QString FiltroQt(const FiltroFichero& filtro);
