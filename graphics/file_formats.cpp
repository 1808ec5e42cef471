#include "graphics/file_formats.h"

#include <algorithm>
#include <memory>

#include "classes/metadata_builder.h"
#include "graphics/bitmap.h"
#include "graphics/clipboard_formats.h"
#include "runtime/messages.h"

namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::unique_ptr<TFileFormatsList> registry;

}  // namespace

TFileFormatsList::TFileFormatsList() {
  Add("wmf", LoadMessage(msg::kMetafiles), 0, TMetafile::StaticClass());
  Add("emf", LoadMessage(msg::kEnhancedMetafiles), 0, TMetafile::StaticClass());
  Add("ico", LoadMessage(msg::kIcons), 0, TIcon::StaticClass());
  Add("bmp", LoadMessage(msg::kBitmaps), 0, TBitmap::StaticClass());
}

void TFileFormatsList::Add(std::string_view extension, std::string_view description,
                           int descriptionResource, const TGraphicClass& graphicClass) {
  entries_.push_back(
      {&graphicClass, Lower(extension), std::string(description), descriptionResource});
}

void TFileFormatsList::Remove(const TGraphicClass& graphicClass) {
  std::erase_if(entries_,
                [&](const TFileFormat& f) { return f.graphicClass->InheritsFrom(graphicClass); });
}

const TGraphicClass* TFileFormatsList::FindClassName(std::string_view className) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->graphicClass->Name() == className) return it->graphicClass;
  return nullptr;
}

const TGraphicClass* TFileFormatsList::FindExtension(std::string_view extension) const {
  const std::string wanted = Lower(extension);
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->extension == wanted) return it->graphicClass;
  return nullptr;
}

TFileFormatsList& GraphicFormats() {
  if (!registry) registry = std::make_unique<TFileFormatsList>();
  return *registry;
}

void RegisterGraphicFormat(std::string_view extension, std::string_view description,
                           const TGraphicClass& graphicClass) {
  GraphicFormats().Add(extension, description, 0, graphicClass);
}

void RemoveGraphicFormats(const TGraphicClass& graphicClass) {
  if (registry) registry->Remove(graphicClass);
  RemoveClipboardFormats(graphicClass);
}

const TGraphicClass* FindGraphicClass(std::string_view className) {
  return GraphicFormats().FindClassName(className);
}

void FreeGraphicFormats() {
  registry.reset();
  FreeClipboardFormats();
}

const ClassMetadata& TMetafile::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TMetafile>("TMetafile", &TGraphic::StaticMeta(), "graphics").Build();
  return meta;
}

const TGraphicClass& TMetafile::StaticClass() {
  static const TGraphicClass cls{&TMetafile::StaticMeta,
                                 []() -> TGraphic* { return new TMetafile; }};
  return cls;
}

const ClassMetadata& TIcon::StaticMeta() {
  static const ClassMetadata meta =
      ClassBuilder<TIcon>("TIcon", &TGraphic::StaticMeta(), "graphics").Build();
  return meta;
}

const TGraphicClass& TIcon::StaticClass() {
  static const TGraphicClass cls{&TIcon::StaticMeta, []() -> TGraphic* { return new TIcon; }};
  return cls;
}
