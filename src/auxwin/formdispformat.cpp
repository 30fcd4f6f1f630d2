#include "auxwin/formdispformat.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/formats.h"
#include "prompt/prompt.h"

TFormDispFormat* FormDispFormat = nullptr;

namespace {

const char* const kRowLabels[TFormDispFormat::kRows] = {
    "CurrencyString", "CurrencyFormat",  "NegCurrFormat",  "数値３桁区切り", "小数点",
    "小数桁数",       "DateSeparator",   "ShortDateFormat", "LongDateFormat", "TimeSeparator",
    "TimeAMString",   "TimePMString",    "ShortTimeFormat", "LongTimeFormat", "ShortMonthNames",
    "LongMonthNames", "ShortDayNames",   "LongDayNames"};

QString text(const std::string& cp932) { return korvel::fromCp932(cp932); }
// A separator byte as a one-character text; none (0) as an empty one.
QString text(char separator) { return separator ? korvel::fromCp932(std::string(1, separator)) : QString(); }

int integerOrZero(const QString& value) {
  bool ok = false;
  const int n = value.trimmed().toInt(&ok);
  return ok ? n : 0;
}

QString rangeError(int row, const QString& detail) {
  return QStringLiteral("*E:%1: 範囲エラー（%2）").arg(QString::fromUtf8(kRowLabels[row - 1]), detail);
}

}  // namespace

TFormDispFormat::TFormDispFormat(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormDispFormat"));
  setWindowTitle(QStringLiteral("FormDispFormat"));
  auto* layout = new QVBoxLayout(this);
  auto* buttons = new QHBoxLayout;
  auto makeButton = [this, buttons](const char* name, const QString& caption) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    buttons->addWidget(b);
    return b;
  };
  SpeedButtonRead = makeButton("SpeedButtonRead", QStringLiteral("読込"));
  SpeedButtonWrite = makeButton("SpeedButtonWrite", QStringLiteral("書込"));
  SpeedButtonClose = makeButton("SpeedButtonClose", QStringLiteral("Exit"));
  buttons->addStretch();
  layout->addLayout(buttons);

  auto* rows = new QGridLayout;
  for (int i = 0; i < kRows; ++i) {
    Labels[i] = new QLabel(QString::fromUtf8(kRowLabels[i]), this);
    Edits[i] = new QLineEdit(this);
    Edits[i]->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    CheckBoxes[i] = new QCheckBox(this);
    CheckBoxes[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
    rows->addWidget(Labels[i], i, 0);
    rows->addWidget(Edits[i], i, 1);
    rows->addWidget(CheckBoxes[i], i, 2);
  }
  CheckBox(6)->setChecked(true);
  layout->addLayout(rows);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setMaximumHeight(60);
  layout->addWidget(Memo1);

  connect(SpeedButtonRead, &QToolButton::clicked, this, [this] { SpeedButtonReadClick(); });
  connect(SpeedButtonWrite, &QToolButton::clicked, this, [this] { SpeedButtonWriteClick(); });
  connect(SpeedButtonClose, &QToolButton::clicked, this, [this] { SpeedButtonCloseClick(); });
}

void TFormDispFormat::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TFormDispFormat::FormShow() { SpeedButtonReadClick(); }

void TFormDispFormat::SpeedButtonReadClick() {
  const korvel::FormatSettings& s = korvel::formatSettings();
  Edit(1)->setText(text(s.currencyString));
  Edit(2)->setText(QString::number(s.currencyFormat));
  Edit(3)->setText(QString::number(s.negCurrFormat));
  Edit(4)->setText(text(s.thousandSeparator));
  Edit(5)->setText(text(s.decimalSeparator));
  Edit(6)->setText(QString::number(s.currencyDecimals));
  Edit(7)->setText(text(s.dateSeparator));
  Edit(8)->setText(text(s.shortDateFormat));
  Edit(9)->setText(text(s.longDateFormat));
  Edit(10)->setText(text(s.timeSeparator));
  Edit(11)->setText(text(s.timeAMString));
  Edit(12)->setText(text(s.timePMString));
  Edit(13)->setText(text(s.shortTimeFormat));
  Edit(14)->setText(text(s.longTimeFormat));
}

void TFormDispFormat::SpeedButtonWriteClick() {
  for (int row = 1; row <= kWrittenRows; ++row) {
    if (!CheckBox(row)->isChecked()) continue;
    if (!writeRow(row)) return;
  }
  // Every window shows its values in the new formats from now on.
  for (QWidget* window : QApplication::topLevelWidgets()) window->update();
}

bool TFormDispFormat::writeRow(int row) {
  korvel::FormatSettings& s = korvel::formatSettings();
  const QString value = Edit(row)->text();
  switch (row) {
    case 1: {
      std::string bytes;
      int bad = -1;
      if (!korvel::tryToCp932(value, bytes, &bad)) {
        korvel::showError(rangeError(row, QStringLiteral("シフトJISにない文字「%1」").arg(value.mid(bad, 1))));
        return false;
      }
      s.currencyString = bytes;
      return true;
    }
    case 2:
    case 3: {
      const int n = integerOrZero(value);
      if (n < 0 || n > 255) {
        korvel::showError(rangeError(row, QStringLiteral("0～255: %1").arg(n)));
        return false;
      }
      (row == 2 ? s.currencyFormat : s.negCurrFormat) = n;
      return true;
    }
    case 4:
    case 5: {
      // The separators are single bytes: the first character must be one.
      std::string bytes;
      if (value.isEmpty() || !korvel::tryToCp932(value.left(1), bytes) || bytes.size() != 1) {
        korvel::showError(rangeError(row, value.isEmpty() ? QStringLiteral("空欄") : QStringLiteral("1バイト文字で指定")));
        return false;
      }
      (row == 4 ? s.thousandSeparator : s.decimalSeparator) = bytes[0];
      return true;
    }
    case 6:
      s.currencyDecimals = integerOrZero(value) & 0xFF;
      return true;
  }
  return true;
}

void TFormDispFormat::SpeedButtonCloseClick() { close(); }
