// Shows the combo grid (one column of each cell kind, read from its stored
// definition), two numeric edit boxes and two grouped toggle buttons.
// With --drop the drop-down list of the second "選択" cell starts open; with
// --press the first button cell is held down and the first number box has
// the focus.
// With --grab FILE the window is also saved as an image and the program ends.

#include <QApplication>
#include <QMouseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

#include "controls/combogrid.h"
#include "controls/comboinplaceedit.h"
#include "controls/griddefinition.h"
#include "controls/numedit.h"
#include "controls/spbtn2.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Korvel controls"));
  auto* layout = new QVBoxLayout(&window);

  auto* grid = new TComboGrid(&window);
  grid->setObjectName(QStringLiteral("ComboGridDemo"));
  grid->setMinimumSize(460, 140);
  layout->addWidget(grid);
  auto* status = new QLabel(&window);
  layout->addWidget(status);
  QString error;
  if (!korvel::LoadGridDefinitions(&window, QStringLiteral(":/grids/controlsdemo.grid"), &error))
    status->setText(error);
  QObject::connect(grid, &TComboGrid::OnGridBtnClick, status, [status, grid](int col, int row) {
    status->setText(QStringLiteral("OnGridBtnClick(%1, %2) = %3").arg(col).arg(row).arg(grid->Cells(col, row)));
  });

  auto* form = new QFormLayout;
  auto* first = new TNumEdit(&window);
  first->setText(QStringLiteral("1234567"));
  auto* money = new TNumEdit(&window);
  money->SetLeftMark(QStringLiteral("¥"));
  money->SetRightMark(QStringLiteral("円"));
  money->SetDecimalLength(2);
  money->SetDecimalFixed(true);
  money->setText(QStringLiteral("-42.5"));
  form->addRow(QStringLiteral("NumEditFirst"), first);
  form->addRow(QStringLiteral("NumEdit (marks, 2 decimals)"), money);
  layout->addLayout(form);

  auto* buttons = new QWidget(&window);
  auto* row = new QHBoxLayout(buttons);
  auto* dec0 = new TSpBtn2(buttons);
  dec0->SetOffStr(QStringLiteral("小数桁表示0桁"));
  dec0->SetOnStr(QStringLiteral("小数桁表示2桁"));
  dec0->SetCaption(dec0->OffStr());
  auto* dec4 = new TSpBtn2(buttons);
  dec4->SetOffStr(QStringLiteral("小数桁表示4桁"));
  dec4->SetOnStr(QStringLiteral("小数桁表示6桁"));
  dec4->SetCaption(dec4->OffStr());
  dec4->click();
  row->addWidget(dec0);
  row->addWidget(dec4);
  row->addStretch();
  layout->addWidget(buttons);

  window.resize(520, 330);
  window.show();
  window.activateWindow();
  grid->setFocus();
  grid->FocusCell(1, 1);

  if (app.arguments().contains(QStringLiteral("--drop"))) {
    QTimer::singleShot(200, grid, [grid] {
      grid->FocusCell(3, 2);
      grid->ShowEditor();
      if (grid->InplaceEditor()) grid->InplaceEditor()->ToggleList();
    });
  }

  if (app.arguments().contains(QStringLiteral("--press"))) {
    QTimer::singleShot(200, grid, [grid, first] {
      const QPoint at = grid->CellRect(4, 1).center();
      QMouseEvent press(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(grid->viewport(), &press);
      first->setFocus();
    });
  }

  const int grab = app.arguments().indexOf(QStringLiteral("--grab"));
  if (grab > 0 && grab + 1 < app.arguments().size()) {
    const QString file = app.arguments()[grab + 1];
    QTimer::singleShot(300, &app, [&window, file] {
      if (!window.grab().save(file)) std::fprintf(stderr, "cannot save %s\n", qPrintable(file));
      QApplication::quit();
    });
  }
  return app.exec();
}
