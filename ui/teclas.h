// The lock keys (Bloq Mayús, Bloq Num, Bloq Despl) as the platform tells
// them. The toolkit has no word for them; on X11 the keyboard extension's
// indicators (the lights) say what is locked, whichever window changed it.
#pragma once

#include <optional>

struct EstadoTeclas {
  // Empty: the platform cannot tell (the pane stays grey).
  std::optional<bool> mayusculas;
  std::optional<bool> numerico;
  std::optional<bool> desplazamiento;
};

// What the display the program runs on says now; nothing known on a
// platform that cannot tell (Wayland, offscreen).
EstadoTeclas LeerEstadoTeclas();
