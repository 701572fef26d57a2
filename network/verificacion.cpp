#include "network/verificacion.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "framework/fichero.h"
#include "framework/texto.h"
#include "network/motor.h"

namespace {

// Characters as shown: UTF-8 continuation bytes take no column.
std::size_t Ancho(const CString& s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

CString Derecha(const CString& s, std::size_t ancho) {
  const std::size_t a = Ancho(s);
  return a >= ancho ? s : CString(ancho - a, ' ') + s;
}

CString Izquierda(const CString& s, std::size_t ancho) {
  const std::size_t a = Ancho(s);
  return a >= ancho ? s : s + CString(ancho - a, ' ');
}

CString Porcentaje(bool bHay, double d, bool bTabulado) {
  if (!bHay) return "-";
  return bTabulado ? FormatC("%.4f", d) : FormatC("%7.4f %%", d);
}

}  // namespace

UINT ResultadosVerificacion::TotalObjetivo(UINT k) const {
  UINT n = 0;
  for (UINT j = 0; j < nSalidas; ++j) n += Cuenta(k, j);
  return n;
}

UINT ResultadosVerificacion::TotalRed(UINT k) const {
  UINT n = 0;
  for (UINT j = 0; j < nSalidas; ++j) n += Cuenta(j, k);
  return n;
}

bool ResultadosVerificacion::Sensibilidad(UINT k, double& dPorcentaje) const {
  const UINT n = TotalObjetivo(k);
  if (n == 0) return false;
  dPorcentaje = 100.0 * Cuenta(k, k) / n;
  return true;
}

bool ResultadosVerificacion::Precision(UINT k, double& dPorcentaje) const {
  const UINT n = TotalRed(k);
  if (n == 0) return false;
  dPorcentaje = 100.0 * Cuenta(k, k) / n;
  return true;
}

Resultado<Hecho> ComprobarFicheroDatos(const CString& ruta) {
  if (ruta.empty()) return Rechazo("No ha introducido un fichero");
  // Opened without waiting (a pipe's open would wait for a writer, on the
  // user-interface thread); only a regular file holds data: a folder, a
  // pipe, a device or a socket does not.
  const int fd = AfxAbrirFicheroRegular(ruta);
  const bool valido = fd >= 0;
  if (fd >= 0) ::close(fd);
  if (!valido) return Rechazo("No se ha podido abrir el fichero o fichero inexistente");
  return Hecho{};
}

bool EncajaConjunto(const CConjuntoDatos& c, UINT nEntradas, UINT nSalidas) {
  if (c.m_nEntradas != nEntradas || c.m_nSalidas != nSalidas) return false;
  if (c.m_nMuestras == 0) return true;
  return c.m_matEntradas.m_nFilas >= c.m_nMuestras && c.m_matEntradas.m_nColumnas == nEntradas &&
         c.m_matSalidas.m_nFilas >= c.m_nMuestras && c.m_matSalidas.m_nColumnas == nSalidas;
}

Resultado<Hecho> ComprobarDimensiones(const RedPerceptron& red, const CString& ruta) {
  // The counts are compared as measuring leaves them, whatever it returned:
  // a text file with fewer than two data lines does not match.
  CConjuntoDatos conjunto;
  UINT nEntradas = 0, nSalidas = 0;
  conjunto.Dimensiones(ruta, &nEntradas, &nSalidas);
  if (nEntradas != red.nEntradas || nSalidas != red.nSalidas)
    return Rechazo("Dimensiones Incorrectas del Fichero de Verificación");
  return Hecho{};
}

Resultado<ResultadosVerificacion> VerificarFichero(const RedPerceptron& red, const CString& ruta) {
  CConjuntoDatos conjunto;
  if (!conjunto.Cargar(ruta)) return Fallo{"Error en apertura de fichero"};
  // The file may have changed since it was measured.
  if (!EncajaConjunto(conjunto, red.nEntradas, red.nSalidas)) return Fallo{"Dimensiones Erroneas"};
  return VerificarConjunto(red, conjunto);
}

FigurasPrueba FigurasDe(const ResultadosVerificacion& v, UINT nEpoca) {
  FigurasPrueba f;
  f.nEpoca = nEpoca;
  f.nMuestras = v.nMuestras;
  f.nAciertos = v.medidas.nAciertos;
  f.dTasaAciertos = v.medidas.dTasaAciertos;
  f.dErrorTotal = v.medidas.dErrorTotal;
  f.dErrorMaximo = v.medidas.dErrorMaximo;
  return f;
}

Resultado<FigurasPrueba> MedirFicheroPrueba(const RedPerceptron& red, const CString& ruta, UINT nEpoca) {
  const CString en = "No se ha podido medir el fichero de prueba " + ruta + ": ";
  if (const Resultado<Hecho> c = ComprobarFicheroDatos(ruta); !c) return Fallo{en + c.Mensaje() + "."};
  if (const Resultado<Hecho> c = ComprobarDimensiones(red, ruta); !c)
    return Fallo{en + "no tiene las entradas y salidas de la red."};
  const Resultado<ResultadosVerificacion> v = VerificarFichero(red, ruta);
  if (!v) return Fallo{en + v.Mensaje() + "."};
  const FigurasPrueba f = FigurasDe(*v, nEpoca);
  // Only finite figures are kept (a damaged file would not load again).
  if (!std::isfinite(f.dTasaAciertos) || !std::isfinite(f.dErrorTotal) || !std::isfinite(f.dErrorMaximo))
    return Fallo{en + "sus cifras no son números finitos."};
  return f;
}

ResultadosVerificacion VerificarConjunto(const RedPerceptron& red, const CConjuntoDatos& conjunto, CMatrizReales* pSalidas) {
  ResultadosVerificacion v;
  v.nMuestras = conjunto.m_nMuestras;
  v.nSalidas = red.nSalidas;
  v.matriz.assign(std::size_t(red.nSalidas) * red.nSalidas, 0);
  // The outputs are needed for the matrix; the caller's rows when given.
  CMatrizReales propias;
  CMatrizReales* pO = pSalidas;
  if (pO == nullptr || pO->m_nFilas < conjunto.m_nMuestras || pO->m_nColumnas < red.nSalidas) {
    propias.Dimensionar(conjunto.m_nMuestras, red.nSalidas);
    pO = &propias;
  }
  CMotorPerceptron motor(red);
  v.medidas = motor.MedirConjunto(conjunto, pO);
  ContarMatriz(red, conjunto, *pO, v.matriz.data());
  return v;
}

void ContarMatriz(const RedPerceptron& red, const CConjuntoDatos& conjunto, const CMatrizReales& salidas,
                  UINT* matriz) {
  std::fill(matriz, matriz + std::size_t(red.nSalidas) * red.nSalidas, 0u);
  if (red.nSalidas == 0 || !ConjuntoValido(red, conjunto) || salidas.m_nFilas < conjunto.m_nMuestras ||
      salidas.m_nColumnas < red.nSalidas)
    return;
  for (UINT s = 0; s < conjunto.m_nMuestras; ++s) {
    const UINT t = Ganador(conjunto.m_matSalidas.m_ppFilas[s], red.nSalidas);
    const UINT o = Ganador(salidas.m_ppFilas[s], red.nSalidas);
    ++matriz[std::size_t(t) * red.nSalidas + o];
  }
}

double AciertosClase(const UINT* matriz, UINT nSalidas, UINT k) {
  UINT n = 0;
  for (UINT j = 0; j < nSalidas; ++j) n += matriz[std::size_t(k) * nSalidas + j];
  if (n == 0) return std::nan("");
  return 100.0 * matriz[std::size_t(k) * nSalidas + k] / n;
}

TextosResultados TextosVerificacion(const CString& ruta, const ResultadosVerificacion& v) {
  return TextosResultados{ruta, FormatC("%u", v.nMuestras), FormatC("%7.4f %%", v.medidas.dTasaAciertos),
                          FormatC("%8.6f", v.medidas.dErrorTotal)};
}

CString LineasVerificacion(const TextosResultados& t) {
  return "Fichero: " + t.strFichero + "\n" + "Nº Muestras: " + t.strMuestras + "\n" + "Tasa Aciertos: " +
         t.strAciertos + "\n" + "Error Total: " + t.strErrorTotal + "\n";
}

CString LineaPrueba(const OpcionesRed& op) {
  const FigurasPrueba& f = op.figurasPrueba;
  return FormatC("Prueba (%s, época %u): Nº Muestras: %u, Tasa Aciertos: %7.4f %%, Error Total: %8.6f\n",
                 op.strFicheroPrueba.c_str(), f.nEpoca - 1, f.nMuestras, f.dTasaAciertos, f.dErrorTotal);
}

CString TextoPruebaYParada(const OpcionesRed& op, UINT nEpoca) {
  CString s;
  if (op.bFigurasPrueba && !op.strFicheroPrueba.empty()) s += LineaPrueba(op);
  else if (!op.strFicheroPrueba.empty())
    s += "Fichero de prueba: " + op.strFicheroPrueba + " (se mide al acabar cada entrenamiento)\n";
  if (op.bParadaTemprana)
    s += FormatC("Parada temprana: %u épocas sin mejorar el error total de verificación; la red volvió a su mejor "
                 "época, la %u, de las %u entrenadas.\n",
                 op.nPaciencia, op.nEpocaMejor, nEpoca);
  if (!s.empty()) s.pop_back();
  return s;
}

std::vector<CString> NombresSalidas(UINT nSalidas, const std::vector<CString>& nombres) {
  if (nombres.size() == nSalidas) return nombres;
  std::vector<CString> v;
  for (UINT k = 0; k < nSalidas; ++k) v.push_back(FormatC("salida%u", k + 1));
  return v;
}

std::vector<std::vector<CString>> CeldasMatriz(const ResultadosVerificacion& v,
                                               const std::vector<CString>& nombresDados, bool bTabulado) {
  const std::vector<CString> nombres = NombresSalidas(v.nSalidas, nombresDados);
  const UINT n = v.nSalidas;
  // Each row: its label, n cells, then the last column.
  std::vector<std::vector<CString>> filas;
  filas.push_back({"objetivo \\ red"});
  for (const CString& s : nombres) filas.back().push_back(s);
  filas.back().push_back("Sensibilidad");
  for (UINT t = 0; t < n; ++t) {
    std::vector<CString> f{nombres[t]};
    for (UINT o = 0; o < n; ++o) f.push_back(FormatC("%u", v.Cuenta(t, o)));
    double d = 0.0;
    const bool hay = v.Sensibilidad(t, d);
    f.push_back(Porcentaje(hay, d, bTabulado));
    filas.push_back(std::move(f));
  }
  std::vector<CString> ultima{"Precisión"};
  for (UINT o = 0; o < n; ++o) {
    double d = 0.0;
    const bool hay = v.Precision(o, d);
    ultima.push_back(Porcentaje(hay, d, bTabulado));
  }
  ultima.push_back(CString());
  filas.push_back(std::move(ultima));
  return filas;
}

CString TextoMatriz(const ResultadosVerificacion& v, const std::vector<CString>& nombresDados, bool bTabulado) {
  const UINT n = v.nSalidas;
  const std::vector<std::vector<CString>> filas = CeldasMatriz(v, nombresDados, bTabulado);
  CString s;
  if (bTabulado) {
    for (const auto& f : filas) {
      for (std::size_t i = 0; i < f.size(); ++i) s += (i ? "\t" : "") + f[i];
      s += "\n";
    }
    return s;
  }
  std::vector<std::size_t> anchos(n + 2, 0);
  for (const auto& f : filas)
    for (std::size_t i = 0; i < f.size(); ++i) anchos[i] = std::max(anchos[i], Ancho(f[i]));
  s += "Matriz de confusión (filas: objetivo; columnas: red):\n";
  for (const auto& f : filas) {
    CString linea = Izquierda(f[0], anchos[0]);
    for (std::size_t i = 1; i < f.size(); ++i) linea += "  " + Derecha(f[i], anchos[i]);
    while (!linea.empty() && linea.back() == ' ') linea.pop_back();
    s += linea + "\n";
  }
  return s;
}
