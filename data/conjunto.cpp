// Sample sets read from text and binary data files.
//
// The text loader reads the whole file into one buffer and makes its two
// passes (count, then load) over that buffer, so each matrix is allocated
// once with its exact shape and no line is copied. The binary loader reads
// the values straight into the matrix rows.
#include "data/conjunto.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#if defined(__SSE2__) && defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "framework/fichero.h"
#include "framework/host.h"
#include "framework/texto.h"

namespace {

// A header count whose values the file cannot hold by more than this is
// damaged, not a file cut short.
constexpr std::uint64_t kHolgura = std::uint64_t(64) << 20;
// A stop request is looked at after each such share of a file.
constexpr std::size_t kPasoDetener = std::size_t(4) << 20;

inline bool EsSeparador(char c) { return c == ' ' || c == '\t'; }
inline bool EsDigito(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Skips blanks and tabs; false when the line holds no further token. A zero
// byte ends the line's text, as it ends a C string.
inline bool InicioToken(const char*& p, const char* fin) {
  while (p < fin && EsSeparador(*p)) ++p;
  return p < fin && *p != '\0';
}

inline void FinToken(const char*& p, const char* fin) {
  while (p < fin && !EsSeparador(*p) && *p != '\0') ++p;
}

constexpr double kPotencias[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// m exactly as a double. The conversion instruction merges into its target
// register; starting from a fresh zero keeps it from waiting for the
// previous value's division.
inline double EnteroADoble(std::uint64_t m) {
#if defined(__SSE2__) && defined(__x86_64__)
  return _mm_cvtsd_f64(_mm_cvtsi64_sd(_mm_setzero_pd(), static_cast<long long>(m)));
#else
  return static_cast<double>(m);
#endif
}

// The value of the token at p, exactly as AtofC reads it; p ends after the
// token. The character at fin must be one that ends a number (a line end or
// a zero byte), which holds for every line the loaders hand in.
inline double ValorToken(const char*& p, const char* fin) {
  const char* q = p;
  double v;
  // The plain form [-]digits[.digits] with at most 19 digits, no exponent:
  // one exact integer and one correctly rounded division.
  const bool negativo = *q == '-';
  if (negativo || *q == '+') ++q;
  std::uint64_t m = 0;
  int cifras = 0;
  int decimales = 0;
  while (EsDigito(*q)) {
    m = m * 10 + static_cast<unsigned>(*q - '0');
    ++cifras;
    ++q;
  }
  if (*q == '.') {
    ++q;
    while (EsDigito(*q)) {
      m = m * 10 + static_cast<unsigned>(*q - '0');
      ++cifras;
      ++decimales;
      ++q;
    }
  }
  if (cifras > 0 && cifras <= 19 && *q != 'e' && *q != 'E' && m <= (std::uint64_t(1) << 53) &&
      decimales <= 22) {
    v = EnteroADoble(m) / kPotencias[decimales];
    if (negativo) v = -v;
  } else if (EsDigito(*p) || *p == '-' || *p == '+' || *p == '.') {
    // Long mantissas, exponents, bare signs: the general reader. It stops
    // where the number stops, which is at or before fin.
    const char* finNumero = nullptr;
    v = AtofC(p, &finNumero);
    q = finNumero;
  } else if (*p == '\v' || *p == '\f' || *p == '\r') {
    // AtofC would skip these as leading blanks and could run into the next
    // line: read a copy of the token.
    FinToken(q, fin);
    v = AtofC(std::string(p, q).c_str());
  } else {
    v = 0.0;
  }
  FinToken(q, fin);
  p = q;
  return v;
}

bool LeerValoresRango(const char* p, const char* fin, double* destino, UINT n) {
  if (n == 0) return true;
  for (UINT i = 0; i < n; ++i) {
    if (!InicioToken(p, fin)) return false;
    destino[i] = ValorToken(p, fin);
  }
  return true;
}

bool Finitos(const double* v, UINT n) {
  bool finitos = true;
  for (UINT i = 0; i < n; ++i) finitos &= std::isfinite(v[i]);
  return finitos;
}

// Whether the line holds at least n tokens (a line past the last counted
// sample is looked at without storing its values).
bool TieneValores(const char* p, const char* fin, UINT n) {
  for (UINT i = 0; i < n; ++i) {
    if (!InicioToken(p, fin)) return false;
    FinToken(p, fin);
  }
  return true;
}

UINT ContarRango(const char* p, const char* fin) {
  UINT n = 0;
  while (InicioToken(p, fin)) {
    FinToken(p, fin);
    if (n < UINT_MAX) ++n;
  }
  return n;
}

// The data lines of an open file, read in blocks into one buffer that
// grows only for a line longer than itself: comment lines ('/' first) and
// empty lines are skipped; LF or CR LF ends a line; the last line may lack
// its newline. A zero byte always follows the buffered bytes, so every line
// handed out is followed by a character that ends a number. Only the bytes
// the file had when it was opened are read, so the buffer never outgrows
// the file; a stop request (when given) is looked at every few megabytes.
class CLineas {
 public:
  CLineas(int fd, std::uint64_t tam, HANDLE hDetener) : m_fd(fd), m_nTam(tam), m_nRestante(tam), m_hDetener(hDetener) {
    Reservar(static_cast<std::size_t>(std::min<std::uint64_t>(kBloque, tam + 1)));
  }

  // Back to the start of the file for the second pass.
  bool Rebobinar() {
    m_p = m_lim = m_buf.get();
    *m_lim = '\0';
    m_fin = false;
    m_nRestante = m_nTam;
    m_nLinea = 0;
    return ::lseek(m_fd, 0, SEEK_SET) == 0;
  }

  // The next data line; false at the end of the file (or on a read error,
  // or when a stop was asked).
  bool Siguiente(const char*& ini, const char*& fin) {
    for (;;) {
      const void* nl = std::memchr(m_p, '\n', static_cast<std::size_t>(m_lim - m_p));
      if (nl != nullptr) {
        ini = m_p;
        fin = static_cast<const char*>(nl);
        m_p = const_cast<char*>(fin) + 1;
        if (fin > ini && fin[-1] == '\r') --fin;
      } else if (m_fin) {
        if (m_p == m_lim || m_bDetenido) return false;
        ini = m_p;
        fin = m_lim;
        m_p = m_lim;
      } else {
        Rellenar();
        continue;
      }
      ++m_nLinea;
      if (fin != ini && *ini != '/') return true;
    }
  }

  // The number (from 1) of the line Siguiente handed out last.
  std::uint64_t Linea() const { return m_nLinea; }
  bool Detenido() const { return m_bDetenido; }

 private:
  static constexpr std::size_t kBloque = std::size_t(256) << 10;

  void Reservar(std::size_t cap) {
    if (cap >= AfxMemoriaDisponible()) AfxThrowMemoryException();
    std::unique_ptr<char[]> nuevo(new (std::nothrow) char[cap + 1]);
    if (!nuevo) AfxThrowMemoryException();
    const std::size_t resto = m_buf ? static_cast<std::size_t>(m_lim - m_p) : 0;
    if (resto != 0) std::memcpy(nuevo.get(), m_p, resto);
    m_buf = std::move(nuevo);
    m_cap = cap;
    m_p = m_buf.get();
    m_lim = m_p + resto;
    *m_lim = '\0';
  }

  // Keeps the unfinished line, moved to the front, and reads what follows.
  void Rellenar() {
    std::size_t resto = static_cast<std::size_t>(m_lim - m_p);
    if (m_nRestante == 0 || Parar()) {
      m_fin = true;
      return;
    }
    if (resto == m_cap) {
      // A line longer than the buffer: at most the rest of the file more.
      Reservar(static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t(m_cap) * 2, resto + m_nRestante)));
    } else if (m_p != m_buf.get()) {
      std::memmove(m_buf.get(), m_p, resto);
      m_p = m_buf.get();
      m_lim = m_p + resto;
    }
    const std::size_t pedir = static_cast<std::size_t>(std::min<std::uint64_t>(m_cap - resto, m_nRestante));
    for (;;) {
      const ssize_t r = ::read(m_fd, m_lim, pedir);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) {
        m_fin = true;
      } else {
        m_lim += r;
        m_nRestante -= static_cast<std::uint64_t>(r);
        m_nLeidos += static_cast<std::size_t>(r);
      }
      break;
    }
    *m_lim = '\0';
  }

