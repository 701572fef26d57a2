// The training options that act inside a run: the training samples in a
// new seeded order every epoch, and the early stop that keeps the best
// epoch. Both are off by default, and then nothing here is made.
#pragma once

#include <vector>

#include "data/conjunto.h"
#include "network/aritmetica.h"
#include "network/opciones.h"

// The order of the training rows in epoch e: a permutation that depends on
// the seed and e alone, so a run stopped and resumed, or given more
// epochs, trains as one run does. Nothing is allocated per epoch.
class CBarajado {
 public:
  // Restaurar after every epoch: the set may go before this object.
  CBarajado(CConjuntoDatos& conjunto, UINT nSemilla);
  CBarajado(const CBarajado&) = delete;
  CBarajado& operator=(const CBarajado&) = delete;
  // The set's rows in epoch e's order (the rows themselves are not moved,
  // only the tables that reach them).
  void Epoca(UINT e);
  // The rows in the file's order again.
  void Restaurar();

 private:
  CConjuntoDatos& m_conjunto;
  UINT m_nSemilla;
  double** m_ppEntradas;
  double** m_ppSalidas;
  std::vector<UINT> m_orden;
  std::vector<double*> m_entradas, m_salidas;
};

// The order of epoch e, as CBarajado deals it (tests).
void OrdenEpoca(std::vector<UINT>& orden, UINT nSemilla, UINT e);

// Early stopping: after each epoch, its total error on the verification
// file against the best so far; a strictly lower one is the new best, and
// its weights and previous changes are kept. When nPaciencia epochs have
// passed without one, the network goes back to the best epoch.
class CParadaTemprana {
 public:
  // Takes up where the options leave it (a stopped run's best) and the
  // history of the epochs already run; allocates the copy of the weights.
  CParadaTemprana(const RedPerceptron& red, const OpcionesRed& op, const double* pErrorTotal, UINT nEpoca);
  // After epoch e (its total error): true when the patience has run out.
  bool Epoca(UINT e, double dErrorTotal);
  // The best epoch's weights and previous changes back into the network.
  void Volver();
  // The best so far into the options (kept in the network's file).
  void Guardar(OpcionesRed& op) const;
  UINT Mejor() const { return m_nMejor; }

 private:
  void Copiar();
  RedPerceptron m_red;
  UINT m_nPaciencia;
  bool m_bHay = false;
  UINT m_nMejor = 0;
  double m_dMejor = 0.0;
  std::vector<double> m_pesos;
};

// "Parada temprana: época B", the status of a network that went back to
// its best epoch B.
CString EstadoParadaTemprana(UINT nEpocaMejor);
