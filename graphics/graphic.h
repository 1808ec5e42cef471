#pragma once
// TGraphic: the abstract base of every image kind (bitmap, JPEG image, and the
// metafile and icon kinds that are registered but never drawn here).
#include <cstdint>
#include <string>
#include <string_view>

#include "classes/events.h"
#include "classes/persistent.h"
#include "platform/win32.h"

class TCanvas;
class TStream;
class TGraphic;

enum TProgressStage : uint8_t { psStarting, psRunning, psEnding };

// (Sender, Stage, PercentDone, RedrawNow, R, Msg)
using TProgressEvent =
    TMethod<TObject*, TProgressStage, uint8_t, bool, const RECT&, const std::string&>;

// A graphic class as a value: its metadata and a way to construct an instance,
// so that a class named in a stored picture can be instantiated.
struct TGraphicClass {
  const ClassMetadata& (*meta)();
  TGraphic* (*construct)();

  std::string_view Name() const;
  // True when this class is `other` or derives from it.
  bool InheritsFrom(const TGraphicClass& other) const;
};

class TGraphic : public TPersistent {
 public:
  ~TGraphic() override = default;

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  // The abstract base as a class value (constructs nothing); useful for removals.
  static const TGraphicClass& StaticClass();
  virtual const TGraphicClass& GraphicClass() const = 0;

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

  // The overridable operations, in slot order.
  virtual void NotifyChange();
  virtual void DrawInto(TCanvas* canvas, const RECT& rect) = 0;
  virtual bool SameImage(TGraphic* other);
  virtual bool IsEmpty() = 0;
  virtual int ImageHeight() = 0;
  virtual HPALETTE PaletteHandle() { return nullptr; }
  virtual bool IsTransparent() { return transparent_; }
  virtual int ImageWidth() = 0;
  virtual void ReadPayload(TStream& stream);
  virtual void SetImageHeight(int value) = 0;
  virtual void SetPaletteHandle(HPALETTE) {}
  virtual void SetTransparentFlag(bool value);
  virtual void SetImageWidth(int value) = 0;
  virtual void WritePayload(TStream& stream);
  virtual void LoadFile(const std::string& fileName);
  virtual void SaveFile(const std::string& fileName);
  virtual void LoadStream(TStream& stream) = 0;
  virtual void SaveStream(TStream& stream) = 0;
  virtual void LoadClipboardData(uint16_t format, HANDLE data, HPALETTE palette) = 0;
  virtual void SaveClipboardData(uint16_t& format, HANDLE& data, HPALETTE& palette) = 0;
  virtual void SetImageSize(int width, int height);

  // Fires OnProgress with the arguments unchanged.
  virtual void ReportProgress(TObject* sender, TProgressStage stage, uint8_t percentDone,
                              bool redrawNow, const RECT& r, const std::string& msg);

  // A graphic stored directly as a property keeps its bytes in a "Data" block.
  void DeclareExtraProperties(TFiler& filer) override;

  bool Modified() const { return modified_; }
  void SetModified(bool value) { modified_ = value; }
  bool PaletteModified() const { return paletteModified_; }
  void SetPaletteModified(bool value) { paletteModified_ = value; }

 protected:
  TGraphic() = default;
  // Copies the flag without reporting a change (assignment reports once at the end).
  void StoreTransparentFlag(bool value) { transparent_ = value; }

 private:
  bool modified_ = false;
  bool transparent_ = false;
  bool paletteModified_ = false;
};

// Both payloads written to memory and compared byte for byte.
bool SamePayloads(TGraphic* a, TGraphic* b);
