// Data files that do not behave: pipes and devices, files that grow while
// they are read, loads stopped half-way, values that are not finite, counts
// that the file cannot hold, and measuring that agrees with the loader's
// reading line for line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "data/conjunto.h"
#include "framework/texto.h"
#include "tests/support/test_host.h"

namespace {

std::string U32(UINT v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

std::string Binario(UINT e, UINT s, UINT n, const std::vector<double>& valores) {
  std::string b = U32(e) + U32(s) + U32(n);
  for (double v : valores) {
    char d[8];
    std::memcpy(d, &v, 8);
    b.append(d, 8);
  }
  return b;
}

// A file of the given size whose bytes past the header are holes (zeros).
std::string Disperso(const CCarpetaTemporal& c, const std::string& nombre, const std::string& cabecera, off_t tam) {
  const std::string ruta = c.Escribir(nombre, cabecera);
  EXPECT_EQ(::truncate(ruta.c_str(), tam), 0);
  return ruta;
}

// Runs fn on a thread of its own; if it has not returned after a generous
// while, whatever it waits on is released by opening the pipe for writing.
// Returns whether that release was needed: a call that blocks.
template <class Fn>
bool SeBloquea(const std::string& tuberia, Fn fn) {
  // fn runs on the calling thread (it may show messages); a watchdog
  // releases it if it has not returned after a generous while.
  std::mutex m;
  std::condition_variable cv;
  bool hecho = false;
  bool bloqueado = false;
  std::thread vigilante([&] {
    std::unique_lock<std::mutex> lock(m);
    if (cv.wait_for(lock, std::chrono::seconds(20), [&] { return hecho; })) return;
    bloqueado = true;
    const int fd = ::open(tuberia.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
  });
  fn();
  {
    std::lock_guard<std::mutex> lock(m);
    hecho = true;
  }
  cv.notify_all();
  vigilante.join();
  return bloqueado;
}

class Hostiles : public ::testing::Test {
 protected:
  CTestHost host;
  CCarpetaTemporal carpeta;
  CConjuntoDatos c;
};

}  // namespace

// ---- Files that are no files ----

TEST_F(Hostiles, UnaTuberiaSeRechazaSinEsperarAUnEscritor) {
  for (const char* nombre : {"t.txt", "t.bin"}) {
    const std::string ruta = carpeta.Fichero(nombre);
    ASSERT_EQ(::mkfifo(ruta.c_str(), 0600), 0);
    BOOL cargado = TRUE, medido = TRUE, completo = TRUE;
    UINT e = 7, s = 7;
    EXPECT_FALSE(SeBloquea(ruta, [&] { cargado = c.Cargar(ruta); })) << nombre;
    EXPECT_FALSE(SeBloquea(ruta, [&] { medido = c.Dimensiones(ruta, &e, &s); })) << nombre;
    EXPECT_FALSE(SeBloquea(ruta, [&] { completo = CConjuntoDatos::Completo(ruta); })) << nombre;
    EXPECT_FALSE(cargado);
    EXPECT_FALSE(medido);
    EXPECT_FALSE(completo);
    EXPECT_EQ(e, 7u);  // refused before anything is measured
  }
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Hostiles, UnDispositivoOUnaCarpetaSeRechazan) {
  ASSERT_EQ(::symlink("/dev/zero", carpeta.Fichero("cero.txt").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/zero", carpeta.Fichero("cero.bin").c_str()), 0);
  for (const char* nombre : {"cero.txt", "cero.bin"}) {
    UINT e = 0, s = 0;
    EXPECT_FALSE(c.Cargar(carpeta.Fichero(nombre))) << nombre;
    EXPECT_FALSE(c.Dimensiones(carpeta.Fichero(nombre), &e, &s)) << nombre;
  }
  EXPECT_FALSE(c.Cargar(carpeta.Ruta()));
  EXPECT_FALSE(c.m_bCargado);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Hostiles, UnFicheroQueCreceSeLeeHastaElTamanoQueTeniaAlAbrirlo) {
  std::string muestras;
  for (int i = 0; i < 400000; ++i) muestras += "0.5 0.25\n1\n";  // 4.4 MB
  const std::string ruta = carpeta.Escribir("crece.txt", muestras);
  // The writer starts once the loader has read the file for the first
  // time, so after it was opened and measured.
  const int avisos = ::inotify_init1(IN_CLOEXEC);
  ASSERT_GE(avisos, 0);
  ASSERT_GE(::inotify_add_watch(avisos, ruta.c_str(), IN_ACCESS), 0);
  std::size_t anadido = 0;
  std::thread escritor([&] {
    char evento[4096];
    if (::read(avisos, evento, sizeof evento) <= 0) return;
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_APPEND);
    std::string trozo;
    for (int i = 0; i < 4096; ++i) trozo += "9 9 9\n9\n";
    while (fd >= 0 && anadido < (std::size_t(64) << 20) && ::write(fd, trozo.data(), trozo.size()) > 0)
      anadido += trozo.size();
    if (fd >= 0) ::close(fd);
  });
  const BOOL ok = c.Cargar(ruta);
  escritor.join();
  ::close(avisos);
  ASSERT_TRUE(ok);
  EXPECT_GT(anadido, 0u);
  EXPECT_EQ(c.m_nMuestras, 400000u);
  EXPECT_EQ(c.m_nEntradas, 2u);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas[399999][1], 0.25);
  EXPECT_TRUE(host.Textos().empty());
}

// ---- A stop asked while loading ----

TEST_F(Hostiles, UnaCargaLargaMiraLaPeticionDeParadaYLaConsume) {
  HANDLE h = CreateEvent();
  c.m_hDetener = h;
  // 64 MB of samples, text and binary, mostly holes.
  std::string texto;
  for (int i = 0; i < 500000; ++i) texto += "0.125 7\n3\n";  // 5.5 MB
  const std::string rutaTexto = carpeta.Escribir("largo.txt", texto);
  const std::string rutaBinaria =
      Disperso(carpeta, "largo.bin", Binario(3, 1, 2000000, {}), 12 + off_t(2000000) * 4 * 8);

  for (const std::string& ruta : {rutaTexto, rutaBinaria}) {
    SetEvent(h);
    EXPECT_FALSE(c.Cargar(ruta)) << ruta;
    EXPECT_TRUE(c.m_bDetenido);
    EXPECT_FALSE(c.m_bCargado);
    EXPECT_EQ(c.m_matEntradas.m_ppFilas, nullptr);
    EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT) << "the load consumed the request";
    // Without a request the same file loads whole.
    ASSERT_TRUE(c.Cargar(ruta)) << ruta;
    EXPECT_FALSE(c.m_bDetenido);
  }
  EXPECT_EQ(c.m_nMuestras, 2000000u);
  // A small file is read before anything is looked at: the request stays
  // for the training thread's own poll after the first epoch.
  SetEvent(h);
  ASSERT_TRUE(c.Cargar(Ejemplo("xor.txt")));
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
  c.m_hDetener = nullptr;
  CloseHandle(h);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Hostiles, FilasMayoresQueUnaLecturaSeLeenEnteras) {
  // One sample of 700 000 inputs (5.6 MB, more than one read), then many
  // small samples: every value lands where it belongs.
  const UINT e = 700000, s = 3, n = 2;
  std::vector<double> v;
  for (UINT i = 0; i < n * (e + s); ++i) v.push_back(i + 0.5);
  ASSERT_TRUE(c.Cargar(carpeta.Escribir("a.bin", Binario(e, s, n, v))));
  for (UINT k = 0; k < n; ++k) {
    for (UINT j = 0; j < e; j += 997) ASSERT_EQ(c.m_matEntradas.m_ppFilas[k][j], k * (e + s) + j + 0.5);
    ASSERT_EQ(c.m_matEntradas.m_ppFilas[k][e - 1], k * (e + s) + e - 1 + 0.5);
    for (UINT j = 0; j < s; ++j) ASSERT_EQ(c.m_matSalidas.m_ppFilas[k][j], k * (e + s) + e + j + 0.5);
  }
  std::vector<double> w;
  const UINT muchas = 300000;  // 4.8 MB of samples of two values
  for (UINT i = 0; i < muchas * 2; ++i) w.push_back(i);
  ASSERT_TRUE(c.Cargar(carpeta.Escribir("b.bin", Binario(1, 1, muchas, w))));
  for (UINT k = 0; k < muchas; ++k) {
    ASSERT_EQ(c.m_matEntradas.m_ppFilas[k][0], 2.0 * k);
    ASSERT_EQ(c.m_matSalidas.m_ppFilas[k][0], 2.0 * k + 1);
  }
}

// ---- Values that are not finite ----

TEST_F(Hostiles, UnValorNoFinitoRechazaElFicheroDeTextoNombrandoSuLinea) {
  const std::string ruta = carpeta.Escribir("a.txt", "/ x\n0 1\n1\n\n1 1e999\n0\n");
  EXPECT_FALSE(c.Cargar(ruta));
  EXPECT_FALSE(c.m_bCargado);
  EXPECT_EQ(c.m_matEntradas.m_ppFilas, nullptr);
  EXPECT_EQ(host.Textos(), std::vector<CString>{"valor no finito en la línea 5 de " + ruta});
  host.Limpiar();
  // In an output line, negative, on a CR LF file; values past the count
  // are not read and do not matter.
  const std::string b = carpeta.Escribir("b.txt", "0 1\r\n1\r\n0 1\r\n-2e308\r\n");
  EXPECT_FALSE(c.Cargar(b));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"valor no finito en la línea 4 de " + b});
  host.Limpiar();
  ASSERT_TRUE(c.Cargar(carpeta.Escribir("c.txt", "0 1\n1\n1e308 -1e-400 1e999\n0 5e999\n")));
  EXPECT_EQ(c.m_matEntradas.m_ppFilas[1][0], 1e308);
  EXPECT_TRUE(host.Textos().empty());
}

