// The framework archive: little-endian values, raw blocks and the archive
// string form, written to or read from a file or a memory buffer.
#pragma once

#include <cstdio>
#include <vector>

#include "framework/afx.h"

class CArchive {
 public:
  enum Mode { store = 0, load = 1 };

  // Loading from a memory buffer, which must outlive the archive.
  CArchive(const void* datos, std::size_t tam);
  // Storing into a memory buffer (appended to).
  explicit CArchive(std::vector<BYTE>& destino);
  // Over a file opened in binary mode by the caller, who also closes it.
  CArchive(std::FILE* fichero, Mode modo);
  ~CArchive();  // flushes a storing archive; call Close() to see its errors
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsStoring() const { return m_modo == store; }
  BOOL IsLoading() const { return m_modo == load; }

  // Raw blocks. Write throws CArchiveException(writeError) when the file
  // cannot take the bytes; Read returns fewer bytes than asked at the end of
  // the archive and never throws.
  void Write(const void* p, std::size_t n);
  std::size_t Read(void* p, std::size_t n);

  // Bytes still to be read (loading): lets a loader refuse a count that the
  // rest of the archive cannot possibly hold. Exact for memory and regular
  // files; the largest value for a stream of unknown size.
  std::uint64_t Restantes() const;

  // Writes out what is buffered; throws CArchiveException(writeError).
  void Flush();
  void Close();

  // Fixed-size values: reading one that the archive cannot give whole throws
  // CArchiveException(endOfFile).
  CArchive& operator<<(BYTE v);
  CArchive& operator<<(WORD v);
  CArchive& operator<<(UINT v);
  CArchive& operator<<(std::int32_t v);
  CArchive& operator<<(double v);
  CArchive& operator>>(BYTE& v);
  CArchive& operator>>(WORD& v);
  CArchive& operator>>(UINT& v);
  CArchive& operator>>(std::int32_t& v);
  CArchive& operator>>(double& v);

  // The archive string form. A string that Windows-1252 can hold is written
  // as 8-bit characters behind the 1/3/7-byte length prefix; any other is
  // written in the 16-bit form (0xFF, 0xFFFE, length, UTF-16LE). Reading
  // accepts both and gives UTF-8; a string cut short throws endOfFile.
  CArchive& operator<<(const CString& s);
  CArchive& operator>>(CString& s);

 private:
  void LeerExacto(void* p, std::size_t n);

  Mode m_modo;
  // Memory loading
  const BYTE* m_pDatos = nullptr;
  std::size_t m_nTam = 0;
  std::size_t m_nPos = 0;
  // Memory storing
  std::vector<BYTE>* m_pDestino = nullptr;
  // File (buffered by the C library's stream)
  std::FILE* m_pFichero = nullptr;
  bool m_bError = false;
};
