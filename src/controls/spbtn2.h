#pragma once
// TSpBtn2: a toggle button whose caption (and, with ChgImg, glyph) says
// which of its two states it is in. Buttons with the same non-zero GroupIndex
// on the same parent form a group: at most one is down; with AllowAllUp all
// may be up.

#include <QPixmap>
#include <QToolButton>

class TSpBtn2 : public QToolButton {
  Q_OBJECT
 public:
  explicit TSpBtn2(QWidget* parent = nullptr);

  bool Down() const { return isChecked(); }
  // Sets the state in code: releases the group's other buttons; the caption
  // and glyph stay as they are.
  void SetDown(bool down);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool on) { allowAllUp_ = on; }
  QString Caption() const { return text(); }
  void SetCaption(const QString& caption) { setText(caption); }
  QPixmap Glyph() const { return glyph_; }
  void SetGlyph(const QPixmap& glyph);

  QPixmap OnBm() const { return onBm_; }
  void SetOnBm(const QPixmap& bitmap) { onBm_ = bitmap.copy(); }
  QPixmap OffBm() const { return offBm_; }
  void SetOffBm(const QPixmap& bitmap) { offBm_ = bitmap.copy(); }
  QString OnStr() const { return onStr_; }
  void SetOnStr(const QString& text) { onStr_ = text; }
  QString OffStr() const { return offStr_; }
  void SetOffStr(const QString& text) { offStr_ = text; }
  bool ChgImg() const { return chgImg_; }
  void SetChgImg(bool on) { chgImg_ = on; }

 signals:
  // Raised after a click has toggled Down and updated the caption.
  void OnClick();

 protected:
  void nextCheckState() override;

 private:
  void ReleaseGroupMates();
  void UpdateLook();

  int groupIndex_ = 1;
  bool allowAllUp_ = true;
  QPixmap glyph_, onBm_, offBm_;
  QString onStr_, offStr_;
  bool chgImg_ = false;
};
