// Per-window data: window longs (with subclassing through GWL_WNDPROC), extra bytes,
// properties, text, and registered message numbers.
#include <cctype>
#include <cstring>

#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

// Properties are keyed by their atom's name, so a name and its atom find the same entry.
bool PropKey(LPCSTR name, bool add, std::string* key) {
  if (!name) return false;
  if (IS_INTRESOURCE(name)) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    if (atom >= MAXINTATOM) {
      char buffer[256];
      if (!GlobalGetAtomNameA(atom, buffer, sizeof buffer)) return false;
      return PropKey(buffer, add, key);
    }
    *key = "#" + std::to_string(atom);
    return atom != 0;
  }
  key->clear();
  for (const char* p = name; *p; ++p)
    key->push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(*p))));
  return true;
}

LONG_PTR WindowValue(HWND hWnd, int nIndex, size_t size, bool set, LONG_PTR value) {
  Window* window = Find(hWnd);
  if (!window) return 0;
  if (nIndex >= 0) {
    if (static_cast<size_t>(nIndex) + size > window->extra.size()) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    LONG_PTR old = 0;
    if (size == sizeof(LONG)) {
      LONG small;
      std::memcpy(&small, window->extra.data() + nIndex, size);
      old = small;
      if (set) {
        small = static_cast<LONG>(value);
        std::memcpy(window->extra.data() + nIndex, &small, size);
      }
    } else {
      std::memcpy(&old, window->extra.data() + nIndex, size);
      if (set) std::memcpy(window->extra.data() + nIndex, &value, size);
    }
    return old;
  }
  switch (nIndex) {
    case GWL_WNDPROC: {
      LONG_PTR old = reinterpret_cast<LONG_PTR>(window->proc);
      if (set) window->proc = reinterpret_cast<WNDPROC>(value);
      return old;
    }
    case GWL_HINSTANCE: {
      LONG_PTR old = reinterpret_cast<LONG_PTR>(window->instance);
      if (set) window->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    }
    case GWL_ID: {
      LONG_PTR old = window->id;
      if (set) window->id = value;
      return old;
    }
    case GWL_USERDATA: {
      LONG_PTR old = window->userData;
      if (set) window->userData = value;
      return old;
    }
    case GWL_HWNDPARENT: {
      bool child = (window->style & WS_CHILD) && window->parent;
      LONG_PTR old = reinterpret_cast<LONG_PTR>(child ? window->parent : window->owner);
      if (set) {
        if (child) {
          SetParent(hWnd, reinterpret_cast<HWND>(value));
        } else {
          Window* owner = TopLevelOf(Peek(reinterpret_cast<HWND>(value)));
          window->owner = owner && owner != window ? owner->handle : nullptr;
        }
      }
      return old;
    }
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      DWORD& field = nIndex == GWL_STYLE ? window->style : window->exStyle;
      DWORD old = field;
      if (!set) return static_cast<LONG_PTR>(static_cast<LONG>(old));
      STYLESTRUCT change{old, static_cast<DWORD>(value)};
      if (!SendAndPeek(hWnd, WM_STYLECHANGING, static_cast<WPARAM>(nIndex),
                       reinterpret_cast<LPARAM>(&change)))
        return 0;
      change.styleOld = old;
      field = change.styleNew;
      Send(hWnd, WM_STYLECHANGED, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&change));
      return static_cast<LONG_PTR>(static_cast<LONG>(old));
    }
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

}  // namespace

}  // namespace linux_user

using namespace linux_user;

extern "C" {

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex) {
  return static_cast<LONG>(WindowValue(hWnd, nIndex, sizeof(LONG), false, 0));
}
LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
  return static_cast<LONG>(WindowValue(hWnd, nIndex, sizeof(LONG), true, dwNewLong));
}
LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex) {
  return WindowValue(hWnd, nIndex, sizeof(LONG_PTR), false, 0);
}
LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return WindowValue(hWnd, nIndex, sizeof(LONG_PTR), true, dwNewLong);
}
LONG_PTR WINAPI GetWindowLongPtrW(HWND hWnd, int nIndex) { return GetWindowLongPtrA(hWnd, nIndex); }
LONG_PTR WINAPI SetWindowLongPtrW(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
  return SetWindowLongPtrA(hWnd, nIndex, dwNewLong);
}

BOOL WINAPI SetPropA(HWND hWnd, LPCSTR lpString, HANDLE hData) {
  Window* window = Find(hWnd);
  std::string key;
  if (!window || !PropKey(lpString, true, &key)) return FALSE;
  window->props[key] = hData;
  return TRUE;
}

HANDLE WINAPI GetPropA(HWND hWnd, LPCSTR lpString) {
  Window* window = Find(hWnd);
  std::string key;
  if (!window || !PropKey(lpString, false, &key)) return nullptr;
  auto it = window->props.find(key);
  return it == window->props.end() ? nullptr : it->second;
}

HANDLE WINAPI RemovePropA(HWND hWnd, LPCSTR lpString) {
  Window* window = Find(hWnd);
  std::string key;
  if (!window || !PropKey(lpString, false, &key)) return nullptr;
  auto it = window->props.find(key);
  if (it == window->props.end()) return nullptr;
  HANDLE data = it->second;
  window->props.erase(it);
  return data;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString) {
  if (!lpString || IS_INTRESOURCE(lpString) || !*lpString) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return GlobalAddAtomA(lpString);
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
  if (!lpString || nMaxCount <= 0) return 0;
  lpString[0] = '\0';
  if (!Find(hWnd)) return 0;
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount),
                                       reinterpret_cast<LPARAM>(lpString)));
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
  if (!Find(hWnd)) return 0;
  return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString) {
  if (!Find(hWnd)) return FALSE;
  return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) != 0;
}

int WINAPI GetWindowTextW(HWND hWnd, LPWSTR lpString, int nMaxCount) {
  if (!lpString || nMaxCount <= 0) return 0;
  lpString[0] = 0;
  int length = GetWindowTextLengthA(hWnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(hWnd, text.data(), length + 1);
  int converted = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, lpString, nMaxCount);
  if (converted == 0) {
    lpString[nMaxCount - 1] = 0;
    for (converted = 0; converted < nMaxCount - 1 && lpString[converted];) ++converted;
    return converted;
  }
  return converted - 1;
}

int WINAPI GetWindowTextLengthW(HWND hWnd) { return GetWindowTextLengthA(hWnd); }

BOOL WINAPI SetWindowTextW(HWND hWnd, LPCWSTR lpString) {
  if (!lpString) return SetWindowTextA(hWnd, nullptr);
  int size = WideCharToMultiByte(CP_ACP, 0, lpString, -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, lpString, -1, text.data(), size, nullptr, nullptr);
  return SetWindowTextA(hWnd, text.c_str());
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  Window* window = Find(hWnd);
  return window ? static_cast<int>(window->id) : 0;
}

BOOL WINAPI IsWindowUnicode(HWND hWnd) {
  Find(hWnd);
  return FALSE;
}

}  // extern "C"
