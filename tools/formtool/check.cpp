#include "tools/formtool/check.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "classes/object.h"
#include "classes/reader.h"
#include "classes/streams.h"
#include "controls/controls_module.h"
#include "graphics/graphics_module.h"
#include "graphics/jpeg_module.h"
#include "runtime/exception.h"
#include "runtime/modules.h"
#include "runtime/startup.h"
#include "tools/formtool/check_form.h"

namespace formtool {
namespace {

// The modules the real classes need, in the program's start-up order.
constexpr ModuleEntry kModules[] = {
    {"runtime", &RuntimeCoreStartup, &RuntimeCoreShutdown},
    {"graphics", &GraphicsModuleStartup, &GraphicsModuleShutdown},
    {"controls", &ControlsModuleStartup, &ControlsModuleShutdown},
    {"jpeg", &JpegModuleStartup, &JpegModuleShutdown},
};

struct Modules {
  Modules() { RunModuleStartups(kModules); }
  Modules(const Modules&) = delete;
  Modules& operator=(const Modules&) = delete;
  ~Modules() { RunModuleShutdowns(); }
};

void PrintComponent(const TComponent& component, std::ostream& out) {
  out << component.Name() << ": " << component.ClassName();
  const auto* control = dynamic_cast<const TControl*>(&component);
  if (control != nullptr && control->Parent() != nullptr) {
    out << ", parent " << control->Parent()->Name();
  }
  out << "\n";
}

}  // namespace

int CheckStream(const std::string& path, std::ostream& out) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    out << "cannot open '" << path << "'\n";
    return 1;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  try {
    const Modules modules;
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    TOwnedPtr<CheckForm> root(new CheckForm(nullptr));
    {
      TReader reader(stream);
      reader.LoadRoot(root.get());
    }
    PrintComponent(*root, out);
    for (int i = 0; i < root->OwnedCount(); ++i) PrintComponent(*root->OwnedAt(i), out);
    return 0;
  } catch (const Exception& error) {
    out << error.ClassName() << ": " << error.Message() << "\n";
  } catch (const std::exception& error) {
    out << "another kind of failure: " << error.what() << "\n";
  }
  return 1;
}

}  // namespace formtool
