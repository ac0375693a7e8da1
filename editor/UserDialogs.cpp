// Qt's dialogs behind the main window's dialog calls.
#include "UserDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <algorithm>
#include <filesystem>

#include "PathParts.h"

namespace {

// "Images (*.jpg;*.bmp)|*.JPG;*.BMP" becomes "Images (*.JPG *.BMP)": Qt takes the
// patterns from the parentheses, separated by blanks.
QString QtFilter(const std::string& filter) {
  const QString text = QString::fromStdString(filter);
  const int bar = text.indexOf('|');
  if (bar < 0) return text;
  QString description = text.left(bar);
  if (const int paren = description.indexOf('('); paren >= 0) description = description.left(paren).trimmed();
  QString patterns = text.mid(bar + 1);
  patterns.replace(';', ' ');
  return description + " (" + patterns + ")";
}

// Icons and types from the name alone: reading a file to learn its type hangs the
// dialog on a FIFO or on /proc.
class TNameOnlyIconProvider : public QFileIconProvider {
 public:
  using QFileIconProvider::icon;
  QIcon icon(const QFileInfo& info) const override { return icon(info.isDir() ? Folder : File); }
  QString type(const QFileInfo& info) const override {
    if (!info.isFile()) return QFileIconProvider::type(info);
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
  }
};

// A yes/no question has no escape: only its two buttons end it, not Escape nor the close box.
class TQuestionBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (!event->matches(QKeySequence::Cancel)) QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override { event->ignore(); }
};

// An open dialog that means the files the handlers mean: a name typed without its
// extension, or with it in another case, is the file there whose extension differs
// from it in case only ("pic" is pic.jpg, not pic.JPG).
class TOpenDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  QStringList MeantFiles() const {
    QStringList meant;
    for (const QString& name : selectedFiles()) {
      meant.push_back(QString::fromStdString(FileNameWithExtension(name.toStdString(), defaultSuffix().toStdString())));
    }
    return meant;
  }

 protected:
  // Qt insists on the names as typed; the meant files, when they all exist, do as well.
  void accept() override {
    const QStringList meant = MeantFiles();
    if (fileMode() == ExistingFiles && meant != selectedFiles() &&
        std::all_of(meant.begin(), meant.end(), [](const QString& name) { return QFileInfo(name).isFile(); })) {
      QDialog::accept();
    } else {
      QFileDialog::accept();
    }
  }
};

void Prepare(QFileDialog& dialog, const FileDialogRequest& request) {
  static TNameOnlyIconProvider iconProvider;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setIconProvider(&iconProvider);
  dialog.setWindowTitle(QString::fromStdString(request.title));
  dialog.setNameFilter(QtFilter(request.filter));
  if (!request.initialDir.empty()) dialog.setDirectory(QString::fromStdString(request.initialDir));
  dialog.selectFile(QString::fromStdString(request.fileName));
  dialog.setDefaultSuffix(QString::fromStdString(request.defaultExt));
}

// The question the save dialog asks about an existing file; after "No" it shows again.
bool ConfirmReplace(QWidget& dialog, const std::string& name) {
  const QString text = QFileDialog::tr("%1 already exists.\nDo you want to replace it?");
  return QMessageBox::warning(&dialog, dialog.windowTitle(), text.arg(QString::fromStdString(name)),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

class TQtDialogs : public TUserDialogs {
 public:
  std::vector<std::string> OpenFiles(const FileDialogRequest& request) override {
    TOpenDialog dialog(QApplication::activeWindow());
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    std::vector<std::string> names;
    if (dialog.exec() != QDialog::Accepted) return names;
    for (const QString& name : dialog.MeantFiles()) names.push_back(name.toStdString());
    return names;
  }

  std::optional<std::string> SaveFile(const FileDialogRequest& request) override {
    QFileDialog dialog(QApplication::activeWindow());
    Prepare(dialog, request);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      const std::string chosen = dialog.selectedFiles().front().toStdString();
      // The dialog asked about the name as given; the file meant may be spelt otherwise.
      const std::string meant = FileNameWithExtension(chosen, request.defaultExt);
      std::error_code ec;
      if (meant == chosen || !std::filesystem::exists(meant, ec) || ConfirmReplace(dialog, meant)) return chosen;
    }
    return std::nullopt;
  }

  std::optional<TColor> ChooseColor(TColor initial) override {
    const QColor chosen = QColorDialog::getColor(QColor(ColorRed(initial), ColorGreen(initial), ColorBlue(initial)),
                                                 QApplication::activeWindow());
    if (!chosen.isValid()) return std::nullopt;
    return MakeColor(static_cast<uint8_t>(chosen.red()), static_cast<uint8_t>(chosen.green()),
                     static_cast<uint8_t>(chosen.blue()));
  }

  std::optional<bool> Confirm(const std::string& caption, const std::string& text) override {
    TQuestionBox box(QMessageBox::Question, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    QPushButton* yes = box.addButton("&Ja", QMessageBox::YesRole);
    QPushButton* no = box.addButton("&Nein", QMessageBox::NoRole);
    box.exec();
    if (box.clickedButton() != yes && box.clickedButton() != no) return std::nullopt;
    return box.clickedButton() == yes;
  }

  void ShowError(const std::string& caption, const std::string& text) override {
    QMessageBox::critical(QApplication::activeWindow(), QString::fromStdString(caption), QString::fromStdString(text));
  }
};

std::unique_ptr<TUserDialogs>& Current() {
  static std::unique_ptr<TUserDialogs> dialogs = QtDialogs();
  return dialogs;
}

}  // namespace

std::unique_ptr<TUserDialogs> QtDialogs() { return std::make_unique<TQtDialogs>(); }

TUserDialogs& UserDialogs() { return *Current(); }

void SetUserDialogs(std::unique_ptr<TUserDialogs> dialogs) { Current() = std::move(dialogs); }
