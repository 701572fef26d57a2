#include "plan/svg.h"

#include <algorithm>
#include <cmath>

#include "framework/texto.h"

namespace {

// A coordinate with at most three decimals, without trailing zeros.
CString Num(double v) {
  if (!std::isfinite(v)) v = 0.0;
  CString s = FormatC("%.3f", v);
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

CString Color(ColorRGB c) { return FormatC("#%02x%02x%02x", c.r, c.g, c.b); }

// Text for XML: valid UTF-8 (a byte that is not becomes U+FFFD), markup
// escaped, control characters (not allowed in XML 1.0) made blanks.
CString Xml(const CString& texto) {
  const CString s = Utf16AUtf8(Utf8AUtf16(texto));
  CString r;
  for (char c : s) {
    switch (c) {
      case '&':
        r += "&amp;";
        break;
      case '<':
        r += "&lt;";
        break;
      case '>':
        r += "&gt;";
        break;
      case '"':
        r += "&quot;";
        break;
      default:
        r += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' ? ' ' : c;
    }
  }
  return r;
}

CString Recortado(const CString& s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == CString::npos) return CString();
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The stroke of a pen: widths in pixels; the dash-dot-dot pattern in pen
// widths as the toolkit draws it (dash 4, gap 2, dot 1, gap 2, dot 1, gap 2).
CString Trazo(const Pluma& p) {
  CString s = FormatC("stroke=\"%s\" stroke-width=\"%d\" fill=\"none\"", Color(p.color).c_str(), p.ancho);
  if (p.estilo == EstiloPluma::RayaPuntoPunto) {
    const int w = p.ancho < 1 ? 1 : p.ancho;
    s += FormatC(" stroke-dasharray=\"%d %d %d %d %d %d\" stroke-linecap=\"butt\"", 4 * w, 2 * w, w, 2 * w, w, 2 * w);
  } else {
    s += " stroke-linecap=\"round\" stroke-linejoin=\"round\"";
  }
  return s;
}

// The text of a label is as wide as its characters in an average font.
double AnchoTexto(const CString& s, double tamFuente) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;  // UTF-8 characters
  return 0.6 * tamFuente * static_cast<double>(n);
}

class CSvg {
 public:
  explicit CSvg(const Lamina& l) : m_l(l), m_dFuente(l.base.y * 0.82), m_dAscenso(l.base.y * 0.77) {}

  void Marco(int k) {
    const MarcoLamina& m = m_l.marcos[k];
    const int id = m.plan.id;
    m_s += FormatC("  <g id=\"grafica%d\" transform=\"translate(%d,%d)\" clip-path=\"url(#recorte%d)\">\n", id, m.x, m.y,
                   id);
    const Mapeo& mp = m.plan.mapeo;
    const bool mapeable = mp.vistaX > 0 && mp.vistaY < 0 && mp.ventanaX > 0 && mp.ventanaY > 0;
    // Lines far outside are cut a whole frame beyond its edges, so that
    // every point near the frame stays exactly where the plan puts it.
    const double x0 = -m.ancho, y0 = -m.alto, x1 = 2.0 * m.ancho, y1 = 2.0 * m.alto;
    for (const Primitiva& p : m.plan.primitivas) {
      switch (p.tipo) {
        case TipoPrimitiva::Relleno:
          Cerrar();
          m_s += FormatC("    <rect width=\"%d\" height=\"%d\" fill=\"%s\"/>\n", m.ancho, m.alto, Color(p.colorFondo).c_str());
          break;
        case TipoPrimitiva::Marco:
          Cerrar();
          m_s += FormatC("    <rect x=\"0.5\" y=\"0.5\" width=\"%d\" height=\"%d\" fill=\"none\" stroke=\"%s\" stroke-width=\"1\"/>\n",
                         std::max(0, m.ancho - 1), std::max(0, m.alto - 1), Color(p.pluma.color).c_str());
          break;
        case TipoPrimitiva::Linea: {
          if (!mapeable) break;
          double ax = 0, ay = 0, bx = 0, by = 0;
          mp.PixelDe(p.desde, ax, ay);
          mp.PixelDe(p.hasta, bx, by);
          const bool dentro = std::fabs(ax) <= 1e5 && std::fabs(ay) <= 1e5 && std::fabs(bx) <= 1e5 && std::fabs(by) <= 1e5 &&
                              ax >= x0 && ax <= x1 && ay >= y0 && ay <= y1 && bx >= x0 && bx <= x1 && by >= y0 && by <= y1;
          if (!dentro && !Recortar(ax, ay, bx, by, x0, y0, x1, y1)) break;
          if (p.pluma.estilo != EstiloPluma::Solida) {
            // The gaps of a styled pen show the surface's background.
            Cerrar();
            const CString d = FormatC("x1=\"%s\" y1=\"%s\" x2=\"%s\" y2=\"%s\"", Num(ax).c_str(), Num(ay).c_str(),
                                      Num(bx).c_str(), Num(by).c_str());
            m_s += FormatC("    <line %s stroke=\"%s\" stroke-width=\"%d\"/>\n", d.c_str(), Color(p.colorFondo).c_str(),
                           p.pluma.ancho);
            m_s += FormatC("    <line %s %s/>\n", d.c_str(), Trazo(p.pluma).c_str());
            break;
          }
          // Consecutive segments of one pen that meet make one polyline.
          const bool sigue = m_bAbierta && dentro && m_bUltimaDentro && m_pluma == p.pluma && m_fin == p.desde;
          if (!sigue) {
            Cerrar();
            m_s += FormatC("    <polyline %s points=\"%s,%s", Trazo(p.pluma).c_str(), Num(ax).c_str(), Num(ay).c_str());
            m_bAbierta = true;
            m_pluma = p.pluma;
          }
          m_s += " " + Num(bx) + "," + Num(by);
          m_fin = p.hasta;
          m_bUltimaDentro = dentro;
          break;
        }
        case TipoPrimitiva::Texto: {
          Cerrar();
          if (!mapeable) break;
          double px = 0, py = 0;
          mp.PixelDe(p.desde, px, py);
          if (!std::isfinite(px) || !std::isfinite(py) || std::fabs(px) > 1e5 || std::fabs(py) > 1e5) break;
          const double x = std::lround(px), y = std::lround(py);
          m_s += FormatC("    <rect x=\"%s\" y=\"%s\" width=\"%s\" height=\"%d\" fill=\"%s\"/>\n", Num(x).c_str(),
                         Num(y).c_str(), Num(AnchoTexto(p.texto, m_dFuente)).c_str(), m_l.base.y,
                         Color(p.colorFondo).c_str());
          m_s += FormatC("    <text x=\"%s\" y=\"%s\" fill=\"%s\">%s</text>\n", Num(x).c_str(), Num(y + m_dAscenso).c_str(),
                         Color(p.colorTexto).c_str(), Xml(p.texto).c_str());
          break;
        }
      }
    }
    Cerrar();
    m_s += "  </g>\n";
  }

