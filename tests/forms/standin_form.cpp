#include "tests/forms/standin_form.h"

#include "classes/metadata_builder.h"
#include "forms/application.h"
#include "forms/screen.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

namespace {

constexpr char kClass[] = "StandInFormWindow";

void RegisterOnce() {
  WNDCLASSA existing{};
  if (GetClassInfoA(GetModuleHandleA(nullptr), kClass, &existing)) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClass;
  RegisterClassA(&windowClass);
}

}  // namespace

const ClassMetadata& StandInForm::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<StandInForm>("TStandInForm", &TComponent::StaticMeta(), "tests")
          .Constructor()
          .Build();
  return meta;
}

StandInForm::StandInForm(TComponent* owner) : TComponent(owner) {
  if (Screen()) Screen()->EnlistForm(this);
}

StandInForm::~StandInForm() {
  if (Screen()) Screen()->DelistForm(this);
  if (window) DestroyWindow(window);
}

void StandInForm::SetWindowState(TWindowState value) {
  state = value;
  calls.push_back("SetWindowState " + std::to_string(value));
}

HWND StandInForm::FormHandle() {
  if (!window) {
    RegisterOnce();
    HWND owner = Application() ? Application()->AppWindow() : nullptr;
    window = CreateWindowExA(0, kClass, "stand-in", WS_POPUP, 10, 20, 200, 100, owner, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  }
  return window;
}

void StandInForm::SetFormVisible(bool value) {
  visible = value;
  calls.push_back(value ? "Show" : "Hide");
  ShowWindow(FormHandle(), value ? SW_SHOWNOACTIVATE : SW_HIDE);
  if (Application()) Application()->UpdateAppWindowVisible();
}

LRESULT StandInForm::FormPerform(UINT message, WPARAM, LPARAM) {
  performed.push_back(message);
  return 0;
}

const ClassMetadata& FailingForm::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<FailingForm>("TFailingForm", &StandInForm::StaticMeta(), "tests")
          .Constructor()
          .Build();
  return meta;
}

FailingForm::FailingForm(TComponent* owner) : StandInForm(owner) {
  throw EResNotFound(msg::kResNotFound, {"TFailingForm"});
}
