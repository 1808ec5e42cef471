// What a desktop learns about our windows beyond their pixels: which program they belong to
// (class, pid, machine), its icon, the end of its start-up notification, and the screen
// resolution the user chose (Xft.dpi).
#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/cursor_image.h"
#include "platform/linux/display/x11/x11_driver.h"

namespace linux_display {

namespace {

// The executable's file name, which desktop entries match windows by.
std::string ProgramName() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return program_invocation_short_name;
  const std::string full(path, static_cast<size_t>(length));
  return full.substr(full.find_last_of('/') + 1);
}

// A start-up notification value, quoted when it holds what would end or escape it.
std::string Quoted(const std::string& value) {
  if (!value.empty() && value.find_first_of(" \"\\") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

void Append(std::vector<long>& cardinals, const linux_cursor::CursorImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height)
    return;
  cardinals.push_back(image.width);
  cardinals.push_back(image.height);
  for (uint32_t argb : image.pixels) cardinals.push_back(static_cast<long>(argb));
}

}  // namespace

int ResourcePixelsPerInch(const char* resources) {
  if (!resources) return 0;
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  char* type = nullptr;
  XrmValue value{};
  int dpi = 0;
  if (database && XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
    char* end = nullptr;
    const double parsed = std::strtod(value.addr, &end);
    // Anything outside what screens have is a typing error, not a resolution.
    if (end != value.addr && parsed >= 24 && parsed <= 960)
      dpi = static_cast<int>(std::lround(parsed));
  }
  if (database) XrmDestroyDatabase(database);
  return dpi;
}

void X11Driver::SetIdentity(Window xid) {
  static const std::string name = ProgramName();
  std::string className = name;
  if (!className.empty())
    className[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(className[0])));
  XClassHint classHint{const_cast<char*>(name.c_str()), const_cast<char*>(className.c_str())};
  XSetClassHint(display_, xid, &classHint);
  const long pid = getpid();
  XChangeProperty(display_, xid, atoms_[kNetWmPid], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) == 0) {
    XTextProperty machine{};
    machine.value = reinterpret_cast<unsigned char*>(host);
    machine.encoding = XA_STRING;
    machine.format = 8;
    machine.nitems = std::char_traits<char>::length(host);
    XSetWMClientMachine(display_, xid, &machine);
  }
}

void X11Driver::SetIcon(Window xid, HICON icon) {
  const linux_cursor::CursorImage* image = icon ? linux_cursor::CursorImageOf(icon) : nullptr;
  std::vector<long> cardinals;
  if (image) {
    Append(cardinals, *image);
    for (const linux_cursor::CursorImage& other : image->otherSizes) Append(cardinals, other);
  }
  if (cardinals.empty()) {
    XDeleteProperty(display_, xid, atoms_[kNetWmIcon]);
    return;
  }
  XChangeProperty(display_, xid, atoms_[kNetWmIcon], XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(cardinals.data()),
                  static_cast<int>(cardinals.size()));
}

void X11Driver::MarkStartup(Window xid) {
  if (startupId_.empty()) return;
  XChangeProperty(display_, xid, atoms_[kNetStartupId], atoms_[kUtf8String], 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(startupId_.data()),
                  static_cast<int>(startupId_.size()));
}

void X11Driver::CompleteStartup(Window xid) {
  if (startupId_.empty()) return;
  // The message with its terminating zero, 20 bytes to an event; the first event's type
  // says a message begins.
  const std::string message = "remove: ID=" + Quoted(startupId_);
  startupId_.clear();
  const size_t length = message.size() + 1;
  for (size_t at = 0; at < length; at += 20) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = xid;
    event.xclient.message_type = atoms_[at == 0 ? kNetStartupInfoBegin : kNetStartupInfo];
    event.xclient.format = 8;
    for (size_t i = 0; i < 20 && at + i < message.size(); ++i)
      event.xclient.data.b[i] = message[at + i];
    XSendEvent(display_, root_, False, PropertyChangeMask, &event);
  }
}

}  // namespace linux_display
