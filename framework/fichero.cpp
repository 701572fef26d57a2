#include "framework/fichero.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

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

// A temporary left by a save that was killed half-way is never reused: the
// next save of the same target removes it. Only a regular file of this
// user, named as this function names them (".BASE.PID.N.tmp"), whose
// process is gone and which has not changed for a minute (a save from
// another machine sharing the folder is still writing it).
void BorrarTemporalesHuerfanos(const CString& carpeta, const CString& base) {
  DIR* d = ::opendir(carpeta.c_str());
  if (d == nullptr) return;
  const CString prefijo = "." + base + ".";
  const long propio = static_cast<long>(::getpid());
  const time_t ahora = ::time(nullptr);
  while (const dirent* e = ::readdir(d)) {
    const std::size_t largo = std::strlen(e->d_name);
    if (largo <= prefijo.size() + 4 || prefijo.compare(0, prefijo.size(), e->d_name, prefijo.size()) != 0 ||
        std::strcmp(e->d_name + largo - 4, ".tmp") != 0)
      continue;
    // PID.N, digits only.
    const char* p = e->d_name + prefijo.size();
    const char* fin = e->d_name + largo - 4;
    long pid = 0;
    const char* q = p;
    while (q < fin && *q >= '0' && *q <= '9' && pid < 1000000000L) pid = pid * 10 + (*q++ - '0');
    if (q == p || q == fin || *q != '.' || q + 1 == fin) continue;
    bool numero = true;
    for (const char* r = q + 1; r < fin; ++r) numero = numero && *r >= '0' && *r <= '9';
    if (!numero || pid <= 0 || pid == propio) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat st {};
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || ahora - st.st_mtime < 60)
      continue;
    ::unlinkat(::dirfd(d), e->d_name, 0);
  }
  ::closedir(d);
}

// Writes over the file itself, keeping its every name, its owner and its
// permissions (a rename would give the name a new file). The room is
// reserved first, so a full disk leaves the old bytes as they were.
ResultadoEscritura EscribirEnSuSitio(const CString& ruta, const BYTE* datos, std::size_t tam) {
  const int fd = ::open(ruta.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return AlCrear(errno);
  if (tam != 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(tam)) != 0 && errno != EOPNOTSUPP &&
      errno != ENOSYS) {
    const int e = errno;
    ::close(fd);
    return AlEscribir(e);
  }
  ResultadoEscritura r;
  if (!EscribirTodo(fd, datos, tam)) r = AlEscribir(errno);
  if (r && ::ftruncate(fd, static_cast<off_t>(tam)) != 0) r = AlEscribir(errno);
  if (r && ::fsync(fd) != 0) r = AlEscribir(errno);
  if (::close(fd) != 0 && r) r = AlEscribir(errno);
  return r;
}

}  // namespace

ResultadoEscritura AfxEscribirFicheroSeguro(const CString& rutaPedida, const void* pDatos, std::size_t tam) {
  const BYTE* datos = static_cast<const BYTE*>(pDatos);
  CString ruta = rutaPedida;
  struct stat st {};
  const bool existe = ::stat(ruta.c_str(), &st) == 0;
  if (existe && S_ISDIR(st.st_mode)) return AlCrear(EISDIR);
  if (existe && !S_ISREG(st.st_mode)) {
    // A device or a pipe cannot be replaced by a rename: write to it. A
    // pipe without a reader would wait for one for ever.
    const int fd = ::open(ruta.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return AlCrear(errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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
  BorrarTemporalesHuerfanos(carpeta, base);
  // A file with other names (hard links) keeps them: it is written in place.
  if (existe && st.st_nlink > 1) return EscribirEnSuSitio(ruta, datos, tam);

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
  if (existe) {
    // The new file keeps the old one's owner, group and permissions. When
    // the system does not let this user give it that owner, the file is
    // written in place instead, which keeps them (or says why it cannot).
    struct stat nuevo {};
    if (::fstat(fd, &nuevo) == 0 && (nuevo.st_uid != st.st_uid || nuevo.st_gid != st.st_gid) &&
        ::fchown(fd, st.st_uid, st.st_gid) != 0) {
      ::close(fd);
      ::unlink(temporal.c_str());
      return EscribirEnSuSitio(ruta, datos, tam);
    }
    (void)::fchmod(fd, st.st_mode & 07777);
  }
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

bool AfxMismoFichero(const CString& a, const CString& b) {
  if (a == b) return true;
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

Resultado<Hecho> AfxComprobarDestino(const CString& strDestino, const std::vector<FicheroProtegido>& protegidos,
                                     const char* formato) {
  if (strDestino.empty()) return Rechazo("No ha introducido un fichero");
  for (const FicheroProtegido& p : protegidos)
    if (!p.strRuta.empty() && AfxMismoFichero(strDestino, p.strRuta))
      return Rechazo(FormatC(formato, strDestino.c_str(), p.strNombre.c_str()));
  return Hecho{};
}

int AfxAbrirFicheroRegular(const CString& ruta, std::uint64_t* pTam) {
  const int fd = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
    const int e = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = e;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (pTam) *pTam = static_cast<std::uint64_t>(st.st_size);
  return fd;
}

bool AfxLeerFicheroRegular(const CString& ruta, std::string& bytes, std::size_t nMax) {
  std::uint64_t tam = 0;
  const int fd = AfxAbrirFicheroRegular(ruta, &tam);
  if (fd < 0) return false;
  const std::size_t pedir = tam < nMax ? static_cast<std::size_t>(tam) : nMax;
  bytes.resize(pedir);
  std::size_t hecho = 0;
  while (hecho < pedir) {
    const ssize_t n = ::read(fd, bytes.data() + hecho, pedir - hecho);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int e = errno;
      ::close(fd);
      errno = e;
      return false;
    }
    if (n == 0) break;  // shorter now than when opened
    hecho += static_cast<std::size_t>(n);
  }
  bytes.resize(hecho);
  ::close(fd);
  return true;
}
