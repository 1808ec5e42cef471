#pragma once
// What the application and the screen ask of a form. TCustomForm implements it as a
// second, data-free base, so the application and the screen need no form header and
// their tests can link stand-in forms.
#include <cstdint>

#include "platform/win32.h"

class TComponent;

enum TWindowState : uint8_t { wsNormal, wsMinimized, wsMaximized };

class FormLink {
 public:
  FormLink() = default;
  FormLink(const FormLink&) = delete;
  FormLink& operator=(const FormLink&) = delete;

  // The form as a component (the same object).
  virtual TComponent& FormComponent() = 0;
  // True for TForm and its descendants.
  virtual bool IsPlainForm() const = 0;

  virtual TWindowState WindowState() const = 0;
  // The property setter: shows the window in the new state when the form is showing.
  virtual void SetWindowState(TWindowState state) = 0;
  // Only records the state.
  virtual void StoreWindowState(TWindowState state) = 0;
  // The close protocol.
  virtual void CloseForm() = 0;

  // The native window, created on demand.
  virtual HWND FormHandle() = 0;
  virtual bool FormHandleAllocated() const = 0;
  virtual bool FormVisible() const = 0;
  virtual void SetFormVisible(bool visible) = 0;
  virtual bool FormEnabled() const = 0;
  // Left, top, left + width, top + height.
  virtual RECT FormBounds() const = 0;
  // The explicit native parent window, or 0.
  virtual HWND FormParentWindow() const = 0;
  // Delivers a message to the form synchronously; returns its result.
  virtual LRESULT FormPerform(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 protected:
  ~FormLink() = default;
};
