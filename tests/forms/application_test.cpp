// The application object: its hidden window, making forms, the message loop and its
// pre-processing chain, minimising, and reporting exceptions.
#include "forms/application.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "forms/app_title.h"
#include "forms/screen.h"
#include "platform/testing.h"
#include "runtime/exception.h"
#include "runtime/last_chance.h"
#include "runtime/messages.h"
#include "runtime/startup.h"
#include "runtime/sync_queue.h"
#include "tests/forms/standin_form.h"

namespace {

struct Box {
  HWND owner;
  std::string text;
  std::string caption;
  UINT flags;
  bool otherWindowEnabled;
};
std::vector<Box> boxes;
HWND watchedWindow = nullptr;  // must be disabled while a box is up

int RecordBox(HWND owner, const char* text, const char* caption, UINT flags) {
  boxes.push_back({owner, text, caption, flags, IsWindowEnabled(watchedWindow) != 0});
  return IDOK;
}

// Fails while the box is up, after moving the focus counter on.
int FailingBox(HWND /*owner*/, const char* /*text*/, const char* /*caption*/, UINT /*flags*/) {
  EXPECT_FALSE(IsWindowEnabled(watchedWindow));
  ++FocusChangeCounter();
  throw std::runtime_error("box failed");
}

std::vector<std::string> lastChance;
void RecordLastChance(const std::string& caption, const std::string& text) {
  lastChance.push_back(caption + "|" + text);
}

// Each test gets an application object of its own, current while it runs.
class App : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_testing::PumpUntilIdle();
    global_ = Application();
    app_ = new TApplication(nullptr);
    SetApplication(app_);
    boxes.clear();
    lastChance.clear();
    previousBox_ = TApplication::SetMessageBoxFunction(&RecordBox);
    previousLastChance_ = SetLastChanceOutput(&RecordLastChance);
  }
  void TearDown() override {
    TApplication::SetMessageBoxFunction(previousBox_);
    SetLastChanceOutput(previousLastChance_);
    app_->Free();
    SetApplication(global_);
    SetStartupShowCommand(SW_SHOWDEFAULT);
    platform_testing::PumpUntilIdle();
  }

  TApplication* app_ = nullptr;

 private:
  TApplication* global_ = nullptr;
  TApplication::MessageBoxFunction previousBox_ = nullptr;
  LastChanceOutput previousLastChance_ = nullptr;
};

TEST(AppTitle, IsTheFileNameUpToItsFirstDotWithTheRestLowerCased) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Games\\StartMenu.exe", "Startmenu"},
      {"C:\\Games\\a.b.exe", "a"},
      {"C:\\dir.v2\\LAUNCHER.EXE", "Launcher"},
      {"Z:\\bin\\x", "x"},
      {"plain.exe", "plain"},
      {"C:\\folder\\", ""},
  };
  for (const auto& [path, title] : cases) EXPECT_EQ(AppTitleFromModulePath(path), title) << path;
}

