#pragma once
// TNumEdit: a single-line, custom-drawn entry box for a decimal number. The
// user can only append digits and one point, toggle the sign, remove the last
// character, select the number whole, replace it by pasting, or clear it.
// The number is shown with optional thousands separators, zero filling and
// constant marks before and after it.

#include <QColor>
#include <QRect>
#include <QWidget>

#include "controls/numeditformat.h"

class TNumEdit : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString text READ text WRITE setText)
 public:
  enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
  enum TVertAlignment { taTopJustify = 0, taBottomJustify = 1, taVCenter = 2 };
  enum TBorderStyle { bsNone = 0, bsSingle = 1 };

  explicit TNumEdit(QWidget* parent = nullptr);

  // The value text: [-]digits[.digits], no separators or marks.
  QString text() const { return value_; }
  // Stores trimmed, cleaned text; raises no OnChange.
  void setText(const QString& text);
  QString Text() const { return value_; }
  void SetText(const QString& text) { setText(text); }
  // Stores text cleaned but untrimmed (the platform's set-text request).
  void SetTextRaw(const QString& text);
  // Marks + formatted number, empty when the number is empty.
  QString DisplayText() const { return display_; }

  int Alignment() const { return alignment_; }
  void SetAlignment(int alignment);
  int VertAlignment() const { return vertAlignment_; }
  void SetVertAlignment(int alignment);
  int IntegerLength() const { return rules_.IntegerLength; }
  void SetIntegerLength(int length);
  int DecimalLength() const { return rules_.DecimalLength; }
  void SetDecimalLength(int length);
  bool Minus() const { return rules_.Minus; }
  void SetMinus(bool on);
  bool Comma() const { return rules_.Comma; }
  void SetComma(bool on);
  bool IntegerFixed() const { return rules_.IntegerFixed; }
  void SetIntegerFixed(bool on);
  bool DecimalFixed() const { return rules_.DecimalFixed; }
  void SetDecimalFixed(bool on);
  QString LeftMark() const { return leftMark_; }
  void SetLeftMark(const QString& mark);
  QString RightMark() const { return rightMark_; }
  void SetRightMark(const QString& mark);
  int LeftMargin() const { return leftMargin_; }
  void SetLeftMargin(int margin);
  int TopMargin() const { return topMargin_; }
  void SetTopMargin(int margin);
  int RightMargin() const { return rightMargin_; }
  void SetRightMargin(int margin);
  int BottomMargin() const { return bottomMargin_; }
  void SetBottomMargin(int margin);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool on);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool on) { autoSelect_ = on; }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool on) { hideSelection_ = on; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool on) { readOnly_ = on; }
  int BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);
  QColor DisabledColor() const { return disabledColor_; }
  void SetDisabledColor(const QColor& color);

  // Whether the number is selected (always whole).
  bool Selected() const { return selected_; }
  void SelectAll();
  // The caret's position in widget coordinates (x of its left edge, line top).
  QPoint CaretPos() const;
  // Where the number was last laid out, in widget coordinates.
  QRect NumberRect() const { return numberRect_; }

  QSize sizeHint() const override;

 public slots:
  // Empties the value (no OnChange), as the window helpers expect.
  void clear();

 signals:
  // Raised after a change made by the user.
  void OnChange();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Layout {
    QRect left, number, right;
  };
  Layout ComputeLayout() const;
  int TextWidth(const QString& text) const;
  int LineHeight() const;
  QRect FrameRect() const;  // client area inside the border
  void Refresh();           // display text, repaint, caret
  void ChangeValue(const QString& value);  // a user change: store + OnChange
  void ClearValue();
  void TypeCharacter(QChar ch);
  void TypeDigit(QChar digit);
  void TypePoint();
  void TypeMinus();
  void DeleteLast();
  void Paste();
  void SetSelected(bool on);
  void ApplyAutoSize();

  TNumEditRules rules_;
  QString value_, display_;
  int alignment_ = taRightJustify;
  int vertAlignment_ = taVCenter;
  QString leftMark_, rightMark_;
  int leftMargin_ = 2, topMargin_ = 2, rightMargin_ = 2, bottomMargin_ = 2;
  bool autoSize_ = true, autoSelect_ = true, hideSelection_ = true, readOnly_ = false;
  int borderStyle_ = bsSingle;
  QColor disabledColor_;
  bool selected_ = false;
  bool doubleClicked_ = false;
  QRect numberRect_;
};
