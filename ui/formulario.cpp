#include "ui/formulario.h"

#include <algorithm>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <cstdlib>

#include "framework/controles.h"

QFont FuenteDialogo() {
  QFont f(QStringLiteral("Sans Serif"));
  f.setStyleHint(QFont::SansSerif);
  f.setPointSize(8);
  return f;
}

UnidadesBase UnidadesDialogo(const QFont& fuente) {
  const QFontMetrics fm(fuente);
  const int ancho = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  UnidadesBase b;
  b.x = (ancho + 26) / 52;
  b.y = fm.height();
  if (b.x < 1) b.x = 1;
  if (b.y < 1) b.y = 1;
  return b;
}

namespace {

// MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>(p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c));
}

QString Q(const CString& s) { return QString::fromStdString(s); }

}  // namespace

int DialogoAPixelX(int x, const UnidadesBase& b) { return MulDiv(x, b.x, 4); }
int DialogoAPixelY(int y, const UnidadesBase& b) { return MulDiv(y, b.y, 8); }

QWidget* AfxWidgetDe(CWnd* wnd) {
  if (!wnd) return nullptr;
  auto* peer = dynamic_cast<IPeerQt*>(wnd->GetPeer());
  return peer ? peer->Widget() : nullptr;
}

// The images live in the static library: their registration is pulled in
// by hand.
static void IniciarIconos() {
  static const bool hecho = [] {
    Q_INIT_RESOURCE(iconos);
    return true;
  }();
  (void)hecho;
}

QIcon IconoRecurso(UINT id) {
  IniciarIconos();
  return QIcon(QStringLiteral(":/nrv/icono%1.svg").arg(id));
}

QIcon ImagenBarra(const char* nombre) {
  IniciarIconos();
  return QIcon(QStringLiteral(":/nrv/%1.svg").arg(QString::fromUtf8(nombre)));
}

// A text wider than its place in the template would be cut: this font is
// wider than the one the templates were drawn with. The label grows from
// its anchor (left, right or centre) as far as the form allows.
static void AjustarAncho(QLabel* l, const QRect& base) {
  if (l->wordWrap()) return;  // its lines take the text
  const int necesario = l->fontMetrics().horizontalAdvance(l->text()) + 1;
  QRect r = base;
  if (necesario > base.width()) {
    const int extra = necesario - base.width();
    if (l->alignment() & Qt::AlignRight) r.setLeft(base.left() - extra);
    else if (l->alignment() & Qt::AlignHCenter) r.adjust(-extra / 2, 0, extra - extra / 2, 0);
    else r.setRight(base.right() + extra);
    if (QWidget* p = l->parentWidget(); p && p->width() > 0) {
      if (r.left() < 0) r.moveLeft(0);
      if (r.right() >= p->width()) r.setRight(p->width() - 1);
    }
  }
  if (l->geometry() != r) l->setGeometry(r);
}

// Mirrors one model control on its widget.
class CPeerControl : public IPeerQt {
 public:
  CPeerControl(CWnd& ctl, QWidget* w, TipoControl tipo) : m_ctl(ctl), m_pWidget(w), m_tipo(tipo) {}
  ~CPeerControl() override {
    if (m_ctl.GetPeer() == this) m_ctl.SetPeer(nullptr);
  }

  void OnEstadoCambiado(CWnd& wnd) override {
    const QString texto = Q(wnd.GetWindowText());
    switch (m_tipo) {
      case TipoControl::Edit: {
        auto* e = static_cast<QLineEdit*>(m_pWidget);
        if (e->text() != texto) e->setText(texto);  // keeps the cursor while typing
        break;
      }
      case TipoControl::Boton:
      case TipoControl::BotonDefecto:
        static_cast<QPushButton*>(m_pWidget)->setText(texto);
        break;
      case TipoControl::Casilla: {
        auto* c = static_cast<QCheckBox*>(m_pWidget);
        c->setText(texto);
        if (c->isChecked() != (wnd.GetCheck() != 0)) c->setChecked(wnd.GetCheck() != 0);
        break;
      }
      case TipoControl::Estatico: {
        auto* l = static_cast<QLabel*>(m_pWidget);
        l->setText(texto);
        AjustarAncho(l, m_pWidget->property("nrvRect").toRect());
        break;
      }
      case TipoControl::Combo:
        MostrarCombo(static_cast<CComboBox&>(wnd), static_cast<QComboBox*>(m_pWidget));
        break;
      case TipoControl::Lista:
        MostrarLista(static_cast<CListCtrl&>(wnd), static_cast<QTableWidget*>(m_pWidget));
        break;
      case TipoControl::MarcoNegro:
      case TipoControl::LineaHundida:
      case TipoControl::Icono:
        break;
    }
    if (m_pWidget->isEnabled() != wnd.IsWindowEnabled()) m_pWidget->setEnabled(wnd.IsWindowEnabled());
    if (m_pWidget->isVisibleTo(m_pWidget->parentWidget()) != static_cast<bool>(wnd.IsWindowVisible()))
      m_pWidget->setVisible(wnd.IsWindowVisible());
  }

