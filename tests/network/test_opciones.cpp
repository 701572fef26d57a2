// The network's options in the file's extension block: absent at their
// defaults, read back whole, invisible to a reader of the described
// layout, refused when damaged; and a seed of the network's own.
#include <cmath>
#include <cstring>
#include <optional>

#include "tests/network/documento_apoyo.h"

namespace {

class Opciones : public ::testing::Test {
 protected:
  void SetUp() override { CNuevaRedDlg::RestablecerValores(); }
  void TearDown() override { CNuevaRedDlg::RestablecerValores(); }
  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};

  ParametrosRed Xor() {
    ParametrosRed p;
    p.entrenamiento = Ejemplo("xor.txt");
    p.verificacion = Ejemplo("xor.txt");
    return p;
  }
  static OpcionesRed Todas() {
    OpcionesRed op;
    op.bSemilla = true;
    op.nSemilla = 0;
    op.nPaciencia = 7;
    op.bBarajar = true;
    op.strFicheroPrueba = "datos/prueba ñ.txt";
    op.bFigurasPrueba = true;
    op.figurasPrueba = FigurasPrueba{12, 40, 37, 92.5, 1.25, 0.5};
    op.strEsquema = "iris.json";
    op.bMedirEntrenamiento = true;
    return op;
  }
};

UINT U32(const std::vector<BYTE>& b, std::size_t off) {
  return UINT(b[off]) | UINT(b[off + 1]) << 8 | UINT(b[off + 2]) << 16 | UINT(b[off + 3]) << 24;
}

// Where the described layout ends, walked as a reader that knows only it
// would: fixed fields, three strings (short or long prefix), two counts,
// four matrices and three vectors.
std::size_t FinDelFormatoDescrito(const std::vector<BYTE>& b) {
  std::size_t p = 44;
  auto cadena = [&] {
    if (b[p] < 0xFF) {
      p += 1 + b[p];
      return;
    }
    const UINT w = UINT(b[p + 1]) | UINT(b[p + 2]) << 8;
    p += 3 + w;
  };
  cadena();
  cadena();
  p += 8;
  cadena();
  for (int m = 0; m < 4; ++m) p += 8 + std::size_t(U32(b, p)) * U32(b, p + 4) * 8;
  for (int a = 0; a < 3; ++a) p += 4 + std::size_t(U32(b, p)) * 8;
  return p;
}

std::optional<OpcionesRed> Leer(const std::vector<BYTE>& bytes) {
  CNodusDoc doc;
  try {
    CArchive ar(bytes.data(), bytes.size());
    doc.Serialize(ar);
  } catch (const CArchiveException&) {
    return std::nullopt;
  }
  return doc.m_opciones;
}

void PonerU32(std::vector<BYTE>& b, std::size_t off, UINT v) {
  for (int i = 0; i < 4; ++i) b[off + i] = BYTE(v >> (8 * i));
}

}  // namespace

TEST_F(Opciones, SinOpcionesNoHayBloqueYConOpcionesVaDetrasDelUltimoVector) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  const std::vector<BYTE> sin = Guardar(doc);
  EXPECT_EQ(FinDelFormatoDescrito(sin), sin.size());

  doc.m_opciones = Todas();
  const std::vector<BYTE> con = Guardar(doc);
  const std::size_t fin = FinDelFormatoDescrito(con);
  // Every described field is where it was: the block only follows them.
  ASSERT_GT(con.size(), fin + 12);
  EXPECT_TRUE(std::equal(sin.begin(), sin.end(), con.begin()));
  EXPECT_EQ(std::memcmp(con.data() + fin, "NRVE", 4), 0);
  EXPECT_EQ(U32(con, fin + 4), 1u);
  EXPECT_EQ(U32(con, fin + 8), con.size() - fin - 12);

  const std::optional<OpcionesRed> leidas = Leer(con);
  ASSERT_TRUE(leidas);
  EXPECT_EQ(*leidas, Todas());
  // Read back and saved again: the same bytes.
  CNodusDoc otra;
  {
    CArchive ar(con.data(), con.size());
    otra.Serialize(ar);
  }
  EXPECT_EQ(Guardar(otra), con);

  // Each option alone is enough for a block, and comes back alone.
  const OpcionesRed todas = Todas();
  std::vector<OpcionesRed> solas(7);
  solas[0].bSemilla = true, solas[0].nSemilla = 1;
  solas[1].nPaciencia = 1;
  solas[2].bBarajar = true;
  solas[3].strFicheroPrueba = todas.strFicheroPrueba;
  solas[4].bFigurasPrueba = true, solas[4].figurasPrueba = todas.figurasPrueba;
  solas[5].strEsquema = todas.strEsquema;
  solas[6].bMedirEntrenamiento = true;
  for (const OpcionesRed& op : solas) {
    doc.m_opciones = op;
    const std::vector<BYTE> b = Guardar(doc);
    EXPECT_GT(b.size(), sin.size());
    const std::optional<OpcionesRed> l = Leer(b);
    ASSERT_TRUE(l);
    EXPECT_EQ(*l, op);
  }
}

