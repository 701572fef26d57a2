// The history and weight exports: their bytes, made from the network, and
// the write that puts them in place whole or says why it could not. The
// Guardar historial and Guardar pesos commands put their file dialogs and
// message boxes around these; nrv-cli calls them directly.
#pragma once

#include <string>
#include <vector>

#include "framework/fichero.h"
#include "framework/resultado.h"
#include "network/aritmetica.h"

class CNodusDoc;

// One line per epoch completed before any run in progress (below
// m_nEpoca): "%u\t%7.6f\t%7.6f\t%7.4f" with every point made a comma, CR LF.
std::string BytesHistorial(const CNodusDoc& doc);
// The same epochs for plotting tools and spreadsheets in any locale: the
// header "epoca,error_maximo,error_total,tasa_aciertos", then one row per
// epoch, numbers with a point in the shortest form that reads back to the
// same double, LF.
std::string BytesHistorialCsv(const CNodusDoc& doc);

// The same epochs as one JSON object: "epocas", an array of objects with
// epoca, error_maximo, error_total and tasa_aciertos and, where the network
// measured them (OpcionesRed::bMedirEntrenamiento), entrenamiento (the
// training set's three figures), aciertos_clase (each class's hit rate on
// the verification file) and matriz (its confusion matrix); null for an
// epoch not measured. Numbers as they read back, LF.
std::string BytesHistorialJson(const CNodusDoc& doc);

// Whether a weights file takes the binary form: its name's extension is
// exactly "bin" or "ie3".
bool PesosBinarios(const CString& ruta);
// The hidden layer's rows, then the output layer's, each with its bias
// last: as text ("%.4f " each, CR LF after each row) or as little-endian
// single-precision numbers.
std::string BytesPesos(const RedPerceptron& red, bool bBinario);

// The files of an open network that nothing it writes may replace, in the
// order a refusal names them: the document (strRed, its path; empty for one
// never saved), its training, verification and test files and the
// training log.
std::vector<FicheroProtegido> FicherosDeLaRed(const CNodusDoc& doc, const CString& strRed);
// The destination of one of the network's exports or results: given, and
// neither one of the network's files nor one of the command's other inputs
// (entradas, named after those).
Resultado<Hecho> ComprobarDestinoRed(const CNodusDoc& doc, const CString& strRed, const CString& strDestino,
                                     const std::vector<FicheroProtegido>& entradas = {});

// Where the network itself may be saved (Guardar, Guardar como, nrv-cli
// nueva): anywhere but over its data files or the training log.
Resultado<Hecho> ComprobarGuardarRed(const CNodusDoc& doc, const CString& strDestino);

// The whole file written to a temporary beside it and put in place only
// when every byte is on disk; on failure nothing is left behind and the
// message says why ("No se ha podido crear el fichero ...: ...").
Resultado<Hecho> EscribirExportacion(const CString& ruta, const std::string& bytes);
