#pragma once
// Writing records of pasted cells into the records of a dataset, from its
// current record on.

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvel::db { class Dataset; }

namespace korvel {

struct PasteTarget {
  korvel::db::Dataset* dataset = nullptr;
  // Field index of each grid column, in the order the grid shows them.
  std::vector<int> columns;
  int startColumn = 0;  // grid column the first cell of each record goes to
  // A record with more cells than columns to the right of the start: skip
  // mode leaves the rest of its cells out; otherwise that is an error.
  bool skipMode = false;
};

struct PasteOutcome {
  int recordsPosted = 0;  // records written and moved past
  QString problem;        // empty when every record went in
  bool rolledBack = false;  // the database undid the whole run: nothing is kept
};

// Each record of cells goes into one record of the dataset, its cells into
// the fields from the start column on (as edit texts); moving on to the
// next record posts the one before. The last record filled stays in edit
// state, for the user to post or cancel. The records moved past are written
// as one run: a refused record undoes only itself and ends the paste, the
// records before it are kept. When the dataset has fewer records left than
// there are records to paste, the paste stops after its last record and says
// which lines were not pasted; a record is never written twice.
PasteOutcome pasteRecords(const PasteTarget& target, const QList<QStringList>& records);

}  // namespace korvel
