#pragma once
// A batch copy's source read whole before the destination is written: for a
// source and destination sharing a connection on which a reading under way
// ends when another statement runs (a server's). The rows go through a
// temporary file, so memory stays bounded whatever the table's size, and
// come back with the values, types and NULLs they were read with.

#include <functional>
#include <memory>

#include "db/batchrows.h"

namespace korvel::db {

// Reads every row of `source` (told every few hundred rows how many are
// read; returning false stops the reading) and returns a reader of them;
// nullptr when stopped. EngineError when the temporary file fails.
std::unique_ptr<RowReader> spoolRows(RowReader& source, const std::function<bool(int64_t read)>& keepGoing);

}  // namespace korvel::db
