#include "ui/winapp.h"

#include <QFileInfo>
#include <QSettings>

#include "framework/host.h"
#include "resources/resource.h"

namespace {

CWinApp* g_pApp = nullptr;

QString Q(const CString& s) { return QString::fromStdString(s); }

const char* const kClaveRegistro = "Local AppWizard-Generated Applications";
const char* const kSeccionRecientes = "Recent File List";

}  // namespace

CWinApp* AfxGetApp() { return g_pApp; }

// ---------------------------------------------------------------- recent files

void CListaRecientes::Cargar() {
  QSettings s(QString::fromUtf8(kClaveRegistro), Q(AfxGetAppName()));
  s.beginGroup(QString::fromUtf8(kSeccionRecientes));
  m_rutas.clear();
  for (int i = 1; i <= m_nTam; ++i) {
    const QString r = s.value(QStringLiteral("File%1").arg(i)).toString();
    if (!r.isEmpty() && !m_rutas.contains(r)) m_rutas << r;
  }
}

void CListaRecientes::Guardar() const {
  QSettings s(QString::fromUtf8(kClaveRegistro), Q(AfxGetAppName()));
  s.beginGroup(QString::fromUtf8(kSeccionRecientes));
  for (int i = 1; i <= m_nTam; ++i) {
    const QString clave = QStringLiteral("File%1").arg(i);
    if (i <= m_rutas.size()) s.setValue(clave, m_rutas[i - 1]);
    else s.remove(clave);
  }
  s.sync();
}

void CListaRecientes::Agregar(const QString& ruta) {
  const QString r = QFileInfo(ruta).absoluteFilePath();
  m_rutas.removeAll(r);
  m_rutas.prepend(r);
  while (m_rutas.size() > m_nTam) m_rutas.removeLast();
  Guardar();  // kept at once: a crash later loses nothing
}

void CListaRecientes::Quitar(int i) {
  if (i < 0 || i >= m_rutas.size()) return;
  m_rutas.removeAt(i);
  Guardar();
}

QString CListaRecientes::TextoMenu(int i) const {
  QString r = m_rutas.value(i);
  // Long paths keep their first folder and the file name.
  if (r.size() > 40) {
    const QStringList partes = r.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (partes.size() > 2) r = QStringLiteral("/%1/.../%2").arg(partes.front(), partes.back());
  }
  r.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1 %2").arg(i + 1).arg(r);
}

// ---------------------------------------------------------------- application

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

void CWinApp::LoadStdProfileSettings() { m_recientes.Cargar(); }

void CWinApp::AddToRecentFileList(const CString& ruta) {
  if (!ruta.empty()) m_recientes.Agregar(Q(ruta));
}

bool CWinApp::OnCmdMsg(UINT id, CCmdUI* pCmdUI) {
  if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + static_cast<UINT>(m_recientes.Tamano())) {
    // An entry beyond the list is nobody's command: disabled.
    if (static_cast<int>(id - ID_FILE_MRU_FILE1) >= m_recientes.Rutas().size()) return false;
    if (!pCmdUI) OnOpenRecentFile(id);
    return true;
  }
  return false;
}

void CWinApp::OnOpenRecentFile(UINT id) {
  const QString ruta = m_recientes.Rutas().value(static_cast<int>(id - ID_FILE_MRU_FILE1));
  if (ruta.isEmpty()) return;
  // A file that cannot be opened any more leaves the list.
  if (!OpenDocumentFile(ruta.toStdString())) m_recientes.Quitar(static_cast<int>(m_recientes.Rutas().indexOf(ruta)));
}
