#pragma once
// One fuzz step over the local file readers: the bytes become a Paradox .DB
// file or a CSV file (with or without a schema file) and every row is read.
// The only acceptable failure is an EngineError; a crash, a hang or a
// sanitizer report is a fault.

#include <QString>
#include <cstddef>
#include <cstdint>

namespace localfuzz {

enum class Target { Paradox, Csv, CsvWithSchema };

// Writes `data` into `dir` as the target's file and reads it all. Returns
// true when it was read without error.
bool readAsFile(const QString& dir, Target target, const uint8_t* data, size_t size);

}  // namespace localfuzz
