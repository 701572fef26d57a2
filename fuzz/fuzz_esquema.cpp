// A scheme file (JSON) of any bytes: read, and what is accepted written
// and read again unchanged.
#include "data/esquema.h"
#include "fuzz/apoyo_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tam) {
  const Resultado<CEsquema> e =
      LeerEsquemaTexto("e.json", std::string(reinterpret_cast<const char*>(datos), tam));
  if (!e) return 0;
  if (e->Entradas() == 0 || e->Salidas() == 0) std::abort();
  const std::string texto = TextoEsquema(*e);
  const Resultado<CEsquema> otra = LeerEsquemaTexto("e.json", texto);
  if (!otra || TextoEsquema(*otra) != texto) std::abort();
  return 0;
}
