#include "network/epoca.h"

void EntrenarEpoca(const RedPerceptron& red, const CConjuntoDatos& entrenamiento, double* h, double* o,
                   double* dO, double* dH, double dAprendizaje, double dMomento) {
  for (UINT s = 0; s < entrenamiento.m_nMuestras; ++s) {
    const double* x = entrenamiento.m_matEntradas.m_ppFilas[s];
    const double* t = entrenamiento.m_matSalidas.m_ppFilas[s];
    Propagar(red, x, h, o);
    Retropropagar(red, x, t, h, o, dO, dH, dAprendizaje, dMomento);
  }
}
