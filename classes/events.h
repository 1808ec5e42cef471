#pragma once
// Method values: an instance plus the code of one of its class's member functions.
// Events hold them; the published method table produces them by name. Two method
// values are equal when both the instance and the code are.
//
//   TNotifyEvent onClick = TNotifyEvent::Bind<&TForm1::Label1Click>(form);
//   onClick(sender);  // does nothing while unset
#include <type_traits>
#include <utility>

#include "classes/object.h"

// Identity of a parameter list; its address tells signatures apart at run time.
template <class... Args>
inline constexpr char kMethodSignatureTag = 0;

template <class... Args>
constexpr const void* MethodSignatureOf() {
  return &kMethodSignatureTag<Args...>;
}

// The code half of a method value, with the identity of its parameter list.
class MethodCode {
 public:
  constexpr explicit MethodCode(const void* signature) : signature_(signature) {}
  const void* Signature() const { return signature_; }

 private:
  const void* signature_;
};

template <class... Args>
class TypedMethodCode : public MethodCode {
 public:
  using Thunk = void (*)(TObject&, Args...);
  constexpr explicit TypedMethodCode(Thunk thunk)
      : MethodCode(MethodSignatureOf<Args...>()), thunk_(thunk) {}
  void Invoke(TObject& instance, Args... args) const {
    thunk_(instance, std::forward<Args>(args)...);
  }

 private:
  Thunk thunk_;
};

template <class Fn>
struct MemberFunctionTraits;
template <class C, class... Args>
struct MemberFunctionTraits<void (C::*)(Args...)> {
  using Class = C;
  using Code = TypedMethodCode<Args...>;
  template <auto Fn>
  static void Thunk(TObject& instance, Args... args) {
    (static_cast<C&>(instance).*Fn)(std::forward<Args>(args)...);
  }
};

// One code object per member function, so that binding the same function twice,
// by name or in code, yields equal method values.
template <auto Fn>
inline constexpr typename MemberFunctionTraits<decltype(Fn)>::Code kMethodCode{
    &MemberFunctionTraits<decltype(Fn)>::template Thunk<Fn>};

// A method value of any signature, as property access passes it around.
struct TMethodValue {
  TObject* instance = nullptr;
  const MethodCode* code = nullptr;

  bool IsNull() const { return instance == nullptr && code == nullptr; }
  friend bool operator==(const TMethodValue&, const TMethodValue&) = default;
};

template <class... Args>
class TMethod {
 public:
  TMethod() = default;

  // Binds member function `Fn` (void (C::*)(Args...)) to `instance`.
  template <auto Fn, class C>
  static TMethod Bind(C* instance) {
    using Traits = MemberFunctionTraits<decltype(Fn)>;
    static_assert(std::is_same_v<typename Traits::Code, TypedMethodCode<Args...>>,
                  "member function does not have the event's parameters");
    static_assert(std::is_base_of_v<typename Traits::Class, C>);
    TMethod method;
    method.instance_ = static_cast<typename Traits::Class*>(instance);
    method.code_ = &kMethodCode<Fn>;
    return method;
  }

  // From an untyped value; a value whose code has other parameters gives the null
  // method (callers check Accepts() first when they must report it).
  static TMethod FromValue(const TMethodValue& value) {
    TMethod method;
    if (Accepts(value)) {
      method.instance_ = value.instance;
      method.code_ = static_cast<const TypedMethodCode<Args...>*>(value.code);
    }
    return method;
  }
  static bool Accepts(const TMethodValue& value) {
    return value.code == nullptr || value.code->Signature() == Signature();
  }
  static const void* Signature() { return MethodSignatureOf<Args...>(); }

  TMethodValue Value() const { return {instance_, code_}; }
  TObject* Instance() const { return instance_; }
  const MethodCode* Code() const { return code_; }
  bool IsAssigned() const { return instance_ != nullptr && code_ != nullptr; }
  explicit operator bool() const { return IsAssigned(); }

  // Calls the handler; an unset event does nothing.
  void operator()(Args... args) const {
    if (IsAssigned()) code_->Invoke(*instance_, std::forward<Args>(args)...);
  }

  friend bool operator==(const TMethod&, const TMethod&) = default;

 private:
  TObject* instance_ = nullptr;
  const TypedMethodCode<Args...>* code_ = nullptr;
};

template <class T>
inline constexpr bool kIsMethodType = false;
template <class... Args>
inline constexpr bool kIsMethodType<TMethod<Args...>> = true;

// Event shapes. More (TCloseEvent, TMouseEvent, ...) are declared by the layers
// whose types they carry, the same way.
using TNotifyEvent = TMethod<TObject*>;  // (Sender)
