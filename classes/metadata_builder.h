#pragma once
// Helpers that build a class's metadata next to the class, in its .cpp:
//
//   const ClassMetadata& TLabel::StaticMeta() {
//     static const ClassMetadata meta =
//         ClassBuilder<TLabel>("TLabel", &TGraphicControl::StaticMeta(), "controls")
//             .Constructor()
//             .Property("Caption", kCaptionType, ByMethod(&TLabel::GetCaption),
//                       ByMethod(&TLabel::SetCaption))
//             .StoredBy(ByMethod(&TLabel::IsCaptionStored))
//             .Property("ParentFont", kBooleanType, ByField(&TLabel::parentFont_),
//                       ByMethod(&TLabel::SetParentFont))
//             .Default(1)
//             .Build();
//     return meta;
//   }
//
// Accessors: ByField (the field itself; ordinal fields are written with the type's
// storage width), ByMethod (a member function; the setter's behaviour runs) and
// ByVirtual (the same, recorded as a virtual method). A getter/setter member
// function may take the property's index as an extra first int32_t argument.
#include <concepts>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "classes/metadata.h"

class TComponent;

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

// --- access kinds -------------------------------------------------------------

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

// What the public ByField/ByMethod/ByVirtual produce: a recipe for one accessor,
// finished by the builder once it knows whether it is a getter or a setter.
template <class M>
struct FieldRecipe {
  M member;
};
template <class F>
struct MethodRecipe {
  F fn;
  TAccessKind kind;
};
struct NoSetter {};

template <class T>
struct FieldMemberTraits;
template <class C, class F>
struct FieldMemberTraits<F * C::*> {
  using Class = C;
  using Field = F;
};

template <auto Member>
TObject* PublishedFieldGet(const TObject& o) {
  using Traits = FieldMemberTraits<decltype(Member)>;
  return static_cast<const typename Traits::Class&>(o).*Member;
}
[[noreturn]] void ThrowFieldAssignError(const TObject* value, const ClassMetadata& fieldClass);
template <auto Member>
void PublishedFieldSet(TObject& o, TObject* value) {
  using Traits = FieldMemberTraits<decltype(Member)>;
  using F = typename Traits::Field;
  F* typed = nullptr;
  if (value) {
    typed = dynamic_cast<F*>(value);
    if (!typed) ThrowFieldAssignError(value, F::StaticMeta());
  }
  static_cast<typename Traits::Class&>(o).*Member = typed;
}

// Checks a finished table; raises std::logic_error naming the class and member.
void ValidateMetadata(const ClassMetadata& meta);
void AddFieldClass(ClassMetadata& meta, FieldEntry& entry);

}  // namespace metadata_detail

template <class C, class M>
constexpr metadata_detail::FieldRecipe<M C::*> ByField(M C::*member) {
  return {member};
}
template <class F>
constexpr metadata_detail::MethodRecipe<F> ByMethod(F fn) {
  return {fn, akStaticMethod};
}
template <class F>
constexpr metadata_detail::MethodRecipe<F> ByVirtual(F fn) {
  return {fn, akVirtualMethod};
}

template <class C>
class ClassBuilder {
 public:
  ClassBuilder(std::string_view name, const ClassMetadata* parent, std::string_view moduleName) {
    meta_.name = name;
    meta_.parent = parent;
    meta_.moduleName = moduleName;
  }

