// C-locale numbers and the text encodings at the program's file boundary.
#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "framework/texto.h"

namespace {

locale_t LocaleC() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

// What the C library's atof gives in the "C" locale, and where it stops.
double Referencia(const char* s, const char** fin) {
  char* f = nullptr;
  const double v = strtod_l(s, &f, LocaleC());
  *fin = f;
  return v;
}

bool MismosBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void ComoAtof(const std::string& s) {
  const char* finRef = nullptr;
  const char* fin = nullptr;
  const double esperado = Referencia(s.c_str(), &finRef);
  const double v = AtofC(s.c_str(), &fin);
  ASSERT_TRUE(MismosBits(v, esperado)) << "\"" << s << "\": " << FormatC("%.17g", v) << " en vez de "
                                       << FormatC("%.17g", esperado);
  ASSERT_EQ(fin - s.c_str(), finRef - s.c_str()) << "\"" << s << "\"";
}

// Restores the process locale after a test that changes it.
class LocaleEspanol : public ::testing::Test {
 protected:
  void SetUp() override {
    m_anterior = setlocale(LC_ALL, nullptr);
    if (!setlocale(LC_ALL, "es_ES.UTF-8")) GTEST_SKIP() << "es_ES.UTF-8 no está instalado";
  }
  void TearDown() override { setlocale(LC_ALL, m_anterior.c_str()); }
  std::string m_anterior;
};

}  // namespace

TEST(AtofC, PrefijosDeLosFicherosDeDatos) {
  EXPECT_EQ(AtofC("1.5abc"), 1.5);
  EXPECT_EQ(AtofC("abc"), 0.0);
  EXPECT_EQ(AtofC("1,5"), 1.0);
  EXPECT_EQ(AtofC("-2e-3"), -0.002);
  EXPECT_EQ(AtofC("1e"), 1.0);
  EXPECT_EQ(AtofC("1e+"), 1.0);
  EXPECT_EQ(AtofC(".5"), 0.5);
  EXPECT_EQ(AtofC("5."), 5.0);
  EXPECT_EQ(AtofC("."), 0.0);
  EXPECT_EQ(AtofC("-"), 0.0);
  EXPECT_EQ(AtofC(""), 0.0);
  EXPECT_EQ(AtofC("  \t0.25"), 0.25);
  EXPECT_EQ(AtofC("+7"), 7.0);
  EXPECT_TRUE(std::signbit(AtofC("-0")));
}

TEST(AtofC, SinHexadecimalNiInfinitoNiNan) {
  EXPECT_EQ(AtofC("0x10"), 0.0);
  EXPECT_EQ(AtofC("inf"), 0.0);
  EXPECT_EQ(AtofC("nan"), 0.0);
  EXPECT_EQ(AtofC("INFINITY"), 0.0);
  const char* s = "0x1p3";
  const char* fin = nullptr;
  AtofC(s, &fin);
  EXPECT_EQ(fin, s + 1);
}

TEST(AtofC, FinDelPrefijo) {
  const char* fin = nullptr;
  const char* s = "abc";
  AtofC(s, &fin);
  EXPECT_EQ(fin, s);
  s = "  .";
  AtofC(s, &fin);
  EXPECT_EQ(fin, s);
  s = "1.25e3x";
  EXPECT_EQ(AtofC(s, &fin), 1250.0);
  EXPECT_EQ(fin, s + 6);
  s = "2e-x";
  EXPECT_EQ(AtofC(s, &fin), 2.0);
  EXPECT_EQ(fin, s + 1);
}

TEST(AtofC, CasosDificilesComoStrtod) {
  const char* casos[] = {
      "0.1", "0.123456", "9007199254740993", "9007199254740992.5", "18446744073709551615",
      "18446744073709551616", "123456789012345678901234567890", "1.7976931348623157e308",
      "1.7976931348623159e308", "1e309", "-1e400", "4.9406564584124654e-324", "2.4703282292062327e-324",
      "2.4703282292062328e-324", "2.2250738585072011e-308", "2.2250738585072014e-308", "1e-400",
      "0.000000000000000000000000000001", "1e22", "1e23", "9.999999999999999e22", "8.98846567431158e307",
      "3.0000000000000001", "0.30000000000000004", "7.2057594037927933e16", "1.00000000000000011102230246251565404236316680908203125",
      "1.00000000000000011102230246251565404236316680908203124", "1.00000000000000011102230246251565404236316680908203126",
      "2.00000000000000044408920985006261616945266723632812", "9007199254740991e10", "123456789e-30",
      "00000000000000000000000000000000001.5", "0.0000000000000000000000000000000000000000000001e46",
      "1e-99999999999", "1e99999999999", "0e99999999999", "100000000000000000000000e-24",
      "5e-324", "-0.0e-5", "1.e5", ".e5", "1e0005"};
  for (const char* c : casos) ComoAtof(c);
  // An exponent so large that its digits are not all kept.
  ComoAtof("1" + std::string(100001, '0') + "e-1000000000");
  ComoAtof("0." + std::string(5000, '0') + "1e5010");
  ComoAtof(std::string(400, '9') + "e-400");
}

