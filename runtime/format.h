#pragma once
// printf-style formatting of message-table texts. Arguments are typed values
// rather than a C vararg list so a wrong argument kind cannot corrupt memory.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

struct FormatArg {
  enum class Kind { kInt, kUInt, kPointer, kText, kFloat };
  Kind kind;
  int64_t i = 0;
  uint64_t u = 0;
  const void* p = nullptr;
  std::string_view text;
  double f = 0;

  FormatArg(int v) : kind(Kind::kInt), i(v) {}
  FormatArg(long v) : kind(Kind::kInt), i(v) {}
  FormatArg(long long v) : kind(Kind::kInt), i(v) {}
  FormatArg(unsigned v) : kind(Kind::kUInt), u(v) {}
  FormatArg(unsigned long v) : kind(Kind::kUInt), u(v) {}
  FormatArg(unsigned long long v) : kind(Kind::kUInt), u(v) {}
  FormatArg(const void* v) : kind(Kind::kPointer), p(v) {}
  FormatArg(const char* v) : kind(Kind::kText), text(v ? v : "") {}
  FormatArg(std::string_view v) : kind(Kind::kText), text(v) {}
  FormatArg(const std::string& v) : kind(Kind::kText), text(v) {}
  FormatArg(double v) : kind(Kind::kFloat), f(v) {}
};

// Supports %s %d %u %x %X %p %f %g %e %% with flags "-0", width and precision
// (e.g. "%.8X", "%5d"). A directive without a matching argument, or with an
// argument of the wrong kind, is formatted from what is there, never read past.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);
