#pragma once
// Lengths of the design are pixels of a 96-DPI screen. A window on another
// screen shows each at `dpi / 96` times the size, rounded as Win32's MulDiv
// rounds, so that the program and the system agree to the pixel. What is
// stored (bar widths) stays in design units, so a setting moves between screens.
#include <cstdint>

namespace zv {

inline constexpr int kDesignDpi = 96;

struct DisplayScale {
  int dpi = kDesignDpi;

  // A design length on this screen.
  int Px(int design) const { return MulDivRounded(design, dpi, kDesignDpi); }
  // A length of this screen in design units (the inverse, rounded).
  int Design(int pixels) const { return dpi > 0 ? MulDivRounded(pixels, kDesignDpi, dpi) : pixels; }
  bool IsDesign() const { return dpi == kDesignDpi; }
  bool operator==(const DisplayScale&) const = default;

  // value * numerator / denominator, halves rounded away from zero (MulDiv's rule).
  static int MulDivRounded(int value, int numerator, int denominator) {
    if (denominator == 0) return value;
    int64_t product = static_cast<int64_t>(value) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    if (product < 0) product = -product;
    const int64_t divisor = denominator < 0 ? -static_cast<int64_t>(denominator) : denominator;
    const int64_t quotient = (product + divisor / 2) / divisor;
    return static_cast<int>(negative ? -quotient : quotient);
  }
};

}  // namespace zv
