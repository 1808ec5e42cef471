#pragma once
// Published metadata: one immutable ClassMetadata per streamable class, with its
// published properties (typed accessors), fields and methods, plus the operations
// the reader uses to set properties by name. Tables are built next to each class
// with the helpers of classes/metadata_builder.h; standard property types live in
// classes/standard_types.h.
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "classes/events.h"
#include "classes/object.h"
#include "classes/variant.h"

class TComponent;
struct ClassMetadata;
// Message handler table of a class; defined by the layer that dispatches messages.
struct MessageTable;

enum TPropertyKind : uint8_t {
  pkUnknown,
  pkInteger,
  pkChar,
  pkEnumeration,
  pkFloat,
  pkShortString,
  pkSet,
  pkClass,
  pkMethod,
  pkWideChar,
  pkLongString,
  pkWideString,
  pkVariant,
  pkInterface,
  pkInt64,
};

// How an ordinal value is held in memory.
enum TOrdinalStorage : uint8_t { osSByte, osUByte, osSWord, osUWord, osSLong, osULong };

enum TFloatKind : uint8_t { fkSingle, fkDouble, fkExtended, fkComp, fkCurrency };

// Size in bytes of an ordinal storage (1, 2 or 4).
constexpr int OrdinalStorageSize(TOrdinalStorage storage) {
  return storage <= osUByte ? 1 : storage <= osUWord ? 2 : 4;
}
// Widens the low bits of `raw` as the storage says: signed 8/16 sign-extended,
// unsigned 8/16 zero-extended, 32-bit values as they are.
int32_t WidenOrdinal(uint32_t raw, TOrdinalStorage storage);

// The 80-bit extended float exactly as a stream stores it (64-bit mantissa with an
// explicit integer bit, 15-bit exponent, sign; little-endian).
struct Extended80 {
  uint8_t bytes[10] = {};

  static Extended80 FromLongDouble(long double value);
  long double ToLongDouble() const;
  friend bool operator==(const Extended80& a, const Extended80& b) {
    return std::memcmp(a.bytes, b.bytes, sizeof a.bytes) == 0;
  }
};

// A float in the representation of its float kind, as accessors receive it.
struct FloatRepr {
  TFloatKind kind = fkExtended;
  float single = 0;
  double dbl = 0;
  Extended80 extended;
  int64_t scaled = 0;  // comp: the integer; currency: value * 10000
};

struct TGuid {
  uint32_t d1 = 0;
  uint16_t d2 = 0, d3 = 0;
  uint8_t d4[8] = {};
  friend bool operator==(const TGuid&, const TGuid&) = default;
};

// One parameter of an event type, for information.
struct MethodParam {
  std::string_view name;
  std::string_view typeName;
};

// Type information of a property type. Descriptors are compared by identity
// (identifier maps are registered per descriptor), so each type has exactly one,
// usually a constinit global next to the type.
struct TypeDescriptor {
  TPropertyKind kind = pkUnknown;
  std::string_view name;
  // pkInteger, pkChar, pkWideChar, pkEnumeration; for pkSet the width of the set.
  TOrdinalStorage storage = osSLong;
  int32_t minValue = 0;
  int32_t maxValue = 0;
  // pkEnumeration: the base enumeration (none: this type is its own base) and, on
  // the base, the value names in ordinal order.
  const TypeDescriptor* baseType = nullptr;
  std::span<const std::string_view> names;
  TFloatKind floatKind = fkExtended;              // pkFloat
  uint8_t maxLength = 255;                        // pkShortString
  const TypeDescriptor* elementType = nullptr;    // pkSet
  const ClassMetadata& (*classMeta)() = nullptr;  // pkClass
  const void* methodSignature = nullptr;          // pkMethod (see events.h)
  std::span<const MethodParam> params;            // pkMethod
  TGuid guid;                                     // pkInterface

  const TypeDescriptor& BaseEnum() const { return baseType ? *baseType : *this; }
};

// --- descriptor factories (constexpr, for constinit globals) ---------------------

