#include "network/dialogos_tablas.h"

#include <algorithm>
#include <filesystem>

#include "data/particion.h"
#include "framework/host.h"
#include "framework/texto.h"
#include "network/dialogos.h"

namespace {

// The file dialog of an "Examinar..." button; empty when cancelled.
CString Examinar(BOOL bAbrir, const CString& strExtension, DWORD flags, std::vector<FiltroFichero> filtros,
                 const CString& titulo) {
  CFileDialog dlg(bAbrir, strExtension, CString(), flags, std::move(filtros), titulo);
  if (dlg.DoModal() != IDOK) return CString();
  return dlg.GetPathName();
}

// A data file, or a table read through a scheme.
std::vector<FiltroFichero> FiltrosDatosYTablas() {
  std::vector<FiltroFichero> f = FiltrosDatos();
  f.insert(f.end() - 1, FiltrosTablas().front());
  return f;
}

CString NombreSeparadorLargo(char c) {
  switch (c) {
    case ';':
      return "punto y coma";
    case '\t':
      return "tabulador";
    default:
      return "coma";
  }
}

void Rellenar(CComboBox* cb, const std::vector<CString>& elementos, int nSeleccion) {
  if (cb->Elementos() != elementos) cb->SetElementos(elementos);
  cb->SetCurSel(nSeleccion >= 0 && nSeleccion < cb->GetCount() ? nSeleccion : 0);
}

// A count typed in an edit, or 0 when it is none.
UINT Cuenta(const CString& texto) {
  UINT n = 0;
  for (char c : texto) {
    if (c == ' ') continue;
    if (c < '0' || c > '9' || n > 100000) return 0;
    n = n * 10 + static_cast<UINT>(c - '0');
  }
  return n;
}

}  // namespace

std::vector<FiltroFichero> FiltrosTablas() {
  return {{"Tablas (*.csv;*.tsv;*.txt)", "*.csv;*.tsv;*.txt"}, {"Todos los ficheros (*.*)", "*.*"}};
}

std::vector<FiltroFichero> FiltrosEsquemas() {
  return {{"Esquemas (*.json)", "*.json"}, {"Todos los ficheros (*.*)", "*.*"}};
}

std::vector<FiltroFichero> FiltrosCsv() {
  return {{"Ficheros CSV (*.csv)", "*.csv"}, {"Todos los ficheros (*.*)", "*.*"}};
}

// ---------------------------------------------------------------- CImportarDlg

CImportarDlg::CImportarDlg(CWnd* pParent) : CDialog(IDD_IMPORTAR, pParent) {}

BOOL CImportarDlg::OnInitDialog() {
  RellenarEleccion(nullptr);
  m_strTablaVista.clear();
  m_strEsquemaVista.clear();
  // The members first, so that the preview reads with the choices kept
  // when the dialog is shown again.
  CDialog::OnInitDialog();
  ActualizarVistaPrevia();
  return TRUE;
}

void CImportarDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_TABLA, m_strTabla);
  DDV_Fichero(pDX, m_strTabla);
  DDX_CBIndex(pDX, IDC_SEPARADOR, m_nSeparador);
  DDX_CBIndex(pDX, IDC_DECIMAL, m_nDecimal);
  DDX_CBIndex(pDX, IDC_CABECERA, m_nCabecera);
  DDX_CBIndex(pDX, IDC_CLASE, m_nClase);
  // The number of outputs counts only without a class column.
  if (!pDX->m_bSaveAndValidate || GetDlgItem(IDC_SALIDAS)->IsWindowEnabled()) {
    DDX_Text(pDX, IDC_SALIDAS, m_nSalidas);
    DDV_MinMaxUInt(pDX, m_nSalidas, 1, 100000);
  }
  DDX_CBIndex(pDX, IDC_ESCALA, m_nEscala);
  DDX_Text(pDX, IDC_DESTINO, m_strDestino);
  DDV_Destino(pDX, m_strDestino);
  DDX_Text(pDX, IDC_ESQUEMA, m_strEsquema);
  // The split's refusals are importar --particion's.
  DDX_Text(pDX, IDC_PARTICION, m_strParticion);
  const bool bParticion = m_strParticion.find_first_not_of(' ') != CString::npos;
  if (pDX->m_bSaveAndValidate && bParticion)
    if (const Resultado<std::vector<UINT>> p = LeerParticion(m_strParticion); !p) {
      AfxMessageBox(p.Mensaje(), MB_ICONEXCLAMATION);
      pDX->Fail();
    }
  DDX_Text(pDX, IDC_SEMILLA, m_strSemilla);
  if (pDX->m_bSaveAndValidate && bParticion) {
    UINT n = 0;
    if (const CString m = RechazoTextoUInt(m_strSemilla, 0, 0xFFFFFFFFu, n); !m.empty()) {
      AfxMessageBox("Semilla: " + m, MB_ICONEXCLAMATION);
      pDX->Fail();
    }
  }
  DDX_Check(pDX, IDC_ESTRATIFICAR, m_bEstratificar);
  if (!pDX->m_bSaveAndValidate) HabilitarParticion();
}

