#include "framework/dialogo.h"

#include <cmath>

#include "framework/controles.h"
#include "framework/host.h"
#include "framework/texto.h"
#include "resources/plantillas.h"

namespace {

bool EsBlanco(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Optional blanks, a number in the C convention, optional blanks, nothing
// else. "0,5" and "" are not numbers, whatever the user's locale.
bool LeerDouble(const CString& texto, double& valor) {
  const char* p = texto.c_str();
  while (EsBlanco(*p)) ++p;
  if (*p == '\0') return false;
  const char* fin = p;
  const double v = AtofC(p, &fin);
  if (fin == p) return false;
  while (EsBlanco(*fin)) ++fin;
  if (*fin != '\0' || static_cast<std::size_t>(fin - texto.c_str()) != texto.size()) return false;
  if (!std::isfinite(v)) return false;
  valor = v;
  return true;
}

// Digits only, with optional surrounding blanks, within 32 bits.
bool LeerUInt(const CString& texto, UINT& valor) {
  std::size_t i = 0;
  const std::size_t n = texto.size();
  while (i < n && EsBlanco(texto[i])) ++i;
  std::uint64_t v = 0;
  std::size_t digitos = 0;
  while (i < n && texto[i] >= '0' && texto[i] <= '9') {
    v = v * 10 + static_cast<std::uint64_t>(texto[i] - '0');
    if (v > 0xFFFFFFFFull) return false;
    ++i;
    ++digitos;
  }
  if (digitos == 0) return false;
  while (i < n && EsBlanco(texto[i])) ++i;
  if (i != n) return false;
  valor = static_cast<UINT>(v);
  return true;
}

CString TextoDouble(double v) { return FormatC("%.*g", 15, v); }

// The framework's "%1 y %2" messages.
CString Rango(const char* plantilla, const CString& a, const CString& b) {
  CString s = plantilla;
  const auto p1 = s.find("%1");
  if (p1 != CString::npos) s.replace(p1, 2, a);
  const auto p2 = s.find("%2");
  if (p2 != CString::npos) s.replace(p2, 2, b);
  return s;
}

const char* const NO_ES_NUMERO = "Introduzca un número.";
const char* const NO_ES_ENTERO = "Introduzca un número entero positivo.";
CString FueraDeRangoDouble(double minVal, double maxVal) {
  return Rango("Introduzca un número entre %1 y %2.", TextoDouble(minVal), TextoDouble(maxVal));
}
CString FueraDeRangoUInt(UINT minVal, UINT maxVal) {
  return Rango("Introduzca un número entero entre %1 y %2.", FormatC("%u", minVal), FormatC("%u", maxVal));
}

[[noreturn]] void Rechazar(CDataExchange* pDX, const CString& texto) {
  AfxMessageBox(texto, MB_ICONEXCLAMATION, 0);
  pDX->Fail();
}

}  // namespace

// ---------------------------------------------------------------- exchange

void CDataExchange::Fail() {
  if (m_pDlgWnd) m_pDlgWnd->SetFocusControl(m_idLastControl);
  throw CUserException();
}

void DDX_Text(CDataExchange* pDX, int id, CString& value) {
  pDX->m_idLastControl = id;
  CWnd* ctl = pDX->m_pDlgWnd->GetDlgItem(id);
  if (pDX->m_bSaveAndValidate) value = ctl->GetWindowText();
  else ctl->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int id, double& value) {
  pDX->m_idLastControl = id;
  CWnd* ctl = pDX->m_pDlgWnd->GetDlgItem(id);
  if (!pDX->m_bSaveAndValidate) {
    ctl->SetWindowText(TextoDouble(value));
    return;
  }
  double v = 0.0;
  if (!LeerDouble(ctl->GetWindowText(), v)) Rechazar(pDX, NO_ES_NUMERO);
  value = v;
}

void DDX_Text(CDataExchange* pDX, int id, UINT& value) {
  pDX->m_idLastControl = id;
  CWnd* ctl = pDX->m_pDlgWnd->GetDlgItem(id);
  if (!pDX->m_bSaveAndValidate) {
    ctl->SetWindowText(FormatC("%u", value));
    return;
  }
  UINT v = 0;
  if (!LeerUInt(ctl->GetWindowText(), v)) Rechazar(pDX, NO_ES_ENTERO);
  value = v;
}

void DDX_Check(CDataExchange* pDX, int id, BOOL& value) {
  pDX->m_idLastControl = id;
  CWnd* ctl = pDX->m_pDlgWnd->GetDlgItem(id);
  if (pDX->m_bSaveAndValidate) value = ctl->GetCheck();
  else ctl->SetCheck(value);
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal) {
  if (!pDX->m_bSaveAndValidate) return;
  if (value >= minVal && value <= maxVal) return;  // false for a NaN too
  Rechazar(pDX, FueraDeRangoDouble(minVal, maxVal));
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  if (!pDX->m_bSaveAndValidate) return;
  if (value >= minVal && value <= maxVal) return;
  Rechazar(pDX, FueraDeRangoUInt(minVal, maxVal));
}

CString RechazoTextoDouble(const CString& texto, double minVal, double maxVal, double& value) {
  double v = 0.0;
  if (!LeerDouble(texto, v)) return NO_ES_NUMERO;
  if (!(v >= minVal && v <= maxVal)) return FueraDeRangoDouble(minVal, maxVal);
  value = v;
  return CString();
}

CString RechazoTextoUInt(const CString& texto, UINT minVal, UINT maxVal, UINT& value) {
  UINT v = 0;
  if (!LeerUInt(texto, v)) return NO_ES_ENTERO;
  if (v < minVal || v > maxVal) return FueraDeRangoUInt(minVal, maxVal);
  value = v;
  return CString();
}

// ---------------------------------------------------------------- CDialog

CDialog::CDialog(UINT nIDTemplate, CWnd* pParent) : m_nIDTemplate(nIDTemplate) {
  m_pParent = pParent;
  const PlantillaDialogo* plantilla = AfxBuscarPlantilla(nIDTemplate);
  if (!plantilla) return;
  if (plantilla->titulo) m_strTexto = plantilla->titulo;
  for (const ControlPlantilla& c : plantilla->controles) {
    if (c.id == IDC_STATIC) continue;
    CWnd* ctl = AddControl(c.id, c.texto ? CString(c.texto) : CString(), AfxNuevoControl(c.tipo));
    if (c.estilo & WS_DISABLED_) ctl->EnableWindow(FALSE);
    if (c.estilo & WS_OCULTO_) ctl->ShowWindow(SW_HIDE);
  }
}

INT_PTR CDialog::DoModal() {
  m_bEnded = false;
  m_nResult = IDCANCEL;
  m_idFocus = 0;
  return AfxGetHost().DoModal(*this);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;  // the dialog stays open
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CUserException&) {
    m_idFocus = dx.m_idLastControl;
    return FALSE;
  } catch (...) {
    // A check that ran out of memory: said, and the dialog stays open.
    AfxReportarExcepcion();
    m_idFocus = dx.m_idLastControl;
    return FALSE;
  }
  return TRUE;
}

void CDialog::EndDialog(INT_PTR nResult) {
  m_bEnded = true;
  m_nResult = nResult;
}

// ---------------------------------------------------------------- CFileDialog

INT_PTR CFileDialog::DoModal() { return AfxGetHost().DoModal(*this); }

CString CFileDialog::GetFileExt() const { return AfxExtensionFichero(m_strPathName); }

CString AfxExtensionFichero(const CString& ruta) {
  const auto barra = ruta.find_last_of('/');
  const CString nombre = barra == CString::npos ? ruta : ruta.substr(barra + 1);
  const auto punto = nombre.find_last_of('.');
  return punto == CString::npos ? CString() : nombre.substr(punto + 1);
}
