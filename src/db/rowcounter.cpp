#include "db/rowcounter.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>

#include "db/driver.h"
#include "db/engineerror.h"

namespace korvel::db {
namespace {

constexpr qint64 kSignalIntervalMs = 50;  // progress reaches the window at most this often
constexpr unsigned long kStopWaitMs = 3000;

QString blockBound(qint64 block) { return QStringLiteral("(%1,0)").arg(block); }

int clampedRows(qint64 rows) { return static_cast<int>(std::clamp<qint64>(rows, 0, INT_MAX)); }

const QString kContext = QStringLiteral("Cannot count the rows");
const QString kCancelled = QStringLiteral("The count was cancelled");

}  // namespace

struct RowCounter::Work {
  SideConnector connector;
  CountPlan plan;
  QString connectionName;
  std::atomic<bool> cancelled{false};

  std::mutex mutex;  // guards what follows
  RowCounter* owner = nullptr;  // cleared when the counter goes away first
  Progress pending;
  QElapsedTimer sinceSignal;
  std::unique_ptr<StatementInterrupt> interrupt;

  void run();
  void countByStatement(QSqlDatabase& db);
  void walkKeys(QSqlDatabase& db);
  void walkBlocks(QSqlDatabase& db);
  void report(RowAnchor anchor, int rows);
  void finish(int rows);
  void fail(const QString& error);
  // Tells the owner, if any, that there is progress to take. Called with
  // the mutex held: the owner cannot go away meanwhile, and the signal only
  // posts an event to the owner's thread.
  void signalOwner() {
    if (owner) emit owner->progressed();
  }
};

RowCounter::RowCounter(SideConnector connector, CountPlan plan, QObject* parent)
    : QObject(parent), work_(std::make_shared<Work>()) {
  static std::atomic<int> serial{0};
  work_->connector = std::move(connector);
  work_->plan = std::move(plan);
  work_->connectionName = QStringLiteral("korvel:count:%1").arg(++serial);
  work_->owner = this;
}

RowCounter::~RowCounter() {
  cancel();
  {
    std::lock_guard lock(work_->mutex);
    work_->owner = nullptr;
  }
  if (!thread_) return;
  if (thread_->wait(kStopWaitMs)) {
    delete thread_;
    return;
  }
  // Still inside a statement that could not be interrupted: the thread ends
  // on its own and deletes itself; its work holds nothing of ours.
  QObject::connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
}

void RowCounter::start() {
  if (thread_) return;
  thread_ = QThread::create([work = work_] { work->run(); });
  thread_->start(QThread::LowPriority);
}

void RowCounter::cancel() {
  work_->cancelled = true;
  std::lock_guard lock(work_->mutex);
  if (work_->interrupt) work_->interrupt->interrupt();
}

bool RowCounter::running() const { return thread_ && !thread_->isFinished(); }

void RowCounter::wait() {
  if (thread_) thread_->wait();
}

RowCounter::Progress RowCounter::take() {
  std::lock_guard lock(work_->mutex);
  Progress taken = work_->pending;
  work_->pending.anchors.clear();
  return taken;
}

void RowCounter::Work::run() {
  try {
    QSqlDatabase db = connector(connectionName);
    {
      std::lock_guard lock(mutex);
      interrupt = StatementInterrupt::forConnection(db);
    }
    try {
      if (!cancelled) {
        switch (plan.walk) {
          case CountPlan::Walk::Statement: countByStatement(db); break;
          case CountPlan::Walk::Keys: walkKeys(db); break;
          case CountPlan::Walk::Blocks: walkBlocks(db); break;
        }
      }
      if (cancelled) fail(kCancelled);
    } catch (const EngineError& e) {
      fail(cancelled ? kCancelled : e.lastMessage());
    }
    {
      std::lock_guard lock(mutex);
      interrupt.reset();
    }
    db.close();
  } catch (const EngineError& e) {
    fail(e.lastMessage());  // no connection could be opened
  }
  QSqlDatabase::removeDatabase(connectionName);
}

void RowCounter::Work::countByStatement(QSqlDatabase& db) {
  QSqlQuery q(db);
  q.setForwardOnly(true);
  execOrThrow(q, plan.countSql, kContext);
  if (!q.next()) throw EngineError(QStringLiteral("The count gave no row"));
  finish(clampedRows(q.value(0).toLongLong()));
}

// Each step skips `stride` rows past the last bound through the key's index
// and gives the order values of the row it stops at: the next anchor.
void RowCounter::Work::walkKeys(QSqlDatabase& db) {
  QSqlQuery first(db), next(db), rest(db);
  for (QSqlQuery* q : {&first, &next, &rest}) q->setForwardOnly(true);
  prepareOrThrow(first, plan.firstStep, kContext);
  prepareOrThrow(next, plan.nextStep, kContext);
  const auto bindBound = [&](QSqlQuery& q, const QVector<QVariant>& bound) {
    for (int i = 0; i < plan.boundBinds.size(); ++i) q.bindValue(i, bound.value(plan.boundBinds[i]));
  };
  QVector<QVariant> bound;
  qint64 rows = 0;
  while (!cancelled) {
    QSqlQuery& step = bound.isEmpty() ? first : next;
    if (!bound.isEmpty()) bindBound(step, bound);
    execOrThrow(step, kContext);
    if (!step.next()) break;
    const int width = step.record().count();
    QVector<QVariant> key(width);
    for (int i = 0; i < width; ++i) {
      key[i] = step.value(i);
      // A NULL order value cannot be sought past: no anchors, only a count.
      if (key[i].isNull()) throw EngineError(QStringLiteral("The order values hold NULL"));
    }
    step.finish();
    rows += plan.stride;
    if (rows > INT_MAX - plan.stride) throw EngineError(QStringLiteral("Too many rows to count"));
    bound = key;
    report(RowAnchor{static_cast<int>(rows), key}, static_cast<int>(rows));
  }
  if (cancelled) return;
  prepareOrThrow(rest, bound.isEmpty() ? plan.firstRest : plan.nextRest, kContext);
  if (!bound.isEmpty()) bindBound(rest, bound);
  execOrThrow(rest, kContext);
  if (!rest.next()) throw EngineError(QStringLiteral("The count gave no row"));
  finish(clampedRows(rows + rest.value(0).toLongLong()));
}

// Rows are counted per range of blocks, each range sized to hold about one
// stride of rows by what the ranges before held. The relation's size is read
// again at its end, so blocks added meanwhile are counted too.
void RowCounter::Work::walkBlocks(QSqlDatabase& db) {
  QSqlQuery size(db), range(db);
  const auto blocks = [&] {
    execOrThrow(size, plan.blockCountSql, kContext);
    const qint64 n = size.next() ? size.value(0).toLongLong() : 0;
    size.finish();
    return n;
  };
  prepareOrThrow(range, plan.blockRowsSql, kContext);
  double perBlock = std::max(0.01, plan.rowsPerBlock);
  qint64 total = blocks();
  qint64 block = 0;
  qint64 rows = 0;
  while (!cancelled) {
    if (block >= total && (total = blocks()) <= block) break;
    const qint64 span = std::clamp<qint64>(static_cast<qint64>(plan.stride / perBlock), 1, 1 << 20);
    range.bindValue(0, blockBound(block));
    range.bindValue(1, blockBound(block + span));
    execOrThrow(range, kContext);
    const qint64 found = range.next() ? range.value(0).toLongLong() : 0;
    range.finish();
    rows += found;
    if (rows > INT_MAX) throw EngineError(QStringLiteral("Too many rows to count"));
    block += span;
    // Ranges follow the rows per block met so far; empty blocks widen them.
    perBlock = found > 0 ? std::max(0.01, static_cast<double>(found) / static_cast<double>(span))
                         : std::max(0.01, perBlock / 2);
    report(RowAnchor{static_cast<int>(rows), {blockBound(block)}}, static_cast<int>(rows));
  }
  if (!cancelled) finish(static_cast<int>(rows));
}

void RowCounter::Work::report(RowAnchor anchor, int rows) {
  std::lock_guard lock(mutex);
  pending.anchors.push_back(std::move(anchor));
  pending.rows = rows;
  if (!sinceSignal.isValid() || sinceSignal.elapsed() >= kSignalIntervalMs) {
    sinceSignal.start();
    signalOwner();
  }
}

void RowCounter::Work::finish(int rows) {
  std::lock_guard lock(mutex);
  pending.rows = rows;
  pending.finished = true;
  signalOwner();
}

void RowCounter::Work::fail(const QString& error) {
  std::lock_guard lock(mutex);
  if (pending.finished || pending.failed) return;
  pending.failed = true;
  pending.error = error;
  signalOwner();
}

}  // namespace korvel::db
