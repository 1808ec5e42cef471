// Forms on real windows: creation parameters, placement on the first showing, window
// state, activation, the close protocol and construction from a stored definition.
#include "forms/form.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "classes/metadata_builder.h"
#include "classes/reader.h"
#include "classes/stream_writer.h"
#include "classes/streams.h"
#include "forms/application.h"
#include "forms/multi_monitor.h"
#include "forms/screen.h"
#include "platform/testing.h"
#include "runtime/exception.h"
#include "runtime/namespace_lock.h"
#include "runtime/startup.h"

namespace {

bool TakeQuit() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

// Frees a form at the end of a test unless the test freed it already.
struct FormDeleter {
  void operator()(TCustomForm* form) const { TObject::FreeObject(form); }
};
using FormPtr = std::unique_ptr<TForm, FormDeleter>;

FormPtr EmptyForm() { return FormPtr(CreateEmptyForm<TForm>(Application())); }

// Records what the handlers of a form were asked and answers as configured.
class Handlers : public TObject {
 public:
  bool refuse = false;
  TCloseAction action = caHide;
  bool changeAction = false;
  int activations = 0;
  std::vector<std::string> reports;

  void CloseQuery(TObject* /*sender*/, bool& canClose) { canClose = !refuse; }
  void Close(TObject* /*sender*/, TCloseAction& closeAction) {
    if (changeAction) closeAction = action;
  }
  void Activate(TObject* /*sender*/) { ++activations; }
  void HideAgain(TObject* sender) { static_cast<TCustomForm*>(sender)->SetVisible(false); }
  void Report(TObject* /*sender*/, const std::exception_ptr& error) {
    try {
      std::rethrow_exception(error);
    } catch (const Exception& e) {
      reports.push_back(e.Message());
    }
  }
};

TEST(FormCreationParams, FollowBorderStyleIconsPositionAndState) {
  constexpr TBorderIcons all =
      BorderIconBit(biSystemMenu) | BorderIconBit(biMinimize) | BorderIconBit(biMaximize);
  constexpr auto useDefault = static_cast<int32_t>(CW_USEDEFAULT);
  struct Row {
    TFormBorderStyle border;
    TBorderIcons icons;
    TPosition position;
    TWindowState state;
    DWORD style;
    DWORD exStyle;
    UINT classStyle;
    bool defaultPlace;
    bool defaultSize;
    TWindowState stateAfter;
  };
  const Row rows[] = {
      {bsNone, all, poScreenCenter, wsNormal, 0x86000000, 0x00010000, 0x0008, false, false,
       wsNormal},
      {bsSingle, all, poDesigned, wsNormal, 0x06CB0000, 0x00010000, 0x0008, false, false, wsNormal},
      {bsSizeable, all, poDefault, wsMaximized, 0x07CF0000, 0x00010000, 0x0008, true, true,
       wsMaximized},
      {bsDialog, all | BorderIconBit(biHelp), poDefaultPosOnly, wsMinimized, 0x86C80000, 0x00010501,
       0x2808, true, false, wsNormal},
      {bsToolWindow, all, poDesigned, wsNormal, 0x06C80000, 0x00010080, 0x0008, false, false,
       wsNormal},
      {bsSizeToolWin, BorderIconBit(biMinimize), poDefaultSizeOnly, wsNormal, 0x06C40000,
       0x00010080, 0x0008, false, true, wsNormal},
      {bsSingle, BorderIconBit(biMinimize), poDesigned, wsMinimized, 0x26C20000, 0x00010000, 0x0008,
       false, false, wsMinimized},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << "border " << int(row.border) << " position " << int(row.position));
    FormPtr form = EmptyForm();
    form->SetBorderStyle(row.border);
    form->SetBorderIcons(row.icons);
    form->SetPosition(row.position);
    form->StoreWindowState(row.state);
    CreationParams params;
    form->FillCreationParams(params);
    EXPECT_EQ(params.style, row.style);
    EXPECT_EQ(params.exStyle, row.exStyle);
    EXPECT_EQ(params.windowClass.style, row.classStyle);
    EXPECT_EQ(params.parentWindow, Application()->AppWindow());
    EXPECT_EQ(params.x == useDefault && params.y == useDefault, row.defaultPlace);
    EXPECT_EQ(params.width == useDefault && params.height == useDefault, row.defaultSize);
    EXPECT_EQ(form->WindowState(), row.stateAfter);
  }
}

