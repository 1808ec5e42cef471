// Z-order: owned windows kept above their owners, topmost windows above the rest.
#include <algorithm>

#include "platform/linux/user/internal.h"

namespace linux_user {

namespace {

bool IsTopMost(HWND handle) {
  Window* window = Peek(handle);
  return window && (window->exStyle & WS_EX_TOPMOST);
}

bool OwnedBy(Window* window, HWND owner) {
  for (int depth = 0; window && window->owner && depth < 64; ++depth) {
    if (window->owner == owner) return true;
    window = Peek(window->owner);
  }
  return false;
}

void InsertAt(std::vector<HWND>& list, HWND handle, HWND after) {
  list.erase(std::remove(list.begin(), list.end(), handle), list.end());
  if (after == HWND_TOP) {
    list.insert(list.begin(), handle);
  } else if (after == HWND_BOTTOM) {
    list.push_back(handle);
  } else {
    auto it = std::find(list.begin(), list.end(), after);
    list.insert(it == list.end() ? list.begin() : it + 1, handle);
  }
}

}  // namespace

void PlaceInZOrder(Window& window, HWND insertAfter) {
  std::lock_guard lock(TableLock());
  auto& siblings = Siblings(window);
  HWND handle = window.handle;
  if (window.parent) {
    InsertAt(siblings, handle,
             insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST ? HWND_TOP : insertAfter);
    return;
  }
  if (insertAfter == HWND_TOPMOST) {
    window.exStyle |= WS_EX_TOPMOST;
    insertAfter = HWND_TOP;
  } else if (insertAfter == HWND_NOTOPMOST) {
    window.exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
    insertAfter = HWND_TOP;
  } else if (insertAfter != HWND_TOP && insertAfter != HWND_BOTTOM) {
    if (!Peek(insertAfter)) insertAfter = HWND_TOP;
  }
  bool topmost = window.exStyle & WS_EX_TOPMOST;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
  // First position allowed: below topmost windows unless topmost itself; last: above the
  // non-topmost windows when topmost.
  auto firstNormal =
      std::find_if(siblings.begin(), siblings.end(), [](HWND h) { return !IsTopMost(h); });
  size_t lo = topmost ? 0 : static_cast<size_t>(firstNormal - siblings.begin());
  size_t hi = topmost ? static_cast<size_t>(firstNormal - siblings.begin()) : siblings.size();
  size_t at;
  if (insertAfter == HWND_TOP) {
    at = lo;
  } else if (insertAfter == HWND_BOTTOM) {
    at = hi;
  } else {
    auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
    at = static_cast<size_t>(it - siblings.begin()) + 1;
  }
  at = std::clamp(at, lo, hi);
  // Never below the owner.
  if (window.owner) {
    auto owner = std::find(siblings.begin(), siblings.end(), window.owner);
    if (owner != siblings.end()) at = std::min(at, static_cast<size_t>(owner - siblings.begin()));
  }
  siblings.insert(siblings.begin() + static_cast<ptrdiff_t>(at), handle);
  // Owned windows stay above their owner, keeping their order among themselves.
  std::vector<HWND> owned;
  for (HWND other : siblings)
    if (OwnedBy(Peek(other), handle)) owned.push_back(other);
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    auto self = std::find(siblings.begin(), siblings.end(), handle);
    auto pos = std::find(siblings.begin(), siblings.end(), *it);
    if (pos > self) {
      HWND moving = *pos;
      siblings.erase(pos);
      self = std::find(siblings.begin(), siblings.end(), handle);
      siblings.insert(self, moving);
    }
  }
}

}  // namespace linux_user
