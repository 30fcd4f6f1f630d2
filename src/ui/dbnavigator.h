#pragma once
// The record navigator: first, prior, next, last, insert, delete, edit,
// post, cancel and refresh for the dataset of a DataSource.

#include <QWidget>

class QToolButton;

namespace korvel::ui {

class DataSource;
class EndFollower;

class DBNavigator : public QWidget {
  Q_OBJECT
 public:
  enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh, Count };

  explicit DBNavigator(QWidget* parent = nullptr);
  void setDataSource(DataSource* source);
  QToolButton* button(Button which) const { return buttons_[which]; }

 private:
  void press(Button which);
  void updateButtons();

  DataSource* source_ = nullptr;
  QToolButton* buttons_[Count] = {};
  EndFollower* toEnd_;  // Last while the rows are still being counted
};

}  // namespace korvel::ui