TEST(FormShowing, PlacesOnTheFirstShowingOnly) {
  const int cx = GetSystemMetrics(SM_CXSCREEN);
  const int cy = GetSystemMetrics(SM_CYSCREEN);
  const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  struct Row {
    TPosition position;
    int width, height;
    int left, top;
  };
  const Row rows[] = {
      {poScreenCenter, 846, 531, (cx - 846) / 2, (cy - 531) / 2},
      // Larger than the screen: the top-left corner stays on the virtual screen.
      {poScreenCenter, cx + 201, cy + 101, vx, vy},
      {poDesktopCenter, 300, 200, std::max(0, (GetSystemMetrics(SM_CXVIRTUALSCREEN) - 300) / 2),
       std::max(0, (GetSystemMetrics(SM_CYVIRTUALSCREEN) - 200) / 2)},
      {poDesigned, 300, 200, 17, 23},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "position " << int(row.position));
    FormPtr form = EmptyForm();
    form->SetBorderStyle(bsNone);
    form->SetPosition(row.position);
    form->SetBounds(17, 23, row.width, row.height);
    form->SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(form->HandleValue()));
    EXPECT_EQ(form->Left(), row.left);
    EXPECT_EQ(form->Top(), row.top);
    EXPECT_EQ(form->Position(), poDesigned);
    // Shown again after a move while hidden, it stays where it was put.
    form->SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(form->HandleValue()));
    form->SetBounds(40, 50, row.width, row.height);
    form->SetVisible(true);
    EXPECT_EQ(form->Left(), 40);
    EXPECT_EQ(form->Top(), 50);
  }
}

TEST(FormShowing, ChangingVisibleInOnShowIsReportedAndShowingGoesOn) {
  Handlers handlers;
  Application()->OnException = TExceptionEvent::Bind<&Handlers::Report>(&handlers);
  FormPtr form = EmptyForm();
  form->OnShow = TNotifyEvent::Bind<&Handlers::HideAgain>(&handlers);
  form->SetVisible(true);
  Application()->OnException = {};
  ASSERT_EQ(handlers.reports.size(), 1u);
  EXPECT_EQ(handlers.reports[0], "Cannot change Visible in OnShow or OnHide");
  EXPECT_TRUE(IsWindowVisible(form->HandleValue()));
}

TEST(FormWindowState, RecordedBeforeShowingAppliedWhenShowing) {
  struct Row {
    TWindowState state;
    bool iconic, zoomed;
  };
  for (const Row& row : {Row{wsMinimized, true, false}, Row{wsMaximized, false, true},
                         Row{wsNormal, false, false}}) {
    SCOPED_TRACE(int(row.state));
    FormPtr form = EmptyForm();
    form->SetWindowState(row.state);
    EXPECT_FALSE(form->HandleAllocated());
    form->SetVisible(true);
    EXPECT_EQ(IsIconic(form->HandleValue()) != 0, row.iconic);
    EXPECT_EQ(IsZoomed(form->HandleValue()) != 0, row.zoomed);
    // On a showing form the setter shows the window in the new state...
    form->SetWindowState(row.state == wsMinimized ? wsNormal : wsMinimized);
    EXPECT_EQ(IsIconic(form->HandleValue()) != 0, !row.iconic);
    // ...and a state change made by the system is read back.
    ShowWindow(form->HandleValue(), SW_SHOWMAXIMIZED);
    EXPECT_EQ(form->WindowState(), wsMaximized);
  }
}

