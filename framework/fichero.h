// Writing a whole file so that the previous one survives any failure.
#pragma once

#include <string>
#include <vector>

#include "framework/afx.h"
#include "framework/resultado.h"

struct ResultadoEscritura {
  int error = 0;          // errno of the failure; 0 on success
  bool bAlCrear = false;  // the file could not be created or put in place (else: writing failed)
  explicit operator bool() const { return error == 0; }
};

// A temporary file beside the target, every byte written and synced, then
// renamed over it: a failure leaves the old file as it was and no temporary
// behind, and temporaries that an earlier save of the same target left when
// it was killed are removed. A symbolic link is followed (the file it names
// is replaced), an existing file keeps its owner, group and permissions, and
// a device or pipe, which a rename cannot replace, is written in place:
// opened without waiting, so a pipe that nobody reads fails (ENXIO) at once. So
// is a file with hard links, and one whose owner this user cannot give to a
// new file: after its room is reserved, so that a full disk changes nothing.
ResultadoEscritura AfxEscribirFicheroSeguro(const CString& ruta, const void* datos, std::size_t tam);
inline ResultadoEscritura AfxEscribirFicheroSeguro(const CString& ruta, const std::vector<BYTE>& datos) {
  return AfxEscribirFicheroSeguro(ruta, datos.data(), datos.size());
}

// Whether two paths name one file: the same device and inode (through any
// symbolic or hard link), or the same text when neither exists.
bool AfxMismoFichero(const CString& a, const CString& b);

// A file that a writing command must leave as it is, with the words that
// name it in the refusal ("la propia red", "el esquema").
struct FicheroProtegido {
  CString strRuta;
  CString strNombre;
};
// A command's destination: given, and none of the files it must leave
// alone (the first that it is names the refusal, formato's second %s; its
// first is the destination). An empty path in the list protects nothing.
Resultado<Hecho> AfxComprobarDestino(const CString& strDestino, const std::vector<FicheroProtegido>& protegidos,
                                     const char* formato = "El fichero de salida %s es %s; elija otro.");

// Opens a file for reading without waiting on it (a pipe's open waits for a
// writer) and only when it is a regular file: a folder, a pipe, a device or
// a socket may never end, and is refused (-1, errno EISDIR or EINVAL). The
// descriptor reads as usual; pTam gets the size the file has now, the most
// that a reader should take from it.
int AfxAbrirFicheroRegular(const CString& ruta, std::uint64_t* pTam = nullptr);
// The bytes of a regular file (as above), up to the size it had when opened
// and at most nMax; false, with errno set, when it cannot be opened or read.
bool AfxLeerFicheroRegular(const CString& ruta, std::string& bytes, std::size_t nMax = std::size_t(-1));
