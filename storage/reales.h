// Vectors and matrices of doubles with their archive form.
#pragma once

#include "framework/afx.h"

class CArrayReales : public CObject {
  DECLARE_RUNTIME(CArrayReales)
 public:
  CArrayReales() = default;
  ~CArrayReales() override;
  CArrayReales(const CArrayReales&) = delete;
  CArrayReales& operator=(const CArrayReales&) = delete;

  // Discards the old values; n zeros. Throws CMemoryException when the
  // storage cannot be had. Returns true whenever it returns.
  bool Dimensionar(UINT n);
  void Liberar();
  void Serialize(CArchive& ar) override;

  double* m_pDatos = nullptr;
  UINT m_nTam = 0;
};

class CMatrizReales : public CObject {
  DECLARE_RUNTIME(CMatrizReales)
 public:
  CMatrizReales() = default;
  ~CMatrizReales() override;
  CMatrizReales(const CMatrizReales&) = delete;
  CMatrizReales& operator=(const CMatrizReales&) = delete;

  // Discards the old values; filas x columnas zeros, or an empty matrix when
  // either is 0. Throws CMemoryException up front when the whole size cannot
  // be had. Returns true whenever it returns.
  bool Dimensionar(UINT filas, UINT columnas);
  void Liberar();
  void Serialize(CArchive& ar) override;

  double** m_ppFilas = nullptr;
  UINT m_nFilas = 0;
  UINT m_nColumnas = 0;
};