TEST_F(Opciones, UnBloqueDanadoSeRechazaComoCualquierFicheroDanado) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  doc.m_opciones = Todas();
  const std::vector<BYTE> con = Guardar(doc);
  const std::size_t fin = FinDelFormatoDescrito(con);

  // Cut anywhere inside the block: refused; cut where it starts, the
  // described layout alone, a network without options.
  for (std::size_t n = fin + 1; n < con.size(); ++n)
    EXPECT_FALSE(Leer(std::vector<BYTE>(con.begin(), con.begin() + n))) << "cortado en " << n;
  const std::optional<OpcionesRed> sinBloque = Leer(std::vector<BYTE>(con.begin(), con.begin() + fin));
  ASSERT_TRUE(sinBloque);
  EXPECT_TRUE(sinBloque->PorOmision());

  // Any byte of the block changed: refused, or read as a coherent set of
  // options (a changed payload value).
  for (std::size_t off = fin; off < con.size(); ++off)
    for (int v : {0x00, 0x01, 0x7F, 0xFF}) {
      std::vector<BYTE> d = con;
      if (d[off] == v) continue;
      d[off] = BYTE(v);
      if (const std::optional<OpcionesRed> l = Leer(d)) {
        EXPECT_FALSE(l->PorOmision());
        EXPECT_NE(*l, Todas()) << "byte " << off;
      }
    }

  auto refusado = [&](std::vector<BYTE> d) { return !Leer(d); };
  // Another version, a tag not known, a tag twice, trailing bytes, an
  // empty block, bytes after the history that are no block.
  std::vector<BYTE> d = con;
  PonerU32(d, fin + 4, 2);
  EXPECT_TRUE(refusado(d));
  d = con;
  PonerU32(d, fin + 12, 99);
  EXPECT_TRUE(refusado(d));
  d = con;
  PonerU32(d, fin + 12 + 8 + 4, 1);  // the second entry's tag as the first's
  EXPECT_TRUE(refusado(d));
  d = con;
  d.push_back(0);
  EXPECT_TRUE(refusado(d));
  d.assign(con.begin(), con.begin() + fin);
  for (BYTE c : {'N', 'R', 'V', 'E'}) d.push_back(c);
  for (int i = 0; i < 8; ++i) d.push_back(i == 0 ? 1 : 0);
  EXPECT_TRUE(refusado(d));
  d.assign(con.begin(), con.begin() + fin);
  d.push_back('x');
  EXPECT_TRUE(refusado(d));

  // From a file, with the framework's message for any damaged network.
  std::vector<BYTE> cortado(con.begin(), con.end() - 1);
  const std::string ruta =
      carpeta.Escribir("cortada.nrv", std::string(reinterpret_cast<const char*>(cortado.data()), cortado.size()));
  host.Limpiar();
  CNodusDoc abierta;
  EXPECT_FALSE(abierta.OnOpenDocument(ruta));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"El fichero " + ruta + " está dañado o no es una red de nrv."});
}

