#include "main/cliptext.h"

namespace korvel {
namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// A quoted cell starting at `i` (a double quote): its text, and the
// position after its closing quote. False when the quote is never closed:
// then the cell is read as plain text.
bool readQuotedCell(const QString& text, qsizetype i, QString& cell, qsizetype& after) {
  QString value;
  for (qsizetype j = i + 1; j < text.size(); ++j) {
    const QChar c = text[j];
    if (c == u'"') {
      if (j + 1 < text.size() && text[j + 1] == u'"') {
        value += u'"';
        ++j;
        continue;
      }
      cell = value;
      after = j + 1;
      return true;
    }
    if (c != u'\r') value += c;
  }
  return false;
}

QString withoutFinalLineBreak(const QString& text) {
  if (text.endsWith(kLineEnd)) return text.left(text.size() - 2);
  if (text.endsWith(u'\n') || text.endsWith(u'\r')) return text.left(text.size() - 1);
  return text;
}

}  // namespace

QString clipLines(const QStringList& lines) {
  QString text;
  for (const QString& line : lines) text += line + kLineEnd;
  return text;
}

QString gridTitleLine(const QStringList& labels) {
  QString line;
  for (const QString& label : labels) line += u'"' + label + QStringLiteral("\"\t");
  return line + kLineEnd;
}

QString gridCellsLine(const QStringList& cells) {
  QString line;
  for (const QString& cell : cells) {
    line += u'"';
    line += QString(cell).replace(u'"', QStringLiteral("\"\""));
    line += QStringLiteral("\"\t");
  }
  return line + kLineEnd;
}

int gridCopyLimit(const QString& firstBoxText) {
  bool ok = false;
  const int value = firstBoxText.trimmed().toInt(&ok);
  if (!ok || value <= 0 || value > kGridCopyMaxRows) return kGridCopyMaxRows;
  return value;
}

QList<QStringList> splitClipRecords(const QString& clipboardText) {
  const QString text = withoutFinalLineBreak(clipboardText);
  QList<QStringList> records;
  if (text.isEmpty()) return records;
  QStringList cells;
  QString cell;
  bool cellStart = true;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (cellStart && c == u'"') {
      qsizetype after = 0;
      if (readQuotedCell(text, i, cell, after)) {
        i = after - 1;
        cellStart = false;
        continue;
      }
    }
    cellStart = false;
    if (c == u'\t') {
      cells << cell;
      cell.clear();
      cellStart = true;
    } else if (c == u'\n') {
      cells << cell;
      records << cells;
      cells.clear();
      cell.clear();
      cellStart = true;
    } else if (c != u'\r') {
      cell += c;
    }
  }
  // The last record: its last cell counts only when it holds something.
  if (!cell.isEmpty()) cells << cell;
  records << cells;
  return records;
}

}  // namespace korvel
