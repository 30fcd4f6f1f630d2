#pragma once
// Reads a server query's rows by position from a scroll cursor on a
// connection of its own, so that a result without a key is produced by the
// server once per open, however the window jumps through it.
//
// The dataset's own connection cannot hold the cursor: it browses outside any
// transaction, and writes and the user's statements begin and commit
// transactions on it. The reader's connection holds one read-only transaction
// for as long as the reader lives; destroying the reader ends it.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <vector>

#include "db/sideconnection.h"

namespace korvel::db {

class ScrollReader {
 public:
  using RowReader = std::function<QVector<QVariant>(QSqlQuery&)>;

  // Opens the connection through `connector` (the driver's side connector,
  // which takes over the settings the session of `own` has made: search
  // path, time zone, date style ...), begins a read-only
  // transaction and declares the cursor over `statement`, which is used
  // exactly as given and must be a single statement (the server refuses
  // more than one). Rows are read with `readRow` under the numeric
  // precision of `own`, so they read as on that connection.
  // EngineError on failure; nothing is left open then.
  ScrollReader(const SideConnector& connector, const QSqlDatabase& own, const QString& statement,
               RowReader readRow);
  ~ScrollReader();
  ScrollReader(const ScrollReader&) = delete;
  ScrollReader& operator=(const ScrollReader&) = delete;

  // Rows [start, start + count), fewer at the end of the result.
  // EngineError when the server refuses or the connection is gone.
  std::vector<QVector<QVariant>> read(int start, int count);

 private:
  void run(const QString& sql, const QString& context);
  void nameAfter(const QSqlDatabase& own);
  void moveTo(int start);
  // How many times slower a row is passed going backward than forward.
  static constexpr int kBackwardCost = 16;
  void close();

  QString connectionName_;
  RowReader readRow_;
  QSql::NumericalPrecisionPolicy precision_;
  int position_ = 0;  // rows before the cursor's next row; -1: unknown
};

}  // namespace korvel::db
