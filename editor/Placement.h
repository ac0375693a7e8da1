// Placing a component of a form description: its name, position and size.
#pragma once

#include <QLabel>

template <class Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(name);
  widget->setGeometry(left, top, width, height);
  return widget;
}

// A label of its text's natural size at (left, top).
inline QLabel* PlaceLabel(QLabel* label, const char* name, int left, int top) {
  label->setObjectName(name);
  label->adjustSize();
  label->move(left, top);
  return label;
}
