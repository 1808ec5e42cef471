#pragma once
// The process-wide registry of graphic formats (file extension -> graphic class),
// and the two graphic kinds this program registers but never draws or reads:
// metafiles and icons.
#include <string>
#include <string_view>
#include <vector>

#include "graphics/graphic.h"

struct TFileFormat {
  const TGraphicClass* graphicClass;
  std::string extension;  // lower case, no dot
  std::string description;
  int descriptionResource;  // 0 for every entry here
};

class TFileFormatsList {
 public:
  // The four default entries: wmf, emf, ico, bmp.
  TFileFormatsList();

  void Add(std::string_view extension, std::string_view description, int descriptionResource,
           const TGraphicClass& graphicClass);
  // Removes every entry whose class is `graphicClass` or derives from it.
  void Remove(const TGraphicClass& graphicClass);
  // Searches from the last entry to the first; exact, case-sensitive class names.
  const TGraphicClass* FindClassName(std::string_view className) const;
  // The class registered for an extension (without dot, any case), or none.
  const TGraphicClass* FindExtension(std::string_view extension) const;

  const std::vector<TFileFormat>& Entries() const { return entries_; }

 private:
  std::vector<TFileFormat> entries_;
};

// The registry, created with its default entries on first call.
TFileFormatsList& GraphicFormats();
void RegisterGraphicFormat(std::string_view extension, std::string_view description,
                           const TGraphicClass& graphicClass);
// Removes the class (and classes derived from it) from the file and clipboard registries.
void RemoveGraphicFormats(const TGraphicClass& graphicClass);
const TGraphicClass* FindGraphicClass(std::string_view className);
// Frees the registries (module shut-down); the next use makes fresh ones.
void FreeGraphicFormats();

// Carried for completeness: nothing here draws or reads a metafile or an icon, so
// both behave as permanently empty graphics.
class TInertGraphic : public TGraphic {
 public:
  void DrawInto(TCanvas*, const RECT&) override {}
  bool IsEmpty() override { return true; }
  int ImageHeight() override { return 0; }
  int ImageWidth() override { return 0; }
  void SetImageHeight(int) override {}
  void SetImageWidth(int) override {}
  void LoadStream(TStream&) override {}
  void SaveStream(TStream&) override {}
  void LoadClipboardData(uint16_t, HANDLE, HPALETTE) override {}
  void SaveClipboardData(uint16_t&, HANDLE&, HPALETTE&) override {}
};

class TMetafile : public TInertGraphic {
 public:
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  static const TGraphicClass& StaticClass();
  const TGraphicClass& GraphicClass() const override { return StaticClass(); }
};

class TIcon : public TInertGraphic {
 public:
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  static const TGraphicClass& StaticClass();
  const TGraphicClass& GraphicClass() const override { return StaticClass(); }
};