  bool Parar() {
    if (m_hDetener == nullptr || m_nLeidos < kPasoDetener) return false;
    m_nLeidos = 0;
    if (WaitForSingleObject(m_hDetener, 0) == WAIT_OBJECT_0) m_bDetenido = true;
    return m_bDetenido;
  }

  int m_fd;
  std::uint64_t m_nTam;
  std::uint64_t m_nRestante;
  HANDLE m_hDetener;
  std::unique_ptr<char[]> m_buf;
  std::size_t m_cap = 0;
  char* m_p = nullptr;
  char* m_lim = nullptr;
  bool m_fin = false;
  bool m_bDetenido = false;
  std::size_t m_nLeidos = 0;
  std::uint64_t m_nLinea = 0;
};

// A file descriptor closed on every way out.
class CDescriptor {
 public:
  explicit CDescriptor(int fd) : m_fd(fd) {}
  ~CDescriptor() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CDescriptor(const CDescriptor&) = delete;
  CDescriptor& operator=(const CDescriptor&) = delete;
  int fd() const { return m_fd; }

 private:
  int m_fd;
};

// Opens a data file for reading: only a regular file, and without waiting
// (a pipe's open would wait for a writer); tam gets its size now. -1 when
// it cannot be opened or is no regular file.
int AbrirDatos(const CString& ruta, std::uint64_t& tam) { return AfxAbrirFicheroRegular(ruta, &tam); }

