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
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "classes/metadata.h"
#include "classes/typed_accessor.h"

class TComponent;

namespace metadata_detail {

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
