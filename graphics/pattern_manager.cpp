#include "graphics/pattern_manager.h"

#include "graphics/brush.h"

std::unique_ptr<TPatternManager> PatternManager;

TPatternManager::~TPatternManager() {
  // Newest first.
  for (auto e = entries_.rbegin(); e != entries_.rend(); ++e) FreePatternBitmap(e->bitmap);
}

TBitmap* TPatternManager::AllocPattern(TColor first, TColor second) {
  const COLORREF c1 = ResolveColor(first);
  const COLORREF c2 = ResolveColor(second);
  CriticalSectionGuard guard(lock_);
  for (const Entry& e : entries_)
    if (e.first == c1 && e.second == c2) return e.bitmap;
  TBitmap* bitmap = MakeCheckerboardBitmap(c1, c2);
  if (!bitmap) return nullptr;
  entries_.push_back({bitmap, c1, c2});
  return bitmap;
}
