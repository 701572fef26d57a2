// The manual in a help window of its own (Ayuda › Temas de ayuda, F1): the
// chapters listed on the left, the chapter on the right, with Atrás and
// Adelante. The chapters are the Markdown files of docs/manual, compiled
// into the program, so the help needs no browser and no file beside it.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QUrl>

#include "framework/afx.h"

class QListWidget;
class QTextBrowser;

// The help context of "&Temas de ayuda": the manual's first chapter.
constexpr UINT kContextoTemasAyuda = 102;

// A chapter is a file "NN-nombre.md" of the manual's folder, in the order
// of its number; its first "# " line is its title.
struct CapituloManual {
  QString fichero;  // "10-nrv.md"
  QString titulo;
};
QList<CapituloManual> CapitulosManual();
// Where the chapters are read from (the program's resources).
QUrl UrlCapitulo(const QString& fichero);

class CVentanaAyuda : public QMainWindow {
  Q_OBJECT
 public:
  explicit CVentanaAyuda(QWidget* padre = nullptr);

  // Shows the page of a help context; false when the manual has none.
  bool MostrarContexto(UINT contexto);
  // Shows a chapter by its file name; false when there is no such chapter.
  bool MostrarCapitulo(const QString& fichero);
  // The chapter on show (its file name).
  QString CapituloActual() const;
  QTextBrowser* Navegador() const { return m_pNavegador; }
  QListWidget* Indice() const { return m_pIndice; }

 private:
  void SincronizarIndice(const QUrl& url);

  QListWidget* m_pIndice = nullptr;
  QTextBrowser* m_pNavegador = nullptr;
  QList<CapituloManual> m_capitulos;
};
