#pragma once
// SQL literals for the values a table copy writes, in the literal form of
// the destination's database kind ("MSACCESS", "PARADOX", everything else
// the Oracle form), as Qz_SqlAddSepa writes them, except where that would
// not store the value that was read:
// - NULL is written NULL, whatever the type.
// - Text is carried exactly: a final line break stays, "---" stays "---".
//   Every CR, LF and NUL is written as CHR(13), CHR(10), CHR(0) in every
//   form, so that a statement is always one line, as the window's statement
//   box and the error log hold it.
// - Dates, date-times ("DT", with the time of day) and times ("TI") are
//   written from the value read, never re-read from a display text.
// - Numbers keep every digit: integers exactly, decimals as the database
//   gave them, floats in their shortest exact form.
// - A boolean is written by its truth value ("BL").
// - PARADOX: booleans TRUE / FALSE and date-times CAST( ... AS TIMESTAMP ).
// - POSTGRESQL (the Oracle form): its TO_DATE gives a date without time and
//   a boolean column takes no 1 or 0, so date-times and times are written as
//   CAST( ... AS TIMESTAMP ) and CAST( ... AS TIME ), booleans TRUE / FALSE.
// A value that holds nothing of the type (a text that is no date or number,
// binary data) is never replaced by a stand-in: its literal is marked
// unreadable and carries the text as it was, for the operator to correct.

#include <QString>
#include <QVariant>

namespace korvel::copydb {

enum class LiteralForm { Access, Oracle, Paradox, Postgres };

LiteralForm literalFormOf(const QString& databaseKind);

// The type code by the destination field's class name: "DT", "DA", "TI",
// "CH" (string and memo), "BL", and "NU" for every other class.
QString typeCodeOf(const QString& className);

struct CopyLiteral {
  QString text;
  bool readable = true;
};

// `value` as read from the source (typed: QDate, QDateTime, QTime, bool,
// integers, double, text; numbers the database gave as text stay text).
CopyLiteral copyLiteral(LiteralForm form, const QString& typeCode, const QVariant& value);

}  // namespace korvel::copydb
