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

class CHostLinea;
struct LineaOrdenes;

// What the completion offers for an argument or an option's value: a kind
// of file (red: .nrv; datos: data files; tabla: .csv; esquema: .json; c;
// svg; plan: .json; carpeta: folders only; entrada: a data file, or a table
// once --esquema is given; fichero:
// any file), "-" for nothing, or the words admitted, separated by "|".
struct Argumento {
  const char* nombre;      // as the usage line shows it
  const char* completado;
};

struct Opcion {
  const char* nombre;      // without "--"
  const char* valor;       // what its value completes to; null: it takes no value
};

// A help text, written out or built when it is shown (from the values it
// names).
class TextoAyuda {
 public:
  TextoAyuda(const char* texto) : m_texto(texto) {}  // NOLINT: the table writes either
  TextoAyuda(std::string (*construir)()) : m_construir(construir) {}  // NOLINT
  std::string Texto() const { return m_construir ? m_construir() : std::string(m_texto); }

 private:
  const char* m_texto = "";
  std::string (*m_construir)() = nullptr;
};

// One command of the tool: everything the parser, the dispatch, the help
// texts and the bash completion (built from this table) know of it.
struct DefinicionOrden {
  const char* nombre;
  int (*ejecutar)(const LineaOrdenes& linea, CHostLinea& host);
  std::vector<Argumento> posicionales;
  std::vector<Argumento> opcionales;  // positionals that may be left out, after the others
  std::vector<Opcion> opciones;
  const char* resumen;                // one line for the tool's help
  TextoAyuda ayuda;                   // its own help after the usage line

  const Opcion* BuscarOpcion(const std::string& nombreOpcion) const;
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

// The bash completion's function that says what each command takes, built
// from the table (cli/nrv-cli.bash.in holds the rest).
std::string CompletadoOrdenes();
