// Published metadata itself: the stored float form, the accessor base's refusals,
// class ancestry, identifier comparison, the lookups by name and the names of
// enumeration and set elements. Reading and writing property values through the
// accessors is in property_access.cpp; the class-table builder's helpers are in
// metadata_builder.cpp.
#include "classes/metadata.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "classes/component.h"
#include "classes/persistent.h"
#include "platform/win32.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the x87 80-bit format");

int32_t WidenOrdinal(uint32_t raw, TOrdinalStorage storage) {
  switch (storage) {
    case osSByte:
      return static_cast<int8_t>(raw);
    case osUByte:
      return static_cast<uint8_t>(raw);
    case osSWord:
      return static_cast<int16_t>(raw);
    case osUWord:
      return static_cast<uint16_t>(raw);
    case osSLong:
    case osULong:
      break;
  }
  return static_cast<int32_t>(raw);
}

// On x86 the first ten bytes of a long double are exactly the stored form.
Extended80 Extended80::FromLongDouble(long double value) {
  Extended80 result;
  std::memcpy(result.bytes, &value, sizeof result.bytes);
  return result;
}

long double Extended80::ToLongDouble() const {
  long double value = 0;
  std::memcpy(&value, bytes, sizeof bytes);
  return value;
}

// --- accessor defaults: a channel the accessor's type cannot carry ---------------

namespace {
[[noreturn]] void Unsupported(const PropertyRecord& prop) {
  throw std::logic_error("property " + std::string(prop.name) +
                         " has no accessor for this kind of value");
}
}  // namespace

