#include "classes/object.h"

#include "classes/metadata_builder.h"

const ClassMetadata& TObject::StaticMeta() {
  static const ClassMetadata meta = ClassBuilder<TObject>("TObject", nullptr, "classes").Build();
  return meta;
}

const ClassMetadata& TObject::Meta() const { return StaticMeta(); }

std::string_view TObject::ClassName() const { return Meta().name; }

bool TObject::InheritsFrom(const ClassMetadata& cls) const { return Meta().InheritsFrom(cls); }

void TObject::Free() {
  BeforeDestruction();
  delete this;
}
