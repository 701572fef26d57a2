// The command-line host: message boxes on standard error, no dialogs (every
// command takes its values from its arguments), and the user-interface queue
// pumped by the main thread, which sleeps on a self-pipe that the queue and
// SIGINT wake.
#pragma once

#include <chrono>

#include "framework/dialogo.h"
#include "framework/host.h"

class CHostLinea : public IAfxHost {
 public:
  // Installs itself as the host; the calling thread becomes the
  // user-interface thread.
  CHostLinea();
  ~CHostLinea() override;
  CHostLinea(const CHostLinea&) = delete;
  CHostLinea& operator=(const CHostLinea&) = delete;

  // "nrv: <text>" on standard error; OK for an information box, No for a
  // question (the tool never replaces or discards anything on its own).
  int MessageBox(const CString& texto, UINT estilo, UINT ayuda) override;
  // Cancelled: the tool's results come from the core's functions, not from
  // dialogs.
  INT_PTR DoModal(CDialog& dlg) override;
  // Cancelled: the tool names its files on the command line.
  INT_PTR DoModal(CFileDialog& dlg) override;
  // Posted work: the main thread is woken only when it sleeps, and at most
  // once a millisecond (see Esperar).
  void WakeUi() override;
  // A thread's end wakes the main thread at once.
  void ThreadEnded() override;

  // Sleeps, with no time limit, until there is work in the queue, a thread
  // has ended or a signal has arrived. Work posted within a millisecond of
  // the last wake-up waits for the rest of that millisecond: a thread that
  // posts every few microseconds (one message per epoch) then pays for a
  // wake-up once a millisecond, not once a message. A thread's end and a
  // signal cut that wait short.
  void Esperar();

 private:
  std::chrono::steady_clock::time_point m_ultimoDespertar{};
  IAfxHost* m_pAnterior;
};

// Ctrl+C (or SIGTERM) during training. The handler only counts and wakes
// the main thread; the main thread then asks the document to stop. A second
// one leaves at once (SALIDA_FORZADA) without touching the network file.
// From the save on they are ignored, so that the exit code tells whether
// the network was saved.
void InstalarInterrupcion();
bool Interrumpido();
void IgnorarInterrupciones();
