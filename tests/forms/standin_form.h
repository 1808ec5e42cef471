#pragma once
// A form for the application's and the screen's tests: a component with a plain
// top-level window, owned by the application window like a real form, that records
// what the application asks of it.
#include <string>
#include <vector>

#include "classes/component.h"
#include "forms/form_link.h"

class StandInForm : public TComponent, public FormLink {
 public:
  explicit StandInForm(TComponent* owner);
  ~StandInForm() override;
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  TComponent& FormComponent() override { return *this; }
  bool IsPlainForm() const override { return plain; }
  TWindowState WindowState() const override { return state; }
  void SetWindowState(TWindowState value) override;
  void StoreWindowState(TWindowState value) override { state = value; }
  void CloseForm() override { calls.push_back("CloseForm"); }
  HWND FormHandle() override;
  bool FormHandleAllocated() const override { return window != nullptr; }
  bool FormVisible() const override { return visible; }
  void SetFormVisible(bool value) override;
  bool FormEnabled() const override { return true; }
  RECT FormBounds() const override { return RECT{10, 20, 210, 120}; }
  HWND FormParentWindow() const override { return nullptr; }
  LRESULT FormPerform(UINT message, WPARAM, LPARAM) override;

  bool plain = true;
  bool visible = false;
  TWindowState state = wsNormal;
  HWND window = nullptr;
  std::vector<std::string> calls;
  std::vector<UINT> performed;
};

// A class whose construction always fails with EResNotFound.
class FailingForm : public StandInForm {
 public:
  explicit FailingForm(TComponent* owner);
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};
