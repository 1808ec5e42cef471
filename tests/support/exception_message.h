#pragma once
// What a test most often asks of an error: the text of the exception an action raises.
#include <string>
#include <utility>

#include "runtime/exception.h"

// The message of the `E` that `action` raises; empty when it raises nothing (every
// framework message has text). An exception of another type propagates and fails the
// test with its own report.
template <class E = Exception, class F>
std::string MessageOf(F&& action) {
  try {
    std::forward<F>(action)();
  } catch (const E& e) {
    return e.Message();
  }
  return {};
}
