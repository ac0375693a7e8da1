// The one store between the console converter and the editor: the console's run,
// then the editor, then the console again.
#include <QPushButton>
#include <QTest>

#include "EditorFixture.h"
#include "support/Ffprobe.h"
#include "support/RunCommand.h"

class SettingsRoundTripTest : public EditorTest {
 protected:
  int RunConsole(const std::string& options) {
    return RunCommand(ShellQuote(VISTRELC) + " " + options + " </dev/null 2>/dev/null").exitCode;
  }
};

TEST_F(SettingsRoundTripTest, ConsoleThenEditorThenConsoleShareTheStore) {
  const std::string pictures = dir_.file("pictures");
  std::filesystem::create_directory(pictures);
  ASSERT_TRUE(RunConvert("-size 40x30 xc:red " + ShellQuote(pictures + "/a.jpg")));

  ASSERT_EQ(RunConsole("-x640 -y480 -f10 -q50 -i" + ShellQuote(pictures) + " -o" + ShellQuote(dir_.file("1.avi"))), 0);
  StartEditor();
  // A store that the editor never wrote may lack "BkColor"; its load then gives every default.
  const bool complete = StoreText().find("\"BkColor\"") != std::string::npos;
  EXPECT_EQ(form_->FormatX, complete ? 640 : 320);
  EXPECT_EQ(form_->Frames, complete ? 10 : 25);
  EXPECT_DOUBLE_EQ(form_->Quality, complete ? 0.5 : 1.0);

  // The editor's values for new pictures and the format, saved by "&Close".
  form_->FormatX = 96;
  form_->FormatY = 64;
  form_->Frames = 4;
  form_->UpDnDisplayTime->SetPosition(3);
  form_->RBTransition->SetItemIndex(2);
  form_->edBkColor->SetColor(MakeColor(0, 0, 255));
  form_->move(40, 30);
  form_->Modified = false;
  QTest::mouseClick(form_->BtnClose, Qt::LeftButton);
  ASSERT_FALSE(form_->isVisible());

  // The console now reads all seventeen: size, rate, display time and transition are the editor's.
  ASSERT_EQ(RunConsole("-i" + ShellQuote(pictures) + " -o" + ShellQuote(dir_.file("2.avi"))), 0);
  const std::vector<ProbedStream> streams = ProbeStreams(dir_.file("2.avi"));
  ASSERT_FALSE(streams.empty());
  EXPECT_EQ(streams[0].at("width"), "96");
  EXPECT_EQ(streams[0].at("height"), "64");
  EXPECT_EQ(streams[0].at("nb_frames"), "16");  // "From Left" for 4 frames, then 3 s at 4 frames per second

  // And the editor finds its own values again, with the console's fourteen written back.
  StartEditor();
  EXPECT_EQ(form_->FormatX, 96);
  EXPECT_EQ(form_->Frames, 4);
  EXPECT_EQ(form_->UpDnDisplayTime->Position(), 3);
  EXPECT_EQ(form_->RBTransition->ItemIndex(), 2);
  EXPECT_EQ(form_->edBkColor->Color(), MakeColor(0, 0, 255));
  EXPECT_EQ(form_->pos(), QPoint(40, 30));
  EXPECT_FALSE(form_->Modified);
}
