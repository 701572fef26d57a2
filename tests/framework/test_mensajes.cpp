// The user-interface queue: posted work runs in order on the pump, blocking
// requests of workers are served, nothing runs on the wrong thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "framework/host.h"
#include "framework/mensajes.h"
#include "tests/support/test_host.h"

namespace {

TEST(ColaUi, LoPublicadoCorreEnOrdenSoloAlBombear) {
  CTestHost host;
  std::vector<int> orden;
  AfxPostToUi([&] { orden.push_back(1); });
  AfxPostToUi([&] { orden.push_back(2); });
  EXPECT_TRUE(orden.empty());
  EXPECT_EQ(AfxPumpMessages(), 2);
  EXPECT_EQ(orden, (std::vector<int>{1, 2}));
  EXPECT_EQ(AfxPumpMessages(), 0);
}

TEST(ColaUi, LoPublicadoDuranteUnBombeoEsperaAlSiguiente) {
  CTestHost host;
  int veces = 0;
  AfxPostToUi([&] {
    ++veces;
    AfxPostToUi([&] { ++veces; });
  });
  EXPECT_EQ(AfxPumpMessages(), 1);
  EXPECT_EQ(veces, 1);
  EXPECT_EQ(AfxPumpMessages(), 1);
  EXPECT_EQ(veces, 2);
}

TEST(ColaUi, SendEnElHiloUiCorreEnElActo) {
  CTestHost host;
  bool hecho = false;
  AfxSendToUi([&] { hecho = true; });
  EXPECT_TRUE(hecho);
}

TEST(ColaUi, ElHiloUiEsElDelHostYNoUnTrabajador) {
  CTestHost host;
  EXPECT_TRUE(AfxIsUiThread());
  bool enTrabajador = true;
  std::thread t([&] { enTrabajador = AfxIsUiThread(); });
  t.join();
  EXPECT_FALSE(enTrabajador);
}

TEST(ColaUi, ElMensajeDeUnTrabajadorLoMuestraElHiloUiYDevuelveLaRespuesta) {
  CTestHost host;
  host.respuestasMensaje.push_back(IDNO);
  std::atomic<int> respuesta{0};
  std::thread t([&] { respuesta = AfxMessageBox("¿Seguro?", MB_YESNO); });
  // The worker waits for its box; the pump serves it.
  while (host.Textos().empty()) {
    AfxPumpMessages();
    std::this_thread::yield();
  }
  t.join();
  EXPECT_EQ(respuesta.load(), IDNO);
  ASSERT_EQ(host.Mensajes().size(), 1u);
  EXPECT_EQ(host.Mensajes()[0].texto, "¿Seguro?");
  EXPECT_EQ(host.Mensajes()[0].estilo, MB_YESNO);
}

TEST(ColaUi, UnaEsperaDelHiloUiSirveLasPeticionesBloqueantes) {
  CTestHost host;
  std::atomic<bool> listo{false};
  std::thread t([&] {
    AfxSendToUi([&] { EXPECT_TRUE(AfxIsUiThread()); });
    listo = true;
    AfxNotifyWaiters();
  });
  AfxUiWait([&] { return listo.load(); });
  t.join();
  EXPECT_TRUE(listo.load());
}

}  // namespace