// Reads up to tam bytes; fewer only at the end of the file or on an error.
std::size_t LeerTodo(int fd, void* destino, std::size_t tam) {
  std::size_t hecho = 0;
  while (hecho < tam) {
    const ssize_t r = ::read(fd, static_cast<char*>(destino) + hecho, tam - hecho);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    hecho += static_cast<std::size_t>(r);
  }
  return hecho;
}

UINT U32(const unsigned char* b) {
  return UINT(b[0]) | UINT(b[1]) << 8 | UINT(b[2]) << 16 | UINT(b[3]) << 24;
}

// The binary header: false when the file is shorter than it.
bool LeerCabecera(int fd, UINT& entradas, UINT& salidas, UINT& muestras) {
  unsigned char b[12];
  if (LeerTodo(fd, b, sizeof b) < sizeof b) return false;
  entradas = U32(b);
  salidas = U32(b + 4);
  muestras = U32(b + 8);
  return true;
}

// Values the header announces; in doubles, so nothing overflows.
std::uint64_t ValoresAnunciados(UINT entradas, UINT salidas, UINT muestras) {
  return (std::uint64_t(entradas) + salidas) * muestras;
}

// A damaged count must not take the machine's memory: a header is refused
// when the file cannot hold its values (beyond a margin for a file cut
// short) or the machine cannot hold them. Samples without inputs cannot be
// told apart. Measuring and loading apply the same rule.
bool CabeceraAdmisible(UINT entradas, UINT salidas, UINT muestras, std::uint64_t tamFichero) {
  if (entradas == 0 && muestras != 0) return false;
  const std::uint64_t porMuestra = std::uint64_t(entradas) + salidas;
  const std::uint64_t limite = AfxMemoriaDisponible() / sizeof(double);
  if (muestras != 0 && porMuestra + 2 > limite / muestras) return false;  // + the two row pointers
  const std::uint64_t cuerpo = tamFichero < 12 ? 0 : tamFichero - 12;
  return ValoresAnunciados(entradas, salidas, muestras) <= cuerpo / sizeof(double) + kHolgura / sizeof(double);
}