TEST(AtofC, AleatoriosComoStrtod) {
  std::mt19937_64 gen(20240501);
  std::uniform_int_distribution<int> cifras(1, 25);
  std::uniform_int_distribution<int> cifra(0, 9);
  std::uniform_int_distribution<int> exponente(-340, 320);
  std::uniform_int_distribution<int> moneda(0, 3);
  for (int n = 0; n < 200000; ++n) {
    std::string s;
    if (moneda(gen) == 0) s += '-';
    const int ent = cifras(gen) - 5;
    for (int k = 0; k < ent; ++k) s += static_cast<char>('0' + cifra(gen));
    if (moneda(gen) != 0) {
      s += '.';
      const int dec = cifras(gen) - 3;
      for (int k = 0; k < dec; ++k) s += static_cast<char>('0' + cifra(gen));
    }
    if (moneda(gen) == 0) s += FormatC("e%d", exponente(gen));
    else if (moneda(gen) == 0) s += FormatC("e%d", exponente(gen) / 15);
    if (moneda(gen) == 0) s += "z1";  // not "x": strtod would read hex
    ComoAtof(s);
  }
}

TEST(AtofC, DoblesEscritosComoStrtod) {
  // Every double written with 17 significant digits reads back to itself.
  std::mt19937_64 gen(7);
  for (int n = 0; n < 100000; ++n) {
    std::uint64_t bits = gen();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (!std::isfinite(d)) continue;
    const CString s = FormatC("%.17g", d);
    ComoAtof(s);
    EXPECT_TRUE(MismosBits(AtofC(s.c_str()), d)) << s;
    ComoAtof(FormatC("%.6f", std::fmod(std::fabs(d), 1.0)));
  }
}

TEST(TextoExacto, ElMasCortoQueVuelveAlMismoDoble) {
  EXPECT_EQ(TextoExacto(0.1), "0.1");
  EXPECT_EQ(TextoExacto(1.0), "1");
  EXPECT_EQ(TextoExacto(-0.0), "-0");
  EXPECT_EQ(TextoExacto(1e-7), "1e-07");
  EXPECT_EQ(TextoExacto(2.0 / 3.0), "0.6666666666666666");
  std::mt19937_64 gen(11);
  for (int n = 0; n < 100000; ++n) {
    std::uint64_t bits = gen();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    if (!std::isfinite(d)) continue;
    const CString s = TextoExacto(d);
    EXPECT_TRUE(MismosBits(AtofC(s.c_str()), d)) << s;
    EXPECT_LE(s.size(), FormatC("%.17g", d).size()) << s;
  }
}

TEST(FormatC, FormatoYLongitud) {
  EXPECT_EQ(FormatC("%d-%s", 42, "x"), "42-x");
  EXPECT_EQ(FormatC("%.3f", 2.0 / 3.0), "0.667");
  const std::string largo(1000, 'a');
  EXPECT_EQ(FormatC("%s%d", largo.c_str(), 7), largo + "7");
  char buf[8];
  EXPECT_EQ(FormatCBuf(buf, sizeof buf, "%f", 0.5), 8);
  EXPECT_STREQ(buf, "0.50000");
}

TEST_F(LocaleEspanol, NumerosConPuntoConLocaleEspanol) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", 0.5);
  ASSERT_STREQ(buf, "0,5") << "el locale de la prueba no usa coma";
  EXPECT_EQ(FormatC("%.1f", 0.5), "0.5");
  EXPECT_EQ(FormatC("%g", 1.25e-3), "0.00125");
  FormatCBuf(buf, sizeof buf, "%.2f", 3.75);
  EXPECT_STREQ(buf, "3.75");
  EXPECT_EQ(AtofC("0.5"), 0.5);
  EXPECT_EQ(AtofC("0,5"), 0.0);
  EXPECT_EQ(TextoExacto(0.5), "0.5");
  EXPECT_EQ(AtofC("1.00000000000000011102230246251565404236316680908203126"), 1.0000000000000002);
  // The thread's own locale is back to what it was.
  std::snprintf(buf, sizeof buf, "%.1f", 0.5);
  EXPECT_STREQ(buf, "0,5");
}