  void Invalidar(CWnd&) override { m_pWidget->update(); }

  CWnd& Control() { return m_ctl; }
  QWidget* Widget() override { return m_pWidget; }
  TipoControl Tipo() const { return m_tipo; }

 private:
  // The items only when they changed, so the open list is not rebuilt.
  static void MostrarCombo(const CComboBox& cb, QComboBox* w) {
    QStringList elementos;
    for (const CString& e : cb.Elementos()) elementos << Q(e);
    const QSignalBlocker bloqueo(w);
    QStringList actuales;
    for (int i = 0; i < w->count(); ++i) actuales << w->itemText(i);
    if (actuales != elementos) {
      w->clear();
      w->addItems(elementos);
    }
    if (w->currentIndex() != cb.GetCurSel()) w->setCurrentIndex(cb.GetCurSel());
  }

  static void MostrarLista(const CListCtrl& lc, QTableWidget* w) {
    const auto& columnas = lc.Columnas();
    const auto& filas = lc.Filas();
    w->clear();
    w->setColumnCount(static_cast<int>(columnas.size()));
    w->setRowCount(static_cast<int>(filas.size()));
    QStringList titulos;
    for (const auto& c : columnas) titulos << Q(c.strTitulo);
    w->setHorizontalHeaderLabels(titulos);
    for (int c = 0; c < static_cast<int>(columnas.size()); ++c) {
      Qt::Alignment a = Qt::AlignLeft;
      if (columnas[static_cast<std::size_t>(c)].nFormato == LVCFMT_RIGHT) a = Qt::AlignRight;
      if (columnas[static_cast<std::size_t>(c)].nFormato == LVCFMT_CENTER) a = Qt::AlignHCenter;
      if (QTableWidgetItem* h = w->horizontalHeaderItem(c)) h->setTextAlignment(a | Qt::AlignVCenter);
      for (int f = 0; f < static_cast<int>(filas.size()); ++f) {
        const auto& fila = filas[static_cast<std::size_t>(f)];
        auto* item = new QTableWidgetItem(static_cast<std::size_t>(c) < fila.size() ? Q(fila[static_cast<std::size_t>(c)]) : QString());
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setTextAlignment(a | Qt::AlignVCenter);
        w->setItem(f, c, item);
      }
    }
    w->resizeColumnsToContents();
  }

  CWnd& m_ctl;
  QWidget* m_pWidget;
  TipoControl m_tipo;
};

