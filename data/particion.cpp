#include "data/particion.h"

#include <filesystem>
#include <random>

#include "framework/texto.h"

namespace {

// A draw in [0, n) without the bias of a plain modulo.
UINT Uniforme(std::mt19937& g, UINT n) {
  const std::uint64_t rango = std::uint64_t{1} << 32;
  const std::uint64_t limite = rango - rango % n;
  std::uint64_t x;
  do x = g(); while (x >= limite);
  return static_cast<UINT>(x % n);
}

// Largest-remainder rounding of n * cuotas[j] / total.
std::vector<UINT> Cupos(UINT n, const std::vector<UINT>& cuotas) {
  std::uint64_t total = 0;
  for (UINT c : cuotas) total += c;
  std::vector<UINT> cupos(cuotas.size(), 0);
  if (total == 0) return cupos;
  std::vector<std::uint64_t> restos(cuotas.size());
  std::uint64_t dados = 0;
  for (std::size_t j = 0; j < cuotas.size(); ++j) {
    const std::uint64_t p = std::uint64_t{n} * cuotas[j];
    cupos[j] = static_cast<UINT>(p / total);
    restos[j] = p % total;
    dados += cupos[j];
  }
  for (; dados < n; ++dados) {
    std::size_t mejor = 0;
    for (std::size_t j = 1; j < cuotas.size(); ++j)
      if (restos[j] > restos[mejor]) mejor = j;
    ++cupos[mejor];
    restos[mejor] = 0;
  }
  return cupos;
}

}  // namespace

std::vector<UINT> PermutarFilas(UINT n, std::uint32_t nSemilla) {
  // mt19937's sequence is fixed by the standard, and the draws above are
  // the project's own, so a split does not depend on the library.
  std::mt19937 g(nSemilla);
  std::vector<UINT> p(n);
  for (UINT i = 0; i < n; ++i) p[i] = i;
  for (UINT i = n; i > 1; --i) std::swap(p[i - 1], p[Uniforme(g, i)]);
  return p;
}

std::vector<std::vector<UINT>> RepartirFilas(UINT nFilas, const std::vector<UINT>& cuotas, std::uint32_t nSemilla,
                                             const std::vector<UINT>& clases) {
  const bool porClase = !clases.empty();
  UINT nClases = 1;
  if (porClase)
    for (UINT c : clases) nClases = std::max(nClases, c + 1);
  std::vector<UINT> enClase(nClases, 0);
  for (UINT f = 0; f < nFilas; ++f) ++enClase[porClase ? clases[f] : 0];
  // cupos[c][j]: the rows of class c that part j still takes.
  std::vector<std::vector<UINT>> cupos(nClases);
  for (UINT c = 0; c < nClases; ++c) cupos[c] = Cupos(enClase[c], cuotas);
  // The shuffled rows in turn: each to the first part that still takes its
  // class, so that the classes are mixed in every part.
  std::vector<std::vector<UINT>> partes(cuotas.size());
  for (UINT f : PermutarFilas(nFilas, nSemilla)) {
    std::vector<UINT>& cupo = cupos[porClase ? clases[f] : 0];
    std::size_t j = 0;
    while (j + 1 < cupo.size() && cupo[j] == 0) ++j;
    if (j < cupo.size() && cupo[j] > 0) --cupo[j];
    partes[j].push_back(f);
  }
  return partes;
}

const char* NombreParte(UINT nParte) {
  static const char* const kNombres[] = {"entrenamiento", "verificación", "prueba"};
  return nParte < NUM_PARTES ? kNombres[nParte] : "";
}

