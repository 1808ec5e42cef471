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
// Takes a component that goes away out of this thread's shared lists.
void ForgetSharedLoaded(TComponent* component);
