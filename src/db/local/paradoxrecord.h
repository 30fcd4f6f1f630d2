#pragma once
// One field of a Paradox record: a value encoded into the field's bytes as
// pxlib writes them. Shared by the table writer and by updates that patch
// records where they stand in the file.

#include <QString>
#include <QVariant>

#include "db/local/paradoxlayout.h"

struct px_doc;

namespace korvel::db::local {

enum class FieldEncoding {
  Done,
  Refused,       // *why says what is wrong with the value
  NeedsMemoFile  // a memo longer than the part kept in the record, and no memo file
};

// Encodes `value` (NULL: the bytes stay zero) into the f.length bytes at `at`,
// which must be zero. `doc` is a pxlib document; it writes long memos to its
// memo file when it has one (withMemoFile).
FieldEncoding encodeParadoxField(px_doc* doc, const ParadoxField& f, const QVariant& value, char* at,
                                 bool withMemoFile, QString* why);

}  // namespace korvel::db::local
