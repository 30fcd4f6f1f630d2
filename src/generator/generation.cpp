#include "generator/generation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "common/codepage.h"
#include "common/sqlliterals.h"
#include "common/strings.h"
#include "generator/objectpieces.h"

namespace korvel::generator {
namespace {

// Tops past this many pixels continue in a second column.
constexpr long long kColumnHeight = 600;
constexpr long long kSecondColumnShift = 100;

// The text in code page 932; a character it cannot hold stops the generation
// rather than being written altered. `where` names the text in the message.
std::string bytesOf(const QString& text, const QString& where) {
  std::string bytes;
  int bad = -1;
  if (tryToCp932(text, bytes, &bad)) return bytes;
  const QString ch =
      bad >= 0 ? text.mid(bad, text.at(bad).isHighSurrogate() ? 2 : 1) : QString();
  throw GenerationError(
      QStringLiteral("*E:%1の文字「%2」はシフトJISで表せません。").arg(where, ch).toStdString());
}

std::string bytesOf(const QString& text, int row) {
  return bytesOf(text, QStringLiteral("%1行目").arg(row));
}

struct Position {
  long long left;
  long long top;
};

// A top beyond the first column moves once into the second column.
Position placed(long long top, long long left) {
  if (top > kColumnHeight) return {left + kSecondColumnShift, top - kColumnHeight};
  return {left, top};
}

// Builds the pieces of one generation run.
class Generator {
 public:
  Generator(const GenerationSettings& settings, TextMeasure& measure, int labelColumnWidth)
      : s_(settings), measure_(measure), labelColumnWidth_(labelColumnWidth),
        font_{settings.fontHeight, {}} {}

  std::string run(const std::vector<ColumnRow>& rows) {
    if (!s_.parentFont) font_.name = bytesOf(s_.fontName, QStringLiteral("フォント名"));
    std::string out;
    long long number = s_.start;
    long long k = 0;
    for (const ColumnRow& row : rows) {
      const QString text = rowText(row, s_.textFromComment);
      if (text.isEmpty()) continue;
      ++number;
      ++k;
      const std::string suffix = s_.nameFromField
                                     ? Qz_Capitalize(bytesOf(row.fieldName, row.row))
                                     : std::to_string(number);
      out += piece(row, text, suffix, k);
    }
    return out;
  }

 private:
  std::string piece(const ColumnRow& row, const QString& text, const std::string& suffix,
                    long long k) {
    const FontLines* font = s_.parentFont ? nullptr : &font_;
    switch (s_.kind) {
      case ObjectKind::Label: {
        const Extent e = measure_.label(text);
        return labelPiece(stacked(suffix, e, k), bytesOf(text, row.row), font);
      }
      case ObjectKind::DBText: {
        const Extent e = measure_.label(text);
        return dbTextPiece(stacked(suffix, e, k), bytesOf(row.fieldName, row.row), font);
      }
      case ObjectKind::Edit: {
        const Extent e = measure_.edit(text);
        return editPiece(stacked(suffix, e, k), k, bytesOf(text, row.row));
      }
      case ObjectKind::LabelEdit: {
        const Extent l = measure_.label(text);
        const Extent e = measure_.edit(text);
        const int h = std::max(l.height, e.height);
        const PiecePlace labelPlace = stacked(suffix, {l.width, h}, k);
        PiecePlace editPlace = labelPlace;
        editPlace.left += labelColumnWidth_;
        editPlace.width = e.width;
        const std::string bytes = bytesOf(text, row.row);
        return labelPiece(labelPlace, bytes, font) + editPiece(editPlace, k, bytes);
      }
      case ObjectKind::NValEdit: {
        const Extent e = measure_.numericEdit();
        // Numeric edit boxes are spaced by their height alone; the
        // correction is added once.
        const Position p = placed(k * e.height + s_.correction, s_.left);
        return nvalEditPiece({suffix, p.left, p.top, e.width, e.height}, k);
      }
      case ObjectKind::Source:
        return sourceLine(suffix, row.row, bytesOf(row.comment, row.row));
      case ObjectKind::SourceWithId:
        return sourceLineWithId(suffix, bytesOf(text, row.row), row.row,
                                bytesOf(row.comment, row.row));
      case ObjectKind::Append:
        return appendLine(bytesOf(text, row.row), bytesOf(row.className, row.row), row.row,
                          bytesOf(row.comment, row.row));
    }
    return {};
  }

  // Labels, edit boxes and their pairs: each one its height plus the
  // correction below the one before.
  PiecePlace stacked(const std::string& suffix, Extent e, long long k) const {
    const Position p = placed((e.height + s_.correction) * k, s_.left);
    return {suffix, p.left, p.top, e.width, e.height};
  }

  const GenerationSettings& s_;
  TextMeasure& measure_;
  int labelColumnWidth_;
  FontLines font_;
};

// A whole number from a number literal ("12", "-3", "+5", "12.30",
// "1.5E-7"); 0 when it is none or beyond 32 bits.
long long wholeNumber(std::string literal) {
  if (!literal.empty() && literal.front() == '+') literal.erase(0, 1);
  double value = 0;
  const char* end = literal.data() + literal.size();
  const auto [ptr, ec] = std::from_chars(literal.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) return 0;
  value = std::trunc(value);
  if (std::fabs(value) > std::numeric_limits<int>::max()) return 0;
  return static_cast<long long>(value);
}

// Signs, points and digits are single bytes that never occur inside a
// double-byte character, so other characters can stand as one neutral byte.
std::string asciiOf(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (QChar c : text) out += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?';
  return out;
}

}  // namespace

QString rowText(const ColumnRow& row, bool textFromComment) {
  return textFromComment ? row.comment : row.fieldName;
}

int widestLabel(const std::vector<ColumnRow>& rows, bool textFromComment, TextMeasure& measure) {
  int widest = 0;
  for (const ColumnRow& row : rows) {
    const QString text = rowText(row, textFromComment);
    if (!text.isEmpty()) widest = std::max(widest, measure.label(text).width);
  }
  return widest;
}

std::string generateObjects(const std::vector<ColumnRow>& rows, const GenerationSettings& settings,
                            TextMeasure& measure, int labelColumnWidth) {
  return Generator(settings, measure, labelColumnWidth).run(rows);
}

RowBlock rowBlock(int current, int count, int lastRow) {
  lastRow = std::max(lastRow, 1);
  current = std::clamp(current, 1, lastRow);
  count = std::max(count, 1);
  const long long end = static_cast<long long>(current) + count - 1;
  if (end >= lastRow) return {current, lastRow, 1};
  return {current, static_cast<int>(end), static_cast<int>(end) + 1};
}

long long numberFromText(const QString& text) { return wholeNumber(Qz_NumText(asciiOf(text))); }

long long numberFromDigits(const QString& text) {
  const std::string digits = Qz_DigitsOnly(asciiOf(text));
  if (digits.empty()) return 0;
  long long value = 0;
  for (char d : digits) {
    value = value * 10 + (d - '0');
    if (value > std::numeric_limits<int>::max()) return 0;
  }
  return value;
}

}  // namespace korvel::generator
