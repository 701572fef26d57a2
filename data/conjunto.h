// A sample set: input rows with their target rows, read from a text or a
// binary data file.
#pragma once

#include <cstdio>

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

class CConjuntoDatos : public CObject {
 public:
  CConjuntoDatos() = default;
  ~CConjuntoDatos() override;

  BOOL Cargar(const CString& ruta);
  BOOL Dimensiones(const CString& ruta, UINT* pEntradas, UINT* pSalidas);
  static int TipoFichero(const CString& ruta);  // 0 text, 2 binary
  BOOL CargarTexto(const CString& ruta);
  BOOL CargarBinario(const CString& ruta);

  CMatrizReales m_matEntradas;
  CMatrizReales m_matSalidas;
  UINT m_nMuestras = 0;
  UINT m_nEntradas = 0;
  UINT m_nSalidas = 0;
  bool m_bCargado = false;
};
