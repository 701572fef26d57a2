// Drives the real windows of a Qt Test: every modal window that opens is
// given the next scripted step (or refused and recorded as unexpected),
// every message box is recorded and answered from a list of buttons.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>

class QLineEdit;

class CGuion : public QObject {
  Q_OBJECT
 public:
  CGuion();
  ~CGuion() override;

  // The step run on the next dialog that opens (a template dialog, a file
  // dialog, the print dialog), once it is on screen.
  void Ventana(std::function<void(QDialog*)> paso);
  // The button that answers the next message box, by its text ("Aceptar",
  // "&Sí", "&No", "Cancelar"); without one a box is answered with Escape.
  void Respuesta(const QString& boton);

  // Run on each message box once it is on screen, before it is answered.
  std::function<void(QDialog*)> alVerMensaje;

  QStringList Mensajes() const { return m_mensajes; }
  QStringList Titulos() const { return m_titulos; }   // captions of the boxes
  QList<int> Iconos() const { return m_iconos; }      // QMessageBox::Icon of each
  QStringList Inesperadas() const { return m_inesperadas; }
  // Dialogs seen, by window title, in order.
  QStringList Dialogos() const { return m_dialogos; }
  int PasosPendientes() const { return static_cast<int>(m_pasos.size()); }
  void Limpiar();

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  std::deque<std::function<void(QDialog*)>> m_pasos;
  std::deque<QString> m_respuestas;
  QStringList m_mensajes;
  QStringList m_titulos;
  QList<int> m_iconos;
  QStringList m_inesperadas;
  QStringList m_dialogos;
};

// The controls of a dialog built from a template, by identifier.
QWidget* Control(QWidget* dlg, int id);
QString Texto(QWidget* dlg, int id);
// Types into an edit as the user does (its old text selected and replaced).
void Escribir(QWidget* dlg, int id, const QString& texto);
// Clicks a push button or check box.
void Pulsar(QWidget* dlg, int id);
// Chooses an item of a drop-down list as the user does (it notifies).
void Elegir(QWidget* dlg, int id, int indice);
// Leaves an edit, as Tab or a click elsewhere does (it notifies).
void Dejar(QWidget* dlg, int id);
// The items of a drop-down list; the headings and cells of a list.
QStringList ElementosCombo(QWidget* dlg, int id);
QStringList Encabezados(QWidget* dlg, int id);
QString Celda(QWidget* dlg, int id, int fila, int columna);
int Filas(QWidget* dlg, int id);
// A file dialog: the path chosen, or cancelled.
void ElegirFichero(QDialog* fd, const QString& ruta);
void Cancelar(QDialog* dlg);

// Where the recent-file list lands during a test, and the current folder
// (the training log is written there).
class CEntornoPrueba {
 public:
  CEntornoPrueba();
  ~CEntornoPrueba();
  QString Ruta(const QString& nombre) const { return m_dir.filePath(nombre); }
  QString Ajustes() const { return m_dir.filePath(QStringLiteral("config")); }

 private:
  QTemporaryDir m_dir;
  QString m_anterior;
};

// A file of examples/.
QString Ejemplo(const QString& nombre);
