// Loading speed of the data files: the text loader against a plain
// fgets + strtok + strtod loader in the same run, and the binary loader.
// The files are generated once (64 inputs and 10 outputs per sample, values
// such as 0.123456) and stay in the page cache, so the figures measure the
// loaders, not the disk.
#include <benchmark/benchmark.h>
#include <locale.h>
#include <malloc.h>
#include <stdlib.h>
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

// Heap bytes that a loaded set keeps, over the bytes of its values.
double MemoriaPorValores(const std::string& ruta) {
  const std::size_t antes = mallinfo2().uordblks + mallinfo2().hblkhd;
  CConjuntoDatos c;
  if (!c.Cargar(ruta)) return 0.0;
  const std::size_t despues = mallinfo2().uordblks + mallinfo2().hblkhd;
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

}  // namespace

BENCHMARK_MAIN();
