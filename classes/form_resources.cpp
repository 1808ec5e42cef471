#include "classes/form_resources.h"

#include <cstdint>
#include <string>

#include "classes/component.h"
#include "classes/loaded_list.h"
#include "classes/metadata.h"
#include "classes/reader.h"
#include "classes/resource_stream.h"
#include "runtime/namespace_lock.h"
#include "runtime/scope_exit.h"

namespace {

bool ReadDefinitionChain(const ClassMetadata* cls, const ClassMetadata& rootAncestor,
                         TComponent* instance) {
  if (cls == nullptr || cls == &TComponent::StaticMeta() || cls == &rootAncestor) return false;
  const bool ancestors = ReadDefinitionChain(cls->parent, rootAncestor, instance);
  // The executable supplies the resources of every module of this program.
  const bool own = ReadDefinitionResource(cls->name, nullptr, instance);
  return ancestors || own;
}

}  // namespace

bool ReadDefinitionResource(std::string_view name, HMODULE module, TComponent* instance) {
  if (module == nullptr) module = GetModuleHandleA(nullptr);
  const std::string resName(name);
  if (FindResourceA(module, resName.c_str(), RT_RCDATA) == nullptr) return false;
  TResourceStream stream(module, resName, RT_RCDATA);
  TReader reader(stream, TReader::kDefaultBufferSize);
  reader.LoadRoot(instance);
  return true;
}

bool LoadInheritedDefinition(TComponent* instance, const ClassMetadata& rootAncestor) {
  WriteLockGuard lock(NameSpaceLock());
  const bool shared = (instance->State() & (stLoading | stInline)) == 0;
  if (!shared) return ReadDefinitionChain(&instance->Meta(), rootAncestor, instance);

  BeginSharedLoading();
  ScopeExit endLoading([] { EndSharedLoading(); });
  const bool result = ReadDefinitionChain(&instance->Meta(), rootAncestor, instance);
  // FinishLoading may load further definitions that join this list.
  FinishLoadedList(*SharedLoadedList(), SIZE_MAX);
  endLoading.Run();
  return result;
}
