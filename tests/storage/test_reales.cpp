#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/archivo.h"
#include "storage/reales.h"

namespace {

std::vector<BYTE> Guardar(CObject& obj) {
  std::vector<BYTE> bytes;
  CArchive ar(bytes);
  obj.Serialize(ar);
  return bytes;
}

void AnadirU32(std::vector<BYTE>& b, UINT v) {
  for (int i = 0; i < 4; ++i) b.push_back(BYTE(v >> (8 * i)));
}

void AnadirF64(std::vector<BYTE>& b, double v) {
  BYTE r[8];
  std::memcpy(r, &v, 8);
  b.insert(b.end(), r, r + 8);
}

bool TodoCeroPositivo(const double* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != 0.0 || std::signbit(p[i])) return false;
  return true;
}

}  // namespace

// --- Dimensioning ---

TEST(RealesDimensionar, VectorNuevoEsCeroYDescartaLoAnterior) {
  CArrayReales v;
  EXPECT_EQ(v.m_pDatos, nullptr);
  EXPECT_EQ(v.m_nTam, 0u);
  ASSERT_TRUE(v.Dimensionar(5));
  for (UINT i = 0; i < 5; ++i) v.m_pDatos[i] = -1.5;
  ASSERT_TRUE(v.Dimensionar(7));
  EXPECT_EQ(v.m_nTam, 7u);
  EXPECT_TRUE(TodoCeroPositivo(v.m_pDatos, 7));
  ASSERT_TRUE(v.Dimensionar(0));
  EXPECT_EQ(v.m_pDatos, nullptr);
  EXPECT_EQ(v.m_nTam, 0u);
}

TEST(RealesDimensionar, MatrizNuevaEsCeroYDescartaLoAnterior) {
  CMatrizReales m;
  ASSERT_TRUE(m.Dimensionar(3, 4));
  for (UINT i = 0; i < 3; ++i)
    for (UINT j = 0; j < 4; ++j) m.m_ppFilas[i][j] = -0.0 - (i + j);
  ASSERT_TRUE(m.Dimensionar(4, 3));
  EXPECT_EQ(m.m_nFilas, 4u);
  EXPECT_EQ(m.m_nColumnas, 3u);
  for (UINT i = 0; i < 4; ++i) EXPECT_TRUE(TodoCeroPositivo(m.m_ppFilas[i], 3));
}

TEST(RealesDimensionar, UnaDimensionCeroDejaLaMatrizVacia) {
  CMatrizReales m;
  m.Dimensionar(2, 2);
  m.Dimensionar(0, 5);
  EXPECT_EQ(m.m_ppFilas, nullptr);
  EXPECT_EQ(m.m_nFilas, 0u);
  EXPECT_EQ(m.m_nColumnas, 0u);
  m.Dimensionar(2, 2);
  m.Dimensionar(5, 0);
  EXPECT_EQ(m.m_ppFilas, nullptr);
  EXPECT_EQ(m.m_nFilas, 0u);
  EXPECT_EQ(m.m_nColumnas, 0u);
}

TEST(RealesDimensionar, LasFilasNoSeSolapan) {
  // Writing every element through its own row must not touch another one.
  for (UINT columnas : {1u, 3u, 8u, 41u, 64u, 785u}) {
    CMatrizReales m;
    m.Dimensionar(5, columnas);
    for (UINT i = 0; i < 5; ++i)
      for (UINT j = 0; j < columnas; ++j) m.m_ppFilas[i][j] = i * 10000.0 + j;
    for (UINT i = 0; i < 5; ++i)
      for (UINT j = 0; j < columnas; ++j) ASSERT_EQ(m.m_ppFilas[i][j], i * 10000.0 + j) << columnas;
  }
}

