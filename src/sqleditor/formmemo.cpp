#include "sqleditor/formmemo.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/programstate.h"
#include "sqleditor/finddialog.h"

TFormMemo* FormMemo = nullptr;

namespace {

QToolButton* speedButton(const QString& caption, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(caption);
  button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return button;
}

// A large fixed-pitch face that can show Japanese.
QFont memoFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                    QStringLiteral("MS Gothic"), QStringLiteral("Monospace")});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSize(14);
  return font;
}

}  // namespace

TFormMemo::TFormMemo(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormMemo"));
  setWindowTitle(QString::fromUtf8(kFormMemoCaption) + QLatin1Char(' ') +
                 QString::fromUtf8(kFormMemoVersion));
  buildControls();
  buildMenu();
  connectHandlers();
  resize(900, 640);
}

TFormMemo::~TFormMemo() = default;

void TFormMemo::buildControls() {
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setFont(memoFont());
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->installEventFilter(this);

  EditAlias = new QLineEdit(this);
  EditAlias->setObjectName(QStringLiteral("EditAlias"));
  ComboBoxItem = new QComboBox(this);
  ComboBoxItem->setObjectName(QStringLiteral("ComboBoxItem"));
  ComboBoxItem->setEditable(true);
  ComboBoxItem->setInsertPolicy(QComboBox::NoInsert);
  ComboBoxItem->setMinimumContentsLength(16);
  ComboBoxItem->installEventFilter(this);
  ComboBoxItem->lineEdit()->installEventFilter(this);

  CheckBoxOver = new QCheckBox(QStringLiteral("上書"), this);
  CheckBoxParadox = new QCheckBox(QStringLiteral("Paradox"), this);
  CheckBoxAlias = new QCheckBox(QStringLiteral("エリアスも書込"), this);
  CheckBoxAlias->setChecked(true);
  CheckBoxEdOp = new QCheckBox(QStringLiteral("カンマ改行"), this);

  SpeedButton9 = speedButton(QStringLiteral("SELECT"), this);
  SpeedButton18 = speedButton(QStringLiteral("*"), this);
  SpeedButton12 = speedButton(QStringLiteral("UPDATE"), this);
  SpeedButton13 = speedButton(QStringLiteral("INSERT"), this);
  SpeedButton16 = speedButton(QStringLiteral("VALUES"), this);
  SpeedButton10 = speedButton(QStringLiteral("FROM"), this);
  SpeedButton20 = speedButton(QStringLiteral("表名"), this);
  SpeedButton11 = speedButton(QStringLiteral("WHERE"), this);
  SpeedButton14 = speedButton(QStringLiteral("BETWEEN"), this);
  SpeedButton17 = speedButton(QStringLiteral("AND"), this);
  SpeedButton21 = speedButton(QStringLiteral("OR"), this);
  SpeedButton22 = speedButton(QStringLiteral("NOT"), this);
  SpeedButton15 = speedButton(QStringLiteral("TO_DATE"), this);
  SpeedButton1 = speedButton(QStringLiteral("TO_DTIME"), this);

  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setAutoDefault(false);
  SpeedButton2 = speedButton(QStringLiteral("CANCEL"), this);
  SpeedButton2->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  SpeedButton2->setMinimumWidth(BitBtn1->sizeHint().width());
  SpeedButton19 = speedButton(QStringLiteral("CLEAR"), this);
  SpeedButton3 = speedButton(QStringLiteral("記憶"), this);
  const QString digits[] = {QStringLiteral("１"), QStringLiteral("２"), QStringLiteral("３"),
                            QStringLiteral("４"), QStringLiteral("５")};
  for (int i = 0; i < 5; ++i) SlotButtons[i] = speedButton(digits[i], this);
  BitBtn_Copy = new QPushButton(QStringLiteral("Clip Copy(&C)"), this);
  BitBtnPast = new QPushButton(QStringLiteral("貼付(&P)"), this);
  BitBtnMkSel = new QPushButton(QStringLiteral("SELECT文作成(&S)"), this);
  BitBtnMkIns = new QPushButton(QStringLiteral("INS作成"), this);
  for (QPushButton* b : {BitBtn_Copy, BitBtnPast, BitBtnMkSel, BitBtnMkIns}) b->setAutoDefault(false);
  SpeedButton23 = speedButton(QStringLiteral("解析"), this);
  SpeedButton25 = speedButton(QStringLiteral("整形"), this);
  const QString literalHint = QStringLiteral(
      "この機能を利用するには := 以降の '(シングルクォーク)からの文字列をMemoにコピーしてください");
  SpeedButton23->setToolTip(literalHint);
  SpeedButton25->setToolTip(literalHint);

  FindDialog1 = new TFindDialog(TFindDialog::Mode::Find, this);
  ReplaceDialog1 = new TFindDialog(TFindDialog::Mode::Replace, this);

  // Keyword buttons in two rows, the commands beside them, the memo below.
  auto* keywords = new QGridLayout;
  const QList<QToolButton*> keywordRow1 = {SpeedButton9, SpeedButton18, SpeedButton12, SpeedButton13,
                                           SpeedButton16, SpeedButton10, SpeedButton20};
  const QList<QToolButton*> keywordRow2 = {SpeedButton11, SpeedButton14, SpeedButton17, SpeedButton21,
                                           SpeedButton22, SpeedButton15, SpeedButton1};
  for (int i = 0; i < keywordRow1.size(); ++i) keywords->addWidget(keywordRow1[i], 0, i);
  for (int i = 0; i < keywordRow2.size(); ++i) keywords->addWidget(keywordRow2[i], 1, i);

  auto* slotsRow = new QHBoxLayout;
  slotsRow->addWidget(SpeedButton3);
  for (QToolButton* b : SlotButtons) slotsRow->addWidget(b);
  slotsRow->addSpacing(12);
  slotsRow->addWidget(SpeedButton19);
  slotsRow->addWidget(SpeedButton23);
  slotsRow->addWidget(SpeedButton25);
  slotsRow->addWidget(CheckBoxEdOp);
  slotsRow->addStretch();

  auto* optionsRow = new QHBoxLayout;
  optionsRow->addWidget(new QLabel(QStringLiteral("Alias"), this));
  optionsRow->addWidget(EditAlias);
  optionsRow->addWidget(CheckBoxAlias);
  optionsRow->addWidget(CheckBoxParadox);
  optionsRow->addWidget(CheckBoxOver);
  optionsRow->addWidget(new QLabel(QStringLiteral("項目"), this));
  optionsRow->addWidget(ComboBoxItem, 1);

  auto* commandsRow = new QHBoxLayout;
  for (QPushButton* b : {BitBtn_Copy, BitBtnPast, BitBtnMkSel, BitBtnMkIns}) commandsRow->addWidget(b);
  commandsRow->addStretch();
  commandsRow->addWidget(BitBtn1);
  commandsRow->addWidget(SpeedButton2);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(keywords);
  layout->addLayout(slotsRow);
  layout->addLayout(optionsRow);
  layout->addWidget(Memo1, 1);
  layout->addLayout(commandsRow);
}

