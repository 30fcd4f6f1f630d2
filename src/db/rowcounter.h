#pragma once
// Counting a result's rows in a thread of its own, on a connection of its
// own, while the window shows the first rows at once. For results paged by
// their keys the count walks the keys in steps and hands back anchors
// (rowanchors.h) on the way, so every row counted so far can be reached at
// the cost of a short step; other results are counted by one COUNT statement.
//
// The count can be cancelled at any time: between the steps of a walk, and
// inside a statement where the driver can interrupt one. Progress is handed
// over through take(); the progressed() signal says when there is some.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVector>
#include <memory>
#include <vector>

#include "db/rowanchors.h"
#include "db/sideconnection.h"

namespace korvel::db {

// What to count and how. The statements are built by the dataset (it knows
// the driver's dialect) and only run by the counter.
struct CountPlan {
  enum class Walk {
    Statement,  // `countSql` gives the count
    Keys,       // step through the order values `stride` rows at a time
    Blocks,     // count rows per range of physical blocks (PostgreSQL ctid)
  };
  Walk walk = Walk::Statement;
  QString countSql;
  int stride = 1000;

  // Keys: the order values of the row `stride` - 1 rows after the start
  // (firstStep) or after a bound (nextStep, binding the bound's values), and
  // the number of rows left, at most stride (firstRest, nextRest).
  QString firstStep, nextStep, firstRest, nextRest;

  // Blocks: the number of blocks of the relation (no binds), and the rows
  // in [block a, block b) binding the two bounds as "(a,0)" and "(b,0)".
  QString blockCountSql, blockRowsSql;
  double rowsPerBlock = 50;  // an estimate that sizes the first ranges
  // The bound value each placeholder of nextStep and nextRest takes.
  QVector<int> boundBinds;
};

class RowCounter : public QObject {
  Q_OBJECT
 public:
  RowCounter(SideConnector connector, CountPlan plan, QObject* parent = nullptr);
  // Cancels the count and waits for its thread; a thread stuck in a
  // statement no driver call can interrupt is left to end on its own.
  ~RowCounter() override;

  void start();
  void cancel();
  bool running() const;
  // Blocks until the count has ended (done, failed or cancelled).
  void wait();

  struct Progress {
    std::vector<RowAnchor> anchors;  // new since the last take()
    int rows = 0;                    // rows counted so far
    bool finished = false;           // `rows` is the whole result
    bool failed = false;             // ended without a count (error or cancel)
    QString error;
  };
  Progress take();

 signals:
  // Something new can be taken; emitted from the counting thread, so
  // receivers in the window's thread get it queued.
  void progressed();

 private:
  struct Work;  // what the counting thread uses; outlives this object if need be
  std::shared_ptr<Work> work_;
  QThread* thread_ = nullptr;
};

}  // namespace korvel::db
