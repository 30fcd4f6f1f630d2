// Paging a server query without key through a scroll cursor: a reader on a
// second connection declares the cursor over the user's statement as given
// and serves every page after the first from it, so a jump backward or
// forward does not run the statement again from its start. The first page
// still comes from the dataset's own connection, so opening waits for no
// second connection. Where the reader cannot serve (no second connection, a
// statement the cursor refuses, the server ended the reader's session) the
// page is read by position as before, and only that reading reports errors.

#include "db/datasetimpl.h"
#include "db/driver.h"
#include "db/engineerror.h"
#include "db/scrollreader.h"

namespace korvel::db {

// Only results nobody writes through, in the statement's own order: rows a
// write would need to locate, or an ORDER BY added around the statement,
// stay with the reading by position.
bool Dataset::Impl::scrollCursorServes() const {
  return driver->scrollCursors() && source.wrapped && !source.sequentialOnly && source.table.isEmpty() &&
         source.order.isEmpty() && source.hiddenColumns == 0 && scrollFailures < kMaxScrollFailures;
}

void Dataset::Impl::dropScrollReader() {
  scrollReader.reset();
  if (scrollIdle) scrollIdle->stop();
}

void Dataset::Impl::endReaderWhenIdle() {
  if (!scrollIdle) {
    scrollIdle = std::make_unique<QTimer>();
    scrollIdle->setSingleShot(true);
    scrollIdle->setInterval(kScrollIdleMs);
    QObject::connect(scrollIdle.get(), &QTimer::timeout, self, [this] { scrollReader.reset(); });
  }
  scrollIdle->start();
}

bool Dataset::Impl::readByScrollCursor(int start, int count, std::vector<Row>& rows) {
  if (!scrollCursorServes()) return false;
  // Rows written in a transaction still open here are not seen by a
  // second connection.
  if (driver->inTransaction(db())) {
    dropScrollReader();
    return false;
  }
  try {
    if (!scrollReader) {
      const SideConnector connector = driver->sideConnector(db());
      if (!connector) {
        scrollFailures = kMaxScrollFailures;
        return false;
      }
      scrollReader = std::make_unique<ScrollReader>(connector, db(), source.select,
                                                    [this](QSqlQuery& q) { return readRow(q); });
    }
    rows = scrollReader->read(start, count);
    endReaderWhenIdle();
  } catch (const EngineError&) {
    // A reader that failed once is opened afresh for the next page; one
    // that fails again gives way to reading by position for good.
    dropScrollReader();
    ++scrollFailures;
    return false;
  }
  if (static_cast<int>(rows.size()) < count) noteShortPage(start, static_cast<int>(rows.size()));
  return true;
}

}  // namespace korvel::db
