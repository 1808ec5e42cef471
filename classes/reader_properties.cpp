// TReader: property records, declared values, property values by kind, handler
// binding, collections and variants.
#include "classes/collection.h"
#include "classes/component.h"
#include "classes/ident_maps.h"
#include "classes/metadata.h"
#include "classes/reader.h"
#include "classes/reader_fixups.h"
#include "classes/reader_nesting.h"
#include "classes/streams.h"
#include "runtime/exception.h"
#include "runtime/messages.h"
#include "runtime/scope_exit.h"

namespace {

// The name a failing property record is reported under.
std::string InstanceName(TPersistent* instance) {
  if (auto* component = dynamic_cast<TComponent*>(instance)) {
    if (!component->Name().empty()) return component->Name();
  }
  return std::string(instance->ClassName());
}

bool IsIntegerTag(TValueType tag) { return tag == svInt8 || tag == svInt16 || tag == svInt32; }

}  // namespace

void TReader::ReadPropertyEntry(TPersistent* instance) {
  const std::string path = ReadShortString();
  canHandleExceptions_ = true;
  try {
    TPersistent* current = instance;
    size_t start = 0;
    for (size_t dot; (dot = path.find('.', start)) != std::string::npos; start = dot + 1) {
      propName_.assign(path, start, dot - start);
      const PropertyRecord* prop = FindProperty(current->Meta(), propName_);
      if (prop == nullptr) PropertyError(propName_);
      TPersistent* next = nullptr;
      if (prop->type->kind == pkClass) {
        next = dynamic_cast<TPersistent*>(FetchObject(*current, *prop));
      }
      if (next == nullptr) {
        SkipOneValue();
        throw EReadError(msg::kInvalidPropertyPath, {});
      }
      current = next;
    }
    propName_.assign(path, start, std::string::npos);
    if (const PropertyRecord* prop = FindProperty(current->Meta(), propName_)) {
      propPending_ = false;
      ReadPropertyValue(current, *prop);
    } else {
      propPending_ = true;
      canHandleExceptions_ = false;
      current->DeclareExtraProperties(*this);
      canHandleExceptions_ = true;
      // Checked by flag, not by an empty name: a path ending in "." has an empty
      // last segment, and its value must still be skipped.
      if (propPending_) {
        propPending_ = false;
        PropertyError(propName_);
      }
    }
  } catch (const Exception& e) {
    propPending_ = false;
    EReadError wrapped(msg::kErrorReading, {InstanceName(instance), ".", path, e.Message()});
    if (canHandleExceptions_ && Error(wrapped.Message())) return;
    throw wrapped;
  }
}

void TReader::DefineValue(std::string_view name, const TReaderProc& readProc,
                          const TWriterProc& /*writeProc*/, bool /*hasData*/) {
  if (!propPending_ || !readProc || !SameIdent(name, propName_)) return;
  readProc(*this);
  propName_.clear();
  propPending_ = false;
}

void TReader::DefineBlob(std::string_view name, const TStreamProc& readProc,
                         const TStreamProc& /*writeProc*/, bool /*hasData*/) {
  if (!propPending_ || !readProc || !SameIdent(name, propName_)) return;
  if (NextValue() != svBinary) {
    SkipOneValue();
    canHandleExceptions_ = true;
    PropValueError();
  }
  ReadValue();
  const int32_t size = ReadLength(1);
  TMemoryStream block;
  block.SetSize(size);
  // The one copy of the block: straight from the source into the memory stream.
  if (size > 0) Read(block.Memory(), size);
  canHandleExceptions_ = true;
  readProc(block);
  propName_.clear();
  propPending_ = false;
}

void TReader::AddFixup(TPersistent* instance, const PropertyRecord& prop, bool isInterface) {
  auto fixup = std::make_unique<TPropFixup>();
  fixup->instance = instance;
  fixup->prop = &prop;
  fixup->name = ReadIdentifier();
  fixup->root = root_;
  fixup->isInterface = isInterface;
  if (fixups_ != nullptr) {
    fixups_->push_back(std::move(fixup));
  } else {
    // Read outside a component's data: nothing else will come, resolve at once.
    TFixupList single;
    single.push_back(std::move(fixup));
    ResolveLocalReferences(*this, single);
  }
}

void TReader::ReadPropertyValue(TPersistent* instance, const PropertyRecord& prop) {
  CheckWritable(instance, prop);
  const TypeDescriptor& type = *prop.type;
  switch (type.kind) {
    case pkInteger:
      ReadIntegerProperty(instance, prop);
      break;
    case pkChar:
      StoreOrdinal(*instance, prop, static_cast<uint8_t>(ReadChar()));
      break;
    case pkEnumeration: {
      const int32_t value = EnumOrdinalOf(type, ReadIdentifier());
      // An unknown name gives -1; no ordinal outside the type may reach the property.
      if (value < type.minValue || value > type.maxValue) PropValueError();
      StoreOrdinal(*instance, prop, value);
      break;
    }
    case pkFloat:
      StoreFloat(*instance, prop, ReadFloat());
      break;
    case pkShortString:
    case pkLongString:
      StoreString(*instance, prop, ReadString());
      break;
    case pkSet:
      if (type.elementType == nullptr) PropValueError();
      StoreOrdinal(*instance, prop, static_cast<int32_t>(ReadSet(*type.elementType)));
      break;
    case pkClass:
      ReadClassProperty(instance, prop);
      break;
    case pkMethod:
      ReadMethodProperty(instance, prop);
      break;
    case pkWideChar:
      StoreOrdinal(*instance, prop, static_cast<uint16_t>(ReadWideChar()));
      break;
    case pkWideString:
      StoreWideString(*instance, prop, ReadWideString());
      break;
    case pkVariant:
      StoreVariant(*instance, prop, ReadVariant());
      break;
    case pkInterface:
      if (NextValue() == svNil) {
        ReadValue();
        StoreInterface(*instance, prop, nullptr);
      } else {
        AddFixup(instance, prop, true);
      }
      break;
    case pkInt64:
      StoreInt64(*instance, prop, ReadInt64());
      break;
    default:
      SkipOneValue();
      PropValueError();
  }
}

