#include "classes/metadata.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "classes/component.h"
#include "classes/metadata_builder.h"
#include "classes/persistent.h"
#include "classes/standard_types.h"
#include "platform/win32.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/text.h"

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

// --- typed access -------------------------------------------------------------------

namespace {

bool IsOrdinalKind(TPropertyKind kind) {
  return kind == pkInteger || kind == pkChar || kind == pkEnumeration || kind == pkSet ||
         kind == pkWideChar;
}

// A read-only property has no setter to call; writing to it is refused rather than
// ignored so that a caller that skipped the check learns of it.
const PropertyAccessor& Setter(const PropertyRecord& prop) {
  if (!prop.setter) throw EReadError(msg::kPropertyReadOnly, {});
  return *prop.setter;
}

[[noreturn]] void InvalidValue() { throw EReadError(msg::kInvalidPropertyValue, {}); }

// Rounds half to even into a 64-bit integer; values it cannot hold are refused.
int64_t RoundToInt64(long double value) {
  long double rounded = std::nearbyintl(value);
  // 2^63 is exact in long double; anything at or above it (or NaN) does not fit.
  constexpr long double kLimit = 9223372036854775808.0L;
  if (!(rounded >= -kLimit && rounded < kLimit)) InvalidValue();
  return static_cast<int64_t>(rounded);
}

}  // namespace

int32_t FetchOrdinal(const TObject& instance, const PropertyRecord& prop) {
  if (prop.type->kind == pkClass) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(FetchObject(instance, prop)));
  }
  if (!IsOrdinalKind(prop.type->kind)) return 0;
  return prop.getter->GetOrdinal(instance, prop);
}

void StoreOrdinal(TObject& instance, const PropertyRecord& prop, int32_t value) {
  if (prop.type->kind == pkClass) {
    if (value == 0) {
      StoreObject(instance, prop, nullptr);
      return;
    }
#if INTPTR_MAX == INT32_MAX
    StoreObject(instance, prop, reinterpret_cast<TObject*>(static_cast<intptr_t>(value)));
    return;
#else
    throw std::logic_error("StoreOrdinal cannot carry an object reference here; use StoreObject");
#endif
  }
  if (!IsOrdinalKind(prop.type->kind)) return;
  Setter(prop).SetOrdinal(instance, prop, value);
}

TObject* FetchObject(const TObject& instance, const PropertyRecord& prop) {
  if (prop.type->kind != pkClass) return nullptr;
  return prop.getter->GetObjectValue(instance, prop);
}

void StoreObject(TObject& instance, const PropertyRecord& prop, TObject* value) {
  if (prop.type->kind != pkClass) return;
  Setter(prop).SetObjectValue(instance, prop, value);
}

std::string FetchString(const TObject& instance, const PropertyRecord& prop) {
  switch (prop.type->kind) {
    case pkShortString:
    case pkLongString:
      return prop.getter->GetString(instance, prop);
    case pkWideString:
      return WideToAnsi(prop.getter->GetWideString(instance, prop));
    default:
      return {};
  }
}

void StoreString(TObject& instance, const PropertyRecord& prop, const std::string& value) {
  switch (prop.type->kind) {
    case pkShortString: {
      size_t length = std::min<size_t>(value.size(), 255);
      length = std::min<size_t>(length, prop.type->maxLength);
      Setter(prop).SetString(instance, prop, value.substr(0, length));
      break;
    }
    case pkLongString:
      Setter(prop).SetString(instance, prop, value);
      break;
    case pkWideString:
      StoreWideString(instance, prop, AnsiToWide(value));
      break;
    default:
      break;
  }
}

std::u16string FetchWideString(const TObject& instance, const PropertyRecord& prop) {
  switch (prop.type->kind) {
    case pkShortString:
    case pkLongString:
      return AnsiToWide(prop.getter->GetString(instance, prop));
    case pkWideString:
      return prop.getter->GetWideString(instance, prop);
    default:
      return {};
  }
}

