#include "forms/app_title.h"

#include <vector>

#include "platform/win32.h"

std::string AppTitleFromModulePath(const std::string& path) {
  std::vector<char> buffer(path.begin(), path.end());
  buffer.push_back('\0');
  OemToCharA(buffer.data(), buffer.data());
  std::string name(buffer.data());
  size_t slash = name.rfind('\\');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.find('.');
  if (dot != std::string::npos) name.erase(dot);
  if (name.size() > 1) CharLowerA(name.data() + 1);
  return name;
}

std::string DefaultAppTitle() {
  char buffer[257] = {};  // one byte beyond the 256 the system may fill, for the terminator
  GetModuleFileNameA(nullptr, buffer, 256);
  return AppTitleFromModulePath(buffer);
}
