// Typed access to a published property through its record: each Fetch/Store
// converts between the caller's kind of value and the property's type, then calls
// the property's getter or setter. The reader sets every property through these.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "classes/metadata.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/text.h"

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
