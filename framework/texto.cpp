// Numbers in the C convention and the Windows-1252 / UTF-16 conversions.
#include "framework/texto.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// One "C" locale for the whole process, made on first use.
locale_t LocaleC() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

// Switches the calling thread to the "C" locale for the life of the object.
class CLocaleCHilo {
 public:
  CLocaleCHilo() : m_anterior(uselocale(LocaleC())) {}
  ~CLocaleCHilo() { uselocale(m_anterior); }
  CLocaleCHilo(const CLocaleCHilo&) = delete;
  CLocaleCHilo& operator=(const CLocaleCHilo&) = delete;

 private:
  locale_t m_anterior;
};

inline bool EsEspacioC(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool EsDigito(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Powers of ten that binary64 holds exactly.
constexpr double kPotencias[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The slow, always correct path: strtod in the "C" locale on a copy of the
// prefix (the copy keeps strtod from reading past what we recognised).
double ConvertirLento(const char* ini, const char* fin) {
  const std::size_t n = static_cast<std::size_t>(fin - ini);
  char pila[128];
  std::vector<char> monton;
  char* copia = pila;
  if (n + 1 > sizeof pila) {
    monton.resize(n + 1);
    copia = monton.data();
  }
  std::memcpy(copia, ini, n);
  copia[n] = '\0';
  return strtod_l(copia, nullptr, LocaleC());
}

}  // namespace

CString FormatCV(const char* formato, std::va_list args) {
  CLocaleCHilo c;
  char pila[256];
  std::va_list copia;
  va_copy(copia, args);
  const int n = std::vsnprintf(pila, sizeof pila, formato, copia);
  va_end(copia);
  if (n < 0) return CString();
  if (static_cast<std::size_t>(n) < sizeof pila) return CString(pila, static_cast<std::size_t>(n));
  CString s(static_cast<std::size_t>(n), '\0');
  std::vsnprintf(s.data(), s.size() + 1, formato, args);
  return s;
}

CString TextoExacto(double v) {
  char buf[32];
  const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
  return CString(buf, r.ptr);
}

CString FormatC(const char* formato, ...) {
  std::va_list args;
  va_start(args, formato);
  CString s = FormatCV(formato, args);
  va_end(args);
  return s;
}

int FormatCBuf(char* buf, std::size_t tam, const char* formato, ...) {
  CLocaleCHilo c;
  std::va_list args;
  va_start(args, formato);
  const int n = std::vsnprintf(buf, tam, formato, args);
  va_end(args);
  return n;
}

double AtofC(const char* s, const char** fin) {
  const char* p = s;
  while (EsEspacioC(*p)) ++p;
  const char* ini = p;
  bool negativo = false;
  if (*p == '+' || *p == '-') {
    negativo = *p == '-';
    ++p;
  }
  std::uint64_t mantisa = 0;
  int cifras = 0;      // significant digits kept in mantisa
  bool perdidas = false;  // non-zero digits beyond the 19 kept
  int exp10 = 0;
  bool hayCifra = false;
  while (*p == '0') {
    ++p;
    hayCifra = true;
  }
  for (; EsDigito(*p); ++p) {
    hayCifra = true;
    if (cifras < 19) {
      mantisa = mantisa * 10 + static_cast<unsigned>(*p - '0');
      ++cifras;
    } else {
      ++exp10;
      if (*p != '0') perdidas = true;
    }
  }
  if (*p == '.') {
    const char* q = p + 1;
    if (mantisa == 0) {
      while (*q == '0') {
        ++q;
        --exp10;
        hayCifra = true;
      }
    }
    for (; EsDigito(*q); ++q) {
      hayCifra = true;
      if (cifras < 19) {
        mantisa = mantisa * 10 + static_cast<unsigned>(*q - '0');
        ++cifras;
        --exp10;
      } else if (*q != '0') {
        perdidas = true;
      }
    }
    if (hayCifra) p = q;
  }
  if (!hayCifra) {
    if (fin) *fin = s;
    return 0.0;
  }
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    bool expNegativo = false;
    if (*q == '+' || *q == '-') {
      expNegativo = *q == '-';
      ++q;
    }
    if (EsDigito(*q)) {
      int e = 0;
      for (; EsDigito(*q); ++q) {
        if (e < 100000) {
          e = e * 10 + (*q - '0');
        } else {
          perdidas = true;  // an exponent this large is left to strtod
        }
      }
      exp10 += expNegativo ? -e : e;
      p = q;
    }
  }
  if (fin) *fin = p;
  if (mantisa == 0) return negativo ? -0.0 : 0.0;
  // Exact operands, one correctly rounded operation.
  if (!perdidas && mantisa <= (std::uint64_t(1) << 53) && exp10 >= -22 && exp10 <= 22) {
    double v = static_cast<double>(mantisa);
    v = exp10 < 0 ? v / kPotencias[-exp10] : v * kPotencias[exp10];
    return negativo ? -v : v;
  }
  return ConvertirLento(ini, p);
}

// ---- Windows-1252 ----

namespace {

// Code points of bytes 0x80..0x9F; the five undefined bytes stand for
// themselves so that every byte survives a round trip.
constexpr char32_t kAltos[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AnadirUtf8(CString& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

constexpr char32_t kInvalido = 0xFFFFFFFFu;

// Decodes one character at s[i], advancing i; kInvalido for a malformed
// sequence (overlong, surrogate, beyond U+10FFFF, cut short), which then
// consumes one byte.
char32_t DecodificarUtf8(const CString& s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int n;
  char32_t c;
  char32_t minimo;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    n = 1, c = b0 & 0x1F, minimo = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    n = 2, c = b0 & 0x0F, minimo = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    n = 3, c = b0 & 0x07, minimo = 0x10000;
  } else {
    ++i;
    return kInvalido;
  }
  if (i + static_cast<std::size_t>(n) >= s.size()) {
    ++i;
    return kInvalido;
  }
  for (int k = 1; k <= n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kInvalido;
    }
    c = (c << 6) | (b & 0x3F);
  }
  if (c < minimo || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return kInvalido;
  }
  i += static_cast<std::size_t>(n) + 1;
  return c;
}

// The Windows-1252 byte of a code point, or -1.
int ByteCp1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int k = 0; k < 32; ++k) {
    if (kAltos[k] == c) return 0x80 + k;
  }
  return -1;
}

}  // namespace

