#include "ui/grafica.h"

#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

QColor AColor(ColorRGB c) { return QColor(c.r, c.g, c.b); }

QPen APen(const Pluma& pluma) {
  QPen pen(AColor(pluma.color));
  pen.setWidth(pluma.ancho);
  // Widths are pixels whatever the mapping: the window is hundreds of
  // logical units per pixel across.
  pen.setCosmetic(true);
  if (pluma.estilo == EstiloPluma::RayaPuntoPunto) {
    pen.setStyle(Qt::DashDotDotLine);
    pen.setCapStyle(Qt::FlatCap);
  } else {
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
  }
  return pen;
}

// The frame's mapping on the painter: logical window, pixel viewport with y
// upwards. A window wider than the painter's integers (a damaged epoch
// limit) is set as the same transform.
void FijarMapeo(QPainter& p, const Mapeo& m) {
  if (m.ventanaX <= INT_MAX) {
    p.setWindow(0, 0, static_cast<int>(m.ventanaX), static_cast<int>(m.ventanaY));
    p.setViewport(m.origenX, m.origenY, m.vistaX, m.vistaY);
  } else {
    p.setViewTransformEnabled(false);
    p.setWorldTransform(QTransform(static_cast<double>(m.vistaX) / static_cast<double>(m.ventanaX), 0.0, 0.0,
                                   static_cast<double>(m.vistaY) / static_cast<double>(m.ventanaY), m.origenX,
                                   m.origenY));
  }
}

// Cuts a logical segment to the logical rectangle [x0, x1] x [y0, y1]
// (Liang-Barsky). Values far outside the frame come from the history
// unlimited; they are cut here so that the rasteriser only sees
// coordinates near the surface.
bool Recortar(double& ax, double& ay, double& bx, double& by, double x0, double y0, double x1, double y1) {
  const double dx = bx - ax;
  const double dy = by - ay;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double r = q[i] / p[i];
    if (p[i] < 0.0) {
      if (r > t1) return false;
      t0 = std::max(t0, r);
    } else {
      if (r < t0) return false;
      t1 = std::min(t1, r);
    }
  }
  const double nax = ax + t0 * dx, nay = ay + t0 * dy;
  const double nbx = ax + t1 * dx, nby = ay + t1 * dy;
  ax = nax;
  ay = nay;
  bx = nbx;
  by = nby;
  return true;
}

// The logical rectangle that covers the surface with a margin of a few
// pixels all round.
void RectanguloLogico(const Mapeo& m, int w, int h, double& x0, double& y0, double& x1, double& y1) {
  constexpr double kMargen = 8.0;
  const double ex = static_cast<double>(m.ventanaX) / m.vistaX;    // logical units per pixel across
  const double ey = static_cast<double>(m.ventanaY) / -m.vistaY;   // and up
  x0 = (-kMargen - m.origenX) * ex;
  x1 = (w + kMargen - m.origenX) * ex;
  y0 = (m.origenY - h - kMargen) * ey;
  y1 = (m.origenY + kMargen) * ey;
}

}  // namespace

void PintarPlanMarco(QImage& superficie, const PlanMarco& plan, const QFont& fuente) {
  const int w = superficie.width();
  const int h = superficie.height();
  if (w <= 0 || h <= 0) return;
  QPainter p(&superficie);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setFont(fuente);

  const Mapeo& m = plan.mapeo;
  const bool mapeable = m.vistaX > 0 && m.vistaY < 0 && m.ventanaX > 0 && m.ventanaY > 0;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (mapeable) RectanguloLogico(m, w, h, x0, y0, x1, y1);

  for (const Primitiva& pr : plan.primitivas) {
    switch (pr.tipo) {
      case TipoPrimitiva::Relleno:
        p.resetTransform();
        p.setViewTransformEnabled(false);
        p.fillRect(0, 0, w, h, AColor(pr.colorFondo));
        break;

      case TipoPrimitiva::Marco: {
        p.resetTransform();
        p.setViewTransformEnabled(false);
        QPen pen(AColor(pr.pluma.color));
        pen.setWidth(0);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, w - 1, h - 1);
        break;
      }

      case TipoPrimitiva::Linea: {
        if (!mapeable) break;
        double ax = static_cast<double>(pr.desde.x), ay = static_cast<double>(pr.desde.y);
        double bx = static_cast<double>(pr.hasta.x), by = static_cast<double>(pr.hasta.y);
        if (!Recortar(ax, ay, bx, by, x0, y0, x1, y1)) break;
        p.resetTransform();
        p.setViewTransformEnabled(true);
        FijarMapeo(p, m);
        p.setPen(APen(pr.pluma));
        if (pr.pluma.estilo != EstiloPluma::Solida) {
          // The gaps of a styled pen show the surface's background colour.
          p.setBackgroundMode(Qt::OpaqueMode);
          p.setBackground(AColor(pr.colorFondo));
        } else {
          p.setBackgroundMode(Qt::TransparentMode);
        }
        p.drawLine(QPointF(ax, ay), QPointF(bx, by));
        break;
      }

      case TipoPrimitiva::Texto: {
        if (!mapeable) break;
        double px = 0, py = 0;
        m.PixelDe(pr.desde, px, py);
        if (!std::isfinite(px) || !std::isfinite(py) || std::fabs(px) > 1e6 || std::fabs(py) > 1e6) break;
        // Text is not mapped: it stands upright with its top-left corner on
        // the anchor, on an opaque background.
        p.resetTransform();
        p.setViewTransformEnabled(false);
        const QString texto = QString::fromUtf8(pr.texto.c_str());
        const QFontMetrics fm(fuente);
        const QPoint esquina(static_cast<int>(std::lround(px)), static_cast<int>(std::lround(py)));
        const QRect caja(esquina, QSize(fm.horizontalAdvance(texto), fm.height()));
        p.fillRect(caja, AColor(pr.colorFondo));
        p.setPen(AColor(pr.colorTexto));
        p.setBackgroundMode(Qt::TransparentMode);
        p.drawText(esquina.x(), esquina.y() + fm.ascent(), texto);
        break;
      }
    }
  }
}

CMarcoGrafica::CMarcoGrafica(QWidget* padre) : QWidget(padre) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  Vaciar();
}

void CMarcoGrafica::Vaciar() {
  const QSize tam = size().expandedTo(QSize(1, 1));
  m_superficie = QImage(tam, QImage::Format_RGB32);
  m_superficie.fill(palette().color(QPalette::Window));
  QPainter p(&m_superficie);
  p.setPen(QPen(Qt::black, 0));
  p.drawRect(0, 0, tam.width() - 1, tam.height() - 1);
}

const QImage& CMarcoGrafica::Superficie() {
  if (m_superficie.size() != size()) Vaciar();
  return m_superficie;
}

void CMarcoGrafica::Pintar(const PlanMarco& plan) {
  if (m_superficie.size() != size()) Vaciar();
  PintarPlanMarco(m_superficie, plan, font());
  update();
}

void CMarcoGrafica::paintEvent(QPaintEvent* evento) {
  QPainter p(this);
  p.drawImage(evento->rect(), m_superficie, evento->rect());
}

void CMarcoGrafica::resizeEvent(QResizeEvent* evento) {
  QWidget::resizeEvent(evento);
  // A new size starts an empty surface; the next full redraw fills it.
  if (m_superficie.size() != size()) Vaciar();
}
