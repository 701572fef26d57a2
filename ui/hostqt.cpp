#include "ui/hostqt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>

#include "framework/mensajes.h"
#include "resources/resource.h"

CHostQt::CHostQt() : m_pAnterior(&AfxGetHost()) {
  AfxSetUiThread();
  AfxSetHost(this);
}

CHostQt::~CHostQt() { AfxSetHost(m_pAnterior == this ? nullptr : m_pAnterior); }

// Both calls go by name: Qt makes the queued call whole on its side, so
// nothing this thread writes is read by the other through Qt's own locks,
// which ThreadSanitizer cannot see (Qt is not built with it).
void CHostQt::WakeUi() {
  // One queued call at a time is enough: the pump runs everything queued.
  if (m_bPendiente.exchange(true, std::memory_order_acq_rel)) return;
  QMetaObject::invokeMethod(this, "Bombear", Qt::QueuedConnection);
}

void CHostQt::ThreadEnded() { QMetaObject::invokeMethod(this, "FinDeHilo", Qt::QueuedConnection); }

void CHostQt::FinDeHilo() {
  Bombear();
  emit hiloTerminado();
}

void CHostQt::Bombear() {
  m_bPendiente.store(false, std::memory_order_release);
  AfxPumpMessages();
  emit mensajesAtendidos();
}

BOOL CHostQt::SetClipboardText(const CString& texto) {
  QClipboard* p = QGuiApplication::clipboard();
  if (!p) return FALSE;
  p->setText(QString::fromStdString(texto));
  return TRUE;
}

QWidget* CHostQt::VentanaPadre() {
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  if (QWidget* w = QApplication::activeWindow()) return w;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->inherits("QMainWindow")) return w;
  return nullptr;
}

int CHostQt::MessageBox(const CString& texto, UINT estilo, UINT) {
  QMessageBox box(VentanaPadre());
  box.setWindowTitle(QString::fromStdString(AfxGetAppName()));
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(texto));
  switch (estilo & MB_ICONMASK) {
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  struct Boton {
    const char* texto;
    QMessageBox::ButtonRole papel;
    int resultado;
  };
  std::vector<Boton> botones;
  switch (estilo & MB_TYPEMASK) {
    case MB_OKCANCEL: botones = {{"Aceptar", QMessageBox::AcceptRole, IDOK}, {"Cancelar", QMessageBox::RejectRole, IDCANCEL}}; break;
    case MB_YESNOCANCEL:
      botones = {{"&Sí", QMessageBox::YesRole, IDYES}, {"&No", QMessageBox::NoRole, IDNO},
                 {"Cancelar", QMessageBox::RejectRole, IDCANCEL}};
      break;
    case MB_YESNO: botones = {{"&Sí", QMessageBox::YesRole, IDYES}, {"&No", QMessageBox::NoRole, IDNO}}; break;
    default: botones = {{"Aceptar", QMessageBox::AcceptRole, IDOK}}; break;
  }
  std::vector<std::pair<QAbstractButton*, int>> mapa;
  for (const Boton& b : botones) mapa.emplace_back(box.addButton(QString::fromUtf8(b.texto), b.papel), b.resultado);
  box.setDefaultButton(static_cast<QPushButton*>(mapa.front().first));
  // Escape answers Cancel where there is one, else the only button (OK).
  const bool hayCancel = (estilo & MB_TYPEMASK) == MB_OKCANCEL || (estilo & MB_TYPEMASK) == MB_YESNOCANCEL;
  box.setEscapeButton(hayCancel ? mapa.back().first : mapa.front().first);
  box.exec();
  QAbstractButton* pulsado = box.clickedButton();
  for (const auto& [b, r] : mapa)
    if (b == pulsado) return r;
  // MB_YESNO has no Cancel: closing it counts as No.
  return (estilo & MB_TYPEMASK) == MB_YESNO ? IDNO : (hayCancel ? IDCANCEL : IDOK);
}