// A property without a setter is read only when it holds a sub-component, whose own
// properties the value sets.
void TReader::CheckWritable(TPersistent* instance, const PropertyRecord& prop) {
  if (prop.setterKind != akNone) return;
  if (prop.type->kind == pkClass) {
    auto* value = dynamic_cast<TComponent*>(FetchObject(*instance, prop));
    if (value != nullptr && value->HasStyle(sySubComponent)) return;
  }
  throw EReadError(msg::kPropertyReadOnly, {});
}

// A number, or an identifier the type's name map turns into one.
void TReader::ReadIntegerProperty(TPersistent* instance, const PropertyRecord& prop) {
  if (NextValue() != svIdent) {
    StoreOrdinal(*instance, prop, ReadInteger());
    return;
  }
  ReadValue();
  const std::string ident = ReadShortString();
  const TIdentToInt toValue = FindIdentToValue(prop.type);
  int32_t value = 0;
  if (toValue == nullptr || !toValue(ident, value)) PropValueError();
  StoreOrdinal(*instance, prop, value);
}

// nil, the items of the collection the property holds, or a reference resolved later.
void TReader::ReadClassProperty(TPersistent* instance, const PropertyRecord& prop) {
  const TValueType tag = NextValue();
  if (tag == svNil) {
    ReadValue();
    StoreObject(*instance, prop, nullptr);
  } else if (tag == svCollection) {
    auto* collection = dynamic_cast<TCollection*>(FetchObject(*instance, prop));
    if (collection == nullptr) {
      SkipOneValue();  // keeps the stream in step for a handled error
      PropValueError();
    }
    ReadValue();
    ReadCollection(*collection);
  } else {
    AddFixup(instance, prop, false);
  }
}

// nil, or a handler of the root found by name; a name nobody supplies leaves it unset.
void TReader::ReadMethodProperty(TPersistent* instance, const PropertyRecord& prop) {
  if (NextValue() == svNil) {
    ReadValue();
    StoreMethod(*instance, prop, TMethodValue{});
    return;
  }
  const TMethodValue method = FindMethodInstance(root_, ReadIdentifier());
  if (method.code != nullptr) StoreMethod(*instance, prop, method);
}

TMethodValue TReader::FindMethodInstance(TComponent* root, const std::string& name) {
  if (FindMethodInstanceHook) {
    const MethodEntry* entry = root ? FindPublishedMethod(root->Meta(), name) : nullptr;
    TMethodValue method;
    if (entry != nullptr) method = {root, entry->code};
    bool error = entry == nullptr;
    FindMethodInstanceHook(*this, name, method, error);
    if (!error) return method;
  }
  return {root, FindMethod(root, name)};
}

const MethodCode* TReader::FindMethod(TComponent* root, const std::string& name) {
  const MethodEntry* entry = root ? FindPublishedMethod(root->Meta(), name) : nullptr;
  const MethodCode* code = entry ? entry->code : nullptr;
  bool error = code == nullptr;
  if (FindMethodHook) FindMethodHook(*this, name, code, error);
  if (error) PropValueError();
  return code;
}

void TReader::ReadCollection(TCollection& collection) {
  TReaderNesting nest(*this);
  collection.BeginUpdate();
  ScopeExit endUpdate([&collection] { collection.EndUpdate(); });
  if (!EndOfList()) collection.Clear();
  while (!EndOfList()) {
    if (IsIntegerTag(NextValue())) ReadInteger();  // the order value is not used
    TPersistent* item = collection.AddItem();
    ReadListBegin();
    while (!EndOfList()) ReadPropertyEntry(item);
    ReadListEnd();
  }
  ReadListEnd();
  endUpdate.Run();
}

TVariant TReader::ReadVariant() {
  switch (NextValue()) {
    case svNil:
      ReadValue();
      return std::monostate{};
    case svNull:
      ReadValue();
      return TVariantNull{};
    case svInt8:
      return static_cast<int8_t>(ReadInteger());
    case svInt16:
      return static_cast<int16_t>(ReadInteger());
    case svInt32:
      return ReadInteger();
    case svExtended:
    case svDouble:
      return static_cast<double>(ReadFloat());
    case svSingle:
      return static_cast<double>(ReadSingle());
    case svCurrency:
      return TVariantCurrency{ReadCurrency()};
    case svDate:
      return TVariantDate{ReadDate()};
    case svString:
    case svLString:
      return ReadString();
    case svWString:
    case svUTF8String:
      return ReadWideString();
    case svFalse:
    case svTrue:
      return ReadBoolean();
    case svInt64:
      return ReadInt64();
    default:
      // svBinary would name a custom variant type; none is registered in this
      // system. The value is skipped so that a handled error can go on reading.
      SkipOneValue();
      throw EReadError(msg::kStreamReadError, {});
  }
}
