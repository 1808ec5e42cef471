#pragma once
// The classes every program finds without registering them. Only the plain text window
// ("Static") exists: the framework makes no other system control, and tests and tools
// use it as a simple window of another class.
#include <memory>

#include "platform/linux/user/window.h"

namespace linux_user {

// A new class record for a system class name, or nullptr when the name is none of them.
std::shared_ptr<WindowClass> MakeSystemClass(LPCSTR name);

}  // namespace linux_user
