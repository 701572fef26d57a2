#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/archivo.h"
#include "tests/support/test_host.h"

namespace {

std::vector<BYTE> Bytes(std::initializer_list<int> l) {
  std::vector<BYTE> b;
  for (int v : l) b.push_back(BYTE(v));
  return b;
}

std::vector<BYTE> GuardarCadena(const CString& s) {
  std::vector<BYTE> b;
  CArchive ar(b);
  ar << s;
  return b;
}

CString LeerCadena(const std::vector<BYTE>& b, std::uint64_t* pResto = nullptr) {
  CArchive ar(b.data(), b.size());
  CString s;
  ar >> s;
  if (pResto) *pResto = ar.Restantes();
  return s;
}

CArchiveException::Cause CausaAlLeerCadena(const std::vector<BYTE>& b) {
  try {
    LeerCadena(b);
  } catch (const CArchiveException& e) {
    return e.m_cause;
  }
  return CArchiveException::none;
}

}  // namespace

// --- Fixed-size values ---

TEST(ArchivoValores, LittleEndian) {
  std::vector<BYTE> b;
  {
    CArchive ar(b);
    ar << BYTE(0xAB) << WORD(0x1234) << UINT(0x89ABCDEFu) << std::int32_t(-2) << 1.0;
  }
  EXPECT_EQ(b, Bytes({0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF, 0xFF, 0xFF,
                      0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
  CArchive ar(b.data(), b.size());
  BYTE y;
  WORD w;
  UINT u;
  std::int32_t i;
  double d;
  ar >> y >> w >> u >> i >> d;
  EXPECT_EQ(y, 0xAB);
  EXPECT_EQ(w, 0x1234);
  EXPECT_EQ(u, 0x89ABCDEFu);
  EXPECT_EQ(i, -2);
  EXPECT_EQ(d, 1.0);
  EXPECT_EQ(ar.Restantes(), 0u);
}

TEST(ArchivoValores, ValorIncompletoEsFinDeFichero) {
  const std::vector<BYTE> b = Bytes({1, 2, 3, 4, 5, 6, 7});
  CArchive ar(b.data(), b.size());
  double d;
  try {
    ar >> d;
    FAIL();
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
  }
  CArchive vacio(nullptr, 0);
  BYTE y;
  EXPECT_THROW(vacio >> y, CArchiveException);
}

TEST(ArchivoValores, LecturaCortaAlFinalNoEsError) {
  const std::vector<BYTE> b = Bytes({1, 2, 3});
  CArchive ar(b.data(), b.size());
  BYTE dst[8] = {};
  EXPECT_EQ(ar.Read(dst, 2), 2u);
  EXPECT_EQ(ar.Restantes(), 1u);
  EXPECT_EQ(ar.Read(dst, 8), 1u);
  EXPECT_EQ(dst[0], 3);
  EXPECT_EQ(ar.Read(dst, 8), 0u);
  EXPECT_EQ(ar.Restantes(), 0u);
}

// --- The string form ---

TEST(ArchivoCadena, CortaUnByteDeLongitud) {
  EXPECT_EQ(GuardarCadena(""), Bytes({0}));
  EXPECT_EQ(GuardarCadena("abc"), Bytes({3, 'a', 'b', 'c'}));
  EXPECT_EQ(GuardarCadena(std::string(254, 'x')).size(), 255u);
  EXPECT_EQ(GuardarCadena(std::string(254, 'x'))[0], 254);
}

TEST(ArchivoCadena, De255a65533ConPrefijoDe16Bits) {
  const std::vector<BYTE> b = GuardarCadena(std::string(300, 'r'));
  ASSERT_EQ(b.size(), 303u);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[1], 0x2C);
  EXPECT_EQ(b[2], 0x01);
  EXPECT_EQ(b[3], 'r');
  const std::vector<BYTE> c = GuardarCadena(std::string(255, 'r'));
  EXPECT_EQ(std::vector<BYTE>(c.begin(), c.begin() + 3), Bytes({0xFF, 0xFF, 0x00}));
  const std::vector<BYTE> d = GuardarCadena(std::string(65533, 'r'));
  EXPECT_EQ(std::vector<BYTE>(d.begin(), d.begin() + 3), Bytes({0xFF, 0xFD, 0xFF}));
  EXPECT_EQ(LeerCadena(b), std::string(300, 'r'));
  EXPECT_EQ(LeerCadena(d), std::string(65533, 'r'));
}

TEST(ArchivoCadena, Desde65534ConPrefijoDe32Bits) {
  const std::string s(65534, 'z');
  const std::vector<BYTE> b = GuardarCadena(s);
  ASSERT_EQ(b.size(), 7u + 65534u);
  EXPECT_EQ(std::vector<BYTE>(b.begin(), b.begin() + 7), Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
  std::uint64_t resto = 99;
  EXPECT_EQ(LeerCadena(b, &resto), s);
  EXPECT_EQ(resto, 0u);
}

TEST(ArchivoCadena, Windows1252EnLaFrontera) {
  // "Perceptrón" is 8-bit in the file: ó is 0xF3; € is 0x80.
  const std::vector<BYTE> b = GuardarCadena("Perceptrón €");
  EXPECT_EQ(b, Bytes({12, 'P', 'e', 'r', 'c', 'e', 'p', 't', 'r', 0xF3, 'n', ' ', 0x80}));
  EXPECT_EQ(LeerCadena(b), "Perceptrón €");
}

TEST(ArchivoCadena, FueraDeWindows1252SeEscribeEn16Bits) {
  // Ω (U+03A9) has no Windows-1252 byte: nothing may be lost.
  const std::vector<BYTE> b = GuardarCadena("aΩ");
  EXPECT_EQ(b, Bytes({0xFF, 0xFE, 0xFF, 2, 'a', 0, 0xA9, 0x03}));
  EXPECT_EQ(LeerCadena(b), "aΩ");
  // Outside the basic plane: a surrogate pair, counted as two characters.
  const std::vector<BYTE> c = GuardarCadena("😀");
  EXPECT_EQ(c, Bytes({0xFF, 0xFE, 0xFF, 2, 0x3D, 0xD8, 0x00, 0xDE}));
  EXPECT_EQ(LeerCadena(c), "😀");
}

TEST(ArchivoCadena, Forma16BitsLargaSeLee) {
  // 0xFF 0xFFFE, then the length in the long form: 0xFF + u16 300.
  std::vector<BYTE> b = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01});
  for (int i = 0; i < 300; ++i) {
    b.push_back('q');
    b.push_back(0);
  }
  EXPECT_EQ(LeerCadena(b), std::string(300, 'q'));
  std::vector<BYTE> c = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x03, 0x00, 0x00, 0x00, 0xF3, 0, 'x', 0, 0xAC, 0x20});
  EXPECT_EQ(LeerCadena(c), "óx€");
  EXPECT_EQ(GuardarCadena(CString(400, 'a') + "Ω").size(), 3u + 3u + 401u * 2u);
}

