// The program's resources other than dialog templates: the string table,
// menus 128 and 129, accelerator table 128 and toolbar 128, as plain data
// for the host to build its windows from.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A string of the table; empty when the table has none under id.
std::string AfxCargarCadena(std::uint32_t id);
// The status-bar prompt of a command (the text before the newline) and its
// tooltip (after it); empty when the command has none.
std::string AfxPrompt(std::uint32_t id);
std::string AfxTooltip(std::uint32_t id);

enum class TipoElementoMenu { Popup, Comando, Separador };

struct ElementoMenu {
  TipoElementoMenu tipo;
  const char* texto;  // UTF-8, '&' marks the mnemonic, "\t" the key text
  std::uint32_t id;            // 0 for popups and separators
  bool gris;          // shown grayed whatever its handlers say
  std::vector<ElementoMenu> elementos;  // of a popup
};

struct MenuRecurso {
  std::uint32_t id;
  std::vector<ElementoMenu> popups;
};

const MenuRecurso* AfxBuscarMenu(std::uint32_t id);

struct Acelerador {
  const char* tecla;  // in the portable form "Ctrl+N", "Shift+Del", "F6"
  std::uint32_t id;
};

const std::vector<Acelerador>& AfxAceleradores(std::uint32_t id);

struct BotonBarra {
  std::uint32_t id;             // 0: a separator
  const char* imagen;  // the button's image among the program's icons
};

const std::vector<BotonBarra>& AfxBarraHerramientas(std::uint32_t id);

// The key-state panes of the status bar, after the message pane.
const std::vector<std::uint32_t>& AfxIndicadores();
