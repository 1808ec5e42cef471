#pragma once
// The last-chance handler: what the process does with an exception that escapes the
// program entry. It shows "Application Error" with the exception's class, the
// executable's file name, a code address and the message, and the process ends with
// exit code 1.
#include <exception>
#include <functional>
#include <string>
#include <string_view>

// Message 65512 filled in: class name, module file name, address, the message and a
// "." when the message is not empty and does not already end with one.
std::string FormatLastChanceText(std::string_view className, std::string_view moduleName,
                                 const void* address, std::string_view message);

// The executable's file name without its folder.
std::string ExecutableFileName();

// Class name and message of a caught exception: the framework's own for an
// `Exception`, "Exception" and what() for other standard exceptions, "Exception" and
// an empty message for anything else.
std::string ExceptionClassNameOf(const std::exception_ptr& error);
std::string ExceptionMessageOf(const std::exception_ptr& error);

// Shows `error` as the last-chance handler does (box or standard error), without
// ending anything. Also used to report exceptions of other kinds than the framework's.
void ShowLastChanceError(const std::exception_ptr& error);

// Runs `entry`; returns 0 when it returns, 1 after showing an exception that escaped.
int RunGuarded(const std::function<void()>& entry);

// Where the caption and text go. The default shows a task-modal error box on Windows
// and writes to standard error on Linux. Returns the previous output; tests replace it.
using LastChanceOutput = void (*)(const std::string& caption, const std::string& text);
LastChanceOutput SetLastChanceOutput(LastChanceOutput output);
