// Loading speed of the data files: the text loader against a plain
// fgets + strtok + strtod loader in the same run, and the binary loader.
// The files are generated once (64 inputs and 10 outputs per sample, values
// such as 0.123456) and stay in the page cache, so the figures measure the
// loaders, not the disk.
#include <benchmark/benchmark.h>
#include <locale.h>
#include <malloc.h>
#include <stdlib.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/conjunto.h"
#include "framework/texto.h"

namespace {

constexpr UINT kEntradas = 64;
constexpr UINT kSalidas = 10;
constexpr UINT kMuestras = 90000;  // about 60 MB of text

struct CFicheros {
  std::string texto;
  std::string binario;
  std::size_t bytesTexto = 0;
  std::size_t bytesBinario = 0;

  CFicheros() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/nrv-bench-cargar-" + std::to_string(getpid());
    texto = base + ".txt";
    binario = base + ".bin";
    std::mt19937 gen(2024);
    std::uniform_int_distribution<int> cifras(0, 999999);
    std::string t = "/ 64 entradas, 10 salidas\n";
    std::string b(12, '\0');
    const UINT cab[3] = {kEntradas, kSalidas, kMuestras};
    std::memcpy(b.data(), cab, sizeof cab);
    char buf[32];
    for (UINT s = 0; s < kMuestras; ++s) {
      for (UINT j = 0; j < kEntradas + kSalidas; ++j) {
        const int n = FormatCBuf(buf, sizeof buf, "0.%06d", cifras(gen));
        t.append(buf, static_cast<std::size_t>(n));
        t += (j + 1 == kEntradas || j + 1 == kEntradas + kSalidas) ? '\n' : ' ';
        const double v = AtofC(buf);
        b.append(reinterpret_cast<const char*>(&v), sizeof v);
      }
    }
    Escribir(texto, t);
    Escribir(binario, b);
    bytesTexto = t.size();
    bytesBinario = b.size();
  }
  ~CFicheros() {
    std::remove(texto.c_str());
    std::remove(binario.c_str());
  }
  static void Escribir(const std::string& ruta, const std::string& datos) {
    std::FILE* f = std::fopen(ruta.c_str(), "wb");
    if (f == nullptr || std::fwrite(datos.data(), 1, datos.size(), f) != datos.size()) std::abort();
    std::fclose(f);
  }
};

double TiempoCpu() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

const CFicheros& Ficheros() {
  static const CFicheros f;
  return f;
}

// The straightforward loader: one line at a time, strtok and strtod in the
// "C" locale, values appended to one vector.
std::vector<double> CargarStrtok(const std::string& ruta) {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  std::vector<double> valores;
  std::FILE* f = std::fopen(ruta.c_str(), "r");
  if (f == nullptr) return valores;
  std::vector<char> linea(1 << 16);
  while (std::fgets(linea.data(), static_cast<int>(linea.size()), f) != nullptr) {
    if (linea[0] == '/' || linea[0] == '\n') continue;
    for (char* t = std::strtok(linea.data(), " \t\r\n"); t != nullptr; t = std::strtok(nullptr, " \t\r\n"))
      valores.push_back(strtod_l(t, nullptr, c));
  }
  std::fclose(f);
  return valores;
}

// Anonymous memory of the process that is resident (RssAnon), in bytes.
std::size_t MemoriaAnonima() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return 0;
  char linea[256];
  std::size_t kb = 0;
  while (std::fgets(linea, sizeof linea, f) != nullptr)
    if (std::strncmp(linea, "RssAnon:", 8) == 0) kb = std::strtoull(linea + 8, nullptr, 10);
  std::fclose(f);
  return kb * 1024;
}

// Memory that a loaded set keeps, over the bytes of its values: the
// resident growth of the process (large blocks are mapped apart from the
// heap, which is trimmed first so that nothing is reused unseen).
double MemoriaPorValores(const std::string& ruta) {
  malloc_trim(0);
  const std::size_t antes = MemoriaAnonima();
  CConjuntoDatos c;
  if (!c.Cargar(ruta)) return 0.0;
  const std::size_t despues = MemoriaAnonima();
  const double valores = double(c.m_nMuestras) * (c.m_nEntradas + c.m_nSalidas) * sizeof(double);
  return double(despues - antes) / valores;
}

