// The graph window of a network: its three measures against the epoch on
// charts with axes (automatic ranges, a logarithmic scale for the errors),
// zoom and pan, the figures under the pointer, other open networks laid
// over it; and the report page, drawn from the same charts.
#pragma once

#include <QString>
#include <QWidget>
#include <QtCharts/QChartView>

#include <array>
#include <functional>
#include <vector>

#include "framework/afx.h"
#include "network/opciones.h"

class CNodusDoc;
class QCheckBox;
class QLabel;
class QPainter;
class QSpinBox;
class QTabWidget;
class QTableWidget;
class QToolButton;

// One network's curves as a chart draws them: the history up to the
// entries published, copied so that the training thread may go on.
struct CurvasRed {
  QString titulo;
  double dCriterio = 0.0;  // the stopping criterion on the maximum error
  UINT nMaxEpocas = 0;
  // Error máximo, error total, aciertos (%), one entry per epoch.
  std::array<std::vector<double>, 3> medidas;
  // The same of the training set, when the network measures it
  // (OpcionesRed::bMedirEntrenamiento; NaN for an epoch not measured),
  // else empty.
  std::array<std::vector<double>, 3> entrenamiento;
  // The test file's last figures, at the epochs completed when measured.
  bool bPrueba = false;
  FigurasPrueba prueba;
  // Each class's hit rate on the verification file, nClases per epoch.
  UINT nClases = 0;
  std::vector<double> aciertosClase;
  UINT Puntos() const { return static_cast<UINT>(medidas[0].size()); }
  UINT PuntosClases() const { return nClases ? static_cast<UINT>(aciertosClase.size() / nClases) : 0u; }
};
CurvasRed CurvasDe(const CNodusDoc& doc);

enum MedidaGrafica { kGraficaErrorMaximo = 0, kGraficaErrorTotal = 1, kGraficaAciertos = 2, kGraficaClases = 3 };
// "Error máximo", "Error total", "Aciertos (%)", "Aciertos por clase (%)".
QString NombreMedida(int medida);
// The names of a curve of the training set and of the test file's figure:
// "iris.nrv (entrenamiento)", "iris.nrv (prueba)".
QString NombreEntrenamiento(const QString& titulo);
QString NombrePrueba(const QString& titulo);

// The figures of epoch e (1-based) of a network, as the readout shows them.
QString TextoLectura(const CurvasRed& red, UINT epoca);

// Fills a chart with one measure of the networks: a curve per network,
// named by its title, in the form's colour for the first and in others
// for the rest; then, for the networks that measure their training set,
// its curve dashed in the same colour, and for those with test figures
// their mark at the epoch measured; on the maximum error, the first
// network's criterion as a dash-dot line, last. The errors go on a logarithmic axis when log says so.
// With ajustar, the ranges follow the data (all of it inside the plot).
// fuente, when given, is the texts' font (pixel sizes scale with the
// painter of a page).
void LlenarGrafica(QChart* chart, int medida, const std::vector<CurvasRed>& redes, bool log, bool ajustar,
                   const QFont* fuente = nullptr);

// Fills a chart with each class's hit rate on the verification file over
// the epochs, a curve per class named by it (nombres; numbered when they
// are not one per class), on a linear band round them.
void LlenarGraficaClases(QChart* chart, const CurvasRed& red, const QStringList& nombres, bool ajustar);

// A chart on screen: a rubber band or the wheel zooms, the middle button
// or the arrows pan, + and - zoom, 0 or Inicio shows the whole; the
// pointer's epoch goes out through alApuntar.
class CVistaGrafica : public QChartView {
  Q_OBJECT
 public:
  CVistaGrafica(int medida, QWidget* padre = nullptr);
  int Medida() const { return m_nMedida; }
  // Whether the user zoomed or panned: the ranges then stay as they are.
  bool Ampliada() const { return m_bAmpliada; }
  void VistaCompleta();
  // The epoch under a point of the view, or 0 outside the plot.
  UINT EpocaEn(QPointF punto) const;

  std::function<void(UINT epoca)> alApuntar;
  std::function<void()> alCambiarVista;

 protected:
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void Ampliar(qreal factor, QPointF centro);
  void Desplazar(qreal dx, qreal dy);
  int m_nMedida;
  bool m_bAmpliada = false;
  bool m_bArrastrando = false;
  QPointF m_ultimo;
};

// The per-class page of the graph window: each class's hit rate over the
// epochs, the confusion matrix at the end of a chosen epoch (as recorded
// by the training; epoch 0 measures the current weights), and the
// verification samples the network gets wrong, both copyable as
// tab-separated text.
class CPaginaClases : public QWidget {
  Q_OBJECT
 public:
  explicit CPaginaClases(CNodusDoc* pDoc, QWidget* padre = nullptr);
  CVistaGrafica* Vista() const { return m_pVista; }
  // Draws the curves as they stand, and the matrix when its epoch changed.
  void Refrescar();
  // The matrix of epoch e (1-based; 0: the current weights on the
  // verification file).
  void MostrarEpoca(UINT epoca);
  UINT Epoca() const;
  // The samples the network gets wrong, measured now.
  void MedirFalladas();
  QString TextoMatriz() const { return m_strMatriz; }
  QString TextoFalladas() const { return m_strFalladas; }
  QTableWidget* TablaMatriz() const { return m_pMatriz; }
  QTableWidget* TablaFalladas() const { return m_pFalladas; }
  QString Aviso() const;

