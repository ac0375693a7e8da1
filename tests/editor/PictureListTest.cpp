// The picture list driven as a user drives it: clicks, keys, drags and dialogs.
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "EditorFixture.h"

namespace {

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kGrey{128, 128, 128}, kWhite{255, 255, 255};
using NameList = std::vector<std::string>;
using Indexes = std::vector<int>;

}  // namespace

class PictureListTest : public EditorTest {
 protected:
  // p0.bmp .. p4.bmp in five colours, added in one go.
  void AddFive() {
    const Rgb colours[] = {kRed, kGreen, kBlue, kWhite, {10, 20, 30}};
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) paths.push_back(Picture("p" + std::to_string(i) + ".bmp", colours[i]));
    AddPictures(paths);
    ASSERT_EQ(form_->LBPictures->Count(), 5);
  }

  bool ListButtonsEnabled() {
    const bool enabled = form_->BtnDeletePic->isEnabled();
    EXPECT_EQ(form_->BtnSave->isEnabled(), enabled);
    EXPECT_EQ(form_->BtnWriteVideo->isEnabled(), enabled);
    return enabled;
  }

  void Drag(int from, const QPoint& to) {
    QWidget* viewport = form_->LBPictures->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, EntryCentre(from));
    QTest::mouseMove(viewport, EntryCentre(from) + QPoint(0, 20));
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, to);
  }

  // A click on the round button of a transition.
  void PickTransition(int kind) {
    QRadioButton* button = form_->RBTransition->findChildren<QRadioButton*>().at(kind);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
  }
};

TEST_F(PictureListTest, AddingSortsInsertsAtTheFirstSelectedEntryAndSelectsTheNewOnes) {
  StartEditor();
  QTest::mouseClick(form_->BtnAddPic, Qt::LeftButton);  // cancelled
  EXPECT_FALSE(ListButtonsEnabled());
  EXPECT_FALSE(form_->Modified);

  const std::string b = Picture("b.bmp", kBlue), a = Picture("A.bmp", kRed), c = Picture("c.bmp", kGreen);
  AddPictures({b, a});
  EXPECT_EQ(Names(), (NameList{"A.bmp", "b.bmp"}));
  EXPECT_EQ(SelectedIndexes(), (Indexes{0, 1}));
  EXPECT_TRUE(form_->Modified);
  EXPECT_EQ(form_->edDisplayTime->text(), "N/A");
  EXPECT_EQ(form_->edBkColor->text(), "N/A");
  EXPECT_EQ(MonitorPixel(100, 100), kGrey);
  EXPECT_FALSE(form_->BtnAddPic->isEnabled());
  EXPECT_TRUE(ListButtonsEnabled());
  EXPECT_EQ(dialogs_->openRequests.at(1).filter, "Images (*.jpg;*.bmp)|*.JPG;*.BMP");
  EXPECT_TRUE(dialogs_->openRequests.at(1).multiSelect);

  // One entry selected: the monitor shows it and adding is possible again.
  ClickEntry(1);
  EXPECT_EQ(MonitorPixel(100, 100), kBlue);
  EXPECT_EQ(form_->edDisplayTime->text(), "1");
  EXPECT_TRUE(form_->BtnAddPic->isEnabled());

  // A file already listed gives a second entry; both stand where "b" stood.
  AddPictures({c, a});
  EXPECT_EQ(Names(), (NameList{"A.bmp", "A.bmp", "c.bmp", "b.bmp"}));
  EXPECT_EQ(SelectedIndexes(), (Indexes{1, 2}));
  EXPECT_EQ(dialogs_->openRequests.at(2).initialDir, dir_.path().string() + "/");
}

TEST_F(PictureListTest, DeletingSelectsTheEntryAtTheLowestDeletedPlaceOrNothing) {
  StartEditor();
  AddFive();
  ClickEntry(1);
  ClickEntry(3, Qt::ControlModifier);
  form_->Modified = false;
  QTest::mouseClick(form_->BtnDeletePic, Qt::LeftButton);
  EXPECT_EQ(Names(), (NameList{"p0.bmp", "p2.bmp", "p4.bmp"}));
  EXPECT_EQ(SelectedIndexes(), (Indexes{1}));
  EXPECT_EQ(MonitorPixel(100, 100), kBlue);
  EXPECT_TRUE(form_->Modified);

  // The last two: nothing is selected, controls and monitor keep the "N/A" look.
  ClickEntry(2, Qt::ShiftModifier);
  QTest::keyClick(form_->LBPictures, Qt::Key_Delete);
  EXPECT_EQ(Names(), (NameList{"p0.bmp"}));
  EXPECT_TRUE(SelectedIndexes().empty());
  EXPECT_EQ(form_->edDisplayTime->text(), "N/A");
  EXPECT_EQ(MonitorPixel(100, 100), kGrey);
  EXPECT_TRUE(form_->BtnAddPic->isEnabled());

  ClickEntry(0);
  QTest::keyClick(form_->LBPictures, Qt::Key_Delete);
  EXPECT_FALSE(ListButtonsEnabled());
  QTest::keyClick(form_->LBPictures, Qt::Key_Delete);  // on the empty list
  EXPECT_TRUE(form_->BtnAddPic->isEnabled());
}