void BM_CargarTexto(benchmark::State& estado) {
  const CFicheros& f = Ficheros();
  // The values must be the ones the plain loader reads, bit for bit.
  {
    CConjuntoDatos c;
    const std::vector<double> ref = CargarStrtok(f.texto);
    if (!c.Cargar(f.texto) || c.m_nMuestras != kMuestras || ref.size() != std::size_t(kMuestras) * (kEntradas + kSalidas)) {
      estado.SkipWithError("el fichero no se ha cargado");
      return;
    }
    for (UINT s = 0; s < kMuestras; ++s) {
      const double* r = ref.data() + std::size_t(s) * (kEntradas + kSalidas);
      if (std::memcmp(c.m_matEntradas.m_ppFilas[s], r, kEntradas * sizeof(double)) != 0 ||
          std::memcmp(c.m_matSalidas.m_ppFilas[s], r + kEntradas, kSalidas * sizeof(double)) != 0) {
        estado.SkipWithError("valores distintos de los de strtod");
        return;
      }
    }
  }
  for (auto _ : estado) {
    CConjuntoDatos c;
    benchmark::DoNotOptimize(c.Cargar(f.texto));
    benchmark::DoNotOptimize(c.m_matEntradas.m_ppFilas);
  }
  estado.SetBytesProcessed(static_cast<std::int64_t>(estado.iterations() * f.bytesTexto));
  estado.counters["memoria/valores"] = MemoriaPorValores(f.texto);
}
BENCHMARK(BM_CargarTexto)->Unit(benchmark::kMillisecond);

void BM_CargarTextoStrtok(benchmark::State& estado) {
  const CFicheros& f = Ficheros();
  for (auto _ : estado) {
    std::vector<double> v = CargarStrtok(f.texto);
    benchmark::DoNotOptimize(v.data());
  }
  estado.SetBytesProcessed(static_cast<std::int64_t>(estado.iterations() * f.bytesTexto));
}
BENCHMARK(BM_CargarTextoStrtok)->Unit(benchmark::kMillisecond);

void BM_CargarBinario(benchmark::State& estado) {
  const CFicheros& f = Ficheros();
  for (auto _ : estado) {
    CConjuntoDatos c;
    benchmark::DoNotOptimize(c.Cargar(f.binario));
    benchmark::DoNotOptimize(c.m_matEntradas.m_ppFilas);
  }
  estado.SetBytesProcessed(static_cast<std::int64_t>(estado.iterations() * f.bytesBinario));
  estado.counters["memoria/valores"] = MemoriaPorValores(f.binario);
}
BENCHMARK(BM_CargarBinario)->Unit(benchmark::kMillisecond);

// The same file read whole with read() into one buffer made once (already
// in memory): what the disk cache can give at best.
std::size_t LeerPlano(const std::string& ruta, std::vector<char>& destino) {
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  std::size_t hecho = 0;
  while (hecho < destino.size()) {
    const ssize_t n = ::read(fd, destino.data() + hecho, destino.size() - hecho);
    if (n <= 0) break;
    hecho += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return hecho;
}

void BM_LeerBinarioPlano(benchmark::State& estado) {
  const CFicheros& f = Ficheros();
  std::vector<char> destino(f.bytesBinario);
  for (auto _ : estado) benchmark::DoNotOptimize(LeerPlano(f.binario, destino));
  estado.SetBytesProcessed(static_cast<std::int64_t>(estado.iterations() * f.bytesBinario));
}
BENCHMARK(BM_LeerBinarioPlano)->Unit(benchmark::kMillisecond);

// Both in every iteration, each on the process's CPU clock: the loader's
// rate over the plain read's (1.0: as fast as reading the file).
void BM_BinarioFrenteALectura(benchmark::State& estado) {
  const CFicheros& f = Ficheros();
  std::vector<char> destino(f.bytesBinario);
  double tCargar = 0.0, tLeer = 0.0;
  for (auto _ : estado) {
    const double t0 = TiempoCpu();
    {
      CConjuntoDatos c;
      benchmark::DoNotOptimize(c.Cargar(f.binario));
      benchmark::DoNotOptimize(c.m_matEntradas.m_ppFilas);
    }
    const double t1 = TiempoCpu();
    benchmark::DoNotOptimize(LeerPlano(f.binario, destino));
    tLeer += TiempoCpu() - t1;
    tCargar += t1 - t0;
  }
  const double bytes = double(estado.iterations()) * double(f.bytesBinario);
  estado.counters["cargar_GBps"] = bytes / tCargar / 1e9;
  estado.counters["leer_GBps"] = bytes / tLeer / 1e9;
  estado.counters["razon"] = tLeer / tCargar;
}
BENCHMARK(BM_BinarioFrenteALectura)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