Resultado<std::vector<UINT>> LeerParticion(const CString& texto) {
  const CString uso =
      "La partición ha de ser tres porcentajes enteros separados por comas, de entrenamiento, verificación y "
      "prueba, que sumen 100 (por ejemplo 70,15,15).";
  std::vector<UINT> p;
  std::size_t i = 0;
  bool negativo = false;
  while (true) {
    std::size_t fin = texto.find(',', i);
    if (fin == CString::npos) fin = texto.size();
    CString campo = texto.substr(i, fin - i);
    while (!campo.empty() && campo.front() == ' ') campo.erase(0, 1);
    while (!campo.empty() && campo.back() == ' ') campo.pop_back();
    if (!campo.empty() && campo[0] == '-') {
      negativo = true;
      campo.erase(0, 1);
    }
    if (campo.empty() || campo.size() > 3 || campo.find_first_not_of("0123456789") != CString::npos)
      return Rechazo(uso);
    p.push_back(static_cast<UINT>(std::stoul(campo)));
    if (fin == texto.size()) break;
    i = fin + 1;
  }
  if (p.size() != NUM_PARTES) return Rechazo(uso);
  if (negativo) return Rechazo("Los porcentajes de la partición no pueden ser negativos.");
  const UINT suma = p[0] + p[1] + p[2];
  if (suma != 100) return Rechazo(FormatC("Los porcentajes de la partición suman %u, no 100.", suma));
  for (UINT j = 0; j < NUM_PARTES; ++j)
    if (p[j] == 0) return Rechazo(FormatC("La parte de %s ha de tener un porcentaje mayor que cero.", NombreParte(j)));
  return p;
}

Resultado<std::vector<std::vector<UINT>>> PartirTabla(UINT nFilas, const std::vector<UINT>& porcentajes,
                                                      std::uint32_t nSemilla, const std::vector<UINT>& clases) {
  std::vector<std::vector<UINT>> partes = RepartirFilas(nFilas, porcentajes, nSemilla, clases);
  for (UINT j = 0; j < partes.size(); ++j)
    if (partes[j].empty())
      return Rechazo(FormatC("La parte de %s quedaría vacía: el %u %% de %u %s no llega a una.", NombreParte(j),
                             porcentajes[j], nFilas, nFilas == 1 ? "fila" : "filas"));
  return partes;
}

std::uint32_t SemillaPliegue(std::uint32_t nSemilla, UINT nPliegue) {
  return static_cast<std::uint32_t>(nSemilla * 2654435761u + nPliegue + 1u);
}

Resultado<std::vector<std::vector<UINT>>> PartirPliegue(UINT nFilas, UINT nPliegues, UINT nPliegue,
                                                        UINT nVerificacion, std::uint32_t nSemilla,
                                                        const std::vector<UINT>& clases) {
  const std::vector<std::vector<UINT>> pliegues =
      RepartirFilas(nFilas, std::vector<UINT>(nPliegues, 1), nSemilla, clases);
  std::vector<UINT> resto, clasesResto;
  for (UINT j = 0; j < nPliegues; ++j) {
    if (pliegues[j].empty())
      return Rechazo(FormatC("Con %u %s no hay filas para %u pliegues.", nFilas, nFilas == 1 ? "fila" : "filas",
                             nPliegues));
    if (j == nPliegue) continue;
    for (UINT f : pliegues[j]) {
      resto.push_back(f);
      if (!clases.empty()) clasesResto.push_back(clases[f]);
    }
  }
  const std::vector<std::vector<UINT>> dentro =
      RepartirFilas(UINT(resto.size()), {10000 - nVerificacion, nVerificacion}, SemillaPliegue(nSemilla, nPliegue),
                    clasesResto);
  std::vector<std::vector<UINT>> partes(NUM_PARTES);
  for (UINT j = 0; j < 2; ++j)
    for (UINT i : dentro[j]) partes[j].push_back(resto[i]);
  partes[PARTE_PRUEBA] = pliegues[nPliegue];
  for (UINT j = 0; j < 2; ++j)
    if (partes[j].empty())
      return Rechazo(FormatC("La parte de %s del pliegue %u quedaría vacía: %u %s fuera del pliegue no llegan.",
                             NombreParte(j), nPliegue + 1, UINT(resto.size()), resto.size() == 1 ? "fila" : "filas"));
  return partes;
}

CString RutaParte(const CString& strDestino, UINT nParte) {
  static const char* const kSufijos[] = {"-entrenamiento", "-verificacion", "-prueba"};
  const std::filesystem::path p(strDestino);
  const CString sufijo = nParte < NUM_PARTES ? kSufijos[nParte] : "";
  std::filesystem::path nombre = p.stem();
  nombre += sufijo;
  nombre += p.extension();
  return (p.parent_path() / nombre).string();
}
