// Auto-reset events and worker threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "framework/afx.h"

// An auto-reset event: a signal is consumed by the one wait that sees it.
class CEvento {
 public:
  void Set();
  void Reset();
  // Waits up to ms milliseconds (0: a poll; INFINITE: no limit). Returns true
  // when the event was signalled (and consumes the signal). On the
  // user-interface thread a wait serves the blocking requests of worker
  // threads (a message box they must show) while it waits.
  bool Wait(DWORD ms);

 private:
  std::mutex m_mutex;
  std::condition_variable m_cond;
  bool m_bSignaled = false;
};

using HANDLE = CEvento*;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;  // a null handle

HANDLE CreateEvent();  // auto-reset, unsignalled
void CloseHandle(HANDLE h);  // deletes the event; null is ignored
BOOL SetEvent(HANDLE h);
BOOL ResetEvent(HANDLE h);
DWORD WaitForSingleObject(HANDLE h, DWORD ms);

constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_LOWEST = -2;

using AFX_THREADPROC = UINT (*)(void*);

// What tells, after the thread has ended and its object is gone, whether a
// thread was started and still runs: shared by the thread and its starter.
class CEstadoHilo {
 public:
  bool Activo() const { return m_bActivo.load(std::memory_order_acquire); }
  DWORD CodigoSalida() const { return Activo() ? STILL_ACTIVE : m_nCodigo.load(std::memory_order_acquire); }
  std::atomic<bool> m_bActivo{true};
  std::atomic<DWORD> m_nCodigo{STILL_ACTIVE};
};

// A worker thread, owned by whoever holds its object: letting the last
// holder go waits for the thread to be gone, so no thread outlives what it
// was started for (nor, at exit, the program's statics).
class CWinThread {
 public:
  CWinThread() = default;
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;
  ~CWinThread() { Join(); }
  // Waits until the thread has ended and its last step is done. On the
  // user-interface thread it serves the workers' blocking requests (a
  // message box the thread must show) meanwhile. At once for a thread that
  // has been joined already; on the thread itself it only lets the thread
  // end on its own.
  void Join();

  std::shared_ptr<CEstadoHilo> m_pEstado = std::make_shared<CEstadoHilo>();
  int m_nPrioridad = THREAD_PRIORITY_NORMAL;
  std::thread m_hilo;
};

// Starts proc(param) at once on a new thread. THREAD_PRIORITY_LOWEST runs it
// at the lowest priority an ordinary user may give (nice 19 on Linux, for
// that thread only). Returns null when the thread cannot be started.
std::shared_ptr<CWinThread> AfxBeginThread(AFX_THREADPROC proc, void* param, int prioridad = THREAD_PRIORITY_NORMAL);

// STILL_ACTIVE while the thread runs, then its result. FALSE for a null one.
BOOL GetExitCodeThread(const std::shared_ptr<CWinThread>& hilo, DWORD* codigo);
