#pragma once
// Process-wide cache of 8x8 two-colour checkerboard bitmaps, one per colour pair.
#include <memory>
#include <vector>

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
    TBitmap* bitmap;  // freed by the destructor
    COLORREF first;
    COLORREF second;
  };
  std::vector<Entry> entries_;
  CriticalSection lock_;
};

// Made by the graphics module's start-up, freed by its shut-down.
extern std::unique_ptr<TPatternManager> PatternManager;
