#pragma once
// A table information window over an alias of the engine fixture, with the
// scripted prompt, a table object of its own as the main window would lend
// it, and the main window's table list played by a string list.

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSqlQuery>
#include <memory>

#include "../db/dbtestenv.h"
#include "controls/combogrid.h"
#include "db/engine.h"
#include "db/query.h"
#include "db/table.h"
#include "tableinfo/fieldrows.h"
#include "tableinfo/formtblinf.h"
#include "tableinfo/tableinfoload.h"
#include "ui/scriptedprompt.h"

class TblInfTest : public korvel::db::test::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    form = std::make_unique<TFormTblInf>();
    table = std::make_unique<korvel::db::Table>();
    form->SetMainWindowLinks({[this] { return listed; },
                              [this](int index) {
                                shownIndex = index;
                                load(listed.value(index));
                              }});
  }
  void TearDown() override {
    table.reset();
    form.reset();
    EngineFixture::TearDown();
  }

  bool load(const QString& tableText) {
    return korvel::tableinfo::LoadTableInfo(*form, *table, alias, tableText);
  }
  bool exec(const QString& sql) {
    QSqlQuery q(korvel::db::Engine::instance().connection(alias));
    const bool ok = q.exec(sql);
    EXPECT_TRUE(ok) << sql.toStdString();
    return ok;
  }
  QString value(const QString& sql) {
    QSqlQuery q(korvel::db::Engine::instance().connection(alias));
    return q.exec(sql) && q.next() ? q.value(0).toString() : QStringLiteral("<none>");
  }
  // The cells of a grid row, columns 0 to 9, joined by "|".
  QString row(int r) const {
    QStringList cells;
    for (int c = 0; c < korvel::tableinfo::kFieldColumns; ++c) cells << form->ComboGrid1->Cells(c, r);
    return cells.join(u'|');
  }
  QString cell(int col, int r) const { return form->ComboGrid1->Cells(col, r); }
  void setComment(int r, const QString& text) { form->ComboGrid1->SetCells(korvel::tableinfo::kColComment, r, text); }
  static QString clipboard() { return QApplication::clipboard()->text(); }

  korvel::ScriptedPrompt prompt;
  std::unique_ptr<TFormTblInf> form;
  std::unique_ptr<korvel::db::Table> table;
  QString alias;
  QStringList listed;  // the main window's table list
  int shownIndex = -1;
};