  // A published property; `setter` omitted for a read-only one.
  template <class G, class S = metadata_detail::NoSetter>
  ClassBuilder& Property(std::string_view name, const TypeDescriptor& type, G getter,
                         S setter = {}) {
    PropertyRecord prop;
    prop.name = name;
    prop.type = &type;
    prop.getter = MakeGetter(getter);
    prop.getterKind = prop.getter->Kind();
    if constexpr (!std::is_same_v<S, metadata_detail::NoSetter>) {
      prop.setter = MakeSetter(setter);
      prop.setterKind = prop.setter->Kind();
    }
    meta_.properties.push_back(std::move(prop));
    return *this;
  }
  // Modifiers of the property added last.
  ClassBuilder& Index(int32_t index) {
    Last().hasIndex = true;
    Last().index = index;
    return *this;
  }
  ClassBuilder& Default(int32_t value) {
    Last().hasDefault = true;
    Last().defaultValue = value;
    return *this;
  }
  ClassBuilder& NotStored() {
    Last().storedKind = skFalse;
    return *this;
  }
  // Stored when a Boolean field or method says so.
  template <class R>
  ClassBuilder& StoredBy(R recipe) {
    Last().stored = MakeGetter(recipe);
    TAccessKind kind = Last().stored->Kind();
    Last().storedKind = kind == akField           ? skField
                        : kind == akVirtualMethod ? skVirtualMethod
                                                  : skStaticMethod;
    return *this;
  }

  // A published field `TClass* C::*Member`; its class joins the field class table.
  template <auto Member>
  ClassBuilder& Field(std::string_view name) {
    using Traits = metadata_detail::FieldMemberTraits<decltype(Member)>;
    static_assert(std::is_base_of_v<typename Traits::Class, C>, "field of another class");
    static_assert(std::is_base_of_v<TObject, typename Traits::Field>);
    FieldEntry entry;
    entry.name = name;
    entry.fieldClass = &Traits::Field::StaticMeta;
    entry.get = &metadata_detail::PublishedFieldGet<Member>;
    entry.set = &metadata_detail::PublishedFieldSet<Member>;
    metadata_detail::AddFieldClass(meta_, entry);
    meta_.fields.push_back(entry);
    return *this;
  }
  // A published method `void (C::*Fn)(Args...)`.
  template <auto Fn>
  ClassBuilder& Method(std::string_view name) {
    static_assert(std::is_base_of_v<typename MemberFunctionTraits<decltype(Fn)>::Class, C>,
                  "method of another class");
    meta_.methods.push_back(MethodEntry{name, &kMethodCode<Fn>});
    return *this;
  }
  // The virtual constructor: `new C(owner)`.
  ClassBuilder& Constructor() {
    meta_.constructor = [](TComponent* owner) -> TComponent* { return new C(owner); };
    return *this;
  }
  ClassBuilder& Messages(const MessageTable* table) {
    meta_.messages = table;
    return *this;
  }

  ClassMetadata Build() {
    metadata_detail::ValidateMetadata(meta_);
    return std::move(meta_);
  }

 private:
  PropertyRecord& Last() {
    if (meta_.properties.empty()) throw std::logic_error("property modifier before Property");
    return meta_.properties.back();
  }
  template <class M>
  static std::shared_ptr<const PropertyAccessor> MakeGetter(
      metadata_detail::FieldRecipe<M> recipe) {
    return MakeField(recipe.member);
  }
  template <class M>
  static std::shared_ptr<const PropertyAccessor> MakeSetter(
      metadata_detail::FieldRecipe<M> recipe) {
    return MakeField(recipe.member);
  }
  template <class C2, class M>
  static std::shared_ptr<const PropertyAccessor> MakeField(M C2::*member) {
    static_assert(std::is_base_of_v<C2, C>, "field of another class");
    using A = metadata_detail::FieldAccess<C2, M>;
    return std::make_shared<metadata_detail::TypedAccessor<A>>(A{member});
  }
  template <class F>
  static std::shared_ptr<const PropertyAccessor> MakeGetter(
      metadata_detail::MethodRecipe<F> recipe) {
    using A = metadata_detail::GetterAccess<C, F>;
    return std::make_shared<metadata_detail::TypedAccessor<A>>(A{recipe.fn, recipe.kind});
  }
  template <class F>
  static std::shared_ptr<const PropertyAccessor> MakeSetter(
      metadata_detail::MethodRecipe<F> recipe) {
    using A = metadata_detail::SetterAccess<C, F>;
    return std::make_shared<metadata_detail::TypedAccessor<A>>(A{recipe.fn, recipe.kind});
  }

  ClassMetadata meta_;
};
