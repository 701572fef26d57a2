#include "tests/ui/support/guion.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTest>

CGuion::CGuion() { qApp->installEventFilter(this); }

CGuion::~CGuion() { qApp->removeEventFilter(this); }

void CGuion::Ventana(std::function<void(QDialog*)> paso) { m_pasos.push_back(std::move(paso)); }

void CGuion::Respuesta(const QString& boton) { m_respuestas.push_back(boton); }

void CGuion::Limpiar() {
  m_mensajes.clear();
  m_titulos.clear();
  m_iconos.clear();
  m_inesperadas.clear();
  m_dialogos.clear();
}

bool CGuion::eventFilter(QObject* o, QEvent* e) {
  if (e->type() != QEvent::Show) return false;
  auto* dlg = qobject_cast<QDialog*>(o);
  if (!dlg || !dlg->isWindow()) return false;
  QPointer<QDialog> p(dlg);
  if (auto* box = qobject_cast<QMessageBox*>(dlg)) {
    m_mensajes << box->text();
    m_titulos << box->windowTitle();
    m_iconos << static_cast<int>(box->icon());
    QString respuesta;
    if (!m_respuestas.empty()) {
      respuesta = m_respuestas.front();
      m_respuestas.pop_front();
    }
    QMetaObject::invokeMethod(
        this,
        [this, p, respuesta] {
          if (!p) return;
          if (alVerMensaje) alVerMensaje(p.data());
          if (!p) return;
          auto* b = static_cast<QMessageBox*>(p.data());
          for (QAbstractButton* boton : b->buttons())
            if (!respuesta.isEmpty() && boton->text() == respuesta) {
              boton->click();
              return;
            }
          QTest::keyClick(b, Qt::Key_Escape);
        },
        Qt::QueuedConnection);
    return false;
  }
  m_dialogos << dlg->windowTitle();
  if (m_pasos.empty()) {
    m_inesperadas << dlg->windowTitle();
    QMetaObject::invokeMethod(this, [p] { if (p) p->reject(); }, Qt::QueuedConnection);
    return false;
  }
  auto paso = std::move(m_pasos.front());
  m_pasos.pop_front();
  QMetaObject::invokeMethod(
      this,
      [p, paso] {
        if (!p) return;
        paso(p.data());
        // A failed check inside the step must not leave the window waiting.
        if (QTest::currentTestFailed() && p && p->isVisible()) p->reject();
      },
      Qt::QueuedConnection);
  return false;
}

QWidget* Control(QWidget* dlg, int id) {
  return dlg ? dlg->findChild<QWidget*>(QStringLiteral("ctl%1").arg(id)) : nullptr;
}

QString Texto(QWidget* dlg, int id) {
  QWidget* w = Control(dlg, id);
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  return w ? w->property("text").toString() : QString();
}

void Escribir(QWidget* dlg, int id, const QString& texto) {
  auto* e = qobject_cast<QLineEdit*>(Control(dlg, id));
  QVERIFY2(e, qPrintable(QStringLiteral("no edit %1").arg(id)));
  e->setFocus();
  e->selectAll();
  if (texto.isEmpty()) QTest::keyClick(e, Qt::Key_Backspace);
  else QTest::keyClicks(e, texto);
}

void Pulsar(QWidget* dlg, int id) {
  auto* b = qobject_cast<QAbstractButton*>(Control(dlg, id));
  QVERIFY2(b, qPrintable(QStringLiteral("no button %1").arg(id)));
  b->click();
}

void Elegir(QWidget* dlg, int id, int indice) {
  auto* c = qobject_cast<QComboBox*>(Control(dlg, id));
  QVERIFY2(c, qPrintable(QStringLiteral("no combo box %1").arg(id)));
  QVERIFY2(c->isEnabled(), qPrintable(QStringLiteral("combo box %1 disabled").arg(id)));
  c->setCurrentIndex(indice);
  emit c->activated(indice);
}

void Dejar(QWidget* dlg, int id) {
  auto* e = qobject_cast<QLineEdit*>(Control(dlg, id));
  QVERIFY2(e, qPrintable(QStringLiteral("no edit %1").arg(id)));
  emit e->editingFinished();
}

QStringList ElementosCombo(QWidget* dlg, int id) {
  QStringList t;
  if (auto* c = qobject_cast<QComboBox*>(Control(dlg, id)))
    for (int i = 0; i < c->count(); ++i) t << c->itemText(i);
  return t;
}

QStringList Encabezados(QWidget* dlg, int id) {
  QStringList t;
  if (auto* l = qobject_cast<QTableWidget*>(Control(dlg, id)))
    for (int i = 0; i < l->columnCount(); ++i) t << (l->horizontalHeaderItem(i) ? l->horizontalHeaderItem(i)->text() : QString());
  return t;
}

QString Celda(QWidget* dlg, int id, int fila, int columna) {
  auto* l = qobject_cast<QTableWidget*>(Control(dlg, id));
  QTableWidgetItem* i = l ? l->item(fila, columna) : nullptr;
  return i ? i->text() : QString();
}

int Filas(QWidget* dlg, int id) {
  auto* l = qobject_cast<QTableWidget*>(Control(dlg, id));
  return l ? l->rowCount() : -1;
}

void ElegirFichero(QDialog* fd, const QString& ruta) {
  auto* f = qobject_cast<QFileDialog*>(fd);
  QVERIFY2(f, "not a file dialog");
  f->selectFile(ruta);
  static_cast<QDialog*>(f)->accept();  // the dialog's own check of the name runs
}

void Cancelar(QDialog* dlg) { dlg->reject(); }

CEntornoPrueba::CEntornoPrueba() {
  m_anterior = QDir::currentPath();
  QDir::setCurrent(m_dir.path());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Ajustes());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Ajustes());
}

CEntornoPrueba::~CEntornoPrueba() { QDir::setCurrent(m_anterior); }

QString Ejemplo(const QString& nombre) { return QStringLiteral(NRV_EXAMPLES_DIR "/") + nombre; }
