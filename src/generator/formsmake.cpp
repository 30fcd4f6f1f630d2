#include "generator/formsmake.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

#include "controls/combogrid.h"
#include "controls/griddefinition.h"
#include "controls/numedit.h"
#include "prompt/prompt.h"
#include "ui/radiogroup.h"
#include "ui/windowhelpers.h"

TFormSMake* FormSMake = nullptr;

namespace {

QLineEdit* numberEdit(const QString& text, QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setMaximumWidth(64);
  return edit;
}

QPushButton* commandButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TFormSMake::TFormSMake(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormSMake"));
  setWindowTitle(QString::fromUtf8(kFormSMakeCaption) + QLatin1Char(' ') +
                 QString::fromUtf8(kFormSMakeVersion));
  buildControls();
  connectHandlers();
  loadGridDefinition();
  takeWindowFont();
  resize(1000, 640);
}

TFormSMake::~TFormSMake() = default;

void TFormSMake::buildControls() {
  ComboGrid1 = new TComboGrid(this);
  ComboGrid1->setObjectName(QStringLiteral("ComboGrid1"));

  // The measuring controls are never shown; only their sizes are read.
  LabelMeasure = new QLabel(this);
  LabelMeasure->setTextFormat(Qt::PlainText);
  LabelMeasure->setMargin(0);
  LabelMeasure->hide();
  EditMeasure = new QLineEdit(this);
  EditMeasure->resize(100, EditMeasure->sizeHint().height());
  EditMeasure->hide();
  EditMeasure2 = new QLineEdit(this);
  EditMeasure2->resize(97, EditMeasure2->sizeHint().height());
  EditMeasure2->hide();

  MainMenu1 = new QMenuBar(this);
  ExitX1 = MainMenu1->addAction(QStringLiteral("Exit(&X)"));

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu1);
  layout->addLayout(buildSettings());
  layout->addWidget(ComboGrid1, 1);
}

QLayout* TFormSMake::buildSettings() {
  RadioGroupObj = new TRadioGroup(
      QStringLiteral("作成するオブジェクト"),
      {QStringLiteral("Label(ラベル)"), QStringLiteral("Edit (テキストボックス)"),
       QStringLiteral("Label + Edit"), QStringLiteral("NValEdit"), QStringLiteral("DBText"),
       QStringLiteral("ソース"), QStringLiteral("ソース(ID付)"), QStringLiteral("APPEND用")},
      2, this);
  RadioGroupObj2 = new TRadioGroup(QStringLiteral("作成対象"),
                                   {QStringLiteral("項目名"), QStringLiteral("コメント")}, 1, this);
  RadioGroupMakeName = new TRadioGroup(QStringLiteral("名前のつけ方"),
                                       {QStringLiteral("数値"), QStringLiteral("項目名")}, 1, this);
  auto* choices = new QVBoxLayout;
  choices->addWidget(RadioGroupObj2);
  choices->addWidget(RadioGroupMakeName);

  EditNum = numberEdit(QStringLiteral("100"), this);
  EditLeft = numberEdit(QStringLiteral("8"), this);
  EditHosei = numberEdit(QStringLiteral("3"), this);
  auto* numbers = new QGridLayout;
  numbers->addWidget(new QLabel(QStringLiteral("数値初期値"), this), 0, 0);
  numbers->addWidget(EditNum, 0, 1);
  numbers->addWidget(new QLabel(QStringLiteral("Left"), this), 1, 0);
  numbers->addWidget(EditLeft, 1, 1);
  numbers->addWidget(new QLabel(QStringLiteral("補正"), this), 2, 0);
  numbers->addWidget(EditHosei, 2, 1);
  numbers->setRowStretch(3, 1);

  // The object kinds, the row text and naming choices and the numbers in a
  // band with the commands on the right; font and range in a row below.
  auto* band = new QHBoxLayout;
  band->addWidget(RadioGroupObj);
  band->addLayout(choices);
  band->addLayout(numbers);
  band->addStretch();
  band->addLayout(buildCommands());
  auto* lower = new QHBoxLayout;
  lower->addLayout(buildFontControls());
  lower->addSpacing(16);
  lower->addLayout(buildRangeControls());
  lower->addStretch();
  auto* settings = new QVBoxLayout;
  settings->addLayout(band);
  settings->addLayout(lower);
  return settings;
}

QLayout* TFormSMake::buildFontControls() {
  CkBoxParentFont = new QCheckBox(QStringLiteral("ParentFont"), this);
  PanelFont = new QWidget(this);
  EditFName = new QLineEdit(PanelFont);
  EditFName->setMinimumWidth(140);
  EditFontSize = numberEdit(QString(), PanelFont);
  Label4 = new QLabel(PanelFont);
  Label4->setMinimumWidth(32);
  auto* panel = new QHBoxLayout(PanelFont);
  panel->setContentsMargins(0, 0, 0, 0);
  panel->addWidget(EditFName);
  panel->addWidget(EditFontSize);
  panel->addWidget(Label4);
  SpeedButtonFont = new QToolButton(this);
  SpeedButtonFont->setText(QStringLiteral("フォント設定"));
  auto* row = new QHBoxLayout;
  row->addWidget(CkBoxParentFont);
  row->addWidget(PanelFont);
  row->addWidget(SpeedButtonFont);
  return row;
}

