// Damaged network documents: every cut of a valid file and every single
// byte changed in its header and counts either opens into a consistent
// network or is refused with the document's message, and what opens
// trains, verifies and exports without reading past its vectors.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

#include "data/conjunto.h"
#include "network/aritmetica.h"
#include "network/epoca.h"
#include "tests/network/documento_apoyo.h"

namespace {

struct Apertura {
  bool abierto;
  std::vector<CString> mensajes;
};

class Danados : public ::testing::Test {
 protected:
  CHostEspera host;
  CCarpetaTemporal carpeta;
  CDirectorioActual dir{carpeta.Ruta()};
  std::string original = LeerFichero(Ejemplo("iris.nrv"));
  std::string ruta = carpeta.Fichero("red.nrv");
  std::string pesosBinarios = carpeta.Fichero("pesos.bin");
  std::chrono::steady_clock::duration peor{};
  int abiertos = 0;
  int rechazados = 0;
  UINT m_nEntradasMuestras = 0, m_nSalidasMuestras = 0;

  void SetUp() override {
    ASSERT_GT(original.size(), 200u);
    ASSERT_EQ(::symlink("/dev/null", pesosBinarios.c_str()), 0);
  }
  void TearDown() override {
    RecordProperty("abiertos", abiertos);
    RecordProperty("rechazados", rechazados);
    RecordProperty("peor_apertura_us",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(peor).count()));
  }

  // Opens the bytes the way the framework's Open command does, from a file
  // or (faster, for the many variants) from memory, where a refusal is the
  // archive exception that the framework turns into its message.
  Apertura Abrir(const std::string& bytes, bool desdeFichero = true) {
    host.Limpiar();
    CNodusDoc doc;
    const auto t0 = std::chrono::steady_clock::now();
    bool abierto = false;
    if (desdeFichero) {
      carpeta.Escribir("red.nrv", bytes);
      abierto = doc.OnOpenDocument(ruta) != FALSE;
    } else {
      try {
        CArchive ar(bytes.data(), bytes.size());
        doc.Serialize(ar);
        ar.Close();
        abierto = true;
      } catch (const CArchiveException&) {
      }
    }
    const auto t = std::chrono::steady_clock::now() - t0;
    if (t > peor) peor = t;
    Apertura r{abierto, host.Textos()};
    if (abierto) {
      ++abiertos;
      EXPECT_TRUE(r.mensajes.empty());
      Usar(doc, bytes.size());
    } else {
      ++rechazados;
      if (desdeFichero) {
        EXPECT_EQ(r.mensajes, std::vector<CString>{"El fichero " + ruta + " está dañado o no es una red de nrv."});
      }
    }
    return r;
  }

