#include "ui/ayuda.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeySequence>
#include <QListWidget>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>

#include <algorithm>

#include "resources/recursos.h"
#include "resources/resource.h"
#include "ui/formulario.h"

// The manual lives in the resources that the build makes from docs/manual;
// they are in a static library, so their registration is pulled in by hand.
static void IniciarManual() {
  static const bool hecho = [] {
    Q_INIT_RESOURCE(manual);
    return true;
  }();
  (void)hecho;
}

namespace {

const char* const kCarpeta = ":/manual";

// The title of a chapter: its first "# " line, or its file name.
QString TituloDe(const QString& ruta) {
  QFile f(ruta);
  if (f.open(QIODevice::ReadOnly)) {
    while (!f.atEnd()) {
      const QString linea = QString::fromUtf8(f.readLine()).trimmed();
      if (linea.startsWith(QLatin1String("# "))) return linea.mid(2).trimmed();
    }
  }
  return QFileInfo(ruta).completeBaseName();
}

// The chapter's pages: a picture wider than the page is shown at the
// page's width, and again when the window changes width.
class CNavegadorAyuda : public QTextBrowser {
 public:
  explicit CNavegadorAyuda(QWidget* padre) : QTextBrowser(padre) {
    m_reloj.setSingleShot(true);
    m_reloj.setInterval(150);
    QObject::connect(&m_reloj, &QTimer::timeout, this, [this] {
      if (source().isEmpty()) return;
      const int posicion = verticalScrollBar()->value();
      reload();
      verticalScrollBar()->setValue(posicion);
    });
  }

  QVariant loadResource(int tipo, const QUrl& nombre) override {
    QVariant v = QTextBrowser::loadResource(tipo, nombre);
    if (tipo != QTextDocument::ImageResource || !v.isValid()) return v;
    QImage img = v.typeId() == QMetaType::QImage ? v.value<QImage>() : QImage::fromData(v.toByteArray());
    const int ancho = AnchoPagina();
    if (img.isNull() || img.width() <= ancho) return v;
    return img.scaledToWidth(ancho, Qt::SmoothTransformation);
  }

  // The width a picture may take: the page's, less its margins.
  int AnchoPagina() const {
    return std::max(120, viewport()->width() - 2 * int(document()->documentMargin()) - 4);
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QTextBrowser::resizeEvent(e);
    if (e->oldSize().width() != e->size().width()) m_reloj.start();
  }

 private:
  QTimer m_reloj;
};

}  // namespace

QList<CapituloManual> CapitulosManual() {
  IniciarManual();
  static const QRegularExpression kNombre(QStringLiteral("^\\d+-[^/]+\\.md$"));
  QList<CapituloManual> capitulos;
  QStringList ficheros = QDir(QString::fromUtf8(kCarpeta)).entryList(QDir::Files);
  // In the order of their numbers ("5-" before "10-"), then by name.
  std::sort(ficheros.begin(), ficheros.end(), [](const QString& a, const QString& b) {
    const int na = a.section(QLatin1Char('-'), 0, 0).toInt();
    const int nb = b.section(QLatin1Char('-'), 0, 0).toInt();
    return na != nb ? na < nb : a < b;
  });
  for (const QString& f : ficheros)
    if (kNombre.match(f).hasMatch())
      capitulos.append({f, TituloDe(QString::fromUtf8(kCarpeta) + QLatin1Char('/') + f)});
  return capitulos;
}

QUrl UrlCapitulo(const QString& fichero) {
  return QUrl(QStringLiteral("qrc%1/%2").arg(QString::fromUtf8(kCarpeta), fichero));
}