void CImportarDlg::HabilitarParticion() {
  const bool b = GetDlgItem(IDC_PARTICION)->GetWindowText().find_first_not_of(' ') != CString::npos;
  GetDlgItem(IDC_SEMILLA)->EnableWindow(b);
  GetDlgItem(IDC_ESTRATIFICAR)->EnableWindow(b);
}

bool CImportarDlg::OnCommand(int id) {
  switch (id) {
    case IDC_EXAMINAR_TABLA:
      OnExaminarTabla();
      return true;
    case IDC_EXAMINAR_DESTINO:
      OnExaminarDestino();
      return true;
    case IDC_EXAMINAR_ESQUEMA:
      OnExaminarEsquema();
      return true;
    default:
      return CDialog::OnCommand(id);
  }
}

bool CImportarDlg::OnNotificacion(int id, UINT nCodigo) {
  switch (id) {
    case IDC_SEPARADOR:
    case IDC_DECIMAL:
    case IDC_CABECERA:
    case IDC_CLASE:
    case IDC_ESCALA:
      if (nCodigo != CBN_SELCHANGE) return false;
      ActualizarVistaPrevia();
      return true;
    case IDC_PARTICION:
      if (nCodigo != EN_KILLFOCUS) return false;
      HabilitarParticion();
      return true;
    case IDC_TABLA:
    case IDC_ESQUEMA:
    case IDC_SALIDAS:
      if (nCodigo != EN_KILLFOCUS) return false;
      // Leaving a path unchanged reads nothing again.
      if (id != IDC_SALIDAS && GetDlgItem(IDC_TABLA)->GetWindowText() == m_strTablaVista &&
          GetDlgItem(IDC_ESQUEMA)->GetWindowText() == m_strEsquemaVista)
        return true;
      ActualizarVistaPrevia();
      return true;
    default:
      return CDialog::OnNotificacion(id, nCodigo);
  }
}

void CImportarDlg::OnExaminarTabla() {
  const CString ruta = Examinar(TRUE, CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FiltrosTablas(),
                                "Examinar Archivos");
  if (ruta.empty()) return;
  m_strTabla = ruta;
  GetDlgItem(IDC_TABLA)->SetWindowText(ruta);
  ActualizarVistaPrevia();
}

