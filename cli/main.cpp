// nrv-cli: the network documents of nrv and their commands without a window.
#include <clocale>
#include <csignal>
#include <cstdio>
#include <new>

#include "cli/argumentos.h"
#include "cli/host_linea.h"
#include "cli/ordenes.h"
#include "resources/version.h"

int main(int argc, char** argv) {
  // The user's locale, as the window has it: every number the tool reads or
  // writes goes through the C-convention helpers, so it makes no difference.
  std::setlocale(LC_ALL, "");
  // A closed standard output is a write error, not the end of the process.
  std::signal(SIGPIPE, SIG_IGN);

  LineaOrdenes linea;
  std::string error;
  if (!AnalizarArgumentos(argc, argv, linea, error)) {
    Avisar(error);
    std::string uso = linea.pOrden ? UsoOrden(*linea.pOrden) : std::string("Uso: nrv-cli ORDEN ARGUMENTOS...\n");
    uso += linea.pOrden ? std::string("«nrv-cli ") + linea.pOrden->nombre + " --help» da más detalles.\n"
                        : std::string("«nrv-cli --help» da la lista de órdenes.\n");
    std::fwrite(uso.data(), 1, uso.size(), stderr);
    return SALIDA_USO;
  }
  if (linea.bVersion) {
    Imprimir("nrv-cli (nrv) " NRV_VERSION "\n" NRV_AVISO_VERSION);
    return std::ferror(stdout) ? SALIDA_FALLO : SALIDA_EXITO;
  }
  if (linea.bAyuda) {
    Imprimir(linea.pOrden ? AyudaOrden(*linea.pOrden) : AyudaHerramienta());
    return std::ferror(stdout) ? SALIDA_FALLO : SALIDA_EXITO;
  }

  int codigo = SALIDA_FALLO;
  {
    CHostLinea host;
    try {
      codigo = EjecutarOrden(linea, host);
    } catch (const CException& e) {
      Avisar(e.Mensaje());
    } catch (const std::bad_alloc&) {
      Avisar("Memoria insuficiente.");
    }
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Avisar("No se ha podido escribir la salida.");
    if (codigo == SALIDA_EXITO) codigo = SALIDA_FALLO;
  }
  return codigo;
}
