#include "network/registro.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "framework/texto.h"

namespace {
// One lock for the whole process: the blocks of documents that train at the
// same time never interleave inside a write.
std::mutex g_mutexRegistro;
}  // namespace

const char* const CRegistroEntrenamiento::Nombre = "HNRV.TXT";

CRegistroEntrenamiento::CRegistroEntrenamiento() {
  m_fd = ::open(Nombre, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
}

CRegistroEntrenamiento::~CRegistroEntrenamiento() {
  if (m_fd >= 0) ::close(m_fd);
}

void CRegistroEntrenamiento::Escribir(const CString& texto) {
  if (m_fd < 0) return;
  CString crlf;
  crlf.reserve(texto.size() + texto.size() / 16 + 2);
  for (char c : texto) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::string bytes;
  Utf8ACp1252(crlf, bytes);  // a character Windows-1252 lacks shows as '?'
  std::lock_guard<std::mutex> lock(g_mutexRegistro);
  const char* p = bytes.data();
  std::size_t resto = bytes.size();
  while (resto > 0) {
    const ssize_t n = ::write(m_fd, p, resto);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the log is a courtesy: training goes on
    p += n;
    resto -= static_cast<std::size_t>(n);
  }
}

CString CabeceraRegistro(const CString& strFicheroEntrenamiento, const CString& strFicheroVerificacion,
                         UINT nEpocaInicial, double dAprendizaje, double dMomento) {
  CString s;
  s += "FICHERO ENTRENADO: " + strFicheroEntrenamiento + "\n";
  s += "FICHERO TEST:      " + strFicheroVerificacion + "\n";
  s += FormatC("  Nº de Época Inicial: %u,\n", nEpocaInicial);
  s += FormatC("  Factor de Aprendizaje: %7.6f,  Factor de Momento: %7.6f\n", dAprendizaje, dMomento);
  s += "\n--------------------------------------------\n";
  s += "Epoca  Error Máximo  Error Total  Aciertos ";
  s += "\n--------------------------------------------\n";
  return s;
}

CString LineaEpocaRegistro(UINT nEpoca, double dErrorMaximo, double dErrorTotal, double dAciertos) {
  return FormatC("   %2u \t %7.6f \t %7.5f \t %7.4f%%\n", nEpoca, dErrorMaximo, dErrorTotal, dAciertos);
}
