#pragma once
// Going to the last record without waiting for the count. The last record
// of a large result is known only once its rows are counted; while the
// count beside the window still runs, the cursor goes to the last row
// counted so far and stays on the last row as the count grows, until the
// count ends (the cursor is then on the true last record) or the cursor is
// moved otherwise. Where no count runs beside, it is Dataset::last().

#include <QObject>
#include <QPointer>

namespace korvel::db { class Dataset; }

namespace korvel::ui {

class EndFollower : public QObject {
  Q_OBJECT
 public:
  explicit EndFollower(QObject* parent = nullptr) : QObject(parent) {}

  // `readRows`: rows a view has already read, which can be shown at once
  // although a count statement tells nothing before it ends. Throws
  // EngineError as Dataset::last() does.
  void goToLast(db::Dataset* dataset, int readRows = 0);
  bool following() const { return following_; }
  void stop();

 private:
  void countGrew(int rows, bool final);
  void move(db::Dataset* dataset, int row);

  QPointer<db::Dataset> dataset_;
  QMetaObject::Connection counted_;
  QMetaObject::Connection reset_;
  QMetaObject::Connection moved_;
  bool following_ = false;
  bool moving_ = false;  // the follower itself moves the cursor
};

}  // namespace korvel::ui
