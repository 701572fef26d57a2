// Verification of a network on a data file, with its confusion matrix, and
// the texts that show it: the functions that the Verificar command puts its
// dialogs around and that nrv-cli prints from. They show nothing and change
// no weight; the measuring pass is the fast engine's.
#pragma once

#include <vector>

#include "data/conjunto.h"
#include "framework/resultado.h"
#include "network/aritmetica.h"
#include "network/opciones.h"

// A measured set: the figures of the results dialog and, for every sample,
// the pair (winning target, winning output) counted in a square matrix.
// The diagonal holds the hits.
struct ResultadosVerificacion {
  UINT nMuestras = 0;
  MedidasConjunto medidas{0.0, 0.0, 0, 0.0};
  UINT nSalidas = 0;
  std::vector<UINT> matriz;  // nSalidas x nSalidas, row: the target's winner, column: the network's

  UINT Cuenta(UINT objetivo, UINT red) const { return matriz[std::size_t(objetivo) * nSalidas + red]; }
  UINT TotalObjetivo(UINT k) const;  // samples whose target's winner is k
  UINT TotalRed(UINT k) const;       // samples whose network's winner is k
  // Percent: the hits of output k among the samples whose target's winner
  // (recall), or whose network's winner (precision), is k; false when
  // there are none.
  bool Sensibilidad(UINT k, double& dPorcentaje) const;
  bool Precision(UINT k, double& dPorcentaje) const;
};

// The check of the data-file fields: an empty path and one that cannot be
// opened for reading, or is no regular file (a folder, a pipe, a device),
// are refused with the dialog's words. It never waits on the file.
Resultado<Hecho> ComprobarFicheroDatos(const CString& ruta);

// The Verificar command after its file dialog: the file's inputs and outputs
// measured and compared with the network's (a refusal: the window asks
// again for a file).
Resultado<Hecho> ComprobarDimensiones(const RedPerceptron& red, const CString& ruta);
// Then the file loaded, checked and measured. Messages about the file's
// contents are the loader's own (CConjuntoDatos shows them).
Resultado<ResultadosVerificacion> VerificarFichero(const RedPerceptron& red, const CString& ruta);
// A network's test file measured as VerificarFichero measures it, its
// figures kept with the network (nEpoca: the epochs completed). The
// failure says which file and why.
Resultado<FigurasPrueba> MedirFicheroPrueba(const RedPerceptron& red, const CString& ruta, UINT nEpoca);
FigurasPrueba FigurasDe(const ResultadosVerificacion& v, UINT nEpoca);

// The measuring pass over a loaded set of the network's shape; with
// pSalidas (rows for every sample), each sample's outputs too.
ResultadosVerificacion VerificarConjunto(const RedPerceptron& red, const CConjuntoDatos& conjunto,
                               CMatrizReales* pSalidas = nullptr);
// The square matrix of a measured set from its outputs (row s of salidas:
// sample s's, as the measuring pass gives them), counted into matriz
// (nSalidas² counts, zeroed first).
void ContarMatriz(const RedPerceptron& red, const CConjuntoDatos& conjunto, const CMatrizReales& salidas,
                  UINT* matriz);
// Percent of the samples whose target's winner is k that the network gets
// right (the recall of CeldasMatriz), from such a matrix; NaN when there
// are none.
double AciertosClase(const UINT* matriz, UINT nSalidas, UINT k);
// Whether a loaded set's rows hold exactly the network's inputs and outputs.
bool EncajaConjunto(const CConjuntoDatos& conjunto, UINT nEntradas, UINT nSalidas);

// The four values of the results dialog, in its formats.
struct TextosResultados {
  CString strFichero;
  CString strMuestras;
  CString strAciertos;
  CString strErrorTotal;
};
TextosResultados TextosVerificacion(const CString& ruta, const ResultadosVerificacion& v);
// "Fichero: ...", "Nº Muestras: ...", "Tasa Aciertos: ...", "Error Total: ...",
// one line each.
CString LineasVerificacion(const TextosResultados& t);

// The test figures in one line, after the results dialog's formats, with
// the file and the epoch measured after ("\n" at its end).
CString LineaPrueba(const OpcionesRed& op);
// What the window of a network shows beside its form: its test file's last
// figures (or that they come when a run ends) and, when its patience
// stopped it, the epoch it went back to; a line each, nothing for a network
// with neither.
CString TextoPruebaYParada(const OpcionesRed& op, UINT nEpoca);

// The confusion matrix as text: aligned columns for reading, or
// tab-separated for a spreadsheet. nombres names the outputs (classes); when
// empty they are numbered. Lines end with "\n".
CString TextoMatriz(const ResultadosVerificacion& v, const std::vector<CString>& nombres, bool bTabulado);
// Its cells, row by row: the headings ("objetivo \\ red", the outputs,
// "Sensibilidad"), one row per target output (its name, the counts, the
// recall), then "Precisión" with each output's precision and an empty
// last cell. Percentages in "%7.4f %" (bTabulado: "%.4f"), "-" where
// there is nothing to divide.
std::vector<std::vector<CString>> CeldasMatriz(const ResultadosVerificacion& v, const std::vector<CString>& nombres,
                                               bool bTabulado);
// The outputs' names: the classes given, else "salida1", "salida2", ...
std::vector<CString> NombresSalidas(UINT nSalidas, const std::vector<CString>& nombres);
