#pragma once
// Batch copy: every row of a source table into a destination table created
// with the source's structure (fields, kinds, sizes and primary index),
// replacing a table of that name; between any two aliases, Paradox and CSV
// tables of directories included.
//
// A destination that holds rows is replaced only after the user says so
// (a question through the Prompt seam, No by default). The copy is one unit:
// a table of SQL is dropped, created and filled in one transaction where the
// database has them, a table file is written to temporary files put in
// place at the end. Stopped or failed part way, it leaves the destination
// as it was (without transactions: no destination), never a partial copy.
//
// Table files keep their key fields first: when the source's key fields are
// not its first fields, a table file destination gets them first.

#include <cstdint>
#include <functional>

namespace korvel::db {

class Table;

enum class BatchMoveResult { Copied, Declined, Stopped };

struct BatchMoveOutcome {
  BatchMoveResult result = BatchMoveResult::Copied;
  int64_t rows = 0;  // rows copied
};

// Told about ten times a second how many rows are copied and how many there are
// (-1 when not known); returning false stops the copy.
using BatchMoveProgress = std::function<bool(int64_t copied, int64_t total)>;

// How the rows go: Fastest takes the byte path (bytecopy.h) where it serves
// the two tables, RowByRow always reads and writes rows of values (what the
// byte path must give the same result as).
enum class BatchMoveWay { Fastest, RowByRow };

// EngineError when the source cannot be read or a row cannot be stored;
// the destination is then as it was.
BatchMoveOutcome batchMove(Table& source, Table& destination, const BatchMoveProgress& progress = {},
                           BatchMoveWay way = BatchMoveWay::Fastest);

}  // namespace korvel::db
