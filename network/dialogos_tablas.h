// The dialogs of tables and results: importing a table (133), applying the
// network to a file (134), the file of the confusion matrix (135) and the
// matrix itself (136). They gather choices and show results; the commands
// around them call the core's functions.
#pragma once

#include <vector>

#include "data/importar.h"
#include "framework/controles.h"
#include "framework/dialogo.h"
#include "resources/resource.h"

// The file dialogs of tables, schemes and results.
std::vector<FiltroFichero> FiltrosTablas();
std::vector<FiltroFichero> FiltrosEsquemas();
std::vector<FiltroFichero> FiltrosCsv();

class CImportarDlg : public CDialog {
 public:
  explicit CImportarDlg(CWnd* pParent = nullptr);

  // The choices' lists, then the preview of the table given (if any).
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;
  // A choice changed, or the table's or the scheme's path was left: the
  // preview follows.
  bool OnNotificacion(int id, UINT nCodigo) override;
  void OnExaminarTabla();
  void OnExaminarDestino();
  void OnExaminarEsquema();

  // The options of the choices held in the members.
  OpcionesImportacion Opciones() const;
  // Reads the table's first rows with the choices on screen and shows them,
  // with how they were read and what each column becomes.
  void ActualizarVistaPrevia();
  void SugerirNombres();

  // Rows of the preview, and columns: a wider table shows its first ones,
  // so that no table holds the window up.
  static constexpr UINT kFilasVistaPrevia = 20;
  static constexpr UINT kColumnasVistaPrevia = 200;

  CString m_strTabla;
  int m_nSeparador = 0;  // 0 detected, then ",", ";", tab
  int m_nDecimal = 0;    // 0 detected, then ".", ","
  int m_nCabecera = 0;   // 0 detected, then yes, no
  // 0 automatic (the last column when it is not numeric), 1..n the
  // table's column n, n + 1 no class: the last m_nSalidas numeric columns.
  int m_nClase = 0;
  UINT m_nSalidas = 1;
  int m_nEscala = 0;  // 0 minmax, 1 none
  CString m_strDestino;
  CString m_strEsquema;
  // The split into training, verification and test ("70,15,15"; empty:
  // none), its seed and whether class by class, as importar --particion.
  CString m_strParticion;
  CString m_strSemilla = "1";
  BOOL m_bEstratificar = FALSE;

 private:
  CComboBox* Combo(int id) { return static_cast<CComboBox*>(GetDlgItem(id)); }
  // The members from the controls, without validation (for the preview).
  void LeerEleccion();
  // The automatic entries name what was detected; the class entries, the
  // table's columns.
  void RellenarEleccion(const VistaPrevia* pVista);
  void HabilitarSalidas(bool bEsquemaExistente);
  // The seed and Estratificar count only with a split.
  void HabilitarParticion();

  UINT m_nColumnas = 0;  // of the table in the preview
  // The column the automatic choice takes as the class, as the last
  // preview with that choice found it; -1: the last column.
  int m_nClaseAutomatica = -1;
  CString m_strTablaAutomatica;
  // The names this window put in the data file and scheme fields.
  CString m_strDestinoSugerido;
  CString m_strEsquemaSugerido;
  CString m_strTablaVista;   // the table and scheme the preview was made of
  CString m_strEsquemaVista;
};

// A data file, or a table with the scheme that reads it: what the matrix
// and applying the network ask for.
class CDatosEsquemaDlg : public CDialog {
 public:
  explicit CDatosEsquemaDlg(UINT nIDTemplate, CWnd* pParent = nullptr);
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;
  void OnExaminar();
  void OnExaminarEsquema();

  CString m_strFichero;
  CString m_strEsquema;
};

class CAplicarDlg : public CDatosEsquemaDlg {
 public:
  explicit CAplicarDlg(CWnd* pParent = nullptr);
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;
  void OnExaminarSalida();

  CString m_strSalida;
};

class CMatrizDlg : public CDatosEsquemaDlg {
 public:
  explicit CMatrizDlg(CWnd* pParent = nullptr);
};

// Verification of a network with numeric outputs (142): the four figures
// of the results dialog and the list of each output's.
class CResultadosRegresionDlg : public CDialog {
 public:
  explicit CResultadosRegresionDlg(CWnd* pParent = nullptr);
  // The cells into the list: the first row is its headings.
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;

  CString m_strErrorTotal;
  CString m_strFichero;
  CString m_strMuestras;
  CString m_strAciertos;
  CString m_strNota;
  std::vector<std::vector<CString>> m_celdas;
};

class CResultadosMatrizDlg : public CDialog {
 public:
  explicit CResultadosMatrizDlg(CWnd* pParent = nullptr);
  // The matrix's cells into the list: the first row is its headings.
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;
  // The matrix on the clipboard, tab-separated.
  void OnCopiar();

  CString m_strFichero;
  CString m_strMuestras;
  CString m_strAciertos;
  std::vector<std::vector<CString>> m_celdas;
  CString m_strTabulado;
};