TEST_F(Hostiles, UnValorNoFinitoRechazaElFicheroBinarioNombrandoSuMuestra) {
  const double inf = HUGE_VAL;
  const double nan = std::nan("");
  const std::string a = carpeta.Escribir("a.bin", Binario(2, 1, 3, {0, 1, 1, 0, 0, 0, 1, nan, 1}));
  EXPECT_FALSE(c.Cargar(a));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"valor no finito en la muestra 3 de " + a});
  host.Limpiar();
  const std::string b = carpeta.Escribir("b.bin", Binario(2, 1, 2, {0, 1, -inf, 0, 0, 0}));
  EXPECT_FALSE(c.Cargar(b));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"valor no finito en la muestra 1 de " + b});
  EXPECT_FALSE(c.m_bCargado);
}

TEST_F(Hostiles, MedirRechazaUnValorNoFinitoDeSusDosLineas) {
  UINT e = 9, s = 9;
  const std::string a = carpeta.Escribir("a.txt", "/ c\n\n0 1e999\n1\n");
  EXPECT_FALSE(c.Dimensiones(a, &e, &s));
  EXPECT_EQ(e, 0u);
  EXPECT_EQ(s, 0u);
  EXPECT_EQ(host.Textos(), std::vector<CString>{"valor no finito en la línea 3 de " + a});
  host.Limpiar();
  const std::string b = carpeta.Escribir("b.txt", "0 1\r\n-1e999\r\n");
  EXPECT_FALSE(c.Dimensiones(b, &e, &s));
  EXPECT_EQ(host.Textos(), std::vector<CString>{"valor no finito en la línea 2 de " + b});
  host.Limpiar();
  // Only the two lines measured are read.
  ASSERT_TRUE(c.Dimensiones(carpeta.Escribir("c.txt", "0 1\n1\n1e999 0\n1\n"), &e, &s));
  EXPECT_EQ(e, 2u);
  EXPECT_EQ(s, 1u);
  EXPECT_TRUE(host.Textos().empty());
}

