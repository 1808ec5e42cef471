// The launcher's own code in-process: module order, the window class and its stored
// definition as the program reads it, and the three handlers.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "controls/image.h"
#include "controls/label.h"
#include "controls/panel.h"
#include "forms/application.h"
#include "launcher/launcher_form.h"
#include "launcher/modules.h"
#include "runtime/exception.h"
#include "runtime/exit_procedures.h"

namespace {

class LauncherModulesStarted : public ::testing::Environment {
 public:
  void SetUp() override { RunModuleStartups(LauncherModules()); }
  void TearDown() override {
    RunExitProcedures();
    RunModuleShutdowns();
  }
};
[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new LauncherModulesStarted);

// Takes a posted WM_QUIT off the queue; true if there was one.
bool TakeQuit() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// The launcher window as the program makes it; destroyed again at the end of each test.
class LauncherWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    Application()->MakeForm(TForm1::StaticMeta(), LauncherForm);
    ASSERT_NE(LauncherForm, nullptr);
  }
  void TearDown() override {
    if (LauncherForm != nullptr) LauncherForm->Free();
    LauncherForm = nullptr;
    while (TakeQuit()) {
    }
  }
};

TEST(LauncherModules, AllTenInOrderEachRoutineOnce) {
  const std::vector<std::string_view> expected = {
      "runtime core", "runtime utilities", "component core", "graphics", "multi-monitor",
      "controls",     "standard controls", "forms",          "jpeg",     "launcher"};
  const auto table = LauncherModules();
  ASSERT_EQ(table.size(), expected.size());
  for (size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].name, expected[i]);
    for (size_t j = 0; j < i; ++j) {
      if (table[i].startup != nullptr) {
        EXPECT_NE(table[i].startup, table[j].startup) << i;
      }
      if (table[i].shutdown != nullptr) {
        EXPECT_NE(table[i].shutdown, table[j].shutdown) << i;
      }
    }
  }
  // Started once, in table order, whatever ran them before.
  const auto started = StartedModules();
  ASSERT_GE(started.size(), table.size());
  for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(started[i]->name, expected[i]);
}

TEST(LauncherClass, PublishesItsFieldsAndHandlersInDeclarationOrder) {
  const ClassMetadata& meta = TForm1::StaticMeta();
  const std::vector<std::pair<std::string_view, std::string_view>> fields = {
      {"Panel1", "TPanel"}, {"Label1", "TLabel"}, {"Label2", "TLabel"},
      {"Image1", "TImage"}, {"Label3", "TLabel"}, {"Label4", "TLabel"}};
  ASSERT_EQ(meta.fields.size(), fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(meta.fields[i].name, fields[i].first);
    EXPECT_EQ(meta.fields[i].fieldClass().name, fields[i].second);
  }
  const std::vector<std::string_view> methods = {"FormActivate", "Label2Click", "Label1Click",
                                                 "Label3Click"};
  ASSERT_EQ(meta.methods.size(), methods.size());
  for (size_t i = 0; i < methods.size(); ++i) EXPECT_EQ(meta.methods[i].name, methods[i]);
  EXPECT_EQ(meta.parent, &TForm::StaticMeta());
}