// Blocks of several megabytes are mapped apart from the heap: zero, every
// row usable to its last element, aligned, and given back whole, also when
// dimensioned again over and over.
TEST(RealesDimensionar, BloquesGrandesCerosUsablesYDevueltos) {
  for (int vuelta = 0; vuelta < 3; ++vuelta)
    for (UINT filas : {4097u, 40000u}) {
      CMatrizReales m;
      m.Dimensionar(filas, 74);  // 2.4 MB and 23.7 MB
      ASSERT_EQ(m.m_nFilas, filas);
      for (UINT i = 0; i < filas; i += filas / 7)
        ASSERT_TRUE(TodoCeroPositivo(m.m_ppFilas[i], 74)) << filas << " fila " << i;
      ASSERT_TRUE(TodoCeroPositivo(m.m_ppFilas[filas - 1], 74));
      for (UINT i = 0; i < filas; ++i) m.m_ppFilas[i][73] = i;
      for (UINT i = 0; i < filas; ++i) ASSERT_EQ(m.m_ppFilas[i][73], double(i));
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(m.m_ppFilas[0]) % 64, 0u);
      m.Dimensionar(filas, 74);  // the old block is given back, the new one is zero again
      ASSERT_TRUE(TodoCeroPositivo(m.m_ppFilas[filas - 1], 74));
      CArrayReales v;
      v.Dimensionar(filas * 10);
      v.m_pDatos[filas * 10 - 1] = 1.0;
      ASSERT_TRUE(TodoCeroPositivo(v.m_pDatos, filas * 10 - 1));
      v.Liberar();
      EXPECT_EQ(v.m_pDatos, nullptr);
    }
}

TEST(RealesDimensionar, FilasAlineadasCuandoNoCuestaMemoria) {
  CMatrizReales m;
  m.Dimensionar(3, 785);  // 6280 bytes: padding to 6336 is under a sixteenth
  for (UINT i = 0; i < 3; ++i) EXPECT_EQ(reinterpret_cast<std::uintptr_t>(m.m_ppFilas[i]) % 64, 0u);
  CMatrizReales n;
  n.Dimensionar(3, 3);  // small rows stay packed: a set of 3-value rows costs no more than its values
  EXPECT_EQ(n.m_ppFilas[1] - n.m_ppFilas[0], 3);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(n.m_ppFilas[0]) % 64, 0u);
}

TEST(RealesDimensionar, TamanoImposibleSeRechazaAntesDeReservar) {
  CMatrizReales m;
  m.Dimensionar(1, 1);
  m.m_ppFilas[0][0] = 2.0;
  EXPECT_THROW(m.Dimensionar(0xFFFFFFFFu, 0xFFFFFFFFu), CMemoryException);  // overflows 64 bits
  EXPECT_EQ(m.m_ppFilas, nullptr);  // the old values were released first
  EXPECT_EQ(m.m_nFilas, 0u);
  EXPECT_THROW(m.Dimensionar(0x40000000u, 0x40000000u), CMemoryException);
  EXPECT_THROW(m.Dimensionar(0xFFFFFFFFu, 1), CMemoryException);  // the row table alone is too big
  CArrayReales v;
  if (AfxMemoriaDisponible() < std::uint64_t(0xFFFFFFFFu) * 8) {
    EXPECT_THROW(v.Dimensionar(0xFFFFFFFFu), CMemoryException);
  }
  EXPECT_EQ(v.m_pDatos, nullptr);
}

TEST(RealesDimensionar, LiberarDosVecesNoHaceNada) {
  CMatrizReales m;
  m.Liberar();
  m.Dimensionar(2, 2);
  m.Liberar();
  m.Liberar();
  EXPECT_EQ(m.m_ppFilas, nullptr);
  CArrayReales v;
  v.Liberar();
  v.Dimensionar(2);
  v.Liberar();
  v.Liberar();
  EXPECT_EQ(v.m_pDatos, nullptr);
}

TEST(RealesDimensionar, ClaseEnTiempoDeEjecucion) {
  CArrayReales v;
  CMatrizReales m;
  EXPECT_STREQ(v.GetRuntimeClass()->m_lpszClassName, "CArrayReales");
  EXPECT_STREQ(m.GetRuntimeClass()->m_lpszClassName, "CMatrizReales");
  EXPECT_EQ(v.GetRuntimeClass()->m_wSchema, 0xFFFFu);
  EXPECT_EQ(m.GetRuntimeClass()->m_wSchema, 0xFFFFu);
}

// --- Archive layouts ---

TEST(RealesArchivo, VectorDeCuatroOcupa36Bytes) {
  CArrayReales v;
  v.Dimensionar(4);
  v.m_pDatos[0] = 1.0;
  v.m_pDatos[3] = -2.5;
  const std::vector<BYTE> b = Guardar(v);
  std::vector<BYTE> esperado;
  AnadirU32(esperado, 4);
  AnadirF64(esperado, 1.0);
  AnadirF64(esperado, 0.0);
  AnadirF64(esperado, 0.0);
  AnadirF64(esperado, -2.5);
  EXPECT_EQ(b.size(), 36u);
  EXPECT_EQ(b, esperado);
}

