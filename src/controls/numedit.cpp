#include "controls/numedit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

constexpr int kFrameWidth = 2;  // sunken client edge of the single border

// A full-width digit, minus or full stop typed (or composed) becomes its
// single-byte character; other characters are returned unchanged.
QChar SingleByteForm(QChar ch) {
  const char16_t u = ch.unicode();
  if (u >= 0xFF10 && u <= 0xFF19) return QChar(u'0' + (u - 0xFF10));
  if (u == 0xFF0D || u == 0x2212) return u'-';
  if (u == 0xFF0E) return u'.';
  return ch;
}

bool IsPlainKey(const QKeyEvent* e) {
  return (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

TNumEdit::TNumEdit(QWidget* parent) : QWidget(parent) {
  resize(121, 20);
  setCursor(Qt::IBeamCursor);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  setBackgroundRole(QPalette::Base);
  disabledColor_ = palette().color(QPalette::Disabled, QPalette::WindowText);
  ApplyAutoSize();
}

// --- value -----------------------------------------------------------------

void TNumEdit::setText(const QString& text) {
  if (text == value_) return;
  SetTextRaw(text.trimmed());
}

void TNumEdit::SetTextRaw(const QString& text) {
  value_ = StripLeadingZeros(NormalizeInput(text, rules_));
  Refresh();
}

void TNumEdit::clear() {
  selected_ = false;
  setText(QString());
  update();
}

void TNumEdit::Refresh() {
  const QString number = FormatNumber(value_, rules_);
  display_ = number.isEmpty() ? QString() : leftMark_ + number + rightMark_;
  numberRect_ = ComputeLayout().number;
  update();
  updateMicroFocus();
}

void TNumEdit::ChangeValue(const QString& value) {
  value_ = value;
  Refresh();
  emit OnChange();
}

// --- properties --------------------------------------------------------------

void TNumEdit::SetAlignment(int alignment) { alignment_ = alignment; Refresh(); }
void TNumEdit::SetVertAlignment(int alignment) { vertAlignment_ = alignment; Refresh(); }

void TNumEdit::SetIntegerLength(int length) {
  if (length < 0) return;
  rules_.IntegerLength = length;
  value_ = NormalizeInput(value_, rules_);
  Refresh();
}

void TNumEdit::SetDecimalLength(int length) {
  if (length < 0) return;
  rules_.DecimalLength = length;
  value_ = NormalizeInput(value_, rules_);
  Refresh();
}

void TNumEdit::SetMinus(bool on) {
  rules_.Minus = on;
  value_ = NormalizeInput(value_, rules_);
  Refresh();
}

void TNumEdit::SetComma(bool on) { rules_.Comma = on; Refresh(); }
void TNumEdit::SetIntegerFixed(bool on) { rules_.IntegerFixed = on; Refresh(); }
void TNumEdit::SetDecimalFixed(bool on) { rules_.DecimalFixed = on; Refresh(); }
void TNumEdit::SetLeftMark(const QString& mark) { leftMark_ = mark; Refresh(); }
void TNumEdit::SetRightMark(const QString& mark) { rightMark_ = mark; Refresh(); }

void TNumEdit::SetLeftMargin(int margin) {
  if (margin < 0) return;
  leftMargin_ = margin;
  Refresh();
}
void TNumEdit::SetRightMargin(int margin) {
  if (margin < 0) return;
  rightMargin_ = margin;
  Refresh();
}
void TNumEdit::SetTopMargin(int margin) {
  if (margin < 0) return;
  topMargin_ = margin;
  ApplyAutoSize();
  Refresh();
}
void TNumEdit::SetBottomMargin(int margin) {
  if (margin < 0) return;
  bottomMargin_ = margin;
  ApplyAutoSize();
  Refresh();
}

void TNumEdit::SetAutoSize(bool on) {
  autoSize_ = on;
  ApplyAutoSize();
}

void TNumEdit::SetBorderStyle(int style) {
  borderStyle_ = style;
  ApplyAutoSize();
  Refresh();
}

void TNumEdit::SetDisabledColor(const QColor& color) {
  disabledColor_ = color;
  update();
}

// --- layout ------------------------------------------------------------------

int TNumEdit::TextWidth(const QString& text) const {
  return text.isEmpty() ? 0 : fontMetrics().horizontalAdvance(text) + 1;
}

int TNumEdit::LineHeight() const { return fontMetrics().height(); }

QRect TNumEdit::FrameRect() const {
  const int f = borderStyle_ == bsSingle ? kFrameWidth : 0;
  return rect().adjusted(f, f, -f, -f);
}

void TNumEdit::ApplyAutoSize() {
  if (!autoSize_) return;
  const int f = borderStyle_ == bsSingle ? kFrameWidth : 0;
  resize(width(), LineHeight() + topMargin_ + bottomMargin_ + 2 * f);
  updateGeometry();
}

QSize TNumEdit::sizeHint() const {
  const int f = borderStyle_ == bsSingle ? kFrameWidth : 0;
  return {121, autoSize_ ? LineHeight() + topMargin_ + bottomMargin_ + 2 * f : 20};
}

TNumEdit::Layout TNumEdit::ComputeLayout() const {
  const QRect client = FrameRect();
  const int cw = client.width(), ch = client.height(), h = LineHeight();
  const bool marks = !value_.isEmpty() || rules_.IntegerFixed || rules_.DecimalFixed;
  const int lm = marks ? TextWidth(leftMark_) : 0;
  const int rm = marks ? TextWidth(rightMark_) : 0;
  const int d = TextWidth(FormatNumber(value_, rules_));
  const int a = TextWidth(NumberAreaTemplate(value_, rules_));
  const int t = lm + a + rm;

  int left = 0, rightMarkLeft = 0;
  if (alignment_ == taLeftJustify) {
    left = leftMargin_;
    rightMarkLeft = left + lm + a;
  } else if (alignment_ == taRightJustify) {
    left = cw - rightMargin_ - 1 - t;
    rightMarkLeft = left + lm + a;
  } else {
    const int centre = leftMargin_ + (cw - leftMargin_ - rightMargin_) / 2;
    left = centre - t / 2;
    rightMarkLeft = centre + t / 2 - rm;
  }
  int top = 0;
  if (vertAlignment_ == taTopJustify)
    top = topMargin_;
  else if (vertAlignment_ == taBottomJustify)
    top = ch - h - bottomMargin_;
  else
    top = (ch - h - topMargin_ - bottomMargin_) / 2 + topMargin_;

  const QPoint o = client.topLeft();
  Layout l;
  l.left = QRect(o.x() + left, o.y() + top, lm, h);
  l.number = QRect(o.x() + left + lm + a - d, o.y() + top, d, h);
  l.right = QRect(o.x() + rightMarkLeft, o.y() + top, rm, h);
  return l;
}

QPoint TNumEdit::CaretPos() const {
  const Layout l = ComputeLayout();
  return {l.number.left() + TextWidth(TypedPartOfNumber(value_, rules_)) - 1, l.number.top()};
}

// --- painting ----------------------------------------------------------------

void TNumEdit::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QColor box = palette().color(QPalette::Base);
  p.fillRect(rect(), box);
  if (borderStyle_ == bsSingle) {
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = kFrameWidth;
    frame.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_Frame, &frame, &p, this);
  }
  p.setClipRect(FrameRect());

  QColor back = box, fore = palette().color(QPalette::Text);
  if (!isEnabled()) {
    fore = disabledColor_;
  } else if (selected_) {
    back = palette().color(QPalette::Highlight);
    fore = palette().color(QPalette::HighlightedText);
  }
  const Layout l = ComputeLayout();
  const QString number = FormatNumber(value_, rules_);
  const int x0 = leftMark_.isEmpty() ? l.number.left() : l.left.left();
  const int x1 = rightMark_.isEmpty() ? l.number.right() : l.right.right();
  p.fillRect(QRect(QPoint(x0, l.number.top()), QPoint(x1, l.number.bottom())), back);
  p.setPen(fore);
  const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
  if (!number.isEmpty()) p.drawText(l.left, flags, leftMark_);
  p.drawText(l.number, flags, number);
  if (!number.isEmpty()) p.drawText(l.right, flags, rightMark_);

  if (hasFocus()) {
    const int caretWidth = font().bold() ? 2 : 1;
    p.fillRect(QRect(CaretPos(), QSize(caretWidth, LineHeight())), palette().color(QPalette::Text));
  }
}

