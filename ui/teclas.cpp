#include "ui/teclas.h"

#include <QGuiApplication>

// The build finds Xlib's keyboard extension (NRV_CON_XKB) and Qt speaks to
// an X server through xcb.
#if defined(NRV_CON_XKB) && QT_CONFIG(xcb)
#define NRV_XKB 1
// After every Qt header: Xlib defines names (Bool, Status, KeyPress) that
// Qt's headers use too.
#include <X11/XKBlib.h>
#endif

#ifdef NRV_XKB
namespace {

// The state of one named indicator ("Caps Lock"), or nothing when the
// keyboard map has no such light. The name's atom is asked for once per
// display: the panes are read several times a second.
std::optional<bool> Indicador(Display* d, const char* nombre, Display*& dAtomo, Atom& atomo) {
  if (dAtomo != d) {
    atomo = XInternAtom(d, nombre, True);
    dAtomo = d;
  }
  if (atomo == None) return std::nullopt;
  int indice = 0;
  Bool encendido = False;
  if (!XkbGetNamedIndicator(d, atomo, &indice, &encendido, nullptr, nullptr)) return std::nullopt;
  return encendido != False;
}

}  // namespace
#endif

EstadoTeclas LeerEstadoTeclas() {
  EstadoTeclas e;
#ifdef NRV_XKB
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* d = x11 ? x11->display() : nullptr;
  if (d == nullptr) return e;
  static Display* dAtomos[3] = {nullptr, nullptr, nullptr};
  static Atom atomos[3] = {None, None, None};
  e.mayusculas = Indicador(d, "Caps Lock", dAtomos[0], atomos[0]);
  e.numerico = Indicador(d, "Num Lock", dAtomos[1], atomos[1]);
  e.desplazamiento = Indicador(d, "Scroll Lock", dAtomos[2], atomos[2]);
#endif
  return e;
}
