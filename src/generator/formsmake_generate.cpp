// "Object作成": reads the settings, measures the row texts in the chosen font
// and puts the generated text on the clipboard.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>

#include "common/codepage.h"
#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "generator/formsmake.h"
#include "prompt/prompt.h"
#include "ui/radiogroup.h"

using namespace korvel::generator;

namespace {

// Sizes beyond this are no screen font; refused rather than measured.
constexpr long long kMaxFontPoints = 1638;

constexpr int kFieldNameColumn = 1;
constexpr int kClassNameColumn = 2;
constexpr int kCommentColumn = 7;

// Measures with the window's hidden controls, which carry the chosen font.
class ControlMeasure final : public TextMeasure {
 public:
  ControlMeasure(QLabel* label, QLineEdit* edit, QLineEdit* numericEdit)
      : label_(label), edit_(edit), numericEdit_(numericEdit) {}

  Extent label(const QString& text) override {
    label_->setText(text);
    label_->adjustSize();
    return {label_->width(), label_->height()};
  }
  Extent edit(const QString& text) override {
    edit_->setText(text);
    return {edit_->width(), edit_->height()};
  }
  Extent numericEdit() override { return {numericEdit_->width(), numericEdit_->height()}; }

 private:
  QLabel* label_;
  QLineEdit* edit_;
  QLineEdit* numericEdit_;
};

}  // namespace

void TFormSMake::BitBtn_CommentClick() {
  try {
    generate();
  } catch (const GenerationError& e) {
    korvel::showError(QString::fromUtf8(e.what()));
  }
}

long long TFormSMake::applyMeasuringFont() {
  const long long points = numberFromDigits(EditFontSize->text());
  if (points > kMaxFontPoints)
    throw GenerationError(
        QStringLiteral("*E:フォントサイズが大きすぎます(%1)").arg(points).toStdString());
  // Points to pixels at the screen's resolution, rounded as the platform's
  // font height is; a size of 0 keeps the default size.
  const long long pixels = (points * logicalDpiY() + 36) / 72;
  QFont chosen(EditFName->text());
  if (pixels > 0) chosen.setPixelSize(static_cast<int>(pixels));
  LabelMeasure->setFont(chosen);
  for (QLineEdit* edit : {EditMeasure, EditMeasure2}) {
    edit->setFont(chosen);
    edit->resize(edit->width(), edit->sizeHint().height());
  }
  const long long fontHeight = -pixels;
  Label4->setText(QString::number(fontHeight));
  return fontHeight;
}

GenerationSettings TFormSMake::readSettings(long long fontHeight) const {
  GenerationSettings s;
  s.kind = static_cast<ObjectKind>(qMax(0, RadioGroupObj->ItemIndex()));
  s.textFromComment = RadioGroupObj2->ItemIndex() == 1;
  s.nameFromField = RadioGroupMakeName->ItemIndex() == 1;
  s.start = numberFromText(EditNum->text());
  s.correction = numberFromText(EditHosei->text());
  s.left = numberFromDigits(EditLeft->text());
  s.parentFont = CkBoxParentFont->isChecked();
  s.fontHeight = fontHeight;
  s.fontName = EditFName->text();
  return s;
}

std::vector<ColumnRow> TFormSMake::gridRows(int first, int last) const {
  std::vector<ColumnRow> rows;
  for (int row = first; row <= last; ++row)
    rows.push_back({row, ComboGrid1->Cells(kFieldNameColumn, row),
                    ComboGrid1->Cells(kClassNameColumn, row),
                    ComboGrid1->Cells(kCommentColumn, row)});
  return rows;
}

void TFormSMake::generate() {
  const GenerationSettings settings = readSettings(applyMeasuringFont());
  ControlMeasure measure(LabelMeasure, EditMeasure, EditMeasure2);
  const int lastRow = ComboGrid1->RowCount() - 1;

  int labelColumnWidth = 0;
  if (settings.kind == ObjectKind::LabelEdit)
    labelColumnWidth = widestLabel(gridRows(1, lastRow), settings.textFromComment, measure);

  const bool inBlocks = CheckBoxHani->isChecked();
  RowBlock block{1, lastRow, 1};
  if (inBlocks) {
    bool ok = false;
    const int count = NumEditHani->Text().toInt(&ok);
    block = rowBlock(ComboGrid1->Row(), ok ? count : 1, lastRow);
  }
  const std::string text =
      generateObjects(gridRows(block.first, block.last), settings, measure, labelColumnWidth);
  QApplication::clipboard()->setText(korvel::fromCp932(text));
  // The next press continues after this block.
  if (inBlocks) ComboGrid1->SetRow(block.nextRow);
}
