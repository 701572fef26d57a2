// Data files for the benchmark scripts, written by nrv's own loaders and
// writers:
//
//   datos-bench generar ENTRADAS SALIDAS MUESTRAS SEMILLA SALIDA.bin
//       random inputs in [0, 1), one class per sample, in nrv's binary form
//   datos-bench fann DATOS SALIDA.fann
//       any nrv data file in FANN's text form, every value exactly
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "data/conjunto.h"

namespace {

int Generar(UINT e, UINT s, UINT n, unsigned long semilla, const char* ruta) {
  std::FILE* f = std::fopen(ruta, "wb");
  if (f == nullptr) return 1;
  const UINT cabecera[3] = {e, s, n};
  std::fwrite(cabecera, sizeof cabecera, 1, f);
  std::mt19937_64 gen(semilla);
  std::uniform_real_distribution<double> uno(0.0, 1.0);
  std::string fila((std::size_t(e) + s) * sizeof(double), '\0');
  for (UINT m = 0; m < n; ++m) {
    double* v = reinterpret_cast<double*>(fila.data());
    for (UINT j = 0; j < e; ++j) v[j] = uno(gen);
    for (UINT k = 0; k < s; ++k) v[e + k] = k == m % s ? 1.0 : 0.0;
    std::fwrite(fila.data(), fila.size(), 1, f);
  }
  return std::fclose(f) == 0 ? 0 : 1;
}

int AFann(const char* datos, const char* ruta) {
  CConjuntoDatos c;
  if (!c.Cargar(datos)) return 1;
  std::FILE* f = std::fopen(ruta, "w");
  if (f == nullptr) return 1;
  std::fprintf(f, "%u %u %u\n", c.m_nMuestras, c.m_nEntradas, c.m_nSalidas);
  auto fila = [f](const double* v, UINT n) {
    for (UINT j = 0; j < n; ++j) std::fprintf(f, "%s%.17g", j ? " " : "", v[j]);
    std::fputc('\n', f);
  };
  for (UINT m = 0; m < c.m_nMuestras; ++m) {
    fila(c.m_matEntradas.m_ppFilas[m], c.m_nEntradas);
    fila(c.m_matSalidas.m_ppFilas[m], c.m_nSalidas);
  }
  return std::fclose(f) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 7 && std::strcmp(argv[1], "generar") == 0)
    return Generar(UINT(std::atoi(argv[2])), UINT(std::atoi(argv[3])), UINT(std::atoi(argv[4])),
                   std::strtoul(argv[5], nullptr, 10), argv[6]);
  if (argc == 4 && std::strcmp(argv[1], "fann") == 0) return AFann(argv[2], argv[3]);
  std::fprintf(stderr,
               "uso: datos-bench generar ENTRADAS SALIDAS MUESTRAS SEMILLA SALIDA.bin\n"
               "     datos-bench fann DATOS SALIDA.fann\n");
  return 2;
}
