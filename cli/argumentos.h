// The command line of nrv-cli: its commands, their arguments and options,
// and the help texts.
#pragma once

#include <map>
#include <string>
#include <vector>

// Exit codes of the tool.
constexpr int SALIDA_EXITO = 0;
constexpr int SALIDA_FALLO = 1;      // the operation failed or cannot be done
constexpr int SALIDA_USO = 2;        // command line or a value refused
constexpr int SALIDA_FORZADA = 130;  // second Ctrl+C: left without saving

struct DefinicionOrden {
  const char* nombre;
  std::vector<const char*> posicionales;  // names shown in the usage line
  std::vector<const char*> opciones;      // options that take a value
  std::vector<const char*> interruptores;  // options without a value
  const char* resumen;                    // one line for the tool's help
  const char* ayuda;                      // its own help after the usage line; null: built (nueva)
  std::vector<const char*> opcionales = {};  // positionals that may be left out, after the others
};

const std::vector<DefinicionOrden>& Ordenes();
const DefinicionOrden* BuscarOrden(const std::string& nombre);

struct LineaOrdenes {
  const DefinicionOrden* pOrden = nullptr;  // null: no command (tool's help)
  bool bAyuda = false;                      // --help given
  bool bVersion = false;                    // --version given (before any command)
  std::vector<std::string> posicionales;
  std::map<std::string, std::string> opciones;  // name without "--" -> value
  std::vector<std::string> interruptores;       // names without "--"
  bool Tiene(const std::string& interruptor) const;
};

// Parses argv[1..]. On a refusal returns false with the reason in error
// (in Spanish, without the program's prefix); pOrden is then set when the
// command was recognised, so that its usage line can be shown.
bool AnalizarArgumentos(int argc, char** argv, LineaOrdenes& linea, std::string& error);

std::string UsoOrden(const DefinicionOrden& orden);  // "Uso: nrv-cli nueva ..."
std::string AyudaHerramienta();
std::string AyudaOrden(const DefinicionOrden& orden);