// Fills the rows from the file in sample order (inputs, then outputs),
// scattering each read straight into the rows, a few megabytes per read so
// that a stop request is looked at between them. Stops at the end of the
// file: what is missing keeps its zero fill. False when a stop was asked.
bool LeerMuestras(int fd, CMatrizReales& entradas, CMatrizReales& salidas, UINT muestras, HANDLE hDetener) {
  constexpr int kTramos = 1024;
  iovec iov[kTramos];
  const std::size_t bytesE = std::size_t(entradas.m_nColumnas) * sizeof(double);
  const std::size_t bytesS = std::size_t(salidas.m_nColumnas) * sizeof(double);
  // Where the next byte goes: sample s, its outputs when bSalida, offset.
  UINT s = 0;
  bool bSalida = false;
  std::size_t desde = 0;
  while (s < muestras) {
    int n = 0;
    std::size_t total = 0;
    {
      UINT s2 = s;
      bool b2 = bSalida;
      std::size_t d2 = desde;
      while (s2 < muestras && n < kTramos && total < kPasoDetener) {
        char* fila = reinterpret_cast<char*>(b2 ? salidas.m_ppFilas[s2] : entradas.m_ppFilas[s2]);
        const std::size_t largo = (b2 ? bytesS : bytesE) - d2;
        const std::size_t tomar = std::min(largo, kPasoDetener - total);
        iov[n++] = {fila + d2, tomar};
        total += tomar;
        if (tomar < largo) break;
        d2 = 0;
        if (b2 || bytesS == 0) {
          b2 = false;
          ++s2;
        } else {
          b2 = true;
        }
      }
    }
    std::size_t leidos = 0;
    int k = 0;
    while (k < n) {
      const ssize_t r = ::readv(fd, iov + k, n - k);
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) return true;  // end of the file (or unreadable): the rest stays 0.0
      leidos += static_cast<std::size_t>(r);
      std::size_t resto = static_cast<std::size_t>(r);
      while (k < n && resto >= iov[k].iov_len) resto -= iov[k++].iov_len;
      if (k < n) {
        iov[k].iov_base = static_cast<char*>(iov[k].iov_base) + resto;
        iov[k].iov_len -= resto;
      }
    }
    // Move the position on by what was read.
    while (leidos > 0) {
      const std::size_t largo = (bSalida ? bytesS : bytesE) - desde;
      if (leidos < largo) {
        desde += leidos;
        break;
      }
      leidos -= largo;
      desde = 0;
      if (bSalida || bytesS == 0) {
        bSalida = false;
        ++s;
      } else {
        bSalida = true;
      }
    }
    if (hDetener != nullptr && s < muestras && WaitForSingleObject(hDetener, 0) == WAIT_OBJECT_0) return false;
  }
  return true;
}

// The first sample (from 0) holding a value that is not finite; muestras
// when there is none.
UINT PrimeraNoFinita(const CMatrizReales& entradas, const CMatrizReales& salidas, UINT muestras) {
  for (UINT s = 0; s < muestras; ++s) {
    if (!Finitos(entradas.m_ppFilas[s], entradas.m_nColumnas)) return s;
    if (salidas.m_ppFilas != nullptr && !Finitos(salidas.m_ppFilas[s], salidas.m_nColumnas)) return s;
  }
  return muestras;
}

CString TextoNoFinito(const char* donde, std::uint64_t n, const CString& ruta) {
  return FormatC("valor no finito en %s %llu de %s", donde, static_cast<unsigned long long>(n), ruta.c_str());
}

void AvisarNoFinito(const char* donde, std::uint64_t n, const CString& ruta) {
  AfxMessageBox(TextoNoFinito(donde, n, ruta), MB_OK, 0);
}

// Measures a text file's first two data lines as LeerLinea and
// ContarValores read them, one block at a time: a line is never held
// whole, so a huge file without a line end costs one pass and no memory.
// The values of the tokens counted are checked to be finite (a token too
// long to keep is left to the loader, which reads every value).
class CMedidorTexto {
 public:
  // 0: measured; 1: fewer than two data lines; 2: a value not finite
  // (nLinea tells where).
  int Medir(int fd, std::uint64_t tam, UINT& entradas, UINT& salidas) {
    char bloque[1 << 16];
    std::uint64_t restante = tam;
    while (restante > 0 && m_nDatos < 2 && !m_bNoFinito) {
      const ssize_t r = ::read(fd, bloque, static_cast<std::size_t>(std::min<std::uint64_t>(sizeof bloque, restante)));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      restante -= static_cast<std::uint64_t>(r);
      for (ssize_t i = 0; i < r && m_nDatos < 2 && !m_bNoFinito; ++i) {
        if ((m_bComentario || m_bCero) && !m_bCrPendiente) {
          // Nothing more of this line counts: on to its end.
          const void* nl = std::memchr(bloque + i, '\n', static_cast<std::size_t>(r - i));
          if (nl == nullptr) break;
          i = static_cast<const char*>(nl) - bloque;
        }
        Caracter(bloque[i]);
      }
    }
    if (m_nDatos < 2 && !m_bNoFinito) {
      // The last line may lack its newline (and then keeps a final CR).
      if (m_bCrPendiente) Normal('\r');
      m_bCrPendiente = false;
      if (m_bEnLinea) FinLinea();
    }
    entradas = m_nCuentas[0];
    salidas = m_nCuentas[1];
    if (m_bNoFinito) return 2;
    return m_nDatos < 2 ? 1 : 0;
  }
  std::uint64_t nLinea = 0;

