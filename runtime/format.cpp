#include "runtime/format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

struct Directive {
  bool leftAlign = false;
  bool zeroPad = false;
  int width = -1;
  int precision = -1;
  char conversion = 0;
};

std::string Pad(std::string body, const Directive& d) {
  if (d.width < 0 || static_cast<int>(body.size()) >= d.width) return body;
  const size_t fill = static_cast<size_t>(d.width) - body.size();
  if (d.leftAlign) return body + std::string(fill, ' ');
  return std::string(fill, ' ') + body;
}

// Digits of `magnitude` in `base`; `precision` is the minimum digit count.
std::string Digits(uint64_t magnitude, unsigned base, bool upper, int precision) {
  const char* digitChars = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  while (magnitude != 0) {
    out.insert(out.begin(), digitChars[magnitude % base]);
    magnitude /= base;
  }
  const size_t minDigits = precision < 0 ? 1 : static_cast<size_t>(precision);
  if (out.size() < minDigits) out.insert(0, minDigits - out.size(), '0');
  return out;
}

// A number: sign, then digits zero-padded to the width when "0" is given
// without "-" (and no precision, as in C).
std::string PadNumber(bool negative, std::string digits, const Directive& d) {
  const std::string sign = negative ? "-" : "";
  if (d.zeroPad && !d.leftAlign && d.precision < 0 && d.width > 0) {
    const size_t total = sign.size() + digits.size();
    if (total < static_cast<size_t>(d.width)) {
      digits.insert(0, static_cast<size_t>(d.width) - total, '0');
    }
  }
  return Pad(sign + digits, d);
}

// Values print at their natural width: a negative number that fits in 32 bits
// shows as 32-bit two's complement for %u/%x, as the 32-bit product does.
uint64_t AsUnsigned(const FormatArg& a) {
  switch (a.kind) {
    case FormatArg::Kind::kInt:
      if (a.i < 0 && a.i >= std::numeric_limits<int32_t>::min()) {
        return static_cast<uint32_t>(static_cast<int32_t>(a.i));
      }
      return static_cast<uint64_t>(a.i);
    case FormatArg::Kind::kUInt:
      return a.u;
    case FormatArg::Kind::kPointer:
      return reinterpret_cast<uintptr_t>(a.p);
    case FormatArg::Kind::kFloat:
      if (!std::isfinite(a.f)) return 0;
      if (a.f < 0) return static_cast<uint64_t>(static_cast<int64_t>(a.f));
      if (a.f >= 18446744073709551615.0) return std::numeric_limits<uint64_t>::max();
      return static_cast<uint64_t>(a.f);
    case FormatArg::Kind::kText:
      break;
  }
  return 0;
}

std::string FormatFloat(double value, const Directive& d) {
  // The directive is rebuilt from parsed fields only, so snprintf sees nothing
  // taken verbatim from the caller's format text.
  std::string pattern = "%";
  if (d.leftAlign) pattern += '-';
  if (d.zeroPad) pattern += '0';
  if (d.width >= 0) pattern += std::to_string(d.width);
  if (d.precision >= 0) pattern += "." + std::to_string(d.precision);
  pattern += d.conversion;
  const int needed = std::snprintf(nullptr, 0, pattern.c_str(), value);
  if (needed <= 0) return {};
  std::string out(static_cast<size_t>(needed) + 1, '\0');
  std::snprintf(out.data(), out.size(), pattern.c_str(), value);
  out.resize(static_cast<size_t>(needed));
  return out;
}

std::string TextOf(const FormatArg& a) {
  switch (a.kind) {
    case FormatArg::Kind::kText:
      return std::string(a.text);
    case FormatArg::Kind::kInt:
      return std::to_string(a.i);
    case FormatArg::Kind::kUInt:
      return std::to_string(a.u);
    case FormatArg::Kind::kPointer:
      return Digits(reinterpret_cast<uintptr_t>(a.p), 16, true, 2 * sizeof(void*));
    case FormatArg::Kind::kFloat:
      return FormatFloat(a.f, Directive{.conversion = 'g'});
  }
  return {};
}

