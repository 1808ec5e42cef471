#pragma once
// Leak checks for windows and GDI objects. The system's own counters are not reliable
// under every implementation, so a census walks what exists: the thread's windows with
// their descendants, and every GDI handle value in the 16-bit index range probed with
// GetObjectType (handles with a zero high word resolve to the live object of that slot).
// A HandleRecorder also keeps handles a test hands it and tells which are still alive.
#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/win32.h"

struct HandleCensus {
  std::set<HWND> windows;
  std::multiset<DWORD> gdiKinds;  // object type per live GDI slot

  static HandleCensus Take() {
    HandleCensus census;
    EnumThreadWindows(GetCurrentThreadId(), &AddTopLevel, reinterpret_cast<LPARAM>(&census));
    for (uintptr_t slot = 1; slot <= 0xFFFF; ++slot) {
      const DWORD kind = GetObjectType(reinterpret_cast<HGDIOBJ>(slot));
      if (kind != 0) census.gdiKinds.insert(kind);
    }
    return census;
  }

  // What `after` has beyond this census, as text for an assertion message ("" = nothing).
  std::string GrowthTo(const HandleCensus& after) const {
    std::string text;
    for (HWND w : after.windows) {
      if (windows.count(w) == 0)
        text += "window " + std::to_string(reinterpret_cast<uintptr_t>(w)) + "; ";
    }
    for (DWORD kind = 1; kind <= 16; ++kind) {
      const auto before = gdiKinds.count(kind), now = after.gdiKinds.count(kind);
      if (now > before) {
        text += "GDI type " + std::to_string(kind) + " +" + std::to_string(now - before) + "; ";
      }
    }
    return text;
  }

 private:
  static BOOL CALLBACK AddChild(HWND window, LPARAM data) {
    reinterpret_cast<HandleCensus*>(data)->windows.insert(window);
    return TRUE;
  }
  static BOOL CALLBACK AddTopLevel(HWND window, LPARAM data) {
    reinterpret_cast<HandleCensus*>(data)->windows.insert(window);
    EnumChildWindows(window, &AddChild, data);
    return TRUE;
  }
};

class HandleRecorder {
 public:
  void Record(HWND window) { windows_.push_back(window); }
  void Record(HGDIOBJ object) { objects_.push_back(object); }
  int AliveWindows() const {
    return static_cast<int>(std::count_if(windows_.begin(), windows_.end(),
                                          [](HWND w) { return IsWindow(w) != FALSE; }));
  }
  int AliveObjects() const {
    return static_cast<int>(std::count_if(objects_.begin(), objects_.end(),
                                          [](HGDIOBJ o) { return GetObjectType(o) != 0; }));
  }

 private:
  std::vector<HWND> windows_;
  std::vector<HGDIOBJ> objects_;
};
