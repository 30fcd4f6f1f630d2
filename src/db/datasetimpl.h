#pragma once
// Internal state of a Dataset: the statement it pages through, its fields,
// a bounded cache of fetched pages, the anchors and background count that
// let any position be reached at the same cost, the cursor and the edit
// buffers. Only the engine includes this header.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QVariant>
#include <QVector>
#include <map>
#include <memory>
#include <vector>

#include "db/dataset.h"
#include "db/repeatedstatement.h"
#include "db/rowanchors.h"
#include "db/typemap.h"

namespace korvel::db {

class Driver;
class RowCounter;
class ScrollReader;
struct CountPlan;

struct FieldInfo {
  QString name;
  QString label;
  int displayWidth = 0;
  ColumnMeta meta;
  bool indexField = false;
  bool readOnly = true;
  QString writeColumn;  // quoted column to write, empty when not writable
};

// How a page is found from its position.
enum class SeekStyle {
  Offset,    // by position (OFFSET), or by a forward cursor
  Key,       // by the order values, which are unique: from a neighbouring
             // page or an anchor, skipping less than one anchor interval
  Physical,  // by ranges of row addresses (PostgreSQL ctid); read only
};

// What a Table or Query gives the paging machinery.
struct RowSource {
  QString select;         // statement producing the rows (fields, then hidden columns)
  bool wrapped = false;   // page and count it as a subquery
  bool sequentialOnly = false;  // cannot be paged by statement (not a SELECT)
  QStringList order;      // quoted ORDER BY terms; empty = the statement's own order
  bool orderIsKey = false;  // `order` is the locator: row positions can be computed
  SeekStyle seek = SeekStyle::Offset;
  QString from;                   // quoted table of the seek statements (Key, Physical)
  std::vector<int> orderIndexes;  // result column of each order term (Key, Physical)
  QString countSql;
  QString table;           // quoted table written to; empty = read only
  QStringList keyColumns;  // quoted columns locating a row
  std::vector<int> keyIndexes;    // result column of each key column
  std::vector<int> searchFields;  // fields of the primary index (key search)
  int hiddenColumns = 0;          // trailing locator columns that are no fields
};

using Row = QVector<QVariant>;

struct Dataset::Impl {
  explicit Impl(Dataset* owner);
  ~Impl();

  static constexpr int kPageSize = 100;
  static constexpr size_t kMaxPages = 12;
  static constexpr int kAnchorStride = 1000;  // rows between anchors of a key walk

  Dataset* self;
  QString connectionName;
  Driver* driver = nullptr;
  QString tableType;  // of the open dataset (Dataset::driverName)
  RowSource source;
  std::vector<FieldInfo> fields;
  std::vector<Field> fieldObjects;

  struct Page {
    std::vector<Row> rows;
    quint64 lastUse = 0;
  };
  std::map<int, Page> pages;
  quint64 useClock = 0;
  int knownCount = -1;  // rows in the result; -1 until known
  // A bounded count found more rows than this: not counted so again until
  // the rows are read afresh (boundedcount.cpp); -1 until then.
  int countedPast = -1;
  // Locator of the last row, valid while knownCount equals lastKeyCount: an
  // appended row whose integer key sorts after it goes at the end without
  // re-reading the rows (appendplacement.cpp).
  QVector<QVariant> lastKey;
  int lastKeyCount = -1;

  // Anchors and the background count (rowcount.cpp). anchorsComplete: the
  // anchors cover every row (the walk that made them ended).
  RowAnchors anchors;
  bool anchorsComplete = false;
  std::unique_ptr<RowCounter> counter;
  // How the count beside goes: a walk (anchors), else the count statement
  // once a walk failed, else not at all (it failed too, or was stopped).
  enum class AsideCount { Walk, Statement, Off };
  AsideCount asideCount = AsideCount::Walk;
  bool countWalks = false;  // the running count is a walk
  int countedRows = 0;      // rows the running count has reached
  // Physical paging (physicalseek.cpp): blocks of the relation and rows per
  // block, as the catalog said at open.
  qint64 physicalBlocks = 0;
  double rowsPerBlock = 50;

  // A forward cursor: for drivers that cannot page by statement, and to go
  // on reading a query where the last page ended.
  std::unique_ptr<QSqlQuery> sequential;
  int sequentialPos = 0;
  // A read-only query without key on a server that offers scroll cursors
  // is read through one on a second connection (scrollpaging.cpp), so a
  // jump does not run the statement again. Dropped with the rows; after
  // repeated failures the rows are read by position instead.
  std::unique_ptr<ScrollReader> scrollReader;
  int scrollFailures = 0;
  static constexpr int kMaxScrollFailures = 2;
  // A reader left unused this long is ended: its open transaction would
  // keep other programs' table changes waiting and old row versions alive.
  static constexpr int kScrollIdleMs = 60000;
  std::unique_ptr<QTimer> scrollIdle;
  // The last INSERT prepared, kept for the next post of the same fields.
  std::unique_ptr<RepeatedStatement> insertQuery;
  std::vector<bool> insertColumns;  // the fields it writes

  int cur = -1;  // display row of the cursor
  bool eof = true;
  bool bof = true;

  Row buffer;                 // field values while editing or inserting
  std::vector<bool> changed;  // per field
  int pendingRow = -1;        // display row of the record being inserted
  int savedCur = -1;          // cursor before insert
  Row keyBuffer;              // SetKey values