 private:
  QStringList Clases();
  CNodusDoc* m_pDoc;
  CVistaGrafica* m_pVista = nullptr;
  QSpinBox* m_pEpoca = nullptr;
  QTableWidget* m_pMatriz = nullptr;
  QTableWidget* m_pFalladas = nullptr;
  QLabel* m_pAviso = nullptr;
  QLabel* m_pAvisoFalladas = nullptr;
  QString m_strMatriz, m_strFalladas;
  QStringList m_clases;
  bool m_bClases = false;
  UINT m_nPuntosVistos = 0;
};

// The window: the three charts one above the other, a logarithmic-scale
// box, the choice of networks to lay over, the whole view, the readout;
// the per-class page beside them.
class CVentanaGraficas : public QWidget {
  Q_OBJECT
 public:
  // abiertas lists the open networks (the overlay's choice).
  CVentanaGraficas(CNodusDoc* pDoc, std::function<std::vector<CNodusDoc*>()> abiertas, QWidget* padre = nullptr);
  ~CVentanaGraficas() override;

  CNodusDoc* Documento() const { return m_pDoc; }
  // The networks drawn: this one first, then those laid over it.
  std::vector<CNodusDoc*> Redes() const;
  void Superponer(CNodusDoc* pDoc, bool bSi);
  void FijarEscalaLogaritmica(bool bSi);
  bool EscalaLogaritmica() const;
  CVistaGrafica* Vista(int medida) const { return m_vistas[medida]; }
  CPaginaClases* PaginaClases() const { return m_pClases; }
  // Shows the measures (0) or the per-class page (1).
  void MostrarPagina(int pagina);
  QString Lectura() const;
  // Shows the figures of an epoch in the readout.
  void Apuntar(UINT epoca);
  // Draws the networks' histories as they stand.
  void Refrescar();

  // Every window that draws pDoc draws it again (a new epoch, a load).
  static void DocumentoActualizado(const CNodusDoc* pDoc);
  // pDoc closes: windows that lay it over forget it.
  static void DocumentoCerrado(const CNodusDoc* pDoc);

 private:
  void ElegirRedes();
  CNodusDoc* m_pDoc;
  std::function<std::vector<CNodusDoc*>()> m_abiertas;
  std::vector<CNodusDoc*> m_superpuestas;
  std::array<CVistaGrafica*, 3> m_vistas{};
  QCheckBox* m_pLog = nullptr;
  QToolButton* m_pRedes = nullptr;
  QLabel* m_pLectura = nullptr;
  QTabWidget* m_pPaginas = nullptr;
  CPaginaClases* m_pClases = nullptr;
  UINT m_nEpocaApuntada = 0;
};

// What a report page says of its network, besides the curves.
struct DatosInforme {
  QString titulo;       // "Curvas de entrenamiento de iris.nrv"
  QStringList lineas;   // shape, parameters, files, date, final figures
};
DatosInforme DatosDe(const CNodusDoc& doc, const QString& fecha);
// The date on a report page, the same in every locale.
QString FechaInforme();

// The report page on a painter: the rectangle is the page's printable
// area in the painter's coordinates, ppp its dots per inch. Title and
// lines at the top, the three charts below at the page's resolution, with
// a margin of margenMm millimetres all round.
void PintarInforme(QPainter& p, const QRectF& pagina, double ppp, const DatosInforme& datos,
                   const std::vector<CurvasRed>& redes, bool log, double margenMm);
// The page as a file: PNG of ancho x alto pixels (at 96 dpi per pixel of
// an A4 width's share), SVG and PDF of a landscape A4 page.
QByteArray PngInforme(const DatosInforme& datos, const std::vector<CurvasRed>& redes, bool log, QSize tam);
QByteArray SvgInforme(const DatosInforme& datos, const std::vector<CurvasRed>& redes, bool log);
QByteArray PdfInforme(const DatosInforme& datos, const std::vector<CurvasRed>& redes, bool log);

// The size of a report page as PNG when none is chosen: 150 dpi.
inline constexpr QSize kTamPngInforme{1754, 1240};
// The report page of the network file red written to destino, without
// any window (nrv --informe): a PDF, SVG or PNG (kTamPngInforme) page as
// Exportar informe writes it for a network whose graph window is closed.
// Failures go through the framework's host. Returns the exit code: 0
// written, 1 failed, 2 refused.
int InformeSinVentana(const CString& red, const CString& destino);
