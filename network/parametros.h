// The parameters of a new network in one table: the new-network dialog,
// nrv-cli nueva, its help and the manual take their ranges and defaults
// from it; and the check of a new network's values, made by the dialog
// through its data exchange and by nrv-cli directly, with the same
// messages in the same order.
#pragma once

#include <map>
#include <string>

#include "framework/afx.h"
#include "framework/resultado.h"
#include "network/opciones.h"

enum class TipoParametro { Entero, Real };

struct DefinicionParametro {
  const char* strOpcion;       // nrv-cli's option, without "--"
  const char* strValor;        // its value in the help: "N" or "X"
  const char* strDescripcion;  // as the help says it
  TipoParametro tipo;
  double dMinimo;
  double dMaximo;
  double dPorOmision;
};

// In the order of nrv-cli's help.
enum IndiceParametro : int { PARAM_OCULTAS, PARAM_APRENDIZAJE, PARAM_MOMENTO, PARAM_ERROR, PARAM_EPOCAS, NUM_PARAMETROS };

inline constexpr DefinicionParametro kParametrosRed[NUM_PARAMETROS] = {
    {"ocultas", "N", "neuronas ocultas", TipoParametro::Entero, 1, 128, 40},
    {"aprendizaje", "X", "factor de aprendizaje", TipoParametro::Real, 0, 0.5, 0.1},
    {"momento", "X", "factor de momento", TipoParametro::Real, 0, 1, 0.9},
    {"error", "X", "error máximo por muestra", TipoParametro::Real, 0, 1, 0.7},
    {"epocas", "N", "número máximo de épocas", TipoParametro::Entero, 1, 400, 100},
};

constexpr const DefinicionParametro& Parametro(IndiceParametro i) { return kParametrosRed[i]; }
constexpr UINT MinimoEntero(IndiceParametro i) { return static_cast<UINT>(kParametrosRed[i].dMinimo); }
constexpr UINT MaximoEntero(IndiceParametro i) { return static_cast<UINT>(kParametrosRed[i].dMaximo); }

// A new network's values: its two data files, its five parameters and its
// options.
struct DatosNuevaRed {
  CString strFicheroEntrenamiento;
  CString strFicheroVerificacion;
  UINT nOcultas = static_cast<UINT>(kParametrosRed[PARAM_OCULTAS].dPorOmision);
  double dAprendizaje = kParametrosRed[PARAM_APRENDIZAJE].dPorOmision;
  double dMomento = kParametrosRed[PARAM_MOMENTO].dPorOmision;
  double dErrorMaximo = kParametrosRed[PARAM_ERROR].dPorOmision;
  UINT nMaxEpocas = static_cast<UINT>(kParametrosRed[PARAM_EPOCAS].dPorOmision);
  OpcionesRed opciones;
};

// A parameter's value as text ("0.5"), the way the help and the dialog show it.
CString TextoParametro(double d);

// The values of a new network given as texts (option name -> text; a
// parameter not given keeps its value in base), checked as the dialog
// checks them on OK: the training file, the five numbers in the dialog's
// order, the verification file. The first refusal is the dialog's message.
Resultado<DatosNuevaRed> ComprobarNuevaRed(const CString& strEntrenamiento, const CString& strVerificacion,
                                           const std::map<std::string, std::string>& textos, DatosNuevaRed base);

// The verification-file check of the dialog: an empty path, a file that
// cannot be measured, inputs or outputs that are not the training file's.
Resultado<Hecho> ComprobarFicheroVerificacion(const CString& strVerificacion, const CString& strEntrenamiento);

// The options of a new network beyond its parameters, in the same table
// form: nrv-cli nueva's options and the ranges its help gives.
inline constexpr UINT kSemillaMaxima = 0xFFFFFFFFu;
inline constexpr UINT kPacienciaMaxima = 400;
// The most epochs a network may be given in all (the history keeps one
// entry of each figure per epoch), and at one time.
inline constexpr UINT kEpocasMaximasAmpliadas = 1000000;

// The options given as texts ("semilla", "paciencia", "prueba", "esquema";
// bBarajar the switch), checked on base in this order; the first refusal
// says which and why. The test file must be a data file of the training
// file's shape, and neither of the other two files; the scheme, one that
// gives that shape.
Resultado<OpcionesRed> ComprobarOpcionesRed(const std::map<std::string, std::string>& textos, bool bBarajar,
                                            const CString& strEntrenamiento, const CString& strVerificacion,
                                            OpcionesRed base);

// The epochs to add to a network that has nEpocasMaximas (text as typed).
Resultado<UINT> ComprobarMasEpocas(const CString& texto, UINT nEpocasMaximas);
