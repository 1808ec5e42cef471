// Window classes: registered by name (case-insensitive) with their atom; one list for the
// process (classes are not per module here, as every window is of this program).
#include <strings.h>

#include <algorithm>
#include <cstring>

#include "platform/linux/user/internal.h"
#include "platform/linux/user/system_classes.h"

namespace linux_user {

namespace {

std::vector<std::shared_ptr<WindowClass>>& Classes() {
  static std::vector<std::shared_ptr<WindowClass>> classes;
  return classes;
}

bool Matches(const WindowClass& cls, LPCSTR name) {
  if (IS_INTRESOURCE(name)) return cls.atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
  return strcasecmp(cls.name.c_str(), name) == 0;
}

}  // namespace

std::shared_ptr<WindowClass> FindClass(LPCSTR name, HINSTANCE) {
  if (!name) return nullptr;
  std::lock_guard lock(TableLock());
  for (auto& cls : Classes())
    if (Matches(*cls, name)) return cls;
  // A system class comes into being the first time it is asked for.
  auto system = MakeSystemClass(name);
  if (system) Classes().push_back(system);
  return system;
}

namespace {

std::shared_ptr<WindowClass> ClassOf(HWND hWnd) {
  Window* window = Find(hWnd);
  return window ? window->cls : nullptr;
}

LONG_PTR* ExtraSlot(std::vector<uint8_t>& bytes, int index, size_t size) {
  if (index < 0 || static_cast<size_t>(index) + size > bytes.size()) {
    SetLastError(ERROR_INVALID_INDEX);
    return nullptr;
  }
  return reinterpret_cast<LONG_PTR*>(bytes.data() + index);
}

ULONG_PTR ClassValue(HWND hWnd, int nIndex, size_t size, bool set, LONG_PTR value) {
  auto cls = ClassOf(hWnd);
  if (!cls) return 0;
  auto swap = [&](auto& field) {
    ULONG_PTR old = (ULONG_PTR)field;
    if (set) field = (std::remove_reference_t<decltype(field)>)value;
    return old;
  };
  switch (nIndex) {
    case GCL_STYLE: {
      UINT style = cls->style;
      ULONG_PTR old = swap(style);
      cls->style = style;
      return old;
    }
    case GCLP_HICON:
      return swap(cls->icon);
    case GCLP_HCURSOR:
      return swap(cls->cursor);
    case GCLP_HBRBACKGROUND:
      return swap(cls->background);
    case GCLP_WNDPROC:
      return swap(cls->proc);
    case GCLP_HMODULE:
      return swap(cls->instance);
    case GCL_CBWNDEXTRA:
      return static_cast<ULONG_PTR>(cls->windowExtra);
    case GCL_CBCLSEXTRA:
      return cls->extra.size();
    case GCW_ATOM:
      return cls->atom;
    default:
      break;
  }
  LONG_PTR* slot = ExtraSlot(cls->extra, nIndex, size);
  if (!slot) return 0;
  ULONG_PTR old = 0;
  std::memcpy(&old, slot, size);
  if (set) std::memcpy(slot, &value, size);
  return old;
}

}  // namespace

}  // namespace linux_user

using namespace linux_user;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  if (!wc || !wc->lpszClassName || wc->cbClsExtra < 0 || wc->cbWndExtra < 0 ||
      wc->cbClsExtra > 40000 || wc->cbWndExtra > 40000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard lock(TableLock());
  if (FindClass(wc->lpszClassName, wc->hInstance)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto cls = std::make_shared<WindowClass>();
  if (IS_INTRESOURCE(wc->lpszClassName)) {
    cls->atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(wc->lpszClassName));
  } else {
    cls->name = wc->lpszClassName;
    cls->atom = GlobalAddAtomA(wc->lpszClassName);
    if (!cls->atom) return 0;
  }
  cls->style = wc->style;
  cls->proc = wc->lpfnWndProc;
  cls->instance = wc->hInstance;
  cls->icon = wc->hIcon;
  cls->cursor = wc->hCursor;
  cls->background = wc->hbrBackground;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) cls->menuName = wc->lpszMenuName;
  cls->extra.assign(static_cast<size_t>(wc->cbClsExtra), 0);
  cls->windowExtra = wc->cbWndExtra;
  Classes().push_back(cls);
  return cls->atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
  std::lock_guard lock(TableLock());
  auto cls = FindClass(lpClassName, hInstance);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (cls->windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  auto& classes = Classes();
  classes.erase(std::find(classes.begin(), classes.end(), cls));
  if (!cls->name.empty()) GlobalDeleteAtom(cls->atom);
  return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE hInstance, LPCSTR lpClassName, LPWNDCLASSA wc) {
  auto cls = FindClass(lpClassName, hInstance);
  if (!cls || !wc) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  wc->style = cls->style;
  wc->lpfnWndProc = cls->proc;
  wc->cbClsExtra = static_cast<int>(cls->extra.size());
  wc->cbWndExtra = cls->windowExtra;
  wc->hInstance = hInstance;
  wc->hIcon = cls->icon;
  wc->hCursor = cls->cursor;
  wc->hbrBackground = cls->background;
  wc->lpszMenuName = cls->menuName.empty() ? nullptr : cls->menuName.c_str();
  wc->lpszClassName = lpClassName;
  return cls->atom;
}

DWORD WINAPI GetClassLongA(HWND hWnd, int nIndex) {
  return static_cast<DWORD>(ClassValue(hWnd, nIndex, sizeof(LONG), false, 0));
}
DWORD WINAPI SetClassLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  return static_cast<DWORD>(ClassValue(hWnd, nIndex, sizeof(LONG), true, dwNewLong));
}
ULONG_PTR WINAPI GetClassLongPtrA(HWND hWnd, int nIndex) {
  return ClassValue(hWnd, nIndex, sizeof(LONG_PTR), false, 0);
}
ULONG_PTR WINAPI SetClassLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return ClassValue(hWnd, nIndex, sizeof(LONG_PTR), true, dwNewLong);
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
  auto cls = ClassOf(hWnd);
  if (!cls || !lpClassName || nMaxCount <= 0) return 0;
  std::string name = cls->name;
  if (name.empty()) {
    char buffer[256];
    name = GlobalGetAtomNameA(cls->atom, buffer, sizeof buffer) ? buffer : "";
  }
  int length = std::min(static_cast<int>(name.size()), nMaxCount - 1);
  std::memcpy(lpClassName, name.data(), static_cast<size_t>(length));
  lpClassName[length] = '\0';
  return length;
}

}  // extern "C"