 private:
  static constexpr std::size_t kTokenMax = 4096;

  void Caracter(char c) {
    if (m_bCrPendiente) {
      m_bCrPendiente = false;
      if (c == '\n') {  // CR LF: the CR is no part of the line
        FinLinea();
        return;
      }
      Normal('\r');
    }
    if (c == '\n') {
      FinLinea();
    } else if (c == '\r') {
      m_bCrPendiente = true;
    } else {
      Normal(c);
    }
  }

  void Normal(char c) {
    if (!m_bEnLinea) {
      m_bEnLinea = true;
      m_bComentario = c == '/';
    }
    if (m_bComentario || m_bCero) return;
    if (c == '\0') {  // ends the line's text, as it ends a C string
      m_bCero = true;
      FinToken();
    } else if (c == ' ' || c == '\t') {
      FinToken();
    } else {
      if (!m_bEnToken) {
        m_bEnToken = true;
        m_bLargo = false;
        m_token.clear();
        if (m_nValores < UINT_MAX) ++m_nValores;
      }
      if (m_token.size() < kTokenMax) m_token.push_back(c);
      else m_bLargo = true;
    }
  }

  void FinToken() {
    if (!m_bEnToken) return;
    m_bEnToken = false;
    if (!m_bLargo && !std::isfinite(AtofC(m_token.c_str()))) {
      m_bNoFinito = true;
      nLinea = m_nLinea + 1;
    }
  }

  void FinLinea() {
    FinToken();
    ++m_nLinea;
    const bool dato = m_bEnLinea && !m_bComentario;
    if (dato && !m_bNoFinito) m_nCuentas[m_nDatos++] = m_nValores;
    m_bEnLinea = m_bComentario = m_bCero = m_bEnToken = false;
    m_nValores = 0;
  }

  UINT m_nCuentas[2] = {0, 0};
  int m_nDatos = 0;
  std::uint64_t m_nLinea = 0;
  UINT m_nValores = 0;
  bool m_bEnLinea = false, m_bComentario = false, m_bCero = false, m_bEnToken = false, m_bCrPendiente = false;
  bool m_bLargo = false, m_bNoFinito = false;
  std::string m_token;
};

}  // namespace

bool LeerLinea(CString& linea, std::FILE* f) {
  for (;;) {
    linea.clear();
    int c = EOF;
    bool leido = false;
    while ((c = std::getc(f)) != EOF) {
      leido = true;
      if (c == '\n') break;
      linea.push_back(static_cast<char>(c));
    }
    if (!leido) return true;
    if (c == '\n' && !linea.empty() && linea.back() == '\r') linea.pop_back();
    if (!linea.empty() && linea[0] != '/') return false;
  }
}

bool LeerValores(const char* linea, double* destino, UINT n) {
  return LeerValoresRango(linea, linea + std::strlen(linea), destino, n);
}

UINT ContarValores(const char* linea) { return ContarRango(linea, linea + std::strlen(linea)); }

CConjuntoDatos::~CConjuntoDatos() {
  m_matEntradas.Liberar();
  m_matSalidas.Liberar();
}

int CConjuntoDatos::TipoFichero(const CString& ruta) {
  if (ruta.find(".ie3") != CString::npos) return 2;
  if (ruta.find(".bin") != CString::npos) return 2;
  return 0;
}

