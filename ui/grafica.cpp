#include "ui/grafica.h"

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

QColor AColor(ColorRGB c) { return QColor(c.r, c.g, c.b); }

// A pen of the plan on the surface. Widths are in the frame's pixels (the
// logical ones of the screen): the painter scales them, with everything
// else, to the surface's device pixels.
QPen APen(const Pluma& pluma) {
  QPen pen(AColor(pluma.color));
  pen.setWidthF(pluma.ancho);
  pen.setCosmetic(false);
  if (pluma.estilo == EstiloPluma::RayaPuntoPunto) {
    pen.setStyle(Qt::DashDotDotLine);
    pen.setCapStyle(Qt::FlatCap);
  } else {
    pen.setStyle(Qt::SolidLine);
    pen.setCapStyle(Qt::RoundCap);
  }
  return pen;
}

}  // namespace

void PintarPlanMarco(QImage& superficie, const PlanMarco& plan, const QFont& fuente) {
  if (superficie.isNull()) return;
  // The surface may have more device pixels than the frame has pixels (a
  // high-density screen): the painter maps the frame's pixels onto them,
  // so lines, texts and the border come out at the screen's resolution.
  const QSizeF tam = superficie.deviceIndependentSize();
  QPainter p(&superficie);
  PintarPlanMarco(p, tam.width(), tam.height(), plan, fuente);
}

void PintarPlanMarco(QPainter& p, double w, double h, const PlanMarco& plan, const QFont& fuente) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setFont(fuente);
  const QFontMetrics fm(fuente, p.device());

  const Mapeo& m = plan.mapeo;
  const bool mapeable = m.vistaX > 0 && m.vistaY < 0 && m.ventanaX > 0 && m.ventanaY > 0;
  // Segments are cut to the surface with a margin of a few pixels.
  constexpr double kMargen = 8.0;

  for (const Primitiva& pr : plan.primitivas) {
    switch (pr.tipo) {
      case TipoPrimitiva::Relleno:
        p.fillRect(QRectF(0, 0, w, h), AColor(pr.colorFondo));
        break;

      case TipoPrimitiva::Marco: {
        // The frame control's border: one pixel of the frame all round.
        const QColor c = AColor(pr.pluma.color);
        p.fillRect(QRectF(0, 0, w, 1), c);
        p.fillRect(QRectF(0, h - 1, w, 1), c);
        p.fillRect(QRectF(0, 0, 1, h), c);
        p.fillRect(QRectF(w - 1, 0, 1, h), c);
        break;
      }

      case TipoPrimitiva::Linea: {
        if (!mapeable) break;
        // The frame's mapping, logical units to the frame's pixels, done
        // here: a pen keeps its width whatever the mapping's scales.
        double ax = 0, ay = 0, bx = 0, by = 0;
        m.PixelDe(pr.desde, ax, ay);
        m.PixelDe(pr.hasta, bx, by);
        if (!Recortar(ax, ay, bx, by, -kMargen, -kMargen, w + kMargen, h + kMargen)) break;
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
        const QString texto = QString::fromUtf8(pr.texto.c_str());
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
  p.restore();
}

QFont FuenteLamina(const QFont& fuenteFormulario) {
  QFont f = fuenteFormulario;
  f.setPixelSize(QFontInfo(fuenteFormulario).pixelSize());
  return f;
}

void PintarLamina(QPainter& p, const Lamina& lamina, const QFont& fuente) {
  p.save();
  p.fillRect(QRectF(0, 0, lamina.ancho, lamina.alto), AColor(lamina.fondo));
  for (const MarcoLamina& m : lamina.marcos) {
    if (!m.bVisible) continue;
    p.save();
    p.translate(m.x, m.y);
    p.setClipRect(QRectF(0, 0, m.ancho, m.alto), Qt::IntersectClip);
    PintarPlanMarco(p, m.ancho, m.alto, m.plan, fuente);
    p.restore();
  }
  p.setFont(fuente);
  p.setPen(AColor(kColorNegro));
  for (const TextoLamina& t : lamina.textos) {
    int alineacion = t.alineacion == Alineacion::Derecha  ? Qt::AlignRight
                     : t.alineacion == Alineacion::Centro ? Qt::AlignHCenter
                                                          : Qt::AlignLeft;
    alineacion |= t.bCentradoV ? Qt::AlignVCenter : Qt::AlignTop;
    p.drawText(QRect(t.x, t.y, t.ancho, t.alto), alineacion, QString::fromUtf8(t.texto.c_str()));
  }
  p.restore();
}

QByteArray PngLamina(const Lamina& lamina, const QFont& fuente, double escala) {
  if (!(escala >= 1.0) || escala > 16.0) escala = 1.0;
  QImage img(QSize(static_cast<int>(std::ceil(std::max(1, lamina.ancho) * escala)),
                   static_cast<int>(std::ceil(std::max(1, lamina.alto) * escala))),
             QImage::Format_RGB32);
  img.setDevicePixelRatio(escala);
  // Printed, the picture keeps the size it has on a 96-dpi screen.
  const int puntosPorMetro = static_cast<int>(std::lround(96.0 * escala / 0.0254));
  img.setDotsPerMeterX(puntosPorMetro);
  img.setDotsPerMeterY(puntosPorMetro);
  img.fill(AColor(lamina.fondo));
  {
    QPainter p(&img);
    PintarLamina(p, lamina, fuente);
  }
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!img.save(&buffer, "PNG")) return QByteArray();
  return bytes;
}

QByteArray PdfLamina(const Lamina& lamina, const QFont& fuente, const QString& titulo) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setTitle(titulo);
    pdf.setCreator(QStringLiteral("nrv"));
    pdf.setResolution(1200);
    constexpr double kPuntosPorPixel = 72.0 / 96.0;
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(std::max(1, lamina.ancho) * kPuntosPorPixel,
                                                   std::max(1, lamina.alto) * kPuntosPorPixel),
                                            QPageSize::Point),
                                  QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter p;
    if (!p.begin(&pdf)) return QByteArray();
    const double escala = pdf.resolution() / 96.0;
    p.scale(escala, escala);
    PintarLamina(p, lamina, fuente);
    p.end();
  }
  return bytes;
}