TEST(RealesArchivo, VectorSinDimensionarOcupa4Bytes) {
  CArrayReales v;
  EXPECT_EQ(Guardar(v), std::vector<BYTE>({0, 0, 0, 0}));
}

TEST(RealesArchivo, Matriz2x3Ocupa56BytesFilaAFila) {
  CMatrizReales m;
  m.Dimensionar(2, 3);
  for (UINT i = 0; i < 2; ++i)
    for (UINT j = 0; j < 3; ++j) m.m_ppFilas[i][j] = 10.0 * i + j;
  const std::vector<BYTE> b = Guardar(m);
  std::vector<BYTE> esperado;
  AnadirU32(esperado, 2);
  AnadirU32(esperado, 3);
  for (double d : {0.0, 1.0, 2.0, 10.0, 11.0, 12.0}) AnadirF64(esperado, d);
  EXPECT_EQ(b.size(), 56u);
  EXPECT_EQ(b, esperado);
}

TEST(RealesArchivo, MatrizVaciaOcupa8BytesYSeCargaVacia) {
  CMatrizReales m;
  std::vector<BYTE> b = Guardar(m);
  ASSERT_EQ(b, std::vector<BYTE>(8, 0));
  b.push_back(0x7A);  // whatever follows belongs to someone else
  CArchive ar(b.data(), b.size());
  CMatrizReales c;
  c.Dimensionar(2, 2);
  c.Serialize(ar);
  EXPECT_EQ(c.m_ppFilas, nullptr);
  EXPECT_EQ(c.m_nFilas, 0u);
  EXPECT_EQ(c.m_nColumnas, 0u);
  EXPECT_EQ(ar.Restantes(), 1u);
}

TEST(RealesArchivo, MatrizConUnaCuentaCeroNoLeeValores) {
  std::vector<BYTE> b;
  AnadirU32(b, 3);
  AnadirU32(b, 0);
  AnadirF64(b, 9.0);
  CArchive ar(b.data(), b.size());
  CMatrizReales m;
  m.Serialize(ar);
  EXPECT_EQ(m.m_nFilas, 0u);
  EXPECT_EQ(m.m_ppFilas, nullptr);
  EXPECT_EQ(ar.Restantes(), 8u);
}

TEST(RealesArchivo, VectorDeCuentaCeroDejaLosValores) {
  CArrayReales v;
  v.Dimensionar(3);
  v.m_pDatos[0] = 1.0;
  v.m_pDatos[1] = 2.0;
  v.m_pDatos[2] = 3.0;
  double* antes = v.m_pDatos;
  const std::vector<BYTE> b(4, 0);
  CArchive ar(b.data(), b.size());
  v.Serialize(ar);
  EXPECT_EQ(v.m_pDatos, antes);
  EXPECT_EQ(v.m_nTam, 3u);
  EXPECT_EQ(v.m_pDatos[0], 1.0);
  EXPECT_EQ(v.m_pDatos[1], 2.0);
  EXPECT_EQ(v.m_pDatos[2], 3.0);
  EXPECT_EQ(ar.Restantes(), 0u);
}

TEST(RealesArchivo, Matriz3x2SobreUna1x1) {
  CMatrizReales origen;
  origen.Dimensionar(3, 2);
  for (UINT i = 0; i < 3; ++i)
    for (UINT j = 0; j < 2; ++j) origen.m_ppFilas[i][j] = 1.0 + 2 * i + j;
  const std::vector<BYTE> b = Guardar(origen);
  CMatrizReales m;
  m.Dimensionar(1, 1);
  m.m_ppFilas[0][0] = 99.0;
  CArchive ar(b.data(), b.size());
  m.Serialize(ar);
  ASSERT_EQ(m.m_nFilas, 3u);
  ASSERT_EQ(m.m_nColumnas, 2u);
  for (UINT i = 0; i < 3; ++i)
    for (UINT j = 0; j < 2; ++j) EXPECT_EQ(m.m_ppFilas[i][j], 1.0 + 2 * i + j);
}

TEST(RealesArchivo, IdaYVueltaConservaLosBits) {
  CArrayReales v;
  v.Dimensionar(4);
  v.m_pDatos[0] = -0.0;
  v.m_pDatos[1] = 5e-324;
  v.m_pDatos[2] = 0.1;
  v.m_pDatos[3] = -1.7976931348623157e308;
  const std::vector<BYTE> b = Guardar(v);
  CArrayReales c;
  CArchive ar(b.data(), b.size());
  c.Serialize(ar);
  ASSERT_EQ(c.m_nTam, 4u);
  EXPECT_EQ(std::memcmp(c.m_pDatos, v.m_pDatos, 32), 0);
}

