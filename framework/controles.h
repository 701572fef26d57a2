// Controls that hold more than a text: the drop-down list (combo box) and
// the report-style list (list control). They keep their contents in the
// model, as every control keeps its text; the host shows them through the
// control's peer and reports the user's choice back.
#pragma once

#include <memory>
#include <vector>

#include "framework/ventana.h"
#include "resources/plantillas.h"

class CDataExchange;

// Notification codes that a control sends its dialog (CDialog::OnNotificacion).
constexpr UINT CBN_SELCHANGE = 1;  // the user chose another item of a combo box
constexpr UINT EN_KILLFOCUS = 0x0200;  // an edit lost the focus (or Return was pressed in it)

constexpr int CB_ERR = -1;

class CComboBox : public CWnd {
 public:
  int AddString(const CString& texto);
  int InsertString(int nIndex, const CString& texto);
  int DeleteString(int nIndex);
  void ResetContent();
  // All the items at once, the selection cleared: the host is told once.
  void SetElementos(std::vector<CString> elementos);
  int GetCount() const { return static_cast<int>(m_elementos.size()); }
  // The selected item, or CB_ERR when none is.
  int GetCurSel() const { return m_nSeleccion; }
  // CB_ERR (and no selection) for an index out of range.
  int SetCurSel(int nIndex);
  CString GetLBText(int nIndex) const;
  const std::vector<CString>& Elementos() const { return m_elementos; }

 private:
  std::vector<CString> m_elementos;
  int m_nSeleccion = CB_ERR;
};

// Column alignment of a list control.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

class CListCtrl : public CWnd {
 public:
  struct Columna {
    CString strTitulo;
    int nFormato;
  };

  int InsertColumn(int nCol, const CString& titulo, int nFormato = LVCFMT_LEFT);
  BOOL DeleteColumn(int nCol);
  int GetColumnCount() const { return static_cast<int>(m_columnas.size()); }
  // Rows ("items"): the first cell is the item's text, the others its
  // subitems.
  int InsertItem(int nItem, const CString& texto);
  BOOL SetItemText(int nItem, int nSubItem, const CString& texto);
  CString GetItemText(int nItem, int nSubItem) const;
  int GetItemCount() const { return static_cast<int>(m_filas.size()); }
  BOOL DeleteAllItems();
  // Filling many cells: the host is told once, when drawing is allowed again.
  void SetRedraw(BOOL bRedraw = TRUE);

  const std::vector<Columna>& Columnas() const { return m_columnas; }
  const std::vector<std::vector<CString>>& Filas() const { return m_filas; }

 private:
  void Cambiado();
  std::vector<Columna> m_columnas;
  std::vector<std::vector<CString>> m_filas;  // each as wide as the columns
  bool m_bRedibujar = true;
  bool m_bPendiente = false;
};

// Selection exchange of a combo box: the item's index (CB_ERR for none).
void DDX_CBIndex(CDataExchange* pDX, int id, int& index);

// The model of a template control: a combo box or a list control for those
// kinds, a plain window for the others.
std::unique_ptr<CWnd> AfxNuevoControl(TipoControl tipo);