CVentanaAyuda::CVentanaAyuda(QWidget* padre) : QMainWindow(padre), m_capitulos(CapitulosManual()) {
  setObjectName(QStringLiteral("ventanaAyuda"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(QStringLiteral("Temas de ayuda - %1").arg(QString::fromStdString(AfxCargarCadena(IDR_MAINFRAME))));
  setWindowIcon(IconoRecurso(IDR_MAINFRAME));

  m_pIndice = new QListWidget(this);
  m_pIndice->setObjectName(QStringLiteral("indiceAyuda"));
  for (const CapituloManual& c : m_capitulos) {
    auto* e = new QListWidgetItem(c.titulo, m_pIndice);
    e->setData(Qt::UserRole, c.fichero);
  }
  m_pNavegador = new CNavegadorAyuda(this);
  m_pNavegador->setObjectName(QStringLiteral("navegadorAyuda"));
  m_pNavegador->setOpenExternalLinks(true);  // a web address opens in the browser, if there is one
  m_pNavegador->setSearchPaths({QString::fromUtf8(kCarpeta)});

  auto* division = new QSplitter(this);
  division->addWidget(m_pIndice);
  division->addWidget(m_pNavegador);
  division->setStretchFactor(1, 1);
  division->setSizes({220, 680});
  setCentralWidget(division);

  auto* barra = addToolBar(QStringLiteral("Navegación"));
  barra->setObjectName(QStringLiteral("barraAyuda"));
  barra->setMovable(false);
  QAction* atras = barra->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Atrás"));
  atras->setShortcuts(QKeySequence::Back);
  QAction* adelante = barra->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Adelante"));
  adelante->setShortcuts(QKeySequence::Forward);
  QAction* inicio = barra->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Contenido"));
  atras->setEnabled(false);
  adelante->setEnabled(false);
  connect(atras, &QAction::triggered, m_pNavegador, &QTextBrowser::backward);
  connect(adelante, &QAction::triggered, m_pNavegador, &QTextBrowser::forward);
  connect(inicio, &QAction::triggered, this, [this] { MostrarContexto(kContextoTemasAyuda); });
  connect(m_pNavegador, &QTextBrowser::backwardAvailable, atras, &QAction::setEnabled);
  connect(m_pNavegador, &QTextBrowser::forwardAvailable, adelante, &QAction::setEnabled);
  connect(m_pNavegador, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) { SincronizarIndice(url); });
  connect(m_pIndice, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* e) {
    if (e != nullptr && e->data(Qt::UserRole).toString() != CapituloActual())
      MostrarCapitulo(e->data(Qt::UserRole).toString());
  });
  // Esc and Ctrl+W close it, as a help window does.
  auto* cerrar = new QAction(this);
  cerrar->setObjectName(QStringLiteral("cerrarAyuda"));
  QList<QKeySequence> teclas = {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
  for (const QKeySequence& k : QKeySequence::keyBindings(QKeySequence::Close))
    if (!teclas.contains(k)) teclas << k;
  cerrar->setShortcuts(teclas);
  cerrar->setShortcutContext(Qt::WindowShortcut);
  connect(cerrar, &QAction::triggered, this, &QWidget::close);
  addAction(cerrar);
  // Never larger than the screen it opens on.
  const QScreen* pantalla = padre ? padre->screen() : QGuiApplication::primaryScreen();
  QSize tam(900, 640);
  if (pantalla) tam = tam.boundedTo(pantalla->availableGeometry().size() * 0.9);
  resize(tam);
}

bool CVentanaAyuda::MostrarContexto(UINT contexto) {
  // One context today: the manual's first chapter.
  if (contexto != kContextoTemasAyuda || m_capitulos.isEmpty()) return false;
  return MostrarCapitulo(m_capitulos.front().fichero);
}

bool CVentanaAyuda::MostrarCapitulo(const QString& fichero) {
  const auto it = std::find_if(m_capitulos.begin(), m_capitulos.end(),
                               [&](const CapituloManual& c) { return c.fichero == fichero; });
  if (it == m_capitulos.end()) return false;
  m_pNavegador->setSource(UrlCapitulo(fichero), QTextDocument::MarkdownResource);
  return true;
}

QString CVentanaAyuda::CapituloActual() const { return m_pNavegador->source().fileName(); }

void CVentanaAyuda::SincronizarIndice(const QUrl& url) {
  const QString fichero = url.fileName();
  for (int i = 0; i < m_pIndice->count(); ++i) {
    if (m_pIndice->item(i)->data(Qt::UserRole).toString() != fichero) continue;
    if (m_pIndice->currentRow() != i) m_pIndice->setCurrentRow(i);
    return;
  }
}
