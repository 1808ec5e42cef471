#include "classes/persistent.h"

#include "classes/metadata_builder.h"
#include "classes/reader_fixups.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

const ClassMetadata& TPersistent::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TPersistent>("TPersistent", &TObject::StaticMeta(), "classes").Build();
  return meta;
}

TPersistent::~TPersistent() { RemoveGlobalReferencesOfInstance(this); }

void TPersistent::Assign(const TPersistent* source) {
  if (!source) throw EConvertError(msg::kAssignError, {"nil", ClassName()});
  source->AssignTo(*this);
}

void TPersistent::AssignTo(TPersistent& dest) const {
  throw EConvertError(msg::kAssignError, {ClassName(), dest.ClassName()});
}

std::string TPersistent::NamePath() const {
  std::string path(ClassName());
  if (TPersistent* owner = NamingOwner()) {
    std::string ownerPath = owner->NamePath();
    if (!ownerPath.empty()) path += "." + ownerPath;
  }
  return path;
}

void TPersistent::DeclareExtraProperties(TFiler&) {}
