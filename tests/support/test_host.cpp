#include "tests/support/test_host.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "framework/mensajes.h"

CTestHost::CTestHost() : m_pAnterior(&AfxGetHost()) {
  AfxSetUiThread();
  AfxSetHost(this);
}

CTestHost::~CTestHost() { Retirar(); }

void CTestHost::Retirar() {
  if (m_bRetirado) return;
  AfxPumpMessages();
  AfxSetHost(m_pAnterior);
  m_bRetirado = true;
}

int CTestHost::MessageBox(const CString& texto, UINT estilo, UINT ayuda) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_mensajes.push_back({texto, estilo, ayuda});
  if (respuestasMensaje.empty()) return IDOK;
  int r = respuestasMensaje.front();
  respuestasMensaje.pop_front();
  return r;
}

INT_PTR CTestHost::DoModal(CDialog& dlg) {
  if (guionDialogos.empty()) return IDCANCEL;
  auto guion = std::move(guionDialogos.front());
  guionDialogos.pop_front();
  dlg.OnInitDialog();
  guion(dlg);
  return dlg.IsEnded() ? dlg.GetResult() : IDCANCEL;
}

INT_PTR CTestHost::DoModal(CFileDialog& dlg) {
  dialogosFichero.push_back(dlg);
  if (respuestasFichero.empty()) return IDCANCEL;
  CString ruta = respuestasFichero.front();
  respuestasFichero.pop_front();
  if (ruta.empty()) return IDCANCEL;
  dlg.m_strPathName = ruta;
  return IDOK;
}

std::vector<CString> CTestHost::Textos() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<CString> t;
  for (const auto& m : m_mensajes) t.push_back(m.texto);
  return t;
}

std::vector<MensajeRegistrado> CTestHost::Mensajes() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_mensajes;
}

void CTestHost::Limpiar() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_mensajes.clear();
}

void ComprobarDialogoFichero(const CFileDialog& visto, const CFileDialog& esperado) {
  EXPECT_EQ(visto.m_bOpenFileDialog, esperado.m_bOpenFileDialog);
  EXPECT_EQ(visto.m_strDefExt, esperado.m_strDefExt);
  EXPECT_EQ(visto.m_strFileName, esperado.m_strFileName);
  EXPECT_EQ(visto.m_dwFlags, esperado.m_dwFlags);
  EXPECT_EQ(visto.m_strTitulo, esperado.m_strTitulo);
  EXPECT_EQ(visto.m_bExtensionDelFiltro, esperado.m_bExtensionDelFiltro);
  ASSERT_EQ(visto.m_filtros.size(), esperado.m_filtros.size());
  for (std::size_t i = 0; i < visto.m_filtros.size(); ++i) {
    EXPECT_EQ(visto.m_filtros[i].nombre, esperado.m_filtros[i].nombre) << "filtro " << i;
    EXPECT_EQ(visto.m_filtros[i].patron, esperado.m_filtros[i].patron) << "filtro " << i;
  }
}

void PulsarOK(CDialog& dlg) { dlg.OnOK(); }
void PulsarCancel(CDialog& dlg) { dlg.OnCancel(); }
void PulsarBoton(CDialog& dlg, int id) {
  if (id == IDOK) dlg.OnOK();
  else if (id == IDCANCEL) dlg.OnCancel();
  else dlg.OnCommand(id);
}
void Escribir(CDialog& dlg, int id, const CString& texto) { dlg.GetDlgItem(id)->SetWindowText(texto); }

LRESULT CVentanaRegistro::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  recibidos.push_back({message, wParam, lParam});
  return 0;
}

void CPeerRegistro::OnEstadoCambiado(CWnd&) {
  ++cambios;
  if (!AfxIsUiThread()) fueraDelHiloUi = true;
}

void CPeerRegistro::Invalidar(CWnd&) {
  ++repintados;
  if (!AfxIsUiThread()) fueraDelHiloUi = true;
}

CCarpetaTemporal::CCarpetaTemporal() {
  std::string plantilla = (std::filesystem::temp_directory_path() / "nrv-test-XXXXXX").string();
  char* r = mkdtemp(plantilla.data());
  m_ruta = r ? r : plantilla;
}

CCarpetaTemporal::~CCarpetaTemporal() {
  std::error_code ec;
  std::filesystem::remove_all(m_ruta, ec);
}

std::string CCarpetaTemporal::Escribir(const std::string& nombre, const std::string& contenido) const {
  std::string ruta = Fichero(nombre);
  std::ofstream f(ruta, std::ios::binary);
  f << contenido;
  return ruta;
}

std::string LeerFichero(const std::string& ruta) {
  std::ifstream f(ruta, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string Ejemplo(const std::string& nombre) { return std::string(NRV_EXAMPLES_DIR) + "/" + nombre; }
