#pragma once
// Test stand-ins with the launcher's class names and published properties: enough of
// forms, controls, fonts and pictures for the reader to build the launcher's window
// (and variations of it) without the drawing layers. C++ names live in `standins`;
// the metadata names are the launcher's ("TForm1", "TLabel", ...).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classes/collection.h"
#include "classes/component.h"
#include "classes/events.h"
#include "classes/metadata.h"

namespace standins {

extern const TypeDescriptor kColorType;        // TColor: signed 32, identifiers
extern const TypeDescriptor kCursorType;       // TCursor: signed 16, identifiers
extern const TypeDescriptor kFontCharsetType;  // TFontCharset: unsigned 8, identifiers
extern const TypeDescriptor kTabOrderType;     // TTabOrder: signed 16, -1..32767
extern const TypeDescriptor kBorderStyleType;  // TFormBorderStyle
extern const TypeDescriptor kPositionType;     // TPosition
extern const TypeDescriptor kAlignType;        // TAlign
extern const TypeDescriptor kBevelCutType;     // TBevelCut
extern const TypeDescriptor kFontStyleType;    // TFontStyle
extern const TypeDescriptor kFontStylesType;   // TFontStyles: set of TFontStyle, 8 bits
extern const TypeDescriptor kCaptionType;      // TCaption: long string
extern const TypeDescriptor kFontNameType;     // TFontName: long string

// Registers the three identifier maps for the stand-in types and a global component
// finder over the live stand-in forms. Idempotent; call before reading.
void EnsureRegistered();

// Names of components, in the order their FinishLoading ran.
std::vector<std::string>& LoadLog();

class TControl;
// Runs after a control's FinishLoading was logged; tests set and clear it.
std::function<void(TControl*)>& AfterFinishLoading();

class TFont : public TPersistent {
 public:
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void AssignTo(TPersistent& dest) const override;

  int32_t GetCharset() const { return charset; }
  void SetCharset(int32_t v) { charset = static_cast<uint8_t>(v); }
  void SetColor(int32_t v) { color = v; }
  int32_t GetHeight() const { return height; }
  void SetHeight(int32_t v) { height = v; }
  std::string GetName() const { return name; }
  void SetName(const std::string& v) { name = v; }
  uint8_t GetStyle() const { return style; }
  void SetStyle(uint8_t v) { style = v; }

  uint8_t charset = 1;
  int32_t color = -16777208;
  int32_t height = -11;
  std::string name = "Tahoma";
  uint8_t style = 0;
};

// The picture's stored "Data" block is examined in place, never copied: the reader's
// memory stream is the one copy.
class TPicture : public TPersistent {
 public:
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void DeclareExtraProperties(TFiler& filer) override;
  void AssignTo(TPersistent& dest) const override;

  std::string graphicClass;  // the class name at the start of the block
  int64_t blockSize = -1;    // -1 while nothing was read
  int32_t payloadCount = 0;  // the 32-bit count after the class name
  uint32_t payloadHash = 0;  // FNV-1a of the payload bytes (when hashPayload is set)
  static inline bool hashPayload = true;
  int readCount = 0;
};

class TWinControl;

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner) : TComponent(owner) {}
  ~TControl() override;
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  void FinishLoading() override;
  void DeclareExtraProperties(TFiler& filer) override;
  void AttachToParent(TComponent* parent) override;
  TComponent* ParentOfComponent() const override;
  bool HasParent() const override { return true; }
  void SetParent(TWinControl* parent);
  TWinControl* Parent() const { return parent_; }

  void SetLeft(int32_t v) { left = v; }
  void SetTop(int32_t v) { top = v; }
  void SetWidth(int32_t v) { width = v; }
  void SetHeight(int32_t v) { height = v; }
  void SetCursor(int16_t v) { cursor = v; }

  int32_t left = 0, top = 0, width = 0, height = 0;
  int16_t cursor = 0;
  int32_t explicitLeft = 0, explicitTop = 0, explicitWidth = 0, explicitHeight = 0;

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner) : TControl(owner) {}
  ~TWinControl() override;
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void PlaceChildAt(TComponent* child, int position) override;

  std::vector<TControl*> children;
};

class TImage : public TControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void SetAlign(uint8_t v) { align = v; }
  void SetPicture(TPicture* v) { picture->Assign(v); }
  void SetStretch(bool v) { stretch = v; }

  uint8_t align = 0;
  TPicture* picture;
  bool stretch = false;
};

class TLabel : public TControl {
 public:
  explicit TLabel(TComponent* owner);
  ~TLabel() override;
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  std::string GetCaption() const { return caption; }
  void SetCaption(const std::string& v) { caption = v; }
  void SetFont(TFont* v) { font->Assign(v); }
  void SetParentFont(bool v) { parentFont = v; }
  bool GetTransparent() const { return transparent; }
  void SetTransparent(bool v) { transparent = v; }