std::string Convert(const Directive& d, const FormatArg& a) {
  switch (d.conversion) {
    case 's': {
      std::string text = TextOf(a);
      if (d.precision >= 0 && text.size() > static_cast<size_t>(d.precision)) {
        text.resize(static_cast<size_t>(d.precision));
      }
      return Pad(std::move(text), d);
    }
    case 'd': {
      if (a.kind == FormatArg::Kind::kText) return Pad(std::string(a.text), d);
      int64_t v = a.i;
      if (a.kind == FormatArg::Kind::kUInt) v = static_cast<int64_t>(a.u);
      if (a.kind == FormatArg::Kind::kPointer) v = static_cast<int64_t>(AsUnsigned(a));
      if (a.kind == FormatArg::Kind::kFloat) {
        v = std::isfinite(a.f) ? static_cast<int64_t>(a.f) : 0;
      }
      const bool negative = v < 0;
      const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
      return PadNumber(negative, Digits(magnitude, 10, false, d.precision), d);
    }
    case 'u':
    case 'x':
    case 'X': {
      if (a.kind == FormatArg::Kind::kText) return Pad(std::string(a.text), d);
      const unsigned base = d.conversion == 'u' ? 10 : 16;
      return PadNumber(false, Digits(AsUnsigned(a), base, d.conversion == 'X', d.precision), d);
    }
    case 'p': {
      if (a.kind == FormatArg::Kind::kText) return Pad(std::string(a.text), d);
      const int digits = d.precision >= 0 ? d.precision : static_cast<int>(2 * sizeof(void*));
      return PadNumber(false, Digits(AsUnsigned(a), 16, true, digits), d);
    }
    case 'f':
    case 'g':
    case 'e': {
      double v = a.f;
      if (a.kind == FormatArg::Kind::kInt) v = static_cast<double>(a.i);
      if (a.kind == FormatArg::Kind::kUInt) v = static_cast<double>(a.u);
      if (a.kind == FormatArg::Kind::kPointer) v = static_cast<double>(AsUnsigned(a));
      if (a.kind == FormatArg::Kind::kText) return Pad(std::string(a.text), d);
      return FormatFloat(v, d);
    }
  }
  return {};
}

bool IsConversion(char c) {
  switch (c) {
    case 's':
    case 'd':
    case 'u':
    case 'x':
    case 'X':
    case 'p':
    case 'f':
    case 'g':
    case 'e':
      return true;
  }
  return false;
}

// Reads digits or "*" (taken from the next integer argument) at `pos`.
int ReadCount(std::string_view format, size_t& pos, const FormatArg*& next, const FormatArg* end) {
  if (pos < format.size() && format[pos] == '*') {
    ++pos;
    if (next == end) return -1;
    const FormatArg& a = *next++;
    int64_t v = a.kind == FormatArg::Kind::kUInt ? static_cast<int64_t>(a.u) : a.i;
    if (a.kind != FormatArg::Kind::kInt && a.kind != FormatArg::Kind::kUInt) v = 0;
    return v < 0 ? -1 : static_cast<int>(std::min<int64_t>(v, 4096));
  }
  int value = -1;
  while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
    // Absurd widths would only allocate; cap them.
    value = std::min((value < 0 ? 0 : value) * 10 + (format[pos] - '0'), 4096);
    ++pos;
  }
  return value;
}

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(format.size() + 16);
  const FormatArg* next = args.begin();
  const FormatArg* const end = args.end();
  size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos];
    if (c != '%') {
      out += c;
      ++pos;
      continue;
    }
    const size_t start = pos++;
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    Directive d;
    for (; pos < format.size(); ++pos) {
      if (format[pos] == '-') {
        d.leftAlign = true;
      } else if (format[pos] == '0') {
        d.zeroPad = true;
      } else {
        break;
      }
    }
    d.width = ReadCount(format, pos, next, end);
    if (pos < format.size() && format[pos] == '.') {
      ++pos;
      d.precision = ReadCount(format, pos, next, end);
      if (d.precision < 0) d.precision = 0;
    }
    if (pos >= format.size() || !IsConversion(format[pos])) {
      // Not a directive we know: keep the text as it stands.
      out.append(format.substr(start, pos - start));
      continue;
    }
    d.conversion = format[pos++];
    if (next == end) continue;  // No argument left: the directive yields nothing.
    out += Convert(d, *next++);
  }
  return out;
}
