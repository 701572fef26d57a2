// The fast training engine: the same epoch and the same measuring pass as the
// reference loops of aritmetica.h, bit for bit, several times faster.
//
// Inside an epoch the weights live in a working layout where one vector
// register holds the same input of eight neurons, so eight sums advance side
// by side, each still in increasing index from 0.0. The document's matrices
// are read at the start of every epoch and written back, exactly, at its
// end: whenever an epoch or a measuring pass has returned they hold the state.
#pragma once

#include <cstddef>
#include <memory>

#include "data/conjunto.h"
#include "network/aritmetica.h"

// Which code path runs; Automatica takes the best one the processor has.
enum class VarianteMotor { Automatica, Base, Avx2, Avx512 };

class CMotorPerceptron {
 public:
  // Allocates every working buffer once; nothing is allocated by the calls
  // below. When the working layouts cannot be had the engine runs the
  // reference loops instead (Reducido), so training goes on; only when not
  // even the four working vectors can be had does it throw std::bad_alloc.
  // The matrices behind red must keep their shape while the engine lives.
  explicit CMotorPerceptron(const RedPerceptron& red, VarianteMotor variante = VarianteMotor::Automatica);
  ~CMotorPerceptron();
  CMotorPerceptron(const CMotorPerceptron&) = delete;
  CMotorPerceptron& operator=(const CMotorPerceptron&) = delete;

  // One training pass over the set, sample by sample in stored order: the
  // same bits as Propagar then Retropropagar on every sample. A set whose
  // rows are shorter than the network's layers changes nothing.
  void EntrenarEpoca(const CConjuntoDatos& entrenamiento, double dAprendizaje, double dMomento);

  // The same result as MedirConjunto; changes no weight. With pSalidas
  // (rows for every sample, each of at least nSalidas), row s receives
  // sample s's outputs, the same bits as Propagar gives them.
  MedidasConjunto MedirConjunto(const CConjuntoDatos& conjunto, CMatrizReales* pSalidas = nullptr);

  VarianteMotor Variante() const { return m_variante; }
  bool Reducido() const { return m_bReducido; }
  static bool Disponible(VarianteMotor variante);
  static const char* Nombre(VarianteMotor variante);

 private:
  struct Bloque {
    void operator()(double* p) const;
  };
  using Memoria = std::unique_ptr<double[], Bloque>;
  static Memoria Reservar(std::size_t nDoubles);

  void Cargar();
  void Devolver();

  template <class V>
  friend struct CuerpoMotor;

  RedPerceptron m_red;
  VarianteMotor m_variante;
  bool m_bReducido = false;
  UINT m_nBloquesOcultos;  // hidden neurons in groups of eight
  UINT m_nBloquesSalida;   // outputs in groups of eight
  UINT m_nOcultasRell;     // hidden neurons rounded up to eight
  UINT m_nSalidasRell;     // outputs rounded up to eight

  // Hidden layer by groups: [bloque][j][carril], j = nEntradas is the bias.
  Memoria m_pPesos1, m_pInc1;
  // Output layer by groups: [bloque][i][carril], i = nOcultas is the bias.
  Memoria m_pPesos2, m_pInc2;
  // Output layer by rows too, for the hidden error terms: [k][i], no bias.
  // Updated with the very same operations as the grouped copy.
  Memoria m_pFilas2, m_pIncFilas2;
  // Working vectors, rounded up to eight (the extra lanes stay out of every
  // result).
  Memoria m_pSumas, m_pH, m_pDH, m_pO, m_pDO, m_pADO;
};
