// A sample set: input rows with their target rows, read from a text or a
// binary data file.
#pragma once

#include <cstdio>

#include "storage/reales.h"

class CConjuntoDatos : public CObject {
 public:
  CConjuntoDatos() = default;
  ~CConjuntoDatos() override;

  BOOL Cargar(const CString& ruta);
  BOOL Dimensiones(const CString& ruta, UINT* pEntradas, UINT* pSalidas);
  static int TipoFichero(const CString& ruta);  // 0 text, 2 binary
  BOOL CargarTexto(const CString& ruta);

  CMatrizReales m_matEntradas;
  CMatrizReales m_matSalidas;
  UINT m_nMuestras = 0;
  UINT m_nEntradas = 0;
  UINT m_nSalidas = 0;
  bool m_bCargado = false;
};
