#include "storage/reales.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>

#include "framework/archivo.h"

static_assert(std::endian::native == std::endian::little,
              "the archive blocks are the in-memory doubles: little-endian only");

IMPLEMENT_RUNTIME(CArrayReales)
IMPLEMENT_RUNTIME(CMatrizReales)

namespace {

constexpr std::uint64_t kAlineacion = 64;
// A stored block larger than what the archive still holds by more than this
// cannot come from a file the program wrote: the count is damaged.
constexpr std::uint64_t kHolguraBloque = std::uint64_t(64) << 20;

// Zeroed storage aligned to 64 bytes. calloc keeps large blocks lazily
// zeroed by the system, so a block that a short file never fills costs no
// memory. The raw pointer is kept just before the aligned start.
double* ReservarCeros(std::uint64_t bytes) {
  if (bytes > AfxMemoriaDisponible()) AfxThrowMemoryException();
  const std::uint64_t total = bytes + kAlineacion + sizeof(void*);
  void* bruto = std::calloc(1, static_cast<std::size_t>(total));
  if (bruto == nullptr) AfxThrowMemoryException();
  const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(bruto) + sizeof(void*);
  const std::uintptr_t alineado = (base + kAlineacion - 1) & ~std::uintptr_t(kAlineacion - 1);
  void** p = reinterpret_cast<void**>(alineado);
  p[-1] = bruto;
  return reinterpret_cast<double*>(p);
}

void LiberarCeros(double* p) {
  if (p != nullptr) std::free(reinterpret_cast<void**>(p)[-1]);
}

// Row length in doubles: rounded up to whole 64-byte lines only when the
// padding adds at most a sixteenth to the row.
std::uint64_t PasoFila(UINT columnas) {
  const std::uint64_t bruto = std::uint64_t(columnas) * sizeof(double);
  const std::uint64_t relleno = (bruto + kAlineacion - 1) / kAlineacion * kAlineacion;
  const std::uint64_t paso = (relleno - bruto) * 16 <= bruto ? relleno : bruto;
  return paso / sizeof(double);
}

void RechazarBloqueImposible(const CArchive& ar, std::uint64_t valores) {
  // valores counts doubles; compare in doubles so that nothing overflows.
  const std::uint64_t cabe = ar.Restantes() / sizeof(double) + kHolguraBloque / sizeof(double);
  if (valores > cabe) AfxThrowArchiveException(CArchiveException::endOfFile);
}

}  // namespace

// --- CArrayReales ---

CArrayReales::~CArrayReales() { Liberar(); }

bool CArrayReales::Dimensionar(UINT n) {
  Liberar();
  if (n == 0) return true;
  m_pDatos = ReservarCeros(std::uint64_t(n) * sizeof(double));
  m_nTam = n;
  return true;
}

void CArrayReales::Liberar() {
  if (m_pDatos == nullptr) {
    m_nTam = 0;
    return;
  }
  LiberarCeros(m_pDatos);
  m_pDatos = nullptr;
  m_nTam = 0;
}

void CArrayReales::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_nTam;
    if (m_pDatos != nullptr) ar.Write(m_pDatos, std::size_t(m_nTam) * sizeof(double));
    return;
  }
  UINT n = 0;
  ar >> n;
  if (n == 0) return;  // a stored empty vector leaves this one as it is
  RechazarBloqueImposible(ar, n);
  Dimensionar(n);
  ar.Read(m_pDatos, std::size_t(n) * sizeof(double));  // a short block keeps zeros
}

// --- CMatrizReales ---

CMatrizReales::~CMatrizReales() { Liberar(); }

bool CMatrizReales::Dimensionar(UINT filas, UINT columnas) {
  Liberar();
  if (filas == 0 || columnas == 0) return true;
  const std::uint64_t paso = PasoFila(columnas);
  // filas * paso * 8 may exceed 64 bits: test against the limit by division.
  const std::uint64_t limite = AfxMemoriaDisponible();
  const std::uint64_t bytesTabla = std::uint64_t(filas) * sizeof(double*);
  if (bytesTabla > limite || paso > (limite - bytesTabla) / sizeof(double) / filas)
    AfxThrowMemoryException();
  const std::uint64_t bytesBloque = std::uint64_t(filas) * paso * sizeof(double);

  double** tabla = static_cast<double**>(std::malloc(static_cast<std::size_t>(bytesTabla)));
  if (tabla == nullptr) AfxThrowMemoryException();
  double* bloque = nullptr;
  try {
    bloque = ReservarCeros(bytesBloque);
  } catch (...) {
    std::free(tabla);
    throw;
  }
  for (UINT i = 0; i < filas; ++i) tabla[i] = bloque + std::uint64_t(i) * paso;
  m_ppFilas = tabla;
  m_nFilas = filas;
  m_nColumnas = columnas;
  return true;
}

void CMatrizReales::Liberar() {
  if (m_ppFilas != nullptr) {
    LiberarCeros(m_ppFilas[0]);  // every row lives in the block of row 0
    std::free(m_ppFilas);
    m_ppFilas = nullptr;
  }
  m_nFilas = 0;
  m_nColumnas = 0;
}

void CMatrizReales::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_nFilas << m_nColumnas;
    if (m_ppFilas != nullptr)
      for (UINT i = 0; i < m_nFilas; ++i) ar.Write(m_ppFilas[i], std::size_t(m_nColumnas) * sizeof(double));
    return;
  }
  UINT filas = 0, columnas = 0;
  ar >> filas >> columnas;
  if (filas == 0 || columnas == 0) {
    Liberar();
    return;
  }
  RechazarBloqueImposible(ar, std::uint64_t(filas) * columnas);
  Dimensionar(filas, columnas);
  const std::size_t bytesFila = std::size_t(columnas) * sizeof(double);
  for (UINT i = 0; i < filas; ++i) {
    if (ar.Read(m_ppFilas[i], bytesFila) < bytesFila) break;  // the rest keeps its zeros
  }
}
