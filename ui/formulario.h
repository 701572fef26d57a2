// Widgets built from a dialog template, each mirroring its control of the
// framework's model (text, enabled, visible, checked) in both directions.
// Dialogs and form views are both built this way.
#pragma once

#include <QFont>
#include <QObject>
#include <QSize>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

#include "framework/ventana.h"
#include "resources/plantillas.h"

// The template fonts do not exist here: every template is shown in the
// system's sans-serif at 8 points, and dialog units are converted with that
// font's base units as the classic framework does.
QFont FuenteDialogo();

struct UnidadesBase {
  int x;  // average width of the alphabet, rounded
  int y;  // font height
};
UnidadesBase UnidadesDialogo(const QFont& fuente);

// Dialog units to pixels (x * baseX / 4, y * baseY / 8, rounded).
int DialogoAPixelX(int x, const UnidadesBase& b);
int DialogoAPixelY(int y, const UnidadesBase& b);

// An icon of the program's resources (128, 129, 141), or a toolbar image by
// name ("nuevo").
class QIcon;
QIcon IconoRecurso(UINT id);
QIcon ImagenBarra(const char* nombre);

// What the Qt host attaches to a framework window: the widget that shows
// it. A view's code finds the widgets of its controls (the graph frames)
// through AfxWidgetDe.
class IPeerQt : public IWndPeer {
 public:
  virtual QWidget* Widget() = 0;
};
QWidget* AfxWidgetDe(CWnd* wnd);

class CPeerControl;

class CFormulario {
 public:
  // Builds the template's controls as children of lienzo and ties each one
  // with an identifier to modelo's control of that id (created when
  // missing, with the template text).
  CFormulario(const PlantillaDialogo& plantilla, CWnd& modelo, QWidget* lienzo);
  // Unties the model: the framework's window may outlive the widgets.
  ~CFormulario();
  CFormulario(const CFormulario&) = delete;
  CFormulario& operator=(const CFormulario&) = delete;

  // The widget of a control, or null.
  QWidget* Control(int id) const;
  const PlantillaDialogo& Plantilla() const { return m_plantilla; }
  // The client size of the template in pixels.
  QSize Tamano() const { return m_tamano; }

  // A dialog that may grow past its template's size: the controls of
  // crecenX widen and those of muevenX move right with the extra width
  // (sunken lines widen too); those of crecenY grow with the extra height,
  // and every other control below yDebajo (dialog units) moves down.
  struct Estiramiento {
    int yDebajo = 0;
    std::vector<int> crecenX, muevenX, crecenY;
  };
  void Estirar(const QSize& tam, const Estiramiento& e);
  // Copies what the user typed or checked into the model.
  void LeerControles();
  // Shows the model's state on every widget.
  void AplicarModelo();
  // Focus on a control, its text selected when it is an edit.
  void Enfocar(int id);
  // The control a dialog opens with the focus on: its first field to type
  // in, else its first control that takes the focus.
  QWidget* PrimerControl() const;

  // A push button was clicked.
  std::function<void(int id)> alPulsar;
  // A control notifies: the user chose in a combo box (CBN_SELCHANGE), an
  // edit lost the focus or took Return (EN_KILLFOCUS).
  std::function<void(int id, UINT nCodigo)> alNotificar;

 private:
  const PlantillaDialogo& m_plantilla;
  // The widgets' signals reach the model through it: gone with the form,
  // so a widget that outlives it cannot touch the model.
  std::unique_ptr<QObject> m_pContexto;
  QSize m_tamano;
  std::vector<std::unique_ptr<CPeerControl>> m_peers;
  std::vector<std::pair<int, QWidget*>> m_widgets;  // in tab order
};