void CImportarDlg::OnExaminarDestino() {
  const CString ruta = Examinar(FALSE, "txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FiltrosDatos(), "Guardar Datos");
  if (ruta.empty()) return;
  m_strDestino = ruta;
  GetDlgItem(IDC_DESTINO)->SetWindowText(ruta);
}

void CImportarDlg::OnExaminarEsquema() {
  // An existing scheme is applied, a new one written: no question about
  // replacing it.
  const CString ruta = Examinar(FALSE, "json", OFN_HIDEREADONLY, FiltrosEsquemas(), "Esquema");
  if (ruta.empty()) return;
  m_strEsquema = ruta;
  GetDlgItem(IDC_ESQUEMA)->SetWindowText(ruta);
  ActualizarVistaPrevia();
}

OpcionesImportacion CImportarDlg::Opciones() const {
  OpcionesImportacion op;
  static const char separadores[] = {0, ',', ';', '\t'};
  static const char decimales[] = {0, '.', ','};
  if (m_nSeparador > 0 && m_nSeparador < 4) op.tabla.cSeparador = separadores[m_nSeparador];
  if (m_nDecimal > 0 && m_nDecimal < 3) op.tabla.cDecimal = decimales[m_nDecimal];
  if (m_nCabecera == 1) op.tabla.nCabecera = 1;
  if (m_nCabecera == 2) op.tabla.nCabecera = 0;
  if (m_nClase >= 1 && static_cast<UINT>(m_nClase) <= m_nColumnas)
    op.esquema.strClase = FormatC("%d", m_nClase);
  else if (m_nClase > 0 && static_cast<UINT>(m_nClase) == m_nColumnas + 1)
    op.esquema.nSalidas = m_nSalidas;
  op.esquema.bEscalar = m_nEscala != 1;
  op.bEscalaDada = m_nEscala == 1;
  // As accepted on OK (the preview reads no split).
  if (const Resultado<std::vector<UINT>> p = LeerParticion(m_strParticion);
      p && m_strParticion.find_first_not_of(' ') != CString::npos) {
    op.particion = *p;
    UINT n = 1;
    RechazoTextoUInt(m_strSemilla, 0, 0xFFFFFFFFu, n);
    op.nSemilla = n;
    op.bEstratificar = m_bEstratificar != FALSE;
  }
  return op;
}

void CImportarDlg::LeerEleccion() {
  m_strTabla = GetDlgItem(IDC_TABLA)->GetWindowText();
  m_strEsquema = GetDlgItem(IDC_ESQUEMA)->GetWindowText();
  m_nSeparador = Combo(IDC_SEPARADOR)->GetCurSel();
  m_nDecimal = Combo(IDC_DECIMAL)->GetCurSel();
  m_nCabecera = Combo(IDC_CABECERA)->GetCurSel();
  m_nClase = Combo(IDC_CLASE)->GetCurSel();
  m_nEscala = Combo(IDC_ESCALA)->GetCurSel();
  if (const UINT n = Cuenta(GetDlgItem(IDC_SALIDAS)->GetWindowText())) m_nSalidas = n;
}

void CImportarDlg::RellenarEleccion(const VistaPrevia* pVista) {
  const Tabla* t = pVista ? &pVista->tabla : nullptr;
  Rellenar(Combo(IDC_SEPARADOR),
           {t ? "Automático: " + NombreSeparadorLargo(t->cSeparador) : CString("Automático"), "Coma (,)",
            "Punto y coma (;)", "Tabulador"},
           m_nSeparador);
  Rellenar(Combo(IDC_DECIMAL),
           {t ? CString(t->cDecimal == ',' ? "Automática: coma" : "Automática: punto") : CString("Automática"),
            "Punto (.)", "Coma (,)"},
           m_nDecimal);
  Rellenar(Combo(IDC_CABECERA),
           {t ? CString(t->bCabecera ? "Automática: sí" : "Automática: no") : CString("Automática"), "Sí", "No"},
           m_nCabecera);
  // The class: automatic (the last column), one of the columns, or none.
  const UINT nAntes = m_nColumnas;
  m_nColumnas = t ? t->nColumnas : 0;
  if (m_nClase > 0 && static_cast<UINT>(m_nClase) == nAntes + 1) m_nClase = static_cast<int>(m_nColumnas) + 1;
  else if (m_nClase < 0 || static_cast<UINT>(m_nClase) > m_nColumnas + 1) m_nClase = 0;
  // The automatic class is the scheme's: the last column, or the one
  // column of text when the last is numeric.
  if (m_strTablaAutomatica != m_strTabla || nAntes != m_nColumnas) m_nClaseAutomatica = -1;
  if (pVista && m_nClase == 0) {
    m_strTablaAutomatica = m_strTabla;
    m_nClaseAutomatica = -1;
    for (std::size_t i = 0; i < pVista->usos.size(); ++i)
      if (pVista->usos[i] == UsoColumna::Clase) m_nClaseAutomatica = static_cast<int>(i);
  }
  const UINT nAutomatica = m_nClaseAutomatica >= 0 ? static_cast<UINT>(m_nClaseAutomatica) : m_nColumnas - 1;
  std::vector<CString> clases{t && m_nColumnas ? "Automática: " + NombreColumna(*t, nAutomatica)
                                               : CString("Automática")};
  for (UINT i = 0; i < m_nColumnas; ++i) clases.push_back(NombreColumna(*t, i));
  clases.push_back("Ninguna: salidas numéricas");
  Rellenar(Combo(IDC_CLASE), clases, m_nClase);
  Rellenar(Combo(IDC_ESCALA), {"Mín-máx a [0, 1]", "Ninguna"}, m_nEscala);
}

void CImportarDlg::HabilitarSalidas(bool bEsquemaExistente) {
  // An existing scheme says itself what the outputs and the scaling are.
  if (bEsquemaExistente) {
    m_nClase = 0;
    m_nEscala = 0;
    Combo(IDC_CLASE)->SetCurSel(0);
    Combo(IDC_ESCALA)->SetCurSel(0);
  }
  GetDlgItem(IDC_CLASE)->EnableWindow(!bEsquemaExistente);
  GetDlgItem(IDC_ESCALA)->EnableWindow(!bEsquemaExistente);
  GetDlgItem(IDC_SALIDAS)->EnableWindow(!bEsquemaExistente && m_nClase > 0 &&
                                        static_cast<UINT>(m_nClase) == m_nColumnas + 1);
}

void CImportarDlg::ActualizarVistaPrevia() {
  LeerEleccion();
  m_strTablaVista = m_strTabla;
  m_strEsquemaVista = m_strEsquema;
  auto* lista = static_cast<CListCtrl*>(GetDlgItem(IDC_VISTA_PREVIA));
  lista->SetRedraw(FALSE);
  lista->DeleteAllItems();
  while (lista->GetColumnCount() > 0) lista->DeleteColumn(0);

  Resultado<VistaPrevia> v = m_strTabla.empty()
                                 ? Resultado<VistaPrevia>(Fallo{"Elija la tabla que quiere importar."})
                                 : VistaPreviaImportacion(m_strTabla, m_strEsquema, Opciones(), kFilasVistaPrevia);
  if (!v) {
    RellenarEleccion(nullptr);
    HabilitarSalidas(false);
    lista->SetRedraw(TRUE);
    GetDlgItem(IDC_LECTURA)->SetWindowText(v.Mensaje());
    return;
  }
  RellenarEleccion(&*v);
  HabilitarSalidas(v->bEsquemaExistente);
  // The options may have moved with the columns: the uses follow them.
  if (!v->bEsquemaExistente) v = VistaPreviaImportacion(m_strTabla, m_strEsquema, Opciones(), kFilasVistaPrevia);
  if (!v) {
    lista->SetRedraw(TRUE);
    GetDlgItem(IDC_LECTURA)->SetWindowText(v.Mensaje());
    return;
  }

  const Tabla& t = v->tabla;
  const UINT nVistas = std::min(t.nColumnas, kColumnasVistaPrevia);
  lista->InsertColumn(0, "Línea", LVCFMT_RIGHT);
  for (UINT i = 0; i < nVistas; ++i) {
    CString titulo = i < t.cabecera.size() ? t.cabecera[i] : FormatC("columna %u", i + 1);
    if (i < v->usos.size()) {
      if (!v->usos[i]) titulo += " (no se usa)";
      else if (*v->usos[i] == UsoColumna::Clase) titulo += " (clase)";
      else if (*v->usos[i] == UsoColumna::Salida) titulo += " (salida)";
    }
    lista->InsertColumn(static_cast<int>(i) + 1, titulo, LVCFMT_LEFT);
  }
  for (std::size_t r = 0; r < t.filas.size(); ++r) {
    const int item = lista->InsertItem(static_cast<int>(r), FormatC("%u", t.lineas[r]));
    for (std::size_t c = 0; c < t.filas[r].size() && c < nVistas; ++c)
      lista->SetItemText(item, static_cast<int>(c) + 1, t.filas[r][c]);
  }
  lista->SetRedraw(TRUE);

  CString lectura = TextoLectura(t);
  lectura += t.bCompleta ? FormatC(" La tabla tiene %zu %s.", t.filas.size(), t.filas.size() == 1 ? "fila" : "filas")
                         : FormatC(" Se ven sus primeras %zu filas.", t.filas.size());
  if (nVistas < t.nColumnas) lectura += FormatC(" Se ven sus primeras %u columnas de %u.", nVistas, t.nColumnas);
  if (!t.strDuda.empty()) lectura += "\n" + t.strDuda;
  if (!v->strAviso.empty()) lectura += "\n" + v->strAviso;
  else if (v->bEsquemaExistente) lectura += "\nSe aplicará el esquema " + m_strEsquema + ", tal como está.";
  GetDlgItem(IDC_LECTURA)->SetWindowText(lectura);
  SugerirNombres();
}

void CImportarDlg::SugerirNombres() {
  // Beside the table, under its name, what the import writes, when no name
  // is given and no such file is there yet (nothing is ever suggested over
  // a file).
  const std::filesystem::path tabla(m_strTabla);
  if (tabla.stem().empty()) return;
  // A name suggested for another table gives way to this one's.
  auto sugerir = [&](int id, CString& miembro, CString& sugerido, const char* extension) {
    const CString actual = GetDlgItem(id)->GetWindowText();
    if (actual.find_first_not_of(' ') != CString::npos && actual != sugerido) return;
    std::filesystem::path p = tabla;
    p.replace_extension(extension);
    std::error_code ec;
    const CString nuevo = std::filesystem::exists(p, ec) || ec ? CString() : p.string();
    // Emptied by hand: left empty for this table.
    if (nuevo == actual || (actual.find_first_not_of(' ') == CString::npos && nuevo == sugerido)) return;
    miembro = sugerido = nuevo;
    GetDlgItem(id)->SetWindowText(miembro);
  };
  sugerir(IDC_DESTINO, m_strDestino, m_strDestinoSugerido, ".txt");
  const CString esquema = m_strEsquema;
  sugerir(IDC_ESQUEMA, m_strEsquema, m_strEsquemaSugerido, ".json");
  // A scheme that is not there yet is made as with none: the preview stands.
  if (m_strEsquema != esquema) m_strEsquemaVista = m_strEsquema;
}

// ---------------------------------------------------------- CDatosEsquemaDlg

CDatosEsquemaDlg::CDatosEsquemaDlg(UINT nIDTemplate, CWnd* pParent) : CDialog(nIDTemplate, pParent) {}

void CDatosEsquemaDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_FICHERO_ENTRENAMIENTO, m_strFichero);
  DDV_Fichero(pDX, m_strFichero);
  DDX_Text(pDX, IDC_ESQUEMA, m_strEsquema);
}

