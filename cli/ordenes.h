// The commands of nrv-cli, each run on one network document through the
// document's own handlers and the core's functions, as the window runs
// them. Each returns the exit code.
#pragma once

#include <nlohmann/json.hpp>

#include "cli/argumentos.h"
#include "cli/host_linea.h"
#include "network/aplicar.h"
#include "network/verificacion.h"

int OrdenNueva(const LineaOrdenes& linea, CHostLinea& host);
int OrdenEntrenar(const LineaOrdenes& linea, CHostLinea& host);
int OrdenVerificar(const LineaOrdenes& linea, CHostLinea& host);
int OrdenHistorial(const LineaOrdenes& linea, CHostLinea& host);
int OrdenPesos(const LineaOrdenes& linea, CHostLinea& host);
int OrdenInfo(const LineaOrdenes& linea, CHostLinea& host);
// Shows or changes the network's data files (CNodusDoc::CambiarFicherosDatos).
int OrdenFicheros(const LineaOrdenes& linea, CHostLinea& host);
// Tables: importing one into a data file, applying a network (cli/tablas.cpp).
int OrdenImportar(const LineaOrdenes& linea, CHostLinea& host);
int OrdenAplicar(const LineaOrdenes& linea, CHostLinea& host);
// The network as C source, its curves as SVG (cli/exportaciones.cpp).
int OrdenExportar(const LineaOrdenes& linea, CHostLinea& host);
int OrdenCurvas(const LineaOrdenes& linea, CHostLinea& host);

// Experiments: a plan's runs, locally in parallel or one by one, and their
// summary (cli/experimentos.cpp).
int OrdenExperimento(const LineaOrdenes& linea, CHostLinea& host);
int OrdenResumen(const LineaOrdenes& linea, CHostLinea& host);

// JSON is UTF-8: a text that is not (a Latin-1 file name) shows U+FFFD for
// each byte that does not read, and goes whole beside it, under its key
// and "_bytes", each byte outside printable ASCII and '%' as %XX.
nlohmann::ordered_json JsonConBytes(const nlohmann::ordered_json& j);

// The figures of a verification as «verificar --json» writes them.
nlohmann::ordered_json ObjetoVerificacion(const CString& datos, const ResultadosVerificacion& v,
                                          const std::vector<CString>& nombres, bool bMatriz);

// The regression figures of each numeric output, as «verificar --json»
// writes them under "salidas".
nlohmann::ordered_json ObjetoRegresion(const std::vector<RegresionSalida>& regresion);

// Runs the command of the line.
int EjecutarOrden(const LineaOrdenes& linea, CHostLinea& host);

// Output of the tool: UTF-8 on standard output; messages as "nrv: ..." on
// standard error.
void Imprimir(const CString& texto);
void Avisar(const CString& texto);
