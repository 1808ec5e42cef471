#pragma once
// Descriptors of the basic property types every layer uses. Each is one object:
// identity matters (identifier maps are registered per descriptor).
#include "classes/metadata.h"

extern const TypeDescriptor kIntegerType;   // pkInteger, signed 32
extern const TypeDescriptor kCardinalType;  // pkInteger, unsigned 32
extern const TypeDescriptor kSmallIntType;  // pkInteger, signed 16
extern const TypeDescriptor kWordType;      // pkInteger, unsigned 16
extern const TypeDescriptor kShortIntType;  // pkInteger, signed 8
extern const TypeDescriptor kByteType;      // pkInteger, unsigned 8
extern const TypeDescriptor kBooleanType;   // pkEnumeration "False", "True"
extern const TypeDescriptor kCharType;      // pkChar
extern const TypeDescriptor kWideCharType;  // pkWideChar
extern const TypeDescriptor kStringType;    // pkLongString
extern const TypeDescriptor kWideStringType;
extern const TypeDescriptor kInt64Type;
extern const TypeDescriptor kSingleType;
extern const TypeDescriptor kDoubleType;
extern const TypeDescriptor kExtendedType;
extern const TypeDescriptor kCompType;
extern const TypeDescriptor kCurrencyType;
extern const TypeDescriptor kVariantType;
extern const TypeDescriptor kTNotifyEventType;  // (Sender: TObject)
