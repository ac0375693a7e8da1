// The AVI properties dialog, the finished AVI opened by the shell, and the stream-format dialog.
#include "Main.h"

void TForm1::BtnAVIPropertiesClick() {}

void TForm1::BtnTestClick() {}

void TForm1::Label5Click() {}

void TForm1::SelectStreamFormat() {}
