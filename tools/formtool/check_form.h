#pragma once
// The root `formtool check` reads a window definition into: a plain windowed control
// with the launcher form's published properties, its six component fields and its four
// handlers, known to the reader as "TForm1". It has no window of its own and is never
// shown, so the tree is built and nothing appears on screen.
#include <string>
#include <vector>

#include "controls/image.h"
#include "controls/label.h"
#include "controls/panel.h"

namespace formtool {

class CheckForm : public TWinControl {
 public:
  explicit CheckForm(TComponent* owner) : TWinControl(owner) {}

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // Handlers the stored events bind to; each records its name when called.
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

  TNotifyEvent OnActivate;
  uint8_t borderStyle = 2;  // bsSizeable
  uint8_t position = 0;     // poDesigned
  bool oldCreateOrder = true;
  int32_t pixelsPerInch = 96;
  int32_t textHeight = 0;
  std::vector<std::string> calls;

 private:
  void Called(const char* name, TObject* /*sender*/) { calls.emplace_back(name); }
};

}  // namespace formtool
