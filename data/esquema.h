// The scheme of a problem's tables: which columns are inputs and which are
// outputs or the class, each column's scaling and the classes in order.
// Made once from the training table, kept as a small JSON file, and applied
// unchanged to every other table of the problem, so that they all reach the
// network in the same units and the same output order.
#pragma once

#include <memory>
#include <vector>

#include "data/conjunto.h"
#include "data/tabla.h"
#include "framework/resultado.h"

enum class UsoColumna { Entrada, Salida, Clase };

struct ColumnaEsquema {
  CString strNombre;  // the header's name; empty when the table had none
  UsoColumna uso = UsoColumna::Entrada;
  // Min-max scaling to [0, 1]: (v - dMinimo) / (dMaximo - dMinimo); a
  // column whose minimum is its maximum is only shifted (v - dMinimo).
  bool bEscalada = false;
  double dMinimo = 0.0;
  double dMaximo = 0.0;
  std::vector<CString> clases;  // Clase: one output each, in this order
};

struct CEsquema {
  std::vector<ColumnaEsquema> columnas;  // in the training table's order

  UINT Entradas() const;
  UINT Salidas() const;
  // The columns are matched by name (the training table had a header).
  bool ConNombres() const;
  // The class column, or null.
  const ColumnaEsquema* Clase() const;
  // The outputs' names: the classes, or the output columns' names
  // ("salida1"... for unnamed ones).
  std::vector<CString> NombresSalidas() const;

  static double Escalar(const ColumnaEsquema& c, double v);
  static double Desescalar(const ColumnaEsquema& c, double v);
};

// The human-readable JSON form (UTF-8, indented, LF) and its reading.
// Reading refuses, with the file named, what is not such a scheme.
std::string TextoEsquema(const CEsquema& e);
Resultado<CEsquema> LeerEsquema(const CString& ruta);
Resultado<CEsquema> LeerEsquemaTexto(const CString& ruta, const std::string& texto);

// How a scheme is made from a training table.
struct OpcionesEsquema {
  CString strClase;      // the class column: a header name or a 1-based number; empty: the default
  UINT nSalidas = 0;     // not 0: the last nSalidas numeric columns are outputs, no class
  bool bEscalar = true;  // inputs and numeric outputs scaled to [0, 1]
};

// The scheme of a training table: the class column (by default the last
// column, when it is not numeric) or the last nSalidas numeric columns as
// outputs, every other column an input; the classes sorted (as numbers when
// they all are); each scaled column's minimum and maximum over the table.
// Refuses a table whose rows differ in cells, an input that is not a number
// or not finite, and choices that leave no input or no output.
Resultado<CEsquema> CrearEsquema(const Tabla& tabla, const OpcionesEsquema& opciones);
// The scaled columns' minimum and maximum taken again over the given rows
// alone (a scheme made from this very table): the training part of a split
// sets the scale, and nothing of the other parts leaks into it.
Resultado<Hecho> EscalaDeFilas(CEsquema& e, const Tabla& tabla, const std::vector<UINT>& filas);
// Whether a scheme agrees with options given again (the class column, the
// outputs, the scaling); the refusal says how it differs. Options left at
// their defaults always agree.
Resultado<Hecho> ConcuerdaEsquema(const CEsquema& e, const CString& strRutaEsquema, const OpcionesEsquema& opciones,
                                  bool bEscalaDada);

// A table read through a scheme: the sample set in the network's units, and
// whether the table held the targets (columns matched by name when both have
// names, else by position). With bObjetivos the output or class columns
// must be there; without it they may be missing, and the targets are then
// zero. Refusals name the line and the column: a row with other cells than
// the header, a value that is not a number or not finite, a class that the
// scheme does not know, a column of the scheme that the table lacks.
struct ConjuntoEsquema {
  std::unique_ptr<CConjuntoDatos> pConjunto;
  bool bObjetivos = false;
};
// Where each of the scheme's columns is in the table (-1: not there), and
// whether the targets are: the matching AplicarEsquema reads the table by,
// with its refusals of missing columns.
struct ColumnasTabla {
  std::vector<long> posiciones;
  bool bObjetivos = false;
};
Resultado<ColumnasTabla> ColumnasEsquema(const Tabla& tabla, const CEsquema& e, const CString& strRutaEsquema,
                                         bool bObjetivos);
Resultado<ConjuntoEsquema> AplicarEsquema(const Tabla& tabla, const CEsquema& e, const CString& strRutaEsquema,
                                          bool bObjetivos);
