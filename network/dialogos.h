// The dialogs of the network document: new network (130), verification
// (132), verification results (131), the data files (137), the training
// options (138), more epochs (140) and the "Cerrar todas" question (139).
#pragma once

#include "framework/dialogo.h"
#include "network/parametros.h"
#include "resources/resource.h"

// The filters of every dialog that chooses a data file: text, binary, all.
std::vector<FiltroFichero> FiltrosDatos();

// Validation of a data-file field: refuses an empty path and one that
// cannot be opened for reading.
void DDV_Fichero(CDataExchange* pDX, CString& value);
// A file to be written: named, with the window still open.
void DDV_Destino(CDataExchange* pDX, CString& value);
// Validation of the verification-file field: refuses an empty path and a
// file that cannot be measured or whose inputs or outputs differ from the
// training file's.
void DDV_FicheroVerificacion(CDataExchange* pDX, CString& strVerificacion, CString& strEntrenamiento);

class CNuevaRedDlg : public CDialog {
 public:
  explicit CNuevaRedDlg(CWnd* pParent = nullptr);
  // Keeps the values of the last accepted OK as the next defaults when
  // "Guardar valores" was checked.
  ~CNuevaRedDlg() override;

  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;
  void OnExaminarEntrenamiento();
  void OnExaminarVerificacion();

  CString m_strFicheroEntrenamiento;
  double m_dErrorMaximo;
  UINT m_nMaxEpocas;
  double m_dMomento;
  UINT m_nOcultas;
  double m_dAprendizaje;
  CString m_strFicheroVerificacion;
  BOOL m_bGuardarValores = FALSE;

  // The stored defaults, shared by every instance for the life of the
  // process.
  struct Valores {
    CString strFicheroEntrenamiento;
    CString strFicheroVerificacion;
    double dErrorMaximo = Parametro(PARAM_ERROR).dPorOmision;
    UINT nMaxEpocas = static_cast<UINT>(Parametro(PARAM_EPOCAS).dPorOmision);
    double dMomento = Parametro(PARAM_MOMENTO).dPorOmision;
    UINT nOcultas = static_cast<UINT>(Parametro(PARAM_OCULTAS).dPorOmision);
    double dAprendizaje = Parametro(PARAM_APRENDIZAJE).dPorOmision;
  };
  // The values the dialog would show, as a new network's.
  static DatosNuevaRed DatosGuardados();
  static Valores ValoresGuardados();
  // Back to the values of program start (tests).
  static void RestablecerValores();

 private:
  // The values of the last exchange that passed every check.
  Valores m_aceptados;
};

class CVerificarDlg : public CDialog {
 public:
  explicit CVerificarDlg(CWnd* pParent = nullptr);
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;
  void OnExaminar();

  CString m_strFichero;
};

// NRV › Ficheros de datos... (137): the network's training and
// verification files, each with its "..." button.
class CFicherosDatosDlg : public CDialog {
 public:
  explicit CFicherosDatosDlg(CWnd* pParent = nullptr);
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;

  CString m_strFicheroEntrenamiento;
  CString m_strFicheroVerificacion;
};

// NRV › Opciones de entrenamiento... (138): the options of the network's
// next runs as texts, checked by the document on OK (ComprobarOpcionesRed);
// an empty number is an option not given.
class COpcionesEntrenamientoDlg : public CDialog {
 public:
  explicit COpcionesEntrenamientoDlg(CWnd* pParent = nullptr);
  // The exchange, then the seed and the patience shown only, when fixed.
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;

  CString m_strSemilla;
  CString m_strPaciencia;
  BOOL m_bBarajar = FALSE;
  CString m_strFicheroPrueba;
  BOOL m_bMedirEntrenamiento = FALSE;
  CString m_strEsquema;
  // What the seed does for this network, beside its field.
  CString m_strNotaSemilla;
  bool m_bSemillaFija = false;
  bool m_bPacienciaFija = false;
};

// NRV › Más épocas... (140): how many epochs to add, as typed.
class CMasEpocasDlg : public CDialog {
 public:
  explicit CMasEpocasDlg(CWnd* pParent = nullptr);
  void DoDataExchange(CDataExchange* pDX) override;

  CString m_strEpocasRed;  // what the network has
  CString m_strMasEpocas;
};

class CResultadosDlg : public CDialog {
 public:
  explicit CResultadosDlg(CWnd* pParent = nullptr);
  void DoDataExchange(CDataExchange* pDX) override;

  CString m_strErrorTotal;
  CString m_strFichero;
  CString m_strMuestras;
  CString m_strAciertos;
};

class CGuardarCambiosDlg : public CDialog {
 public:
  explicit CGuardarCambiosDlg(CWnd* pParent = nullptr);
  void DoDataExchange(CDataExchange* pDX) override;
  bool OnCommand(int id) override;
  // Ends the dialog with IDC_NO (1035).
  void OnNo();

  CWnd* m_btnNo;
  CString m_strMensaje;
};
