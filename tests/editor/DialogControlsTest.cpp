#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "EditorFixture.h"
#include "editor/Controls.h"
#include "editor/DlgSelectCompressor.h"
#include "editor/DlgSelectFormat.h"

namespace {

TEST(AviPropertiesControls, UpDownTakesOnlyAWholeNumberInRangeFromItsEdit) {
  TDlgSelectComp dialog;
  dialog.UpDnWidth->SetPosition(320);
  for (const auto& [typed, position] : std::vector<std::pair<QString, int>>{
           {"640", 640}, {"12345", 640}, {"", 640}, {"79", 640}, {"1,000", 640}, {"4000", 4000}, {"0080", 80}}) {
    dialog.edWidth->setText(typed);
    EXPECT_EQ(dialog.UpDnWidth->Position(), position) << typed.toStdString();
  }
}

TEST(AviPropertiesControls, OnlyDigitsReachTheEdits) {
  TDlgSelectComp dialog;
  dialog.show();
  QLineEdit* edit = dialog.edHeight;
  edit->setFocus();
  edit->clear();
  QTest::keyClicks(edit, "6a4 -0.");
  QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_Eacute, QString::fromUtf8("\xC3\xA9"), Qt::NoModifier);
  EXPECT_EQ(edit->text(), "640");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "640");
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);  // types the control character 22
  EXPECT_EQ(edit->text(), "640");
  QTest::keyClick(edit, Qt::Key_Up);  // the up-down steps from what the edit holds
  EXPECT_EQ(edit->text(), "641");
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->text(), "");
  EXPECT_EQ(dialog.UpDnHeight->Position(), 641);
  EXPECT_TRUE(dialog.isVisible());
}

TEST(StreamFormatDialog, EnterAndEscapeDoNotCloseItTheButtonsAndTheCloseBoxDo) {
  TDlgSelFormat dialog;
  WhileShown(&dialog, [&] {
    dialog.ListBox->setFocus();
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QTest::keyClick(&dialog, key);
      QTest::keyClick(dialog.ListBox, key);
    }
    dialog.BtnOK->setFocus();
    QTest::keyClick(dialog.BtnOK, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    dialog.BtnOK->click();
  });
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  WhileShown(&dialog, [&] { dialog.BtnCancel->click(); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  WhileShown(&dialog, [&] { dialog.close(); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

}  // namespace
