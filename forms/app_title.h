#pragma once
// The application's default title, made from the executable's file name.
#include <string>

// From a module path as GetModuleFileNameA gives it: converted from the OEM code page
// in place, cut after the last "\" and at the first ".", and every character after the
// first lower-cased ("C:\x\StartMenu.exe" gives "Startmenu", "a.b.exe" gives "a").
std::string AppTitleFromModulePath(const std::string& path);

// The title for this executable (GetModuleFileNameA into a 256-byte buffer).
std::string DefaultAppTitle();