bool CDatosEsquemaDlg::OnCommand(int id) {
  switch (id) {
    case IDC_EXAMINAR:
      OnExaminar();
      return true;
    case IDC_EXAMINAR_ESQUEMA:
      OnExaminarEsquema();
      return true;
    default:
      return CDialog::OnCommand(id);
  }
}

void CDatosEsquemaDlg::OnExaminar() {
  const CString ruta = Examinar(TRUE, CString(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FiltrosDatosYTablas(),
                                "Examinar Archivos");
  if (ruta.empty()) return;
  m_strFichero = ruta;
  GetDlgItem(IDC_FICHERO_ENTRENAMIENTO)->SetWindowText(ruta);
}

void CDatosEsquemaDlg::OnExaminarEsquema() {
  const CString ruta = Examinar(TRUE, CString(), OFN_HIDEREADONLY, FiltrosEsquemas(), "Examinar Archivos");
  if (ruta.empty()) return;
  m_strEsquema = ruta;
  GetDlgItem(IDC_ESQUEMA)->SetWindowText(ruta);
}

// ---------------------------------------------------------------- CAplicarDlg

CAplicarDlg::CAplicarDlg(CWnd* pParent) : CDatosEsquemaDlg(IDD_APLICAR, pParent) {}

void CAplicarDlg::DoDataExchange(CDataExchange* pDX) {
  CDatosEsquemaDlg::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_SALIDA_CSV, m_strSalida);
}

