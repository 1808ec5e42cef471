#pragma once
// Process-wide cache of 8x8 two-colour checkerboard bitmaps, one per colour pair.
#include "graphics/colors.h"
#include "runtime/critical_section.h"

class TBitmap;

class TPatternManager {
 public:
  TPatternManager() = default;
  ~TPatternManager();
  TPatternManager(const TPatternManager&) = delete;
  TPatternManager& operator=(const TPatternManager&) = delete;

  // The checkerboard of `first` with `second` on every square whose row and
  // column have the same parity; made on first request, kept until shut-down.
  TBitmap* AllocPattern(TColor first, TColor second);

 private:
  struct Entry {
    Entry* next;
    TBitmap* bitmap;
    COLORREF first;
    COLORREF second;
  };
  Entry* head_ = nullptr;
  CriticalSection lock_;
};

extern TPatternManager* PatternManager;
