#include "classes/standard_types.h"

#include <climits>

namespace {
constexpr std::string_view kBooleanNames[] = {"False", "True"};
constexpr MethodParam kNotifyParams[] = {{"Sender", "TObject"}};
}  // namespace

constinit const TypeDescriptor kIntegerType = IntegerType("Integer", osSLong, INT32_MIN, INT32_MAX);
// The unsigned 32-bit range does not fit the signed bounds; -1 stands for 4294967295.
constinit const TypeDescriptor kCardinalType = IntegerType("Cardinal", osULong, 0, -1);
constinit const TypeDescriptor kSmallIntType = IntegerType("SmallInt", osSWord, -32768, 32767);
constinit const TypeDescriptor kWordType = IntegerType("Word", osUWord, 0, 65535);
constinit const TypeDescriptor kShortIntType = IntegerType("ShortInt", osSByte, -128, 127);
constinit const TypeDescriptor kByteType = IntegerType("Byte", osUByte, 0, 255);
constinit const TypeDescriptor kBooleanType = EnumType("Boolean", kBooleanNames);
constinit const TypeDescriptor kCharType = CharType("Char");
constinit const TypeDescriptor kWideCharType = WideCharType("WideChar");
constinit const TypeDescriptor kStringType = SimpleType(pkLongString, "string");
constinit const TypeDescriptor kWideStringType = SimpleType(pkWideString, "WideString");
constinit const TypeDescriptor kInt64Type = SimpleType(pkInt64, "Int64");
constinit const TypeDescriptor kSingleType = FloatType("Single", fkSingle);
constinit const TypeDescriptor kDoubleType = FloatType("Double", fkDouble);
constinit const TypeDescriptor kExtendedType = FloatType("Extended", fkExtended);
constinit const TypeDescriptor kCompType = FloatType("Comp", fkComp);
constinit const TypeDescriptor kCurrencyType = FloatType("Currency", fkCurrency);
constinit const TypeDescriptor kVariantType = SimpleType(pkVariant, "Variant");
constinit const TypeDescriptor kTNotifyEventType =
    MethodType<TObject*>("TNotifyEvent", kNotifyParams);
