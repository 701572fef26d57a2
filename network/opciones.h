// The options of a network beyond its five parameters (seed, patience,
// shuffling, test file, scheme, measuring of the training set) and the
// extension block of the network file that keeps them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/afx.h"

class CArchive;

// The figures of the test file, measured once when a training run ends.
struct FigurasPrueba {
  UINT nEpoca = 0;  // epochs completed when measured
  UINT nMuestras = 0;
  UINT nAciertos = 0;
  double dTasaAciertos = 0.0;
  double dErrorTotal = 0.0;
  double dErrorMaximo = 0.0;
  bool operator==(const FigurasPrueba&) const = default;
};

// Every option has a default that is today's behaviour; a network whose
// options are all at their defaults is saved without the extension block,
// byte for byte as before.
struct OpcionesRed {
  // The network's weights were drawn from the generator's sequence started
  // at this seed instead of where the process had left it.
  bool bSemilla = false;
  UINT nSemilla = 1;
  // Training also stops after this many epochs without a better total
  // error on the verification file (0: never).
  UINT nPaciencia = 0;
  // The training samples in a new seeded order every epoch.
  bool bBarajar = false;
  // A data file that nothing trains or stops on, and its last figures.
  CString strFicheroPrueba;
  bool bFigurasPrueba = false;
  FigurasPrueba figurasPrueba;
  // The scheme the network's data were imported with.
  CString strEsquema;
  // Each epoch also measures the training set; its history lives below.
  bool bMedirEntrenamiento = false;
  // Under nPaciencia: the epoch of the best total error so far (its index),
  // its weights and previous changes (hidden weights, output weights,
  // hidden changes, output changes, row by row), so that a run stopped and
  // resumed goes on as one run; bParadaTemprana once the patience ran out
  // and the network went back to them: its training is over.
  bool bMejor = false;
  UINT nEpocaMejor = 0;
  std::vector<double> mejores;
  bool bParadaTemprana = false;

  // History kept under bMedirEntrenamiento, one entry per epoch from the
  // first, NaN for an epoch that was not measured (the option came later).
  // The training set's maximum error, total error and hit rate, as the
  // verification file's are kept in the document's own vectors.
  std::vector<double> entErrorMaximo, entErrorTotal, entAciertos;
  // The verification file's hit rate of each output (class) among the
  // samples whose target's winner it is, nClases per epoch (NaN where it
  // has none), and its confusion matrix, nClases² counts per epoch (row:
  // the target's winner, column: the network's; all zero when not
  // measured), kept for the first epochs while nClases² × epochs stays
  // within kCeldasMatrices.
  UINT nClases = 0;
  std::vector<double> aciertosClase;
  std::vector<UINT> matrices;
  // A run may give each epoch its entries without reallocating: the
  // vectors measured by this run reach nEpocas entries (NaN or 0 beyond
  // what is already there); the matrices as far as they fit.
  void PrepararHistorial(UINT nEpocas, UINT nSalidas);
  // The entries of the first nEpocas epochs only (those completed).
  void RecortarHistorial(UINT nEpocas);
  bool HayHistorial() const {
    return !entErrorMaximo.empty() || !aciertosClase.empty() || !matrices.empty();
  }

  bool operator==(const OpcionesRed&) const = default;
  // Nothing to keep in the block: every option at its default (the values
  // behind an unset flag do not count).
  bool PorOmision() const;
};

// The most counts the per-epoch confusion matrices may take (4 MiB).
inline constexpr std::size_t kCeldasMatrices = std::size_t(1) << 20;

// The extension block follows the document's last history vector: magic
// "NRVE", u32 version (1), u32 length of the entries, then entries of u32
// tag, u32 length and that many bytes; nothing follows it. Written only
// when some option differs from its default.
void EscribirBloqueOpciones(CArchive& ar, const OpcionesRed& op);
// Reads what follows the last vector: nothing (every option at its
// default) or one whole block. Anything else, a block cut short, a value
// out of range or a tag this program does not know throws
// CArchiveException, as any damaged file does.
OpcionesRed LeerBloqueOpciones(CArchive& ar);

// The generator of the network's weights: the C library's standard
// sequence from a seed.
class CGeneradorNodus {
 public:
  explicit CGeneradorNodus(UINT semilla = 1) : m_nEstado(semilla) {}
  int Siguiente() {  // 0 .. 32767
    m_nEstado = m_nEstado * 214013u + 2531011u;
    return static_cast<int>((m_nEstado >> 16) & 0x7FFF);
  }

 private:
  UINT m_nEstado;
};
