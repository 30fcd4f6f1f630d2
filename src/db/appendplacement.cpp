// Placing a posted insert whose key sorts after every known row: the row
// goes at the end, the known count grows by one and only the page taking the
// row is dropped, instead of re-reading pages and counting the keys below it.
// Used for whole tables ordered by their key, where the rows are exactly the
// table's rows.

#include "db/datasetimpl.h"

namespace korvel::db {
namespace {

// Integer keys compare in the program exactly as the databases order them;
// other types (text collations, mixed SQLite storage classes, NULLs) are left
// to the database.
bool isIntegerKey(const QVector<QVariant>& key) {
  if (key.isEmpty()) return false;
  for (const QVariant& v : key) {
    const int type = v.typeId();
    if (v.isNull() || (type != QMetaType::Int && type != QMetaType::UInt && type != QMetaType::LongLong))
      return false;
  }
  return true;
}

bool sortsAfter(const QVector<QVariant>& key, const QVector<QVariant>& other) {
  for (int i = 0; i < key.size(); ++i) {
    const qlonglong a = key[i].toLongLong();
    const qlonglong b = other[i].toLongLong();
    if (a != b) return a > b;
  }
  return false;
}

}  // namespace

// Reads (once) the locator of the last row; must run before the insert is
// written, while the cached count still describes the rows.
bool Dataset::Impl::lastKeyKnown() {
  if (!source.orderIsKey || bySequence() || knownCount < 0) return false;
  if (knownCount == 0 || lastKeyCount == knownCount) return true;
  const int count = knownCount;
  const Row* row = dataRow(count - 1);
  if (!row || knownCount != count) return false;
  lastKey = locatorOf(*row);
  lastKeyCount = count;
  return true;
}

bool Dataset::Impl::placeAtEnd(const QVector<QVariant>& key) {
  if (key.size() != source.keyColumns.size() || !isIntegerKey(key)) return false;
  if (knownCount > 0 && (!isIntegerKey(lastKey) || !sortsAfter(key, lastKey))) return false;
  pages.erase(knownCount / kPageSize);
  sequential.reset();
  sequentialPos = 0;
  cur = knownCount++;
  lastKey = key;
  lastKeyCount = knownCount;
  return true;
}

}  // namespace korvel::db
