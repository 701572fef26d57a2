// Importing a table: a delimited table read through its scheme into a data
// file of either format. nrv-cli importar and the window's dialog call the
// same functions: a preview first (LeerTabla with a row limit: the syntax
// detected and the first rows as they will be read), then the import in
// memory, which writes nothing, then its files.
#pragma once

#include <memory>
#include <optional>

#include "data/conjunto.h"
#include "data/esquema.h"
#include "data/particion.h"
#include "data/tabla.h"
#include "framework/resultado.h"

struct OpcionesImportacion {
  OpcionesTabla tabla;
  OpcionesEsquema esquema;
  bool bEscalaDada = false;  // the scaling was chosen: an existing scheme must agree
  // Not empty: the table split into training, verification and test parts
  // by these percentages (see PartirTabla), shuffled from nSemilla, class
  // by class when bEstratificar.
  std::vector<UINT> particion;
  std::uint32_t nSemilla = 1;
  bool bEstratificar = false;
  // Not 0 (in the place of particion): the three parts of fold nPliegue of
  // a cross-validation over nPliegues folds, nVerificacion per ten
  // thousand of the other folds' rows for verification (see PartirPliegue).
  UINT nPliegues = 0;
  UINT nPliegue = 0;
  UINT nVerificacion = 1500;
};

struct Importacion {
  Tabla tabla;  // as read, with the syntax it was read with; its rows let go once read
  CEsquema esquema;
  bool bEsquemaNuevo = false;  // made from this table (else the scheme file, applied as it is)
  std::unique_ptr<CConjuntoDatos> pConjunto;  // the whole table
  // With a split: each part's rows (indices of the table's rows), written
  // from the whole table's samples, never copied.
  std::vector<std::vector<UINT>> filasPartes;
  std::vector<UINT> porcentajes;
  std::uint32_t nSemilla = 1;
  bool bEstratificada = false;
  UINT nPliegues = 0;  // a fold of a cross-validation instead of percentages
  UINT nPliegue = 0;
};

// Reads the table and makes its scheme when strEsquema is empty or names no
// existing file; otherwise reads that scheme and applies it as it is (the
// table must then hold the scheme's columns, outputs or class included).
// With a split, a new scheme takes its classes from the whole table and its
// scaling from the training rows alone.
Resultado<Importacion> ImportarTabla(const CString& strTabla, const CString& strEsquema,
                                     const OpcionesImportacion& opciones);

// The import dialog's view of a table while its choices are made: the
// first rows as they will be read, with the syntax found or forced, and
// what each column of the table becomes: by the scheme file when it exists,
// else by the scheme these rows would make with the options. Without a use
// (usos empty), strAviso says why, in the words the import would refuse
// with. Fails only when the table cannot be read at all.
struct VistaPrevia {
  Tabla tabla;  // its first rows
  bool bEsquemaExistente = false;
  // One per table column: its use, or none when the scheme leaves it out;
  // empty when not known.
  std::vector<std::optional<UsoColumna>> usos;
  CString strAviso;
};
Resultado<VistaPrevia> VistaPreviaImportacion(const CString& strTabla, const CString& strEsquema,
                                              const OpcionesImportacion& opciones, UINT nFilas);

// How the table was read: "Leída con separador «,», marca decimal «.» y
// cabecera." (or "sin cabecera").
CString TextoLectura(const Tabla& tabla);
// What an import wrote, one line each ("\n" after each): the data file
// with its samples, inputs and outputs (with a split: the split, then each
// part's file and samples); how the table was read; the classes or outputs
// in order; the scheme written or applied (nothing about the
// scheme when none was given: each host says how to give one).
CString ResumenImportacion(const Importacion& imp, const CString& strDestino, const CString& strEsquema);

// Writes the data file (binary or text as TipoFichero tells by its name)
// and, when the scheme is new and strEsquema is given, the scheme: both or
// neither. Refuses a destination that is the table or the scheme itself.
// With a split, the parts' files (RutaParte of strDestino) take the place
// of the one data file, all of them or none.
Resultado<Hecho> GuardarImportacion(const Importacion& imp, const CString& strDestino, const CString& strEsquema);

// A data file's bytes. Binary: the header and the exact doubles. Text: CR
// LF, an input line then an output line per sample, each value in the
// shortest form that reads back to the same double; the comment lines
// given (UTF-8, without their '/') head the file in Windows-1252, their
// line breaks written as \n and \r.
// With filas, those samples of c, in that order.
std::string BytesDatos(const CConjuntoDatos& c, bool bBinario, const std::vector<CString>& comentarios = {},
                       const std::vector<UINT>* filas = nullptr);

// A part of a split as a sample set of its own (a copy of its rows).
std::unique_ptr<CConjuntoDatos> ConjuntoParte(const Importacion& imp, UINT j);