int32_t PropertyAccessor::GetOrdinal(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetOrdinal(TObject&, const PropertyRecord& p, int32_t) const {
  Unsupported(p);
}
TObject* PropertyAccessor::GetObjectValue(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetObjectValue(TObject&, const PropertyRecord& p, TObject*) const {
  Unsupported(p);
}
std::string PropertyAccessor::GetString(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetString(TObject&, const PropertyRecord& p, const std::string&) const {
  Unsupported(p);
}
std::u16string PropertyAccessor::GetWideString(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetWideString(TObject&, const PropertyRecord& p,
                                     const std::u16string&) const {
  Unsupported(p);
}
FloatRepr PropertyAccessor::GetFloat(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetFloat(TObject&, const PropertyRecord& p, const FloatRepr&) const {
  Unsupported(p);
}
int64_t PropertyAccessor::GetInt64(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetInt64(TObject&, const PropertyRecord& p, int64_t) const {
  Unsupported(p);
}
TMethodValue PropertyAccessor::GetMethod(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetMethod(TObject&, const PropertyRecord& p, const TMethodValue&) const {
  Unsupported(p);
}
TVariant PropertyAccessor::GetVariant(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetVariant(TObject&, const PropertyRecord& p, const TVariant&) const {
  Unsupported(p);
}
void* PropertyAccessor::GetInterface(const TObject&, const PropertyRecord& p) const {
  Unsupported(p);
}
void PropertyAccessor::SetInterface(TObject&, const PropertyRecord& p, void*) const {
  Unsupported(p);
}
bool PropertyAccessor::GetBool(const TObject&, const PropertyRecord& p) const { Unsupported(p); }

// --- classes ----------------------------------------------------------------------

bool ClassMetadata::InheritsFrom(const ClassMetadata& other) const {
  for (const ClassMetadata* c = this; c; c = c->parent) {
    if (c == &other) return true;
  }
  return false;
}

bool ClassMetadata::IsComponentClass() const { return InheritsFrom(TComponent::StaticMeta()); }

// --- names ------------------------------------------------------------------------

bool SameIdent(std::string_view a, std::string_view b) {
  if (a.empty() || a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (((a[i] ^ b[i]) & ~0x20) != 0) return false;
  }
  return true;
}

bool SameClassName(std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.data(),
                        static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

// --- lookups ----------------------------------------------------------------------

const PropertyRecord* FindProperty(const ClassMetadata& cls, std::string_view name) {
  for (const ClassMetadata* c = &cls; c; c = c->parent) {
    for (const PropertyRecord& prop : c->properties) {
      if (SameIdent(prop.name, name)) return &prop;
    }
  }
  return nullptr;
}

const MethodEntry* FindPublishedMethod(const ClassMetadata& cls, std::string_view name) {
  for (const ClassMetadata* c = &cls; c; c = c->parent) {
    for (const MethodEntry& method : c->methods) {
      if (SameIdent(method.name, name)) return &method;
    }
  }
  return nullptr;
}

TMethodValue BindPublishedMethod(TObject& instance, std::string_view name) {
  const MethodEntry* method = FindPublishedMethod(instance.Meta(), name);
  if (!method) return {};
  return {&instance, method->code};
}

PublishedFieldRef FindPublishedField(TObject& instance, std::string_view name) {
  for (const ClassMetadata* c = &instance.Meta(); c; c = c->parent) {
    for (const FieldEntry& field : c->fields) {
      if (SameIdent(field.name, name)) return {&instance, &field};
    }
  }
  return {};
}

const ClassMetadata* FindFieldClass(const ClassMetadata& cls, std::string_view className) {
  const ClassMetadata* stop = &TPersistent::StaticMeta();
  for (const ClassMetadata* c = &cls; c && c != stop; c = c->parent) {
    for (auto fieldClass : c->fieldClasses) {
      const ClassMetadata& candidate = fieldClass();
      if (SameClassName(candidate.name, className)) return &candidate;
    }
  }
  return nullptr;
}

// --- enumerations and sets ----------------------------------------------------------

namespace {

int32_t ParseInteger(std::string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) throw EConvertError(msg::kInvalidInteger, {text});
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') throw EConvertError(msg::kInvalidInteger, {text});
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) throw EConvertError(msg::kInvalidInteger, {text});
  }
  if (negative) value = -value;
  if (value > INT32_MAX) throw EConvertError(msg::kInvalidInteger, {text});
  return static_cast<int32_t>(value);
}

}  // namespace

int32_t EnumNameIndex(const TypeDescriptor& type, std::string_view ident) {
  const TypeDescriptor& base = type.BaseEnum();
  int32_t last = std::min<int32_t>(type.maxValue, static_cast<int32_t>(base.names.size()) - 1);
  for (int32_t ordinal = 0; ordinal <= last; ++ordinal) {
    if (SameIdent(base.names[ordinal], ident)) return ordinal;
  }
  return -1;
}

std::string_view EnumName(const TypeDescriptor& type, int32_t ordinal) {
  const TypeDescriptor& base = type.BaseEnum();
  if (ordinal < 0 || ordinal >= static_cast<int32_t>(base.names.size())) return {};
  return base.names[ordinal];
}

int32_t EnumOrdinalOf(const TypeDescriptor& type, std::string_view ident) {
  if (type.kind == pkInteger) return ParseInteger(ident);
  if (type.minValue >= 0) return EnumNameIndex(type, ident);
  if (SameIdent(ident, "False")) return 0;
  if (SameIdent(ident, "True")) return -1;
  return ParseInteger(ident);
}

namespace {

// A stored element number relative to the type's minimum. The difference may not fit
// 32 bits; held at the nearest limit it stays outside every set (and is never -1).
int32_t NumberedElementOrdinal(const TypeDescriptor& elementType, std::string_view number) {
  const int64_t ordinal = int64_t{ParseInteger(number)} - elementType.minValue;
  return static_cast<int32_t>(std::clamp<int64_t>(ordinal, INT32_MIN, INT32_MAX));
}

}  // namespace

int32_t SetElementOrdinal(const TypeDescriptor& elementType, std::string_view ident) {
  switch (elementType.kind) {
    case pkInteger:
      return NumberedElementOrdinal(elementType, ident);
    case pkChar:
    case pkWideChar:
      if (ident.empty()) return -1;
      return NumberedElementOrdinal(elementType, ident.substr(1));
    case pkEnumeration:
      return EnumOrdinalOf(elementType, ident);
    default:
      return -1;
  }
}