// --- Damaged and cut files ---

TEST(RealesArchivoDanado, BloqueCortadoQuedaConCeros) {
  std::vector<BYTE> b;
  AnadirU32(b, 2);
  AnadirU32(b, 3);
  for (double d : {1.0, 2.0, 3.0, 4.0}) AnadirF64(b, d);
  b.push_back(0x00);  // and 3 bytes of the fifth value: not enough for it
  b.push_back(0x00);
  b.push_back(0xF0);
  CArchive ar(b.data(), b.size());
  CMatrizReales m;
  m.Serialize(ar);
  ASSERT_EQ(m.m_nFilas, 2u);
  ASSERT_EQ(m.m_nColumnas, 3u);
  EXPECT_EQ(m.m_ppFilas[0][0], 1.0);
  EXPECT_EQ(m.m_ppFilas[0][2], 3.0);
  EXPECT_EQ(m.m_ppFilas[1][0], 4.0);
  EXPECT_EQ(m.m_ppFilas[1][2], 0.0);
  EXPECT_EQ(ar.Restantes(), 0u);
}

TEST(RealesArchivoDanado, VectorCortadoQuedaConCeros) {
  std::vector<BYTE> b;
  AnadirU32(b, 5);
  AnadirF64(b, 7.0);
  CArchive ar(b.data(), b.size());
  CArrayReales v;
  v.Serialize(ar);
  ASSERT_EQ(v.m_nTam, 5u);
  EXPECT_EQ(v.m_pDatos[0], 7.0);
  EXPECT_TRUE(TodoCeroPositivo(v.m_pDatos + 1, 4));
}

TEST(RealesArchivoDanado, CuentaCortadaEsFinDeFichero) {
  const std::vector<BYTE> b = {4, 0, 0};
  {
    CArchive ar(b.data(), b.size());
    CArrayReales v;
    try {
      v.Serialize(ar);
      FAIL() << "sin excepción";
    } catch (const CArchiveException& e) {
      EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
  }
  std::vector<BYTE> m;
  AnadirU32(m, 2);
  m.push_back(1);
  CArchive ar(m.data(), m.size());
  CMatrizReales mat;
  EXPECT_THROW(mat.Serialize(ar), CArchiveException);
}

TEST(RealesArchivoDanado, CuentaEnormeSeRechazaSinReservar) {
  // 0xFFFFFFFF x 0xFFFFFFFF doubles from a 16-byte file: refused as a
  // truncated file before any allocation, whatever the machine's memory.
  std::vector<BYTE> b;
  AnadirU32(b, 0xFFFFFFFFu);
  AnadirU32(b, 0xFFFFFFFFu);
  AnadirF64(b, 1.0);
  CArchive ar(b.data(), b.size());
  CMatrizReales m;
  m.Dimensionar(1, 1);
  m.m_ppFilas[0][0] = 4.0;
  try {
    m.Serialize(ar);
    FAIL() << "sin excepción";
  } catch (const CArchiveException& e) {
    EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
  }
  ASSERT_EQ(m.m_nFilas, 1u);  // untouched: nothing was dimensioned
  EXPECT_EQ(m.m_ppFilas[0][0], 4.0);

  std::vector<BYTE> v;
  AnadirU32(v, 0x00900000u);  // 72 MiB of values: more than 64 MiB beyond the file
  CArchive av(v.data(), v.size());
  CArrayReales arr;
  EXPECT_THROW(arr.Serialize(av), CArchiveException);
  EXPECT_EQ(arr.m_pDatos, nullptr);
}

TEST(RealesArchivoDanado, BloquePlausibleSeDimensionaYRellena) {
  // 8 MiB of values announced, 8 bytes present: within the allowance, so
  // the block is dimensioned and keeps its zeros.
  std::vector<BYTE> b;
  AnadirU32(b, 1024);
  AnadirU32(b, 1024);
  AnadirF64(b, 3.0);
  CArchive ar(b.data(), b.size());
  CMatrizReales m;
  m.Serialize(ar);
  ASSERT_EQ(m.m_nFilas, 1024u);
  EXPECT_EQ(m.m_ppFilas[0][0], 3.0);
  EXPECT_EQ(m.m_ppFilas[0][1], 0.0);
  EXPECT_EQ(m.m_ppFilas[1023][1023], 0.0);
}
