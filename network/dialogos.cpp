#include "network/dialogos.h"

#include <mutex>

#include "data/conjunto.h"
#include "framework/host.h"
#include "network/parametros.h"
#include "network/verificacion.h"

namespace {

// Help context of the file-field messages.
constexpr UINT AYUDA_FICHERO = 61716;

void Avisar(CDataExchange* pDX, const CString& texto) {
  AfxMessageBox(texto, MB_ICONEXCLAMATION, AYUDA_FICHERO);
  pDX->Fail();
}

std::mutex g_mutexValores;
CNuevaRedDlg::Valores g_valores;

// The open-file dialog of the "Examinar..." buttons; empty when cancelled.
CString ExaminarDatos() {
  CFileDialog dlg(TRUE, CString(), CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FiltrosDatos(),
                  "Examinar Archivos");
  if (dlg.DoModal() != IDOK) return CString();
  return dlg.GetPathName();
}

// The open-file dialog of a scheme; empty when cancelled.
CString ExaminarEsquema() {
  CFileDialog dlg(TRUE, CString(), CString(), OFN_HIDEREADONLY,
                  {{"Esquemas (*.json)", "*.json"}, {"Todos los ficheros (*.*)", "*.*"}}, "Examinar Archivos");
  if (dlg.DoModal() != IDOK) return CString();
  return dlg.GetPathName();
}

}  // namespace

std::vector<FiltroFichero> FiltrosDatos() {
  return {{"Ficheros ASCII (*.txt;*.dat)", "*.txt;*.dat"},
          {"Ficheros Binarios (*.ie3;*.bin)", "*.ie3;*.bin"},
          {"Todos los ficheros (*.*)", "*.*"}};
}

// ---------------------------------------------------------------- validators

void DDV_Fichero(CDataExchange* pDX, CString& value) {
  if (!pDX->m_bSaveAndValidate) return;
  const Resultado<Hecho> r = ComprobarFicheroDatos(value);
  if (!r) Avisar(pDX, r.Mensaje());
}

void DDV_Destino(CDataExchange* pDX, CString& value) {
  if (pDX->m_bSaveAndValidate && value.find_first_not_of(' ') == CString::npos)
    Avisar(pDX, "No ha introducido un fichero");
}

void DDV_FicheroVerificacion(CDataExchange* pDX, CString& strVerificacion, CString& strEntrenamiento) {
  if (!pDX->m_bSaveAndValidate) return;
  const Resultado<Hecho> r = ComprobarFicheroVerificacion(strVerificacion, strEntrenamiento);
  if (!r) Avisar(pDX, r.Mensaje());
}

// ---------------------------------------------------------------- CNuevaRedDlg

CNuevaRedDlg::CNuevaRedDlg(CWnd* pParent) : CDialog(IDD_NUEVA_RED, pParent) {
  const Valores v = ValoresGuardados();
  m_strFicheroEntrenamiento = v.strFicheroEntrenamiento;
  m_dErrorMaximo = v.dErrorMaximo;
  m_nMaxEpocas = v.nMaxEpocas;
  m_dMomento = v.dMomento;
  m_nOcultas = v.nOcultas;
  m_dAprendizaje = v.dAprendizaje;
  m_strFicheroVerificacion = v.strFicheroVerificacion;
  m_bGuardarValores = FALSE;
}

CNuevaRedDlg::~CNuevaRedDlg() {
  if (!m_bGuardarValores) return;
  std::lock_guard<std::mutex> lock(g_mutexValores);
  g_valores = m_aceptados;
}

CNuevaRedDlg::Valores CNuevaRedDlg::ValoresGuardados() {
  std::lock_guard<std::mutex> lock(g_mutexValores);
  return g_valores;
}

DatosNuevaRed CNuevaRedDlg::DatosGuardados() {
  const Valores v = ValoresGuardados();
  DatosNuevaRed d;
  d.strFicheroEntrenamiento = v.strFicheroEntrenamiento;
  d.strFicheroVerificacion = v.strFicheroVerificacion;
  d.nOcultas = v.nOcultas;
  d.dAprendizaje = v.dAprendizaje;
  d.dMomento = v.dMomento;
  d.dErrorMaximo = v.dErrorMaximo;
  d.nMaxEpocas = v.nMaxEpocas;
  return d;
}

void CNuevaRedDlg::RestablecerValores() {
  std::lock_guard<std::mutex> lock(g_mutexValores);
  g_valores = Valores();
}

void CNuevaRedDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_FICHERO_ENTRENAMIENTO, m_strFicheroEntrenamiento);
  DDV_Fichero(pDX, m_strFicheroEntrenamiento);
  DDX_Text(pDX, IDC_ERROR_MAXIMO, m_dErrorMaximo);
  DDV_MinMaxDouble(pDX, m_dErrorMaximo, Parametro(PARAM_ERROR).dMinimo, Parametro(PARAM_ERROR).dMaximo);
  DDX_Text(pDX, IDC_MAX_EPOCAS, m_nMaxEpocas);
  DDV_MinMaxUInt(pDX, m_nMaxEpocas, MinimoEntero(PARAM_EPOCAS), MaximoEntero(PARAM_EPOCAS));
  DDX_Text(pDX, IDC_MOMENTO, m_dMomento);
  DDV_MinMaxDouble(pDX, m_dMomento, Parametro(PARAM_MOMENTO).dMinimo, Parametro(PARAM_MOMENTO).dMaximo);
  DDX_Text(pDX, IDC_OCULTAS, m_nOcultas);
  DDV_MinMaxUInt(pDX, m_nOcultas, MinimoEntero(PARAM_OCULTAS), MaximoEntero(PARAM_OCULTAS));
  DDX_Text(pDX, IDC_APRENDIZAJE, m_dAprendizaje);
  DDV_MinMaxDouble(pDX, m_dAprendizaje, Parametro(PARAM_APRENDIZAJE).dMinimo, Parametro(PARAM_APRENDIZAJE).dMaximo);
  DDX_Text(pDX, IDC_FICHERO_VERIFICACION, m_strFicheroVerificacion);
  DDV_FicheroVerificacion(pDX, m_strFicheroVerificacion, m_strFicheroEntrenamiento);
  DDX_Check(pDX, IDC_GUARDAR_VALORES, m_bGuardarValores);
  if (pDX->m_bSaveAndValidate) {
    // Every field passed: these are the values the destructor may keep.
    m_aceptados.strFicheroEntrenamiento = m_strFicheroEntrenamiento;
    m_aceptados.strFicheroVerificacion = m_strFicheroVerificacion;
    m_aceptados.dErrorMaximo = m_dErrorMaximo;
    m_aceptados.nMaxEpocas = m_nMaxEpocas;
    m_aceptados.dMomento = m_dMomento;
    m_aceptados.nOcultas = m_nOcultas;
    m_aceptados.dAprendizaje = m_dAprendizaje;
  }
}

bool CNuevaRedDlg::OnCommand(int id) {
  switch (id) {
    case IDC_EXAMINAR_ENTRENAMIENTO:
      OnExaminarEntrenamiento();
      return true;
    case IDC_EXAMINAR_VERIFICACION:
      OnExaminarVerificacion();
      return true;
    default:
      return CDialog::OnCommand(id);
  }
}

void CNuevaRedDlg::OnExaminarEntrenamiento() {
  const CString ruta = ExaminarDatos();
  if (ruta.empty()) return;
  m_strFicheroEntrenamiento = ruta;
  GetDlgItem(IDC_FICHERO_ENTRENAMIENTO)->SetWindowText(ruta);
}

void CNuevaRedDlg::OnExaminarVerificacion() {
  const CString ruta = ExaminarDatos();
  if (ruta.empty()) return;
  m_strFicheroVerificacion = ruta;
  GetDlgItem(IDC_FICHERO_VERIFICACION)->SetWindowText(ruta);
}

// ---------------------------------------------------------------- CVerificarDlg

CVerificarDlg::CVerificarDlg(CWnd* pParent) : CDialog(IDD_VERIFICAR, pParent) {}

void CVerificarDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_FICHERO_ENTRENAMIENTO, m_strFichero);
  DDV_Fichero(pDX, m_strFichero);
}

bool CVerificarDlg::OnCommand(int id) {
  if (id == IDC_EXAMINAR) {
    OnExaminar();
    return true;
  }
  return CDialog::OnCommand(id);
}

void CVerificarDlg::OnExaminar() {
  const CString ruta = ExaminarDatos();
  if (!ruta.empty()) m_strFichero = ruta;
  // Whichever way the file dialog ended, the box shows the stored path.
  UpdateData(FALSE);
}

// ---------------------------------------------------------------- CFicherosDatosDlg

CFicherosDatosDlg::CFicherosDatosDlg(CWnd* pParent) : CDialog(IDD_FICHEROS_DATOS, pParent) {}

void CFicherosDatosDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_FICHERO_ENTRENAMIENTO, m_strFicheroEntrenamiento);
  DDV_Fichero(pDX, m_strFicheroEntrenamiento);
  DDX_Text(pDX, IDC_FICHERO_VERIFICACION, m_strFicheroVerificacion);
  DDV_Fichero(pDX, m_strFicheroVerificacion);
}