bool CAplicarDlg::OnCommand(int id) {
  if (id != IDC_EXAMINAR_SALIDA) return CDatosEsquemaDlg::OnCommand(id);
  OnExaminarSalida();
  return true;
}

void CAplicarDlg::OnExaminarSalida() {
  const CString ruta = Examinar(FALSE, "csv", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FiltrosCsv(),
                                "Guardar Resultados");
  if (ruta.empty()) return;
  m_strSalida = ruta;
  GetDlgItem(IDC_SALIDA_CSV)->SetWindowText(ruta);
}

// ---------------------------------------------------------------- CMatrizDlg

CMatrizDlg::CMatrizDlg(CWnd* pParent) : CDatosEsquemaDlg(IDD_MATRIZ, pParent) {}

// ---------------------------------------------------------------- CResultadosRegresionDlg

namespace {

// Cells into a list control: the first row its headings, the first column
// aligned left, the others right.
void LlenarLista(CListCtrl* lista, const std::vector<std::vector<CString>>& celdas) {
  lista->SetRedraw(FALSE);
  lista->DeleteAllItems();
  while (lista->GetColumnCount() > 0) lista->DeleteColumn(0);
  if (!celdas.empty()) {
    const auto& titulos = celdas.front();
    for (std::size_t c = 0; c < titulos.size(); ++c)
      lista->InsertColumn(static_cast<int>(c), titulos[c], c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT);
    for (std::size_t r = 1; r < celdas.size(); ++r) {
      const int item = lista->InsertItem(static_cast<int>(r - 1), celdas[r].front());
      for (std::size_t c = 1; c < celdas[r].size(); ++c) lista->SetItemText(item, static_cast<int>(c), celdas[r][c]);
    }
  }
  lista->SetRedraw(TRUE);
}

}  // namespace