TEST(FormClose, ProtocolByPrimaryFormQueryAndAction) {
  struct Row {
    const char* name;
    bool primary;
    bool refuse;
    bool changeAction;
    TCloseAction action;
    bool quit;
    bool visible;
    bool iconic;
    bool freed;
  };
  const Row rows[] = {
      {"primary, default", true, false, false, caHide, true, true, false, false},
      {"primary, caFree", true, false, true, caFree, true, true, false, false},
      {"primary, refused", true, true, false, caHide, false, true, false, false},
      {"plain, default", false, false, false, caHide, false, false, false, false},
      {"plain, caNone", false, false, true, caNone, false, true, false, false},
      {"plain, caMinimize", false, false, true, caMinimize, false, true, true, false},
      {"plain, caFree", false, false, true, caFree, false, true, false, true},
      {"plain, refused", false, true, true, caFree, false, true, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(Application()->PrimaryForm(), nullptr);
    TForm* made = nullptr;
    if (row.primary) {
      Application()->MakeForm(TForm::StaticMeta(), made);
    } else {
      made = CreateEmptyForm<TForm>(Application());
    }
    FormPtr form(made);
    Handlers handlers;
    handlers.refuse = row.refuse;
    handlers.changeAction = row.changeAction;
    handlers.action = row.action;
    form->OnCloseQuery = TCloseQueryEvent::Bind<&Handlers::CloseQuery>(&handlers);
    form->OnClose = TCloseEvent::Bind<&Handlers::Close>(&handlers);
    form->SetVisible(true);
    const int formsBefore = Screen()->CustomFormCount();
    // Through the window, as the system or the taskbar would ask.
    SendMessageA(form->HandleValue(), WM_CLOSE, 0, 0);
    EXPECT_EQ(TakeQuit(), row.quit);
    if (row.freed) {
      platform_testing::PumpUntilIdle();
      EXPECT_EQ(Screen()->CustomFormCount(), formsBefore - 1);
      (void)form.release();
      continue;
    }
    EXPECT_EQ(form->Visible(), row.visible);
    EXPECT_EQ(IsWindowVisible(form->HandleValue()) != 0, row.visible);
    EXPECT_EQ(IsIconic(form->HandleValue()) != 0, row.iconic);
  }
}

TEST(FormActivation, OnActivateOncePerActivationAndDeferredWhileReading) {
  Handlers handlers;
  FormPtr first = EmptyForm();
  first->OnActivate = TNotifyEvent::Bind<&Handlers::Activate>(&handlers);
  first->SetVisible(true);
  EXPECT_EQ(handlers.activations, 1);
  EXPECT_TRUE(first->IsActiveWindow());
  EXPECT_EQ(Screen()->CurrentCustomForm(), static_cast<FormLink*>(first.get()));
  EXPECT_EQ(Screen()->CustomFormAt(0), static_cast<FormLink*>(first.get()));

  FormPtr second = EmptyForm();
  second->SetVisible(true);
  EXPECT_FALSE(first->IsActiveWindow());
  SetActiveWindow(first->HandleValue());
  EXPECT_EQ(handlers.activations, 2);

  // While its definition is being read a form only notes the activation...
  first->IncludeState(stReading);
  first->Perform(IM_ACTIVATE);
  first->ExcludeState(stReading);
  EXPECT_EQ(handlers.activations, 2);
  // ...and fires it once construction completes.
  first->CompleteConstruction();
  EXPECT_EQ(handlers.activations, 3);
}

TEST(FormStartup, MinimisedShowCommandStartsTheProgramMinimised) {
  ASSERT_EQ(Application()->PrimaryForm(), nullptr);
  TForm* made = nullptr;
  Application()->MakeForm(TForm::StaticMeta(), made);
  FormPtr form(made);
  SetStartupShowCommand(SW_SHOWMINNOACTIVE);
  PostQuitMessage(0);
  Application()->RunLoop();
  SetStartupShowCommand(SW_SHOWDEFAULT);
  EXPECT_EQ(form->WindowState(), wsMinimized);
  EXPECT_FALSE(form->Visible());
  EXPECT_TRUE(IsIconic(Application()->AppWindow()));
  Application()->RestoreApp();
  EXPECT_EQ(form->WindowState(), wsNormal);
  EXPECT_TRUE(form->Visible());
}

// A form class with no stored definition anywhere.
class TUndefinedForm : public TForm {
 public:
  explicit TUndefinedForm(TComponent* owner) : TForm(owner) {}
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta = WithFormConstructor<TUndefinedForm>(
        ClassBuilder<TUndefinedForm>("TUndefinedForm", &TForm::StaticMeta(), "tests").Build());
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

TEST(FormConstruction, WithoutADefinitionFailsCleanly) {
  const int formsBefore = Screen()->CustomFormCount();
  TCustomForm* published = nullptr;
  try {
    ConstructFormOfClass(TUndefinedForm::StaticMeta(), Application(),
                         [&](TCustomForm* form) { published = form; });
    FAIL() << "constructed";
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), "Resource TUndefinedForm not found");
  }
  // The instance was reachable while it was built, and is gone with its lock.
  EXPECT_NE(published, nullptr);
  EXPECT_EQ(Screen()->CustomFormCount(), formsBefore);
  EXPECT_FALSE(NameSpaceLock().IsWriting());
}