// ---- Counts the file cannot hold ----

TEST_F(Hostiles, MedirAplicaLaReglaDelCargadorALaCabecera) {
  UINT e = 0, s = 0;
  // 20 000 000 inputs announced in 12 bytes: the loader refuses it, and
  // so does measuring now.
  const std::string a = carpeta.Escribir("a.bin", Binario(20000000, 1, 1, {}));
  EXPECT_FALSE(c.Cargar(a));
  EXPECT_FALSE(c.Dimensiones(a, &e, &s));
  EXPECT_FALSE(c.Dimensiones(carpeta.Escribir("b.bin", Binario(0xFFFFFFFFu, 1, 1, {})), &e, &s));
  EXPECT_FALSE(c.Dimensiones(carpeta.Escribir("c.bin", Binario(1, 0xFFFFFFFFu, 1, {})), &e, &s));
  EXPECT_FALSE(c.Dimensiones(carpeta.Escribir("d.bin", Binario(0, 1, 5, {})), &e, &s));
  // Cut short within the margin: measured and loaded, but not whole.
  const std::string corto = carpeta.Escribir("e.bin", Binario(16, 2, 100, {1, 2}));
  EXPECT_TRUE(c.Dimensiones(corto, &e, &s));
  EXPECT_EQ(e, 16u);
  EXPECT_EQ(s, 2u);
  EXPECT_FALSE(CConjuntoDatos::Completo(corto));
  EXPECT_FALSE(CConjuntoDatos::Completo(a));
  EXPECT_FALSE(CConjuntoDatos::Completo(carpeta.Escribir("f.bin", U32(1) + U32(1))));
  // No sample at all: the row length is backed by nothing.
  EXPECT_FALSE(CConjuntoDatos::Completo(carpeta.Escribir("g.bin", Binario(20000000, 1, 0, {}))));
  EXPECT_TRUE(CConjuntoDatos::Completo(carpeta.Escribir("h.bin", Binario(2, 1, 1, {1, 2, 3}))));
  EXPECT_TRUE(CConjuntoDatos::Completo(Ejemplo("iris-train.bin")));
  EXPECT_TRUE(CConjuntoDatos::Completo(Ejemplo("iris-train.txt")));
  EXPECT_FALSE(CConjuntoDatos::Completo(carpeta.Fichero("no-existe.txt")));
  EXPECT_TRUE(host.Textos().empty());
}