BOOL CConjuntoDatos::Dimensiones(const CString& ruta, UINT* pEntradas, UINT* pSalidas) {
  UINT e = 0, s = 0;
  if (pEntradas == nullptr) pEntradas = &e;
  if (pSalidas == nullptr) pSalidas = &s;
  // No network is made from a file without inputs or outputs.
  if (m_bCargado) {
    *pEntradas = m_nEntradas;
    *pSalidas = m_nSalidas;
    return m_nEntradas != 0 && m_nSalidas != 0;
  }
  if (ruta.empty()) return FALSE;
  std::uint64_t tam = 0;
  CDescriptor fd(AbrirDatos(ruta, tam));
  if (fd.fd() < 0) return FALSE;
  if (TipoFichero(ruta) == 2) {
    UINT muestras = 0;
    if (!LeerCabecera(fd.fd(), e, s, muestras)) return FALSE;
    // The loader's own rule: a count it would refuse measures nothing.
    if (!CabeceraAdmisible(e, s, muestras, tam)) return FALSE;
    *pEntradas = e;
    *pSalidas = s;
    return e != 0 && s != 0;
  }
  *pEntradas = 0;
  *pSalidas = 0;
  CMedidorTexto medidor;
  const int r = medidor.Medir(fd.fd(), tam, e, s);
  if (r == 2) {
    AvisarNoFinito("la línea", medidor.nLinea, ruta);
    return FALSE;
  }
  *pEntradas = e;
  *pSalidas = s;
  return r == 0 && e != 0 && s != 0;
}

BOOL CConjuntoDatos::Completo(const CString& ruta) {
  std::uint64_t tam = 0;
  CDescriptor fd(AbrirDatos(ruta, tam));
  if (fd.fd() < 0) return FALSE;
  if (TipoFichero(ruta) != 2) return TRUE;
  UINT entradas = 0, salidas = 0, muestras = 0;
  if (!LeerCabecera(fd.fd(), entradas, salidas, muestras)) return FALSE;
  // Without a sample the counts are backed by nothing: at least one.
  return ValoresAnunciados(entradas, salidas, std::max<UINT>(muestras, 1)) <= (tam - 12) / sizeof(double);
}

CString TextoAviso(const AvisoCarga& aviso) {
  if (aviso.nMas == 0) return aviso.strTexto;
  return FormatC("%s (y %llu %s más)", aviso.strTexto.c_str(), static_cast<unsigned long long>(aviso.nMas),
                 aviso.nMas == 1 ? "línea" : "líneas");
}

void CConjuntoDatos::Avisar(const CString& texto) {
  for (AvisoCarga& a : m_avisos)
    if (a.strTexto == texto) {
      ++a.nMas;
      return;
    }
  m_avisos.push_back(AvisoCarga{texto, 0});
}

void CConjuntoDatos::MostrarAvisos() {
  for (const AvisoCarga& a : m_avisos) AfxMessageBox(TextoAviso(a), MB_OK, 0);
  m_avisos.clear();
}

BOOL CConjuntoDatos::Cargar(const CString& ruta) {
  m_bDetenido = false;
  m_avisos.clear();
  if (ruta.empty()) return FALSE;
  const BOOL bien = TipoFichero(ruta) == 0 ? CargarTexto(ruta) : CargarBinario(ruta);
  if (!m_bGuardarAvisos) MostrarAvisos();
  return bien;
}

BOOL CConjuntoDatos::CargarBinario(const CString& ruta) {
  std::uint64_t tam = 0;
  CDescriptor fd(AbrirDatos(ruta, tam));
  if (fd.fd() < 0) return FALSE;
  UINT entradas = 0, salidas = 0, muestras = 0;
  if (!LeerCabecera(fd.fd(), entradas, salidas, muestras)) return FALSE;
  if (!CabeceraAdmisible(entradas, salidas, muestras, tam)) return FALSE;

  m_nEntradas = entradas;
  m_nSalidas = salidas;
  m_nMuestras = muestras;
  if (!m_matEntradas.Dimensionar(m_nMuestras, m_nEntradas)) Avisar(" ENTRADAS ");
  if (!m_matSalidas.Dimensionar(m_nMuestras, m_nSalidas)) Avisar(" SALIDAS ");
  if (m_matEntradas.m_ppFilas != nullptr) {
    if (!LeerMuestras(fd.fd(), m_matEntradas, m_matSalidas, m_nMuestras, m_hDetener)) {
      m_bDetenido = true;
      Descartar();
      return FALSE;
    }
    const UINT s = PrimeraNoFinita(m_matEntradas, m_matSalidas, m_nMuestras);
    if (s < m_nMuestras) {
      Avisar(TextoNoFinito("la muestra", std::uint64_t(s) + 1, ruta));
      Descartar();
      return FALSE;
    }
  }
  m_bCargado = true;
  return TRUE;
}

