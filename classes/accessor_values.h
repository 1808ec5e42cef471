#pragma once
// Which property types a C++ value type can carry, and the conversions between a
// value of that type and the channels a PropertyAccessor speaks (ordinals, float
// forms, object pointers). Used by the typed accessors of typed_accessor.h.
#include <cstdint>
#include <string>
#include <type_traits>

#include "classes/metadata.h"

namespace metadata_detail {

// Value channels a C++ type can carry.
template <class V>
constexpr bool kOrdinalValue = (std::is_integral_v<V> || std::is_enum_v<V>)&&sizeof(V) <= 4;
template <class V>
constexpr bool kInt64Value = std::is_same_v<V, int64_t> || std::is_same_v<V, uint64_t>;
template <class V>
constexpr bool kObjectValue =
    std::is_pointer_v<V>&& std::is_base_of_v<TObject, std::remove_cv_t<std::remove_pointer_t<V>>>;
template <class V>
constexpr bool kFloatValue = std::is_same_v<V, float> || std::is_same_v<V, double> ||
                             std::is_same_v<V, long double> || std::is_same_v<V, Extended80>;

template <class V>
bool ValueSupports(const TypeDescriptor& type, bool isField) {
  switch (type.kind) {
    case pkInteger:
    case pkChar:
    case pkEnumeration:
    case pkSet:
    case pkWideChar:
      if constexpr (kOrdinalValue<V>) {
        return !isField || static_cast<int>(sizeof(V)) >= OrdinalStorageSize(type.storage);
      }
      return false;
    case pkClass:
      return kObjectValue<V>;
    case pkShortString:
    case pkLongString:
      return std::is_same_v<V, std::string>;
    case pkWideString:
      return std::is_same_v<V, std::u16string>;
    case pkFloat:
      switch (type.floatKind) {
        case fkSingle:
          return std::is_same_v<V, float>;
        case fkDouble:
          return std::is_same_v<V, double>;
        case fkExtended:
          return std::is_same_v<V, long double> || std::is_same_v<V, Extended80>;
        case fkComp:
        case fkCurrency:
          return std::is_same_v<V, int64_t>;
      }
      return false;
    case pkInt64:
      return kInt64Value<V>;
    case pkMethod:
      if constexpr (kIsMethodType<V>) return V::Signature() == type.methodSignature;
      return false;
    case pkVariant:
      return std::is_same_v<V, TVariant>;
    case pkInterface:
      return std::is_same_v<V, void*>;
    case pkUnknown:
      break;
  }
  return false;
}

template <class V>
V OrdinalToValue(int32_t value) {
  if constexpr (std::is_same_v<V, bool>) {
    return static_cast<uint8_t>(value) != 0;
  } else if constexpr (std::is_enum_v<V>) {
    return static_cast<V>(static_cast<std::underlying_type_t<V>>(value));
  } else {
    return static_cast<V>(value);
  }
}

template <class V>
uint32_t ValueToRaw(V value) {
  if constexpr (std::is_enum_v<V>) {
    return static_cast<uint32_t>(static_cast<std::underlying_type_t<V>>(value));
  } else {
    return static_cast<uint32_t>(value);
  }
}

template <class V>
FloatRepr ValueToFloat(const V& value, TFloatKind kind) {
  FloatRepr repr;
  repr.kind = kind;
  if constexpr (std::is_same_v<V, float>) {
    repr.single = value;
  } else if constexpr (std::is_same_v<V, double>) {
    repr.dbl = value;
  } else if constexpr (std::is_same_v<V, long double>) {
    repr.extended = Extended80::FromLongDouble(value);
  } else if constexpr (std::is_same_v<V, Extended80>) {
    repr.extended = value;
  } else if constexpr (std::is_same_v<V, int64_t>) {
    repr.scaled = value;
  }
  return repr;
}

template <class V>
V FloatToValue(const FloatRepr& repr) {
  if constexpr (std::is_same_v<V, float>) {
    return repr.single;
  } else if constexpr (std::is_same_v<V, double>) {
    return repr.dbl;
  } else if constexpr (std::is_same_v<V, long double>) {
    return repr.extended.ToLongDouble();
  } else if constexpr (std::is_same_v<V, Extended80>) {
    return repr.extended;
  } else {
    return repr.scaled;
  }
}

// Downcast for class-typed setters; raises EConvertError for a wrong class.
[[noreturn]] void ThrowAssignError(const TObject* value, const TypeDescriptor& type);
template <class V>
V ObjectToValue(TObject* value, const TypeDescriptor& type) {
  if (!value) return nullptr;
  auto* typed = dynamic_cast<V>(value);
  if (!typed) ThrowAssignError(value, type);
  return typed;
}

}  // namespace metadata_detail
