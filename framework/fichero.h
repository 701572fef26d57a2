// Writing a whole file so that the previous one survives any failure.
#pragma once

#include <vector>

#include "framework/afx.h"

struct ResultadoEscritura {
  int error = 0;          // errno of the failure; 0 on success
  bool bAlCrear = false;  // the file could not be created or put in place (else: writing failed)
  explicit operator bool() const { return error == 0; }
};

// A temporary file beside the target, every byte written and synced, then
// renamed over it: a failure leaves the old file as it was and no temporary
// behind. A symbolic link is followed (the file it names is replaced), an
// existing file keeps its permissions, and a device or pipe, which a rename
// cannot replace, is written in place.
ResultadoEscritura AfxEscribirFicheroSeguro(const CString& ruta, const void* datos, std::size_t tam);
inline ResultadoEscritura AfxEscribirFicheroSeguro(const CString& ruta, const std::vector<BYTE>& datos) {
  return AfxEscribirFicheroSeguro(ruta, datos.data(), datos.size());
}