  void Texto(const TextoLamina& t) {
    CString texto = Recortado(t.texto);
    if (texto.empty()) return;
    // No training gives a figure of more than 24 characters (10^16 and up);
    // one read from a damaged file shows the start that fits its field.
    if (t.bCifra && texto.size() > 24)
      while (texto.size() > 1 && AnchoTexto(texto, m_dFuente) > t.ancho) texto.pop_back();
    double x = t.x;
    const char* ancla = "start";
    if (t.alineacion == Alineacion::Derecha) {
      x = t.x + t.ancho;
      ancla = "end";
    } else if (t.alineacion == Alineacion::Centro) {
      x = t.x + t.ancho / 2.0;
      ancla = "middle";
    }
    const double y = t.bCentradoV ? t.y + (t.alto - m_l.base.y) / 2.0 + m_dAscenso : t.y + m_dAscenso;
    const CString id = t.id > 0 ? FormatC(" id=\"texto%d\"", t.id) : CString();
    m_s += FormatC("  <text%s x=\"%s\" y=\"%s\" text-anchor=\"%s\">%s</text>\n", id.c_str(), Num(x).c_str(),
                   Num(y).c_str(), ancla, Xml(texto).c_str());
  }

  std::string Escribir(const CString& titulo) {
    m_s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    m_s += FormatC(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%d\" height=\"%d\" viewBox=\"0 0 %d %d\" "
        "font-family=\"sans-serif\" font-size=\"%s\" shape-rendering=\"crispEdges\">\n",
        m_l.ancho, m_l.alto, m_l.ancho, m_l.alto, Num(m_dFuente).c_str());
    m_s += "  <title>" + Xml(titulo) + "</title>\n";
    m_s += "  <defs>\n";
    for (const MarcoLamina& m : m_l.marcos)
      m_s += FormatC("    <clipPath id=\"recorte%d\"><rect width=\"%d\" height=\"%d\"/></clipPath>\n", m.plan.id, m.ancho,
                     m.alto);
    m_s += "  </defs>\n";
    m_s += FormatC("  <rect width=\"%d\" height=\"%d\" fill=\"%s\"/>\n", m_l.ancho, m_l.alto, Color(m_l.fondo).c_str());
    for (int k = 0; k < 3; ++k)
      if (m_l.marcos[k].bVisible) Marco(k);
    m_s += FormatC("  <g fill=\"%s\">\n", Color(kColorNegro).c_str());
    for (const TextoLamina& t : m_l.textos) Texto(t);
    m_s += "  </g>\n</svg>\n";
    return std::string(m_s);
  }

 private:
  void Cerrar() {
    if (!m_bAbierta) return;
    m_s += "\"/>\n";
    m_bAbierta = false;
  }

  const Lamina& m_l;
  const double m_dFuente;
  const double m_dAscenso;
  CString m_s;
  bool m_bAbierta = false;
  bool m_bUltimaDentro = false;
  Pluma m_pluma;
  PuntoLogico m_fin;
};

}  // namespace

std::string SvgLamina(const Lamina& lamina, const CString& strTitulo) { return CSvg(lamina).Escribir(strTitulo); }
