// The training log "HNRV.TXT" in the current directory: one block per run,
// Windows-1252 with CR LF line ends. Several documents may train at once;
// each piece written reaches the file whole, never mixed with another's,
// and never in part.
#pragma once

#include "framework/afx.h"
#include "framework/resultado.h"

class CRegistroEntrenamiento {
 public:
  // Opens (creates) the log for appending, without waiting (a pipe would
  // wait for a reader) and only when it is a regular file; a log that
  // cannot be opened says why at the first Escribir.
  CRegistroEntrenamiento();
  ~CRegistroEntrenamiento();
  CRegistroEntrenamiento(const CRegistroEntrenamiento&) = delete;
  CRegistroEntrenamiento& operator=(const CRegistroEntrenamiento&) = delete;

  bool Abierto() const { return m_fd >= 0; }
  // Appends UTF-8 text with '\n' line ends, converted to Windows-1252 and
  // CR LF, in one write under the process's log lock: its room reserved
  // first, and whatever part of it reached the file taken back when the
  // write fails, so the log holds the whole text or none of it. A failure
  // says why ("No se ha podido escribir el registro de entrenamiento
  // HNRV.TXT: CAUSA.").
  Resultado<Hecho> Escribir(const CString& texto);

  static const char* const Nombre;  // "HNRV.TXT"

 private:
  int m_fd = -1;
  int m_nError = 0;  // why it could not be opened (-1: no regular file)
};

// The rows of a run's block. Cabecera: rows 1 to 7, written when the run
// starts; LineaEpoca: row 8 of one epoch (row 9 is a bare "\n").
CString CabeceraRegistro(const CString& strFicheroEntrenamiento, const CString& strFicheroVerificacion,
                         UINT nEpocaInicial, double dAprendizaje, double dMomento);
CString LineaEpocaRegistro(UINT nEpoca, double dErrorMaximo, double dErrorTotal, double dAciertos);