TEST(Cp1252, TodosLosBytesIdaYVuelta) {
  std::string todos;
  for (int b = 1; b < 256; ++b) todos.push_back(static_cast<char>(b));
  const CString utf8 = Cp1252AUtf8(todos);
  std::string vuelta;
  EXPECT_TRUE(Utf8ACp1252(utf8, vuelta));
  EXPECT_EQ(vuelta, todos);
  EXPECT_TRUE(EsCp1252(utf8));
}

TEST(Cp1252, ZonaDe0x80A0x9F) {
  EXPECT_EQ(Cp1252AUtf8("\x80"), "€");
  EXPECT_EQ(Cp1252AUtf8("\x8A\x9F\x99"), "ŠŸ™");
  EXPECT_EQ(Cp1252AUtf8("\x81"), "\xC2\x81");
  EXPECT_EQ(Cp1252AUtf8("\x9D"), "\xC2\x9D");
  EXPECT_EQ(Cp1252AUtf8("Perceptr\xF3n"), "Perceptrón");
  std::string b;
  EXPECT_TRUE(Utf8ACp1252("Nº Muestras: ñ €", b));
  EXPECT_EQ(b, "N\xBA Muestras: \xF1 \x80");
}

TEST(Cp1252, CaracteresSinByte) {
  std::string b;
  EXPECT_FALSE(Utf8ACp1252("a\xE2\x88\x9E" "b", b));  // U+221E
  EXPECT_EQ(b, "a?b");
  EXPECT_FALSE(EsCp1252("Ω"));
  EXPECT_FALSE(EsCp1252("\xC2\x80"));  // U+0080 has no byte: 0x80 is the euro
  EXPECT_FALSE(EsCp1252("\xFF"));      // not UTF-8
  EXPECT_FALSE(Utf8ACp1252("x\xE2\x82", b));
  EXPECT_EQ(b.substr(0, 1), "x");
  EXPECT_TRUE(EsCp1252(""));
}

TEST(Utf16, ParesSustitutos) {
  const CString s = "a€\xF0\x9F\x98\x80z";  // U+1F600
  const std::u16string u = Utf8AUtf16(s);
  ASSERT_EQ(u.size(), 5u);
  EXPECT_EQ(u[1], 0x20AC);
  EXPECT_EQ(u[2], 0xD83D);
  EXPECT_EQ(u[3], 0xDE00);
  EXPECT_EQ(Utf16AUtf8(u), s);
}

TEST(Utf16, SecuenciasInvalidasDanFFFD) {
  EXPECT_EQ(Utf16AUtf8(std::u16string{u'a', static_cast<char16_t>(0xD800), u'b'}), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16AUtf8(std::u16string{static_cast<char16_t>(0xDC00)}), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8AUtf16("\xC0\xAF"), (std::u16string{0xFFFD, 0xFFFD}));  // overlong
  EXPECT_EQ(Utf8AUtf16("\xED\xA0\x80"), (std::u16string{0xFFFD, 0xFFFD, 0xFFFD}));  // a surrogate
  EXPECT_EQ(Utf8AUtf16("\xE2\x82"), (std::u16string{0xFFFD, 0xFFFD}));
}

// The archive's form of a name that is not UTF-8: its bytes come back.
TEST(Utf16, ConBytesUnNombreQueNoEsUtf8VuelveIgual) {
  for (const CString& s : {CString("caf\xE9.txt"), CString("\xED\xA0\x80"), CString("\xFF\xFE/a€\xE2\x82"),
                          CString("\xC0\xAF"), CString("ñandú")}) {
    const std::u16string u = Utf8AUtf16(s, true);
    EXPECT_EQ(Utf16AUtf8(u, true), s);
    for (char16_t c : u) EXPECT_NE(c, 0xFFFD);
  }
  EXPECT_EQ(Utf8AUtf16("caf\xE9", true), (std::u16string{u'c', u'a', u'f', 0xDCE9}));
  // Other lone surrogates still do not read; without bBytes nothing changes.
  EXPECT_EQ(Utf16AUtf8(std::u16string{0xDC00, 0xD800}, true), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Utf16AUtf8(std::u16string{0xDCE9}), "\xEF\xBF\xBD");
}
