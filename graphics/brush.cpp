#include "graphics/brush.h"

#include "classes/metadata_builder.h"

const BrushAttributes DefaultBrushAttributes = {nullptr, clWhite, nullptr, bsSolid, false};

TBrushResourceManager::TBrushResourceManager() : TResourceManager(sizeof(BrushAttributes)) {}

void TBrushResourceManager::ReleaseExtras(SharedResource* record) {
  const auto* a = reinterpret_cast<const BrushAttributes*>(record->Key());
  if (a->ownsBitmap && a->bitmap) FreePatternBitmap(a->bitmap);
}

TBrush::TBrush() {
  BrushAttributes key;
  std::memcpy(&key, &DefaultBrushAttributes, sizeof key);
  AttachInitialRecord(BrushManager->AcquireRecord(&key));
}

TBrush::~TBrush() {
  // Objects that outlive the module have nothing left to give back.
  if (BrushManager) BrushManager->ReleaseRecord(DetachRecord());
}

template <typename Edit>
void TBrush::Change(Edit edit) {
  OwnerLockGuard guard(OwnerLock());
  BrushAttributes key = CurrentKey<BrushAttributes>();
  key.handle = nullptr;
  key.bitmap = nullptr;
  edit(key);
  BrushManager->ReplaceRecord(*this, &key);
}

void TBrush::SetColor(TColor value) {
  Change([&](BrushAttributes& k) {
    k.color = value;
    if (k.style == bsClear) k.style = bsSolid;
  });
}

void TBrush::SetStyle(TBrushStyle value) {
  Change([&](BrushAttributes& k) {
    k.style = value;
    if (value == bsClear) k.color = clWhite;
  });
}

void TBrush::SetPatternBitmap(TBitmap* bitmap) {
  OwnerLockGuard guard(OwnerLock());
  BrushAttributes key;
  std::memcpy(&key, &DefaultBrushAttributes, sizeof key);
  key.bitmap = bitmap;
  BrushManager->ReplaceRecord(*this, &key);
}

void TBrush::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TBrush*>(source);
  if (!other) {
    TGraphicsObject::Assign(source);
    return;
  }
  OwnerLockGuard mine(OwnerLock());
  OwnerLockGuard theirs(other->OwnerLock());
  BrushManager->AdoptRecord(*this, other->Resource());
}

LOGBRUSH LogBrushOf(const BrushAttributes& a) {
  LOGBRUSH lb = {};
  if (a.style == bsSolid) {
    lb.lbStyle = BS_SOLID;
  } else if (a.style == bsClear) {
    lb.lbStyle = BS_HOLLOW;
  } else {
    lb.lbStyle = BS_HATCHED;
    lb.lbHatch = a.style - 2;  // bsHorizontal is HS_HORIZONTAL (0) ... bsDiagCross HS_DIAGCROSS
  }
  lb.lbColor = ResolveColor(a.color);
  return lb;
}

HBRUSH TBrush::Handle() {
  SharedResource* r = Resource();
  if (!r->handle) {
    CacheLock guard(*BrushManager);
    if (!r->handle) {
      const BrushAttributes& a = Attr();
      LOGBRUSH lb = LogBrushOf(a);
      if (a.bitmap) {
        lb.lbStyle = BS_PATTERN;
        lb.lbHatch = reinterpret_cast<ULONG_PTR>(PatternBitmapHandle(a.bitmap));
      }
      r->handle = CreateBrushIndirect(&lb);
    }
  }
  return static_cast<HBRUSH>(r->handle);
}

namespace {
constexpr std::string_view kBrushStyleNames[] = {"bsSolid",    "bsClear",     "bsHorizontal",
                                                 "bsVertical", "bsFDiagonal", "bsBDiagonal",
                                                 "bsCross",    "bsDiagCross"};
}  // namespace

constinit const TypeDescriptor kTBrushStyleType = EnumType("TBrushStyle", kBrushStyleNames);
constinit const TypeDescriptor kTBrushType = ClassType("TBrush", &TBrush::StaticMeta);

const ClassMetadata& TBrush::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TBrush>("TBrush", &TGraphicsObject::StaticMeta(), "graphics")
          .Property("Color", kTColorType, ByMethod(&TBrush::Color), ByMethod(&TBrush::SetColor))
          .Default(clWhite)
          .Property("Style", kTBrushStyleType, ByMethod(&TBrush::Style),
                    ByMethod(&TBrush::SetStyle))
          .Default(bsSolid)
          .Build();
  return meta;
}