bool CFicherosDatosDlg::OnCommand(int id) {
  if (id != IDC_EXAMINAR_ENTRENAMIENTO && id != IDC_EXAMINAR_VERIFICACION) return CDialog::OnCommand(id);
  const bool bEntrenamiento = id == IDC_EXAMINAR_ENTRENAMIENTO;
  const CString ruta = ExaminarDatos();
  if (ruta.empty()) return true;
  // Only this field changes: the other keeps what was typed in it.
  (bEntrenamiento ? m_strFicheroEntrenamiento : m_strFicheroVerificacion) = ruta;
  GetDlgItem(bEntrenamiento ? IDC_FICHERO_ENTRENAMIENTO : IDC_FICHERO_VERIFICACION)->SetWindowText(ruta);
  return true;
}

// ---------------------------------------------------------------- COpcionesEntrenamientoDlg

COpcionesEntrenamientoDlg::COpcionesEntrenamientoDlg(CWnd* pParent) : CDialog(IDD_OPCIONES_ENTRENAMIENTO, pParent) {}

BOOL COpcionesEntrenamientoDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  GetDlgItem(IDC_SEMILLA)->EnableWindow(!m_bSemillaFija);
  GetDlgItem(IDC_PACIENCIA)->EnableWindow(!m_bPacienciaFija);
  return TRUE;
}

void COpcionesEntrenamientoDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_SEMILLA, m_strSemilla);
  if (!pDX->m_bSaveAndValidate) DDX_Text(pDX, IDC_NOTA_SEMILLA, m_strNotaSemilla);
  DDX_Text(pDX, IDC_PACIENCIA, m_strPaciencia);
  DDX_Check(pDX, IDC_BARAJAR, m_bBarajar);
  DDX_Text(pDX, IDC_FICHERO_PRUEBA, m_strFicheroPrueba);
  DDX_Check(pDX, IDC_MEDIR_ENTRENAMIENTO, m_bMedirEntrenamiento);
  DDX_Text(pDX, IDC_ESQUEMA, m_strEsquema);
}

bool COpcionesEntrenamientoDlg::OnCommand(int id) {
  if (id != IDC_EXAMINAR_PRUEBA && id != IDC_EXAMINAR_ESQUEMA) return CDialog::OnCommand(id);
  const bool bPrueba = id == IDC_EXAMINAR_PRUEBA;
  const CString ruta = bPrueba ? ExaminarDatos() : ExaminarEsquema();
  if (ruta.empty()) return true;
  // Only this field changes: the others keep what was typed in them.
  (bPrueba ? m_strFicheroPrueba : m_strEsquema) = ruta;
  GetDlgItem(bPrueba ? IDC_FICHERO_PRUEBA : IDC_ESQUEMA)->SetWindowText(ruta);
  return true;
}

// ---------------------------------------------------------------- CMasEpocasDlg

CMasEpocasDlg::CMasEpocasDlg(CWnd* pParent) : CDialog(IDD_MAS_EPOCAS, pParent) {}

void CMasEpocasDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  if (!pDX->m_bSaveAndValidate) DDX_Text(pDX, IDC_EPOCAS_RED, m_strEpocasRed);
  DDX_Text(pDX, IDC_MAS_EPOCAS, m_strMasEpocas);
}

// ---------------------------------------------------------------- CResultadosDlg

CResultadosDlg::CResultadosDlg(CWnd* pParent) : CDialog(IDD_RESULTADOS, pParent) {}

void CResultadosDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_ERROR_TOTAL, m_strErrorTotal);
  DDX_Text(pDX, IDC_RES_FICHERO, m_strFichero);
  DDX_Text(pDX, IDC_RES_MUESTRAS, m_strMuestras);
  DDX_Text(pDX, IDC_ACIERTOS, m_strAciertos);
}

// ---------------------------------------------------------------- CGuardarCambiosDlg

CGuardarCambiosDlg::CGuardarCambiosDlg(CWnd* pParent)
    : CDialog(IDD_GUARDAR_CAMBIOS, pParent), m_btnNo(GetDlgItem(IDC_NO)) {}

void CGuardarCambiosDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_MENSAJE, m_strMensaje);
}

bool CGuardarCambiosDlg::OnCommand(int id) {
  if (id == IDC_NO) {
    OnNo();
    return true;
  }
  return CDialog::OnCommand(id);
}

void CGuardarCambiosDlg::OnNo() { EndDialog(IDC_NO); }