CResultadosRegresionDlg::CResultadosRegresionDlg(CWnd* pParent) : CDialog(IDD_RESULTADOS_REGRESION, pParent) {}

BOOL CResultadosRegresionDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  LlenarLista(static_cast<CListCtrl*>(GetDlgItem(IDC_REGRESION)), m_celdas);
  return TRUE;
}

void CResultadosRegresionDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_ERROR_TOTAL, m_strErrorTotal);
  DDX_Text(pDX, IDC_RES_FICHERO, m_strFichero);
  DDX_Text(pDX, IDC_RES_MUESTRAS, m_strMuestras);
  DDX_Text(pDX, IDC_ACIERTOS, m_strAciertos);
  DDX_Text(pDX, IDC_NOTA_REGRESION, m_strNota);
}

// ---------------------------------------------------------------- CResultadosMatrizDlg

CResultadosMatrizDlg::CResultadosMatrizDlg(CWnd* pParent) : CDialog(IDD_RESULTADOS_MATRIZ, pParent) {}

BOOL CResultadosMatrizDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  LlenarLista(static_cast<CListCtrl*>(GetDlgItem(IDC_MATRIZ)), m_celdas);
  return TRUE;
}

void CResultadosMatrizDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_RES_FICHERO, m_strFichero);
  DDX_Text(pDX, IDC_RES_MUESTRAS, m_strMuestras);
  DDX_Text(pDX, IDC_ACIERTOS, m_strAciertos);
}

bool CResultadosMatrizDlg::OnCommand(int id) {
  if (id == IDC_COPIAR) {
    OnCopiar();
    return true;
  }
  return CDialog::OnCommand(id);
}

void CResultadosMatrizDlg::OnCopiar() {
  if (!AfxSetClipboardText(m_strTabulado)) AfxMessageBox("No se ha podido copiar la matriz.", MB_ICONEXCLAMATION);
}
