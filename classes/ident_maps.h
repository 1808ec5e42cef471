#pragma once
// Identifier maps: named integer constants per property type, so that a stored
// definition can say "clBlack" or "crHandPoint" where an integer is expected.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

struct TypeDescriptor;

struct TIdentMapEntry {
  int32_t value;
  const char* name;
};

using TIdentMap = std::span<const TIdentMapEntry>;

// Identifier -> value; false when the identifier is unknown.
using TIdentToInt = bool (*)(std::string_view ident, int32_t& value);
// Value -> identifier; false when the value has no name.
using TIntToIdent = bool (*)(int32_t value, std::string& ident);

// Appends a registration to the process-wide list (kept for the life of the process).
void RegisterIdentMap(const TypeDescriptor* type, TIdentToInt toValue, TIntToIdent toIdent);

// The identifier-to-value function of the newest registration for exactly this
// type (compared by identity), or nullptr.
TIdentToInt FindIdentToValue(const TypeDescriptor* type);
// The value-to-identifier counterpart, for writers and dumps.
TIntToIdent FindValueToIdent(const TypeDescriptor* type);

// First entry, in table order, whose name equals `ident` ignoring ASCII case.
bool IdentToValue(std::string_view ident, int32_t& value, TIdentMap map);
// First entry, in table order, with that value.
bool ValueToIdent(int32_t value, std::string& ident, TIdentMap map);

extern const TIdentMap ColorIdentMap;    // 52 entries
extern const TIdentMap CharsetIdentMap;  // 18 entries
extern const TIdentMap CursorIdentMap;   // 22 entries

// Ready-made conversion functions over the three maps, for RegisterIdentMap.
bool IdentToColor(std::string_view ident, int32_t& value);
bool ColorToIdent(int32_t value, std::string& ident);
bool IdentToCharset(std::string_view ident, int32_t& value);
bool CharsetToIdent(int32_t value, std::string& ident);
bool IdentToCursor(std::string_view ident, int32_t& value);
bool CursorToIdent(int32_t value, std::string& ident);
