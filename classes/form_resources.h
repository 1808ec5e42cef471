#pragma once
// Finding a form's stored definition among the executable's resources, and the
// per-thread shared loaded list that holds back every FinishLoading until a whole
// chain of definitions has been read.
#include <string_view>
#include <vector>

#include "platform/win32.h"

class TComponent;
struct ClassMetadata;

// Reads the definitions of the instance's class and its ancestors (oldest first),
// stopping at TComponent or `rootAncestor`. True when at least one was read.
bool LoadInheritedDefinition(TComponent* instance, const ClassMetadata& rootAncestor);

// Reads the RCDATA resource `name` (letter case ignored) of `module` (0: the
// executable) into `instance`. False, without an error, when there is no such resource.
bool ReadDefinitionResource(std::string_view name, HMODULE module, TComponent* instance);

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
