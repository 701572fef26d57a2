// nrv-cli: the network documents of nrv and their commands without a window.
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <new>

#include "cli/argumentos.h"
#include "cli/host_linea.h"
#include "cli/ordenes.h"
#include "resources/version.h"

namespace {

// Whether standard output is a pipe or socket whose reader has gone (as
// "| head -1" does once it has its line): what was not printed was not
// wanted, and the command's own result stands.
bool LectorSeFue() {
  struct stat st {};
  if (::fstat(STDOUT_FILENO, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) return false;
  pollfd p{STDOUT_FILENO, 0, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP)) != 0;
}

// The exit code once the output is flushed: a write error is a failure,
// unless the reader left.
int TrasLaSalida(int codigo, bool bAvisar) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return codigo;
  if (LectorSeFue()) return codigo;
  if (bAvisar) Avisar("No se ha podido escribir la salida.");
  return codigo == SALIDA_EXITO ? SALIDA_FALLO : codigo;
}

}  // namespace

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
    return TrasLaSalida(SALIDA_EXITO, true);
  }
  if (linea.bAyuda) {
    Imprimir(linea.pOrden ? AyudaOrden(*linea.pOrden) : AyudaHerramienta());
    return TrasLaSalida(SALIDA_EXITO, true);
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
  return TrasLaSalida(codigo, true);
}
