// The arithmetic of the three-layer perceptron: the table sigmoid, the
// forward pass, the back-propagation step with momentum and the measuring
// pass. Binary64, products rounded then added, sums in increasing index.
#pragma once

#include "data/conjunto.h"
#include "storage/reales.h"

extern const double TablaSigmoide[2048];

// 0.999 above 8, 0.0 below -8, else the nearest table entry (an exact half
// going down); nets in (7.99609375, 8.0] take the last entry. A NaN net
// gives NaN, so damaged data shows in the figures.
double Sigmoide(double net);

// The shape and the weights of one network (rows reached through the
// matrices' row tables).
struct RedPerceptron {
  UINT nEntradas;
  UINT nOcultas;
  UINT nSalidas;
  CMatrizReales* pPesosOculta;  // nOcultas x (nEntradas + 1)
  CMatrizReales* pPesosSalida;  // nSalidas x (nOcultas + 1)
  CMatrizReales* pIncOculta;    // same shape as pPesosOculta
  CMatrizReales* pIncSalida;    // same shape as pPesosSalida
};

// Fills h (nOcultas), then o (nSalidas).
void Propagar(const RedPerceptron& red, const double* x, double* h, double* o);

// One online step after Propagar on the same sample; dO and dH are scratch.
void Retropropagar(const RedPerceptron& red, const double* x, const double* t, const double* h,
                   const double* o, double* dO, double* dH, double dAprendizaje, double dMomento);

struct MedidasConjunto {
  double dErrorMaximo;
  double dErrorTotal;
  UINT nAciertos;
  double dTasaAciertos;  // percent; 0.0 for a set without samples
};

// Index of the first largest of n values: the scan moves only on a strictly
// greater one, so the lowest index wins among equal maxima.
inline UINT Ganador(const double* v, UINT n) {
  UINT g = 0;
  for (UINT k = 1; k < n; ++k)
    if (v[k] > v[g]) g = k;
  return g;
}

// Whether the set's rows hold at least what the network reads from them.
bool ConjuntoValido(const RedPerceptron& red, const CConjuntoDatos& conjunto);

// The measuring pass over a whole set (h and o: working vectors). A set
// without samples, or whose rows are shorter than the network's layers
// (never read past their end), measures all zero, hit rate 0.0.
MedidasConjunto MedirConjunto(const RedPerceptron& red, const CConjuntoDatos& conjunto, double* h, double* o);
