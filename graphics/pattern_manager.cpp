#include "graphics/pattern_manager.h"

#include "graphics/brush.h"

TPatternManager* PatternManager = nullptr;

TPatternManager::~TPatternManager() {
  while (head_) {
    Entry* e = head_;
    head_ = e->next;
    FreePatternBitmap(e->bitmap);
    delete e;
  }
}

TBitmap* TPatternManager::AllocPattern(TColor first, TColor second) {
  const COLORREF c1 = ResolveColor(first);
  const COLORREF c2 = ResolveColor(second);
  CriticalSectionGuard guard(lock_);
  for (Entry* e = head_; e; e = e->next)
    if (e->first == c1 && e->second == c2) return e->bitmap;
  TBitmap* bitmap = MakeCheckerboardBitmap(c1, c2);
  if (!bitmap) return nullptr;
  head_ = new Entry{head_, bitmap, c1, c2};
  return bitmap;
}
