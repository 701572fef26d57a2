#include "framework/archivo.h"

#include <sys/stat.h>

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "framework/texto.h"

CArchive::CArchive(const void* datos, std::size_t tam)
    : m_modo(load), m_pDatos(static_cast<const BYTE*>(datos)), m_nTam(datos != nullptr ? tam : 0) {}

CArchive::CArchive(std::vector<BYTE>& destino) : m_modo(store), m_pDestino(&destino) {}

CArchive::CArchive(std::FILE* fichero, Mode modo) : m_modo(modo), m_pFichero(fichero) {}

CArchive::~CArchive() {
  if (IsStoring() && m_pFichero != nullptr) std::fflush(m_pFichero);
}

void CArchive::Write(const void* p, std::size_t n) {
  if (n == 0) return;
  if (!IsStoring()) AfxThrowArchiveException(CArchiveException::writeError);
  if (m_pDestino != nullptr) {
    try {
      const BYTE* b = static_cast<const BYTE*>(p);
      m_pDestino->insert(m_pDestino->end(), b, b + n);
    } catch (const std::bad_alloc&) {
      AfxThrowArchiveException(CArchiveException::writeError);
    } catch (const std::length_error&) {
      AfxThrowArchiveException(CArchiveException::writeError);
    }
    return;
  }
  if (m_pFichero == nullptr || m_bError || std::fwrite(p, 1, n, m_pFichero) != n) {
    m_bError = true;
    AfxThrowArchiveException(CArchiveException::writeError);
  }
}

std::size_t CArchive::Read(void* p, std::size_t n) {
  if (!IsLoading() || n == 0) return 0;
  if (m_pFichero != nullptr) return std::fread(p, 1, n, m_pFichero);
  const std::size_t hay = m_nTam - m_nPos;
  const std::size_t k = n < hay ? n : hay;
  if (k > 0) std::memcpy(p, m_pDatos + m_nPos, k);
  m_nPos += k;
  return k;
}

std::uint64_t CArchive::Restantes() const {
  if (!IsLoading()) return 0;
  if (m_pFichero == nullptr) return m_nTam - m_nPos;
  // A stream of unknown size (a pipe) limits nothing.
  struct stat st;
  if (fstat(fileno(m_pFichero), &st) != 0 || !S_ISREG(st.st_mode)) return std::numeric_limits<std::uint64_t>::max();
  const long pos = std::ftell(m_pFichero);  // counts what the stream has buffered
  if (pos < 0) return std::numeric_limits<std::uint64_t>::max();
  if (st.st_size < pos) return 0;
  return std::uint64_t(st.st_size) - std::uint64_t(pos);
}

void CArchive::Flush() {
  if (!IsStoring() || m_pFichero == nullptr) return;
  if (m_bError || std::fflush(m_pFichero) != 0 || std::ferror(m_pFichero)) {
    m_bError = true;
    AfxThrowArchiveException(CArchiveException::writeError);
  }
}

void CArchive::Close() {
  Flush();
  m_pFichero = nullptr;
  m_pDestino = nullptr;
  m_pDatos = nullptr;
  m_nTam = m_nPos = 0;
}

void CArchive::LeerExacto(void* p, std::size_t n) {
  if (Read(p, n) != n) AfxThrowArchiveException(CArchiveException::endOfFile);
}

// --- Fixed-size values, little-endian whatever the machine ---

namespace {

template <typename T>
void ALittle(T v, BYTE* b) {
  for (std::size_t i = 0; i < sizeof(T); ++i) b[i] = BYTE(v >> (8 * i));
}

template <typename T>
T DeLittle(const BYTE* b) {
  T v = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) v = T(v | (T(b[i]) << (8 * i)));
  return v;
}

}  // namespace

CArchive& CArchive::operator<<(BYTE v) {
  Write(&v, 1);
  return *this;
}
CArchive& CArchive::operator<<(WORD v) {
  BYTE b[2];
  ALittle(v, b);
  Write(b, 2);
  return *this;
}
CArchive& CArchive::operator<<(UINT v) {
  BYTE b[4];
  ALittle(v, b);
  Write(b, 4);
  return *this;
}
CArchive& CArchive::operator<<(std::int32_t v) { return *this << static_cast<UINT>(v); }
CArchive& CArchive::operator<<(double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, 8);
  BYTE b[8];
  ALittle(bits, b);
  Write(b, 8);
  return *this;
}

