#include "launcher/launcher_form.h"

#include "classes/metadata_builder.h"
#include "controls/image.h"
#include "controls/label.h"
#include "controls/panel.h"
#include "platform/win32.h"

TForm1* LauncherForm = nullptr;

namespace {
// Minimise first so the game comes up in front; whatever WinExec answers, the
// launcher's work is done.
void StartEdition(const char* commandLine) {
  LauncherForm->SetWindowState(wsMinimized);
  WinExec(commandLine, SW_SHOWNORMAL);
  LauncherForm->CloseForm();
}
}  // namespace

const ClassMetadata& TForm1::StaticMeta() {
  static const ClassMetadata meta =
      WithFormConstructor<TForm1>(ClassBuilder<TForm1>("TForm1", &TForm::StaticMeta(), "launcher")
                                      .Field<&TForm1::Panel1>("Panel1")
                                      .Field<&TForm1::Label1>("Label1")
                                      .Field<&TForm1::Label2>("Label2")
                                      .Field<&TForm1::Image1>("Image1")
                                      .Field<&TForm1::Label3>("Label3")
                                      .Field<&TForm1::Label4>("Label4")
                                      .Method<&TForm1::FormActivate>("FormActivate")
                                      .Method<&TForm1::Label2Click>("Label2Click")
                                      .Method<&TForm1::Label1Click>("Label1Click")
                                      .Method<&TForm1::Label3Click>("Label3Click")
                                      .Build());
  return meta;
}

void TForm1::FormActivate(TObject* /*sender*/) {}

void TForm1::Label1Click(TObject* /*sender*/) { StartEdition("rus\\brasslantern.exe"); }

void TForm1::Label3Click(TObject* /*sender*/) { StartEdition("eng\\brasslantern.exe"); }

void TForm1::Label2Click(TObject* /*sender*/) { LauncherForm->CloseForm(); }
