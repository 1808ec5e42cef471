#include "classes/form_resources.h"

#include <algorithm>
#include <memory>
#include <string>

#include "classes/component.h"
#include "classes/metadata.h"
#include "classes/reader.h"
#include "classes/resource_stream.h"
#include "runtime/namespace_lock.h"

namespace {

struct SharedLoading {
  std::unique_ptr<std::vector<TComponent*>> current;
  // The lists replaced by newer ones; created on first use, gone when empty.
  std::unique_ptr<std::vector<std::unique_ptr<std::vector<TComponent*>>>> stack;
};

thread_local SharedLoading tlsShared;

bool ReadDefinitionChain(const ClassMetadata* cls, const ClassMetadata& rootAncestor,
                         TComponent* instance) {
  if (cls == nullptr || cls == &TComponent::StaticMeta() || cls == &rootAncestor) return false;
  const bool ancestors = ReadDefinitionChain(cls->parent, rootAncestor, instance);
  // The executable supplies the resources of every module of this program.
  const bool own = ReadDefinitionResource(cls->name, nullptr, instance);
  return ancestors || own;
}

}  // namespace

void BeginSharedLoading() {
  auto& shared = tlsShared;
  if (!shared.stack) {
    shared.stack = std::make_unique<std::vector<std::unique_ptr<std::vector<TComponent*>>>>();
  }
  shared.stack->push_back(std::move(shared.current));
  shared.current = std::make_unique<std::vector<TComponent*>>();
}

void EndSharedLoading() {
  auto& shared = tlsShared;
  shared.current.reset();
  if (shared.stack && !shared.stack->empty()) {
    shared.current = std::move(shared.stack->back());
    shared.stack->pop_back();
    if (shared.stack->empty()) shared.stack.reset();
  }
}

std::vector<TComponent*>* SharedLoadedList() { return tlsShared.current.get(); }

void ForgetSharedLoaded(TComponent* component) {
  auto& shared = tlsShared;
  auto forget = [component](std::vector<TComponent*>* list) {
    if (list) list->erase(std::remove(list->begin(), list->end(), component), list->end());
  };
  forget(shared.current.get());
  if (shared.stack) {
    for (auto& list : *shared.stack) forget(list.get());
  }
}

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
  bool result;
  try {
    result = ReadDefinitionChain(&instance->Meta(), rootAncestor, instance);
    // FinishLoading may load further definitions that join this list: walk by index.
    std::vector<TComponent*>& list = *SharedLoadedList();
    for (size_t i = 0; i < list.size(); ++i) list[i]->FinishLoading();
  } catch (...) {
    EndSharedLoading();
    throw;
  }
  EndSharedLoading();
  return result;
}
