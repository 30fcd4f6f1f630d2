#include "controls/gridproperties.h"

#include <memory>

#include "controls/combogrid.h"

namespace korvel {

namespace {

struct CellText {
  int col, row;
  QString text;
};

std::vector<CellText> DecodeCellData(const TypedValues& values) {
  ValueCursor in(values, QStringLiteral("CellData"));
  std::vector<CellText> cells;
  in.ReadListBegin();
  while (!in.EndOfList()) {
    const int col = in.ReadInteger();
    const int row = in.ReadInteger();
    cells.push_back({col, row, in.ReadString()});
  }
  in.ReadListEnd();
  in.ExpectEnd();
  return cells;
}

std::vector<std::unique_ptr<TCellKind>> DecodeCellKind(const TypedValues& values) {
  ValueCursor in(values, QStringLiteral("CellKind"));
  std::vector<std::unique_ptr<TCellKind>> kinds;
  in.ReadListBegin();
  while (!in.EndOfList()) {
    auto kind = std::make_unique<TCellKind>();
    kind->SetKind(quint8(in.ReadInteger()));
    kind->SetFixedAlign(quint8(in.ReadInteger()));
    kind->SetCellAlign(quint8(in.ReadInteger()));
    const qint32 count = in.ReadInteger();
    if (count < 0)
      throw StreamError(QStringLiteral("CellKind: 項目数 %1 が不正です (%2 列目)")
                            .arg(count)
                            .arg(kinds.size()));
    for (qint32 i = 0; i < count; ++i) {
      const QString text = in.ReadString();
      const qint32 value = kind->Kind() == ckCheck ? in.ReadInteger() : 0;
      kind->AddItem(text, value);
    }
    kind->SetListWidth(in.ReadInteger());
    kind->SetMargin(qint8(quint8(in.ReadInteger())));
    kind->SetMaxLength(in.ReadInteger());
    kind->SetEditable(in.ReadBoolean());
    kinds.push_back(std::move(kind));
  }
  in.ReadListEnd();
  in.ExpectEnd();
  return kinds;
}

}  // namespace

TypedValues WriteCellData(const TComboGrid& grid) {
  TypedValues out{TypedValue::ListBegin()};
  for (int row = 0; row < grid.RowCount(); ++row)
    for (int col = 0; col < grid.ColCount(); ++col) {
      const QString text = grid.Cells(col, row);
      if (text.isEmpty()) continue;
      out.push_back(TypedValue::Int(col));
      out.push_back(TypedValue::Int(row));
      out.push_back(TypedValue::Str(text));
    }
  out.push_back(TypedValue::ListEnd());
  return out;
}

void ReadCellData(TComboGrid& grid, const TypedValues& values) {
  for (const CellText& cell : DecodeCellData(values)) grid.SetCells(cell.col, cell.row, cell.text);
}

TypedValues CellKindRecord(const TCellKind& kind) {
  TypedValues out;
  out.push_back(TypedValue::Int(kind.Kind()));
  out.push_back(TypedValue::Int(kind.FixedAlign()));
  out.push_back(TypedValue::Int(kind.CellAlign()));
  out.push_back(TypedValue::Int(qint32(kind.Items().size())));
  for (const TCellKindItem& item : kind.Items()) {
    out.push_back(TypedValue::Str(item.text));
    if (kind.Kind() == ckCheck) out.push_back(TypedValue::Int(item.value));
  }
  out.push_back(TypedValue::Int(kind.ListWidth()));
  out.push_back(TypedValue::Int(kind.Margin()));  // sign-extended
  out.push_back(TypedValue::Int(kind.MaxLength()));
  out.push_back(TypedValue::Bool(kind.Editable()));
  return out;
}

TypedValues WriteCellKind(TComboGrid& grid) {
  TypedValues out{TypedValue::ListBegin()};
  for (int col = 0; col < grid.ColCount(); ++col) {
    const TypedValues record = CellKindRecord(*grid.GetCellKind(col));
    out.insert(out.end(), record.begin(), record.end());
  }
  out.push_back(TypedValue::ListEnd());
  return out;
}

void ReadCellKind(TComboGrid& grid, const TypedValues& values) {
  auto kinds = DecodeCellKind(values);
  grid.ClearCellKinds();
  for (auto& kind : kinds) grid.AppendCellKind(std::move(kind));
}

}  // namespace korvel
