#include "tools/rc/cpp_writer.h"

#include <algorithm>

namespace rc {
namespace {

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      out.push_back(static_cast<char>(c));
    } else {
      // Three-digit octal escapes never swallow a following digit.
      out.push_back('\\');
      out.push_back(static_cast<char>('0' + (c >> 6)));
      out.push_back(static_cast<char>('0' + ((c >> 3) & 7)));
      out.push_back(static_cast<char>('0' + (c & 7)));
    }
  }
  return out + "\"";
}

void WriteBytes(const std::vector<uint8_t>& data, std::ostream& out) {
  // A string literal compiles far faster than a list of numbers for large artwork.
  constexpr size_t kPerLine = 64;
  if (data.empty()) {
    out << "\"\"";
    return;
  }
  for (size_t i = 0; i < data.size(); i += kPerLine) {
    size_t n = std::min(kPerLine, data.size() - i);
    out << "\n    " << Quote(std::string(data.begin() + i, data.begin() + i + n));
  }
}

}  // namespace

void WriteCpp(const Script& script, const std::string& sourceName, std::ostream& out) {
  out << "// Generated from " << sourceName << " by the resource compiler. Do not edit.\n"
      << "#include \"platform/linux/resource_table.h\"\n\nnamespace {\n\n";
  for (size_t i = 0; i < script.resources.size(); ++i) {
    out << "// " << script.resources[i].type.Describe() << " "
        << script.resources[i].name.Describe()
        // Aligned like resource data in a module, so string blocks can be read as WCHARs.
        << "\nalignas(4) const unsigned char kData" << i << "[] =";
    WriteBytes(script.resources[i].data, out);
    out << ";\n\n";
  }
  out << "const linux_rc::Entry kEntries[] = {\n";
  for (size_t i = 0; i < script.resources.size(); ++i) {
    const Resource& r = script.resources[i];
    out << "    {" << (r.type.text ? Quote(*r.type.text) : "nullptr") << ", " << r.type.number
        << ", " << (r.name.text ? Quote(*r.name.text) : "nullptr") << ", " << r.name.number
        << ", kData" << i << ", " << r.data.size() << "},\n";
  }
  if (script.resources.empty()) out << "    {nullptr, 0, nullptr, 0, nullptr, 0},\n";
  out << "};\n\n"
      << "// Registered during static initialisation, before any code can look a resource up.\n"
      << "struct Registrar {\n"
      << "  Registrar() { linux_rc::RegisterResources(kEntries, " << script.resources.size()
      << "); }\n"
      << "} registrar;\n\n}  // namespace\n";
}

}  // namespace rc
