// A sample set: input rows with their target rows, read from a text or a
// binary data file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "framework/hilos.h"
#include "storage/reales.h"

// Reads the next data line of f whole, whatever its length, into linea
// without its line end (LF or CR LF); comment lines ('/' first) and empty
// lines are skipped. Returns true when there is no further data line.
bool LeerLinea(CString& linea, std::FILE* f);
// Stores the values of the first n tokens (blank- and tab-separated, read as
// AtofC reads them) of linea into destino. Returns false when the line ran
// out of tokens first (the values already stored stay).
bool LeerValores(const char* linea, double* destino, UINT n);
// Number of tokens on a line.
UINT ContarValores(const char* linea);

// One cause a load complained of: the message of the first line that had it
// and how many further lines had the same cause.
struct AvisoCarga {
  CString strTexto;
  std::uint64_t nMas = 0;
};
// The message as shown once per file and cause: the first line's text, and
// when more lines had it, "(y N líneas más)" after it.
CString TextoAviso(const AvisoCarga& aviso);

class CConjuntoDatos : public CObject {
 public:
  CConjuntoDatos() = default;
  ~CConjuntoDatos() override;

  BOOL Cargar(const CString& ruta);
  BOOL Dimensiones(const CString& ruta, UINT* pEntradas, UINT* pSalidas);
  static int TipoFichero(const CString& ruta);  // 0 text, 2 binary
  BOOL CargarTexto(const CString& ruta);
  BOOL CargarBinario(const CString& ruta);
  // Whether the file holds every value it announces: a binary file at
  // least as long as its header says, with at least one sample (a text
  // file always does). A network is made only from whole files.
  static BOOL Completo(const CString& ruta);

  // Only regular files are read (a pipe or a device may never end), and
  // only up to the size they had when opened. A value that is not finite
  // refuses the file with "valor no finito en la línea N de RUTA" (in a
  // binary file, "en la muestra N").
  //
  // Looked at every few megabytes while loading, when set: a signal
  // abandons the load (Cargar returns FALSE, m_bDetenido set; the signal
  // is consumed, as the training thread's own poll consumes it).
  HANDLE m_hDetener = nullptr;
  bool m_bDetenido = false;

  // What the last load complained of, one entry per cause in the order met.
  // Cargar shows them when it ends (one message box each, TextoAviso);
  // with m_bGuardarAvisos set it leaves them here for its caller.
  std::vector<AvisoCarga> m_avisos;
  bool m_bGuardarAvisos = false;
  void MostrarAvisos();

  CMatrizReales m_matEntradas;
  CMatrizReales m_matSalidas;
  UINT m_nMuestras = 0;
  UINT m_nEntradas = 0;
  UINT m_nSalidas = 0;
  bool m_bCargado = false;

 private:
  // Releases what a refused load had read.
  void Descartar();
  // Notes one line's complaint under its cause.
  void Avisar(const CString& texto);
};
