#include "framework/fichero.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "framework/texto.h"

namespace {

// Writes every byte; false with errno set on failure.
bool EscribirTodo(int fd, const BYTE* datos, std::size_t tam) {
  std::size_t hecho = 0;
  while (hecho < tam) {
    const ssize_t n = ::write(fd, datos + hecho, tam - hecho);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    hecho += static_cast<std::size_t>(n);
  }
  return true;
}

ResultadoEscritura AlCrear(int error) { return {error, true}; }
ResultadoEscritura AlEscribir(int error) { return {error, false}; }

}  // namespace

ResultadoEscritura AfxEscribirFicheroSeguro(const CString& rutaPedida, const void* pDatos, std::size_t tam) {
  const BYTE* datos = static_cast<const BYTE*>(pDatos);
  CString ruta = rutaPedida;
  struct stat st {};
  const bool existe = ::stat(ruta.c_str(), &st) == 0;
  if (existe && S_ISDIR(st.st_mode)) return AlCrear(EISDIR);
  if (existe && !S_ISREG(st.st_mode)) {
    // A device or a pipe cannot be replaced by a rename: write to it.
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return AlCrear(errno);
    if (!EscribirTodo(fd, datos, tam)) {
      const int e = errno;
      ::close(fd);
      return AlEscribir(e);
    }
    if (::close(fd) != 0) return AlEscribir(errno);
    return {};
  }
  if (existe) {
    // Through a symbolic link the real file is replaced, not the link.
    char real[PATH_MAX];
    if (::realpath(ruta.c_str(), real)) ruta = real;
  }

  const auto barra = ruta.find_last_of('/');
  const CString carpeta = barra == CString::npos ? CString(".") : barra == 0 ? CString("/") : ruta.substr(0, barra);
  // The temporary's name stays short enough beside a long target name.
  const CString base = (barra == CString::npos ? ruta : ruta.substr(barra + 1)).substr(0, 100);
  static std::atomic<unsigned> s_nContador{0};
  CString temporal;
  int fd = -1;
  for (int intento = 0; intento < 100 && fd < 0; ++intento) {
    temporal = FormatC("%s/.%s.%ld.%u.tmp", carpeta.c_str(), base.c_str(), static_cast<long>(::getpid()),
                       s_nContador.fetch_add(1));
    fd = ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return AlCrear(errno);
  }
  if (fd < 0) return AlCrear(EEXIST);

  ResultadoEscritura r;
  if (existe) (void)::fchmod(fd, st.st_mode & 07777);  // the new file keeps the old one's permissions
  if (!EscribirTodo(fd, datos, tam)) r = AlEscribir(errno);
  if (r && ::fsync(fd) != 0) r = AlEscribir(errno);
  if (::close(fd) != 0 && r) r = AlEscribir(errno);
  if (r && ::rename(temporal.c_str(), ruta.c_str()) != 0) r = AlCrear(errno);
  if (!r) {
    ::unlink(temporal.c_str());
    return r;
  }
  // Make the rename itself durable; a folder that refuses is no failure.
  const int dir = ::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return r;
}
