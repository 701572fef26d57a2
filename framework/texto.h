// Text helpers: numbers in the C convention whatever the process locale,
// and the Windows-1252 boundary of the program's files.
#pragma once

#include <cstdarg>

#include "framework/afx.h"

// printf-style formatting in the "C" locale (a point as decimal separator),
// whatever locale the process or the toolkit has set.
CString FormatC(const char* formato, ...) __attribute__((format(printf, 1, 2)));
CString FormatCV(const char* formato, std::va_list args);
// The same into a caller's buffer (snprintf semantics); returns the length
// the whole text would have.
int FormatCBuf(char* buf, std::size_t tam, const char* formato, ...) __attribute__((format(printf, 3, 4)));

// The shortest text in the C convention that AtofC reads back to the same
// double (1.5, 0.1, 1e-07, -0); "nan" and "inf" for those.
CString TextoExacto(double v);

// atof in the "C" locale: the longest numeric prefix (optional leading white
// space as atof skips it, optional sign, digits with '.' as decimal point,
// optional exponent with at least one digit) of s, correctly rounded exactly
// as strtod rounds it; 0.0 when there is none. No hex, inf or nan. When fin
// is given it receives the first character after the prefix (s when none).
double AtofC(const char* s, const char** fin = nullptr);

// Windows-1252 <-> UTF-8. Cp1252AUtf8 maps every byte (the five bytes that
// Windows-1252 leaves undefined map to U+0081 etc.). Utf8ACp1252 returns
// false when some character has no Windows-1252 byte (it is replaced by '?').
CString Cp1252AUtf8(const std::string& bytes);
bool Utf8ACp1252(const CString& utf8, std::string& bytes);
bool EsCp1252(const CString& utf8);
// Whether the bytes are UTF-8 throughout.
bool EsUtf8(const CString& s);

// UTF-16 <-> UTF-8 (invalid sequences become U+FFFD). With bBytes, a text
// that is not UTF-8 (a Latin-1 file name) keeps its bytes: each byte that
// does not read goes as the lone surrogate U+DC80..U+DCFF of its value and
// comes back as that byte.
CString Utf16AUtf8(const std::u16string& s, bool bBytes = false);
std::u16string Utf8AUtf16(const CString& s, bool bBytes = false);
