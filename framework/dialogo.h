// Modal dialogs with data exchange and validation, and file dialogs.
#pragma once

#include <vector>

#include "framework/afx.h"
#include "framework/ventana.h"

class CDialog;

// Thrown by CDataExchange::Fail and caught by UpdateData.
struct CUserException {};

class CDataExchange {
 public:
  CDataExchange(CDialog* pDlg, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlg) {}
  // Abandons the exchange: the dialog stays open and the focus goes to the
  // control last exchanged (m_idLastControl).
  [[noreturn]] void Fail();
  BOOL m_bSaveAndValidate;
  CDialog* m_pDlgWnd;
  int m_idLastControl = 0;
};

// Text exchange. Doubles are shown with "%.*g" and 15 digits; a text that is
// not a whole number fails with "Introduzca un número." (doubles) or
// "Introduzca un número entero positivo." (counts).
void DDX_Text(CDataExchange* pDX, int id, CString& value);
void DDX_Text(CDataExchange* pDX, int id, double& value);
void DDX_Text(CDataExchange* pDX, int id, UINT& value);
void DDX_Check(CDataExchange* pDX, int id, BOOL& value);
// Range checks, inclusive, only when saving: "Introduzca un número entre %1
// y %2." and "Introduzca un número entero entre %1 y %2.".
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);

// What DDX_Text and then DDV_MinMax* make of a number typed as text, for a
// check made without a dialog: an empty text when the value is accepted
// (and stored), otherwise the message the dialog would show.
CString RechazoTextoDouble(const CString& texto, double minVal, double maxVal, double& value);
CString RechazoTextoUInt(const CString& texto, UINT minVal, UINT maxVal, UINT& value);

class CDialog : public CWnd {
 public:
  // Builds the control model from the template (every control with its id
  // and template text).
  explicit CDialog(UINT nIDTemplate, CWnd* pParent = nullptr);
  UINT GetTemplateId() const { return m_nIDTemplate; }

  // Through the host. Returns the value given to EndDialog.
  virtual INT_PTR DoModal();
  // Hooks the host calls: OnInitDialog once the dialog is shown (default:
  // UpdateData(FALSE)); OnOK (default: UpdateData(TRUE), then EndDialog(IDOK));
  // OnCancel (default: EndDialog(IDCANCEL)); OnCommand for any other button.
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual bool OnCommand(int id) { (void)id; return false; }
  // A control's notification (CBN_SELCHANGE, EN_KILLFOCUS), as the classic
  // command message carries it.
  virtual bool OnNotificacion(int id, UINT nCodigo) { (void)id; (void)nCodigo; return false; }
  virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }

  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  void EndDialog(INT_PTR nResult);
  bool IsEnded() const { return m_bEnded; }
  INT_PTR GetResult() const { return m_nResult; }
  // The control that a failed validation left the focus on (0 for none).
  int GetFocusControl() const { return m_idFocus; }
  void SetFocusControl(int id) { m_idFocus = id; }

 protected:
  UINT m_nIDTemplate;
  bool m_bEnded = false;
  INT_PTR m_nResult = IDCANCEL;
  int m_idFocus = 0;
};

// Flags of the file dialog.
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;

struct FiltroFichero {
  CString nombre;   // "Ficheros ASCII (*.txt;*.dat)"
  CString patron;   // "*.txt;*.dat"
};

class CFileDialog {
 public:
  CFileDialog(BOOL bOpenFileDialog, const CString& defExt, const CString& fileName, DWORD flags,
              std::vector<FiltroFichero> filtros, const CString& titulo)
      : m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(defExt), m_strFileName(fileName), m_dwFlags(flags),
        m_filtros(std::move(filtros)), m_strTitulo(titulo) {}
  INT_PTR DoModal();
  CString GetPathName() const { return m_strPathName; }
  // The chosen name's extension, without the point.
  CString GetFileExt() const;

  BOOL m_bOpenFileDialog;
  CString m_strDefExt;
  CString m_strFileName;
  DWORD m_dwFlags;
  std::vector<FiltroFichero> m_filtros;
  CString m_strTitulo;
  // A name typed without extension takes the chosen filter's (its first
  // pattern "*.ext"), not m_strDefExt: the filter says what is written.
  BOOL m_bExtensionDelFiltro = FALSE;
  CString m_strPathName;  // set by the host on IDOK (the default extension added)
};

// The extension of a path's file name (the text after its last point),
// without the point; empty when the name has none.
CString AfxExtensionFichero(const CString& ruta);
