#include "runtime/text.h"

#include <climits>

#include "platform/win32.h"
#include "runtime/startup.h"

unsigned AnsiCodePage() {
  const unsigned recorded = StartupAnsiCodePage();
  return recorded != 0 ? recorded : static_cast<unsigned>(GetACP());
}

namespace {

// Both directions ask for the size first, then convert into a buffer of exactly
// that size; an input the platform rejects gives an empty result.
WideString ToWide(unsigned codePage, std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const int needed = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  WideString out(static_cast<size_t>(needed), u'\0');
  const int written = MultiByteToWideChar(codePage, 0, text.data(), length,
                                          reinterpret_cast<LPWSTR>(out.data()), needed);
  out.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return out;
}

std::string FromWide(unsigned codePage, std::u16string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int length = static_cast<int>(text.size());
  const auto* source = reinterpret_cast<LPCWSTR>(text.data());
  const int needed = WideCharToMultiByte(codePage, 0, source, length, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<size_t>(needed), '\0');
  const int written =
      WideCharToMultiByte(codePage, 0, source, length, out.data(), needed, nullptr, nullptr);
  out.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return out;
}

}  // namespace

WideString AnsiToWide(std::string_view text) { return ToWide(AnsiCodePage(), text); }
AnsiString WideToAnsi(std::u16string_view text) { return FromWide(AnsiCodePage(), text); }
AnsiString Utf8ToAnsi(std::string_view text) { return WideToAnsi(Utf8ToWide(text)); }
std::string AnsiToUtf8(std::string_view text) { return WideToUtf8(AnsiToWide(text)); }
WideString Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }
std::string WideToUtf8(std::u16string_view text) { return FromWide(CP_UTF8, text); }