TEST_F(Opciones, UnaSemillaPropiaDaSusPesosSinMoverLaSecuenciaDelProceso) {
  auto pesos = [&](std::optional<UINT> semilla, bool reiniciar) {
    CNodusDoc doc;
    if (semilla) {
      doc.m_opciones.bSemilla = true;
      doc.m_opciones.nSemilla = *semilla;
    }
    if (reiniciar) SemillaNodus(1);
    GuionNuevaRed(host, Xor());
    EXPECT_TRUE(doc.OnNewDocument());
    std::vector<double> v = Valores(doc.m_matPesosOculta);
    const std::vector<double> s = Valores(doc.m_matPesosSalida);
    v.insert(v.end(), s.begin(), s.end());
    return v;
  };
  const std::vector<double> primera = pesos(std::nullopt, true);
  const std::vector<double> segunda = pesos(std::nullopt, false);
  // Seed 1 is the first network of a process, wherever the process is.
  EXPECT_EQ(pesos(1u, false), primera);
  EXPECT_EQ(pesos(1u, false), primera);
  // ...and the process's sequence went on as if no seeded network existed.
  SemillaNodus(1);
  pesos(std::nullopt, false);
  pesos(5u, false);
  EXPECT_EQ(pesos(std::nullopt, false), segunda);
  // The same seed, the same weights; another seed, others.
  EXPECT_EQ(pesos(5u, false), pesos(5u, true));
  EXPECT_NE(pesos(5u, false), pesos(6u, false));
  EXPECT_NE(pesos(5u, false), primera);
}

TEST_F(Opciones, ElHistorialMedidoVaEnElBloqueHastaLaUltimaEpocaYSeComprueba) {
  CNodusDoc doc;
  ASSERT_TRUE(CrearRed(host, doc, Xor()));
  const UINT n = doc.m_nSalidas;
  doc.m_nEpoca = 3;
  doc.m_nPuntos = 3;
  doc.m_opciones.bMedirEntrenamiento = true;
  // Room for every epoch, as a run makes it; the file keeps the three run.
  doc.m_opciones.PrepararHistorial(doc.m_nMaxEpocas, n);
  ASSERT_EQ(doc.m_opciones.entErrorMaximo.size(), doc.m_nMaxEpocas);
  ASSERT_EQ(doc.m_opciones.matrices.size(), std::size_t(doc.m_nMaxEpocas) * n * n);
  for (UINT e = 0; e < 3; ++e) {
    doc.m_opciones.entErrorMaximo[e] = 0.5 + e;
    doc.m_opciones.entErrorTotal[e] = 2.0 - e;
    doc.m_opciones.entAciertos[e] = 25.0 * e;
    for (UINT k = 0; k < n; ++k) doc.m_opciones.aciertosClase[e * n + k] = 10.0 * (e + k);
    for (UINT c = 0; c < n * n; ++c) doc.m_opciones.matrices[e * n * n + c] = e + c;
  }
  const std::vector<BYTE> bytes = Guardar(doc);
  EXPECT_EQ(doc.m_opciones.entErrorMaximo.size(), 3u);
  EXPECT_EQ(doc.m_opciones.aciertosClase.size(), 3u * n);
  const std::optional<OpcionesRed> l = Leer(bytes);
  ASSERT_TRUE(l);
  EXPECT_EQ(*l, doc.m_opciones);

  // An epoch not measured is NaN, and reads back as NaN.
  doc.m_opciones.entErrorTotal[1] = std::nan("");
  const std::optional<OpcionesRed> conHueco = Leer(Guardar(doc));
  ASSERT_TRUE(conHueco);
  EXPECT_TRUE(std::isnan(conHueco->entErrorTotal[1]));
  EXPECT_EQ(conHueco->entErrorTotal[2], 0.0);

  // Without the option the history is kept all the same.
  doc.m_opciones.bMedirEntrenamiento = false;
  const std::optional<OpcionesRed> sinOpcion = Leer(Guardar(doc));
  ASSERT_TRUE(sinOpcion);
  EXPECT_FALSE(sinOpcion->bMedirEntrenamiento);
  EXPECT_EQ(sinOpcion->entErrorMaximo.size(), 3u);
  doc.m_opciones.bMedirEntrenamiento = true;

  // More history than epochs, classes that are not the outputs, vectors
  // of other lengths: a damaged file.
  std::vector<BYTE> d = Guardar(doc);
  PonerU32(d, 24, 2);  // the epochs completed
  EXPECT_FALSE(Leer(d));
  OpcionesRed buena = doc.m_opciones;
  doc.m_opciones.nClases = n + 1;
  doc.m_opciones.aciertosClase.assign(3u * (n + 1), 50.0);
  doc.m_opciones.matrices.clear();
  EXPECT_FALSE(Leer(Guardar(doc)));
  doc.m_opciones = buena;
  doc.m_opciones.entErrorTotal.pop_back();
  EXPECT_FALSE(Leer(Guardar(doc)));
  doc.m_opciones = buena;
  doc.m_opciones.aciertosClase[0] = 100.5;
  EXPECT_FALSE(Leer(Guardar(doc)));
}
