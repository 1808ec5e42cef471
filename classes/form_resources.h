#pragma once
// Finding a form's stored definition among the executable's resources and reading it,
// with its ancestors' definitions, into an instance.
#include <string_view>

#include "platform/win32.h"

class TComponent;
struct ClassMetadata;

// Reads the definitions of the instance's class and its ancestors (oldest first),
// stopping at TComponent or `rootAncestor`. True when at least one was read.
bool LoadInheritedDefinition(TComponent* instance, const ClassMetadata& rootAncestor);

// Reads the RCDATA resource `name` (letter case ignored) of `module` (0: the
// executable) into `instance`. False, without an error, when there is no such resource.
bool ReadDefinitionResource(std::string_view name, HMODULE module, TComponent* instance);