INT_PTR CHostQt::DoModal(CDialog& dlg) {
  const PlantillaDialogo* plantilla = AfxBuscarPlantilla(dlg.GetTemplateId());
  if (!plantilla) {
    MessageBox("No se encuentra la plantilla del diálogo.", MB_ICONEXCLAMATION, 0);
    return IDCANCEL;
  }
  CDialogoQt ventana(dlg, *plantilla, VentanaPadre());
  return ventana.Ejecutar();
}

QString FiltroQt(const FiltroFichero& filtro) {
  QString nombre = QString::fromStdString(filtro.nombre);
  const int abre = nombre.lastIndexOf(QLatin1Char('('));
  if (abre > 0 && nombre.endsWith(QLatin1Char(')'))) nombre = nombre.left(abre).trimmed();
  QStringList patrones;
  for (const QString& p : QString::fromStdString(filtro.patron).split(QLatin1Char(';'), Qt::SkipEmptyParts))
    patrones << (p.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : p.trimmed());
  // The shown text keeps the framework's own patterns; Qt reads the list.
  QString visible = QString::fromStdString(filtro.nombre);
  if (abre > 0 && visible.endsWith(QLatin1Char(')'))) visible = visible.left(abre).trimmed();
  return visible + QStringLiteral(" (") + patrones.join(QLatin1Char(' ')) + QLatin1Char(')');
}

