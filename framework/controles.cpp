#include "framework/controles.h"

#include "framework/dialogo.h"

// ---------------------------------------------------------------- CComboBox

int CComboBox::AddString(const CString& texto) { return InsertString(GetCount(), texto); }

int CComboBox::InsertString(int nIndex, const CString& texto) {
  if (nIndex < 0 || nIndex > GetCount()) nIndex = GetCount();
  m_elementos.insert(m_elementos.begin() + nIndex, texto);
  if (m_nSeleccion >= nIndex) ++m_nSeleccion;
  Notificar();
  return nIndex;
}

int CComboBox::DeleteString(int nIndex) {
  if (nIndex < 0 || nIndex >= GetCount()) return CB_ERR;
  m_elementos.erase(m_elementos.begin() + nIndex);
  if (m_nSeleccion == nIndex) m_nSeleccion = CB_ERR;
  else if (m_nSeleccion > nIndex) --m_nSeleccion;
  Notificar();
  return GetCount();
}

void CComboBox::ResetContent() {
  m_elementos.clear();
  m_nSeleccion = CB_ERR;
  Notificar();
}

void CComboBox::SetElementos(std::vector<CString> elementos) {
  m_elementos = std::move(elementos);
  m_nSeleccion = CB_ERR;
  Notificar();
}

int CComboBox::SetCurSel(int nIndex) {
  m_nSeleccion = nIndex >= 0 && nIndex < GetCount() ? nIndex : CB_ERR;
  Notificar();
  return m_nSeleccion;
}

CString CComboBox::GetLBText(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_elementos[static_cast<std::size_t>(nIndex)] : CString();
}

// ---------------------------------------------------------------- CListCtrl

int CListCtrl::InsertColumn(int nCol, const CString& titulo, int nFormato) {
  if (nCol < 0 || nCol > GetColumnCount()) nCol = GetColumnCount();
  m_columnas.insert(m_columnas.begin() + nCol, Columna{titulo, nFormato});
  for (auto& f : m_filas) f.insert(f.begin() + nCol, CString());
  Cambiado();
  return nCol;
}

BOOL CListCtrl::DeleteColumn(int nCol) {
  if (nCol < 0 || nCol >= GetColumnCount()) return FALSE;
  m_columnas.erase(m_columnas.begin() + nCol);
  for (auto& f : m_filas) f.erase(f.begin() + nCol);
  Cambiado();
  return TRUE;
}

int CListCtrl::InsertItem(int nItem, const CString& texto) {
  if (nItem < 0 || nItem > GetItemCount()) nItem = GetItemCount();
  std::vector<CString> fila(m_columnas.empty() ? 1 : m_columnas.size());
  fila[0] = texto;
  m_filas.insert(m_filas.begin() + nItem, std::move(fila));
  Cambiado();
  return nItem;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const CString& texto) {
  if (nItem < 0 || nItem >= GetItemCount() || nSubItem < 0) return FALSE;
  auto& fila = m_filas[static_cast<std::size_t>(nItem)];
  if (static_cast<std::size_t>(nSubItem) >= fila.size()) return FALSE;
  fila[static_cast<std::size_t>(nSubItem)] = texto;
  Cambiado();
  return TRUE;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
  if (nItem < 0 || nItem >= GetItemCount() || nSubItem < 0) return CString();
  const auto& fila = m_filas[static_cast<std::size_t>(nItem)];
  return static_cast<std::size_t>(nSubItem) < fila.size() ? fila[static_cast<std::size_t>(nSubItem)] : CString();
}

BOOL CListCtrl::DeleteAllItems() {
  m_filas.clear();
  Cambiado();
  return TRUE;
}

void CListCtrl::SetRedraw(BOOL bRedraw) {
  m_bRedibujar = bRedraw != FALSE;
  if (m_bRedibujar && m_bPendiente) {
    m_bPendiente = false;
    Notificar();
  }
}

void CListCtrl::Cambiado() {
  if (m_bRedibujar) Notificar();
  else m_bPendiente = true;
}

// ---------------------------------------------------------------- exchange

void DDX_CBIndex(CDataExchange* pDX, int id, int& index) {
  pDX->m_idLastControl = id;
  auto* combo = dynamic_cast<CComboBox*>(pDX->m_pDlgWnd->GetDlgItem(id));
  if (!combo) return;
  if (pDX->m_bSaveAndValidate) index = combo->GetCurSel();
  else combo->SetCurSel(index);
}

std::unique_ptr<CWnd> AfxNuevoControl(TipoControl tipo) {
  switch (tipo) {
    case TipoControl::Combo:
      return std::make_unique<CComboBox>();
    case TipoControl::Lista:
      return std::make_unique<CListCtrl>();
    default:
      return std::make_unique<CWnd>();
  }
}