CFormulario::CFormulario(const PlantillaDialogo& plantilla, CWnd& modelo, QWidget* lienzo)
    : m_plantilla(plantilla), m_pContexto(std::make_unique<QObject>()) {
  const QFont fuente = FuenteDialogo();
  lienzo->setFont(fuente);
  const UnidadesBase b = UnidadesDialogo(fuente);
  m_tamano = QSize(DialogoAPixelX(plantilla.w, b), DialogoAPixelY(plantilla.h, b));
  lienzo->resize(m_tamano);

  QWidget* anterior = nullptr;
  for (const ControlPlantilla& c : plantilla.controles) {
    const QString texto = QString::fromUtf8(c.texto);
    QWidget* w = nullptr;
    switch (c.tipo) {
      case TipoControl::Edit: {
        auto* e = new QLineEdit(lienzo);
        e->setAlignment((c.estilo & ES_DERECHA) ? (Qt::AlignRight | Qt::AlignVCenter)
                                                : (Qt::AlignLeft | Qt::AlignVCenter));
        e->setText(texto);
        w = e;
        break;
      }
      case TipoControl::Boton:
      case TipoControl::BotonDefecto: {
        auto* p = new QPushButton(texto, lienzo);
        if (c.tipo == TipoControl::BotonDefecto) p->setDefault(true);
        w = p;
        break;
      }
      case TipoControl::Casilla:
        w = new QCheckBox(texto, lienzo);
        break;
      case TipoControl::Estatico: {
        auto* l = new QLabel(lienzo);
        l->setTextFormat(Qt::PlainText);  // paths and numbers shown as they are
        Qt::Alignment a = Qt::AlignLeft;
        if (c.estilo & SS_CENTRO) a = Qt::AlignHCenter;
        if (c.estilo & SS_DERECHA) a = Qt::AlignRight;
        a |= (c.estilo & SS_CENTRO_V) ? Qt::AlignVCenter : Qt::AlignTop;
        l->setAlignment(a);
        l->setWordWrap((c.estilo & SS_AJUSTE) != 0);
        l->setText(texto);
        w = l;
        break;
      }
      case TipoControl::Combo: {
        auto* cb = new QComboBox(lienzo);
        cb->setEditable(false);
        cb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        w = cb;
        break;
      }
      case TipoControl::Lista: {
        // A report-view list: headings, whole rows selected, nothing edited.
        auto* t = new QTableWidget(lienzo);
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        t->setSelectionMode(QAbstractItemView::SingleSelection);
        t->verticalHeader()->setVisible(false);
        t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 4);
        t->horizontalHeader()->setHighlightSections(false);
        t->setShowGrid(false);
        t->setWordWrap(false);
        t->setTabKeyNavigation(false);
        w = t;
        break;
      }
      case TipoControl::MarcoNegro: {
        auto* f = new QFrame(lienzo);
        f->setFrameShape(QFrame::Box);
        f->setFrameShadow(QFrame::Plain);
        QPalette pal = f->palette();
        pal.setColor(QPalette::WindowText, Qt::black);
        f->setPalette(pal);
        w = f;
        break;
      }
      case TipoControl::LineaHundida: {
        auto* f = new QFrame(lienzo);
        f->setFrameShape(c.w >= c.h ? QFrame::HLine : QFrame::VLine);
        f->setFrameShadow(QFrame::Sunken);
        w = f;
        break;
      }
      case TipoControl::Icono: {
        auto* l = new QLabel(lienzo);
        const UINT id = static_cast<UINT>(std::atoi(c.texto));
        l->setPixmap(IconoRecurso(id).pixmap(32, 32));
        w = l;
        break;
      }
    }
    w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
    w->setProperty("nrvId", c.id);
    if (c.tipo == TipoControl::Icono) {
      w->setGeometry(DialogoAPixelX(c.x, b), DialogoAPixelY(c.y, b), 32, 32);
    } else {
      int alto = DialogoAPixelY(c.h, b);
      if (c.tipo == TipoControl::LineaHundida && alto < 2) alto = 2;  // room for the sunken edge
      int ancho = DialogoAPixelX(c.w, b);
      if (c.tipo == TipoControl::LineaHundida && ancho < 2) ancho = 2;
      w->setGeometry(DialogoAPixelX(c.x, b), DialogoAPixelY(c.y, b), ancho, alto);
    }
    w->setProperty("nrvRect", w->geometry());
    w->setProperty("nrvBase", w->geometry());
    if (auto* l = qobject_cast<QLabel*>(w); l && c.tipo == TipoControl::Estatico) AjustarAncho(l, w->geometry());
    if (c.estilo & WS_DISABLED_) w->setEnabled(false);
    if (c.estilo & WS_OCULTO_) w->setVisible(false);

    const bool tabulable = (c.estilo & WS_TABSTOP_) != 0;
    if (!tabulable) {
      w->setFocusPolicy(Qt::NoFocus);
    } else {
      w->setFocusPolicy(Qt::StrongFocus);
      if (anterior) QWidget::setTabOrder(anterior, w);
      anterior = w;
    }
    m_widgets.emplace_back(c.id, w);

    if (c.id == IDC_STATIC) continue;
    CWnd* ctl = modelo.AddControl(c.id, c.texto, AfxNuevoControl(c.tipo));
    auto peer = std::make_unique<CPeerControl>(*ctl, w, c.tipo);
    ctl->SetPeer(peer.get());
    const int id = c.id;
    if (auto* boton = qobject_cast<QPushButton*>(w)) {
      QObject::connect(boton, &QPushButton::clicked, m_pContexto.get(), [this, id] {
        if (alPulsar) alPulsar(id);
      });
    } else if (auto* casilla = qobject_cast<QCheckBox*>(w)) {
      QObject::connect(casilla, &QCheckBox::toggled, m_pContexto.get(), [ctl](bool b) {
        if ((ctl->GetCheck() != 0) != b) ctl->SetCheck(b ? 1 : 0);
      });
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      QObject::connect(edit, &QLineEdit::textEdited, m_pContexto.get(),
                       [ctl](const QString& t) { ctl->SetWindowText(t.toStdString()); });
      QObject::connect(edit, &QLineEdit::editingFinished, m_pContexto.get(), [this, id] {
        if (alNotificar) alNotificar(id, EN_KILLFOCUS);
      });
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
      QObject::connect(cb, &QComboBox::activated, m_pContexto.get(), [this, ctl, id](int i) {
        if (auto* modelo = dynamic_cast<CComboBox*>(ctl); modelo && modelo->GetCurSel() != i) {
          modelo->SetCurSel(i);
          if (alNotificar) alNotificar(id, CBN_SELCHANGE);
        }
      });
    }
    m_peers.push_back(std::move(peer));
  }
}

