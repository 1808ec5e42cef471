#pragma once
// References by name: the pending-fixup records the reader creates for class- and
// interface-typed properties, the process-wide list of cross-root references, and
// the global component finders that resolve a root by its name.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TComponent;
class TPersistent;
class TReader;
struct PropertyRecord;

// One reference by name still to be resolved.
struct TPropFixup {
  TPersistent* instance = nullptr;  // whose property is to be set
  const PropertyRecord* prop = nullptr;
  std::string name;            // dotted path of the referenced component
  TComponent* root = nullptr;  // where the name is resolved
  std::string rootName;        // for a cross-root reference
  bool isInterface = false;    // a TPropIntfFixup
};

// Global component finders: each maps a root name to a live root (forms register one).
using TFindGlobalComponent = TComponent* (*)(std::string_view name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent proc);
// Asks the finders in registration order; the first answer wins.
TComponent* LookupGlobalComponent(std::string_view name);

// Follows a dotted path ("Panel1.Label1", also "->" as separator) from `root` through
// owned components; the segment "Owner" (any case) without such a component stays where
// it is. None when a segment is not found or the name is empty.
TComponent* FindNestedComponent(TComponent* root, std::string_view name);

// The records one read collects, in reading order.
using TFixupList = std::vector<std::unique_ptr<TPropFixup>>;

// Resolves the records of one read in order, taking each out of the list; records
// naming another root move to the pending global list. Those not reached when a step
// fails stay in the list, which frees them.
void ResolveLocalReferences(TReader& reader, TFixupList& fixups);
// Resolves pending cross-root references whose root is now known and not reading.
void ResolveGlobalReferences();

// Pending cross-root references: removal for a root that failed to load (every
// record when `root` is null), and for an instance that goes away.
void RemoveGlobalReferencesOfRoot(TComponent* root);
void RemoveGlobalReferencesOfInstance(TPersistent* instance);
// Number of pending records (for diagnostics and tests).
size_t PendingGlobalReferenceCount();
