// The summary of an experiment as people and programs read it: the results
// its runs left in their folders, and the table, CSV and JSON of nrv-cli
// resumen, which the experiment window shows too.
#pragma once

#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "network/experimento.h"

// A run's result, in its own folder; written whole or not at all, so a run
// is complete exactly when it has one.
inline constexpr const char* kResultadoEjecucion = "resultado.json";

// The stored result of the run whose folder is strCarpetaEjecucion, or null
// when there is none that reads.
nlohmann::ordered_json LeerResultado(const CString& strCarpetaEjecucion);
// The stored results of an experiment folder's runs (NNNN/resultado.json),
// in the order of their numbers.
std::vector<nlohmann::ordered_json> LeerResultados(const CString& strCarpeta);

// The summary's table: a header, then one row per configuration (the
// best marked "*"), its parameters, its figures as "media ± desviación",
// and t and p against the best when some configuration has them. Each
// cell keeps the number it shows, for sorting.
struct CeldaResumen {
  CString texto;
  std::optional<double> valor;
};
struct TablaResumen {
  std::vector<CString> cabecera;
  std::vector<std::vector<CeldaResumen>> filas;
  // Columns 1 to nParametros + 1 (runs and parameters) are numbers aligned
  // to the right; the rest are read from the left.
  std::size_t nParametros = 0;
  bool bPruebaT = false;
};
TablaResumen TablaDeResumen(const ResumenExperimento& r);

// The table for people, columns as wide as their widest cell, under two
// or three lines that say what it shows.
CString TextoResumen(const CString& strCarpeta, const ResumenExperimento& r);
// CSV (LF) for spreadsheets: every figure's mean and deviation in columns
// of their own, in full precision; empty where a figure is missing.
CString CsvResumen(const ResumenExperimento& r);
nlohmann::ordered_json JsonResumen(const CString& strCarpeta, const ResumenExperimento& r);
