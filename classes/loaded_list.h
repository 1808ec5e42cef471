#pragma once
// Loaded lists: the components a read has created, whose FinishLoading is held back
// until the read is done. A per-thread shared list spans a whole chain of definitions
// read together; a reader without one keeps a private list. A component that goes away
// leaves every list it is in, even while a list is being finished.
#include <cstddef>
#include <vector>

class TComponent;

// Opens a new shared loaded list for this thread, keeping the current one (if any)
// to be restored by EndSharedLoading.
void BeginSharedLoading();
void EndSharedLoading();
// This thread's current shared list, or nullptr.
std::vector<TComponent*>* SharedLoadedList();
// Takes a component that goes away out of this thread's shared lists and out of the
// private lists of reads in progress.
void ForgetSharedLoaded(TComponent* component);

// A reader's own loaded list, used when no shared list is open. While it lives, a
// destroyed component leaves it as it leaves the shared lists.
class TPrivateLoadedList {
 public:
  TPrivateLoadedList();
  ~TPrivateLoadedList();
  TPrivateLoadedList(const TPrivateLoadedList&) = delete;
  TPrivateLoadedList& operator=(const TPrivateLoadedList&) = delete;
  std::vector<TComponent*> items;
};

// Calls FinishLoading on the first `count` entries of `list` in order (entries added
// meanwhile join the walk while within `count`). A component destroyed during the walk
// costs no other entry its call.
void FinishLoadedList(std::vector<TComponent*>& list, size_t count);
