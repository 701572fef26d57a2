// The training graphs on screen: each frame control draws on a surface of
// its own that keeps what was drawn, so that an update pass adds its curves
// over the frame's last full redraw.
#pragma once

#include <QFont>
#include <QImage>
#include <QWidget>

#include "ui/plan/plan_grafica.h"

// Replays one frame's plan on a surface of the frame's client size: fill and
// border in pixels, then lines and labels through the frame's mapping. The
// surface's device pixel ratio says how many device pixels a pixel of the
// frame has: the plan is drawn at that resolution.
void PintarPlanMarco(QImage& superficie, const PlanMarco& plan, const QFont& fuente);

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

 protected:
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
