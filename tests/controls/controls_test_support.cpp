#include "controls_test_support.h"

#include <algorithm>

#include "classes/metadata_builder.h"
#include "runtime/exception.h"
#include "runtime/modules.h"
#include "tests/controls/controls_modules.h"

HCURSOR StandInHost::CursorHandleFor(TCursor cursor) {
  cursorsAsked.push_back(cursor);
  // Distinct system cursors stand in for the screen's table.
  return LoadCursorA(nullptr, cursor == crHandPoint ? IDC_HAND : IDC_CROSS);
}

void StandInHost::ReportException(TControl* /*control*/, const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const Exception& e) {
    reported.push_back(e.Message());
  } catch (...) {
    reported.push_back("another kind");
  }
}

StandInHost& TestHost() {
  static StandInHost host;
  return host;
}

namespace {
// One environment for the whole executable: a second one would start the modules twice.
class ControlsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    InstallControlsHost(&TestHost());
    RunModuleStartups(kControlsModules);
  }
  void TearDown() override {
    RunModuleShutdowns();
    InstallControlsHost(nullptr);
  }
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);
}  // namespace

TLogWinControl::TLogWinControl(TComponent* owner) : TWinControl(owner) {
  IncludeTrait(ctContainer);
}

void TLogWinControl::HandleControlMessage(MessageRecord& message) {
  log.push_back(message);
  TWinControl::HandleControlMessage(message);
}

void TLogWinControl::PaintOwnSurface(HDC dc) {
  ++surfacePaints;
  TWinControl::PaintOwnSurface(dc);
}

const ClassMetadata& TLogWinControl::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TLogWinControl>("TLogWinControl", &TWinControl::StaticMeta(), "tests")
          .Constructor()
          .Build();
  return meta;
}

TSwatch::TSwatch(TComponent* owner) : TGraphicControl(owner) {}

void TSwatch::HandleControlMessage(MessageRecord& message) {
  log.push_back(message);
  TGraphicControl::HandleControlMessage(message);
}

void TSwatch::DrawContent() {
  ++paints;
  Canvas()->Brush()->SetColor(static_cast<TColor>(fill));
  const RECT all = {0, 0, Width(), Height()};
  Canvas()->FillRectangle(all);
}

const ClassMetadata& TSwatch::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TSwatch>("TSwatch", &TGraphicControl::StaticMeta(), "tests")
          .Constructor()
          .Build();
  return meta;
}

std::vector<UINT> Filtered(const std::vector<MessageRecord>& log, const std::vector<UINT>& wanted) {
  std::vector<UINT> out;
  for (const MessageRecord& m : log) {
    if (std::find(wanted.begin(), wanted.end(), m.Msg) != wanted.end()) out.push_back(m.Msg);
  }
  return out;
}
