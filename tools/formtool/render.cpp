#include "tools/formtool/render.h"

#include <cctype>
#include <cstdlib>
#include <exception>
#include <string_view>
#include <vector>

#include "forms/application.h"
#include "launcher/launcher_form.h"
#include "launcher/modules.h"
#include "platform/linux/resource_table.h"
#include "platform/testing.h"
#include "runtime/exception.h"
#include "runtime/exit_procedures.h"
#include "runtime/modules.h"
#include "tools/formtool/binary_reader.h"
#include "tools/formtool/file_io.h"
#include "tools/formtool/form_error.h"
#include "tools/formtool/png_file.h"

namespace formtool {
namespace {

// Exceptions the application would show in a box (a picture that fails to decode at its
// first paint): the first is kept and reported as the render's failure.
class ErrorRecorder : public TObject {
 public:
  void Record(TObject* /*sender*/, const std::exception_ptr& error) {
    if (!first) first = error;
  }
  std::exception_ptr first;
};

// The stream becomes the RCDATA resource named after its root class, where the window
// class looks for its definition. The entry and bytes must outlive every read.
void RegisterDefinition(const std::string& rootClass, const std::string& bytes) {
  static std::string name;
  static std::string data;
  static linux_rc::Entry entry{};
  name = rootClass;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  data = bytes;
  entry = {nullptr,
           10 /* RT_RCDATA */,
           name.c_str(),
           0,
           reinterpret_cast<const unsigned char*>(data.data()),
           static_cast<unsigned>(data.size())};
  linux_rc::RegisterResources(&entry, 1);
}

// Builds the launcher window from the registered definition as the program does, shows it,
// paints it and returns its pixels as 0x00RRGGBB. Throws what the framework raised.
std::vector<uint32_t> ShowAndRead(int& width, int& height) {
  ErrorRecorder recorder;
  Application()->OnException = TExceptionEvent::Bind<&ErrorRecorder::Record>(&recorder);
  struct Cleanup {
    ~Cleanup() {
      if (LauncherForm != nullptr) LauncherForm->Free();
      LauncherForm = nullptr;
      Application()->OnException = {};
    }
  } cleanup;
  Application()->MakeForm(TForm1::StaticMeta(), LauncherForm);
  LauncherForm->Show();
  platform_testing::PumpUntilIdle();
  const platform_testing::Pixels pixels =
      platform_testing::ReadWindowPixels(LauncherForm->HandleValue());
  if (recorder.first) std::rethrow_exception(recorder.first);
  if (pixels.colors.empty()) throw FormError("the window did not show");
  width = pixels.width;
  height = pixels.height;
  std::vector<uint32_t> rgb(pixels.colors.size());
  for (size_t i = 0; i < rgb.size(); ++i) {
    const COLORREF c = pixels.colors[i];
    rgb[i] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
  }
  return rgb;
}

// A message for one line of stderr. The reader's messages quote names from the stream,
// which in a damaged one may hold line breaks, control bytes or no valid text at all:
// those bytes are written as \xHH (valid UTF-8 is kept) and a long message is cut.
std::string OneLine(std::string_view message) {
  constexpr size_t kLimit = 300;
  std::string out;
  const auto escape = [&out](unsigned char byte) {
    constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
  };
  size_t i = 0;
  while (i < message.size() && out.size() < kLimit) {
    const auto byte = static_cast<unsigned char>(message[i]);
    if (byte < 0x20 || byte == 0x7F) {
      escape(byte);
      ++i;
      continue;
    }
    size_t length = byte < 0x80                   ? 1
                    : byte >= 0xC2 && byte < 0xE0 ? 2
                    : byte >= 0xE0 && byte < 0xF0 ? 3
                    : byte >= 0xF0 && byte < 0xF5 ? 4
                                                  : 0;
    for (size_t k = 1; k < length; ++k) {
      if (i + k >= message.size() || (static_cast<unsigned char>(message[i + k]) & 0xC0) != 0x80) {
        length = 0;
      }
    }
    if (length == 0) {
      escape(byte);
      ++i;
    } else {
      out.append(message.substr(i, length));
      i += length;
    }
  }
  if (i < message.size()) out += "...";
  return out;
}

// The launcher's modules around one render; failures of the shut-down are reported too.
std::string RenderPicture(int& width, int& height, std::vector<uint32_t>& rgb) {
  std::string failure;
  const auto describe = [](const std::exception_ptr& error) -> std::string {
    try {
      std::rethrow_exception(error);
    } catch (const Exception& e) {
      return std::string(e.ClassName()) + ": " + OneLine(e.Message());
    } catch (const FormError& e) {
      return e.what();
    } catch (const std::exception& e) {
      return std::string("unexpected failure: ") + OneLine(e.what());
    } catch (...) {
      return "unexpected failure";
    }
  };
  try {
    RunModuleStartups(LauncherModules());
    rgb = ShowAndRead(width, height);
  } catch (...) {
    failure = describe(std::current_exception());
  }
  try {
    RunExitProcedures();
    RunModuleShutdowns();
  } catch (...) {
    if (failure.empty()) failure = describe(std::current_exception());
  }
  return failure;
}

}  // namespace

int RenderStream(const std::string& input, const std::string& output, std::ostream& err) {
  // Off-screen on every machine: the headless driver, whatever DISPLAY says, chosen before
  // anything asks for a driver. The screen's size does not change the window's pixels.
  setenv("LAUNCHER_DISPLAY", "headless", 1);
  unsetenv("LAUNCHER_SCREEN");
  std::string bytes;
  try {
    bytes = ReadFile(input);
  } catch (const FormError& e) {
    err << "formtool: " << e.what() << "\n";
    return 1;
  }
  // The form tool's own reader first: it names the offset of a damaged structure.
  std::string rootClass;
  try {
    rootClass = ReadBinary(bytes).root.className;
  } catch (const FormError& e) {
    err << "formtool: " << input << ": " << OneLine(e.what()) << "\n";
    return 1;
  }
  const std::string_view windowClass = TForm1::StaticMeta().name;
  if (rootClass != windowClass) {
    err << "formtool: " << input << ": unknown root class '" << OneLine(rootClass)
        << "' (render builds " << windowClass << ", the launcher's window)\n";
    return 1;
  }
  RegisterDefinition(rootClass, bytes);
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;
  const std::string failure = RenderPicture(width, height, rgb);
  if (!failure.empty()) {
    err << "formtool: " << input << ": " << failure << "\n";
    return 1;
  }
  try {
    WriteFile(output, EncodePng(width, height, rgb));
  } catch (const FormError& e) {
    err << "formtool: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace formtool
