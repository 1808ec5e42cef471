#pragma once
// The accessors the class-table builder makes: a field, a getter or a setter (the
// access kinds), wrapped in a TypedAccessor that offers the channels its value
// type can carry and refuses the others.
#include <concepts>
#include <cstring>
#include <functional>
#include <string>
#include <type_traits>

#include "classes/accessor_values.h"
#include "classes/metadata.h"

namespace metadata_detail {

template <class C, class M>
struct FieldAccess {
  using Value = M;
  static constexpr bool kIsField = true;
  M C::*member;
  TAccessKind Kind() const { return akField; }
  M Read(const TObject& o, const PropertyRecord&) const { return static_cast<const C&>(o).*member; }
  void Write(TObject& o, const PropertyRecord&, const M& v) const {
    static_cast<C&>(o).*member = v;
  }
  void* Address(TObject& o) const { return &(static_cast<C&>(o).*member); }
  const void* Address(const TObject& o) const { return &(static_cast<const C&>(o).*member); }
};

template <class C, class F>
struct GetterAccess {
  static constexpr bool kIndexed = std::is_invocable_v<F, C&, int32_t>;
  using Value =
      std::decay_t<typename std::conditional_t<kIndexed, std::invoke_result<F, C&, int32_t>,
                                               std::invoke_result<F, C&>>::type>;
  static constexpr bool kIsField = false;
  F fn;
  TAccessKind kind;
  TAccessKind Kind() const { return kind; }
  Value Read(const TObject& o, const PropertyRecord& prop) const {
    C& self = const_cast<C&>(static_cast<const C&>(o));
    if constexpr (kIndexed) {
      return std::invoke(fn, self, prop.index);
    } else {
      return std::invoke(fn, self);
    }
  }
};

template <class F>
struct SetterTraits;
template <class C, class P>
struct SetterTraits<void (C::*)(P)> {
  using Value = std::decay_t<P>;
  static constexpr bool kIndexed = false;
};
template <class C, class P>
struct SetterTraits<void (C::*)(int32_t, P)> {
  using Value = std::decay_t<P>;
  static constexpr bool kIndexed = true;
};

template <class C, class F>
struct SetterAccess {
  using Value = typename SetterTraits<F>::Value;
  static constexpr bool kIndexed = SetterTraits<F>::kIndexed;
  static constexpr bool kIsField = false;
  F fn;
  TAccessKind kind;
  TAccessKind Kind() const { return kind; }
  void Write(TObject& o, const PropertyRecord& prop, const Value& v) const {
    if constexpr (kIndexed) {
      (static_cast<C&>(o).*fn)(prop.index, v);
    } else {
      (static_cast<C&>(o).*fn)(v);
    }
  }
};

// One getter or setter over an access kind; unsupported channels fall back to the
// base class's logic_error.
template <class A>
class TypedAccessor final : public PropertyAccessor {
 public:
  using V = typename A::Value;
  static constexpr bool kCanRead = requires(const A& a, const TObject& o, const PropertyRecord& p) {
    a.Read(o, p);
  };
  static constexpr bool kCanWrite =
      requires(const A& a, TObject& o, const PropertyRecord& p, const V& v) {
    a.Write(o, p, v);
  };

  explicit TypedAccessor(A access) : PropertyAccessor(access.Kind()), access_(access) {}

  bool Supports(const TypeDescriptor& type) const override {
    return ValueSupports<V>(type, A::kIsField);
  }
  bool TakesIndex() const override {
    if constexpr (requires { A::kIndexed; }) return A::kIndexed;
    return false;
  }

