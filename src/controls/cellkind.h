#pragma once
// The per-column record of a TComboGrid: how the column's cells are aligned,
// drawn and edited.

#include <QList>
#include <QString>
#include <QtGlobal>

class TComboGrid;

// Cell kinds (the value of TCellKind::Kind).
enum TCellKindKind : quint8 {
  ckEdit = 0,      // text edited in place; item 0 edit mask, item 1 display format
  ckDropDown = 1,  // text edited in place with a drop-down list of the items
  ckButton = 2,    // push button; item 0 caption or "%%USECELLDATA%%"
  ckCheck = 3,     // check box stepping through the items' values
};

// Alignment flags (one byte, bits may be combined).
enum TCellAlignFlag : quint8 {
  caLeft = 1,      // default horizontal placement, indented by Margin
  caCenter = 2,
  caRight = 4,     // wins over caCenter
  caTop = 8,       // 2 pixels below the top edge
  caVCenter = 16,  // default vertical placement
  caBottom = 32,   // wins over caTop
};

// The marker that makes button and check cells show their own text.
inline constexpr const char* kUseCellDataMarker = "%%USECELLDATA%%";

// One entry of TCellKind::Items: a text and the integer carried with it
// (the check value in ckCheck columns).
struct TCellKindItem {
  QString text;
  qint32 value = 0;
  bool operator==(const TCellKindItem&) const = default;
};
using TCellKindItems = QList<TCellKindItem>;

class TCellKind {
 public:
  TCellKind() = default;
  explicit TCellKind(TComboGrid* grid) : grid_(grid) {}

  quint8 CellAlign() const { return cellAlign_; }
  void SetCellAlign(quint8 flags);
  quint8 FixedAlign() const { return fixedAlign_; }
  void SetFixedAlign(quint8 flags);
  quint8 Kind() const { return kind_; }
  void SetKind(quint8 kind) { kind_ = kind; }
  TComboGrid* Grid() const { return grid_; }
  void SetGrid(TComboGrid* grid) { grid_ = grid; }

  const TCellKindItems& Items() const { return items_; }
  TCellKindItems& Items() { return items_; }
  // Text of item i, empty when there is no such item.
  QString ItemText(int i) const;
  // Index of the item whose text equals `text` ignoring case, -1 when none.
  int IndexOfItem(const QString& text) const;
  void AddItem(const QString& text, qint32 value = 0) { items_.append({text, value}); }

  bool Editable() const { return editable_; }
  void SetEditable(bool on) { editable_ = on; }
  qint32 ListWidth() const { return listWidth_; }
  void SetListWidth(qint32 w) { listWidth_ = w; }
  qint8 Margin() const { return margin_; }
  void SetMargin(qint8 m) { margin_ = m; }
  qint32 MaxLength() const { return maxLength_; }
  void SetMaxLength(qint32 n) { maxLength_ = n; }

  // Copies everything but the Grid link.
  void Assign(const TCellKind& source);
  // With a list, Items becomes a copy of it; without one Items is emptied.
  void AssignItems(const TCellKindItems* items);

 private:
  quint8 cellAlign_ = caLeft | caVCenter;
  quint8 kind_ = ckEdit;
  quint8 fixedAlign_ = caLeft | caVCenter;
  TComboGrid* grid_ = nullptr;
  TCellKindItems items_;
  bool editable_ = true;
  qint32 listWidth_ = 0;
  qint8 margin_ = 2;
  qint32 maxLength_ = 0;
};
