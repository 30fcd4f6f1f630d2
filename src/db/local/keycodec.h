#pragma once
// Keys of table files as byte strings that sort as the keys do (memcmp,
// a shorter string first), so that rows kept in key order can be searched
// and merged without decoding every key: NULL before any value, numbers by
// value, text by its code page 932 bytes (the order the files keep), dates,
// times and timestamps by value, false before true. The bytes of several
// columns are the concatenation of each column's bytes.

#include <QString>
#include <QStringView>
#include <QVariant>
#include <string>
#include <vector>

#include "db/local/localtable.h"

namespace korvel::db::local {

void appendKeyBytes(std::string& out, FieldKind kind, const QVariant& value);
// The key bytes of the first `keyColumns` values of `row`.
std::string keyBytes(const LocalRow& row, const std::vector<LocalColumn>& columns, int keyColumns);

// The order of two texts by their code page 932 bytes (text that has no such
// form by its UTF-8 bytes): negative, zero or positive.
int compareCp932(QStringView a, QStringView b);

}  // namespace korvel::db::local
