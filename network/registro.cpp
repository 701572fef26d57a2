#include "network/registro.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "framework/documento.h"
#include "framework/texto.h"

namespace {
// One lock for the whole process: the blocks of documents that train at the
// same time never interleave inside a write.
std::mutex g_mutexRegistro;

Fallo FalloRegistro(int err) {
  CString causa = err < 0 ? CString("no es un fichero normal") : AfxDescribirError(err);
  while (!causa.empty() && causa.back() == '.') causa.pop_back();
  return Fallo{FormatC("No se ha podido escribir el registro de entrenamiento %s: %s.",
                       CRegistroEntrenamiento::Nombre, causa.c_str())};
}
}  // namespace

const char* const CRegistroEntrenamiento::Nombre = "HNRV.TXT";

CRegistroEntrenamiento::CRegistroEntrenamiento() {
  m_fd = ::open(Nombre, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0666);
  if (m_fd < 0) {
    m_nError = errno;
    return;
  }
  struct stat st {};
  if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    // A pipe or a device takes no block whole, or never gives it back.
    ::close(m_fd);
    m_fd = -1;
    m_nError = -1;
    return;
  }
  ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
}

CRegistroEntrenamiento::~CRegistroEntrenamiento() {
  if (m_fd >= 0) ::close(m_fd);
}

Resultado<Hecho> CRegistroEntrenamiento::Escribir(const CString& texto) {
  if (m_fd < 0) return FalloRegistro(m_nError);
  CString crlf;
  crlf.reserve(texto.size() + texto.size() / 16 + 2);
  for (char c : texto) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::string bytes;
  Utf8ACp1252(crlf, bytes);  // a character Windows-1252 lacks shows as '?'
  std::lock_guard<std::mutex> lock(g_mutexRegistro);
  struct stat st {};
  if (::fstat(m_fd, &st) != 0) return FalloRegistro(errno);
  const off_t inicio = st.st_size;
  // A full disk refuses the room before a byte is written.
  if (!bytes.empty() && ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, inicio, static_cast<off_t>(bytes.size())) != 0 &&
      errno != EOPNOTSUPP && errno != ENOSYS)
    return FalloRegistro(errno);
  const char* p = bytes.data();
  std::size_t resto = bytes.size();
  while (resto > 0) {
    const ssize_t n = ::write(m_fd, p, resto);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // A torn block would glue the next run's header to its last line.
      const int e = n < 0 ? errno : EIO;
      [[maybe_unused]] const int r = ::ftruncate(m_fd, inicio);
      return FalloRegistro(e);
    }
    p += n;
    resto -= static_cast<std::size_t>(n);
  }
  return Hecho{};
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
