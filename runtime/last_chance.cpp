#include "runtime/last_chance.h"

#include <atomic>

#include "platform/win32.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

namespace {

void DefaultOutput(const std::string& caption, const std::string& text) {
  // Natively MessageBoxA is our windowing layer's: a box on X, or caption and text on
  // standard error with the headless display driver.
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_TASKMODAL | MB_ICONERROR);
}

std::atomic<LastChanceOutput> output{&DefaultOutput};

const Exception* FrameworkException(const std::exception_ptr& error) {
  if (!error) return nullptr;
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    return &e;  // The exception_ptr keeps the object alive.
  } catch (...) {
  }
  return nullptr;
}

}  // namespace

std::string FormatLastChanceText(std::string_view className, std::string_view moduleName,
                                 const void* address, std::string_view message) {
  const char* stop = !message.empty() && message.back() != '.' ? "." : "";
  return FormatText(LoadMessage(msg::kExceptionAtAddress),
                    {className, moduleName, address, message, stop});
}

std::string ExecutableFileName() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string_view full(path, length <= MAX_PATH ? length : 0);
  const size_t slash = full.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? full : full.substr(slash + 1));
}

std::string ExceptionClassNameOf(const std::exception_ptr& error) {
  if (const Exception* e = FrameworkException(error)) return e->ClassName();
  return "Exception";
}

std::string ExceptionMessageOf(const std::exception_ptr& error) {
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
  }
  return {};
}

void ShowLastChanceError(const std::exception_ptr& error) {
  const Exception* e = FrameworkException(error);
  const void* address = e != nullptr ? e->Address() : nullptr;
  const std::string text = FormatLastChanceText(ExceptionClassNameOf(error), ExecutableFileName(),
                                                address, ExceptionMessageOf(error));
  output.load()(LoadMessage(msg::kApplicationError), text);
}

int RunGuarded(const std::function<void()>& entry) {
  try {
    entry();
    return 0;
  } catch (...) {
    ShowLastChanceError(std::current_exception());
  }
  return 1;
}

LastChanceOutput SetLastChanceOutput(LastChanceOutput next) {
  return output.exchange(next != nullptr ? next : &DefaultOutput);
}
