// One epoch of training: online back-propagation with momentum over the
// training set, sample by sample in stored order. Kept apart so that a
// faster engine can replace its inside; it must give the same bits.
#pragma once

#include "data/conjunto.h"
#include "network/aritmetica.h"

// h, o: hidden and output values; dO, dH: error terms (nOcultas and
// nSalidas doubles as the network gives them), allocated by the caller once
// per run. The set's rows must have the network's inputs and outputs.
void EntrenarEpoca(const RedPerceptron& red, const CConjuntoDatos& entrenamiento, double* h, double* o,
                   double* dO, double* dH, double dAprendizaje, double dMomento);
