#pragma once
// The four recently used table buttons: newest first. A slot whose caption is
// still its design caption is empty.

#include <QString>
#include <QStringList>

namespace korvel {

// The design captions "ButtonMemo(&1)" .. "ButtonMemo(&4)".
QStringList mruDesignCaptions();

// Puts `table` first among the four captions: an empty list takes it as the
// first; a table already first changes nothing; one found among the leading
// filled slots moves to the front; a new one pushes the others down (the
// fourth drops off when all four are filled).
void updateMru(QStringList& captions, const QString& table);

}  // namespace korvel