INT_PTR CHostQt::DoModal(CFileDialog& dlg) {
  QFileDialog fd(VentanaPadre(), QString::fromStdString(dlg.m_strTitulo));
  fd.setOption(QFileDialog::DontUseNativeDialog, true);
  // The program asks itself, in its own words, before replacing a file.
  fd.setOption(QFileDialog::DontConfirmOverwrite, true);
  fd.setAcceptMode(dlg.m_bOpenFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  fd.setFileMode(dlg.m_bOpenFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  fd.setLabelText(QFileDialog::LookIn, QStringLiteral("Buscar en:"));
  fd.setLabelText(QFileDialog::FileName, QStringLiteral("Nombre:"));
  fd.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
  fd.setLabelText(QFileDialog::Accept, dlg.m_bOpenFileDialog ? QStringLiteral("&Abrir") : QStringLiteral("&Guardar"));
  fd.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
  QStringList filtros;
  for (const auto& f : dlg.m_filtros) filtros << FiltroQt(f);
  if (!filtros.isEmpty()) {
    fd.setNameFilters(filtros);
    fd.selectNameFilter(filtros.front());
  }
  // The extension of a name typed without one: the chosen filter's, once
  // the dialog is closed, or else the default one.
  const bool extensionDelFiltro = dlg.m_bExtensionDelFiltro && !dlg.m_bOpenFileDialog;
  if (!dlg.m_strDefExt.empty() && !extensionDelFiltro) fd.setDefaultSuffix(QString::fromStdString(dlg.m_strDefExt));
  if (!dlg.m_strFileName.empty()) fd.selectFile(QString::fromStdString(dlg.m_strFileName));
  for (;;) {
    if (fd.exec() != QDialog::Accepted || fd.selectedFiles().isEmpty()) return IDCANCEL;
    QString ruta = fd.selectedFiles().front();
    if (extensionDelFiltro && QFileInfo(ruta).suffix().isEmpty()) {
      // The filter's first pattern: "*.svg" of "*.svg;*.svgz".
      const qsizetype i = filtros.indexOf(fd.selectedNameFilter());
      QString ext = QString::fromStdString(dlg.m_strDefExt);
      if (i >= 0) {
        const QString patron = QString::fromStdString(dlg.m_filtros[static_cast<std::size_t>(i)].patron)
                                   .section(QLatin1Char(';'), 0, 0)
                                   .trimmed();
        if (patron.startsWith(QLatin1String("*.")) && patron != QLatin1String("*.*")) ext = patron.mid(2);
      }
      if (!ext.isEmpty()) ruta += (ruta.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) + ext;
    }
    if (!dlg.m_bOpenFileDialog && (dlg.m_dwFlags & OFN_OVERWRITEPROMPT) && QFileInfo::exists(ruta)) {
      const CString pregunta = QStringLiteral("%1 ya existe.\n¿Desea reemplazarlo?").arg(ruta).toStdString();
      if (MessageBox(pregunta, MB_YESNO | MB_ICONEXCLAMATION, 0) != IDYES) continue;
    }
    dlg.m_strPathName = ruta.toStdString();
    return IDOK;
  }
}

// ---------------------------------------------------------------- dialogs

CDialogoQt::CDialogoQt(CDialog& dlg, const PlantillaDialogo& plantilla, QWidget* padre)
    : QDialog(padre, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_dlg(dlg) {
  setObjectName(QStringLiteral("dlg%1").arg(plantilla.id));
  setWindowTitle(QString::fromStdString(dlg.GetWindowText().empty() ? CString(plantilla.titulo) : dlg.GetWindowText()));
  setModal(true);
  m_pFormulario = std::make_unique<CFormulario>(plantilla, dlg, this);
  // The import window grows, its preview with it; the others keep their
  // template's size.
  static const CFormulario::Estiramiento kImportar = {
      146,
      {IDC_TABLA, IDC_DESTINO, IDC_ESQUEMA, IDC_VISTA_PREVIA, IDC_LECTURA},
      {IDC_EXAMINAR_TABLA, IDC_EXAMINAR_DESTINO, IDC_EXAMINAR_ESQUEMA, IDOK, IDCANCEL},
      {IDC_VISTA_PREVIA}};
  if (plantilla.id == IDD_IMPORTAR) {
    m_pEstiramiento = &kImportar;
    setMinimumSize(m_pFormulario->Tamano());
    resize(m_pFormulario->Tamano());
    setSizeGripEnabled(true);
  } else {
    setFixedSize(m_pFormulario->Tamano());
  }
  m_pFormulario->alPulsar = [this](int id) { Pulsado(id); };
  m_pFormulario->alNotificar = [this](int id, UINT nCodigo) { Notificado(id, nCodigo); };
}

void CDialogoQt::resizeEvent(QResizeEvent* e) {
  QDialog::resizeEvent(e);
  if (m_pEstiramiento && m_pFormulario) m_pFormulario->Estirar(size(), *m_pEstiramiento);
}

INT_PTR CDialogoQt::Ejecutar() {
  m_dlg.OnInitDialog();
  m_pFormulario->AplicarModelo();
  if (m_dlg.IsEnded()) return m_dlg.GetResult();
  if (QWidget* w = m_pFormulario->PrimerControl()) {
    w->setFocus(Qt::TabFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
  }
  exec();
  m_pFormulario.reset();  // the framework's dialog may be shown again
  return m_dlg.IsEnded() ? m_dlg.GetResult() : IDCANCEL;
}

void CDialogoQt::Pulsado(int id) {
  m_pFormulario->LeerControles();
  try {
    if (id == IDOK) {
      m_dlg.OnOK();
      if (!m_dlg.IsEnded() && m_dlg.GetFocusControl() != 0) m_pFormulario->Enfocar(m_dlg.GetFocusControl());
    } else if (id == IDCANCEL) {
      m_dlg.OnCancel();
    } else {
      m_dlg.OnCommand(id);
    }
  } catch (...) {
    AfxReportarExcepcion();  // the dialog stays as it was
  }
  Terminar();
}

bool CAplicacionQt::notify(QObject* receptor, QEvent* evento) {
  try {
    return QApplication::notify(receptor, evento);
  } catch (...) {
    AfxReportarExcepcion();
    return false;
  }
}

void CDialogoQt::Notificado(int id, UINT nCodigo) {
  // An edit that loses the focus to Cancel or to a closing dialog says
  // nothing more.
  if (m_dlg.IsEnded() || !isVisible()) return;
  m_pFormulario->LeerControles();
  m_dlg.OnNotificacion(id, nCodigo);
  Terminar();
}

void CDialogoQt::reject() {
  if (m_pFormulario) {
    m_pFormulario->LeerControles();
    m_dlg.OnCancel();
  }
  Terminar();
}

void CDialogoQt::Terminar() {
  if (m_dlg.IsEnded()) done(m_dlg.GetResult() == IDOK ? QDialog::Accepted : QDialog::Rejected);
}
