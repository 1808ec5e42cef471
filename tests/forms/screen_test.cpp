// The screen's form lists and its record of the current form and control.
#include "forms/screen.h"

#include <gtest/gtest.h>

#include <vector>

#include "forms/application.h"
#include "graphics/font.h"
#include "runtime/exception.h"
#include "tests/forms/standin_form.h"

namespace {

std::vector<FormLink*> CustomForms() {
  std::vector<FormLink*> forms(static_cast<size_t>(Screen()->CustomFormCount()));
  for (size_t i = 0; i < forms.size(); ++i) forms[i] = Screen()->CustomFormAt(static_cast<int>(i));
  return forms;
}
std::vector<FormLink*> Forms() {
  std::vector<FormLink*> forms(static_cast<size_t>(Screen()->FormCount()));
  for (size_t i = 0; i < forms.size(); ++i) forms[i] = Screen()->FormAt(static_cast<int>(i));
  return forms;
}

struct ChangeLog : TObject {
  int formChanges = 0;
  void FormChanged(TObject*) { ++formChanges; }
};

// A form that is not a TForm: listed as a custom form only.
class CustomOnlyForm : public StandInForm {
 public:
  explicit CustomOnlyForm(TComponent* owner) : StandInForm(owner) {}
  bool IsPlainForm() const override { return false; }
};

TEST(ScreenForms, FocusMovesAFormToTheFrontAndGoingAwayClearsTheRecord) {
  TScreen& screen = *Screen();
  ChangeLog log;
  screen.OnActiveFormChange = TNotifyEvent::Bind<&ChangeLog::FormChanged>(&log);
  auto* a = new StandInForm(nullptr);
  auto* b = new StandInForm(nullptr);
  // Enlisted from its base's constructor, still not counted as a TForm.
  auto* c = new CustomOnlyForm(nullptr);
  EXPECT_EQ(CustomForms(), (std::vector<FormLink*>{a, b, c}));
  EXPECT_EQ(Forms(), (std::vector<FormLink*>{a, b}));

  screen.NoteFocus(b, nullptr);
  screen.NotifyCurrentChange();
  EXPECT_EQ(CustomForms(), (std::vector<FormLink*>{b, a, c}));
  EXPECT_EQ(Forms(), (std::vector<FormLink*>{b, a}));
  EXPECT_EQ(screen.CurrentForm(), b);
  EXPECT_EQ(screen.CurrentCustomForm(), b);

  screen.NoteFocus(c, nullptr);
  screen.NotifyCurrentChange();
  EXPECT_EQ(CustomForms(), (std::vector<FormLink*>{c, b, a}));
  EXPECT_EQ(Forms(), (std::vector<FormLink*>{b, a}));
  EXPECT_EQ(screen.CurrentForm(), nullptr);
  EXPECT_EQ(screen.CurrentCustomForm(), c);
  EXPECT_EQ(log.formChanges, 2);

  screen.SetFocusOwnerForm(c);
  c->Free();
  EXPECT_EQ(screen.CurrentCustomForm(), nullptr);
  EXPECT_EQ(screen.FocusOwnerForm(), nullptr);
  EXPECT_EQ(log.formChanges, 3);
  EXPECT_THROW(screen.CustomFormAt(2), EListError);

  screen.OnActiveFormChange = TNotifyEvent();
  a->Free();
  b->Free();
  EXPECT_EQ(screen.CustomFormCount(), 0);
}

TEST(ScreenForms, FontChangesAreSentToEveryForm) {
  auto* form = new StandInForm(nullptr);
  Screen()->MenuFont().SetSize(Screen()->MenuFont().Size() + 1);
  EXPECT_EQ(form->performed, std::vector<UINT>{0xB035u});
  form->Free();
}

}  // namespace
