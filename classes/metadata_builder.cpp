// The out-of-line helpers of the class-table builder (metadata_builder.h): the
// class-typed assignment errors, the field class table and the check of a finished
// table. Kept here so the header stays templates only.
#include "classes/metadata_builder.h"

#include <stdexcept>
#include <string>

#include "classes/standard_types.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

namespace metadata_detail {

void ThrowAssignError(const TObject* value, const TypeDescriptor& type) {
  std::string_view target = type.classMeta ? type.classMeta().name : type.name;
  throw EConvertError(msg::kAssignError, {value->ClassName(), target});
}

void ThrowFieldAssignError(const TObject* value, const ClassMetadata& fieldClass) {
  throw EConvertError(msg::kAssignError, {value->ClassName(), fieldClass.name});
}

void AddFieldClass(ClassMetadata& meta, FieldEntry& entry) {
  for (size_t i = 0; i < meta.fieldClasses.size(); ++i) {
    if (meta.fieldClasses[i] == entry.fieldClass) {
      entry.classIndex = static_cast<int>(i);
      return;
    }
  }
  entry.classIndex = static_cast<int>(meta.fieldClasses.size());
  meta.fieldClasses.push_back(entry.fieldClass);
}

void ValidateMetadata(const ClassMetadata& meta) {
  auto fail = [&](std::string_view member, const char* what) {
    throw std::logic_error(std::string(meta.name) + "." + std::string(member) + ": " + what);
  };
  for (const PropertyRecord& prop : meta.properties) {
    if (prop.name.empty() || prop.name.size() > 255) fail(prop.name, "bad property name");
    if (!prop.type) fail(prop.name, "no type");
    if (!prop.getter) fail(prop.name, "no getter");
    if (!prop.getter->Supports(*prop.type)) fail(prop.name, "getter does not fit the type");
    if (prop.setter && !prop.setter->Supports(*prop.type)) {
      fail(prop.name, "setter does not fit the type");
    }
    bool indexed = prop.getter->TakesIndex() || (prop.setter && prop.setter->TakesIndex());
    if (indexed && !prop.hasIndex) fail(prop.name, "accessor takes an index but none is given");
    if (prop.stored && !prop.stored->Supports(kBooleanType)) {
      fail(prop.name, "stored accessor is not Boolean");
    }
  }
  for (const MethodEntry& method : meta.methods) {
    if (method.name.empty() || !method.code) fail(method.name, "bad published method");
  }
}

}  // namespace metadata_detail
