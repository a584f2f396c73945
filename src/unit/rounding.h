// The component's arithmetic on bounds, sizes and fonts: its two roundings
// (half-up and truncation toward zero) of a product int x factor or a
// quotient int / factor, its factors as the Double nearest to an exact
// ratio of integers, and sums and differences of bounds computed wide.
//
// Both roundings decide on the exact value, not on a rounded one: a font of
// 12 at the factor 2/3 (0.66666666666666663) is 7.99999999999999956 and
// truncates to 7, while a Double product would round to 8 first. With an
// 80-bit long double such products happen to be exact for small integers;
// here the exactness comes from std::fma, so the results do not depend on
// the width of long double. Nothing here uses long double.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace flx::unit {

// A whole number of any size, held inside the Integer range.
inline int ClampToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v <= std::numeric_limits<int>::min())
    return std::numeric_limits<int>::min();
  if (v >= std::numeric_limits<int>::max())
    return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}

// A wide result held inside the Integer range: sums and differences of
// bounds are computed in 64 bits and saturate rather than wrap.
inline int Saturate(std::int64_t v) {
  if (v < std::numeric_limits<int>::min())
    return std::numeric_limits<int>::min();
  if (v > std::numeric_limits<int>::max())
    return std::numeric_limits<int>::max();
  return static_cast<int>(v);
}

// The extent of [lo, hi) as a wide value: right - left, bottom - top.
inline std::int64_t Extent(int lo, int hi) {
  return static_cast<std::int64_t>(hi) - lo;
}

namespace rounding_detail {

inline int signOf(double v) { return (v > 0) - (v < 0); }

// The exact value is p + e, with |e| at most half a unit in the last place
// of p; side(x) gives the sign of x + e for an exactly known x.
template <class Side>
int halfUp(double p, Side side) {
  if (!std::isfinite(p)) return ClampToInt(p);
  // p - floor(p), and that less 0.5, are exact wherever the value is near a
  // half, the only place where e can tip the balance.
  const double f = std::floor(p);
  const int s = side((p - f) - 0.5);
  double r = f + (s >= 0 ? 1 : 0);  // floor(value + 0.5)
  // Truncation toward zero of a negative value + 0.5 that is no integer.
  if (r < 0 && s != 0) r += 1;
  return ClampToInt(r);
}

template <class Side>
int truncate(double p, Side side) {
  if (!std::isfinite(p)) return ClampToInt(p);
  const double t = std::trunc(p);
  // A value that is no integer stays on its side of every integer: e is
  // smaller than its distance to the nearest one.
  if (t != p) return ClampToInt(t);
  const int s = side(0.0);
  if (p > 0 && s < 0) return ClampToInt(p - 1);
  if (p < 0 && s > 0) return ClampToInt(p + 1);
  return ClampToInt(p);
}

}  // namespace rounding_detail

// half-up(a x f): add 0.5 to the exact product, truncate toward zero.
inline int HalfUpProduct(int a, double f) {
  const double p = static_cast<double>(a) * f;
  const double e = std::fma(static_cast<double>(a), f, -p);  // exact error
  return rounding_detail::halfUp(
      p, [e](double x) { return rounding_detail::signOf(x + e); });
}

// Truncation toward zero of the exact product a x f.
inline int TruncProduct(int a, double f) {
  const double p = static_cast<double>(a) * f;
  const double e = std::fma(static_cast<double>(a), f, -p);
  return rounding_detail::truncate(
      p, [e](double x) { return rounding_detail::signOf(x + e); });
}

// half-up(a / f) of the exact quotient; f must not be 0.
inline int HalfUpQuotient(int a, double f) {
  const double q = static_cast<double>(a) / f;
  // a = q f + rem exactly, so the exact quotient is q + rem / f, and the
  // sign of x + rem / f is that of x f + rem (one rounding) times f's.
  const double rem = std::fma(-q, f, static_cast<double>(a));
  return rounding_detail::halfUp(q, [f, rem](double x) {
    return rounding_detail::signOf(std::fma(x, f, rem)) *
           rounding_detail::signOf(f);
  });
}

// The Double nearest to num / den (ties to even), den not 0: a scale factor
// such as (cw / W) x (dd / rd) is RatioNearest(cw * dd, W * rd), one
// rounding instead of three.
inline double RatioNearest(std::int64_t num, std::int64_t den) {
  if (num == 0 || den == 0) return 0.0;
  const bool negative = (num < 0) != (den < 0);
  auto magnitude = [](std::int64_t v) {
    return v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v)
                 : static_cast<std::uint64_t>(v);
  };
  const std::uint64_t a = magnitude(num);
  const std::uint64_t b = magnitude(den);
  // Long division: 55 significant bits of the quotient (53, a rounding bit
  // and one more), then a sticky bit for whatever remains.
  constexpr int kBits = 55;
  std::uint64_t mant = a / b;
  std::uint64_t rem = a % b;
  int exponent = 0;
  int bits = 0;
  for (std::uint64_t m = mant; m != 0; m >>= 1) ++bits;
  if (bits > kBits) {
    const int drop = bits - kBits;
    const bool sticky = (mant & ((std::uint64_t{1} << drop) - 1)) != 0;
    mant >>= drop;
    exponent = drop;
    if (sticky || rem != 0) mant |= 1;
  } else {
    while (bits < kBits) {
      // rem < b <= 2^63, so 2 rem cannot overflow; compare before doubling
      // to stay clear of the top bit all the same.
      const bool one = rem >= b - rem;
      rem = one ? rem - (b - rem) : rem * 2;
      mant = mant * 2 + (one ? 1 : 0);
      --exponent;
      if (mant != 0) ++bits;
    }
    if (rem != 0) mant |= 1;
  }
  // Round the two bits below the 53 to nearest, ties to even.
  const std::uint64_t low = mant & 3;
  mant >>= 2;
  exponent += 2;
  if (low > 2 || (low == 2 && (mant & 1) != 0)) ++mant;
  const double v = std::ldexp(static_cast<double>(mant), exponent);
  return negative ? -v : v;
}

}  // namespace flx::unit
