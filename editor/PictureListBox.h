// The slide show as a list box: each entry's text is a picture's full path and its
// object that picture's TPictureItem, owned by the entry. Entries are drawn by the
// owner (OnDrawItem) in fixed 64-pixel rows, three columns filled top to bottom,
// scrolling sideways; a press on an entry and a move start a drag within the list.
#pragma once

#include <QListWidget>
#include <functional>
#include <memory>
#include <string>

#include "writer/PictureItem.h"

class TPictureListBox : public QListWidget {
  Q_OBJECT
 public:
  static constexpr int kItemHeight = 64;
  static constexpr int kColumns = 3;

  explicit TPictureListBox(QWidget* parent);
  ~TPictureListBox() override;

  int Count() const { return count(); }
  std::string Text(int index) const;
  TPictureItem* Object(int index) const;
  void InsertEntry(int index, const std::string& text, std::unique_ptr<TPictureItem> item);
  void AddEntry(const std::string& text, std::unique_ptr<TPictureItem> item);
  // Removes the entry and destroys its TPictureItem.
  void DeleteEntry(int index);
  void ClearEntries();
  // Moves an entry with its object; the entries in between shift by one place.
  void MoveEntry(int from, int to);

  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;
  // The focus entry (the list's current item), -1 when there is none.
  int ItemIndex() const { return currentRow(); }
  void SetItemIndex(int index);
  // The entry under a point of the list, -1 in the empty space.
  int ItemAtPos(const QPoint& point) const;

  // Painting is suspended between the two; EndUpdate repaints once.
  void BeginUpdate();
  void EndUpdate();

  // Handlers the owner binds (OnClick, OnDrawItem, OnKeyDown, OnDragOver, OnDragDrop).
  std::function<void()> OnClick;
  std::function<void(QPainter& canvas, int index, const QRect& rect, bool selected)> OnDrawItem;
  std::function<void(int key)> OnKeyDown;
  std::function<bool(QObject* source)> OnDragOver;
  std::function<void(QObject* source, const QPoint& point)> OnDragDrop;

  bool Dragging() const { return dragging_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Click();

  QPoint pressPos_;
  bool pressedOnEntry_ = false;
  bool dragging_ = false;
  int updateDepth_ = 0;
};

// Suspends the list's painting for its lifetime; it repaints once at the end.
class TListUpdate {
 public:
  explicit TListUpdate(TPictureListBox& list) : list_(list) { list_.BeginUpdate(); }
  ~TListUpdate() { list_.EndUpdate(); }
  TListUpdate(const TListUpdate&) = delete;
  TListUpdate& operator=(const TListUpdate&) = delete;

 private:
  TPictureListBox& list_;
};
