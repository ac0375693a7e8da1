#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "editor/DlgSelectCompressor.h"
#include "editor/DlgSelectFormat.h"
#include "editor/Controls.h"

namespace {

TEST(AviPropertiesControls, UpDownsHoldSixteenBitPositionsWithinTheirRanges) {
  TDlgSelectComp dialog;
  const struct {
    TUpDown* upDown;
    int handed;
    int shown;
  } cases[] = {
      {dialog.UpDnWidth, 640, 640},    {dialog.UpDnWidth, 5000, 4000}, {dialog.UpDnWidth, 70000, 4000},
      {dialog.UpDnWidth, 0, 80},       {dialog.UpDnWidth, 65536 + 100, 100}, {dialog.UpDnHeight, -1, 60},
      {dialog.UpDnFrames, 60, 30},     {dialog.UpDnFrames, 0, 1},
  };
  for (const auto& c : cases) {
    c.upDown->SetPosition(c.handed);
    EXPECT_EQ(c.upDown->Position(), c.shown) << c.handed;
  }
  EXPECT_EQ(dialog.edWidth->text(), "100");
}

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

// Runs the action inside the dialog's own event loop, then reports how it ended.
int ExecWhile(QDialog& dialog, const std::function<void()>& action) {
  QTimer::singleShot(0, &dialog, action);
  return dialog.exec();
}

TEST(StreamFormatDialog, EnterAndEscapeDoNotCloseItTheButtonsAndTheCloseBoxDo) {
  TDlgSelFormat dialog;
  EXPECT_EQ(ExecWhile(dialog,
                      [&] {
                        dialog.ListBox->setFocus();
                        for (const auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                          QTest::keyClick(&dialog, key);
                          QTest::keyClick(dialog.ListBox, key);
                        }
                        dialog.BtnOK->setFocus();
                        QTest::keyClick(dialog.BtnOK, Qt::Key_Return);
                        EXPECT_TRUE(dialog.isVisible());
                        dialog.BtnOK->click();
                      }),
            QDialog::Accepted);
  EXPECT_EQ(ExecWhile(dialog, [&] { dialog.BtnCancel->click(); }), QDialog::Rejected);
  EXPECT_EQ(ExecWhile(dialog, [&] { dialog.close(); }), QDialog::Rejected);
}

}  // namespace
