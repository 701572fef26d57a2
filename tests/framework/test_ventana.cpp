// Windows by handle: posting from any thread, safe after the window is gone,
// and control changes of a worker reaching the control through the queue.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "framework/mensajes.h"
#include "framework/ventana.h"
#include "tests/support/test_host.h"

namespace {

constexpr UINT WM_PRUEBA = WM_USER + 5;

TEST(HandlesDeVentana, CadaVentanaTieneSuHandleYNuncaSeReutiliza) {
  CTestHost host;
  HWND viejo;
  {
    CWnd a;
    viejo = a.GetSafeHwnd();
    EXPECT_NE(viejo, 0u);
    EXPECT_EQ(CWnd::FromHandle(viejo), &a);
  }
  EXPECT_EQ(CWnd::FromHandle(viejo), nullptr);
  CWnd b;
  CWnd c;
  EXPECT_NE(b.GetSafeHwnd(), viejo);
  EXPECT_NE(c.GetSafeHwnd(), viejo);
  EXPECT_NE(b.GetSafeHwnd(), c.GetSafeHwnd());
  EXPECT_EQ(CWnd::FromHandle(0), nullptr);
}

TEST(HandlesDeVentana, LosControlesMuerenConSuVentana) {
  CTestHost host;
  HWND hControl;
  {
    CWnd w;
    CWnd* ctl = w.GetDlgItem(1000);
    ASSERT_NE(ctl, nullptr);
    EXPECT_EQ(w.GetDlgItem(1000), ctl);  // the same control each time
    EXPECT_EQ(ctl->GetDlgCtrlID(), 1000);
    EXPECT_EQ(ctl->GetParent(), &w);
    hControl = ctl->GetSafeHwnd();
    EXPECT_EQ(CWnd::FromHandle(hControl), ctl);
  }
  EXPECT_EQ(CWnd::FromHandle(hControl), nullptr);
}

TEST(HandlesDeVentana, AddControlNoPisaUnControlExistente) {
  CTestHost host;
  CWnd w;
  w.AddControl(7, "uno");
  w.GetDlgItem(7)->SetWindowText("cambiado");
  EXPECT_EQ(w.AddControl(7, "otro")->GetWindowText(), "cambiado");
  EXPECT_EQ(w.Controls().size(), 1u);
}

TEST(HandlesDeVentana, UnTrabajadorPuedeBuscarControlesMientrasElHiloUiLosCrea) {
  CTestHost host;
  CWnd vista;
  std::thread t([&vista] {
    for (int id = 0; id < 200; ++id) vista.GetDlgItem(id)->EnableWindow(FALSE);
  });
  for (int id = 199; id >= 0; --id) vista.GetDlgItem(id);
  t.join();
  AfxPumpMessages();
  ASSERT_EQ(vista.Controls().size(), 200u);
  for (const auto& c : vista.Controls()) EXPECT_FALSE(c->IsWindowEnabled());
}

TEST(MensajesPublicados, LleganEnOrdenAlBombearYNoAntes) {
  CTestHost host;
  CVentanaRegistro w;
  EXPECT_TRUE(PostMessage(w.GetSafeHwnd(), WM_PRUEBA, 1, 2));
  EXPECT_TRUE(PostMessage(w.GetSafeHwnd(), WM_PRUEBA + 1, 0, 0));
  EXPECT_TRUE(PostMessage(w.GetSafeHwnd(), WM_PRUEBA, 3, -4));
  EXPECT_TRUE(w.recibidos.empty());
  AfxPumpMessages();
  ASSERT_EQ(w.recibidos.size(), 3u);
  EXPECT_EQ(w.recibidos[0].message, WM_PRUEBA);
  EXPECT_EQ(w.recibidos[0].wParam, 1u);
  EXPECT_EQ(w.recibidos[0].lParam, 2);
  EXPECT_EQ(w.recibidos[1].message, WM_PRUEBA + 1);
  EXPECT_EQ(w.recibidos[2].wParam, 3u);
  EXPECT_EQ(w.recibidos[2].lParam, -4);
}

TEST(MensajesPublicados, UnHandleNuloSeRechaza) {
  CTestHost host;
  EXPECT_FALSE(PostMessage(0, WM_PRUEBA, 0, 0));
  EXPECT_EQ(AfxPumpMessages(), 0);
}

TEST(MensajesPublicados, SeDescartanParaUnaVentanaQueYaNoEsta) {
  CTestHost host;
  auto w = std::make_unique<CVentanaRegistro>();
  const HWND h = w->GetSafeHwnd();
  EXPECT_TRUE(PostMessage(h, WM_PRUEBA, 0, 0));  // queued while alive
  w.reset();
  EXPECT_TRUE(PostMessage(h, WM_PRUEBA, 0, 0));  // posted after it is gone
  // A window created now must not receive the old window's messages.
  CVentanaRegistro nueva;
  AfxPumpMessages();
  EXPECT_TRUE(nueva.recibidos.empty());
}

TEST(MensajesPublicados, DesdeVariosHilosLlegaCadaUnoEnElOrdenDeSuHilo) {
  CTestHost host;
  CVentanaRegistro w;
  const HWND h = w.GetSafeHwnd();
  constexpr int kPorHilo = 500;
  std::thread a([h] { for (int i = 0; i < kPorHilo; ++i) PostMessage(h, WM_PRUEBA, 0, i); });
  std::thread b([h] { for (int i = 0; i < kPorHilo; ++i) PostMessage(h, WM_PRUEBA, 1, i); });
  a.join();
  b.join();
  AfxPumpMessages();
  ASSERT_EQ(w.recibidos.size(), 2u * kPorHilo);
  LPARAM siguiente[2] = {0, 0};
  for (const auto& m : w.recibidos) {
    ASSERT_LT(m.wParam, 2u);
    EXPECT_EQ(m.lParam, siguiente[m.wParam]);
    ++siguiente[m.wParam];
  }
}

TEST(ControlesDesdeUnHilo, EnableWindowDeUnHiloLlegaSoloPorLaCola) {
  CTestHost host;
  CWnd vista;
  CWnd* boton = vista.GetDlgItem(32771);
  CPeerRegistro peer;
  boton->SetPeer(&peer);
  std::thread t([boton] { boton->EnableWindow(FALSE); });
  t.join();
  EXPECT_TRUE(boton->IsWindowEnabled());  // untouched until the queue runs
  EXPECT_EQ(peer.cambios, 0);
  AfxPumpMessages();
  EXPECT_FALSE(boton->IsWindowEnabled());
  EXPECT_EQ(peer.cambios, 1);
  EXPECT_FALSE(peer.fueraDelHiloUi);
}

TEST(ControlesDesdeUnHilo, ShowWindowDeUnHiloLlegaPorLaCola) {
  CTestHost host;
  CWnd vista;
  CWnd* ctl = vista.GetDlgItem(1031);
  std::thread t([ctl] { ctl->ShowWindow(SW_HIDE); });
  t.join();
  EXPECT_TRUE(ctl->IsWindowVisible());
  AfxPumpMessages();
  EXPECT_FALSE(ctl->IsWindowVisible());
}

TEST(ControlesDesdeUnHilo, ElCambioSeDescartaSiLaVentanaSeCerro) {
  CTestHost host;
  auto vista = std::make_unique<CWnd>();
  CWnd* boton = vista->GetDlgItem(32771);
  std::thread t([boton] {
    boton->EnableWindow(FALSE);
    boton->ShowWindow(SW_HIDE);
    boton->Invalidate();
  });
  t.join();
  vista.reset();
  EXPECT_EQ(AfxPumpMessages(), 3);  // run, found nothing, harmless
}

TEST(ControlesDesdeUnHilo, EnElHiloUiElCambioEsInmediatoYAvisaAlPeer) {
  CTestHost host;
  CWnd w;
  CPeerRegistro peer;
  w.SetPeer(&peer);
  w.EnableWindow(FALSE);
  EXPECT_FALSE(w.IsWindowEnabled());
  w.ShowWindow(SW_HIDE);
  EXPECT_FALSE(w.IsWindowVisible());
  w.ShowWindow(SW_SHOW);
  EXPECT_TRUE(w.IsWindowVisible());
  w.SetWindowText("Entrenando");
  EXPECT_EQ(w.GetWindowText(), "Entrenando");
  w.SetCheck(1);
  EXPECT_EQ(w.GetCheck(), 1);
  EXPECT_EQ(peer.cambios, 5);
  w.Invalidate();
  EXPECT_EQ(peer.repintados, 1);
}

}  // namespace