TEST_F(PictureListTest, DraggingMovesOnlyTheFocusEntryAndLeavesModifiedAlone) {
  StartEditor();
  AddFive();
  ClickEntry(1);
  form_->Modified = false;
  Drag(1, EntryCentre(3));
  const NameList moved{"p0.bmp", "p2.bmp", "p3.bmp", "p1.bmp", "p4.bmp"};
  EXPECT_EQ(Names(), moved);

  // Onto its own place and into the empty space after the last entry: nothing changes.
  Drag(3, EntryCentre(3) + QPoint(10, 0));
  const QPoint empty(form_->LBPictures->viewport()->width() - 10, 10);
  ASSERT_EQ(form_->LBPictures->ItemAtPos(empty), -1);
  Drag(3, empty);
  EXPECT_EQ(Names(), moved);

  // A click or a sweep from the empty space selects nothing: the controls still show entry 3.
  QWidget* viewport = form_->LBPictures->viewport();
  QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, empty);
  QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, empty);
  QTest::mouseMove(viewport, EntryCentre(0));
  QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, EntryCentre(0));
  EXPECT_EQ(SelectedIndexes(), (Indexes{3}));

  // With several selected, the focus entry (the last clicked) moves alone.
  ClickEntry(0);
  ClickEntry(2, Qt::ControlModifier);
  Drag(2, EntryCentre(4));
  EXPECT_EQ(Names(), (NameList{"p0.bmp", "p2.bmp", "p1.bmp", "p4.bmp", "p3.bmp"}));
  EXPECT_FALSE(form_->Modified);
}

TEST_F(PictureListTest, TransitionAppliesOnlyOnceTheListWasClickedDisplayTimeAlways) {
  StartEditor();
  PickTransition(1);
  EXPECT_FALSE(form_->Modified);
  form_->UpDnDisplayTime->SetPosition(2);
  EXPECT_TRUE(form_->Modified);

  AddPictures({Picture("a.bmp", kRed), Picture("b.bmp", kGreen)});
  EXPECT_EQ(form_->LBPictures->Object(0)->Transition, 1);
  EXPECT_EQ(form_->LBPictures->Object(1)->DisplayTime, 2);

  // Attached now: the selection takes the values and Modified is set.
  ClickEntry(0);
  form_->Modified = false;
  PickTransition(3);
  EXPECT_TRUE(form_->Modified);
  QTest::keyClick(form_->edDisplayTime, Qt::Key_Up);
  EXPECT_EQ(form_->LBPictures->Object(0)->Transition, 3);
  EXPECT_EQ(form_->LBPictures->Object(0)->DisplayTime, 3);
  EXPECT_EQ(form_->LBPictures->Object(1)->Transition, 1);

  // With nothing selected, a pick still counts as a change.
  ClickEntry(0, Qt::ControlModifier);
  ASSERT_TRUE(SelectedIndexes().empty());
  form_->Modified = false;
  PickTransition(6);
  EXPECT_TRUE(form_->Modified);
  EXPECT_EQ(form_->LBPictures->Object(0)->Transition, 3);

  // Showing an entry changes nothing, also for the largest display time.
  form_->LBPictures->Object(1)->DisplayTime = 1000;
  form_->Modified = false;
  ClickEntry(1);
  EXPECT_EQ(form_->edDisplayTime->text(), "1000");
  EXPECT_EQ(form_->RBTransition->ItemIndex(), 1);
  EXPECT_FALSE(form_->Modified);
}

TEST_F(PictureListTest, ColourDialogRecoloursTheSelectionOrOnlyTheSwatch) {
  StartEditor();
  dialogs_->colorAnswers = {MakeColor(255, 0, 0), MakeColor(0, 255, 0)};
  QTest::mouseClick(form_->BtnBkColor, Qt::LeftButton);
  EXPECT_EQ(form_->edBkColor->Color(), MakeColor(255, 0, 0));
  EXPECT_FALSE(form_->Modified);

  // A wide picture shows its background above and below.
  const std::string wide = dir_.file("wide.bmp");
  WriteBmp24(wide, 64, 8, [](int, int) { return kWhite; });
  AddPictures({wide});
  EXPECT_EQ(MonitorPixel(100, 5), kRed);
  EXPECT_EQ(MonitorPixel(100, 118), kWhite);

  form_->Modified = false;
  QTest::mouseClick(form_->BtnBkColor, Qt::LeftButton);
  EXPECT_EQ(dialogs_->colorRequests.back(), MakeColor(255, 0, 0));
  EXPECT_EQ(form_->LBPictures->Object(0)->BkColor, MakeColor(0, 255, 0));
  EXPECT_EQ(MonitorPixel(100, 5), kGreen);
  EXPECT_TRUE(form_->Modified);
  EXPECT_EQ(form_->ProgressBar->value(), 0);
  EXPECT_TRUE(form_->PageControl->isEnabled());
}
