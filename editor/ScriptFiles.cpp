// Scripts: the slide show and its video settings in an INI file.
#include "Main.h"
#include "UserDialogs.h"

void TForm1::BtnSaveClick() {
  FileDialogRequest request;
  request.title = "Save Script ";
  request.filter = "Scriptfiles (*.ini)|*.INI";
  request.initialDir = INIPath;
  request.defaultExt = "INI";
  if (!UserDialogs().SaveFile(request)) return;
}

void TForm1::BtnOpenClick() {}