QLayout* TFormSMake::buildRangeControls() {
  CheckBoxHani = new QCheckBox(QStringLiteral("作成範囲指定"), this);
  LabelHaniFrom = new QLabel(QStringLiteral("カーソル位置から"), this);
  NumEditHani = new TNumEdit(this);
  NumEditHani->setObjectName(QStringLiteral("NumEditHani"));
  NumEditHani->SetMinus(false);
  NumEditHani->SetDecimalLength(0);
  NumEditHani->SetText(QStringLiteral("25"));
  NumEditHani->setFixedWidth(56);
  LabelHaniCount = new QLabel(QStringLiteral("個作成"), this);
  // Shown only while "作成範囲指定" is checked.
  LabelHaniFrom->hide();
  NumEditHani->hide();
  LabelHaniCount->hide();
  auto* row = new QHBoxLayout;
  row->addWidget(CheckBoxHani);
  row->addWidget(LabelHaniFrom);
  row->addWidget(NumEditHani);
  row->addWidget(LabelHaniCount);
  return row;
}

QLayout* TFormSMake::buildCommands() {
  BitBtn_Comment = commandButton(QStringLiteral("Object作成"), this);
  BitBtn_Copy = commandButton(QStringLiteral("クリップボードへコピー"), this);
  BitBtn2 = commandButton(QStringLiteral("クリップボードから張付"), this);
  BitBtnExit = commandButton(QStringLiteral("　終了"), this);
  auto* commands = new QVBoxLayout;
  for (QPushButton* b : {BitBtn_Comment, BitBtn_Copy, BitBtn2, BitBtnExit}) commands->addWidget(b);
  commands->addStretch();
  return commands;
}

void TFormSMake::connectHandlers() {
  connect(BitBtn_Comment, &QPushButton::clicked, this, [this] { BitBtn_CommentClick(); });
  connect(BitBtn_Copy, &QPushButton::clicked, this, [this] { BitBtn_CopyClick(); });
  connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
  connect(BitBtnExit, &QPushButton::clicked, this, [this] { ExitX1Click(); });
  connect(ExitX1, &QAction::triggered, this, [this] { ExitX1Click(); });
  connect(SpeedButtonFont, &QToolButton::clicked, this, [this] { SpeedButtonFontClick(); });
  connect(CkBoxParentFont, &QCheckBox::toggled, this, [this] { CkBoxParentFontClick(); });
  connect(CheckBoxHani, &QCheckBox::toggled, this, [this] { CheckBoxHaniClick(); });
}

void TFormSMake::loadGridDefinition() {
  QString error;
  if (!korvel::LoadGridDefinitions(this, QStringLiteral(":/grids/formsmake.grid"), &error))
    korvel::showError(error);
}

void TFormSMake::LoadFieldGrid(TComboGrid& fieldGrid) {
  Qz_ClearGrid(ComboGrid1);
  for (int row = 1; row < fieldGrid.RowCount(); ++row)
    for (int col = 0; col < fieldGrid.ColCount(); ++col)
      ComboGrid1->SetCells(col, row, fieldGrid.Cells(col, row));
}

int TFormSMake::ShowForFieldGrid(TComboGrid& fieldGrid) {
  LoadFieldGrid(fieldGrid);
  return korvel::prompt().showModal(this);
}

void TFormSMake::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TFormSMake::FormShow() {
  ComboGrid1->SetRow(1);
  if (QScreen* screen = this->screen()) {
    const QRect area = screen->availableGeometry();
    move(area.topLeft());
    resize(area.width(), height());
  }
  takeWindowFont();
}

// Shows a font's name and its size in points (a font sized in pixels is
// converted at the window's resolution).
void TFormSMake::showFont(const QFont& font) {
  int points = font.pointSize();
  if (points <= 0 && font.pixelSize() > 0)
    points = static_cast<int>(std::lround(font.pixelSize() * 72.0 / logicalDpiY()));
  EditFName->setText(font.family());
  EditFontSize->setText(QString::number(points));
}

void TFormSMake::takeWindowFont() { showFont(font()); }

void TFormSMake::SpeedButtonFontClick() {
  QFont chosen = font();
  if (korvel::prompt().chooseFont(chosen, QStringLiteral("フォント設定"))) showFont(chosen);
}

void TFormSMake::CkBoxParentFontClick() {
  const bool parentFont = CkBoxParentFont->isChecked();
  if (parentFont) takeWindowFont();
  SpeedButtonFont->setVisible(!parentFont);
  PanelFont->setVisible(!parentFont);
}

void TFormSMake::CheckBoxHaniClick() {
  const bool range = CheckBoxHani->isChecked();
  LabelHaniFrom->setVisible(range);
  NumEditHani->setVisible(range);
  LabelHaniCount->setVisible(range);
}

void TFormSMake::ExitX1Click() { close(); }
