// Writes the bash completion of nrv-cli at build time: the template with
// the line "@ORDENES@" replaced by what the table of commands says.
// Usage: generar_completado PLANTILLA DESTINO
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/argumentos.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Uso: generar_completado PLANTILLA DESTINO\n";
    return 2;
  }
  std::ifstream plantilla(argv[1], std::ios::binary);
  std::stringstream texto;
  texto << plantilla.rdbuf();
  std::string s = texto.str();
  const std::string marca = "@ORDENES@\n";
  const auto pos = s.find(marca);
  if (!plantilla || pos == std::string::npos) {
    std::cerr << argv[1] << ": no es la plantilla del completado\n";
    return 1;
  }
  s.replace(pos, marca.size(), CompletadoOrdenes());
  std::ofstream destino(argv[2], std::ios::binary | std::ios::trunc);
  destino << s;
  destino.close();
  if (!destino) {
    std::cerr << argv[2] << ": no se ha podido escribir\n";
    return 1;
  }
  return 0;
}
