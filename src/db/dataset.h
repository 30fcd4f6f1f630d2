#pragma once
// The part shared by tables and queries: fields, navigation over a record
// cursor, editing states and their notifications.
//
// Rows are fetched from the driver on demand in pages; a bounded number of
// pages is kept, so browsing memory does not grow with the table. A page is
// found by the order values of its neighbours or of anchors where the rows
// have a key (or row id, or row address), so reaching any row costs the same
// in a small and in a huge table. The rows are counted beside the window on
// a second connection where the driver allows one (rowsCounted()).

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

#include "db/engineerror.h"
#include "db/field.h"

namespace korvel::db {

enum class DatasetState { Inactive, Browse, Edit, Insert, SetKey, CalcFields };

struct FieldInfo;        // driver-provided column description (internal)

class Dataset : public QObject {
  Q_OBJECT
 public:
  explicit Dataset(QObject* parent = nullptr);
  ~Dataset() override;

  // The alias the dataset is bound to.
  QString databaseName() const { return databaseName_; }
  void setDatabaseName(const QString& alias);

  void open();   // EngineError on failure; the dataset stays Inactive
  void close();  // cancels a pending edit; no error when already closed
  bool active() const { return state_ != DatasetState::Inactive; }
  void setActive(bool on) { on ? open() : close(); }
  DatasetState state() const { return state_; }

  // Fields of the open dataset, in column order.
  int fieldCount() const;
  Field& field(int index);
  Field* findField(const QString& name);  // case-insensitive, nullptr if none
  Field& fieldByName(const QString& name);  // EngineError if none

  // Navigation. recNo() is 0-based; -1 when there are no rows.
  void first();
  void next();
  void prior();
  void last();
  void moveTo(int row);
  bool eof() const;  // true after next() past the last row, or when empty
  bool bof() const;
  int recNo() const;
  // Rows in the result. Waits for a count running beside the window, else
  // counts on the dataset's own connection when the count is not known.
  int recordCount();
  // Rows a view shows: the result's rows plus a record being inserted.
  int displayRowCount();
  // min(wanted, displayRowCount()) without counting the whole result: reads
  // at most the page that holds row wanted - 1.
  int availableRows(int wanted);
  // displayRowCount() when it is known without a count, else -1.
  int knownRowCount() const;
  // displayRowCount() when the result holds at most `limit` rows, found by a
  // count that reads no more than limit + 1 rows (boundedcount.cpp); else -1,
  // also where rows cannot be counted that way. A count found is kept.
  int countUpTo(int limit);

  // The count beside the window: started when the dataset opens (where the
  // driver can open a second connection and the rows are not known from the
  // first page). countingRows(): it runs; countedRows(): the rows it has
  // reached (display rows), every one of them readable at once.
  bool countingRows() const;
  int countedRows() const;
  // Starts the count beside again when it is not running and the count is
  // not known (after a cancel, or when it could not start at open). False
  // when it cannot run beside: recordCount() then counts on the spot.
  bool countRowsAside();
  // Stops the count beside; the rows are then counted when next needed.
  void cancelCount();

  // Rows held in memory: bounded by maxCachedRows(), whatever the size of
  // the result.
  int cachedRows() const;
  static int maxCachedRows();

  // Editing.
  void edit();
  void append();  // a new empty record at the end (Insert state)
  void insert();  // a new empty record before the current one
  void post();    // writes only changed fields; postError fires before raising
  void cancel();
  void deleteRecord();
  bool canModify() const;  // rows can be located and written

  // A record's place that survives edits: its locator (key or row id) and
  // the row it was at. Only datasets that can be modified have locators.
  struct Bookmark {
    QVector<QVariant> locator;
    int row = -1;
  };
  Bookmark bookmark();  // of the current record; EngineError when there is none
  // Moves to the bookmarked record wherever it sorts now (an edited key
  // moves a record); false when the record is gone.
  bool gotoBookmark(const Bookmark& mark);
  // Reads the rows afresh, after writes that did not go through this
  // dataset (or were rolled back). Only in Browse state.
  void refresh();

  // Key search on the primary index: setKey(), assign key fields through
  // field(i).setEditText(), then gotoKey().
  void setKey();
  bool gotoKey();

  // The table type of the open dataset ("SQLITE", "POSTGRESQL", "ORACLE" ...),
  // at most 31 characters.
  QString driverName() const;

  // Read access for views (used by DatasetModel): value of row/column without
  // moving the cursor. Fetches the row's page on demand.
  QVariant rowValue(int row, int column);
  QString rowText(int row, int column);      // display text of rowValue()
  QString rowEditText(int row, int column);  // edit text of rowValue()
  // Whether the row at `row` is the pending inserted record.
  bool isPendingRow(int row) const;

 signals:
  void stateChanged();
  void dataChanged();  // current record moved or its values changed
  void postError(const QString& message);
  // The row set changed (opened, closed, rows inserted or deleted).
  void layoutReset();
  // The count beside the window has reached `rows` display rows; `final`
  // when that is the whole result (knownRowCount() gives it from then on).
  // A view grows its scroll range with it. Not final while countingRows()
  // is false: the count ended without a result (recordCount() counts then).
  void rowsCounted(int rows, bool final);

 protected:
  // Subclasses prepare the statement and column descriptions; open() calls
  // this and then fetches on demand.
  virtual void openCursor() = 0;
  virtual void closeCursor();

  void setState(DatasetState state);

  QString databaseName_;
  DatasetState state_ = DatasetState::Inactive;

  // The engine's own inner state (datasetimpl.h).
  struct Impl;
  Impl* impl() const { return impl_.get(); }

 private:
  friend class Engine;
  friend class Field;
  friend class Table;
  friend class Query;
  std::unique_ptr<Impl> impl_;
};

}  // namespace korvel::db