TEST_F(LauncherWindow, IsBuiltFromItsStoredDefinition) {
  TForm1* form = LauncherForm;
  EXPECT_EQ(Application()->PrimaryForm(), static_cast<FormLink*>(form));
  ASSERT_NE(form->Panel1, nullptr);
  ASSERT_NE(form->Image1, nullptr);
  ASSERT_NE(form->Label4, nullptr);
  EXPECT_EQ(form->Image1->Parent(), form);
  EXPECT_EQ(form->Label4->Parent(), form);
  EXPECT_EQ(form->Panel1->Parent(), form);
  for (TLabel* word : {form->Label1, form->Label2, form->Label3}) {
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->Parent(), form->Panel1);
  }
  EXPECT_EQ(form->Label1->OnClick, TNotifyEvent::Bind<&TForm1::Label1Click>(form));
  EXPECT_EQ(form->Label2->OnClick, TNotifyEvent::Bind<&TForm1::Label2Click>(form));
  EXPECT_EQ(form->Label3->OnClick, TNotifyEvent::Bind<&TForm1::Label3Click>(form));
  EXPECT_EQ(form->OnActivate, TNotifyEvent::Bind<&TForm1::FormActivate>(form));

  EXPECT_EQ(form->BorderStyle(), bsNone);
  EXPECT_EQ(form->ClientWidth(), 846);
  EXPECT_EQ(form->ClientHeight(), 531);
  EXPECT_FALSE(form->Visible());
  // The primary form's window exists as soon as MakeForm returns: a hidden popup owned
  // by the application window.
  ASSERT_TRUE(form->HandleAllocated());
  const HWND window = form->HandleValue();
  EXPECT_EQ(GetWindow(window, GW_OWNER), Application()->AppWindow());
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & 0xFFFF0000u, 0x86000000u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)) & 0x00010000u, 0x00010000u);
  EXPECT_FALSE(IsWindowVisible(window));

  form->SetVisible(true);
  EXPECT_EQ(form->Left(), (GetSystemMetrics(SM_CXSCREEN) - 846) / 2);
  EXPECT_EQ(form->Top(), (GetSystemMetrics(SM_CYSCREEN) - 531) / 2);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(IsWindowVisible(Application()->AppWindow()));
}

TEST_F(LauncherWindow, HandlersCloseThroughTheLauncherReference) {
  TForm1* form = LauncherForm;
  form->SetVisible(true);
  // EXIT: the primary form is closed, which asks the loop to end; it is not hidden.
  form->Label2Click(nullptr);
  EXPECT_TRUE(TakeQuit());
  EXPECT_TRUE(form->Visible());

  // A language with no game beside the current directory: minimised, then closed, and
  // nothing reported.
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string empty = std::string(temp) + "launcher_tests_no_game";
  CreateDirectoryA(empty.c_str(), nullptr);
  SetCurrentDirectoryA(empty.c_str());
  form->Label3Click(nullptr);
  SetCurrentDirectoryA(previous);
  RemoveDirectoryA(empty.c_str());
  EXPECT_EQ(form->WindowState(), wsMinimized);
  EXPECT_TRUE(IsIconic(form->HandleValue()));
  EXPECT_TRUE(TakeQuit());
}

// An exception in a click handler is reported and the window goes on working.
class Thrower : public TObject {
 public:
  void Click(TObject* /*sender*/) { throw EInvalidOperation("handler failed"); }
};

class ReportSink : public TObject {
 public:
  std::string last;
  void Report(TObject* /*sender*/, const std::exception_ptr& error) {
    try {
      std::rethrow_exception(error);
    } catch (const Exception& e) {
      last = e.Message();
    }
  }
};

TEST_F(LauncherWindow, ExceptionInAClickIsReportedAndTheWindowGoesOn) {
  TForm1* form = LauncherForm;
  form->SetVisible(true);
  Thrower thrower;
  ReportSink sink;
  Application()->OnException = TExceptionEvent::Bind<&ReportSink::Report>(&sink);
  form->Label1->OnClick = TNotifyEvent::Bind<&Thrower::Click>(&thrower);
  const HWND strip = form->Panel1->Handle();
  const LPARAM overRussian = MAKELPARAM(385 + 10, 4 + 9);
  SendMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, overRussian);
  SendMessageA(strip, WM_LBUTTONUP, 0, overRussian);
  Application()->OnException = {};
  EXPECT_EQ(sink.last, "handler failed");
  EXPECT_FALSE(TakeQuit());

  const LPARAM overExit = MAKELPARAM(481 + 10, 4 + 9);
  SendMessageA(strip, WM_LBUTTONDOWN, MK_LBUTTON, overExit);
  SendMessageA(strip, WM_LBUTTONUP, 0, overExit);
  EXPECT_TRUE(TakeQuit());
}

}  // namespace
