// The training log "HNRV.TXT" in the current directory: one block per run,
// Windows-1252 with CR LF line ends. Several documents may train at once;
// each piece written reaches the file whole, never mixed with another's.
#pragma once

#include "framework/afx.h"

class CRegistroEntrenamiento {
 public:
  // Opens (creates) the log for appending; a log that cannot be opened is
  // ignored: every later call does nothing.
  CRegistroEntrenamiento();
  ~CRegistroEntrenamiento();
  CRegistroEntrenamiento(const CRegistroEntrenamiento&) = delete;
  CRegistroEntrenamiento& operator=(const CRegistroEntrenamiento&) = delete;

  bool Abierto() const { return m_fd >= 0; }
  // Appends UTF-8 text with '\n' line ends, converted to Windows-1252 and
  // CR LF, in one write under the process's log lock. Errors are ignored.
  void Escribir(const CString& texto);

  static const char* const Nombre;  // "HNRV.TXT"

 private:
  int m_fd = -1;
};

// The rows of a run's block. Cabecera: rows 1 to 7, written when the run
// starts; LineaEpoca: row 8 of one epoch (row 9 is a bare "\n").
CString CabeceraRegistro(const CString& strFicheroEntrenamiento, const CString& strFicheroVerificacion,
                         UINT nEpocaInicial, double dAprendizaje, double dMomento);
CString LineaEpocaRegistro(UINT nEpoca, double dErrorMaximo, double dErrorTotal, double dAciertos);
