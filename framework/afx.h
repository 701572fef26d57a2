// Basic types of the application framework: the integer and flag types the
// program's classes are written with, the root object class and the
// framework's own exceptions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "resources/resultados.h"

using BOOL = int;
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using BYTE = std::uint8_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;

// Strings are UTF-8 inside the program; files see Windows-1252 (texto.h).
using CString = std::string;

// Message-box styles (the results are resources/resultados.h).
constexpr UINT MB_OK = 0x0000;
constexpr UINT MB_OKCANCEL = 0x0001;
constexpr UINT MB_YESNOCANCEL = 0x0003;
constexpr UINT MB_YESNO = 0x0004;
constexpr UINT MB_ICONHAND = 0x0010;
constexpr UINT MB_ICONQUESTION = 0x0020;
constexpr UINT MB_ICONEXCLAMATION = 0x0030;
constexpr UINT MB_ICONINFORMATION = 0x0040;
constexpr UINT MB_TYPEMASK = 0x000F;
constexpr UINT MB_ICONMASK = 0x00F0;


constexpr UINT WM_USER = 0x0400;
constexpr DWORD INFINITE = 0xFFFFFFFFu;

class CArchive;

// Run-time class information: a name and a schema number.
struct CRuntimeClass {
  const char* m_lpszClassName;
  UINT m_wSchema;
};

// The framework's no-schema value.
constexpr UINT AFX_NO_SCHEMA = 0xFFFF;

class CObject {
 public:
  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const;
  virtual void Serialize(CArchive& ar);
};

// Declares and defines GetRuntimeClass for a class with the no-schema value.
#define DECLARE_RUNTIME(cls) \
 public:                     \
  static const CRuntimeClass class##cls; \
  const CRuntimeClass* GetRuntimeClass() const override;
#define IMPLEMENT_RUNTIME(cls) \
  const CRuntimeClass cls::class##cls = {#cls, AFX_NO_SCHEMA}; \
  const CRuntimeClass* cls::GetRuntimeClass() const { return &class##cls; }

// The framework's exceptions. The program's own code never throws them on
// purpose; the framework reports them (open, save, the message loop).
class CException {
 public:
  virtual ~CException() = default;
  // The Spanish text the framework shows for this failure.
  virtual CString Mensaje() const = 0;
};

class CArchiveException : public CException {
 public:
  enum Cause { none = 0, generic = 1, badIndex = 3, badClass = 4, badSchema = 5, endOfFile = 7, writeError = 8 };
  explicit CArchiveException(Cause cause) : m_cause(cause) {}
  // With a text of its own for a file whose contents a loader refuses.
  CArchiveException(Cause cause, CString detalle) : m_cause(cause), m_strDetalle(std::move(detalle)) {}
  CString Mensaje() const override;
  Cause m_cause;
  CString m_strDetalle;
};

class CMemoryException : public CException {
 public:
  CString Mensaje() const override;
};

[[noreturn]] void AfxThrowArchiveException(CArchiveException::Cause cause);
[[noreturn]] void AfxThrowMemoryException();

// Bytes of memory that an allocation of the given size may take without
// exhausting the machine: the physical memory, less a margin. A count read
// from a damaged file that asks for more is refused up front.
std::uint64_t AfxMemoriaDisponible();