TEST_F(App, HiddenWindowHasItsClassStylesPlaceAndSystemMenu) {
  HWND window = app_->AppWindow();
  ASSERT_TRUE(IsWindow(window));
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  EXPECT_STREQ(className, "TApplication");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), 0x84CA0000u);
  EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  RECT bounds;
  GetWindowRect(window, &bounds);
  EXPECT_EQ(bounds.left, GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(bounds.top, GetSystemMetrics(SM_CYSCREEN) / 2);
  EXPECT_EQ(bounds.right, bounds.left);
  EXPECT_EQ(bounds.bottom, bounds.top);
  EXPECT_FALSE(IsWindowVisible(window));

  WNDCLASSA info{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TApplication", &info));
  EXPECT_EQ(info.style, 0u);
  EXPECT_EQ(info.hCursor, nullptr);
  EXPECT_EQ(info.hbrBackground, nullptr);

  HMENU menu = GetSystemMenu(window, FALSE);
  for (UINT removed : {SC_MAXIMIZE, SC_SIZE, SC_MOVE}) {
    EXPECT_EQ(GetMenuState(menu, removed, MF_BYCOMMAND), static_cast<UINT>(-1)) << removed;
  }
  EXPECT_NE(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));

  // A new icon reaches the window, its class and every form.
  auto* form = new StandInForm(nullptr);
  HICON question = LoadIconA(nullptr, IDI_QUESTION);
  app_->SetIconHandle(question);
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON)), question);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window, WM_QUERYDRAGICON, 0, 0)), question);
  EXPECT_EQ(form->performed, std::vector<UINT>{0xB01Du});
  app_->SetIconHandle(nullptr);
  EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON)),
            LoadIconA(nullptr, IDI_APPLICATION));
  form->Free();

  EXPECT_EQ(app_->AppTitle(), DefaultAppTitle());
  app_->SetAppTitle("Other");
  char caption[64] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_STREQ(caption, "Other");
}

TEST_F(App, MakeFormPicksTheFirstPlainFormAndClearsTheReferenceOnFailure) {
  StandInForm* first = nullptr;
  app_->MakeForm(StandInForm::StaticMeta(), first);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(app_->PrimaryForm(), first);
  EXPECT_TRUE(first->FormHandleAllocated());
  EXPECT_EQ(first->Owner(), app_);

  StandInForm* second = nullptr;
  app_->MakeForm(StandInForm::StaticMeta(), second);
  EXPECT_EQ(app_->PrimaryForm(), first);

  auto* failed = reinterpret_cast<FailingForm*>(first);
  EXPECT_THROW(app_->MakeForm(FailingForm::StaticMeta(), failed), EResNotFound);
  EXPECT_EQ(failed, nullptr);
  EXPECT_EQ(app_->OwnedCount(), 2);

  // The taskbar button's "close" reaches the primary form's close protocol.
  SendMessageA(app_->AppWindow(), WM_CLOSE, 0, 0);
  EXPECT_EQ(first->calls, std::vector<std::string>{"CloseForm"});
  EXPECT_TRUE(second->calls.empty());
  EXPECT_TRUE(IsWindow(app_->AppWindow()));

  second->Free();
  first->Free();
  EXPECT_EQ(app_->PrimaryForm(), nullptr);
}

TEST_F(App, RunLoopWithoutPrimaryFormReturnsAtOnce) {
  PostMessageA(app_->AppWindow(), WM_USER, 0, 0);
  app_->RunLoop();
  EXPECT_FALSE(app_->LoopRunning());
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, app_->AppWindow(), WM_USER, WM_USER, PM_NOREMOVE));
}

TEST_F(App, RunLoopAppliesTheStartupShowCommand) {
  struct Case {
    int showCommand;
    std::vector<std::string> calls;
    bool appIconic;
  };
  const Case cases[] = {
      {SW_SHOWDEFAULT, {"Show"}, false},
      {SW_SHOWMINIMIZED, {"Show"}, false},
      {SW_SHOWMAXIMIZED, {"SetWindowState 2", "Show"}, false},
      {SW_SHOWMINNOACTIVE, {}, true},
  };
  for (const Case& c : cases) {
    TearDown();  // a fresh application object for every case
    SetUp();
    SetStartupShowCommand(c.showCommand);
    StandInForm* form = nullptr;
    app_->MakeForm(StandInForm::StaticMeta(), form);
    PostQuitMessage(0);
    app_->RunLoop();
    EXPECT_TRUE(app_->QuitRequested());
    EXPECT_EQ(form->calls, c.calls) << c.showCommand;
    EXPECT_EQ(IsIconic(app_->AppWindow()) != 0, c.appIconic) << c.showCommand;
    if (c.appIconic) {
      // Restoring the program shows the form that started minimised.
      form->calls.clear();
      app_->RestoreApp();
      EXPECT_FALSE(IsIconic(app_->AppWindow()));
      EXPECT_EQ(form->calls, (std::vector<std::string>{"SetWindowState 0", "Show"}));
    }
  }
}

