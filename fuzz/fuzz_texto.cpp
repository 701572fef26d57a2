// A text data file (".txt") of any bytes.
#include "fuzz/fuzz_conjunto.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
  static CHostFuzz host;
  static CFicheroFuzz fichero(".txt");
  host.Empezar();
  ProbarConjunto(fichero.Escribir(datos, tam));
  return 0;
}
