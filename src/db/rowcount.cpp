// Counting a dataset's rows beside the window: a RowCounter on a second
// connection walks the rows (making anchors on the way) or runs the count
// statement, and the dataset takes what it reached as it goes, telling views
// through rowsCounted(). A count that cannot run beside (no second
// connection, an open transaction whose rows only this connection sees) is
// run on the dataset's own connection when it is needed.

#include <QPointer>
#include <QTimer>

#include "db/datasetimpl.h"
#include "db/driver.h"
#include "db/rowcounter.h"

namespace korvel::db {

CountPlan Dataset::Impl::countPlan() const {
  CountPlan plan;
  plan.stride = kAnchorStride;
  plan.countSql = source.countSql;
  // A source read only in sequence takes no LIMIT: it is counted by the statement.
  if (source.seek == SeekStyle::Key && !source.from.isEmpty() && !bySequence()) {
    plan.walk = CountPlan::Walk::Keys;
    const int columns = static_cast<int>(source.order.size());
    const QString keys = source.order.join(QStringLiteral(", "));
    // The bound's values, numbered, show which placeholder takes which.
    QVector<QVariant> numbered;
    for (int i = 0; i < columns; ++i) numbered << i;
    QVector<QVariant> binds;
    const QString after = keyComparison(numbered, columns, QStringLiteral(">"), binds);
    for (const QVariant& b : binds) plan.boundBinds << b.toInt();
    const QString step = QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %1").arg(keys, source.from);
    plan.firstStep = step.arg(QString()) + limitClause(1, plan.stride - 1);
    plan.nextStep = step.arg(QStringLiteral(" WHERE ") + after) + limitClause(1, plan.stride - 1);
    const QString rest = QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 AS korvel_one FROM %1%2%3) korvel_rest");
    plan.firstRest = rest.arg(source.from, QString(), limitClause(plan.stride, 0));
    plan.nextRest = rest.arg(source.from, QStringLiteral(" WHERE ") + after, limitClause(plan.stride, 0));
  } else if (source.seek == SeekStyle::Physical) {
    plan.walk = CountPlan::Walk::Blocks;
    QString relation = source.from;
    relation.replace(u'\'', QStringLiteral("''"));
    plan.blockCountSql = QStringLiteral("SELECT CAST(pg_relation_size(CAST('%1' AS regclass)) / "
                                        "current_setting('block_size')::int AS bigint)")
                             .arg(relation);
    plan.blockRowsSql = QStringLiteral("SELECT COUNT(*) FROM %1 WHERE ctid >= CAST(? AS tid) AND ctid < CAST(? AS tid)")
                            .arg(source.from);
    plan.rowsPerBlock = rowsPerBlock;
  }
  return plan;
}

// Starts the count beside when the count is not known, nothing counts yet
// and a second connection sees the same rows as this one.
void Dataset::Impl::startCount() {
  if (counter || knownCount >= 0 || !driver || source.countSql.isEmpty()) return;
  if (asideCount == AsideCount::Off || driver->inTransaction(db())) return;
  SideConnector connector = driver->sideConnector(db());
  if (!connector) return;
  CountPlan plan = countPlan();
  if (asideCount == AsideCount::Statement) plan.walk = CountPlan::Walk::Statement;
  countWalks = plan.walk != CountPlan::Walk::Statement;
  anchors.clear();
  anchorsComplete = false;
  countedRows = 0;
  counter = std::make_unique<RowCounter>(std::move(connector), std::move(plan));
  QObject::connect(counter.get(), &RowCounter::progressed, self, [owner = QPointer<Dataset>(self)] {
    if (owner) owner->impl()->takeCount();
  });
  counter->start();
}

void Dataset::Impl::stopCount() {
  if (!counter) return;
  counter->cancel();
  counter.reset();
  anchors.clear();
  anchorsComplete = false;
  countedRows = 0;
}

bool Dataset::Impl::counting() const { return counter != nullptr; }

// A walk that fails (order values it cannot seek past, a statement the
// second connection refuses) leaves the count statement; when that fails
// too, counting is left to the dataset's own connection.
void Dataset::Impl::takeCount() {
  if (!counter) return;
  RowCounter::Progress progress = counter->take();
  for (const RowAnchor& anchor : progress.anchors) anchors.append(anchor);
  if (progress.failed) {
    counter.reset();
    anchors.clear();
    countedRows = 0;
    asideCount = countWalks ? AsideCount::Statement : AsideCount::Off;
    startCount();
    // Nothing counts beside any more: views hear that the count ended
    // without the whole result (countingRows() is false).
    if (!counter && knownCount < 0) applyCount(0, false);
    return;
  }
  if (progress.finished) {
    counter.reset();
    anchorsComplete = countWalks;
    knownCount = progress.rows;
    countedRows = progress.rows;
    applyCount(progress.rows, true);
    return;
  }
  // Once the count is known (counted on the dataset's connection while the
  // walk goes on), the walk's progress changes nothing a view shows.
  if (progress.rows > countedRows) {
    countedRows = progress.rows;
    if (knownCount < 0) applyCount(progress.rows, false);
  }
}

void Dataset::Impl::applyCount(int rows, bool final) {
  emit self->rowsCounted(rows + (pendingRow >= 0 ? 1 : 0), final);
}

bool Dataset::Impl::joinCount() {
  if (!counter) return false;
  counter->wait();
  takeCount();
  return knownCount >= 0;
}

// The count and anchors move with the row. A count still running counted
// rows on either side of the change as they were then: it starts again once
// control is back in the event loop.
void Dataset::Impl::rowsShifted(int row, int delta) {
  if (counter) {
    stopCount();
    knownCount = -1;
    QTimer::singleShot(0, self, [owner = QPointer<Dataset>(self)] {
      if (owner && owner->active()) owner->impl()->startCount();
    });
    return;
  }
  if (knownCount >= 0) knownCount += delta;
  anchors.shift(row, delta);
}

}  // namespace korvel::db
