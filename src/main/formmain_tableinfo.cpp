// "表情報(&I)" and "テーブル構造表示": the table information window, filled
// from the current alias and table, and the names and comments taken back
// into the format grid afterwards.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "controls/combogrid.h"
#include "main/formmain.h"
#include "prompt/prompt.h"
#include "sqleditor/formmemo.h"
#include "tableinfo/fieldrows.h"
#include "tableinfo/formtblinf.h"
#include "tableinfo/tableinfoload.h"
#include "ui/windowhelpers.h"

namespace {

// Rows of the format grid that take the names and comments.
constexpr int kFormatRowName = 0;
constexpr int kFormatRowComment = 5;

}  // namespace

void TFormMain::LinkTableInfoWindow() {
  FormTblInf->SetMainWindowLinks({
      [this] {
        QStringList names;
        for (int i = 0; i < ComboBox_Tables->count(); ++i) names << ComboBox_Tables->itemText(i);
        return names;
      },
      [this](int index) {
        ComboBox_Tables->setCurrentIndex(index);
        LoadTableInfo();
      },
  });
}

bool TFormMain::LoadTableInfo() {
  const bool loaded = korvel::tableinfo::LoadTableInfo(*FormTblInf, *Table_Paradox, ComboBox_Alias->currentText(),
                                                       ComboBox_Tables->currentText());
  if (loaded)
    FormMemo->CheckBoxParadox->setChecked(
        korvel::tableinfo::isParadoxTableType(FormTblInf->Label_TableType->text()));
  return loaded;
}

void TFormMain::InfoDisplayClick() {
  // The table is closed to be read: an edit not yet posted is settled first.
  if (!resolvePendingEdit()) return;
  FormTblInf->Edit_TableComment->clear();
  if (!LoadTableInfo()) return;
  korvel::prompt().showModal(FormTblInf);

  Qz_ClearGrid(ComboGrid1);
  const TComboGrid& info = *FormTblInf->ComboGrid1;
  int c = 1;
  for (int row = 1; row < info.RowCount(); ++row, ++c) {
    const QString name = info.Cells(korvel::tableinfo::kColName, row);
    if (name.isEmpty()) break;
    // Every name finds a column, also when the grid was last set up for a
    // table with fewer fields.
    if (c >= ComboGrid1->ColCount()) ComboGrid1->SetColCount(c + 1);
    ComboGrid1->SetCells(c, kFormatRowName, name);
    ComboGrid1->SetCells(c, kFormatRowComment, info.Cells(korvel::tableinfo::kColComment, row));
  }
}
