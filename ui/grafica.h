// The training graphs on screen: each frame control draws on a surface of
// its own that keeps what was drawn, so that an update pass adds its curves
// over the frame's last full redraw.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QWidget>

#include <functional>

#include "plan/lamina.h"
#include "plan/plan_grafica.h"

class QPainter;

// Replays one frame's plan on a surface of the frame's client size: fill and
// border in pixels, then lines and labels through the frame's mapping. The
// surface's device pixel ratio says how many device pixels a pixel of the
// frame has: the plan is drawn at that resolution.
void PintarPlanMarco(QImage& superficie, const PlanMarco& plan, const QFont& fuente);
// The same with a painter whose coordinates are the frame's pixels, for a
// frame of w x h of them: on a page or a picture of any resolution.
void PintarPlanMarco(QPainter& p, double w, double h, const PlanMarco& plan, const QFont& fuente);

// The font of a sheet's texts: the form's font at its size in pixels, so
// that it scales with the painter that draws the sheet.
QFont FuenteLamina(const QFont& fuenteFormulario);
// The sheet of the training graphs (lamina.h) with a painter whose
// coordinates are the sheet's pixels: the form's background, the visible
// frames at their places, each clipped to itself, and the panel's titles
// and latest values.
void PintarLamina(QPainter& p, const Lamina& lamina, const QFont& fuente);
// The sheet as a PNG picture, escala device pixels per pixel of the sheet,
// and as a one-page PDF of the sheet's size (96 pixels to the inch), its
// lines and texts drawn, not photographed.
QByteArray PngLamina(const Lamina& lamina, const QFont& fuente, double escala);
QByteArray PdfLamina(const Lamina& lamina, const QFont& fuente, const QString& titulo);

// A black-frame control whose picture is its persistent surface.
class CMarcoGrafica : public QWidget {
  Q_OBJECT
 public:
  explicit CMarcoGrafica(QWidget* padre = nullptr);

  // The surface: the frame's client size (W x H pixels) at the screen's
  // device pixel ratio.
  const QImage& Superficie();
  // Draws a plan on the surface and repaints the frame.
  void Pintar(const PlanMarco& plan);

  // A double click on the frame (the view opens its graph window).
  std::function<void()> alDobleClic;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* evento) override;
  void paintEvent(QPaintEvent* evento) override;
  void resizeEvent(QResizeEvent* evento) override;

 private:
  // An empty frame: the form's background inside the black border.
  void Vaciar();
  // The surface was made for another size or screen density.
  bool Desajustada() const;

  QImage m_superficie;
  QSize m_tamano;
};