TEST(ArchivoCadena, CortadaEsFinDeFichero) {
  EXPECT_EQ(CausaAlLeerCadena(Bytes({5, 'a', 'b'})), CArchiveException::endOfFile);
  EXPECT_EQ(CausaAlLeerCadena(Bytes({0xFF, 0x2C})), CArchiveException::endOfFile);
  EXPECT_EQ(CausaAlLeerCadena(Bytes({0xFF, 0xFE, 0xFF, 2, 'a', 0, 0xA9})), CArchiveException::endOfFile);
  EXPECT_EQ(CausaAlLeerCadena(Bytes({0xFF, 0xFE, 0xFF})), CArchiveException::endOfFile);
  // A damaged 4 GiB length from a tiny buffer: refused, not allocated.
  EXPECT_EQ(CausaAlLeerCadena(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'})), CArchiveException::endOfFile);
  EXPECT_EQ(CausaAlLeerCadena(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})),
            CArchiveException::endOfFile);
}

TEST(ArchivoCadena, DobleMarca16BitsEsFicheroDanado) {
  EXPECT_EQ(CausaAlLeerCadena(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0})), CArchiveException::generic);
}

TEST(ArchivoCadena, VariasSeguidasConsumenLoSuyo) {
  std::vector<BYTE> b;
  {
    CArchive ar(b);
    ar << CString("uno") << CString(300, 'd') << CString("ñΩ") << UINT(7);
  }
  CArchive ar(b.data(), b.size());
  CString a, c, d;
  UINT u;
  ar >> a >> c >> d >> u;
  EXPECT_EQ(a, "uno");
  EXPECT_EQ(c, CString(300, 'd'));
  EXPECT_EQ(d, "ñΩ");
  EXPECT_EQ(u, 7u);
}

// --- Files ---

TEST(ArchivoFichero, IdaYVueltaYRestantesExactos) {
  CCarpetaTemporal carpeta;
  const std::string ruta = carpeta.Fichero("a.bin");
  {
    std::FILE* f = std::fopen(ruta.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    CArchive ar(f, CArchive::store);
    ar << UINT(3) << 2.5 << CString("Ω");
    ar.Close();
    std::fclose(f);
  }
  EXPECT_EQ(LeerFichero(ruta).size(), 4u + 8u + 6u);
  std::FILE* f = std::fopen(ruta.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  CArchive ar(f, CArchive::load);
  EXPECT_EQ(ar.Restantes(), 18u);
  UINT u;
  double d;
  CString s;
  ar >> u;
  EXPECT_EQ(ar.Restantes(), 14u);  // exact though the stream has buffered the whole file
  ar >> d >> s;
  EXPECT_EQ(u, 3u);
  EXPECT_EQ(d, 2.5);
  EXPECT_EQ(s, "Ω");
  EXPECT_EQ(ar.Restantes(), 0u);
  BYTE y;
  EXPECT_THROW(ar >> y, CArchiveException);
  ar.Close();
  std::fclose(f);
}

TEST(ArchivoFichero, RestantesDesdeUnaPosicionIntermedia) {
  CCarpetaTemporal carpeta;
  const std::string ruta = carpeta.Escribir("b.bin", std::string(100, 'x'));
  std::FILE* f = std::fopen(ruta.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 30, SEEK_SET);
  {
    CArchive ar(f, CArchive::load);
    EXPECT_EQ(ar.Restantes(), 70u);
  }
  std::fclose(f);
}

TEST(ArchivoFichero, DispositivoLlenoEsErrorDeEscritura) {
  std::FILE* f = std::fopen("/dev/full", "wb");
  if (f == nullptr) GTEST_SKIP() << "no /dev/full";
  CArchive ar(f, CArchive::store);
  try {
    for (int i = 0; i < 100000; ++i) ar << 1.0;  // more than the stream buffers
    ar.Flush();
    FAIL() << "sin excepción";
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::writeError);
  }
  EXPECT_THROW(ar.Close(), CArchiveException);  // the failure stays reported
  std::fclose(f);
}

TEST(ArchivoFichero, EscribirEnUnArchivoDeLecturaEsErrorDeEscritura) {
  const std::vector<BYTE> b = Bytes({1});
  CArchive ar(b.data(), b.size());
  try {
    ar << UINT(1);
    FAIL();
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::writeError);
  }
  EXPECT_TRUE(ar.IsLoading());
  EXPECT_FALSE(ar.IsStoring());
}