void StoreWideString(TObject& instance, const PropertyRecord& prop, const std::u16string& value) {
  switch (prop.type->kind) {
    case pkShortString:
    case pkLongString:
      StoreString(instance, prop, WideToAnsi(value));
      break;
    case pkWideString:
      Setter(prop).SetWideString(instance, prop, value);
      break;
    default:
      break;
  }
}

long double FetchFloat(const TObject& instance, const PropertyRecord& prop) {
  if (prop.type->kind != pkFloat) return 0;
  FloatRepr repr = prop.getter->GetFloat(instance, prop);
  switch (prop.type->floatKind) {
    case fkSingle:
      return repr.single;
    case fkDouble:
      return repr.dbl;
    case fkExtended:
      return repr.extended.ToLongDouble();
    case fkComp:
      return static_cast<long double>(repr.scaled);
    case fkCurrency:
      return static_cast<long double>(repr.scaled) / 10000.0L;
  }
  return 0;
}

void StoreFloat(TObject& instance, const PropertyRecord& prop, long double value) {
  if (prop.type->kind != pkFloat) return;
  FloatRepr repr;
  repr.kind = prop.type->floatKind;
  switch (repr.kind) {
    case fkSingle:
      repr.single = static_cast<float>(value);
      break;
    case fkDouble:
      repr.dbl = static_cast<double>(value);
      break;
    case fkExtended:
      repr.extended = Extended80::FromLongDouble(value);
      break;
    case fkComp:
      repr.scaled = RoundToInt64(value);
      break;
    case fkCurrency:
      repr.scaled = RoundToInt64(value * 10000.0L);
      break;
  }
  Setter(prop).SetFloat(instance, prop, repr);
}

void StoreFloat(TObject& instance, const PropertyRecord& prop, const Extended80& value) {
  StoreFloat(instance, prop, value.ToLongDouble());
}

int64_t FetchInt64(const TObject& instance, const PropertyRecord& prop) {
  if (prop.type->kind != pkInt64) return 0;
  return prop.getter->GetInt64(instance, prop);
}

void StoreInt64(TObject& instance, const PropertyRecord& prop, int64_t value) {
  if (prop.type->kind != pkInt64) return;
  Setter(prop).SetInt64(instance, prop, value);
}

TMethodValue FetchMethod(const TObject& instance, const PropertyRecord& prop) {
  if (prop.type->kind != pkMethod) return {};
  return prop.getter->GetMethod(instance, prop);
}

void StoreMethod(TObject& instance, const PropertyRecord& prop, const TMethodValue& value) {
  if (prop.type->kind != pkMethod) return;
  // A handler with other parameters would be called with the wrong arguments.
  if (value.code && value.code->Signature() != prop.type->methodSignature) InvalidValue();
  Setter(prop).SetMethod(instance, prop, value);
}

TVariant FetchVariant(const TObject& instance, const PropertyRecord& prop) {
  if (prop.type->kind != pkVariant) return {};
  return prop.getter->GetVariant(instance, prop);
}

void StoreVariant(TObject& instance, const PropertyRecord& prop, const TVariant& value) {
  if (prop.type->kind != pkVariant) return;
  Setter(prop).SetVariant(instance, prop, value);
}

void* FetchInterface(const TObject& instance, const PropertyRecord& prop) {
  if (prop.type->kind != pkInterface) return nullptr;
  return prop.getter->GetInterface(instance, prop);
}

void StoreInterface(TObject& instance, const PropertyRecord& prop, void* value) {
  if (prop.type->kind != pkInterface) return;
  Setter(prop).SetInterface(instance, prop, value);
}

bool IsStoredProperty(const TObject& instance, const PropertyRecord& prop) {
  switch (prop.storedKind) {
    case skTrue:
      return true;
    case skFalse:
      return false;
    default:
      return prop.stored->GetBool(instance, prop);
  }
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

// --- table helpers ------------------------------------------------------------------

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
