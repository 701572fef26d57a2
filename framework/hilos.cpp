#include "framework/hilos.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <system_error>
#include <thread>

#include "framework/host.h"
#include "framework/mensajes.h"

void CEvento::Set() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bSignaled = true;
  }
  m_cond.notify_all();
  // A user-interface thread waiting on this event sleeps in AfxUiWait.
  AfxNotifyWaiters();
}

void CEvento::Reset() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bSignaled = false;
}

bool CEvento::Wait(DWORD ms) {
  auto consumir = [this] {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bSignaled) return false;
    m_bSignaled = false;
    return true;
  };
  if (ms == 0) return consumir();

  if (AfxIsUiThread()) {
    // Keep serving the workers' blocking requests (their message boxes):
    // the worker we wait for may be waiting for one of them.
    if (ms == INFINITE) {
      AfxUiWait(consumir);
      return true;
    }
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      AfxServeBlockingRequests();
      std::unique_lock<std::mutex> lock(m_mutex);
      const auto ahora = std::chrono::steady_clock::now();
      const auto tramo = std::min<std::chrono::steady_clock::duration>(limite - ahora, std::chrono::milliseconds(5));
      if (tramo > std::chrono::steady_clock::duration::zero())
        m_cond.wait_for(lock, tramo, [this] { return m_bSignaled; });
      if (m_bSignaled) {
        m_bSignaled = false;
        return true;
      }
      if (std::chrono::steady_clock::now() >= limite) return false;
    }
  }

  std::unique_lock<std::mutex> lock(m_mutex);
  if (ms == INFINITE) {
    m_cond.wait(lock, [this] { return m_bSignaled; });
  } else if (!m_cond.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_bSignaled; })) {
    return false;
  }
  m_bSignaled = false;
  return true;
}

HANDLE CreateEvent() { return new CEvento(); }

void CloseHandle(HANDLE h) { delete h; }

BOOL SetEvent(HANDLE h) {
  if (!h) return FALSE;
  h->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE h) {
  if (!h) return FALSE;
  h->Reset();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD ms) {
  if (!h) return WAIT_FAILED;
  return h->Wait(ms) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

std::shared_ptr<CWinThread> AfxBeginThread(AFX_THREADPROC proc, void* param, int prioridad) {
  if (!proc) return nullptr;
  auto hilo = std::make_shared<CWinThread>();
  hilo->m_nPrioridad = prioridad;
  std::shared_ptr<CEstadoHilo> estado = hilo->m_pEstado;
  try {
    hilo->m_hilo = std::thread([estado, proc, param, prioridad] {
      if (prioridad <= THREAD_PRIORITY_LOWEST) {
        // Linux gives each thread its own nice value; only this one yields.
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
      } else if (prioridad < THREAD_PRIORITY_NORMAL) {
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
      }
      // An exception that escapes the procedure is reported and ends the
      // thread, never the process; the thread then counts as ended.
      UINT codigo = 0;
      try {
        codigo = proc(param);
      } catch (...) {
        AfxReportarExcepcion();
        codigo = 1;
      }
      estado->m_nCodigo.store(codigo, std::memory_order_release);
      estado->m_bActivo.store(false, std::memory_order_release);
      // A user-interface thread joining this one sleeps in AfxUiWait.
      AfxNotifyWaiters();
      // Whoever waits for this thread hears of its end now, not at its next look.
      AfxThreadEnded();
    });
  } catch (const std::system_error&) {
    return nullptr;
  }
  return hilo;
}

void CWinThread::Join() {
  if (!m_hilo.joinable()) return;
  if (m_hilo.get_id() == std::this_thread::get_id()) {
    m_hilo.detach();  // its last holder let it go from inside: it ends on its own
    return;
  }
  // Until the procedure has returned the thread may wait for a message box
  // only this thread can show; what follows it never waits for anyone.
  if (AfxIsUiThread()) AfxUiWait([this] { return !m_pEstado->Activo(); });
  m_hilo.join();
}

BOOL GetExitCodeThread(const std::shared_ptr<CWinThread>& hilo, DWORD* codigo) {
  if (!hilo || !codigo) return FALSE;
  *codigo = hilo->m_pEstado->CodigoSalida();
  return TRUE;
}
