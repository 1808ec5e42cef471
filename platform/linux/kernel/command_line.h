#pragma once
// Command lines in Windows form, shared by WinExec and CreateProcessA.
#include <string>
#include <vector>

namespace linux_kernel {

// Splits arguments as CommandLineToArgv does.
std::vector<std::string> SplitArguments(const std::string& line);
// "Z:\dir\prog.exe" -> "/dir/prog.exe"; "dir\prog.exe" -> "dir/prog.exe".
std::string ToUnixPath(std::string path);

}  // namespace linux_kernel
