#include "graphics/graphic.h"

#include <cstring>
#include <memory>

#include "classes/filer.h"
#include "classes/metadata_builder.h"
#include "classes/streams.h"
#include "runtime/exception.h"
#include "runtime/messages.h"

std::string_view TGraphicClass::Name() const { return meta().name; }

bool TGraphicClass::InheritsFrom(const TGraphicClass& other) const {
  return meta().InheritsFrom(other.meta());
}

const ClassMetadata& TGraphic::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TGraphic>("TGraphic", &TPersistent::StaticMeta(), "graphics").Build();
  return meta;
}

const TGraphicClass& TGraphic::StaticClass() {
  static const TGraphicClass cls{&TGraphic::StaticMeta, []() -> TGraphic* { return nullptr; }};
  return cls;
}

void TGraphic::NotifyChange() {
  modified_ = true;
  OnChange(this);
}

bool SamePayloads(TGraphic* a, TGraphic* b) {
  TMemoryStream first;
  TMemoryStream second;
  a->WritePayload(first);
  b->WritePayload(second);
  return first.Size() == second.Size() &&
         std::memcmp(first.Memory(), second.Memory(), static_cast<size_t>(first.Size())) == 0;
}

bool TGraphic::SameImage(TGraphic* other) {
  if (!other) return false;
  const bool thisEmpty = IsEmpty();
  const bool otherEmpty = other->IsEmpty();
  if (thisEmpty || otherEmpty) return thisEmpty && otherEmpty;
  if (&other->Meta() != &Meta()) return false;
  return SamePayloads(this, other);
}

void TGraphic::ReadPayload(TStream& stream) { LoadStream(stream); }

void TGraphic::WritePayload(TStream& stream) { SaveStream(stream); }

void TGraphic::SetTransparentFlag(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  NotifyChange();
}

namespace {

// Whole-file access through the platform's file API.
HANDLE OpenFile(const std::string& name, bool forWriting) {
  HANDLE file = forWriting ? CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr)
                           // Others may read while we read, nobody may write.
                           : CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw EOSError("Cannot open file \"" + name + "\"");
  return file;
}

}  // namespace

void TGraphic::LoadFile(const std::string& fileName) {
  HANDLE file = OpenFile(fileName, false);
  TMemoryStream data;
  char block[65536];
  DWORD got = 0;
  while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) data.Write(block, got);
  CloseHandle(file);
  data.SetPosition(0);
  LoadStream(data);
}

void TGraphic::SaveFile(const std::string& fileName) {
  TMemoryStream data;
  SaveStream(data);
  HANDLE file = OpenFile(fileName, true);
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, data.Memory(), static_cast<DWORD>(data.Size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || written != data.Size()) throw EWriteError(msg::kStreamWriteError, {});
}

void TGraphic::SetImageSize(int width, int height) {
  SetImageWidth(width);
  SetImageHeight(height);
}

void TGraphic::ReportProgress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                              bool redrawNow, const RECT& r, const std::string& msg) {
  OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

void TGraphic::DeclareExtraProperties(TFiler& filer) {
  bool hasData;
  if (!filer.Ancestor()) {
    hasData = !IsEmpty();
  } else if (auto* ancestor = dynamic_cast<TGraphic*>(filer.Ancestor())) {
    hasData = !SameImage(ancestor);
  } else {
    hasData = true;
  }
  filer.DefineBlob(
      "Data", [this](TStream& s) { ReadPayload(s); }, [this](TStream& s) { WritePayload(s); },
      hasData);
}