  // What the program does with an open network, on the shapes it loaded.
  void Usar(CNodusDoc& doc, std::size_t tamFichero) {
    ASSERT_GT(doc.m_nEntradas, 0u);
    ASSERT_GT(doc.m_nOcultas, 0u);
    ASSERT_GT(doc.m_nSalidas, 0u);
    ASSERT_EQ(doc.m_matPesosOculta.m_nFilas, doc.m_nOcultas);
    ASSERT_EQ(doc.m_matPesosOculta.m_nColumnas, doc.m_nEntradas + 1);
    ASSERT_EQ(doc.m_matIncOculta.m_nFilas, doc.m_nOcultas);
    ASSERT_EQ(doc.m_matIncOculta.m_nColumnas, doc.m_nEntradas + 1);
    ASSERT_EQ(doc.m_matPesosSalida.m_nFilas, doc.m_nSalidas);
    ASSERT_EQ(doc.m_matPesosSalida.m_nColumnas, doc.m_nOcultas + 1);
    ASSERT_EQ(doc.m_matIncSalida.m_nFilas, doc.m_nSalidas);
    ASSERT_EQ(doc.m_matIncSalida.m_nColumnas, doc.m_nOcultas + 1);
    ASSERT_EQ(doc.m_arrErrorMaximo.m_nTam, doc.m_nMaxEpocas);
    ASSERT_EQ(doc.m_arrErrorTotal.m_nTam, doc.m_nMaxEpocas);
    ASSERT_EQ(doc.m_arrAciertos.m_nTam, doc.m_nMaxEpocas);
    ASSERT_LE(doc.m_nEpoca.load(), doc.m_nMaxEpocas);
    ASSERT_LE(doc.m_nPuntos.load(), doc.m_nMaxEpocas);
    // Nothing is held that the file did not carry: the work of every later
    // step is bounded by the file's size.
    const std::uint64_t valores =
        2 * std::uint64_t(doc.m_nOcultas) * (doc.m_nEntradas + 1) + 2 * std::uint64_t(doc.m_nSalidas) * (doc.m_nOcultas + 1) +
        3 * std::uint64_t(doc.m_nMaxEpocas);
    ASSERT_LE(valores * 8, tamFichero);

    // The view reads the history below m_nPuntos.
    volatile double suma = 0.0;
    for (UINT i = 0; i < doc.m_nPuntos; ++i)
      suma = suma + doc.m_arrErrorMaximo.m_pDatos[i] + doc.m_arrErrorTotal.m_pDatos[i] + doc.m_arrAciertos.m_pDatos[i];

    // One epoch on two samples of the network's shape.
    if (doc.m_nEntradas != m_nEntradasMuestras || doc.m_nSalidas != m_nSalidasMuestras) {
      carpeta.Escribir("muestras.bin", Muestras(doc.m_nEntradas, doc.m_nSalidas));
      m_nEntradasMuestras = doc.m_nEntradas;
      m_nSalidasMuestras = doc.m_nSalidas;
    }
    const std::string muestras = carpeta.Fichero("muestras.bin");
    {
      CConjuntoDatos c;
      ASSERT_TRUE(c.Cargar(muestras));
      const RedPerceptron red{doc.m_nEntradas,       doc.m_nOcultas,      doc.m_nSalidas,    &doc.m_matPesosOculta,
                              &doc.m_matPesosSalida, &doc.m_matIncOculta, &doc.m_matIncSalida};
      std::vector<double> h(doc.m_nOcultas), o(doc.m_nSalidas), dO(doc.m_nSalidas), dH(doc.m_nOcultas);
      EntrenarEpoca(red, c, h.data(), o.data(), dO.data(), dH.data(), doc.m_dAprendizaje, doc.m_dMomento);
      MedirConjunto(red, c, h.data(), o.data());
    }

    // Verification through its dialog, then the three exports.
    host.Limpiar();
    host.guionDialogos.push_back([muestras](CDialog& d) {
      Escribir(d, IDC_FICHERO_ENTRENAMIENTO, muestras);
      PulsarOK(d);
    });
    host.guionDialogos.push_back([](CDialog& d) { PulsarOK(d); });
    doc.OnVerificar();
    EXPECT_TRUE(host.guionDialogos.empty());
    host.respuestasFichero = {"/dev/null", "/dev/null", pesosBinarios};
    doc.OnGuardarHistorial();
    doc.OnGuardarPesos();
    doc.OnGuardarPesos();
    EXPECT_TRUE(host.Textos().empty());
    host.dialogosFichero.clear();
  }

  static std::string Muestras(UINT nEntradas, UINT nSalidas) {
    std::string s;
    auto anadir = [&](const void* p, std::size_t n) { s.append(static_cast<const char*>(p), n); };
    const UINT cabecera[3] = {nEntradas, nSalidas, 2};
    anadir(cabecera, sizeof cabecera);
    for (UINT m = 0; m < 2; ++m) {
      for (UINT i = 0; i < nEntradas; ++i) {
        const double x = m == 0 ? 0.5 : 0.1 * (i % 7);
        anadir(&x, 8);
      }
      for (UINT k = 0; k < nSalidas; ++k) {
        const double t = (k + m) % 2;
        anadir(&t, 8);
      }
    }
    return s;
  }

