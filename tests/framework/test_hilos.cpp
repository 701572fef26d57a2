// Auto-reset events and worker threads: consumption of a signal, polls,
// waits of the user-interface thread that still serve a worker's message
// box, joins that serve it too, exit codes, and the worker's priority.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/hilos.h"
#include "framework/host.h"
#include "framework/mensajes.h"
#include "tests/support/test_host.h"

namespace {

TEST(Eventos, NaceSinSenalYUnSondeoNoEspera) {
  HANDLE h = CreateEvent();
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  CloseHandle(h);
}

TEST(Eventos, LaSenalLaConsumeUnaSolaEspera) {
  HANDLE h = CreateEvent();
  EXPECT_TRUE(SetEvent(h));
  EXPECT_TRUE(SetEvent(h));  // two signals are still one
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  CloseHandle(h);
}

TEST(Eventos, ResetQuitaLaSenal) {
  HANDLE h = CreateEvent();
  SetEvent(h);
  EXPECT_TRUE(ResetEvent(h));
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);
  CloseHandle(h);
}

TEST(Eventos, UnHandleNuloNoRompeNada) {
  EXPECT_FALSE(SetEvent(nullptr));
  EXPECT_FALSE(ResetEvent(nullptr));
  EXPECT_EQ(WaitForSingleObject(nullptr, INFINITE), WAIT_FAILED);
  CloseHandle(nullptr);
}

TEST(Eventos, UnaEsperaConLimiteFueraDelHiloUiTerminaSinSenal) {
  CTestHost host;
  HANDLE h = CreateEvent();
  DWORD r = WAIT_OBJECT_0;
  std::thread t([&] { r = WaitForSingleObject(h, 1); });
  t.join();
  EXPECT_EQ(r, WAIT_TIMEOUT);
  CloseHandle(h);
}

TEST(Eventos, ElHiloUiDespiertaCuandoUnTrabajadorActiva) {
  CTestHost host;
  HANDLE h = CreateEvent();
  std::thread t([h] { SetEvent(h); });
  EXPECT_EQ(WaitForSingleObject(h, INFINITE), WAIT_OBJECT_0);
  t.join();
  EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_TIMEOUT);  // consumed by the wait
  CloseHandle(h);
}

TEST(Eventos, UnTrabajadorEsperaSinLimiteHastaLaSenal) {
  CTestHost host;
  HANDLE listo = CreateEvent();
  HANDLE visto = CreateEvent();
  std::thread t([&] {
    WaitForSingleObject(listo, INFINITE);
    SetEvent(visto);
  });
  SetEvent(listo);
  EXPECT_EQ(WaitForSingleObject(visto, INFINITE), WAIT_OBJECT_0);
  t.join();
  CloseHandle(listo);
  CloseHandle(visto);
}

// The stop handshake with a worker that must show a message box first: the
// user-interface thread, blocked waiting for the worker, still shows it.
TEST(Eventos, ElMensajeDeUnTrabajadorSeMuestraMientrasElHiloUiEspera) {
  CTestHost host;
  host.respuestasMensaje.push_back(IDOK);
  HANDLE parado = CreateEvent();
  std::atomic<int> respuesta{0};
  std::thread t([&] {
    respuesta = AfxMessageBox("Error en apertura de fichero.");
    SetEvent(parado);
  });
  EXPECT_EQ(WaitForSingleObject(parado, INFINITE), WAIT_OBJECT_0);
  t.join();
  EXPECT_EQ(respuesta.load(), IDOK);
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Error en apertura de fichero."});
  CloseHandle(parado);
}

TEST(Eventos, UnaEsperaConLimiteDelHiloUiTambienSirveLosMensajes) {
  CTestHost host;
  HANDLE parado = CreateEvent();
  std::thread t([&] {
    AfxMessageBox("Aviso");
    SetEvent(parado);
  });
  // The worker cannot set the event before its box is answered, so a wait
  // that did not serve it could only time out.
  DWORD r;
  do {
    r = WaitForSingleObject(parado, 50);
  } while (r == WAIT_TIMEOUT && host.Textos().empty());
  if (r == WAIT_TIMEOUT) r = WaitForSingleObject(parado, INFINITE);
  EXPECT_EQ(r, WAIT_OBJECT_0);
  t.join();
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Aviso"});
  CloseHandle(parado);
}

// ---------------------------------------------------------------- threads

struct Compuerta {
  HANDLE abrir = CreateEvent();
  UINT codigo = 0;
  ~Compuerta() { CloseHandle(abrir); }
};

UINT EsperarCompuerta(void* p) {
  auto* c = static_cast<Compuerta*>(p);
  WaitForSingleObject(c->abrir, INFINITE);
  return c->codigo;
}

void EsperarFin(const std::shared_ptr<CEstadoHilo>& estado) {
  while (estado->Activo()) std::this_thread::yield();
}

TEST(HilosDeTrabajo, ElCodigoEsStillActiveMientrasCorreYLuegoElResultado) {
  CTestHost host;
  Compuerta c;
  auto hilo = AfxBeginThread(EsperarCompuerta, &c, THREAD_PRIORITY_LOWEST);
  ASSERT_NE(hilo, nullptr);
  DWORD codigo = 0;
  EXPECT_TRUE(GetExitCodeThread(hilo, &codigo));
  EXPECT_EQ(codigo, STILL_ACTIVE);
  SetEvent(c.abrir);
  EsperarFin(hilo->m_pEstado);
  EXPECT_TRUE(GetExitCodeThread(hilo, &codigo));
  EXPECT_EQ(codigo, 0u);
}

