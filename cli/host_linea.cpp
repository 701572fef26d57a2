#include "cli/host_linea.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>

#include "cli/argumentos.h"
#include "framework/mensajes.h"

namespace {

// The self-pipe: one byte wakes the main thread. Written by WakeUi from any
// thread and by the signal handler.
int g_tuberia[2] = {-1, -1};
// The main thread sleeps on the pipe (or is about to): a post must write
// the byte. While it is awake a post costs no system call.
std::atomic<bool> g_bDormido{false};
std::atomic<int> g_nInterrupciones{0};
std::atomic<bool> g_bIgnorar{false};

void Despertar() {
  if (g_tuberia[1] >= 0) {
    const char c = 0;
    // A full pipe is already readable: nothing is lost when this fails.
    [[maybe_unused]] ssize_t n = ::write(g_tuberia[1], &c, 1);
  }
}

extern "C" void AlInterrumpir(int) {
  if (g_bIgnorar.load()) return;
  if (g_nInterrupciones.fetch_add(1) == 0) {
    Despertar();
    return;
  }
  static const char kAviso[] = "nrv: entrenamiento abandonado; la red no se ha guardado\n";
  [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, kAviso, sizeof kAviso - 1);
  ::_exit(SALIDA_FORZADA);
}

void EscribirError(const CString& texto) {
  CString linea = "nrv: " + texto + "\n";
  std::fwrite(linea.data(), 1, linea.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

CHostLinea::CHostLinea() : m_pAnterior(&AfxGetHost()) {
  if (::pipe(g_tuberia) == 0) {
    for (int fd : g_tuberia) {
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
      ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
  } else {
    g_tuberia[0] = g_tuberia[1] = -1;
  }
  AfxSetUiThread();
  AfxSetHost(this);
}

CHostLinea::~CHostLinea() {
  AfxPumpMessages();
  AfxSetHost(m_pAnterior);
  // The descriptors stay open: a late signal may still write to them.
}

int CHostLinea::MessageBox(const CString& texto, UINT estilo, UINT) {
  EscribirError(texto);
  switch (estilo & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDNO;
    default:
      return IDOK;
  }
}

INT_PTR CHostLinea::DoModal(CDialog&) { return IDCANCEL; }

INT_PTR CHostLinea::DoModal(CFileDialog&) { return IDCANCEL; }

void CHostLinea::WakeUi() {
  if (g_bDormido.exchange(false)) Despertar();
}

void CHostLinea::ThreadEnded() { Despertar(); }

void CHostLinea::Esperar() {
  using namespace std::chrono;
  if (g_tuberia[0] < 0) {
    ::usleep(1000);  // no pipe: the old way, a look every millisecond
    return;
  }
  auto vaciar = [] {
    char basura[256];
    while (::read(g_tuberia[0], basura, sizeof basura) > 0) {
    }
  };
  pollfd pfd{g_tuberia[0], POLLIN, 0};
  // Awake for the rest of the millisecond: posts do not write meanwhile,
  // a thread's end or a signal does.
  const auto resto = m_ultimoDespertar + milliseconds(1) - steady_clock::now();
  if (resto > steady_clock::duration::zero()) {
    const auto ns = duration_cast<nanoseconds>(resto).count();
    const timespec ts{0, static_cast<long>(ns)};
    if (::ppoll(&pfd, 1, &ts, nullptr) > 0) vaciar();
    return;
  }
  // Asleep: from here on a post writes the byte. Whatever was posted before
  // the flag was up is seen here instead.
  g_bDormido.store(true);
  if (!AfxHayTrabajo()) {
    if (::ppoll(&pfd, 1, nullptr, nullptr) > 0) vaciar();
  }
  g_bDormido.store(false);
  m_ultimoDespertar = steady_clock::now();
}

void InstalarInterrupcion() {
  struct sigaction sa {};
  sa.sa_handler = AlInterrumpir;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int senal : {SIGINT, SIGTERM}) {
    // A signal the caller ignores (a shell's background job) stays ignored.
    struct sigaction anterior {};
    if (::sigaction(senal, nullptr, &anterior) == 0 && anterior.sa_handler == SIG_IGN) continue;
    ::sigaction(senal, &sa, nullptr);
  }
}

bool Interrumpido() { return g_nInterrupciones.load() > 0; }

void IgnorarInterrupciones() { g_bIgnorar.store(true); }