// --- editing -----------------------------------------------------------------

void TNumEdit::ClearValue() {
  selected_ = false;
  if (value_.isEmpty()) {
    update();
    return;
  }
  ChangeValue(QString());
}

void TNumEdit::TypeDigit(QChar digit) {
  if (selected_) ClearValue();
  const TNumberParts p = SplitNumber(value_);
  const bool accepted = p.point.isEmpty() || rules_.DecimalLength == 0
                            ? p.integer.size() < rules_.IntegerLength
                            : p.fraction.size() < rules_.DecimalLength;
  if (accepted) ChangeValue(StripLeadingZeros(value_ + digit));
}

void TNumEdit::TypePoint() {
  if (rules_.DecimalLength == 0) return;
  if (selected_) ClearValue();
  if (value_.contains(u'.')) return;
  ChangeValue(StripLeadingZeros(value_ + u'.'));
}

void TNumEdit::TypeMinus() {
  if (!rules_.Minus) return;
  if (selected_) ClearValue();
  ChangeValue(value_.startsWith(u'-') ? value_.mid(1) : u'-' + value_);
}

void TNumEdit::DeleteLast() {
  if (value_.isEmpty()) return;
  if (selected_) {
    ClearValue();
    return;
  }
  QString value = value_.left(value_.size() - 1);
  if (value.endsWith(u'.')) value.chop(1);
  ChangeValue(value);
}

