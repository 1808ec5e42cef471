#pragma once
// The launcher window: a form whose whole look comes from its stored definition, with
// the three click handlers that start an edition of the game or just close.
#include "forms/form.h"

class TPanel;
class TLabel;
class TImage;

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner) : TForm(owner) {}

  static const ClassMetadata& StaticMeta();
  const ClassMetadata& Meta() const override { return StaticMeta(); }

  // Published fields, bound by name while the definition is read.
  TPanel* Panel1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TImage* Image1 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;

  // Published handlers. They act on LauncherForm, not on the receiving instance.
  void FormActivate(TObject* sender);
  void Label2Click(TObject* sender);
  void Label1Click(TObject* sender);
  void Label3Click(TObject* sender);
};

// The program's one reference to its window: set by MakeForm before the window's
// definition is read, cleared again if that fails.
extern TForm1* LauncherForm;
