#include "ui/cifras_prueba.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QString>

#include <algorithm>

#include "ui/formulario.h"

namespace {

constexpr const char* kNombreCaja = "formularioYPrueba";
constexpr const char* kNombreCifras = "cifrasPrueba";

QScrollArea* AreaDe(QWidget* lienzo) {
  for (QWidget* w = lienzo ? lienzo->parentWidget() : nullptr; w != nullptr; w = w->parentWidget())
    if (auto* a = qobject_cast<QScrollArea*>(w)) return a;
  return nullptr;
}

}  // namespace

QLabel* CifrasPrueba(QWidget* lienzo) {
  QWidget* caja = lienzo ? lienzo->parentWidget() : nullptr;
  if (caja == nullptr || caja->objectName() != QLatin1String(kNombreCaja)) return nullptr;
  return caja->findChild<QLabel*>(QLatin1String(kNombreCifras), Qt::FindDirectChildrenOnly);
}

void MostrarCifrasPrueba(QWidget* lienzo, const QString& texto) {
  QLabel* cifras = CifrasPrueba(lienzo);
  if (cifras == nullptr) {
    // Nothing to tell and no strip yet: the window stays as it is.
    if (texto.isEmpty()) return;
    QScrollArea* area = AreaDe(lienzo);
    if (area == nullptr || area->widget() != lienzo) return;
    // The form and the strip under it, in one widget of the scroll area.
    area->takeWidget();
    auto* caja = new QWidget();
    caja->setObjectName(QLatin1String(kNombreCaja));
    lienzo->setParent(caja);
    lienzo->move(0, 0);
    lienzo->show();
    cifras = new QLabel(caja);
    cifras->setObjectName(QLatin1String(kNombreCifras));
    cifras->setFont(FuenteDialogo());
    cifras->setWordWrap(true);
    cifras->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cifras->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const UnidadesBase u = UnidadesDialogo(FuenteDialogo());
    cifras->setContentsMargins(DialogoAPixelX(13, u), DialogoAPixelY(2, u), DialogoAPixelX(13, u),
                               DialogoAPixelY(4, u));
    cifras->hide();
    caja->setFixedSize(lienzo->size());
    area->setWidget(caja);
  }
  const bool bAntes = !cifras->isHidden();
  const bool bAhora = !texto.isEmpty();
  if (cifras->text() == texto && bAntes == bAhora) return;
  QWidget* caja = cifras->parentWidget();
  const int altoAntes = caja->height();
  cifras->setText(texto);
  const int ancho = lienzo->width();
  const int alto = bAhora ? std::max(cifras->heightForWidth(ancho), 0) : 0;
  cifras->setGeometry(0, lienzo->height(), ancho, alto);
  cifras->setVisible(bAhora);
  caja->setFixedSize(ancho, lienzo->height() + alto);
  // A window not shown yet takes the size that shows it all, as it took the
  // form's; one that showed the whole of it grows to show the strip, never
  // past its area; one the user made smaller scrolls.
  QScrollArea* area = AreaDe(lienzo);
  const int crece = caja->height() - altoAntes;
  QMdiSubWindow* hijo = nullptr;
  for (QWidget* w = area; w != nullptr && hijo == nullptr; w = w->parentWidget()) hijo = qobject_cast<QMdiSubWindow*>(w);
  if (hijo == nullptr || crece <= 0 || hijo->isMaximized() || hijo->isMinimized()) return;
  if (!hijo->isVisible()) {
    hijo->resize(hijo->size().expandedTo(hijo->sizeHint()));
    return;
  }
  if (area->viewport()->height() < altoAntes) return;
  int nuevo = hijo->height() + crece;
  if (QMdiArea* mdi = hijo->mdiArea()) nuevo = std::min(nuevo, std::max(hijo->height(), mdi->viewport()->height() - hijo->y()));
  if (nuevo != hijo->height()) hijo->resize(hijo->width(), nuevo);
}
