#include "tools/formtool/file_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "tools/formtool/form_error.h"

namespace fs = std::filesystem;

namespace formtool {

std::string ReadFile(const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw FormError("cannot read '" + path.string() + "': a folder");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw FormError("cannot open '" + path.string() + "': " + std::strerror(errno));
  std::ostringstream data;
  data << in.rdbuf();
  if (in.bad()) throw FormError("cannot read '" + path.string() + "'");
  return std::move(data).str();
}

void WriteFile(const fs::path& path, std::string_view data) {
  const fs::path temp = path.string() + ".tmp." + std::to_string(getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw FormError("cannot create '" + temp.string() + "': " + std::strerror(errno));
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
      fs::remove(temp);
      throw FormError("cannot write '" + temp.string() + "'");
    }
  }
  std::error_code ec;
  fs::rename(temp, path, ec);
  if (ec) {
    const std::string reason = ec.message();
    fs::remove(temp, ec);
    throw FormError("cannot write '" + path.string() + "': " + reason);
  }
}

}  // namespace formtool
