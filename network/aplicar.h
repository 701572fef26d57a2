// Applying a network to samples: each sample's outputs and winning output
// and, where the targets are known, the target's winner and whether the
// sample is a hit, by the same rule and the same measuring pass as
// verification (so the share of hits is exactly verification's rate).
// nrv-cli aplicar and the window's Aplicar a fichero call these functions.
#pragma once

#include <memory>
#include <vector>

#include "data/conjunto.h"
#include "data/esquema.h"
#include "data/tabla.h"
#include "framework/fichero.h"
#include "framework/resultado.h"
#include "network/aritmetica.h"
#include "network/verificacion.h"

// Samples for a network: a data file, or a table read through a scheme.
struct DatosRed {
  std::unique_ptr<CConjuntoDatos> pConjunto;
  bool bObjetivos = false;  // the targets are known
  bool bTabla = false;      // read from a table
};

// Whether, given a scheme, a file is read as a table: every file but a
// binary data file and a text data file that begins with a comment line
// ('/', as importar writes them).
bool LeerComoTabla(const CString& ruta);

// Whether a scheme gives the network's inputs and outputs.
Resultado<Hecho> ComprobarEsquemaRed(const RedPerceptron& red, const CEsquema& esquema, const CString& strEsquema);

// A scheme given to read data for a network, against the outputs' names
// that importar wrote into the network's training file ("/ salidas: ..."):
// the same classes or outputs in another order would name every
// prediction after another class. The warning to give, or nothing when
// they agree, when the file names none, or when a name holds a space (the
// comment cannot be split then).
CString AvisoOrdenEsquema(const CString& strEsquema, const CString& strEntrenamiento);

// Loads ruta for the network. Without a scheme it is a data file, refused
// when its shape is not the network's. With one (pEsquema; strEsquema names
// it in messages), a table is read through it, its output or class columns
// required when bObjetivos; the scheme must give the network's shape.
Resultado<DatosRed> CargarDatosRed(const RedPerceptron& red, const CString& ruta, const CEsquema* pEsquema,
                                   const CString& strEsquema, const OpcionesTabla& opciones, bool bObjetivos);

struct Aplicacion {
  UINT nMuestras = 0;
  UINT nSalidas = 0;
  bool bObjetivos = false;
  std::vector<double> salidas;     // nMuestras x nSalidas, row by row, as the network gives them
  std::vector<UINT> ganadoras;     // the network's winning output, per sample
  std::vector<UINT> objetivos;     // the target's winning output, per sample (with targets)
  ResultadosVerificacion verificacion;  // the measures and the matrix (meaningful with targets)
  UINT Aciertos() const;
};

Aplicacion AplicarConjunto(const RedPerceptron& red, const CConjuntoDatos& conjunto, bool bObjetivos);

// The samples a network gets wrong (its winning output is not the
// target's), for the graph window's list: celdas holds the header
// (muestra, objetivo, red, then each output's name) and one row per such
// sample: its number from 1 as aplicar numbers them, the two winners'
// names and the network's outputs ("%.6f").
struct MuestrasFalladas {
  UINT nMuestras = 0;
  UINT nFalladas = 0;
  std::vector<std::vector<CString>> celdas;
};
MuestrasFalladas FalladasDe(const Aplicacion& a, const std::vector<CString>& nombres);
// A data file checked and loaded as Verificar loads it, then applied.
Resultado<MuestrasFalladas> FalladasFichero(const RedPerceptron& red, const CString& ruta,
                                            const std::vector<CString>& nombres);

// The check of a results file before anything is read or written: a name
// given, and none of the network's files (red, as FicherosDeLaRed gives
// them), nor the data's, nor the scheme's (strEsquema; may be empty).
Resultado<Hecho> ComprobarSalidaAplicacion(const CString& strSalida, std::vector<FicheroProtegido> red,
                                           const CString& strDatos, const CString& strEsquema);

// Applying a network to a file, whole: the scheme read when strEsquema is
// given (a table is then read through it), the samples loaded and checked
// against the network's shape, run through it, and the CSV made.
// nrv-cli aplicar and the window's Aplicar a fichero differ only in where
// the CSV goes.
struct AplicacionFichero {
  Aplicacion aplicacion;
  std::string strCsv;
};
Resultado<AplicacionFichero> AplicarFichero(const RedPerceptron& red, const CString& strDatos,
                                            const CString& strEsquema);
// "Resultados de N muestras escritos en SALIDA", with the hits when the
// targets were known, and a final point.
CString ResumenAplicacion(const Aplicacion& a, const CString& strSalida);

// Verification with the confusion matrix, the names of the outputs beside
// it: a data file as the Verificar command measures it (the path checked,
// the file's shape compared, then loaded), or, with a scheme, a table read
// through it, its class or output columns required (a data file is still
// read as one). A scheme of another shape than the network's is refused;
// it names the outputs. The refusals of the path and of the shape are rechazos: the window asks
// for another file.
// With a scheme of numeric outputs (a table imported with --salidas),
// regresion holds, per output and in the table's units, the root mean
// square error, the mean absolute error and R² (1 - residual sum of
// squares / total sum of squares about the targets' mean; none when the
// targets do not vary).
struct RegresionSalida {
  CString strNombre;
  double dRmse = 0.0;
  double dMae = 0.0;
  bool bR2 = false;
  double dR2 = 0.0;
};
struct VerificacionDatos {
  ResultadosVerificacion resultados;
  std::vector<CString> nombres;
  std::vector<RegresionSalida> regresion;
};
Resultado<VerificacionDatos> VerificarDatos(const RedPerceptron& red, const CString& strDatos,
                                            const CString& strEsquema);

// The figures of each numeric output from the network's outputs and the
// targets of a set (both in the network's units), through the scheme's
// output columns; empty when the scheme has none.
std::vector<RegresionSalida> RegresionConjunto(const CEsquema& esquema, const CMatrizReales& salidas,
                                               const CConjuntoDatos& conjunto);
// A table of them for reading: a heading line, then one line per output
// with its name, RMSE, MAE and R² ("-" when there is none). "\n" after each.
CString TextoRegresion(const std::vector<RegresionSalida>& r);
// The same, as the cells of a list: the headings, then a row per output.
std::vector<std::vector<CString>> CeldasRegresion(const std::vector<RegresionSalida>& r);

// The results as CSV (CR LF): a header, then one row per sample: muestra
// (from 1), the outputs (named after the scheme's classes or output
// columns, numeric outputs back in their units; else salida1...), ganadora
// and, with targets, objetivo and acierto (1 or 0). Numbers in the shortest
// form that reads back to the same double, with a point.
std::string TextoAplicacion(const Aplicacion& a, const CEsquema* pEsquema);