constexpr TypeDescriptor IntegerType(std::string_view name, TOrdinalStorage storage,
                                     int32_t minValue, int32_t maxValue) {
  TypeDescriptor t;
  t.kind = pkInteger;
  t.name = name;
  t.storage = storage;
  t.minValue = minValue;
  t.maxValue = maxValue;
  return t;
}
constexpr TypeDescriptor CharType(std::string_view name) {
  TypeDescriptor t = IntegerType(name, osUByte, 0, 255);
  t.kind = pkChar;
  return t;
}
constexpr TypeDescriptor WideCharType(std::string_view name) {
  TypeDescriptor t = IntegerType(name, osUWord, 0, 65535);
  t.kind = pkWideChar;
  return t;
}
// A base enumeration with values 0..names.size()-1.
constexpr TypeDescriptor EnumType(std::string_view name, std::span<const std::string_view> names,
                                  TOrdinalStorage storage = osUByte) {
  TypeDescriptor t = IntegerType(name, storage, 0, static_cast<int32_t>(names.size()) - 1);
  t.kind = pkEnumeration;
  t.names = names;
  return t;
}
// A sub-range of `base` (or a Boolean-like type with a negative minimum).
constexpr TypeDescriptor EnumSubrangeType(std::string_view name, const TypeDescriptor& base,
                                          TOrdinalStorage storage, int32_t minValue,
                                          int32_t maxValue) {
  TypeDescriptor t = IntegerType(name, storage, minValue, maxValue);
  t.kind = pkEnumeration;
  t.baseType = &base;
  return t;
}
constexpr TypeDescriptor SetType(std::string_view name, const TypeDescriptor& element,
                                 TOrdinalStorage storage) {
  TypeDescriptor t;
  t.kind = pkSet;
  t.name = name;
  t.storage = storage;
  t.elementType = &element;
  return t;
}
constexpr TypeDescriptor FloatType(std::string_view name, TFloatKind kind) {
  TypeDescriptor t;
  t.kind = pkFloat;
  t.name = name;
  t.floatKind = kind;
  return t;
}
constexpr TypeDescriptor ShortStringType(std::string_view name, uint8_t maxLength) {
  TypeDescriptor t;
  t.kind = pkShortString;
  t.name = name;
  t.maxLength = maxLength;
  return t;
}
constexpr TypeDescriptor SimpleType(TPropertyKind kind, std::string_view name) {
  TypeDescriptor t;
  t.kind = kind;
  t.name = name;
  return t;
}
constexpr TypeDescriptor ClassType(std::string_view name, const ClassMetadata& (*meta)()) {
  TypeDescriptor t;
  t.kind = pkClass;
  t.name = name;
  t.classMeta = meta;
  return t;
}
// An event type whose handlers take `Args...` (e.g. MethodType<TObject*> for TNotifyEvent).
template <class... Args>
constexpr TypeDescriptor MethodType(std::string_view name, std::span<const MethodParam> params) {
  TypeDescriptor t;
  t.kind = pkMethod;
  t.name = name;
  t.methodSignature = MethodSignatureOf<Args...>();
  t.params = params;
  return t;
}
constexpr TypeDescriptor InterfaceType(std::string_view name, TGuid guid) {
  TypeDescriptor t;
  t.kind = pkInterface;
  t.name = name;
  t.guid = guid;
  return t;
}

// --- property records ---------------------------------------------------------

enum TAccessKind : uint8_t { akNone, akField, akStaticMethod, akVirtualMethod };
enum TStoredKind : uint8_t { skTrue, skFalse, skField, skStaticMethod, skVirtualMethod };

struct PropertyRecord;

// A getter or setter of one property. The builder makes typed ones; each supports
// the value channels its C++ type allows and raises std::logic_error for others
// (the builder rejects such combinations when the table is built).
class PropertyAccessor {
 public:
  explicit PropertyAccessor(TAccessKind kind) : kind_(kind) {}
  virtual ~PropertyAccessor() = default;
  TAccessKind Kind() const { return kind_; }

  // True when the accessor can carry values of this property type.
  virtual bool Supports(const TypeDescriptor& type) const = 0;
  // True for a method that takes the property's index as its first argument.
  virtual bool TakesIndex() const { return false; }

