// The system menu: one per window with WS_SYSMENU, made on first request with the
// classic commands. Nothing shows it; it exists so that the commands a program removes
// or disables can be asked about again. Handles are never reused.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/linux/user/input.h"

namespace {

struct MenuItem {
  UINT id;
  UINT flags;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_DEFAULT
  std::string text;
};

struct Menu {
  HWND owner;
  std::vector<MenuItem> items;
};

struct MenuTable {
  std::map<HMENU, Menu> menus;
  std::map<HWND, HMENU> systemMenus;
  uintptr_t nextHandle = 0x10000;
};

MenuTable& Table() {
  static auto* table = new MenuTable;
  return *table;
}

std::vector<MenuItem> ClassicItems() {
  constexpr UINT kSeparator = MF_SEPARATOR | MF_GRAYED | MF_DISABLED;
  return {{SC_RESTORE, 0, "&Restore"},
          {SC_MOVE, 0, "&Move"},
          {SC_SIZE, 0, "&Size"},
          {SC_MINIMIZE, 0, "Mi&nimize"},
          {SC_MAXIMIZE, 0, "Ma&ximize"},
          {0, kSeparator, ""},
          {SC_CLOSE, MF_DEFAULT, "&Close\tAlt+F4"}};
}

Menu* Find(HMENU menu) {
  auto found = Table().menus.find(menu);
  return found == Table().menus.end() ? nullptr : &found->second;
}

// The item `position` names, by command or by position; -1 when there is none.
int IndexOf(const Menu& menu, UINT position, UINT flags) {
  if ((flags & MF_BYPOSITION) != 0) {
    return position < menu.items.size() ? static_cast<int>(position) : -1;
  }
  for (size_t i = 0; i < menu.items.size(); ++i) {
    if ((menu.items[i].flags & MF_SEPARATOR) == 0 && menu.items[i].id == position) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void DestroySystemMenu(HWND window) {
  MenuTable& table = Table();
  auto found = table.systemMenus.find(window);
  if (found == table.systemMenus.end()) return;
  table.menus.erase(found->second);
  table.systemMenus.erase(found);
}

}  // namespace

namespace linux_user {
void ForgetSystemMenu(HWND window) { DestroySystemMenu(window); }
}  // namespace linux_user

extern "C" {

HMENU WINAPI GetSystemMenu(HWND hWnd, BOOL bRevert) {
  if (!IsWindow(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (bRevert) {
    // Back to the classic menu: the copy goes, the next request makes a fresh one.
    DestroySystemMenu(hWnd);
    return nullptr;
  }
  if ((GetWindowLongA(hWnd, GWL_STYLE) & WS_SYSMENU) == 0) return nullptr;
  MenuTable& table = Table();
  auto found = table.systemMenus.find(hWnd);
  if (found != table.systemMenus.end()) return found->second;
  auto handle = reinterpret_cast<HMENU>(table.nextHandle);
  table.nextHandle += 4;
  table.menus[handle] = Menu{hWnd, ClassicItems()};
  table.systemMenus[hWnd] = handle;
  return handle;
}

BOOL WINAPI IsMenu(HMENU hMenu) { return Find(hMenu) != nullptr; }

BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  return RemoveMenu(hMenu, uPosition, uFlags);
}

BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags) {
  Menu* menu = Find(hMenu);
  const int index = menu != nullptr ? IndexOf(*menu, uPosition, uFlags) : -1;
  if (index < 0) return FALSE;
  menu->items.erase(menu->items.begin() + index);
  return TRUE;
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
  Menu* menu = Find(hMenu);
  const int index = menu != nullptr ? IndexOf(*menu, uId, uFlags) : -1;
  return index < 0 ? static_cast<UINT>(-1) : menu->items[static_cast<size_t>(index)].flags;
}

BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
  Menu* menu = Find(hMenu);
  const int index = menu != nullptr ? IndexOf(*menu, uIDEnableItem, uEnable) : -1;
  if (index < 0) return -1;
  UINT& flags = menu->items[static_cast<size_t>(index)].flags;
  const UINT previous = flags & (MF_GRAYED | MF_DISABLED);
  flags =
      (flags & ~static_cast<UINT>(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
  return static_cast<BOOL>(previous);
}

int WINAPI GetMenuItemCount(HMENU hMenu) {
  Menu* menu = Find(hMenu);
  return menu != nullptr ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos) {
  Menu* menu = Find(hMenu);
  if (menu == nullptr || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size()) {
    return static_cast<UINT>(-1);
  }
  return menu->items[static_cast<size_t>(nPos)].id;
}

}  // extern "C"
