#pragma once
// Whole-file reads and safe whole-file writes for the form tool's commands.
#include <filesystem>
#include <string>
#include <string_view>

namespace formtool {

// The file's bytes; throws FormError naming the file and the system's reason.
std::string ReadFile(const std::filesystem::path& path);

// Writes through a temporary name in the same folder and renames it over `path`, so a
// failed run never leaves a partial output that a build would take for a good one.
// Throws FormError naming the file.
void WriteFile(const std::filesystem::path& path, std::string_view data);

}  // namespace formtool
