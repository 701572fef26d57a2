// The fast training engine: the same epoch and the same measuring pass as the
// reference loops of aritmetica.h, bit for bit, several times faster.
//
// Inside an epoch the weights live in a working layout where one vector
// register holds the same input of eight neurons, so eight sums advance side
// by side, each still in increasing index from 0.0. The document's matrices
// are read at the start of every epoch and written back, exactly, at its
// end: whenever an epoch or a measuring pass has returned they hold the state.
//
// A large network runs its hidden layer on several threads: each thread owns
// a run of the groups of eight neurons and does all of their sums and
// updates, in the same order as one thread would, so the bits never depend
// on the number of threads. The threads meet twice per sample, and the
// number of threads may change from one stretch of samples to the next.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "data/conjunto.h"
#include "network/aritmetica.h"

// Which code path runs; Automatica takes the best one the processor has.
enum class VarianteMotor { Automatica, Base, Avx2, Avx512 };

class CMotorPerceptron {
 public:
  // Allocates every working buffer and starts its helper threads once;
  // nothing is allocated by the calls below. When the working layouts
  // cannot be had the engine runs the reference loops instead (Reducido),
  // so training goes on; only when not even the four working vectors can be
  // had does it throw std::bad_alloc. The matrices behind red must keep
  // their shape while the engine lives.
  // nHilos: 0 takes the process-wide choice (FijarHilos), which by default
  // is automatic; n uses n threads, as far as the network has groups of
  // neurons for them.
  explicit CMotorPerceptron(const RedPerceptron& red, VarianteMotor variante = VarianteMotor::Automatica,
                            UINT nHilos = 0);
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
  // Threads that ran the last stretch of samples of the last epoch or
  // measuring pass, and the share of its samples that ran on several.
  UINT Hilos() const { return m_nHilosUltimos; }
  double ParteConVarios() const { return m_dParteConVarios; }
  static bool Disponible(VarianteMotor variante);
  static const char* Nombre(VarianteMotor variante);

  // The process-wide number of threads for engines made with nHilos 0: 0 is
  // automatic, n fixes n. Until set, the environment variable NRV_HILOS
  // gives it (for tests and benchmarks).
  static void FijarHilos(UINT nHilos);
  static UINT HilosFijados();
  // The cores the process may run on (its affinity mask): the most threads
  // the automatic choice uses.
  static UINT Nucleos();
  // Automatic choice: more than one thread only for a hidden layer of at
  // least this many weights (below it the two meetings per sample cost more
  // than they save), only while no other thread of the process has an
  // engine (another network training), and only while the samples show
  // that it pays: an epoch or a measuring pass runs in stretches of a few
  // milliseconds, each on one thread or on all, as the times of the last
  // ones say (see ElegirHilos). The bits do not depend on it.
  static constexpr std::size_t kPesosParaHilos = 16384;

  // For the compiled loops: what one thread does, its groups of hidden
  // neurons [b0, b1) and of outputs [c0, c1) (thread 0 is the caller's),
  // and what it is asked to do.
  struct Parte {
    UINT nHilo;
    std::size_t b0, b1, c0, c1;
  };
  enum class Tarea { Ninguna, Epoca, Medir, Salir };

 private:
  struct Bloque {
    void operator()(double* p) const;
  };
  using Memoria = std::unique_ptr<double[], Bloque>;
  static Memoria Reservar(std::size_t nDoubles);

  // Where the threads meet: every thread waits until all have arrived.
  class CBarrera {
   public:
    void Iniciar(UINT n) { m_nHilos = n; }
    void Esperar();

   private:
    UINT m_nHilos = 1;
    alignas(64) std::atomic<UINT> m_nLlegados{0};
    alignas(64) std::atomic<UINT> m_nVuelta{0};
    std::atomic<UINT> m_nDurmientes{0};
  };
  static void Dormir(std::atomic<UINT>& v, UINT valor);
  static void Despertar(std::atomic<UINT>& v);
  static void EsperarCambio(std::atomic<UINT>& v, UINT valor, std::atomic<UINT>& durmientes);

  // The automatic choice's evidence for one kind of pass: seconds per
  // sample on one thread and on all, and the stretches until the next trial
  // of the choice not taken.
  struct Eleccion {
    double dSegundosUno = 0.0, dSegundosVarios = 0.0;
    UINT nHastaProbar = 16, nIntervalo = 16;
    bool bPrueba = false;
  };

