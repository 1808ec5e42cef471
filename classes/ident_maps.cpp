#include "classes/ident_maps.h"

#include <mutex>
#include <vector>

namespace {

struct TIntConst {
  const TypeDescriptor* type;
  TIdentToInt toValue;
  TIntToIdent toIdent;
};

// Registrations may be searched from any thread.
std::mutex& IntConstLock() {
  static std::mutex lock;
  return lock;
}

std::vector<TIntConst>& IntConsts() {
  static std::vector<TIntConst> list;
  return list;
}

bool SameIdent(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 0x20;
    if (y >= 'a' && y <= 'z') y -= 0x20;
    if (x != y) return false;
  }
  return true;
}

constexpr TIdentMapEntry kColors[] = {
    {0x00000000, "clBlack"},
    {0x00000080, "clMaroon"},
    {0x00008000, "clGreen"},
    {0x00008080, "clOlive"},
    {0x00800000, "clNavy"},
    {0x00800080, "clPurple"},
    {0x00808000, "clTeal"},
    {0x00808080, "clGray"},
    {0x00C0C0C0, "clSilver"},
    {0x000000FF, "clRed"},
    {0x0000FF00, "clLime"},
    {0x0000FFFF, "clYellow"},
    {0x00FF0000, "clBlue"},
    {0x00FF00FF, "clFuchsia"},
    {0x00FFFF00, "clAqua"},
    {0x00FFFFFF, "clWhite"},
    {0x00C0DCC0, "clMoneyGreen"},
    {0x00F0CAA6, "clSkyBlue"},
    {0x00F0FBFF, "clCream"},
    {0x00A4A0A0, "clMedGray"},
    {-16777206, "clActiveBorder"},
    {-16777214, "clActiveCaption"},
    {-16777204, "clAppWorkSpace"},
    {-16777215, "clBackground"},
    {-16777201, "clBtnFace"},
    {-16777196, "clBtnHighlight"},
    {-16777200, "clBtnShadow"},
    {-16777198, "clBtnText"},
    {-16777207, "clCaptionText"},
    {0x20000000, "clDefault"},
    {-16777189, "clGradientActiveCaption"},
    {-16777188, "clGradientInactiveCaption"},
    {-16777199, "clGrayText"},
    {-16777203, "clHighlight"},
    {-16777202, "clHighlightText"},
    {-16777190, "clHotLight"},
    {-16777205, "clInactiveBorder"},
    {-16777213, "clInactiveCaption"},
    {-16777197, "clInactiveCaptionText"},
    {-16777192, "clInfoBk"},
    {-16777193, "clInfoText"},
    {-16777212, "clMenu"},
    {-16777186, "clMenuBar"},
    {-16777187, "clMenuHighlight"},
    {-16777209, "clMenuText"},
    {0x1FFFFFFF, "clNone"},
    {-16777216, "clScrollBar"},
    {-16777195, "cl3DDkShadow"},
    {-16777194, "cl3DLight"},
    {-16777211, "clWindow"},
    {-16777210, "clWindowFrame"},
    {-16777208, "clWindowText"},
};

constexpr TIdentMapEntry kCharsets[] = {
    {0, "ANSI_CHARSET"},     {1, "DEFAULT_CHARSET"},      {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},     {128, "SHIFTJIS_CHARSET"},   {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},  {134, "GB2312_CHARSET"},     {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},  {162, "TURKISH_CHARSET"},    {177, "HEBREW_CHARSET"},
    {178, "ARABIC_CHARSET"}, {186, "BALTIC_CHARSET"},     {204, "RUSSIAN_CHARSET"},
    {222, "THAI_CHARSET"},   {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"},
};

constexpr TIdentMapEntry kCursors[] = {
    {0, "crDefault"},   {-2, "crArrow"},      {-3, "crCross"},      {-4, "crIBeam"},
    {-6, "crSizeNESW"}, {-7, "crSizeNS"},     {-8, "crSizeNWSE"},   {-9, "crSizeWE"},
    {-10, "crUpArrow"}, {-11, "crHourGlass"}, {-12, "crDrag"},      {-13, "crNoDrop"},
    {-14, "crHSplit"},  {-15, "crVSplit"},    {-16, "crMultiDrag"}, {-17, "crSQLWait"},
    {-18, "crNo"},      {-19, "crAppStart"},  {-20, "crHelp"},      {-21, "crHandPoint"},
    {-22, "crSizeAll"}, {-22, "crSize"},
};

}  // namespace

const TIdentMap ColorIdentMap{kColors};
const TIdentMap CharsetIdentMap{kCharsets};
const TIdentMap CursorIdentMap{kCursors};

void RegisterIdentMap(const TypeDescriptor* type, TIdentToInt toValue, TIntToIdent toIdent) {
  std::lock_guard guard(IntConstLock());
  IntConsts().push_back({type, toValue, toIdent});
}

TIdentToInt FindIdentToValue(const TypeDescriptor* type) {
  std::lock_guard guard(IntConstLock());
  const auto& list = IntConsts();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->type == type) return it->toValue;
  }
  return nullptr;
}

TIntToIdent FindValueToIdent(const TypeDescriptor* type) {
  std::lock_guard guard(IntConstLock());
  const auto& list = IntConsts();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (it->type == type) return it->toIdent;
  }
  return nullptr;
}

bool IdentToValue(std::string_view ident, int32_t& value, TIdentMap map) {
  for (const TIdentMapEntry& entry : map) {
    if (SameIdent(entry.name, ident)) {
      value = entry.value;
      return true;
    }
  }
  return false;
}

bool ValueToIdent(int32_t value, std::string& ident, TIdentMap map) {
  for (const TIdentMapEntry& entry : map) {
    if (entry.value == value) {
      ident = entry.name;
      return true;
    }
  }
  return false;
}

bool IdentToColor(std::string_view ident, int32_t& value) {
  return IdentToValue(ident, value, ColorIdentMap);
}
bool ColorToIdent(int32_t value, std::string& ident) {
  return ValueToIdent(value, ident, ColorIdentMap);
}
bool IdentToCharset(std::string_view ident, int32_t& value) {
  return IdentToValue(ident, value, CharsetIdentMap);
}
bool CharsetToIdent(int32_t value, std::string& ident) {
  return ValueToIdent(value, ident, CharsetIdentMap);
}
bool IdentToCursor(std::string_view ident, int32_t& value) {
  return IdentToValue(ident, value, CursorIdentMap);
}
bool CursorToIdent(int32_t value, std::string& ident) {
  return ValueToIdent(value, ident, CursorIdentMap);
}
