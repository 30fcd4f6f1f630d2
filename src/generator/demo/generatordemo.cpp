// Shows the form and code generator filled with the fields of a sample
// employee table, laid out as the table information window's field grid
// (number, name, class, size, alignment, index, display width, comment,
// digits, decimals), through the same entry point that window uses.
//
//   korvel_generator_demo                  the window, modal, until closed
//   korvel_generator_demo --print KIND     presses "Object作成" with choice
//                                          KIND (0..7) and prints the
//                                          clipboard text, then ends
//   korvel_generator_demo --grab FILE      saves the window as an image

#include <QApplication>
#include <QClipboard>
#include <QTimer>
#include <cstdio>

#include "controls/combogrid.h"
#include "generator/formsmake.h"
#include "ui/application.h"
#include "ui/radiogroup.h"
#include "ui/widgetprompt.h"

namespace {

void fillSampleFields(TComboGrid& grid) {
  const char* fields[][8] = {
      {"1", "EMPNO", "TIntegerField", "4", "右", "*", "10", "社員番号"},
      {"2", "ENAME", "TStringField", "20", "左", "", "20", "社員名"},
      {"3", "HIREDATE", "TDateTimeField", "8", "左", "", "19", "入社日"},
      {"4", "SAL", "TFloatField", "8", "右", "", "12", "給与"},
      {"5", "DEPT_NO", "TSmallintField", "2", "右", "", "6", "部門"},
  };
  grid.SetColCount(10);
  grid.SetRowCount(int(std::size(fields)) + 1);
  for (int row = 1; row <= int(std::size(fields)); ++row)
    for (int col = 0; col < 8; ++col)
      grid.SetCells(col, row, QString::fromUtf8(fields[row - 1][col]));
}

}  // namespace

int main(int argc, char** argv) {
  korvel::ui::Application app(argc, argv);
  korvel::WidgetPrompt widgetPrompt;
  korvel::setPrompt(&widgetPrompt);
  TComboGrid fieldGrid;
  fillSampleFields(fieldGrid);
  TFormSMake form;
  FormSMake = &form;

  const QStringList args = app.arguments();
  const int print = args.indexOf(QStringLiteral("--print"));
  if (print > 0 && print + 1 < args.size()) {
    form.LoadFieldGrid(fieldGrid);
    form.RadioGroupObj->SetItemIndex(args[print + 1].toInt());
    form.BitBtn_CommentClick();
    std::fputs(QApplication::clipboard()->text().toUtf8().constData(), stdout);
    return 0;
  }
  const int grab = args.indexOf(QStringLiteral("--grab"));
  if (grab > 0 && grab + 1 < args.size()) {
    const QString file = args[grab + 1];
    QTimer::singleShot(300, &form, [&form, file] {
      if (!form.grab().save(file)) std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
      form.close();
    });
  }
  form.ShowForFieldGrid(fieldGrid);
  korvel::setPrompt(nullptr);
  return 0;
}
