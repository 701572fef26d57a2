// Binary64 products in integer arithmetic: the very bits the processor's
// multiplication gives in its default mode (round to nearest, ties to even,
// subnormal results kept), for the engine's momentum changes near zero.
// A processor may take a slow path for every operation that reads or
// produces a subnormal number; an integer multiplication never does.
#pragma once

#include <bit>
#include <cstdint>

namespace exacto {

constexpr std::uint64_t kSigno = 1ull << 63;
constexpr std::uint64_t kFraccion = (1ull << 52) - 1;
constexpr std::uint64_t kMinimoNormal = 1ull << 52;  // the bits of 2^-1022
constexpr std::uint64_t kInfinito = 0x7FFull << 52;

inline std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v); }
inline double Real(std::uint64_t b) { return std::bit_cast<double>(b); }

__extension__ typedef unsigned __int128 Doble;  // room for a product of two significands

// a x b for finite a and b, as bits.
inline std::uint64_t Producto(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t signo = (a ^ b) & kSigno;
  const std::uint64_t ea = (a >> 52) & 0x7FF, eb = (b >> 52) & 0x7FF;
  std::uint64_t ma = a & kFraccion, mb = b & kFraccion;
  // The value is m x 2^x; a subnormal has the smallest normal exponent.
  int xa = -1074, xb = -1074;
  if (ea != 0) {
    ma |= kMinimoNormal;
    xa = int(ea) - 1075;
  }
  if (eb != 0) {
    mb |= kMinimoNormal;
    xb = int(eb) - 1075;
  }
  if (ma == 0 || mb == 0) return signo;
  const Doble n = static_cast<Doble>(ma) * mb;
  const int x = xa + xb;
  const std::uint64_t alto = std::uint64_t(n >> 64);
  const int bits = alto ? 128 - std::countl_zero(alto) : 64 - std::countl_zero(std::uint64_t(n));
  int e = bits - 1 + x;  // the exponent of the leading bit
  // Bits dropped: down to 53 significant ones, or down to 2^-1074.
  const int corte = e >= -1022 ? bits - 53 : -1074 - x;
  Doble q;
  if (corte <= 0) {
    q = n << -corte;
  } else if (corte >= 128) {
    q = 0;
  } else {
    q = n >> corte;
    const Doble resto = n & ((static_cast<Doble>(1) << corte) - 1);
    const Doble mitad = static_cast<Doble>(1) << (corte - 1);
    if (resto > mitad || (resto == mitad && (q & 1))) ++q;
  }
  if (e < -1022) return signo | std::uint64_t(q);  // 2^52 here is 2^-1022, still right
  if (q == (static_cast<Doble>(1) << 53)) {
    q >>= 1;
    ++e;
  }
  if (e > 1023) return signo | kInfinito;
  return signo | (std::uint64_t(e + 1023) << 52) | (std::uint64_t(q) & kFraccion);
}

}  // namespace exacto
