#pragma once
// Decimal text for the stored float kinds. A value is written as decimal only
// when reading that text back gives the very same bytes; otherwise the text keeps
// the raw bytes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "classes/stream_format.h"

namespace formtool {

// Shortest decimal text (always with "." or an exponent) for the raw bytes of an
// svExtended, svSingle, svDouble or svDate value, or nothing when not exact.
std::optional<std::string> FloatToText(TValueType tag, std::string_view raw);

// Raw bytes of `text` stored as `tag` (svExtended, svSingle, svDouble, svDate);
// nothing when the text is not a finite number of that kind.
std::optional<std::string> TextToFloat(TValueType tag, std::string_view text);

// A currency value (scaled by 10000) as decimal text and back; at most four
// decimal places are accepted.
std::string CurrencyToText(int64_t scaled);
std::optional<int64_t> TextToCurrency(std::string_view text);

}  // namespace formtool
