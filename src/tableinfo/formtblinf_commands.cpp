// The table information window's commands: comments to the database, the
// clipboard texts, the CREATE TABLE script, the generator window, the name
// and comment swap, and reading comments from script and parameter files.

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QCheckBox>

#include "common/codepage.h"
#include "common/datetime.h"
#include "common/formats.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "controls/combogrid.h"
#include "db/engineerror.h"
#include "db/query.h"
#include "db/tablecomments.h"
#include "generator/formsmake.h"
#include "prompt/prompt.h"
#include "tableinfo/convparams.h"
#include "tableinfo/createscript.h"
#include "tableinfo/fieldrows.h"
#include "tableinfo/listing.h"
#include "tableinfo/formtblinf.h"
#include "tablemake/scriptreader.h"

using namespace korvel::tableinfo;

namespace {

const QString kSqlFilter = QStringLiteral("SQL (*.sql *.SQL);;ALL (*)");
const QString kPrmFilter = QStringLiteral("PRM (*.prm *.PRM);;ALL (*)");
const QString kReadingStatus = QStringLiteral("SQL定義文読込中");

void errorYes(const QString& text) {
  korvel::prompt().message(text, QString(), korvel::PromptIcon::Error, korvel::PromptYes);
}

}  // namespace

void TFormTblInf::BitBtn_CommentClick() {
  korvel::db::CommentWrite comments;
  comments.tableComment = Edit_TableComment->text();
  for (int row = 1; row < ComboGrid1->RowCount(); ++row) {
    const QString name = ComboGrid1->Cells(kColName, row);
    const QString comment = ComboGrid1->Cells(kColComment, row);
    // A comment needs a column to belong to.
    if (!comment.isEmpty() && !name.isEmpty()) comments.columns.emplace_back(name, comment);
  }
  Query1->close();
  try {
    const int written = korvel::db::writeTableComments(Query1->databaseName(), TableForComments(),
                                                       Label_TableType->text(), comments);
    setStatusText(QStringLiteral("コメントを設定しました (%1件)").arg(written));
  } catch (const korvel::db::EngineError& e) {
    korvel::showError(e.lastMessage());
  }
}

void TFormTblInf::BitBtn_CopyClick() {
  const ListingSource source{windowTitle(), Edit_TableName->text(), Edit_TableComment->text(), IndexLines()};
  QApplication::clipboard()->setText(TableListingText(source, *ComboGrid1, CheckBoxShiyou->isChecked()));
}

void TFormTblInf::C1Click() {
  QApplication::clipboard()->setText(GridCopyText(windowTitle(), *ComboGrid1, IndexLines()));
}

void TFormTblInf::BitBtn4Click() {
  QApplication::clipboard()->setText(SelectText(*ComboGrid1, Edit_TableName->text()));
}

void TFormTblInf::BitBtn3Click() {
  for (int row = 1; row < ComboGrid1->RowCount(); ++row) {
    const QString name = ComboGrid1->Cells(kColName, row);
    ComboGrid1->SetCells(kColName, row, ComboGrid1->Cells(kColComment, row));
    ComboGrid1->SetCells(kColComment, row, name);
  }
}

void TFormTblInf::BitBtn2Click() { FormSMake->ShowForFieldGrid(*ComboGrid1); }

void TFormTblInf::BitBtn_MkSQLClick() {
  const QString fileName = korvel::prompt().saveFileName(QString(), QString(), QString());
  if (fileName.isEmpty()) return;
  setFileCaption(fileName);

  ScriptSource source{Edit_TableName->text(), Edit_TableComment->text(), {}};
  for (int row = 1; row < ComboGrid1->RowCount(); ++row) {
    const QString name = ComboGrid1->Cells(kColName, row);
    if (name.isEmpty()) break;
    source.fields.push_back({name, ComboGrid1->Cells(kColType, row), ComboGrid1->Cells(kColSize, row),
                             ComboGrid1->Cells(kColComment, row)});
  }
  const QString stamp = korvel::fromCp932(korvel::FormatDateTime("yyyy/mm/dd hh:nn", korvel::now()));
  QString error;
  if (!WriteCreateTableScript(fileName, BuildCreateTableScript(source, stamp), &error)) {
    errorYes(QStringLiteral("*E:書込ファイル") + fileName + QStringLiteral("が作成できません") +
             QStringLiteral("\r\n") + error);
    return;
  }
  repaint();
}

void TFormTblInf::Open2Click() {
  const QString fileName = korvel::prompt().openFileName(QString(), QStringLiteral("*.sql"), kSqlFilter);
  if (fileName.isEmpty()) return;
  setFileCaption(fileName);
  korvel::LoadCommentDefinition(fileName, *this);
}

void TFormTblInf::N3Click() {
  const QString fileName = korvel::prompt().openFileName(QString(), QStringLiteral("*.prm"), kPrmFilter);
  if (fileName.isEmpty()) return;
  setFileCaption(fileName);
  LoadConversionParams(fileName);
}

void TFormTblInf::LoadConversionParams(const QString& fileName) {
  setStatusText(kReadingStatus);
  Qz_FTRecord file;
  if (!korvel::tryToCp932(fileName, file.fileName)) {
    // The reader takes code page 932 names; this one cannot be written so.
    errorYes(QStringLiteral("*E:ファイルが存在しません。(Qz_FTOpen:") + fileName + u')');
    setStatusText(QString());
    return;
  }
  if (Qz_FTOpen(file) != 0) {
    setStatusText(QString());
    return;
  }
  ListBox1->clear();
  Edit_TableComment->clear();
  while (Qz_FTRead(file) == 0) {
    const ParamLine line = ReadParamLine(file.line);
    if (line.kind == ParamLine::Title) {
      Edit_TableComment->setText(korvel::fromCp932(line.tableComment));
    } else if (line.kind == ParamLine::Field) {
      for (int row = 1; row < ComboGrid1->RowCount(); ++row) {
        std::string name;
        if (!korvel::tryToCp932(ComboGrid1->Cells(kColName, row), name)) continue;
        if (Qz_CompareOpt(name, line.items.fieldName, "U") != 0) continue;
        ComboGrid1->SetCells(kColComment, row, korvel::fromCp932(line.items.comment));
        break;
      }
    }
  }
  Qz_FTClose(file);
  setStatusText(QString());
}
