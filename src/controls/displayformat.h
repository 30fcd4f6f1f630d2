#pragma once
// The display format of ckEdit columns: a cell text read as a number and
// drawn through a FormatFloat pattern.

#include <QString>

// True with the formatted text in `out` when `text` is a number and the
// pattern formats it; false (leave the text as it is) otherwise.
bool FormatCellNumber(const QString& pattern, const QString& text, QString& out);