CArchive& CArchive::operator>>(BYTE& v) {
  LeerExacto(&v, 1);
  return *this;
}
CArchive& CArchive::operator>>(WORD& v) {
  BYTE b[2];
  LeerExacto(b, 2);
  v = DeLittle<WORD>(b);
  return *this;
}
CArchive& CArchive::operator>>(UINT& v) {
  BYTE b[4];
  LeerExacto(b, 4);
  v = DeLittle<UINT>(b);
  return *this;
}
CArchive& CArchive::operator>>(std::int32_t& v) {
  UINT u;
  *this >> u;
  v = static_cast<std::int32_t>(u);
  return *this;
}
CArchive& CArchive::operator>>(double& v) {
  BYTE b[8];
  LeerExacto(b, 8);
  const std::uint64_t bits = DeLittle<std::uint64_t>(b);
  std::memcpy(&v, &bits, 8);
  return *this;
}

// --- The string form ---

namespace {

constexpr WORD kMarca16 = 0xFFFE;
constexpr WORD kMarca32 = 0xFFFF;

void EscribirLongitud(CArchive& ar, std::size_t l) {
  if (l < 0xFF) {
    ar << BYTE(l);
  } else if (l < kMarca16) {
    ar << BYTE(0xFF) << WORD(l);
  } else {
    if (l > std::numeric_limits<UINT>::max()) AfxThrowArchiveException(CArchiveException::writeError);
    ar << BYTE(0xFF) << kMarca32 << UINT(l);
  }
}

// The length behind the prefix; *p16 (when given) tells the 16-bit form.
std::uint64_t LeerLongitud(CArchive& ar, bool* p16) {
  BYTE b;
  ar >> b;
  if (b < 0xFF) return b;
  WORD w;
  ar >> w;
  if (w == kMarca16) {
    // The 16-bit mark appears once; a second one is a damaged file.
    if (p16 == nullptr) AfxThrowArchiveException(CArchiveException::generic);
    *p16 = true;
    return LeerLongitud(ar, nullptr);
  }
  if (w != kMarca32) return w;
  UINT l;
  ar >> l;
  return l;
}

}  // namespace

CArchive& CArchive::operator<<(const CString& s) {
  std::string bytes;
  if (Utf8ACp1252(s, bytes)) {
    EscribirLongitud(*this, bytes.size());
    Write(bytes.data(), bytes.size());
    return *this;
  }
  // A character that Windows-1252 lacks, or a byte that is not UTF-8 (a
  // file name in another encoding): the 16-bit form keeps it.
  const std::u16string u = Utf8AUtf16(s, true);
  *this << BYTE(0xFF) << kMarca16;
  EscribirLongitud(*this, u.size());
  std::string le(u.size() * 2, '\0');
  for (std::size_t i = 0; i < u.size(); ++i) {
    le[2 * i] = char(u[i] & 0xFF);
    le[2 * i + 1] = char(u[i] >> 8);
  }
  Write(le.data(), le.size());
  return *this;
}

CArchive& CArchive::operator>>(CString& s) {
  bool b16 = false;
  const std::uint64_t l = LeerLongitud(*this, &b16);
  const std::uint64_t bytes = b16 ? l * 2 : l;
  // A length the archive cannot hold is cut short: refuse it before allocating.
  if (bytes > Restantes()) AfxThrowArchiveException(CArchiveException::endOfFile);
  std::string crudo(static_cast<std::size_t>(bytes), '\0');
  LeerExacto(crudo.data(), crudo.size());
  if (!b16) {
    s = Cp1252AUtf8(crudo);
    return *this;
  }
  std::u16string u(static_cast<std::size_t>(l), u'\0');
  for (std::size_t i = 0; i < u.size(); ++i)
    u[i] = char16_t(BYTE(crudo[2 * i]) | (char16_t(BYTE(crudo[2 * i + 1])) << 8));
  s = Utf16AUtf8(u, true);
  return *this;
}