  std::string caption;
  TFont* font;
  bool parentFont = true;
  bool transparent = false;
  TNotifyEvent onClick;
};

class TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* owner) : TWinControl(owner) {}
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void SetAlign(uint8_t v) { align = v; }
  void SetBevelOuter(uint8_t v) { bevelOuter = v; }
  void SetColor(int32_t v) { color = v; }
  int16_t GetTabOrder() const { return tabOrder; }
  void SetTabOrder(int16_t v) { tabOrder = v; }

  uint8_t align = 0;
  uint8_t bevelOuter = 2;
  int32_t color = -16777201;
  int16_t tabOrder = -1;
};

// A form: known to the global component finder by name while it lives.
class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void DeclareExtraProperties(TFiler& filer) override;

  int32_t GetLeft() const { return left; }
  int32_t GetTop() const { return top; }
  void SetBorderStyle(uint8_t v) { borderStyle = v; }
  std::string GetCaption() const { return caption; }
  void SetCaption(const std::string& v) { caption = v; }
  int32_t GetClientHeight() const { return clientHeight; }
  void SetClientHeight(int32_t v) { clientHeight = v; }
  int32_t GetClientWidth() const { return clientWidth; }
  void SetClientWidth(int32_t v) { clientWidth = v; }
  void SetColor(int32_t v) { color = v; }
  void SetFont(TFont* v) { font->Assign(v); }
  void SetPosition(uint8_t v) { position = v; }
  int32_t GetPixelsPerInch() const { return pixelsPerInch; }
  void SetPixelsPerInch(int32_t v) { pixelsPerInch = v; }

  uint8_t borderStyle = 2;
  std::string caption;
  int32_t clientHeight = 0, clientWidth = 0;
  int32_t color = -16777201;
  TFont* font;
  bool oldCreateOrder = true;
  uint8_t position = 2;
  TNotifyEvent onActivate;
  int32_t pixelsPerInch = 96;
  int32_t textHeight = 0;
};

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner) : TForm(owner) {}
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  void FormActivate(TObject* sender) { Called("FormActivate", sender); }
  void Label2Click(TObject* sender) { Called("Label2Click", sender); }
  void Label1Click(TObject* sender) { Called("Label1Click", sender); }
  void Label3Click(TObject* sender) { Called("Label3Click", sender); }

  TPanel* Panel1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TImage* Image1 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;

  std::vector<std::string> calls;  // handler names, in call order
  TObject* lastSender = nullptr;

 private:
  void Called(const char* name, TObject* sender) {
    calls.push_back(name);
    lastSender = sender;
  }
};

// A form class without a definition of its own, deriving from one that has one.
class TForm2 : public TForm1 {
 public:
  explicit TForm2(TComponent* owner) : TForm1(owner) {}
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
};

// One item of TItems: two published properties.
class TItem : public TPersistent {
 public:
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void SetValue(int32_t v) { value = v; }
  int32_t value = 0;
  std::string text;
};

class TItems : public TCollection {
 public:
  ~TItems() override { Clear(); }
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  int Count() const override { return static_cast<int>(items.size()); }
  void Clear() override {
    for (TItem* item : items) item->Free();
    items.clear();
  }
  TPersistent* AddItem() override { return items.emplace_back(new TItem); }
  void BeginUpdate() override { ++updates; }
  void EndUpdate() override { --updates; }

  std::vector<TItem*> items;
  int updates = 0;
};

// A form publishing a property of every kind the reader handles, for value and
// error tests and for fuzzing.
class TKinds : public TForm {
 public:
  explicit TKinds(TComponent* owner);
  ~TKinds() override;
  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }
  void Handler(TObject* sender) {
    ++handled;
    (void)sender;
  }
  void SetRef(TComponent* v) { ref = v; }
  void SetItems(TItems* v) { (void)v; }
  int32_t GetReadOnly() const { return 7; }

  int32_t integer = 0;
  int64_t int64 = 0;
  char ch = 0;
  char16_t wideCh = 0;
  uint8_t align = 0;
  long double extended = 0;
  float single = 0;
  double dbl = 0;
  int64_t currency = 0;
  int64_t comp = 0;
  std::string name20;
  std::string text;
  std::u16string wide;
  uint32_t numbers = 0;
  TVariant variant;
  TComponent* ref = nullptr;
  TItems* items;
  TNotifyEvent onEvent;
  int handled = 0;
  TLabel* Label1 = nullptr;  // published fields: TLabel and TPanel resolve as child classes
  TPanel* Panel1 = nullptr;
  TImage* Image1 = nullptr;
};

}  // namespace standins