  // Offsets of the bytes that carry the file's fixed fields and counts: the
  // parameters, the length of each string, the layer sizes and the counts
  // in front of every matrix and vector.
  std::vector<std::size_t> BytesDeCabeceraYCuentas() const {
    const auto* b = reinterpret_cast<const BYTE*>(original.data());
    std::vector<std::size_t> r;
    auto rango = [&](std::size_t ini, std::size_t n) {
      for (std::size_t i = ini; i < ini + n; ++i) r.push_back(i);
    };
    auto u32 = [&](std::size_t off) {
      return UINT(b[off]) | UINT(b[off + 1]) << 8 | UINT(b[off + 2]) << 16 | UINT(b[off + 3]) << 24;
    };
    std::size_t p = 0;
    rango(p, 44);
    p = 44;
    auto cadena = [&] {
      EXPECT_LT(b[p], 0xFF);  // the short form
      r.push_back(p);
      p += 1 + b[p];
    };
    cadena();
    cadena();
    rango(p, 8);
    p += 8;
    cadena();
    for (int m = 0; m < 4; ++m) {
      rango(p, 8);
      p += 8 + std::size_t(u32(p)) * u32(p + 4) * 8;
    }
    for (int a = 0; a < 3; ++a) {
      rango(p, 4);
      p += 4 + std::size_t(u32(p)) * 8;
    }
    EXPECT_EQ(p, original.size());
    return r;
  }
};

long MaximoResidenteKb() {
  rusage uso{};
  getrusage(RUSAGE_SELF, &uso);
  return uso.ru_maxrss;
}

// The sanitizers keep freed blocks resident on purpose: the peak only
// tells something in a plain build.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMemoriaMedible = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kMemoriaMedible = false;
#else
constexpr bool kMemoriaMedible = true;
#endif
#else
constexpr bool kMemoriaMedible = true;
#endif

}  // namespace

TEST_F(Danados, ElOriginalSeAbre) { EXPECT_TRUE(Abrir(original).abierto); }

TEST_F(Danados, CadaCorteSeAbreEnteroOSeRechazaConSuMensaje) {
  for (std::size_t n = 0; n < original.size(); ++n) {
    Abrir(original.substr(0, n));
    ASSERT_FALSE(HasFatalFailure()) << "cortado en " << n;
  }
  if (kMemoriaMedible) {
    EXPECT_LT(MaximoResidenteKb(), 400L * 1024);
  }
}

TEST_F(Danados, CadaByteCambiadoDeCabeceraYCuentasSeAbreCoherenteOSeRechaza) {
  const std::vector<std::size_t> bytes = BytesDeCabeceraYCuentas();
  ASSERT_GT(bytes.size(), 80u);
  for (std::size_t off : bytes) {
    for (int v = 0; v < 256; ++v) {
      if (static_cast<BYTE>(original[off]) == v) continue;
      std::string d = original;
      d[off] = static_cast<char>(v);
      Abrir(d, off % 16 == 0);
      ASSERT_FALSE(HasFatalFailure()) << "byte " << off << " = " << v;
    }
  }
  // Counts and sizes that ask for gigabytes are refused before anything is
  // reserved.
  if (kMemoriaMedible) {
    EXPECT_LT(MaximoResidenteKb(), 400L * 1024);
  }
  EXPECT_GT(abiertos, 0);
  EXPECT_GT(rechazados, 0);
}

// The same with the options' extension block behind the history: cut
// anywhere, or any byte changed, it opens whole or is refused.
TEST_F(Danados, ConBloqueDeOpcionesCadaCorteOByteCambiadoSeAbreEnteroOSeRechaza) {
  const std::string conBloque = LeerFichero(std::string(NRV_SOURCE_DIR) + "/fuzz/corpus/red/xor-opciones.nrv");
  ASSERT_TRUE(Abrir(conBloque).abierto);
  const std::size_t inicio = conBloque.find("NRVE");
  ASSERT_NE(inicio, std::string::npos);
  for (std::size_t n = 0; n < conBloque.size(); ++n) {
    const Apertura r = Abrir(conBloque.substr(0, n), n % 16 == 0);
    ASSERT_FALSE(HasFatalFailure()) << "cortado en " << n;
    EXPECT_EQ(r.abierto, n == inicio) << "cortado en " << n;
  }
  for (std::size_t off = inicio; off < conBloque.size(); ++off)
    for (int v = 0; v < 256; v += 3) {
      if (static_cast<BYTE>(conBloque[off]) == v) continue;
      std::string d = conBloque;
      d[off] = static_cast<char>(v);
      Abrir(d, false);
      ASSERT_FALSE(HasFatalFailure()) << "byte " << off << " = " << v;
    }
}
