// The body of the two data-file targets: load, then read every value the
// set says it has, measure it with a small network of its shape and ask for
// its dimensions again.
#pragma once

#include <vector>

#include "data/conjunto.h"
#include "fuzz/apoyo_fuzz.h"
#include "network/aritmetica.h"

inline void ProbarConjunto(const std::string& ruta) {
  CConjuntoDatos medido;
  UINT nEntradas = 0, nSalidas = 0;
  const BOOL bMedido = medido.Dimensiones(ruta, &nEntradas, &nSalidas);

  CConjuntoDatos c;
  if (!c.Cargar(ruta)) return;
  // Every row the set claims is there, whole. A file cut short may claim
  // millions of zero rows: the first and the last thousand tell as much.
  volatile double suma = 0.0;
  auto leer = [&](const CMatrizReales& m, UINT columnas) {
    if (c.m_nMuestras == 0 || columnas == 0) return;
    if (m.m_nFilas < c.m_nMuestras || m.m_nColumnas != columnas) std::abort();
    for (UINT i = 0; i < c.m_nMuestras; ++i) {
      if (i == 1024 && c.m_nMuestras > 2048) i = c.m_nMuestras - 1024;
      for (UINT j = 0; j < columnas; ++j) suma = suma + m.m_ppFilas[i][j];
    }
  };
  leer(c.m_matEntradas, c.m_nEntradas);
  leer(c.m_matSalidas, c.m_nSalidas);
  // A loaded file measures as it loads.
  if (bMedido && (nEntradas != c.m_nEntradas || nSalidas != c.m_nSalidas)) std::abort();

  if (c.m_nEntradas == 0 || c.m_nSalidas == 0 || c.m_nEntradas > 4096 || c.m_nSalidas > 4096) return;
  if (std::uint64_t(c.m_nMuestras) * (c.m_nEntradas + c.m_nSalidas) > (1u << 20)) return;
  CMatrizReales po, ps, io, is;
  po.Dimensionar(2, c.m_nEntradas + 1);
  io.Dimensionar(2, c.m_nEntradas + 1);
  ps.Dimensionar(c.m_nSalidas, 3);
  is.Dimensionar(c.m_nSalidas, 3);
  const RedPerceptron red{c.m_nEntradas, 2, c.m_nSalidas, &po, &ps, &io, &is};
  std::vector<double> h(2), o(c.m_nSalidas);
  const MedidasConjunto m = MedirConjunto(red, c, h.data(), o.data());
  suma = suma + m.dErrorTotal;
}
