#include "graphics/pen.h"

#include "classes/metadata_builder.h"
#include "classes/standard_types.h"

const PenAttributes DefaultPenAttributes = {nullptr, clBlack, 1, psSolid};

int NativePenStyle(TPenStyle style) {
  static constexpr int kStyles[] = {PS_SOLID,       PS_DASH,       PS_DOT,
                                    PS_DASHDOT,     PS_DASHDOTDOT, PS_NULL,
                                    PS_INSIDEFRAME, PS_USERSTYLE,  PS_ALTERNATE};
  return style <= psAlternate ? kStyles[style] : PS_SOLID;
}

int RasterOp2Of(TPenMode mode) {
  static constexpr int kCodes[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                   R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                   R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                   R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
  return mode <= pmNotXor ? kCodes[mode] : R2_COPYPEN;
}

TPen::TPen() {
  PenAttributes key;
  std::memcpy(&key, &DefaultPenAttributes, sizeof key);
  AttachInitialRecord(PenManager->AcquireRecord(&key));
}

TPen::~TPen() {
  // Objects that outlive the module have nothing left to give back.
  if (PenManager) PenManager->ReleaseRecord(DetachRecord());
}

template <typename Edit>
void TPen::Change(Edit edit) {
  OwnerLockGuard guard(OwnerLock());
  PenAttributes key = CurrentKey<PenAttributes>();
  key.handle = nullptr;
  edit(key);
  PenManager->ReplaceRecord(*this, &key);
}

void TPen::SetColor(TColor value) {
  Change([&](PenAttributes& k) { k.color = value; });
}

void TPen::SetWidth(int32_t value) {
  if (value < 0) return;
  Change([&](PenAttributes& k) { k.width = value; });
}

void TPen::SetStyle(TPenStyle value) {
  Change([&](PenAttributes& k) { k.style = value; });
}

void TPen::SetMode(TPenMode value) {
  // Not part of the key, but still an attribute write: it waits for the owner.
  OwnerLockGuard guard(OwnerLock());
  if (value == mode_) return;
  mode_ = value;
  NotifyChange();
}

void TPen::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TPen*>(source);
  if (!other) {
    TGraphicsObject::Assign(source);
    return;
  }
  OwnerLockGuard mine(OwnerLock());
  OwnerLockGuard theirs(other->OwnerLock());
  PenManager->AdoptRecord(*this, other->Resource());
  SetMode(other->Mode());
}

HPEN TPen::Handle() {
  SharedResource* r = Resource();
  if (!r->handle) {
    CacheLock guard(*PenManager);
    if (!r->handle) {
      const PenAttributes& a = Attr();
      LOGPEN lp = {};
      lp.lopnStyle = NativePenStyle(a.style);
      lp.lopnWidth.x = a.width;
      lp.lopnColor = ResolveColor(a.color);
      r->handle = CreatePenIndirect(&lp);
    }
  }
  return static_cast<HPEN>(r->handle);
}

namespace {
constexpr std::string_view kPenStyleNames[] = {"psSolid",       "psDash",       "psDot",
                                               "psDashDot",     "psDashDotDot", "psClear",
                                               "psInsideFrame", "psUserStyle",  "psAlternate"};
constexpr std::string_view kPenModeNames[] = {
    "pmBlack",       "pmWhite",      "pmNop",         "pmNot",        "pmCopy",  "pmNotCopy",
    "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge",
    "pmMask",        "pmNotMask",    "pmXor",         "pmNotXor"};
}  // namespace

constinit const TypeDescriptor kTPenStyleType = EnumType("TPenStyle", kPenStyleNames);
constinit const TypeDescriptor kTPenModeType = EnumType("TPenMode", kPenModeNames);
constinit const TypeDescriptor kTPenType = ClassType("TPen", &TPen::StaticMeta);

const ClassMetadata& TPen::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TPen>("TPen", &TGraphicsObject::StaticMeta(), "graphics")
          .Property("Color", kTColorType, ByMethod(&TPen::Color), ByMethod(&TPen::SetColor))
          .Default(clBlack)
          .Property("Mode", kTPenModeType, ByMethod(&TPen::Mode), ByMethod(&TPen::SetMode))
          .Default(pmCopy)
          .Property("Style", kTPenStyleType, ByMethod(&TPen::Style), ByMethod(&TPen::SetStyle))
          .Default(psSolid)
          .Property("Width", kIntegerType, ByMethod(&TPen::Width), ByMethod(&TPen::SetWidth))
          .Default(1)
          .Build();
  return meta;
}