CString Cp1252AUtf8(const std::string& bytes) {
  CString out;
  out.reserve(bytes.size());
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out.push_back(ch);
    } else if (b < 0xA0) {
      AnadirUtf8(out, kAltos[b - 0x80]);
    } else {
      AnadirUtf8(out, b);
    }
  }
  return out;
}

bool Utf8ACp1252(const CString& utf8, std::string& bytes) {
  bytes.clear();
  bytes.reserve(utf8.size());
  bool completo = true;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t c = DecodificarUtf8(utf8, i);
    const int b = c == kInvalido ? -1 : ByteCp1252(c);
    if (b < 0) {
      bytes.push_back('?');
      completo = false;
    } else {
      bytes.push_back(static_cast<char>(b));
    }
  }
  return completo;
}

bool EsCp1252(const CString& utf8) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t c = DecodificarUtf8(utf8, i);
    if (c == kInvalido || ByteCp1252(c) < 0) return false;
  }
  return true;
}

bool EsUtf8(const CString& s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* fin = p + s.size();
  while (p < fin) {
    const unsigned char c = *p;
    int n = 0;
    if (c < 0x80) {
      ++p;
      continue;
    }
    if (c >= 0xC2 && c <= 0xDF) n = 1;
    else if (c >= 0xE0 && c <= 0xEF) n = 2;
    else if (c >= 0xF0 && c <= 0xF4) n = 3;
    else return false;
    if (fin - p <= n) return false;
    for (int i = 1; i <= n; ++i)
      if ((p[i] & 0xC0) != 0x80) return false;
    // Overlong forms, surrogates and code points past U+10FFFF.
    if (c == 0xE0 && p[1] < 0xA0) return false;
    if (c == 0xED && p[1] >= 0xA0) return false;
    if (c == 0xF0 && p[1] < 0x90) return false;
    if (c == 0xF4 && p[1] >= 0x90) return false;
    p += n + 1;
  }
  return true;
}

// ---- UTF-16 ----

CString Utf16AUtf8(const std::u16string& s, bool bBytes) {
  CString out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char32_t u = s[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      AnadirUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (static_cast<char32_t>(s[i + 1]) - 0xDC00));
      ++i;
    } else if (bBytes && u >= 0xDC80 && u <= 0xDCFF) {
      out.push_back(static_cast<char>(u - 0xDC00));
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AnadirUtf8(out, 0xFFFD);
    } else {
      AnadirUtf8(out, u);
    }
  }
  return out;
}

std::u16string Utf8AUtf16(const CString& s, bool bBytes) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    char32_t c = DecodificarUtf8(s, i);
    // A malformed sequence takes one byte, always 0x80 or more.
    if (c == kInvalido) c = bBytes ? 0xDC00 + b : 0xFFFD;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}
