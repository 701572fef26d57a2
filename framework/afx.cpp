#include "framework/afx.h"

#include <unistd.h>

static const CRuntimeClass classCObject = {"CObject", AFX_NO_SCHEMA};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

void CObject::Serialize(CArchive&) {}

CString CArchiveException::Mensaje() const {
  if (!m_strDetalle.empty()) return m_strDetalle;
  switch (m_cause) {
    case endOfFile:
      return "El fichero termina antes de lo esperado: está incompleto o dañado.";
    case writeError:
      return "Error al escribir el fichero.";
    default:
      return "Error inesperado de formato de archivo.";
  }
}

CString CMemoryException::Mensaje() const { return "Memoria insuficiente."; }

void AfxThrowArchiveException(CArchiveException::Cause cause) { throw CArchiveException(cause); }

void AfxThrowMemoryException() { throw CMemoryException(); }

std::uint64_t AfxMemoriaDisponible() {
  const long paginas = sysconf(_SC_PHYS_PAGES);
  const long tam = sysconf(_SC_PAGE_SIZE);
  if (paginas <= 0 || tam <= 0) return std::uint64_t(1) << 32;
  const std::uint64_t total = std::uint64_t(paginas) * std::uint64_t(tam);
  return total - total / 8;  // leave an eighth to the rest of the machine
}
