// Splitting one table's rows into parts: training, verification and test,
// or the folds of a cross-validation. Only the number of rows and, when the
// split is stratified, each row's class are needed, so that a reader that
// streams its rows can count them in a first pass and route each row to its
// part in a second.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/resultado.h"

// The rows of each part, in the split's own order. A seeded shuffle of
// 0..nFilas-1 is dealt out by the parts' shares: part j takes
// nFilas * cuotas[j] / sum(cuotas) rows, rounded so that the remainders go
// to the parts with the largest fractions (ties to the earlier part). With
// clases (one class number per row) the same rounding is made class by
// class, so every class keeps its share in every part to within one row.
// The same seed, rows and shares give the same parts on every machine.
std::vector<std::vector<UINT>> RepartirFilas(UINT nFilas, const std::vector<UINT>& cuotas, std::uint32_t nSemilla,
                                             const std::vector<UINT>& clases = {});

// The seeded shuffle RepartirFilas deals from: a permutation of 0..n-1.
std::vector<UINT> PermutarFilas(UINT n, std::uint32_t nSemilla);

// The three parts of an import's split, in this order.
enum ParteParticion : UINT { PARTE_ENTRENAMIENTO, PARTE_VERIFICACION, PARTE_PRUEBA, NUM_PARTES };
// "entrenamiento", "verificación", "prueba"
const char* NombreParte(UINT nParte);

// "70,15,15": the training, verification and test percentages, whole
// numbers that sum 100, the training part above zero. The refusals say
// which rule the text breaks.
Resultado<std::vector<UINT>> LeerParticion(const CString& texto);
// The parts of a table of nFilas rows, or the refusal of a part that would
// be empty.
Resultado<std::vector<std::vector<UINT>>> PartirTabla(UINT nFilas, const std::vector<UINT>& porcentajes,
                                                      std::uint32_t nSemilla, const std::vector<UINT>& clases = {});

// Fold nPliegue (from 0) of a k-fold cross-validation over nPliegues folds,
// as the three parts. The folds are RepartirFilas with nPliegues equal
// shares from nSemilla (class by class with clases); fold nPliegue is the
// test part, and the other folds' rows, in the order of their folds, are
// dealt into training and verification by the shares {10000 - nVerificacion,
// nVerificacion} (per ten thousand) from SemillaPliegue, class by class
// too. Refused when a part would be empty.
Resultado<std::vector<std::vector<UINT>>> PartirPliegue(UINT nFilas, UINT nPliegues, UINT nPliegue,
                                                        UINT nVerificacion, std::uint32_t nSemilla,
                                                        const std::vector<UINT>& clases = {});
// The seed of a fold's verification split: nSemilla * 2654435761 +
// nPliegue + 1, modulo 2^32.
std::uint32_t SemillaPliegue(std::uint32_t nSemilla, UINT nPliegue);

// The part's data file beside DESTINO: "iris.txt" gives
// "iris-entrenamiento.txt", "iris-verificacion.txt" and "iris-prueba.txt".
CString RutaParte(const CString& strDestino, UINT nParte);
