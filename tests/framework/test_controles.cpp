// Combo boxes and list controls: their contents in the model, the
// selection kept as items come and go, the selection exchange, and a
// list's host told once for a batch of changes.
#include <gtest/gtest.h>

#include "framework/controles.h"
#include "framework/dialogo.h"
#include "resources/resource.h"
#include "tests/support/test_host.h"

TEST(Controles, ComboConservaSuEleccion) {
  CComboBox cb;
  EXPECT_EQ(cb.GetCurSel(), CB_ERR);
  EXPECT_EQ(cb.AddString("coma"), 0);
  EXPECT_EQ(cb.AddString("tab"), 1);
  EXPECT_EQ(cb.SetCurSel(1), 1);
  // An item put before the chosen one moves the choice with its item.
  EXPECT_EQ(cb.InsertString(0, "Automático: coma"), 0);
  EXPECT_EQ(cb.GetCurSel(), 2);
  EXPECT_EQ(cb.GetLBText(2), "tab");
  EXPECT_EQ(cb.DeleteString(0), 2);
  EXPECT_EQ(cb.GetCurSel(), 1);
  // The chosen item itself gone: no choice; out of range: none either.
  cb.DeleteString(1);
  EXPECT_EQ(cb.GetCurSel(), CB_ERR);
  EXPECT_EQ(cb.SetCurSel(5), CB_ERR);
  EXPECT_EQ(cb.GetLBText(5), "");
  EXPECT_EQ(cb.DeleteString(-1), CB_ERR);
  cb.ResetContent();
  EXPECT_EQ(cb.GetCount(), 0);
  EXPECT_EQ(cb.GetCurSel(), CB_ERR);
  // Every item at once: the host hears of it once, whatever their number.
  CPeerRegistro peer;
  cb.SetPeer(&peer);
  cb.SetElementos(std::vector<CString>(20000, "columna"));
  EXPECT_EQ(peer.cambios, 1);
  EXPECT_EQ(cb.GetCount(), 20000);
  EXPECT_EQ(cb.GetCurSel(), CB_ERR);
  cb.SetPeer(nullptr);
}

TEST(Controles, ListaDeFilasYColumnas) {
  CListCtrl l;
  CPeerRegistro peer;
  l.SetPeer(&peer);
  EXPECT_EQ(l.InsertColumn(0, "Línea", LVCFMT_RIGHT), 0);
  EXPECT_EQ(l.InsertColumn(1, "a"), 1);
  EXPECT_EQ(l.InsertItem(0, "2"), 0);
  EXPECT_TRUE(l.SetItemText(0, 1, "1,5"));
  EXPECT_FALSE(l.SetItemText(0, 2, "fuera"));
  EXPECT_FALSE(l.SetItemText(1, 0, "fuera"));
  // A column put between keeps every row as wide as the headings.
  EXPECT_EQ(l.InsertColumn(1, "nueva"), 1);
  EXPECT_EQ(l.GetItemText(0, 1), "");
  EXPECT_EQ(l.GetItemText(0, 2), "1,5");
  EXPECT_EQ(l.Columnas()[0].nFormato, LVCFMT_RIGHT);
  EXPECT_TRUE(l.DeleteColumn(1));
  EXPECT_EQ(l.GetItemText(0, 1), "1,5");
  EXPECT_EQ(peer.cambios, 6);

  // While drawing is off the host hears nothing; then once.
  l.SetRedraw(FALSE);
  l.DeleteAllItems();
  for (int i = 0; i < 20; ++i) l.SetItemText(l.InsertItem(i, "x"), 1, "y");
  EXPECT_EQ(peer.cambios, 6);
  l.SetRedraw(TRUE);
  EXPECT_EQ(peer.cambios, 7);
  EXPECT_EQ(l.GetItemCount(), 20);
  l.SetPeer(nullptr);
}

namespace {

class CDialogoCombo : public CDialog {
 public:
  CDialogoCombo() : CDialog(IDD_IMPORTAR) {}
  void DoDataExchange(CDataExchange* pDX) override { DDX_CBIndex(pDX, IDC_ESCALA, m_nEscala); }
  int m_nEscala = 1;
};

}  // namespace

// A template's combo boxes and lists are built as such; the selection is
// exchanged by index both ways.
TEST(Controles, PlantillaYIntercambio) {
  CTestHost host;
  CDialogoCombo dlg;
  auto* cb = dynamic_cast<CComboBox*>(dlg.GetDlgItem(IDC_ESCALA));
  ASSERT_NE(cb, nullptr);
  EXPECT_NE(dynamic_cast<CListCtrl*>(dlg.GetDlgItem(IDC_VISTA_PREVIA)), nullptr);
  EXPECT_EQ(dynamic_cast<CComboBox*>(dlg.GetDlgItem(IDC_TABLA)), nullptr);
  cb->AddString("Mín-máx a [0, 1]");
  cb->AddString("Ninguna");
  ASSERT_TRUE(dlg.UpdateData(FALSE));
  EXPECT_EQ(cb->GetCurSel(), 1);
  cb->SetCurSel(0);
  ASSERT_TRUE(dlg.UpdateData(TRUE));
  EXPECT_EQ(dlg.m_nEscala, 0);
  // The clipboard goes through the host.
  EXPECT_TRUE(AfxSetClipboardText("a\tb\n"));
  EXPECT_EQ(host.portapapeles, "a\tb\n");
}
