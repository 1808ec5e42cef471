// formtool: compiles the text form of a stored definition into its binary stream,
// and dumps a binary stream back as text. The Windows build can also read a stream
// into the real control classes and report what it built (check); the native build
// draws a definition as the launcher would show it (render, a program of its own).
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/formtool/binary_reader.h"
#include "tools/formtool/binary_writer.h"
#ifdef LAUNCHER_FORMTOOL_CHECK
#include "tools/formtool/check.h"
#endif
#include "tools/formtool/file_io.h"
#include "tools/formtool/form_error.h"
#include "tools/formtool/text_parser.h"
#include "tools/formtool/text_printer.h"

namespace fs = std::filesystem;
using formtool::FormError;
using formtool::ReadFile;
using formtool::WriteFile;

namespace {

constexpr char kUsage[] =
    "usage: formtool compile [-I DIR]... IN.form OUT.bin\n"
    "       formtool dump [--inline-limit BYTES] IN.bin OUT.form\n"
#ifdef LAUNCHER_FORMTOOL_CHECK
    "       formtool check IN.bin\n"
#endif
#ifndef _WIN32
    "       formtool render IN.bin OUT.png\n"
#endif
    ;

#ifndef _WIN32
// render lives in formtool_render beside this program: it links the whole window stack,
// which the host tool must not need (the cross build runs it before any of that exists).
int Render(const std::string& input, const std::string& output) {
  // Beside this program; the native build's formtool_gui sits one folder above the host
  // tool's folder, tools/formtool/, where formtool_render is.
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  fs::path program;
  for (const fs::path& candidate : {self.parent_path() / "formtool_render",
                                    self.parent_path() / "formtool" / "formtool_render"}) {
    std::error_code missing;
    if (!ec && program.empty() && fs::is_regular_file(candidate, missing)) program = candidate;
  }
  if (program.empty()) {
    std::cerr << "formtool: render is not built in this tree (it needs the native window "
                 "layers)\n";
    return 1;
  }
  const std::string path = program.string();
  const char* argv[] = {path.c_str(), input.c_str(), output.c_str(), nullptr};
  execv(path.c_str(), const_cast<char* const*>(argv));
  std::cerr << "formtool: cannot run '" << path << "': " << std::strerror(errno) << "\n";
  return 1;
}
#endif

int Compile(const std::vector<std::string>& includeDirs, const std::string& input,
            const std::string& output) {
  std::string text;
  try {
    text = ReadFile(input);
  } catch (const FormError& e) {
    std::cerr << "formtool: " << e.what() << "\n";
    return 1;
  }
  // Files named in the text are found next to it first, then in each -I folder.
  std::vector<fs::path> searchDirs{fs::path(input).parent_path()};
  for (const std::string& dir : includeDirs) searchDirs.emplace_back(dir);
  const formtool::FileLoader loader = [&](const std::string& name) {
    const fs::path named(name);
    if (named.is_absolute()) return ReadFile(named);
    for (const fs::path& dir : searchDirs) {
      const fs::path candidate = dir / named;
      std::error_code ec;
      if (fs::is_regular_file(candidate, ec)) return ReadFile(candidate);
    }
    throw FormError("file '" + name + "' not found next to the text or in any -I folder");
  };
  try {
    const formtool::Document doc = formtool::ParseText(text, loader);
    const std::vector<uint8_t> bytes = formtool::WriteBinary(doc);
    WriteFile(output, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  } catch (const FormError& e) {
    std::cerr << "formtool: " << input << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

int Dump(size_t inlineLimit, const std::string& input, const std::string& output) {
  try {
    const std::string data = ReadFile(input);
    formtool::Document doc;
    try {
      doc = formtool::ReadBinary(data);
    } catch (const FormError& e) {
      throw FormError(input + ": " + e.what());
    }
    // Large blocks go to files beside the output, named after it: OUT.form.1.jpg, ...
    const fs::path outPath(output);
    int sideFiles = 0;
    formtool::PrintOptions options;
    options.inlineLimit = inlineLimit;
    options.storeFile = [&](const std::string& bytes, const std::string& extension) {
      std::string name =
          outPath.filename().string() + "." + std::to_string(++sideFiles) + extension;
      WriteFile(outPath.parent_path() / name, bytes);
      return name;
    };
    WriteFile(outPath, formtool::PrintText(doc, options));
  } catch (const FormError& e) {
    std::cerr << "formtool: " << e.what() << "\n";
    return 1;
  } catch (const fs::filesystem_error& e) {
    std::cerr << "formtool: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  std::vector<std::string> files;
  std::vector<std::string> includeDirs;
  size_t inlineLimit = 1024;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "-I" || arg == "--inline-limit") && i + 1 < args.size()) {
      if (arg == "-I") {
        includeDirs.push_back(args[++i]);
      } else {
        const std::string& limit = args[++i];
        const auto result = std::from_chars(limit.data(), limit.data() + limit.size(), inlineLimit);
        if (limit.empty() || result.ec != std::errc() ||
            result.ptr != limit.data() + limit.size()) {
          std::cerr << "formtool: --inline-limit takes a number of bytes\n" << kUsage;
          return 2;
        }
      }
    } else if (arg.size() > 2 && arg.compare(0, 2, "-I") == 0) {
      includeDirs.push_back(arg.substr(2));
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      std::cerr << "formtool: unknown option " << arg << "\n" << kUsage;
      return 2;
    } else {
      files.push_back(arg);
    }
  }
#ifdef LAUNCHER_FORMTOOL_CHECK
  if (args[0] == "check") {
    if (files.size() != 1 || !includeDirs.empty()) {
      std::cerr << kUsage;
      return 2;
    }
    return formtool::CheckStream(files[0], std::cout);
  }
#endif
  if (files.size() != 2) {
    std::cerr << kUsage;
    return 2;
  }
#ifndef _WIN32
  if (args[0] == "render") {
    if (!includeDirs.empty()) {
      std::cerr << "formtool: -I applies to compile only\n" << kUsage;
      return 2;
    }
    return Render(files[0], files[1]);
  }
#endif
  if (args[0] == "compile") return Compile(includeDirs, files[0], files[1]);
  if (args[0] == "dump") {
    if (!includeDirs.empty()) {
      std::cerr << "formtool: -I applies to compile only\n" << kUsage;
      return 2;
    }
    return Dump(inlineLimit, files[0], files[1]);
  }
  std::cerr << "formtool: unknown command " << args[0] << "\n" << kUsage;
  return 2;
}
