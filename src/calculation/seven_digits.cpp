// SPDX-License-Identifier: GPL-3.0-or-later
// Seven significant digits of a single-precision value, worked out exactly in 128-bit integer
// arithmetic: a float is m * 2^q with m below 2^24, so m * 2^q * 10^k is a fraction of two
// integers whose quotient and remainder give the digits and the rounding. The few values whose
// fraction does not fit (the smallest subnormals) go through the library's general formatter,
// which writes the same text more slowly.
#include "calculation/seven_digits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace numerella {
namespace {

using Wide = unsigned __int128;

constexpr int kDigits = 7;
constexpr std::uint32_t kLow = 1000000;    // 10^6: the smallest seven-digit number
constexpr std::uint32_t kHigh = 10000000;  // 10^7
constexpr int kMaxFive = 44;               // 5^44 * 2^24 stays below 2^127

constexpr std::array<Wide, kMaxFive + 1> kPowersOfFive = [] {
  std::array<Wide, kMaxFive + 1> powers{};
  Wide p = 1;
  for (Wide& entry : powers) {
    entry = p;
    p *= 5;
  }
  return powers;
}();

int BitLength(Wide v) {
  const auto high = static_cast<std::uint64_t>(v >> 64);
  const auto low = static_cast<std::uint64_t>(v);
  if (high != 0) return 128 - __builtin_clzll(high);
  return low != 0 ? 64 - __builtin_clzll(low) : 0;
}

// num / den rounded half to even, where den is 2^shift (shift >= 1) or any number.
void Divide(Wide num, Wide den, int shift, Wide& whole, Wide& rest, Wide& half_den) {
  if (shift > 0) {
    whole = num >> shift;
    rest = num & ((Wide(1) << shift) - 1);
    half_den = Wide(1) << (shift - 1);  // compared with rest, so 2 * rest is never formed
    return;
  }
  // den is 1 or a power of five, never 0.
  whole = num / den;  // NOLINT(clang-analyzer-core.DivideZero)
  rest = num % den;
  half_den = 0;
}

// value = n * 10^(exponent - 6) rounded to seven digits, n in [10^6, 10^7); false when the
// fraction does not fit.
bool RoundToSeven(float value, std::uint32_t& n, int& exponent) {
  std::uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased = static_cast<int>(bits >> 23 & 0xFF);
  std::uint32_t m = bits & 0x7FFFFF;
  int q = -149;  // value = m * 2^q
  if (biased != 0) {
    m |= 0x800000;
    q = biased - 150;
  }
  const int top = q + BitLength(m) - 1;  // 2^top <= value < 2^(top + 1)
  // floor(top * log10(2)), which is floor(log10(value)) or one less.
  int e = static_cast<int>(std::floor(top * 0.30102999566398120));
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int k = kDigits - 1 - e;  // value * 10^k = m * 5^k * 2^(q + k)
    if (k > kMaxFive || -k > kMaxFive) return false;
    Wide num = m, den = 1;
    if (k >= 0) {
      num *= kPowersOfFive[k];
    } else {
      den = kPowersOfFive[-k];
    }
    int shift = q + k;
    if (shift >= 0) {
      if (BitLength(num) + shift > 126) return false;
      num <<= shift;
      shift = 0;
    } else if (k < 0) {
      if (BitLength(den) - shift > 126) return false;
      den <<= -shift;
      shift = 0;
    } else {
      shift = -shift;
      if (shift > 126) return false;
    }
    Wide whole, rest, half;
    Divide(num, den, shift, whole, rest, half);
    if (whole < kLow) {
      --e;
      continue;
    }
    if (whole >= kHigh) {
      ++e;
      continue;
    }
    const bool above = shift > 0 ? rest > half : 2 * rest > den;
    const bool tie = shift > 0 ? rest == half : 2 * rest == den;
    if (above || (tie && (whole & 1) != 0)) ++whole;
    if (whole == kHigh) {
      whole = kLow;
      ++e;
    }
    n = static_cast<std::uint32_t>(whole);
    exponent = e;
    return true;
  }
  return false;
}

}  // namespace

char* WriteSevenDigits(float value, char* buffer) {
  std::uint32_t n = 0;
  int exponent = 0;
  if (!RoundToSeven(std::fabs(value), n, exponent)) {
    return std::to_chars(buffer, buffer + 16, static_cast<double>(value),
                         std::chars_format::general, kDigits)
        .ptr;
  }
  char digits[kDigits];
  for (int i = kDigits - 1; i >= 0; --i, n /= 10) digits[i] = static_cast<char>('0' + n % 10);
  int used = kDigits;  // trailing zeros are not written
  while (used > 1 && digits[used - 1] == '0') --used;

  char* out = buffer;
  if (value < 0) *out++ = '-';
  if (exponent >= -4 && exponent < kDigits) {
    if (exponent < 0) {
      *out++ = '0';
      *out++ = '.';
      for (int z = -1; z > exponent; --z) *out++ = '0';
      for (int i = 0; i < used; ++i) *out++ = digits[i];
      return out;
    }
    for (int i = 0; i <= exponent; ++i) *out++ = digits[i];
    if (used > exponent + 1) {
      *out++ = '.';
      for (int i = exponent + 1; i < used; ++i) *out++ = digits[i];
    }
    return out;
  }
  *out++ = digits[0];
  if (used > 1) {
    *out++ = '.';
    for (int i = 1; i < used; ++i) *out++ = digits[i];
  }
  *out++ = 'e';
  *out++ = exponent < 0 ? '-' : '+';
  const int magnitude = exponent < 0 ? -exponent : exponent;
  if (magnitude >= 100) *out++ = static_cast<char>('0' + magnitude / 100);
  *out++ = static_cast<char>('0' + magnitude / 10 % 10);
  *out++ = static_cast<char>('0' + magnitude % 10);
  return out;
}

}  // namespace numerella