CFormulario::~CFormulario() {
  m_pContexto.reset();
  m_peers.clear();
}

QWidget* CFormulario::Control(int id) const {
  for (const auto& [i, w] : m_widgets)
    if (i == id) return w;
  return nullptr;
}

void CFormulario::LeerControles() {
  for (auto& p : m_peers) {
    if (p->Tipo() == TipoControl::Edit) {
      const CString t = static_cast<QLineEdit*>(p->Widget())->text().toStdString();
      if (p->Control().GetWindowText() != t) p->Control().SetWindowText(t);
    } else if (p->Tipo() == TipoControl::Casilla) {
      const int c = static_cast<QCheckBox*>(p->Widget())->isChecked() ? 1 : 0;
      if (p->Control().GetCheck() != c) p->Control().SetCheck(c);
    } else if (p->Tipo() == TipoControl::Combo) {
      const int i = static_cast<QComboBox*>(p->Widget())->currentIndex();
      if (auto* cb = dynamic_cast<CComboBox*>(&p->Control()); cb && cb->GetCurSel() != i) cb->SetCurSel(i);
    }
  }
}

void CFormulario::AplicarModelo() {
  for (auto& p : m_peers) p->OnEstadoCambiado(p->Control());
}

void CFormulario::Enfocar(int id) {
  QWidget* w = Control(id);
  if (!w) return;
  w->setFocus(Qt::OtherFocusReason);
  if (auto* e = qobject_cast<QLineEdit*>(w)) e->selectAll();
}

void CFormulario::Estirar(const QSize& tam, const Estiramiento& e) {
  const int dx = std::max(0, tam.width() - m_tamano.width()), dy = std::max(0, tam.height() - m_tamano.height());
  auto en = [](const std::vector<int>& v, int id) { return std::find(v.begin(), v.end(), id) != v.end(); };
  for (std::size_t i = 0; i < m_widgets.size() && i < m_plantilla.controles.size(); ++i) {
    const ControlPlantilla& c = m_plantilla.controles[i];
    QWidget* w = m_widgets[i].second;
    QRect r = w->property("nrvBase").toRect();
    if (en(e.crecenX, c.id) || c.tipo == TipoControl::LineaHundida) r.setWidth(r.width() + dx);
    if (en(e.muevenX, c.id)) r.translate(dx, 0);
    if (en(e.crecenY, c.id)) r.setHeight(r.height() + dy);
    else if (c.y >= e.yDebajo) r.translate(0, dy);
    w->setProperty("nrvRect", r);
    if (auto* l = qobject_cast<QLabel*>(w); l && c.tipo == TipoControl::Estatico && !l->wordWrap()) AjustarAncho(l, r);
    else w->setGeometry(r);
  }
}

QWidget* CFormulario::PrimerControl() const {
  // The first field to type in, so that typing at once is not lost (a
  // template may list its buttons first); without one, the first control.
  QWidget* primero = nullptr;
  for (const auto& [i, w] : m_widgets) {
    if (w->focusPolicy() == Qt::NoFocus || !w->isEnabled() || w->isHidden()) continue;
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)) return w;
    if (!primero) primero = w;
  }
  return primero;
}
