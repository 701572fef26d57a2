// Numbers are written, shown and read in the C convention whatever locale
// the process runs under: the same text under LC_ALL=C and es_ES.UTF-8,
// where the C library itself would use a decimal comma.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "framework/dialogo.h"
#include "framework/texto.h"
#include "tests/support/test_host.h"

namespace {

// Runs fn under the locale, then puts the previous one back.
template <class Fn>
auto BajoLocale(const char* nombre, Fn fn) {
  const char* actual = std::setlocale(LC_ALL, nullptr);
  const std::string anterior = actual ? actual : "C";
  if (std::setlocale(LC_ALL, nombre) == nullptr) ADD_FAILURE() << "locale " << nombre;
  auto r = fn();
  std::setlocale(LC_ALL, anterior.c_str());
  return r;
}

// Whether es_ES.UTF-8 is there and really has a decimal comma.
bool HayLocaleConComa() {
  const char* actual = std::setlocale(LC_ALL, nullptr);
  const std::string anterior = actual ? actual : "C";
  bool coma = false;
  if (std::setlocale(LC_ALL, "es_ES.UTF-8") != nullptr) coma = std::string(std::localeconv()->decimal_point) == ",";
  std::setlocale(LC_ALL, anterior.c_str());
  return coma;
}

template <class Fn>
void MismoEnAmbos(Fn fn) {
  if (!HayLocaleConComa()) GTEST_SKIP() << "es_ES.UTF-8 no está instalado";
  const auto c = BajoLocale("C", fn);
  const auto es = BajoLocale("es_ES.UTF-8", fn);
  EXPECT_EQ(c, es);
}

const double kValores[] = {0.0,   -0.0,   0.5,     -0.3,        1.0 / 3.0, 2.5e-7, 123456.789,
                           1e300, -1e-300, 99.99995, 0.99999949, 42.0,      std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};

constexpr int kTexto = 1000;
constexpr int kReal = 1005;
constexpr int kCuenta = 1004;

class CDialogoNumeros : public CDialog {
 public:
  CDialogoNumeros() : CDialog(0) {}
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kTexto, m_strTexto);
    DDX_Text(pDX, kReal, m_dReal);
    DDX_Text(pDX, kCuenta, m_nCuenta);
  }
  CString m_strTexto = "x";
  double m_dReal = 0.0;
  UINT m_nCuenta = 0;
};

}  // namespace

TEST(Locale, LosFormatosDelProgramaNoCambianConElLocale) {
  // Every conversion the log, the exports, the results dialog and the view
  // use.
  MismoEnAmbos([] {
    std::string s;
    for (double v : kValores) {
      s += FormatC("%7.6f|%8.6f|%7.5f|%7.4f %%|%.4f |%g|%.17g|%e\n", v, v, v, v, v, v, v, v);
      char buf[64];
      FormatCBuf(buf, sizeof buf, "%7.6f|%.4f", v, v);
      s += buf;
    }
    s += FormatC("%u\t%2u\t%u", 0u, 7u, 4294967295u);
    return s;
  });
  for (double v : kValores) {
    const CString s = BajoLocale("es_ES.UTF-8", [v] { return FormatC("%7.6f %.4f %g %e", v, v, v, v); });
    EXPECT_EQ(s.find(','), CString::npos) << s;
  }
}

TEST(Locale, LaLecturaDeNumerosNoCambiaConElLocale) {
  MismoEnAmbos([] {
    std::vector<double> r;
    for (const char* t : {"0.5", "  -2.25e-3", "1,5", "3.", ".75", "7e", "1e+308", "0.1000000000000000055511151231257827"})
      r.push_back(AtofC(t));
    return r;
  });
  EXPECT_EQ(BajoLocale("es_ES.UTF-8", [] { return AtofC("1,5"); }), 1.0);
  EXPECT_EQ(BajoLocale("es_ES.UTF-8", [] { return AtofC("0.1"); }), 0.1);
}

TEST(Locale, LosDialogosMuestranYLeenLosMismosNumeros) {
  CTestHost host;
  MismoEnAmbos([&host] {
    CDialogoNumeros d;
    d.OnInitDialog();
    d.m_dReal = 0.1;
    d.m_nCuenta = 400;
    d.UpdateData(FALSE);
    std::string visto = d.GetDlgItem(kReal)->GetWindowText() + "|" + d.GetDlgItem(kCuenta)->GetWindowText();
    // What the user types is read in the same way, a comma refused alike.
    Escribir(d, kReal, "0.25");
    host.Limpiar();
    const BOOL bien = d.UpdateData(TRUE);
    visto += FormatC("|%d|%.17g", bien, d.m_dReal);
    Escribir(d, kReal, "0,25");
    const BOOL conComa = d.UpdateData(TRUE);
    visto += FormatC("|%d|%.17g|", conComa, d.m_dReal);
    for (const CString& t : host.Textos()) visto += t + "|";
    return visto;
  });
}