TEST(HilosDeTrabajo, SoltarElObjetoEsperaAlHiloYElEstadoSigueValido) {
  CTestHost host;
  Compuerta c;
  c.codigo = 42;
  auto hilo = AfxBeginThread(EsperarCompuerta, &c);
  ASSERT_NE(hilo, nullptr);
  std::shared_ptr<CEstadoHilo> estado = hilo->m_pEstado;
  EXPECT_EQ(estado->CodigoSalida(), STILL_ACTIVE);
  std::thread abridor([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    SetEvent(c.abrir);
  });
  hilo.reset();  // returns once the thread is gone
  EXPECT_EQ(estado->CodigoSalida(), 42u);
  abridor.join();
}

// Joining on the user-interface thread shows the message box the thread
// waits for, instead of waiting for it forever.
UINT Avisar(void*) { return AfxMessageBox("aviso", MB_OK, 0) == IDOK ? 5 : 6; }

TEST(HilosDeTrabajo, UnirEnElHiloUiSirveSusMensajes) {
  CTestHost host;
  auto hilo = AfxBeginThread(Avisar, nullptr);
  ASSERT_NE(hilo, nullptr);
  hilo->Join();
  EXPECT_EQ(hilo->m_pEstado->CodigoSalida(), 5u);
  hilo->Join();  // a second join returns at once
}

// The host hears of a thread's end from that thread, once its exit code
// can be read: a waiting user-interface thread needs no look at a clock.
class CHostFinHilos : public CTestHost {
 public:
  ~CHostFinHilos() override { Retirar(); }
  void ThreadEnded() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    codigos.push_back(pEstado ? pEstado->CodigoSalida() : STILL_ACTIVE);
    enHiloUi = enHiloUi || AfxIsUiThread();
    m_cond.notify_all();
  }
  void EsperarAvisos(std::size_t n) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_cond.wait(lock, [&] { return codigos.size() >= n; });
  }
  std::shared_ptr<CEstadoHilo> pEstado;
  std::vector<DWORD> codigos;
  bool enHiloUi = false;

 private:
  std::mutex m_mutex;
  std::condition_variable m_cond;
};

TEST(HilosDeTrabajo, ElFinDelHiloAvisaAlHostConSuCodigoYaLegible) {
  CHostFinHilos host;
  Compuerta c;
  c.codigo = 7;
  auto hilo = AfxBeginThread(EsperarCompuerta, &c, THREAD_PRIORITY_LOWEST);
  ASSERT_NE(hilo, nullptr);
  host.pEstado = hilo->m_pEstado;
  SetEvent(c.abrir);
  host.EsperarAvisos(1);
  EXPECT_EQ(host.codigos, std::vector<DWORD>{7u});
  EXPECT_FALSE(host.enHiloUi);
  // A host put back meanwhile is never reached by a thread that ends later.
  Compuerta d;
  auto otro = AfxBeginThread(EsperarCompuerta, &d);
  ASSERT_NE(otro, nullptr);
  {
    CHostFinHilos sustituto;
    SetEvent(d.abrir);
    sustituto.EsperarAvisos(1);
  }
  EXPECT_EQ(host.codigos.size(), 1u);
}

TEST(HilosDeTrabajo, UnHiloNuloNoDaCodigo) {
  DWORD codigo = 7;
  EXPECT_FALSE(GetExitCodeThread(nullptr, &codigo));
  EXPECT_EQ(codigo, 7u);
  EXPECT_EQ(AfxBeginThread(nullptr, nullptr), nullptr);
}

struct Prioridades {
  int nice = -100;
  long niceProc = -100;
  pid_t tid = 0;
};

// Field 19 of /proc/self/task/<tid>/stat is the thread's nice value.
long NiceDeProc(pid_t tid) {
  std::ifstream f("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string linea;
  std::getline(f, linea);
  const auto cierre = linea.rfind(')');
  if (cierre == std::string::npos) return -100;
  std::istringstream campos(linea.substr(cierre + 2));
  std::string campo;
  for (int i = 3; i <= 19 && campos >> campo; ++i) {
    if (i == 19) return std::stol(campo);
  }
  return -100;
}

UINT LeerPrioridad(void* p) {
  auto* r = static_cast<Prioridades*>(p);
  r->tid = gettid();
  errno = 0;
  r->nice = getpriority(PRIO_PROCESS, static_cast<id_t>(r->tid));
  r->niceProc = NiceDeProc(r->tid);
  return 0;
}

TEST(HilosDeTrabajo, LaPrioridadMasBajaEsNice19SoloParaEseHilo) {
  CTestHost host;
  const int niceAntes = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  Prioridades r;
  auto hilo = AfxBeginThread(LeerPrioridad, &r, THREAD_PRIORITY_LOWEST);
  ASSERT_NE(hilo, nullptr);
  EsperarFin(hilo->m_pEstado);
  EXPECT_EQ(r.nice, 19);
  EXPECT_EQ(r.niceProc, 19);
  EXPECT_NE(r.tid, gettid());
  EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), niceAntes);
}

TEST(HilosDeTrabajo, LaPrioridadNormalConservaLaDelQueLoInicia) {
  CTestHost host;
  const int niceAntes = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  Prioridades r;
  auto hilo = AfxBeginThread(LeerPrioridad, &r, THREAD_PRIORITY_NORMAL);
  ASSERT_NE(hilo, nullptr);
  EsperarFin(hilo->m_pEstado);
  EXPECT_EQ(r.nice, niceAntes);
}

}  // namespace
