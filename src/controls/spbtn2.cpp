#include "controls/spbtn2.h"

TSpBtn2::TSpBtn2(QWidget* parent) : QToolButton(parent) {
  setCheckable(true);
  // Drawn as a button: raised while up, sunk while down, so the two states
  // can be told apart at a glance and the control is seen to be pressable.
  setAutoRaise(false);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  connect(this, &QAbstractButton::clicked, this, [this] {
    UpdateLook();
    emit OnClick();
  });
}

void TSpBtn2::SetDown(bool down) {
  if (down == isChecked()) return;
  setChecked(down);
  if (down) ReleaseGroupMates();
}

void TSpBtn2::SetGroupIndex(int index) {
  groupIndex_ = index;
  if (isChecked()) ReleaseGroupMates();
}

void TSpBtn2::SetGlyph(const QPixmap& glyph) {
  glyph_ = glyph.copy();
  setIcon(glyph_.isNull() ? QIcon() : QIcon(glyph_));
  setToolButtonStyle(glyph_.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon);
}

// A click released over the button: group buttons toggle (an up button goes
// down; a down button goes up only when all may be up); ungrouped buttons
// do not stay down.
void TSpBtn2::nextCheckState() {
  if (groupIndex_ == 0) {
    setChecked(false);
    return;
  }
  if (!isChecked()) {
    setChecked(true);
    ReleaseGroupMates();
  } else if (allowAllUp_) {
    setChecked(false);
  }
}

// Other buttons of the same group on the same parent go up; their captions
// stay as they are.
void TSpBtn2::ReleaseGroupMates() {
  if (groupIndex_ == 0 || !parentWidget()) return;
  const auto mates = parentWidget()->findChildren<TSpBtn2*>(Qt::FindDirectChildrenOnly);
  for (TSpBtn2* mate : mates)
    if (mate != this && mate->groupIndex_ == groupIndex_ && mate->isChecked())
      mate->setChecked(false);
}

void TSpBtn2::UpdateLook() {
  const bool down = isChecked();
  setText(down ? onStr_ : offStr_);
  if (chgImg_) SetGlyph(down ? onBm_ : offBm_);
}
