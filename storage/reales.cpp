#include "storage/reales.h"

#include <sys/mman.h>

#include <bit>
#include <cstdint>
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

// From this size on a block is mapped on its own, in pages of 2 MiB where
// the system gives them: filling freshly zeroed memory page by page costs
// more than the copy itself (a fault every 4 KiB), and the loaders fill
// whole blocks at once. Sanitizer builds keep every block on the heap,
// where the sanitizer watches it.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define NRV_BLOQUES_MAPEADOS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define NRV_BLOQUES_MAPEADOS 0
#endif
#endif
#ifndef NRV_BLOQUES_MAPEADOS
#define NRV_BLOQUES_MAPEADOS 1
#endif
constexpr std::uint64_t kPaginaGrande = std::uint64_t(2) << 20;
constexpr std::uint64_t kBloqueMapeado = kPaginaGrande;

// What sits just before a block's aligned start: where its memory came
// from and, for a mapping, its length (0 for the heap).
struct Cabecera {
  void* bruto;
  std::uint64_t longitud;
};
static_assert(sizeof(Cabecera) <= kAlineacion);

// A mapping whose start is on a 2 MiB boundary, so that whole large pages
// fit in it; the block starts one line after it. Null when the system
// refuses.
double* MapearCeros(std::uint64_t bytes) {
  const std::uint64_t util = (kAlineacion + bytes + 4095) & ~std::uint64_t(4095);
  const std::uint64_t total = util + kPaginaGrande;
  void* m = ::mmap(nullptr, static_cast<std::size_t>(total), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return nullptr;
  char* const base = static_cast<char*>(m);
  char* const inicio = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(base) + kPaginaGrande - 1) &
                                               ~std::uintptr_t(kPaginaGrande - 1));
  // Only [inicio, inicio + util) is kept.
  if (inicio > base) ::munmap(base, static_cast<std::size_t>(inicio - base));
  char* const fin = inicio + util;
  if (base + total > fin) ::munmap(fin, static_cast<std::size_t>(base + total - fin));
  ::madvise(inicio, static_cast<std::size_t>(util), MADV_HUGEPAGE);  // a hint: without it, small pages
  Cabecera* c = reinterpret_cast<Cabecera*>(inicio + kAlineacion) - 1;
  c->bruto = inicio;
  c->longitud = util;
  return reinterpret_cast<double*>(inicio + kAlineacion);
}

// Zeroed storage aligned to 64 bytes. The system keeps large blocks lazily
// zeroed, so a block that a short file never fills costs no memory.
double* ReservarCeros(std::uint64_t bytes) {
  if (bytes > AfxMemoriaDisponible()) AfxThrowMemoryException();
  if (NRV_BLOQUES_MAPEADOS && bytes >= kBloqueMapeado)
    if (double* p = MapearCeros(bytes)) return p;
  const std::uint64_t total = bytes + kAlineacion + sizeof(Cabecera);
  void* bruto = std::calloc(1, static_cast<std::size_t>(total));
  if (bruto == nullptr) AfxThrowMemoryException();
  const std::uintptr_t base = reinterpret_cast<std::uintptr_t>(bruto) + sizeof(Cabecera);
  const std::uintptr_t alineado = (base + kAlineacion - 1) & ~std::uintptr_t(kAlineacion - 1);
  Cabecera* c = reinterpret_cast<Cabecera*>(alineado) - 1;
  c->bruto = bruto;
  c->longitud = 0;
  return reinterpret_cast<double*>(alineado);
}

void LiberarCeros(double* p) {
  if (p == nullptr) return;
  const Cabecera c = reinterpret_cast<Cabecera*>(p)[-1];
  if (c.longitud != 0)
    ::munmap(c.bruto, static_cast<std::size_t>(c.longitud));
  else
    std::free(c.bruto);
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
