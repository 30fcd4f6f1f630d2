// The grid to and from the clipboard as tab-separated lines.

#include <QApplication>
#include <QClipboard>

#include "controls/combogrid.h"
#include "generator/formsmake.h"
#include "prompt/prompt.h"

namespace {

// Trailing blanks (characters up to the space) removed.
QString trimRight(const QString& text) {
  qsizetype end = text.size();
  while (end > 0 && text.at(end - 1).unicode() <= 0x20) --end;
  return text.left(end);
}

// Keeps the grid hidden while it is rewritten, and shows it again however
// the rewrite ends.
class HiddenWhile {
 public:
  explicit HiddenWhile(QWidget* widget) : widget_(widget), wasHidden_(widget->isHidden()) {
    widget_->hide();
  }
  ~HiddenWhile() { widget_->setHidden(wasHidden_); }

 private:
  QWidget* widget_;
  bool wasHidden_;
};

}  // namespace

void TFormSMake::BitBtn_CopyClick() {
  QString text;
  for (int row = 0; row < ComboGrid1->RowCount(); ++row) {
    for (int col = 0; col < ComboGrid1->ColCount(); ++col) {
      text += ComboGrid1->Cells(col, row);
      text += QLatin1Char('\t');
    }
    text += QStringLiteral("\r\n");
  }
  QApplication::clipboard()->setText(text);
}

void TFormSMake::BitBtn2Click() {
  {
    HiddenWhile hidden(ComboGrid1);
    const QString text = QApplication::clipboard()->text();
    pasteCol_ = 1;
    pasteRow_ = 1;
    pasteOverflow_ = false;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text.at(i) != QLatin1Char('\n')) continue;
      PasteGridLine(text.mid(lineStart, i - lineStart));
      lineStart = i + 1;
      pasteCol_ = 1;
      ++pasteRow_;
    }
    if (lineStart < text.size()) {
      PasteGridLine(text.mid(lineStart));
      pasteCol_ = 1;
      ++pasteRow_;
    }
    // The rows below the pasted lines are emptied.
    for (int row = pasteRow_; row < ComboGrid1->RowCount(); ++row)
      for (int col = 1; col < ComboGrid1->ColCount(); ++col)
        ComboGrid1->SetCells(col, row, QString());
    ComboGrid1->FocusCell(1, 1);
  }
  if (pasteOverflow_)
    korvel::showError(QStringLiteral("*E:グリッドに収まらない行または列は貼り付けていません(%1行 x %2列まで)")
                          .arg(ComboGrid1->RowCount() - 1)
                          .arg(ComboGrid1->ColCount() - 1));
}

void TFormSMake::PasteGridLine(const QString& line) {
  qsizetype pieceStart = 0;
  auto put = [&](qsizetype end) {
    const QString piece = trimRight(line.mid(pieceStart, end - pieceStart));
    if (pasteCol_ < ComboGrid1->ColCount() && pasteRow_ < ComboGrid1->RowCount())
      ComboGrid1->SetCells(pasteCol_, pasteRow_, piece);
    else if (!piece.isEmpty())
      pasteOverflow_ = true;
  };
  for (qsizetype i = 0; i < line.size(); ++i) {
    const QChar c = line.at(i);
    if (c != QLatin1Char('\t') && c != QLatin1Char('\r')) continue;
    put(i);
    pieceStart = i + 1;
    ++pasteCol_;
  }
  put(line.size());
}