// ---- Measuring reads as the loader reads ----

TEST_F(Hostiles, MedirCuentaComoLeerLineaEnFicherosAleatorios) {
  std::mt19937 gen(1234);
  const char* piezas[] = {" ", "\t", "\n", "\r\n", "\r", "/", "0.5", "-1e3", "12", ".", "e", "x",
                          "(cero)", "7.25", "\n\n", "\v3", "1e999", "1e-400", "/ a\n"};
  std::uniform_int_distribution<int> pieza(0, 18);
  std::uniform_int_distribution<int> largo(0, 40);
  for (int caso = 0; caso < 2000; ++caso) {
    std::string contenido;
    const int n = largo(gen);
    for (int k = 0; k < n; ++k) {
      const int p = pieza(gen);
      contenido += p == 12 ? std::string("\0", 1) : std::string(piezas[p]);
    }
    const std::string ruta = carpeta.Escribir(FormatC("m%d.txt", caso), contenido);

    // The model: the first two data lines as LeerLinea reads them, each
    // token's value as the loader reads it.
    std::FILE* f = std::fopen(ruta.c_str(), "rb");
    CString linea;
    UINT cuentas[2] = {0, 0};
    int datos = 0;
    std::size_t lineaNoFinita = 0;
    std::size_t fisica = 0;
    std::size_t pos = 0;
    while (datos < 2 && lineaNoFinita == 0 && !LeerLinea(linea, f)) {
      // Which physical line it was: count the newlines up to it.
      const std::size_t fin = static_cast<std::size_t>(std::ftell(f));
      for (; pos < fin; ++pos)
        if (contenido[pos] == '\n') ++fisica;
      const std::size_t numero = (fin > 0 && contenido[fin - 1] == '\n') ? fisica : fisica + 1;
      const char* p = linea.c_str();
      cuentas[datos] = ContarValores(p);
      std::vector<double> v(cuentas[datos]);
      if (!v.empty()) LeerValores(p, v.data(), UINT(v.size()));
      for (double x : v)
        if (!std::isfinite(x)) lineaNoFinita = numero;
      ++datos;
    }
    std::fclose(f);

    host.Limpiar();
    UINT e = 77, s = 77;
    CConjuntoDatos medido;
    const BOOL ok = medido.Dimensiones(ruta, &e, &s);
    if (lineaNoFinita != 0) {
      ASSERT_FALSE(ok) << caso;
      ASSERT_EQ(host.Textos(), std::vector<CString>{FormatC("valor no finito en la línea %zu de %s", lineaNoFinita,
                                                            ruta.c_str())})
          << caso;
      continue;
    }
    ASSERT_TRUE(host.Textos().empty()) << caso;
    ASSERT_EQ(bool(ok), datos == 2 && cuentas[0] != 0 && cuentas[1] != 0) << caso;
    ASSERT_EQ(e, cuentas[0]) << caso;
    ASSERT_EQ(s, datos == 2 ? cuentas[1] : 0u) << caso;
  }
}

TEST_F(Hostiles, MedirUnaLineaEnormeSinSalto) {
  // 64 MB without a line end (holes: zero bytes end the line's text at
  // once): one data line, FALSE.
  const std::string ruta = Disperso(carpeta, "enorme.txt", "1 2 3 ", off_t(64) << 20);
  UINT e = 0, s = 0;
  EXPECT_FALSE(c.Dimensiones(ruta, &e, &s));
  EXPECT_EQ(e, 3u);
  EXPECT_EQ(s, 0u);
}