// A window that logs what reaches it and answers reflected keys as told.
std::vector<UINT> received;
LRESULT reflectedAnswer = 0;
LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER || message == WM_KEYDOWN || message == WM_KEYDOWN + 0xBC00) {
    received.push_back(message);
    if (message == WM_KEYDOWN + 0xBC00) return reflectedAnswer;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

struct Filter : TObject {
  bool handles = false;
  int seen = 0;
  void OnMessage(MSG& message, bool& handled) {
    if (message.message == WM_USER + 1) throw Exception("Filter failed");
    if (message.message != WM_USER && message.message != WM_KEYDOWN) return;
    ++seen;
    handled = handles;
  }
};

TEST_F(App, TakeMessageOffersTheFilterAndTheKeyTestBeforeDispatching) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = LoggingProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "TakeMessageLog";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "TakeMessageLog", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  Filter filter;
  app_->OnMessage = TMessageEvent::Bind<&Filter::OnMessage>(&filter);

  struct Case {
    UINT message;
    bool filterHandles;
    LRESULT reflected;
    std::vector<UINT> expected;
  };
  const Case cases[] = {
      {WM_USER, false, 0, {WM_USER}},
      {WM_USER, true, 0, {}},
      {WM_KEYDOWN, false, 0, {WM_KEYDOWN + 0xBC00, WM_KEYDOWN}},
      {WM_KEYDOWN, false, 1, {WM_KEYDOWN + 0xBC00}},
      {WM_KEYDOWN, true, 0, {}},
  };
  for (const Case& c : cases) {
    received.clear();
    filter.handles = c.filterHandles;
    reflectedAnswer = c.reflected;
    filter.seen = 0;
    PostMessageA(window, c.message, VK_F5, 0);  // a key without a character
    MSG message;
    ASSERT_TRUE(app_->TakeMessage(message));
    EXPECT_EQ(message.message, c.message);
    EXPECT_EQ(filter.seen, 1);
    EXPECT_EQ(received, c.expected) << c.message << " " << c.filterHandles << " " << c.reflected;
  }
  MSG message;
  EXPECT_FALSE(app_->TakeMessage(message));  // nothing queued

  filter.seen = 0;
  PostQuitMessage(0);
  EXPECT_TRUE(app_->TakeMessage(message));
  EXPECT_TRUE(app_->QuitRequested());
  EXPECT_EQ(filter.seen, 0);  // WM_QUIT never reaches the filter
  DestroyWindow(window);
}

TEST_F(App, AnExceptionInTheLoopIsReportedAndTheLoopGoesOn) {
  StandInForm* form = nullptr;
  app_->MakeForm(StandInForm::StaticMeta(), form);
  Filter filter;
  app_->OnMessage = TMessageEvent::Bind<&Filter::OnMessage>(&filter);
  PostMessageA(app_->AppWindow(), WM_USER + 1, 0, 0);
  PostMessageA(app_->AppWindow(), WM_USER, 0, 0);
  PostQuitMessage(0);
  app_->RunLoop();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Filter failed.");
  EXPECT_EQ(filter.seen, 1);  // the message after the failing one was still taken
}

