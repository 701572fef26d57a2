// Experiments: a plan (one JSON file) of data and a grid of training
// parameters, its runs in a fixed order, and the summary of their results.
// Each run is an ordinary network made, trained and measured as nrv-cli
// nueva, entrenar and verificar do; this layer only says which runs there
// are, reads what they left, and summarises it.
#pragma once

#include <optional>
#include <vector>

#include <nlohmann/json.hpp>

#include "data/importar.h"
#include "framework/resultado.h"

// The five values of the new-network dialog for one run, and its options
// of the grid (0: no patience).
struct ParametrosEjecucion {
  UINT nOcultas = 0;
  double dAprendizaje = 0.0;
  double dMomento = 0.0;
  double dErrorMaximo = 0.0;
  UINT nMaxEpocas = 0;
  UINT nPaciencia = 0;
  bool bBarajar = false;
};

struct PlanExperimento {
  // Fixed data files, as absolute or plan-relative paths resolved against
  // the plan's folder; the test file may be left out.
  CString strEntrenamiento;
  CString strVerificacion;
  CString strPrueba;
  // Or one table, read through strEsquema (made from each run's training
  // rows when empty) and split for each run: by the percentages of
  // importacion.particion with the repetition's seed, or with
  // importacion.nPliegues into the folds of a cross-validation, one run per
  // fold (the seed and stratification in importacion are set per run).
  CString strTabla;
  CString strEsquema;
  OpcionesImportacion importacion;
  // The grid: the values of each parameter in the plan's order (a
  // parameter left out has one value, the dialog's default).
  std::vector<UINT> ocultas;
  std::vector<double> aprendizaje;
  std::vector<double> momento;
  std::vector<double> error;
  std::vector<UINT> epocas;
  std::vector<UINT> paciencia;
  std::vector<bool> barajar;
  // The seed of each repetition.
  std::vector<UINT> semillas;
  // The figure that ranks the configurations: "tasa_aciertos" (higher is
  // better) or "error_total" (lower is better).
  CString strComparar = "tasa_aciertos";

  UINT Configuraciones() const;
  UINT Pliegues() const { return importacion.nPliegues ? importacion.nPliegues : 1; }
  UINT Ejecuciones() const;
};

// One run of a plan.
struct EjecucionPlan {
  UINT nNumero = 0;
  UINT nConfiguracion = 0;
  UINT nRepeticion = 0;
  UINT nSemilla = 1;
  std::optional<UINT> pliegue;  // with a cross-validation
  ParametrosEjecucion parametros;
};

// The plan of an empty object's keys: one configuration of the new-network
// dialog's values at program start, no patience or shuffling, seed 1, and
// the split 70,15,15 for a table. Data files are the plan's to name.
PlanExperimento PlanPorOmision();

// Reads the plan; a plan that is not JSON, a key the plan does not know, a
// value of the wrong kind or out of the dialog's ranges is refused, saying
// which key and why. Relative data paths are resolved against strCarpeta.
Resultado<PlanExperimento> AnalizarPlan(const std::string& texto, const CString& strCarpeta);
Resultado<PlanExperimento> LeerPlan(const CString& strRuta);

// The plan as JSON, under the keys AnalizarPlan reads, so that reading it
// back gives the same plan: every key of the grid as a list, the seeds as
// «semilla» and «repeticiones» when they follow one another. Data paths
// inside strCarpeta (the plan's folder) are written relative to it, so the
// plan and its data move together.
nlohmann::ordered_json JsonPlan(const PlanExperimento& plan, const CString& strCarpeta);

// The runs in their fixed order: configurations as nested loops over
// ocultas, aprendizaje, momento, error, epocas, paciencia and barajar (the
// last varying fastest, each in the plan's order), within each
// configuration its repetitions in the order of their seeds, and within
// each repetition its folds. Run n = (configuration * repetitions +
// repetition) * folds + fold, with one fold without a cross-validation.
std::vector<EjecucionPlan> ExpandirPlan(const PlanExperimento& plan);

// "0007": the run's folder name, four digits or more.
CString NombreEjecucion(UINT n);
// The --listar line: number, configuration, seed, fold and parameters
// (patience and shuffling only when set).
CString LineaEjecucion(const EjecucionPlan& e);

// The parameters and seed as resultado.json holds them (patience and
// shuffling only when set), and whether a stored result is the one of this
// run (same number, parameters, seed and fold).
nlohmann::ordered_json JsonParametros(const ParametrosEjecucion& p);
bool EsResultadoDe(const nlohmann::ordered_json& resultado, const EjecucionPlan& e);

// The corrected resampled t-test of Nadeau and Bengio on paired differences
// d_j (j = 1..J): t = mean / sqrt((1/J + n_prueba/n_entrenamiento) * var),
// var the sample variance, J - 1 degrees of freedom, two-sided p-value from
// Student's t. None with fewer than two pairs; with zero variance, t is 0
// and p 1 when the mean is 0, else none.
struct PruebaT {
  double dT = 0.0;
  UINT nGrados = 0;
  double dP = 1.0;
};
std::optional<PruebaT> PruebaTCorregida(const std::vector<double>& diferencias, double dProporcionPrueba);

// Mean and sample standard deviation (n - 1); the deviation is 0 for one value.
struct MediaDesviacion {
  double dMedia = 0.0;
  double dDesviacion = 0.0;
  UINT n = 0;
};
MediaDesviacion Resumir(const std::vector<double>& valores);

// The summary of the results found: one row per configuration, in the
// order of the configurations.
struct FilaResumen {
  UINT nConfiguracion = 0;
  nlohmann::ordered_json parametros;
  UINT nEjecuciones = 0;
  // Figure name ("verificacion.tasa_aciertos", "prueba.error_total",
  // "epocas", "segundos", ...) and its mean and deviation, in a fixed order.
  std::vector<std::pair<CString, MediaDesviacion>> cifras;
  bool bMejor = false;
  std::optional<PruebaT> prueba;  // against the best, when it applies
};
struct ResumenExperimento {
  std::vector<FilaResumen> filas;
  CString strComparar;  // the figure that ranked them, e.g. "prueba.tasa_aciertos"
  UINT nResultados = 0;
};
// From the runs' resultado.json objects (any subset, any order). The best
// row ranks by the mean of the plan's figure on the test part, or on the
// verification part without one; the t-test pairs runs of the same
// repetition and fold, and applies only when the data differ between them.
ResumenExperimento ResumirResultados(const std::vector<nlohmann::ordered_json>& resultados);