void TNumEdit::Paste() {
  const QString clip = QApplication::clipboard()->text();
  if (clip.isEmpty()) return;
  const QString source = selected_ ? clip : value_ + clip;
  selected_ = false;
  ChangeValue(StripLeadingZeros(NormalizeInput(source, rules_)));
}

void TNumEdit::TypeCharacter(QChar ch) {
  ch = SingleByteForm(ch);
  if (ch.isDigit() && ch.unicode() < 0x80)
    TypeDigit(ch);
  else if (ch == u'.')
    TypePoint();
  else if (ch == u'-')
    TypeMinus();
}

void TNumEdit::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  const auto mods = e->modifiers() & ~Qt::KeypadModifier;
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return ||
      key == Qt::Key_Enter || key == Qt::Key_Escape) {
    e->ignore();  // these belong to the dialog
    return;
  }
  e->accept();
  if (mods == Qt::ShiftModifier && (key == Qt::Key_Left || key == Qt::Key_Right)) {
    SelectAll();
  } else if (mods == Qt::ControlModifier && key == Qt::Key_A) {
    SelectAll();
  } else if (IsPlainKey(e) &&
             (key == Qt::Key_PageUp || key == Qt::Key_PageDown || key == Qt::Key_End ||
              key == Qt::Key_Home || key == Qt::Key_Left || key == Qt::Key_Right ||
              key == Qt::Key_Up || key == Qt::Key_Down)) {
    SetSelected(false);
  } else if (IsPlainKey(e) && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
    if (!readOnly_) DeleteLast();
  } else if (mods == Qt::ControlModifier && key == Qt::Key_V) {
    if (!readOnly_) Paste();
  } else if (mods & (Qt::ControlModifier | Qt::AltModifier)) {
    // Ctrl+C, Ctrl+X and the rest: copying and cutting are not offered.
  } else if (!readOnly_ && !e->text().isEmpty()) {
    for (QChar ch : e->text()) TypeCharacter(ch);
  }
}

void TNumEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (!readOnly_)
    for (QChar ch : e->commitString()) TypeCharacter(ch);
  e->accept();
}

QVariant TNumEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImCursorRectangle || query == Qt::ImAnchorRectangle)
    return QRect(CaretPos(), QSize(1, LineHeight()));
  if (query == Qt::ImEnabled) return true;
  return QWidget::inputMethodQuery(query);
}

bool TNumEdit::event(QEvent* e) {
  // Keep the editing keys from being taken as window shortcuts.
  if (e->type() == QEvent::ShortcutOverride) {
    auto* k = static_cast<QKeyEvent*>(e);
    const auto mods = k->modifiers() & ~Qt::KeypadModifier;
    if ((mods == Qt::ControlModifier &&
         (k->key() == Qt::Key_A || k->key() == Qt::Key_V || k->key() == Qt::Key_C ||
          k->key() == Qt::Key_X)) ||
        (mods == Qt::NoModifier && (k->key() == Qt::Key_Delete || k->key() == Qt::Key_Backspace))) {
      e->accept();
      return true;
    }
  }
  if (e->type() == QEvent::ParentChange) {
    ApplyAutoSize();
    Refresh();
  }
  return QWidget::event(e);
}

// --- selection and focus ----------------------------------------------------

void TNumEdit::SetSelected(bool on) {
  if (on && display_.isEmpty()) return;
  if (selected_ == on) return;
  selected_ = on;
  update();
}

void TNumEdit::SelectAll() { SetSelected(true); }

void TNumEdit::mousePressEvent(QMouseEvent* e) {
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  if (e->button() == Qt::LeftButton && !doubleClicked_) SetSelected(false);
  doubleClicked_ = false;
  QWidget::mousePressEvent(e);
}

void TNumEdit::mouseMoveEvent(QMouseEvent* e) {
  if ((e->buttons() & Qt::LeftButton) && numberRect_.contains(e->position().toPoint()))
    SelectAll();
  QWidget::mouseMoveEvent(e);
}

void TNumEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  // Not passed on: the base class would treat it as one more press.
  doubleClicked_ = true;
  SelectAll();
  e->accept();
}

void TNumEdit::focusInEvent(QFocusEvent* e) {
  if (autoSelect_) SelectAll();
  update();
  QWidget::focusInEvent(e);
}

void TNumEdit::focusOutEvent(QFocusEvent* e) {
  if (hideSelection_) SetSelected(false);
  if (value_ == QStringLiteral("-")) {
    value_.clear();
    Refresh();
  }
  update();
  QWidget::focusOutEvent(e);
}

void TNumEdit::changeEvent(QEvent* e) {
  if (e->type() == QEvent::FontChange) {
    ApplyAutoSize();
    Refresh();
  } else if (e->type() == QEvent::EnabledChange || e->type() == QEvent::PaletteChange) {
    update();
  }
  QWidget::changeEvent(e);
}

void TNumEdit::resizeEvent(QResizeEvent* e) {
  numberRect_ = ComputeLayout().number;
  updateMicroFocus();
  QWidget::resizeEvent(e);
}
