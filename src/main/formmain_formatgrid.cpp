// The column format grid below the data grid: filling it from the open
// dataset, applying widths, copying a record into the initial values, and the
// currency-decimals switches.

#include <QComboBox>
#include <QFontMetrics>
#include <algorithm>
#include <QLineEdit>
#include <QToolButton>

#include "auxwin/formdispformat.h"
#include "common/formats.h"
#include "ui/windowhelpers.h"
#include "controls/combogrid.h"
#include "controls/griddefinition.h"
#include "controls/spbtn2.h"
#include "db/dataset.h"
#include "main/formmain.h"
#include "sqleditor/formmemo.h"
#include "ui/dbgrid.h"
#include "prompt/prompt.h"

namespace {

// Rows of the format grid.
enum FormatRow {
  kRowName = 0,
  kRowType = 1,
  kRowInitial = 2,
  kRowStep = 3,
  kRowFormat = 4,
  kRowComment = 5,
  kRowDisplayFormat = 6,
  kRowWidth = 7,
};

}  // namespace

void TFormMain::connectFormatGridHandlers() {
  QString error;
  if (!korvel::LoadGridDefinitions(this, QStringLiteral(":/grids/formmain.grid"), &error))
    korvel::showError(error);
  connect(SpeedButtonGetSimpleInf, &QToolButton::clicked, this,
          [this] { SpeedButtonGetSimpleInfClick(); });
  connect(ComboGrid1, &TComboGrid::OnDblClick, this, [this] { ComboGrid1DblClick(); });
  connect(ComboGrid1, &TComboGrid::OnKeyDown, this,
          [this](int& key, Qt::KeyboardModifiers) { ComboGrid1KeyDown(key); });
  connect(SpeedButtonDBCopy, &QToolButton::clicked, this, [this] { SpeedButtonDBCopyClick(); });
  connect(SpBtnDecimals, &TSpBtn2::OnClick, this, [this] { SpBtnDecimalsClick(SpBtnDecimals); });
  connect(SpBtnDecimals2, &TSpBtn2::OnClick, this, [this] { SpBtnDecimalsClick(SpBtnDecimals2); });
  connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
}

void TFormMain::SpeedButtonGetSimpleInfClick() {
  // The button is never left down, so generation is off until the fill succeeds.
  SpeedButtonDMake->setEnabled(SpeedButtonGetSimpleInf->isDown());
  korvel::db::Dataset* ds = currentDataSet();
  if (!ds->active()) {
    korvel::showError(QStringLiteral("表がオープンされていないと実行できません"));
    SpeedButtonGetSimpleInf->setDown(false);
    return;
  }
  ComboGrid1->SetColCount(ds->fieldCount() + 1);
  FormMemo->ComboBoxItem->clear();
  for (int i = 0; i < ds->fieldCount(); ++i) {
    const korvel::db::Field& field = ds->field(i);
    const int c = i + 1;
    ComboGrid1->SetCells(c, kRowName, field.displayName());
    ComboGrid1->SetCells(c, kRowType, field.className());
    ComboGrid1->SetCells(c, kRowInitial, QString());
    ComboGrid1->SetCells(c, kRowStep, QString());
    ComboGrid1->SetCells(c, kRowFormat, QString());
    ComboGrid1->SetCells(c, kRowWidth, QString::number(field.displayWidth()));
    FormMemo->ComboBoxItem->setEditText(field.displayName());
    Qz_ComboAddText(FormMemo->ComboBoxItem);
  }
  widenToNamesAndTypes();
  SpeedButtonDMake->setEnabled(true);
}

// A column of the format grid is at least as wide as its field's name and
// type name: a name cut short ("TSmallintFie") would read as another one.
void TFormMain::widenToNamesAndTypes() {
  const QFontMetrics metrics(ComboGrid1->font());
  constexpr int kCellPadding = 8;
  for (int c = 1; c < ComboGrid1->ColCount(); ++c) {
    const int text = std::max(metrics.horizontalAdvance(ComboGrid1->Cells(c, kRowName)),
                              metrics.horizontalAdvance(ComboGrid1->Cells(c, kRowType)));
    if (text + kCellPadding > ComboGrid1->ColWidths(c))
      ComboGrid1->SetColWidths(c, text + kCellPadding);
  }
}

void TFormMain::ComboGrid1DblClick() {
  if (ComboGrid1->Row() != kRowWidth) return;
  korvel::db::Dataset* ds = currentDataSet();
  const int fieldIndex = ComboGrid1->Col() - 1;
  if (!ds->active() || fieldIndex < 0 || fieldIndex >= ds->fieldCount()) return;
  bool ok = false;
  const int width = ComboGrid1->Cells(ComboGrid1->Col(), kRowWidth).trimmed().toInt(&ok);
  ds->field(fieldIndex).setDisplayWidth(ok ? width : 1);
  DBGrid1->applyDisplayWidths();
}

void TFormMain::ComboGrid1KeyDown(int& Key) {
  if (Key == Qt::Key_Return || Key == Qt::Key_Enter) ComboGrid1DblClick();
}

void TFormMain::SpeedButtonDBCopyClick() {
  korvel::db::Dataset* ds = currentDataSet();
  if (!ds->active()) return;
  for (int i = 0; i < ds->fieldCount(); ++i)
    ComboGrid1->SetCells(i + 1, kRowInitial, ds->field(i).editText());
}

void TFormMain::SpBtnDecimalsClick(TSpBtn2* Sender) {
  int& decimals = korvel::formatSettings().currencyDecimals;
  if (Sender == SpBtnDecimals) decimals = Sender->Down() ? 2 : 0;
  if (Sender == SpBtnDecimals2) decimals = Sender->Down() ? 6 : 4;
}

void TFormMain::SpeedButton1Click() { korvel::prompt().showModal(FormDispFormat); }
