#include "EditorFixture.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>

void EditorTest::SetUp() {
  RegistryStoreTest::SetUp();
  auto dialogs = std::make_unique<ScriptedDialogs>();
  dialogs_ = dialogs.get();
  SetUserDialogs(std::move(dialogs));
}

void EditorTest::TearDown() {
  form_.reset();
  RegistryStoreTest::TearDown();
}

void EditorTest::StartEditor() {
  form_ = std::make_unique<TForm1>();
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  // The settings load is queued behind the construction.
  ASSERT_TRUE(WaitUntil([&] { return form_->FormatX != 0; }));
}

std::string EditorTest::Picture(const std::string& name, Rgb colour) {
  const std::string path = dir_.file(name);
  WriteBmp24(path, 32, 24, [&](int, int) { return colour; });
  return path;
}

void EditorTest::AddPictures(const std::vector<std::string>& paths) {
  dialogs_->openAnswers.push_back(paths);
  QTest::mouseClick(form_->BtnAddPic, Qt::LeftButton);
}

QPoint EditorTest::EntryCentre(int index) const {
  QListWidget* list = form_->LBPictures;
  return list->visualItemRect(list->item(index)).center();
}

void EditorTest::ClickEntry(int index, Qt::KeyboardModifiers keys) {
  QTest::mouseClick(form_->LBPictures->viewport(), Qt::LeftButton, keys, EntryCentre(index));
}

std::vector<std::string> EditorTest::Names() const {
  std::vector<std::string> names;
  for (int i = 0; i < form_->LBPictures->Count(); ++i) {
    names.push_back(std::filesystem::path(form_->LBPictures->Text(i)).filename().string());
  }
  return names;
}

std::vector<int> EditorTest::SelectedIndexes() const {
  std::vector<int> selected;
  for (int i = 0; i < form_->LBPictures->Count(); ++i) {
    if (form_->LBPictures->Selected(i)) selected.push_back(i);
  }
  return selected;
}

Rgb EditorTest::MonitorPixel(int x, int y) const {
  const QColor c = form_->PaintBoxMonitor->grab().toImage().pixelColor(x, y);
  return {static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}

bool EditorTest::WaitUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QTest::qWait(5);
  }
  return true;
}
