#pragma once
// Text in the framework: ANSI bytes in the system code page taken at start-up, UTF-16
// where the platform or a stream gives wide text, UTF-8 where a stream stores it.
#include <string>
#include <string_view>

using AnsiString = std::string;
using WideString = std::u16string;

// The ANSI code page the conversions use: the one recorded by the runtime start-up,
// or the system's current one before that.
unsigned AnsiCodePage();

WideString AnsiToWide(std::string_view text);
AnsiString WideToAnsi(std::u16string_view text);
AnsiString Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view text);
WideString Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::u16string_view text);
