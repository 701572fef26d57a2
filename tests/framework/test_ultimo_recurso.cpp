// The framework's last handler: an exception that escapes a dialog's
// check, a posted message or a worker thread is reported with its message
// and the program goes on; the dialog stays open, the queue runs on, the
// thread counts as ended.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "framework/dialogo.h"
#include "framework/hilos.h"
#include "framework/host.h"
#include "framework/mensajes.h"
#include "tests/support/test_host.h"

namespace {

constexpr int kTexto = 1000;

// A check that runs out of memory (as measuring a file may).
class CDialogoSinMemoria : public CDialog {
 public:
  CDialogoSinMemoria() : CDialog(0) {}
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kTexto, m_strTexto);
    if (pDX->m_bSaveAndValidate && m_bFallar) throw std::bad_alloc();
  }
  CString m_strTexto;
  bool m_bFallar = true;
};

UINT HiloQueLanza(void* p) {
  if (p != nullptr) AfxThrowMemoryException();
  throw std::runtime_error("sin texto propio");
}

}  // namespace

TEST(UltimoRecurso, UnaComprobacionSinMemoriaSeDiceYElDialogoSigueAbierto) {
  CTestHost host;
  CDialogoSinMemoria d;
  d.OnInitDialog();
  PulsarOK(d);
  EXPECT_FALSE(d.IsEnded());
  EXPECT_EQ(host.Textos(), std::vector<CString>{"Memoria insuficiente."});
  // Once there is memory again, OK goes through.
  d.m_bFallar = false;
  PulsarOK(d);
  EXPECT_TRUE(d.IsEnded());
}

TEST(UltimoRecurso, UnMensajeQueFallaSeDiceYLaColaSigue) {
  CTestHost host;
  int despues = 0;
  AfxPostToUi([] { AfxThrowMemoryException(); });
  AfxPostToUi([] { throw CArchiveException(CArchiveException::endOfFile); });
  AfxPostToUi([&] { ++despues; });
  EXPECT_EQ(AfxPumpMessages(), 3);
  EXPECT_EQ(despues, 1);
  EXPECT_EQ(host.Textos(), (std::vector<CString>{"Memoria insuficiente.",
                                                 "El fichero termina antes de lo esperado: está incompleto o dañado."}));
}

TEST(UltimoRecurso, UnHiloQueLanzaSeDiceYTermina) {
  CTestHost host;
  int marca = 0;
  for (void* p : {static_cast<void*>(&marca), static_cast<void*>(nullptr)}) {
    auto hilo = AfxBeginThread(HiloQueLanza, p);
    ASSERT_TRUE(hilo);
    DWORD codigo = STILL_ACTIVE;
    // Its message box is served by this, the user-interface thread.
    while (GetExitCodeThread(hilo, &codigo) && codigo == STILL_ACTIVE) AfxPumpMessages();
    EXPECT_NE(codigo, STILL_ACTIVE);
  }
  EXPECT_EQ(host.Textos(), (std::vector<CString>{"Memoria insuficiente.", "Error interno de la aplicación."}));
}