void CConjuntoDatos::Descartar() {
  m_matEntradas.Liberar();
  m_matSalidas.Liberar();
  m_nMuestras = 0;
  m_bCargado = false;
}

BOOL CConjuntoDatos::CargarTexto(const CString& ruta) {
  m_matEntradas.Liberar();
  m_matSalidas.Liberar();
  std::uint64_t tam = 0;
  CDescriptor fd(AbrirDatos(ruta, tam));
  if (fd.fd() < 0) return FALSE;
  CLineas l(fd.fd(), tam, m_hDetener);
  m_nEntradas = 0;
  m_nSalidas = 0;
  m_nMuestras = 0;

  // Counting pass.
  const char* ini = nullptr;
  const char* fin = nullptr;
  std::uint64_t lineas = 0;
  if (l.Siguiente(ini, fin)) {
    lineas = 1;
    m_nEntradas = ContarRango(ini, fin);
    if (l.Siguiente(ini, fin)) {
      lineas = 2;
      m_nSalidas = ContarRango(ini, fin);
      while (l.Siguiente(ini, fin)) ++lineas;
    }
  }
  if (l.Detenido()) {
    m_bDetenido = true;
    Descartar();
    return FALSE;
  }
  // A first data line without values gives no inputs, a second one no
  // outputs: such a file cannot be paired into samples.
  if ((lineas >= 1 && m_nEntradas == 0) || (lineas >= 2 && m_nSalidas == 0)) return FALSE;
  if (lineas / 2 > UINT_MAX) return FALSE;  // more samples than a count can tell
  m_nMuestras = lineas >= 2 ? static_cast<UINT>(lineas / 2) : 1;
  if (!l.Rebobinar()) return FALSE;

  m_matEntradas.Dimensionar(m_nMuestras, m_nEntradas);
  m_matSalidas.Dimensionar(m_nMuestras, m_nSalidas);

  // Loading pass. Rows are written only below the count, even if the file
  // changed between the passes.
  UINT s = 0;
  auto noFinito = [&] {
    Avisar(TextoNoFinito("la línea", l.Linea(), ruta));
    Descartar();
    return FALSE;
  };
  while (l.Siguiente(ini, fin)) {
    const bool guardar = s < m_nMuestras;
    if (guardar) {
      const bool completa = LeerValoresRango(ini, fin, m_matEntradas.m_ppFilas[s], m_nEntradas);
      if (!Finitos(m_matEntradas.m_ppFilas[s], m_nEntradas)) return noFinito();
      if (!completa) Avisar("faltan datos");
    } else if (!TieneValores(ini, fin, m_nEntradas)) {
      Avisar("faltan datos");
    }
    if (!l.Siguiente(ini, fin)) {
      if (l.Detenido()) break;
      Avisar("Faltan datos.");
      m_matEntradas.Liberar();
      m_matSalidas.Liberar();
      m_nMuestras = 0;
      return FALSE;
    }
    if (guardar) {
      const bool completa = LeerValoresRango(ini, fin, m_matSalidas.m_ppFilas[s], m_nSalidas);
      if (!Finitos(m_matSalidas.m_ppFilas[s], m_nSalidas)) return noFinito();
      if (!completa) Avisar("faltan datos");
    } else if (!TieneValores(ini, fin, m_nSalidas)) {
      Avisar("faltan datos");
    }
    if (s < UINT_MAX) ++s;
  }
  if (l.Detenido()) {
    m_bDetenido = true;
    Descartar();
    return FALSE;
  }
  if (s != m_nMuestras) {
    // Not one data line (the count was set to 1 all the same).
    std::fputs("Faltan datos.\n", stderr);
    m_matEntradas.Liberar();
    m_matSalidas.Liberar();
    m_nMuestras = 0;
    m_bCargado = false;
    return FALSE;
  }
  m_bCargado = true;
  return TRUE;
}