  void Cargar();
  void Devolver();
  void Umbrales(double dMomento);
  UINT ElegirHilos(Eleccion& e);
  void Anotar(Eleccion& e, UINT nHilos, double dSegundosMuestra);
  void Repartir(UINT nHilos);
  // The task over samples [desde, hasta) on as many threads as chosen,
  // stretch by stretch.
  void Recorrer(Tarea tarea, UINT nMuestras, Eleccion& e);
  void Ejecutar(Tarea tarea);
  void Trabajar(Tarea tarea, const Parte& parte);
  void Ayudante(UINT nHilo);

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
  // The measuring pass on one thread takes its samples two at a time: the
  // earlier one's hidden outputs and outputs.
  Memoria m_pH2, m_pO2;

  // Changes near zero. Under a momentum factor a change whose input or
  // error term is exactly 0 decays into the subnormal numbers and may stay
  // there (0.9 x 4 units of 2^-1074 rounds back to 4); a processor may take
  // a slow path for every operation on them. A lane whose previous change
  // is below the threshold (where m x change may no longer be normal) runs
  // apart, exactly, in integers. Each group of weights keeps a mark: the
  // passes it may still make without testing a register (0: it tests each,
  // and a pass that finds every change far from zero gives it many). One
  // line of cache per mark, as each thread writes its own.
  struct alignas(64) Marca {
    UINT nRapidas = 0;
    UINT nParados = 0;   // its rows stopped
    UINT nColumnas = 0;  // its columns stopped
  };
  static constexpr UINT kTramoMaximo = 1u << 30;
  std::unique_ptr<Marca[]> m_pMarcas;  // hidden groups, output groups, hidden groups of the rows
  std::size_t m_nMarcaSalida = 0, m_nMarcaFilas = 0;
  std::uint64_t m_nLimiteCerca = 0;  // twice the threshold's bits, less one
  std::uint64_t m_nQuieto = 0;       // twice the most units of 2^-1074 that m x change keeps
  std::uint64_t m_nLimiteLejos = 0;  // the same for the far threshold, 2^-600
  UINT m_nTramoRapido = 0;
  // Stopped rows. A row (the weights of one neuron in a layout) whose error
  // term is 0, whose steps change nothing (changes of +0 or stopped in the
  // subnormal numbers, weights not small) and whose inputs are finite stays
  // as it is sample after sample: its changes wait in the shadow layout and
  // +0 takes their place, so the plain loops compute the same nothing
  // without touching them. They are put back before any sample whose error
  // term for the row is not 0, and at the end of the epoch. One flag per
  // row: hidden neurons, outputs, then for each hidden group the outputs'
  // rows of the copy by rows. Columns of the output layer (a hidden neuron
  // whose output is 0) stop alike, from m_nParadasColumnas: for each output
  // group its columns, then each hidden neuron's column of the copy by rows.
  Memoria m_pSombra1, m_pSombra2, m_pSombraFilas;
  std::unique_ptr<unsigned char[]> m_pParados;
  std::size_t m_nParados = 0, m_nParadasColumnas = 0;
  bool m_bParar = false;
  double m_dMomentoUmbrales = 0.0;
  bool m_bUmbrales = false;

  // The threads: the caller's and the helpers, started with the engine.
  UINT m_nHilosPedidos;      // 0: automatic
  UINT m_nHilosMaximo = 1;   // the caller's plus the helpers
  UINT m_nHilosUltimos = 1;
  std::vector<Parte> m_partes;
  std::vector<std::thread> m_ayudantes;
  CBarrera m_barrera;
  alignas(64) std::atomic<UINT> m_nEncargo{0};  // grows by one per task handed out
  std::atomic<UINT> m_nDurmientesEncargo{0};
  // The task handed out: what, on how many threads, over which samples.
  Tarea m_tarea = Tarea::Ninguna;
  UINT m_nHilosTarea = 1;
  UINT m_nDesde = 0, m_nHasta = 0;
  const CConjuntoDatos* m_pConjunto = nullptr;
  double* const* m_ppSalidas = nullptr;  // each sample's outputs, when asked for
  double m_dAprendizaje = 0.0, m_dMomento = 0.0;
  // The measuring pass's running totals, from stretch to stretch.
  double m_dSumaErrores = 0.0, m_dErrorMaximo = 0.0;
  UINT m_nAciertos = 0;
  Eleccion m_eleccionEpoca, m_eleccionMedir;
  double m_dParteConVarios = 0.0;
  std::thread::id m_idHilo = std::this_thread::get_id();  // the thread that made it
};