CMarcoGrafica::CMarcoGrafica(QWidget* padre) : QWidget(padre) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  Vaciar();
}

void CMarcoGrafica::Vaciar() {
  const QSize tam = size().expandedTo(QSize(1, 1));
  const qreal proporcion = devicePixelRatioF();
  m_superficie = QImage(QSize(static_cast<int>(std::ceil(tam.width() * proporcion)),
                              static_cast<int>(std::ceil(tam.height() * proporcion))),
                        QImage::Format_RGB32);
  m_superficie.setDevicePixelRatio(proporcion);
  m_tamano = tam;
  m_superficie.fill(palette().color(QPalette::Window));
  // The black frame control's border, one pixel of the frame wide.
  PlanMarco borde;
  Primitiva marco;
  marco.tipo = TipoPrimitiva::Marco;
  marco.pluma = Pluma{EstiloPluma::Solida, 1, kColorNegro};
  borde.primitivas.push_back(marco);
  PintarPlanMarco(m_superficie, borde, font());
}

bool CMarcoGrafica::Desajustada() const {
  return m_superficie.isNull() || m_tamano != size().expandedTo(QSize(1, 1)) ||
         m_superficie.devicePixelRatio() != devicePixelRatioF();
}

const QImage& CMarcoGrafica::Superficie() {
  if (Desajustada()) Vaciar();
  return m_superficie;
}

void CMarcoGrafica::Pintar(const PlanMarco& plan) {
  // A new size or screen density starts an empty surface; the full redraw
  // that comes with it fills it.
  if (Desajustada()) Vaciar();
  PintarPlanMarco(m_superficie, plan, font());
  update();
}

void CMarcoGrafica::paintEvent(QPaintEvent*) {
  QPainter p(this);
  // Drawn at its own ratio: device pixel for device pixel on the screen it
  // was made for.
  p.drawImage(QPointF(0, 0), m_superficie);
}

void CMarcoGrafica::mouseDoubleClickEvent(QMouseEvent* evento) {
  if (alDobleClic) alDobleClic();
  else QWidget::mouseDoubleClickEvent(evento);
}

void CMarcoGrafica::resizeEvent(QResizeEvent* evento) {
  QWidget::resizeEvent(evento);
  if (Desajustada()) Vaciar();
}
