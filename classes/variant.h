#pragma once
// TVariant: the small dynamically typed value that variant-typed published
// properties hold. Only what reading a stored definition produces is supported.
#include <cstdint>
#include <string>
#include <variant>

struct TVariantNull {
  friend bool operator==(TVariantNull, TVariantNull) { return true; }
};

struct TVariantCurrency {
  int64_t scaled = 0;  // value * 10000
  friend bool operator==(TVariantCurrency, TVariantCurrency) = default;
};

struct TVariantDate {
  double days = 0;  // days since 1899-12-30, fraction = time of day
  friend bool operator==(TVariantDate, TVariantDate) = default;
};

// std::monostate is "unassigned"; TVariantNull is the null value.
// Integers keep the width they were stored with (1, 2, 4 or 8 bytes).
using TVariant =
    std::variant<std::monostate, TVariantNull, int8_t, int16_t, int32_t, int64_t, double,
                 TVariantCurrency, TVariantDate, bool, std::string, std::u16string>;
