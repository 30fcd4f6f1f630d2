#pragma once
// The form and code generator "アプリケーション簡単作成": turns a list of table
// columns (the field grid of the table information window, or lines pasted
// from the clipboard) into form-definition text for labels, edit boxes and
// numeric edit boxes placed one under another, or into field-table source
// lines, and puts the text on the clipboard.

#include <QDialog>

#include "generator/generation.h"

class QAction;
class QFont;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QToolButton;
class QWidget;
class TComboGrid;
class TNumEdit;
class TRadioGroup;

class TFormSMake : public QDialog {
  Q_OBJECT
 public:
  explicit TFormSMake(QWidget* parent = nullptr);
  ~TFormSMake() override;

  // --- entry point of the table information window ("Object作成") --------
  // Empties the grid's data cells, then copies every cell of rows 1 to the
  // last and of every column of `fieldGrid` into the same cell here (cells
  // beyond this grid's 100 x 100 are left out).
  void LoadFieldGrid(TComboGrid& fieldGrid);
  // LoadFieldGrid, then shows the window modally through the Prompt seam;
  // returns the modal result.
  int ShowForFieldGrid(TComboGrid& fieldGrid);

  // --- controls ------------------------------------------------------------
  TComboGrid* ComboGrid1 = nullptr;
  TRadioGroup* RadioGroupObj = nullptr;       // 作成するオブジェクト
  TRadioGroup* RadioGroupObj2 = nullptr;      // 作成対象: 項目名 / コメント
  TRadioGroup* RadioGroupMakeName = nullptr;  // 名前のつけ方: 数値 / 項目名
  QLineEdit* EditNum = nullptr;               // 数値初期値
  QLineEdit* EditLeft = nullptr;
  QLineEdit* EditHosei = nullptr;             // 補正
  QCheckBox* CkBoxParentFont = nullptr;
  QWidget* PanelFont = nullptr;               // font name, size and height
  QLineEdit* EditFName = nullptr;
  QLineEdit* EditFontSize = nullptr;
  QLabel* Label4 = nullptr;                   // font height in pixels
  QToolButton* SpeedButtonFont = nullptr;     // フォント設定
  QCheckBox* CheckBoxHani = nullptr;          // 作成範囲指定
  QLabel* LabelHaniFrom = nullptr;            // カーソル位置から
  TNumEdit* NumEditHani = nullptr;
  QLabel* LabelHaniCount = nullptr;           // 個作成
  QPushButton* BitBtn_Comment = nullptr;      // Object作成
  QPushButton* BitBtn_Copy = nullptr;         // クリップボードへコピー
  QPushButton* BitBtn2 = nullptr;             // クリップボードから張付
  QPushButton* BitBtnExit = nullptr;          // 終了
  QMenuBar* MainMenu1 = nullptr;
  QAction* ExitX1 = nullptr;                  // Exit(&X)

  // Hidden measuring controls carrying the chosen font.
  QLabel* LabelMeasure = nullptr;             // sizes itself to its caption
  QLineEdit* EditMeasure = nullptr;           // 100 pixels wide
  QLineEdit* EditMeasure2 = nullptr;          // 97 pixels wide

  // --- handlers ------------------------------------------------------------
  void BitBtn_CommentClick();
  void BitBtn_CopyClick();
  void BitBtn2Click();
  void PasteGridLine(const QString& line);
  void SpeedButtonFontClick();
  void CkBoxParentFontClick();
  void CheckBoxHaniClick();
  void FormShow();
  void ExitX1Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void buildControls();
  QLayout* buildSettings();
  QLayout* buildFontControls();
  QLayout* buildRangeControls();
  QLayout* buildCommands();
  void connectHandlers();
  void loadGridDefinition();
  void takeWindowFont();
  void showFont(const QFont& font);
  // Applies the font of EditFName/EditFontSize to the measuring controls and
  // shows its height in Label4; returns that height (0: the default size).
  long long applyMeasuringFont();
  korvel::generator::GenerationSettings readSettings(long long fontHeight) const;
  std::vector<korvel::generator::ColumnRow> gridRows(int first, int last) const;
  void generate();

  // The cell PasteGridLine writes to next.
  int pasteCol_ = 1;
  int pasteRow_ = 1;
  bool pasteOverflow_ = false;  // a pasted piece fell outside the grid
};

// Caption and version shown in the window title.
inline constexpr const char* kFormSMakeCaption = "アプリケーション簡単作成";
inline constexpr const char* kFormSMakeVersion = "V0.5A";

extern TFormSMake* FormSMake;