// A form read from a definition built here, to see the scaling at the end of reading.
class TScaledForm : public TForm {
 public:
  explicit TScaledForm(TComponent* owner) : TForm(owner) {}
  static const ClassMetadata& StaticMeta() {
    static const ClassMetadata meta = WithFormConstructor<TScaledForm>(
        ClassBuilder<TScaledForm>("TScaledForm", &TForm::StaticMeta(), "tests").Build());
    return meta;
  }
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

TEST(FormReading, ClientSizeScaledByMeasuredOverStoredTextHeight) {
  struct Row {
    int textHeight;
    int pixelsPerInch;
    int clientWidth, clientHeight;
  };
  // Tahoma at height -11 measures 13 at 96 pixels per inch.
  const Row rows[] = {{13, 96, 846, 531}, {26, 96, 423, 266}, {0, 96, 846, 531}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.textHeight);
    StreamWriter w;
    w.WriteSignature();
    w.WriteComponentHeader("TScaledForm", "ScaledForm");
    w.WritePropertyName("BorderStyle");
    w.WriteIdent("bsNone");
    w.WritePropertyName("ClientHeight");
    w.WriteInteger(531);
    w.WritePropertyName("ClientWidth");
    w.WriteInteger(846);
    w.WritePropertyName("Font.Height");
    w.WriteInteger(-11);
    w.WritePropertyName("Font.Name");
    w.WriteUtf8Text("Tahoma");
    w.WritePropertyName("PixelsPerInch");
    w.WriteInteger(row.pixelsPerInch);
    w.WritePropertyName("TextHeight");
    w.WriteInteger(row.textHeight);
    w.WriteEndOfList();
    w.WriteEndOfList();
    std::unique_ptr<TScaledForm, FormDeleter> form(CreateEmptyForm<TScaledForm>(Application()));
    TMemoryStream stream;
    stream.WriteBuffer(w.Bytes().data(), static_cast<int32_t>(w.Size()));
    stream.SetPosition(0);
    TReader reader(stream, TReader::kDefaultBufferSize);
    reader.LoadRoot(form.get());
    EXPECT_EQ(form->ClientWidth(), row.clientWidth);
    EXPECT_EQ(form->ClientHeight(), row.clientHeight);
    EXPECT_EQ(form->PixelsPerInch(), Screen()->ScreenPixelsPerInch());
  }
}

}  // namespace
