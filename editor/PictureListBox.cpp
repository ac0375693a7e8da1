#include "PictureListBox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

// An entry: its text is the path, its object the picture item it owns.
class TPictureEntry : public QListWidgetItem {
 public:
  TPictureEntry(const std::string& text, std::unique_ptr<TPictureItem> item)
      : QListWidgetItem(QString::fromStdString(text)), object(std::move(item)) {}
  std::unique_ptr<TPictureItem> object;
};

// Hands every entry's painting to the list's owner; the focus rectangle is the list's.
class TOwnerDrawDelegate : public QStyledItemDelegate {
 public:
  explicit TOwnerDrawDelegate(TPictureListBox* list) : QStyledItemDelegate(list), list_(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    if (list_->OnDrawItem) list_->OnDrawItem(*painter, index.row(), option.rect, selected);
    if (option.state & QStyle::State_HasFocus) {
      QStyleOptionFocusRect focus;
      focus.initFrom(list_);
      focus.rect = option.rect;
      focus.backgroundColor = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
      list_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, list_);
    }
  }

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return list_->gridSize(); }

 private:
  TPictureListBox* list_;
};

}  // namespace

TPictureListBox::TPictureListBox(QWidget* parent) : QListWidget(parent) {
  setItemDelegate(new TOwnerDrawDelegate(this));
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setViewMode(QListView::ListMode);
  setFlow(QListView::TopToBottom);
  setWrapping(true);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setSpacing(0);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setDragEnabled(false);
  setAcceptDrops(false);
}

TPictureListBox::~TPictureListBox() = default;

void TPictureListBox::resizeEvent(QResizeEvent* event) {
  // Three columns share the visible width.
  setGridSize(QSize(viewport()->width() / kColumns, kItemHeight));
  QListWidget::resizeEvent(event);
}

std::string TPictureListBox::Text(int index) const { return item(index)->text().toStdString(); }

TPictureItem* TPictureListBox::Object(int index) const {
  return static_cast<TPictureEntry*>(item(index))->object.get();
}

void TPictureListBox::InsertEntry(int index, const std::string& text, std::unique_ptr<TPictureItem> object) {
  insertItem(index, new TPictureEntry(text, std::move(object)));
  // As in every list box, a list with entries has a focus entry.
  if (currentRow() < 0) setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void TPictureListBox::AddEntry(const std::string& text, std::unique_ptr<TPictureItem> object) {
  InsertEntry(count(), text, std::move(object));
}

void TPictureListBox::DeleteEntry(int index) { delete takeItem(index); }

void TPictureListBox::ClearEntries() { clear(); }

void TPictureListBox::MoveEntry(int from, int to) {
  if (from == to) return;
  QListWidgetItem* entry = item(from);
  const bool wasSelected = entry->isSelected();
  takeItem(from);
  insertItem(to, entry);
  entry->setSelected(wasSelected);
  setCurrentItem(entry, QItemSelectionModel::NoUpdate);
}

bool TPictureListBox::Selected(int index) const { return item(index)->isSelected(); }

void TPictureListBox::SetSelected(int index, bool selected) { item(index)->setSelected(selected); }

int TPictureListBox::SelCount() const { return static_cast<int>(selectedItems().size()); }

void TPictureListBox::SetItemIndex(int index) { setCurrentRow(index, QItemSelectionModel::NoUpdate); }

int TPictureListBox::ItemAtPos(const QPoint& point) const {
  const QModelIndex index = indexAt(point);
  return index.isValid() ? index.row() : -1;
}

void TPictureListBox::BeginUpdate() {
  if (updateDepth_++ == 0) setUpdatesEnabled(false);
}

void TPictureListBox::EndUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) {
    setUpdatesEnabled(true);
    viewport()->update();
  }
}

void TPictureListBox::Click() {
  if (OnClick) OnClick();
}

void TPictureListBox::mousePressEvent(QMouseEvent* event) {
  dragging_ = false;
  pressPos_ = event->position().toPoint();
  pressedOnEntry_ = event->button() == Qt::LeftButton && ItemAtPos(pressPos_) >= 0;
  // Only a left press on an entry selects: one in the empty space (or a sweep from
  // there) changes nothing, so the selection never differs from what the controls show.
  if (!pressedOnEntry_) {
    setFocus(Qt::MouseFocusReason);
    return;
  }
  QListWidget::mousePressEvent(event);
  Click();
}

void TPictureListBox::mouseMoveEvent(QMouseEvent* event) {
  if (!pressedOnEntry_ || !(event->buttons() & Qt::LeftButton)) {
    if (event->buttons() == Qt::NoButton) QListWidget::mouseMoveEvent(event);
    return;
  }
  // A pressed entry that moves starts a drag, not a selection by sweeping.
  if (!dragging_ && (event->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance()) {
    dragging_ = true;
  }
  if (dragging_) {
    const bool accepted = OnDragOver && OnDragOver(this);
    viewport()->setCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
  }
}

void TPictureListBox::mouseReleaseEvent(QMouseEvent* event) {
  const bool pressedOnEntry = pressedOnEntry_;
  pressedOnEntry_ = false;
  if (!dragging_) {
    if (!pressedOnEntry) return;
    // A press on a selected entry changes the selection only now.
    QListWidget::mouseReleaseEvent(event);
    Click();
    return;
  }
  dragging_ = false;
  viewport()->unsetCursor();
  if (OnDragOver && OnDragOver(this) && OnDragDrop) OnDragDrop(this, event->position().toPoint());
}

void TPictureListBox::keyPressEvent(QKeyEvent* event) {
  if (OnKeyDown) OnKeyDown(event->key());
  const int before = currentRow();
  const auto selectedBefore = selectedItems();
  QListWidget::keyPressEvent(event);
  if (currentRow() != before || selectedItems() != selectedBefore) Click();
}
