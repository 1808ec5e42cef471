// Resource compiler for the Linux build: compiles the same .rc script the Windows build
// gives to windres into a C++ table of resources.
//   rc [-I dir]... [-D NAME[=value]]... -o out.cpp [-d out.d] input.rc
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/rc/compile.h"
#include "tools/rc/cpp_writer.h"

namespace {

int Usage() {
  std::cerr << "usage: rc [-I dir]... [-D NAME[=value]]... -o out.cpp [-d out.d] input.rc\n";
  return 2;
}

std::string EscapeForMake(const std::string& path) {
  std::string out;
  for (char c : path) {
    if (c == ' ' || c == '#') out.push_back('\\');
    if (c == '$') out.push_back('$');
    out.push_back(c);
  }
  return out;
}

// Writes through a temporary so an interrupted run never leaves a half file behind.
bool WriteFile(const std::string& path, const std::string& content) {
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary);
    if (!(out << content)) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  rc::Options options;
  std::string input, output, depfile;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&](size_t prefix) -> std::string {
      if (arg.size() > prefix) return arg.substr(prefix);
      if (i + 1 < argc) return argv[++i];
      return "";
    };
    if (arg.rfind("-I", 0) == 0) {
      options.includeDirs.push_back(value(2));
    } else if (arg.rfind("-D", 0) == 0) {
      std::string def = value(2);
      size_t eq = def.find('=');
      options.defines[def.substr(0, eq)] = eq == std::string::npos ? "1" : def.substr(eq + 1);
    } else if (arg == "-o") {
      output = value(2);
    } else if (arg == "-d") {
      depfile = value(2);
    } else if (!arg.empty() && arg[0] != '-' && input.empty()) {
      input = arg;
    } else {
      return Usage();
    }
  }
  if (input.empty() || output.empty()) return Usage();

  try {
    rc::Script script = rc::Compile(input, options);
    std::ostringstream code;
    rc::WriteCpp(script, input.substr(input.find_last_of('/') + 1), code);
    if (!WriteFile(output, code.str())) {
      std::cerr << "rc: cannot write " << output << "\n";
      return 1;
    }
    if (!depfile.empty()) {
      std::ostringstream deps;
      deps << EscapeForMake(output) << ":";
      for (const auto& in : script.inputs) deps << " \\\n  " << EscapeForMake(in);
      deps << "\n";
      if (!WriteFile(depfile, deps.str())) {
        std::cerr << "rc: cannot write " << depfile << "\n";
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "rc: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