void TFormMemo::buildMenu() {
  MainMenu1 = new QMenuBar(this);
  QMenu* file = MainMenu1->addMenu(QStringLiteral("File"));
  Read1 = file->addAction(QStringLiteral("Read"));
  Write1 = file->addAction(QStringLiteral("Write"));
  file->addSeparator();
  Exit1 = file->addAction(QStringLiteral("Exit"));
  QMenu* edit = MainMenu1->addMenu(QStringLiteral("Edit(&E)"));
  Undo1 = edit->addAction(QStringLiteral("元に戻す(&Z)"));
  Find1 = edit->addAction(QStringLiteral("検索(&F)"));
  Replace1 = edit->addAction(QStringLiteral("置換(&R)"));
  Copy1 = MainMenu1->addAction(QStringLiteral("Copy(&C)"));
  Paste1 = MainMenu1->addAction(QStringLiteral("貼付(&P)"));
  ReadTop = MainMenu1->addAction(QStringLiteral("Read"));
  WriteTop = MainMenu1->addAction(QStringLiteral("Write"));
  layout()->setMenuBar(MainMenu1);
}

void TFormMemo::connectHandlers() {
  const std::pair<QToolButton*, QString> insertions[] = {
      {SpeedButton9, QStringLiteral("SELECT ")},
      {SpeedButton18, QStringLiteral(" * ")},
      {SpeedButton12, QStringLiteral("UPDATE  SET ")},
      {SpeedButton13, QStringLiteral("INSERT INTO ")},
      {SpeedButton16, QStringLiteral(" ) VALUES ( ")},
      {SpeedButton10, QStringLiteral(" FROM ")},
      {SpeedButton11, QStringLiteral(" WHERE ")},
      {SpeedButton14, QStringLiteral(" BETWEEN ")},
      {SpeedButton17, QStringLiteral(" AND ")},
      {SpeedButton21, QStringLiteral(" OR ")},
      {SpeedButton22, QStringLiteral(" NOT ")},
  };
  for (const auto& [button, text] : insertions)
    connect(button, &QToolButton::clicked, this, [this, text = text] { InsertText(text); });
  connect(SpeedButton20, &QToolButton::clicked, this,
          [this] { InsertText(QLatin1Char(' ') + EditorTableName + QLatin1Char(' ')); });
  connect(SpeedButton15, &QToolButton::clicked, this, &TFormMemo::SpeedButton15Click);
  connect(SpeedButton1, &QToolButton::clicked, this, &TFormMemo::SpeedButton1Click);

  connect(BitBtn1, &QPushButton::clicked, this, &TFormMemo::BitBtn1Click);
  connect(SpeedButton2, &QToolButton::clicked, this, &QDialog::reject);
  connect(SpeedButton19, &QToolButton::clicked, Memo1, &QPlainTextEdit::clear);
  connect(SpeedButton3, &QToolButton::clicked, this, &TFormMemo::SpeedButton3Click);
  for (int i = 0; i < 5; ++i)
    connect(SlotButtons[i], &QToolButton::clicked, this, [this, i] { RecallSlot(i + 1); });
  connect(BitBtn_Copy, &QPushButton::clicked, this, &TFormMemo::BitBtn_CopyClick);
  connect(Copy1, &QAction::triggered, this, &TFormMemo::BitBtn_CopyClick);
  connect(BitBtnPast, &QPushButton::clicked, this, &TFormMemo::BitBtnPastClick);
  connect(Paste1, &QAction::triggered, this, &TFormMemo::BitBtnPastClick);
  connect(BitBtnMkSel, &QPushButton::clicked, this, &TFormMemo::BitBtnMkSelClick);
  connect(BitBtnMkIns, &QPushButton::clicked, this, &TFormMemo::BitBtnMkInsClick);
  connect(SpeedButton23, &QToolButton::clicked, this, &TFormMemo::SpeedButton23Click);
  connect(SpeedButton25, &QToolButton::clicked, this, &TFormMemo::SpeedButton25Click);

  connect(Read1, &QAction::triggered, this, &TFormMemo::Read1Click);
  connect(ReadTop, &QAction::triggered, this, &TFormMemo::Read1Click);
  connect(Write1, &QAction::triggered, this, &TFormMemo::Write1Click);
  connect(WriteTop, &QAction::triggered, this, &TFormMemo::Write1Click);
  connect(Exit1, &QAction::triggered, this, &QDialog::reject);
  connect(Undo1, &QAction::triggered, Memo1, &QPlainTextEdit::undo);
  connect(Find1, &QAction::triggered, this, &TFormMemo::ShowFindDialog);
  connect(Replace1, &QAction::triggered, this, &TFormMemo::ShowReplaceDialog);
  connect(FindDialog1, &TFindDialog::Find, this, &TFormMemo::FindDialog1Find);
  connect(ReplaceDialog1, &TFindDialog::Replace, this, &TFormMemo::ReplaceDialog1Replace);
}