  QSqlDatabase db() const { return QSqlDatabase::database(connectionName, false); }
  void reset();
  bool bySequence() const;
  // Runs the first page, describes the columns and builds the fields.
  void start(RowSource rows);

  // Data rows (without a pending insert).
  const Row* dataRow(int row);
  int dataCount();  // waits for a running count, else counts now
  // Drops every cached row and what is known of the count (rows may have
  // changed anywhere).
  void invalidateRows();
  // Drops the cached pages only: the count and anchors stay valid.
  void dropPages();
  // A row was inserted at (delta 1) or removed from (delta -1) position
  // `row` through this dataset: the count and anchors follow, a count still
  // running is started again.
  void rowsShifted(int row, int delta);
  // Drops a cursor kept open between page reads (not the one of a statement
  // that can only be read in sequence).
  void releaseCursor() {
    if (!bySequence()) sequential.reset();
    dropScrollReader();
    endAppendRun();
  }
  // Posts made while control stays away from the event loop form a run: the
  // kept INSERT and the last row's key live for one run, so the next run
  // starts from the table as other programs left it.
  void endAppendRun() {
    insertQuery.reset();
    lastKey.clear();
    lastKeyCount = -1;
  }

  // Background count (rowcount.cpp).
  void startCount();          // when a second connection can count; no-op otherwise
  void stopCount();           // cancels and forgets a running count
  bool counting() const;
  void takeCount();           // applies what the count has reached
  bool joinCount();           // waits for a running count; true when it gave the count

  // Display rows: data rows plus the pending inserted record.
  int displayCount();
  bool isPending(int row) const { return pendingRow >= 0 && row == pendingRow; }
  int dataIndex(int displayRow) const {
    return pendingRow >= 0 && displayRow > pendingRow ? displayRow - 1 : displayRow;
  }
  QVariant fieldValue(int row, int field);  // for any display row

  void beginInsert(bool atEnd);
  void write();  // the post of the edit or insert buffer
  // Rows that sort before `orderValues` on the first `columns` order terms
  // (keyseek.cpp): from the anchors where they serve, else by a count.
  int positionOf(const QVector<QVariant>& orderValues, int columns);
  QString keyComparison(const QVector<QVariant>& values, int columns, const QString& op,
                        QVector<QVariant>& binds) const;
  QVector<QVariant> locatorOf(const Row& row) const;
  QVector<QVariant> orderValuesOf(const Row& row) const;
  // " LIMIT n OFFSET m" in the driver's dialect.
  QString limitClause(int limit, int offset) const;

 private:
  void loadPage(int page);
  std::vector<Row> readPage(int start, int count);
  std::vector<Row> readByOffset(int start, int count);
  std::vector<Row> readFromEnd(int start, int count);
  std::vector<Row> readContinuing(int start, int count);
  // The forward cursor kept for the next page (until the event loop runs).
  void keepCursor(std::unique_ptr<QSqlQuery> cursor, int position);
  std::vector<Row> readFromCursor(int start, int count);
  bool cursorAt(int start) const;
  void noteShortPage(int start, int rows);
  // Scroll cursor paging (scrollpaging.cpp).
  bool scrollCursorServes() const;
  bool readByScrollCursor(int start, int count, std::vector<Row>& rows);
  void endReaderWhenIdle();  // (re)starts the idle timer
 public:
  // Ends the reader's transaction and connection (its snapshot is stale,
  // or its locks would stand in the way of a write).
  void dropScrollReader();
 private:
  std::vector<Row> readSequential(int start, int count);
  std::vector<Row> runRows(QSqlQuery& q);
  QString pageSql(int offset, int limit, bool reverse) const;
  QString orderedSelect() const;  // the statement in its page order, unpaged
  Row readRow(QSqlQuery& q) const;
  void buildFields(const QSqlQuery& query);
  int countNow();  // a COUNT on the dataset's own connection

  // Keyset paging (keyseek.cpp).
  bool readByKey(int start, int count, std::vector<Row>& rows);
  // The page at `start`, `count` rows after `bound` skipping `skip`.
  std::vector<Row> readAfterKey(const QVector<QVariant>& bound, int skip, int count, int start);
  std::vector<Row> readBeforeKey(const QVector<QVariant>& bound, int count);
  bool anchorSortsBefore(const RowAnchor& anchor, const QVector<QVariant>& key);
  int positionByAnchors(const QVector<QVariant>& key);
  int countWhere(const QString& condition, const QVector<QVariant>& binds);

  // Physical paging (physicalseek.cpp).
  void describeRelation();
  std::vector<Row> readByAddress(int start, int count);
  std::vector<Row> readAddressRange(const QString& from, bool inclusive, int skip, int count,
                                    qint64 endBlock);
  std::vector<Row> readAddressesBefore(const QString& before, int count);

  // Counting (rowcount.cpp).
  CountPlan countPlan() const;
  void applyCount(int rows, bool final);

  void update();
  void insertRecord();
  RepeatedStatement& insertStatement(bool returning, const QString& context);
  QVector<QVariant> assignedKey() const;
  bool lastKeyKnown();
  bool countStillRight();
  bool placeAtEnd(const QVector<QVariant>& key);
};

// Whether every part of `key` is an integer (not NULL).
bool isIntegerKey(const QVector<QVariant>& key);

}  // namespace korvel::db
