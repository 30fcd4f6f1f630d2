#include "controls/cellkind.h"

#include "controls/combogrid.h"

void TCellKind::SetCellAlign(quint8 flags) {
  if (flags == cellAlign_) return;
  cellAlign_ = flags;
  if (grid_) grid_->InvalidateGrid();
}

void TCellKind::SetFixedAlign(quint8 flags) {
  if (flags == fixedAlign_) return;
  fixedAlign_ = flags;
  if (grid_) grid_->InvalidateGrid();
}

QString TCellKind::ItemText(int i) const {
  return i >= 0 && i < items_.size() ? items_[i].text : QString();
}

int TCellKind::IndexOfItem(const QString& text) const {
  for (int i = 0; i < items_.size(); ++i)
    if (items_[i].text.compare(text, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

void TCellKind::Assign(const TCellKind& source) {
  kind_ = source.kind_;
  items_ = source.items_;
  listWidth_ = source.listWidth_;
  margin_ = source.margin_;
  fixedAlign_ = source.fixedAlign_;
  cellAlign_ = source.cellAlign_;
  maxLength_ = source.maxLength_;
  editable_ = source.editable_;
}

void TCellKind::AssignItems(const TCellKindItems* items) {
  if (items)
    items_ = *items;
  else
    items_.clear();
}
