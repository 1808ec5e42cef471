#pragma once
// TPersistent: base of every object that can be stored in a form stream. It carries
// the copy protocol (Assign / AssignTo) and the hook that declares stored values
// which are not published properties.
#include <string>

#include "classes/object.h"

class TFiler;

class TPersistent : public TObject {
 public:
  TPersistent() = default;
  // Removes the pending cross-root references whose instance is this object.
  ~TPersistent() override;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // Copies `source` into this object: a null source raises EConvertError
  // "Cannot assign a nil to a <this class>"; otherwise source->AssignTo(*this).
  virtual void Assign(const TPersistent* source);
  // The owner for naming purposes (base: none).
  virtual TPersistent* NamingOwner() const { return nullptr; }
  // The class name, then "." and the naming owner's path when it has a non-empty one.
  virtual std::string NamePath() const;
  // Copies this object into `dest`; the base raises EConvertError
  // "Cannot assign a <this class> to a <dest class>".
  virtual void AssignTo(TPersistent& dest) const;
  // Declares stored values that are not published properties (base: none).
  virtual void DeclareExtraProperties(TFiler& filer);
};