  virtual int32_t GetOrdinal(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetOrdinal(TObject& instance, const PropertyRecord& prop, int32_t value) const;
  virtual TObject* GetObjectValue(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetObjectValue(TObject& instance, const PropertyRecord& prop, TObject* value) const;
  virtual std::string GetString(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetString(TObject& instance, const PropertyRecord& prop,
                         const std::string& value) const;
  virtual std::u16string GetWideString(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetWideString(TObject& instance, const PropertyRecord& prop,
                             const std::u16string& value) const;
  virtual FloatRepr GetFloat(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetFloat(TObject& instance, const PropertyRecord& prop,
                        const FloatRepr& value) const;
  virtual int64_t GetInt64(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetInt64(TObject& instance, const PropertyRecord& prop, int64_t value) const;
  virtual TMethodValue GetMethod(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetMethod(TObject& instance, const PropertyRecord& prop,
                         const TMethodValue& value) const;
  virtual TVariant GetVariant(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetVariant(TObject& instance, const PropertyRecord& prop,
                          const TVariant& value) const;
  virtual void* GetInterface(const TObject& instance, const PropertyRecord& prop) const;
  virtual void SetInterface(TObject& instance, const PropertyRecord& prop, void* value) const;
  // For "stored" accessors (a Boolean field or method).
  virtual bool GetBool(const TObject& instance, const PropertyRecord& prop) const;

 private:
  TAccessKind kind_;
};

struct PropertyRecord {
  std::string_view name;  // at most 255 characters
  const TypeDescriptor* type = nullptr;
  TAccessKind getterKind = akNone;
  TAccessKind setterKind = akNone;  // akNone: read-only
  TStoredKind storedKind = skTrue;
  bool hasIndex = false;
  int32_t index = 0;  // passed first to accessor methods when present
  bool hasDefault = false;
  int32_t defaultValue = 0;  // consulted only when writing
  std::shared_ptr<const PropertyAccessor> getter;
  std::shared_ptr<const PropertyAccessor> setter;
  std::shared_ptr<const PropertyAccessor> stored;  // skField / sk*Method
};

// A published field: a reference to a component that the owner binds by name.
struct FieldEntry {
  std::string_view name;
  const ClassMetadata& (*fieldClass)() = nullptr;
  int classIndex = 0;  // into the field class table
  TObject* (*get)(const TObject& instance) = nullptr;
  // Stores `value` (which must be null or of the field class) into the field.
  void (*set)(TObject& instance, TObject* value) = nullptr;
};

// A published method: a member function that becomes a method value when bound.
struct MethodEntry {
  std::string_view name;
  const MethodCode* code = nullptr;
};

// Creates an instance of exactly one class with the given owner.
using TComponentConstructor = TComponent* (*)(TComponent* owner);

struct ClassMetadata {
  ClassMetadata() = default;
  ClassMetadata(const ClassMetadata&) = delete;
  ClassMetadata& operator=(const ClassMetadata&) = delete;
  ClassMetadata(ClassMetadata&&) = default;

  std::string_view name;
  const ClassMetadata* parent = nullptr;
  std::string_view moduleName;
  std::vector<PropertyRecord> properties;                // own ones, in declaration order
  std::vector<FieldEntry> fields;                        // in declaration order
  std::vector<const ClassMetadata& (*)()> fieldClasses;  // distinct, first-use order
  std::vector<MethodEntry> methods;                      // in table order
  TComponentConstructor constructor = nullptr;
  const MessageTable* messages = nullptr;

  std::string_view ClassName() const { return name; }
  bool InheritsFrom(const ClassMetadata& other) const;
  // True for TComponent and its descendants.
  bool IsComponentClass() const;
  // Constructs an instance of this class with `owner`. `initialState` flags are
  // set before the constructor body of TComponent runs (e.g. stLoading). Raises
  // EClassNotFound ("Class %s not found") when the class has no constructor.
  TComponent* Construct(TComponent* owner, uint16_t initialState = 0) const;
};

// --- name comparison ------------------------------------------------------------

// Equal lengths, and each byte pair equal or differing only in bit 0x20. The empty
// name matches nothing.
bool SameIdent(std::string_view a, std::string_view b);
// Class names: CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE) == CSTR_EQUAL.
bool SameClassName(std::string_view a, std::string_view b);

// --- lookups --------------------------------------------------------------------

// Own properties first, then the parent's, up the chain; first match wins.
const PropertyRecord* FindProperty(const ClassMetadata& cls, std::string_view name);
const MethodEntry* FindPublishedMethod(const ClassMetadata& cls, std::string_view name);
// The method value (method of `instance`'s class chain, instance), or the null value.
TMethodValue BindPublishedMethod(TObject& instance, std::string_view name);

// The location of a published field inside one instance.
struct PublishedFieldRef {
  TObject* instance = nullptr;
  const FieldEntry* entry = nullptr;

  explicit operator bool() const { return entry != nullptr; }
  TObject* Get() const { return entry->get(*instance); }
  // Raises EConvertError ("Cannot assign a %s to a %s") when `value` is not of the
  // field's class; the field is then unchanged.
  void Set(TObject* value) const { entry->set(*instance, value); }
};
PublishedFieldRef FindPublishedField(TObject& instance, std::string_view name);

// Field class lookup: from `cls` up to, but not including, TPersistent, each class's
// field class table in order; class names compared as SameClassName.
const ClassMetadata* FindFieldClass(const ClassMetadata& cls, std::string_view className);

// --- typed access (no range checks: the reader validates what it reads) ----------

// pkInteger, pkChar, pkEnumeration, pkSet, pkWideChar; pkClass gives the object
// reference (exact on the 32-bit product; use FetchObject for class properties).
int32_t FetchOrdinal(const TObject& instance, const PropertyRecord& prop);
// Same kinds; a field is written with the storage width, truncating (300 -> 44 in an
// 8-bit field). For pkClass use StoreObject (StoreOrdinal(…, 0) clears the reference).
void StoreOrdinal(TObject& instance, const PropertyRecord& prop, int32_t value);
TObject* FetchObject(const TObject& instance, const PropertyRecord& prop);
// Raises EConvertError ("Cannot assign a %s to a %s") when `value` is not an instance
// of the property's class.
void StoreObject(TObject& instance, const PropertyRecord& prop, TObject* value);

std::string FetchString(const TObject& instance, const PropertyRecord& prop);
// pkShortString: cut to 255, then to the maximum length; pkLongString: as is;
// pkWideString: converted from ANSI; other kinds: nothing.
void StoreString(TObject& instance, const PropertyRecord& prop, const std::string& value);
std::u16string FetchWideString(const TObject& instance, const PropertyRecord& prop);
void StoreWideString(TObject& instance, const PropertyRecord& prop, const std::u16string& value);

long double FetchFloat(const TObject& instance, const PropertyRecord& prop);
// Converts to the property's float kind (comp and currency rounded half to even).
// A value that comp or currency cannot hold raises EReadError "Invalid property value".
void StoreFloat(TObject& instance, const PropertyRecord& prop, long double value);
void StoreFloat(TObject& instance, const PropertyRecord& prop, const Extended80& value);

int64_t FetchInt64(const TObject& instance, const PropertyRecord& prop);
void StoreInt64(TObject& instance, const PropertyRecord& prop, int64_t value);

TMethodValue FetchMethod(const TObject& instance, const PropertyRecord& prop);
// The null value clears the event. A method whose parameters differ from the event
// type's raises EReadError "Invalid property value" (it could not be called safely).
void StoreMethod(TObject& instance, const PropertyRecord& prop, const TMethodValue& value);

TVariant FetchVariant(const TObject& instance, const PropertyRecord& prop);
void StoreVariant(TObject& instance, const PropertyRecord& prop, const TVariant& value);
void* FetchInterface(const TObject& instance, const PropertyRecord& prop);
void StoreInterface(TObject& instance, const PropertyRecord& prop, void* value);

// Whether a writer stores the property (true / false / Boolean field / method).
bool IsStoredProperty(const TObject& instance, const PropertyRecord& prop);

// --- enumerations and sets ------------------------------------------------------

// pkInteger: the identifier parsed as a decimal integer; enumerations with a minimum
// >= 0: EnumNameIndex; a negative minimum: "False" 0, "True" -1, else an integer.
// A text that is not an integer raises EConvertError "'%s' is not a valid integer value".
int32_t EnumOrdinalOf(const TypeDescriptor& type, std::string_view ident);
// The first ordinal 0..type.maxValue of the base enumeration whose name matches, or -1.
int32_t EnumNameIndex(const TypeDescriptor& type, std::string_view ident);
// The name of `ordinal` in the base enumeration, or empty when out of range.
std::string_view EnumName(const TypeDescriptor& type, int32_t ordinal);
// Bit number of a set element; -1 for a name that is no element. Elements stored as
// numbers may give any other value; only 0..31 are set bits.
int32_t SetElementOrdinal(const TypeDescriptor& elementType, std::string_view ident);
