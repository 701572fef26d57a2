// The table of nrv-cli's commands, from which the parser, the dispatch, the
// help and the completion are built: every entry whole, and every option
// explained in its command's help.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cli/argumentos.h"

TEST(TablaOrdenes, CadaOrdenCompletaYSusOpcionesExplicadas) {
  std::set<std::string> nombres;
  for (const DefinicionOrden& o : Ordenes()) {
    SCOPED_TRACE(o.nombre);
    EXPECT_TRUE(nombres.insert(o.nombre).second) << "orden repetida";
    EXPECT_EQ(BuscarOrden(o.nombre), &o);
    EXPECT_NE(o.ejecutar, nullptr);
    EXPECT_FALSE(std::string(o.resumen).empty());
    EXPECT_NE(AyudaHerramienta().find("  " + std::string(o.nombre) + " "), std::string::npos);
    const std::string ayuda = AyudaOrden(o);
    EXPECT_EQ(ayuda.rfind(UsoOrden(o), 0), 0u);
    std::set<std::string> opciones;
    for (const Opcion& op : o.opciones) {
      EXPECT_TRUE(opciones.insert(op.nombre).second) << "opción repetida: " << op.nombre;
      EXPECT_NE(ayuda.find("\n  --" + std::string(op.nombre) + " "), std::string::npos) << "--" << op.nombre;
      if (op.valor) {
        EXPECT_FALSE(std::string(op.valor).empty()) << "--" << op.nombre;
      }
    }
    for (const auto* lista : {&o.posicionales, &o.opcionales})
      for (const Argumento& a : *lista) EXPECT_FALSE(std::string(a.completado).empty()) << a.nombre;
  }
}

// The completion says of each command what the table says, in its shell form.
TEST(TablaOrdenes, ElCompletadoSaleDeLaTabla) {
  const std::string c = CompletadoOrdenes();
  EXPECT_NE(c.find("    aplicar)\n      argumentos=('red' 'entrada' 'tabla')\n      opciones=('--esquema=esquema') ;;\n"),
            std::string::npos)
      << c;
  EXPECT_NE(c.find("'--reemplazar'"), std::string::npos);
  EXPECT_NE(c.find("'--escala=minmax|ninguna'"), std::string::npos);
  std::string lista = "_nrv_cli_ordenes='";
  for (const DefinicionOrden& o : Ordenes()) lista += std::string(o.nombre) + " ";
  EXPECT_NE(c.find(lista + "help'\n"), std::string::npos);
}