  int32_t GetOrdinal(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && kOrdinalValue<V>) {
      if constexpr (A::kIsField) {
        uint32_t raw = 0;
        std::memcpy(&raw, access_.Address(o), OrdinalStorageSize(p.type->storage));
        return WidenOrdinal(raw, p.type->storage);
      } else {
        return WidenOrdinal(ValueToRaw(access_.Read(o, p)), p.type->storage);
      }
    }
    return PropertyAccessor::GetOrdinal(o, p);
  }
  void SetOrdinal(TObject& o, const PropertyRecord& p, int32_t value) const override {
    if constexpr (kCanWrite && kOrdinalValue<V>) {
      if constexpr (A::kIsField && !std::is_same_v<V, bool>) {
        // The storage width decides what is kept, as a byte or word store would.
        uint32_t raw = static_cast<uint32_t>(value);
        std::memcpy(access_.Address(o), &raw, OrdinalStorageSize(p.type->storage));
      } else {
        access_.Write(o, p, OrdinalToValue<V>(value));
      }
      return;
    }
    PropertyAccessor::SetOrdinal(o, p, value);
  }
  TObject* GetObjectValue(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && kObjectValue<V>) {
      return const_cast<TObject*>(static_cast<const TObject*>(access_.Read(o, p)));
    }
    return PropertyAccessor::GetObjectValue(o, p);
  }
  void SetObjectValue(TObject& o, const PropertyRecord& p, TObject* value) const override {
    if constexpr (kCanWrite && kObjectValue<V>) {
      access_.Write(o, p, ObjectToValue<V>(value, *p.type));
      return;
    }
    PropertyAccessor::SetObjectValue(o, p, value);
  }
  std::string GetString(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && std::is_same_v<V, std::string>) return access_.Read(o, p);
    return PropertyAccessor::GetString(o, p);
  }
  void SetString(TObject& o, const PropertyRecord& p, const std::string& v) const override {
    if constexpr (kCanWrite && std::is_same_v<V, std::string>) {
      access_.Write(o, p, v);
      return;
    }
    PropertyAccessor::SetString(o, p, v);
  }
  std::u16string GetWideString(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && std::is_same_v<V, std::u16string>) return access_.Read(o, p);
    return PropertyAccessor::GetWideString(o, p);
  }
  void SetWideString(TObject& o, const PropertyRecord& p, const std::u16string& v) const override {
    if constexpr (kCanWrite && std::is_same_v<V, std::u16string>) {
      access_.Write(o, p, v);
      return;
    }
    PropertyAccessor::SetWideString(o, p, v);
  }
  FloatRepr GetFloat(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && (kFloatValue<V> || std::is_same_v<V, int64_t>)) {
      return ValueToFloat<V>(access_.Read(o, p), p.type->floatKind);
    }
    return PropertyAccessor::GetFloat(o, p);
  }
  void SetFloat(TObject& o, const PropertyRecord& p, const FloatRepr& v) const override {
    if constexpr (kCanWrite && (kFloatValue<V> || std::is_same_v<V, int64_t>)) {
      access_.Write(o, p, FloatToValue<V>(v));
      return;
    }
    PropertyAccessor::SetFloat(o, p, v);
  }
  int64_t GetInt64(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && kInt64Value<V>) return static_cast<int64_t>(access_.Read(o, p));
    return PropertyAccessor::GetInt64(o, p);
  }
  void SetInt64(TObject& o, const PropertyRecord& p, int64_t v) const override {
    if constexpr (kCanWrite && kInt64Value<V>) {
      access_.Write(o, p, static_cast<V>(v));
      return;
    }
    PropertyAccessor::SetInt64(o, p, v);
  }
  TMethodValue GetMethod(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && kIsMethodType<V>) return access_.Read(o, p).Value();
    return PropertyAccessor::GetMethod(o, p);
  }
  void SetMethod(TObject& o, const PropertyRecord& p, const TMethodValue& v) const override {
    if constexpr (kCanWrite && kIsMethodType<V>) {
      access_.Write(o, p, V::FromValue(v));
      return;
    }
    PropertyAccessor::SetMethod(o, p, v);
  }
  TVariant GetVariant(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && std::is_same_v<V, TVariant>) return access_.Read(o, p);
    return PropertyAccessor::GetVariant(o, p);
  }
  void SetVariant(TObject& o, const PropertyRecord& p, const TVariant& v) const override {
    if constexpr (kCanWrite && std::is_same_v<V, TVariant>) {
      access_.Write(o, p, v);
      return;
    }
    PropertyAccessor::SetVariant(o, p, v);
  }
  void* GetInterface(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && std::is_same_v<V, void*>) return access_.Read(o, p);
    return PropertyAccessor::GetInterface(o, p);
  }
  void SetInterface(TObject& o, const PropertyRecord& p, void* v) const override {
    if constexpr (kCanWrite && std::is_same_v<V, void*>) {
      access_.Write(o, p, v);
      return;
    }
    PropertyAccessor::SetInterface(o, p, v);
  }
  bool GetBool(const TObject& o, const PropertyRecord& p) const override {
    if constexpr (kCanRead && std::is_same_v<V, bool>) return access_.Read(o, p);
    return PropertyAccessor::GetBool(o, p);
  }

 private:
  A access_;
};

}  // namespace metadata_detail
