#include "framework/mensajes.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "framework/host.h"

namespace {

struct Peticion {
  const std::function<void()>* fn;
  bool hecha = false;
  std::condition_variable cond;
};

std::mutex g_mutex;
std::condition_variable g_condUi;  // wakes a user-interface thread blocked in AfxUiWait
std::deque<std::function<void()>> g_colaPosts;
std::deque<Peticion*> g_colaPeticiones;

std::mutex g_mutexHiloUi;
std::thread::id g_hiloUi;
std::atomic<bool> g_hiloUiFijado{false};

// Runs a worker's blocking request; a request that fails still counts as
// served (the worker gets the default answer), so no worker waits for ever.
void Servir(Peticion& p) {
  try {
    (*p.fn)();
  } catch (...) {
  }
}

}  // namespace

void AfxSetUiThread() {
  std::lock_guard<std::mutex> lock(g_mutexHiloUi);
  g_hiloUi = std::this_thread::get_id();
  g_hiloUiFijado.store(true, std::memory_order_release);
}

bool AfxIsUiThread() {
  if (!g_hiloUiFijado.load(std::memory_order_acquire)) {
    std::lock_guard<std::mutex> lock(g_mutexHiloUi);
    if (!g_hiloUiFijado.load(std::memory_order_relaxed)) {
      g_hiloUi = std::this_thread::get_id();
      g_hiloUiFijado.store(true, std::memory_order_release);
    }
  }
  std::lock_guard<std::mutex> lock(g_mutexHiloUi);
  return g_hiloUi == std::this_thread::get_id();
}

void AfxPostToUi(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_colaPosts.push_back(std::move(fn));
  }
  AfxGetHost().WakeUi();
}

void AfxSendToUi(const std::function<void()>& fn) {
  if (AfxIsUiThread()) {
    fn();
    return;
  }
  Peticion p;
  p.fn = &fn;
  std::unique_lock<std::mutex> lock(g_mutex);
  g_colaPeticiones.push_back(&p);
  g_condUi.notify_all();
  lock.unlock();
  AfxGetHost().WakeUi();
  lock.lock();
  p.cond.wait(lock, [&] { return p.hecha; });
}

int AfxServeBlockingRequests() {
  int n = 0;
  std::unique_lock<std::mutex> lock(g_mutex);
  while (!g_colaPeticiones.empty()) {
    Peticion* p = g_colaPeticiones.front();
    g_colaPeticiones.pop_front();
    lock.unlock();
    Servir(*p);
    lock.lock();
    p->hecha = true;
    p->cond.notify_all();
    ++n;
  }
  return n;
}

bool AfxHayTrabajo() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return !g_colaPosts.empty() || !g_colaPeticiones.empty();
}

int AfxPumpMessages() {
  int n = AfxServeBlockingRequests();
  // One at a time from the shared queue, so that a pump nested in a handler
  // (a modal box) keeps the order; only what was queued at the start runs.
  std::size_t pendientes;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    pendientes = g_colaPosts.size();
  }
  while (pendientes-- > 0) {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (g_colaPosts.empty()) break;
      fn = std::move(g_colaPosts.front());
      g_colaPosts.pop_front();
    }
    // A message whose handler fails is reported; the queue goes on.
    try {
      fn();
    } catch (...) {
      AfxReportarExcepcion();
    }
    ++n;
    n += AfxServeBlockingRequests();
  }
  return n;
}

void AfxUiWait(const std::function<bool()>& pred) {
  std::unique_lock<std::mutex> lock(g_mutex);
  for (;;) {
    while (!g_colaPeticiones.empty()) {
      Peticion* p = g_colaPeticiones.front();
      g_colaPeticiones.pop_front();
      lock.unlock();
      Servir(*p);
      lock.lock();
      p->hecha = true;
      p->cond.notify_all();
    }
    if (pred()) return;
    g_condUi.wait(lock);
  }
}

void AfxNotifyWaiters() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_condUi.notify_all();
}