TEST_F(App, ReportExceptionShowsFrameworkErrorsWithTheFullStopRule) {
  watchedWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 5, 5, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
  const std::pair<const char*, const char*> cases[] = {
      {"Bad thing", "Bad thing."},
      {"Done.", "Done."},
      {"Wow!", "Wow!"},
      {"Count: 3", "Count: 3."},
      {"(x)", "(x)"},
      {"Why?", "Why?."},
      {"", ""},
      {"ends:", "ends:."},
  };
  for (const auto& [message, shown] : cases) {
    boxes.clear();
    try {
      throw EReadError(message);
    } catch (...) {
      app_->ReportException(app_);
    }
    ASSERT_EQ(boxes.size(), 1u) << message;
    EXPECT_EQ(boxes[0].text, shown);
    EXPECT_EQ(boxes[0].caption, app_->AppTitle());
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(boxes[0].owner, app_->AppWindow());
    EXPECT_FALSE(boxes[0].otherWindowEnabled);
  }
  EXPECT_TRUE(IsWindowEnabled(watchedWindow));  // enabled again after the box

  boxes.clear();
  try {
    throw EAbort("silent");
  } catch (...) {
    app_->ReportException(app_);
  }
  EXPECT_TRUE(boxes.empty());

  try {
    throw std::runtime_error("not ours");
  } catch (...) {
    app_->ReportException(app_);
  }
  EXPECT_TRUE(boxes.empty());
  ASSERT_EQ(lastChance.size(), 1u);
  EXPECT_EQ(lastChance[0].substr(0, lastChance[0].find('|')), LoadMessage(msg::kApplicationError));

  // Disabling the application window keeps the user away from the thread's other windows
  // until it is enabled again.
  EnableWindow(app_->AppWindow(), FALSE);
  EXPECT_FALSE(IsWindowEnabled(watchedWindow));
  EnableWindow(app_->AppWindow(), TRUE);
  EXPECT_TRUE(IsWindowEnabled(watchedWindow));
  DestroyWindow(watchedWindow);
  watchedWindow = nullptr;
}

TEST_F(App, ABoxThatFailsStillGivesBackTheWindowsAndTheFocusCounter) {
  watchedWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 5, 5, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
  TApplication::SetMessageBoxFunction(&FailingBox);
  const int focusCount = FocusChangeCounter();
  EXPECT_THROW(app_->AppMessageBox("text", "caption", MB_OK), std::runtime_error);
  EXPECT_TRUE(IsWindowEnabled(watchedWindow));
  EXPECT_EQ(FocusChangeCounter(), focusCount);
  DestroyWindow(watchedWindow);
  watchedWindow = nullptr;
}

TEST_F(App, WorkFromOtherThreadsRunsOnTheMainThreadWhenWokenOrIdle) {
  std::atomic<DWORD> ranOn{0};
  std::thread([&] { QueueOnMainThread([&] { ranOn = GetCurrentThreadId(); }); }).join();
  // The queuing woke the application window.
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, app_->AppWindow(), WM_NULL, WM_NULL, PM_NOREMOVE));
  EXPECT_EQ(ranOn.load(), 0u);
  ASSERT_TRUE(app_->TakeMessage(message));
  EXPECT_EQ(ranOn.load(), GetCurrentThreadId());

  // A waiting caller gets the exception of its work back.
  std::atomic<bool> done{false};
  std::string caught;
  DWORD mainThread = GetCurrentThreadId();
  std::thread caller([&] {
    try {
      RunOnMainThread([] { throw EListError("from main"); });
    } catch (const EListError& error) {
      caught = error.Message();
    }
    done = true;
    PostThreadMessageA(mainThread, WM_USER, 0, 0);  // wake the idle step
  });
  for (int i = 0; i < 1000 && !done; ++i) app_->PumpOne();
  caller.join();
  EXPECT_EQ(caught, "from main");
}

TEST_F(App, WindowIsShownExactlyWhileSomeFormIsVisible) {
  HWND window = app_->AppWindow();
  ASSERT_FALSE(IsWindowVisible(window));
  auto* form = new StandInForm(nullptr);
  auto* other = new StandInForm(nullptr);
  form->SetFormVisible(true);
  EXPECT_TRUE(IsWindowVisible(window));
  other->SetFormVisible(true);
  form->SetFormVisible(false);
  EXPECT_TRUE(IsWindowVisible(window));
  other->Free();  // the last visible form goes
  EXPECT_FALSE(IsWindowVisible(window));
  form->Free();
}

}  // namespace
