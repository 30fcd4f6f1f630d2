#pragma once
// The batch copy's byte path between a CSV text table and a SQLite table,
// the two copies users run on whole files ("ASCII(CSV)->DB",
// "DB->ASCII(CSV)"): no row of values between the two ends.
//
// CSV -> SQLite: the file's fields are bound straight from its read buffer
// to one prepared INSERT (ASCII text as it stands, code page 932 text
// converted to UTF-8 through the code page tables), in the writer's
// transaction. SQLite -> CSV: each column of a stepped SELECT goes straight
// into the writer's output buffer (UTF-8 text converted to code page 932,
// integers, doubles and dates formatted as the CSV writer formats them).
//
// The stored values and written bytes are those of the row by row copy:
// every value the byte path does not handle itself (numbers as text, exact
// decimals, booleans, times, values of an unexpected type, a character the
// tables do not know) goes through the row by row copy's own conversions,
// one value at a time.

#include <optional>
#include <vector>

#include "db/batchmove.h"

namespace korvel::db {

class RowReader;
class RowWriter;
class ProgressTeller;
namespace local {
struct LocalTableDef;
}

// Copies every row of `reader` into `writer` (not committed) when one is a
// CSV file and the other a SQLite table; nothing (and nothing written) for
// any other pair. Column i of the destination (`def`) is column order[i] of
// the source. EngineError naming the file and line, or the row, when a
// value cannot be read or stored; local::RowsOutOfKeyOrder where the rows
// of a keyed destination come out of its order (the caller then sorts).
std::optional<BatchMoveOutcome> copyBytes(RowReader& reader, RowWriter& writer, const local::LocalTableDef& def,
                                          const std::vector<int>& order, ProgressTeller& teller);

}  // namespace korvel::db
