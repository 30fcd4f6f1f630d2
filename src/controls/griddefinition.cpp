#include "controls/griddefinition.h"

#include <QFile>
#include <QStringDecoder>
#include <QWidget>
#include <optional>

#include "controls/combogrid.h"
#include "controls/gridproperties.h"
#include "controls/textlexer.h"
#include "controls/textvaluestream.h"

namespace korvel {

namespace {

struct OptionName {
  const char* name;
  TGridOption option;
};
constexpr OptionName kOptionNames[] = {
    {"goFixedVertLine", goFixedVertLine}, {"goFixedHorzLine", goFixedHorzLine},
    {"goVertLine", goVertLine},           {"goHorzLine", goHorzLine},
    {"goRangeSelect", goRangeSelect},     {"goDrawFocusSelected", goDrawFocusSelected},
    {"goRowSizing", goRowSizing},         {"goColSizing", goColSizing},
    {"goRowMoving", goRowMoving},         {"goColMoving", goColMoving},
    {"goEditing", goEditing},             {"goTabs", goTabs},
    {"goRowSelect", goRowSelect},         {"goAlwaysShowEditor", goAlwaysShowEditor},
    {"goThumbTracking", goThumbTracking},
};

// Everything a definition sets, checked before the grid is touched.
struct GridPlan {
  std::optional<int> colCount, rowCount, fixedCols, fixedRows;
  std::optional<int> defaultColWidth, defaultRowHeight, gridLineWidth;
  std::optional<int> left, top, width, height;
  std::optional<TGridOptions> options;
  std::optional<bool> defaultDrawing;
  std::optional<QVector<int>> colWidths, rowHeights;
  std::optional<TypedValues> cellData, cellKind;
};

[[noreturn]] void Fail(const QString& source, const GridProperty& p, const QString& what) {
  throw StreamError(QStringLiteral("%1 %2 行目: %3 %4")
                        .arg(source.isEmpty() ? QStringLiteral("グリッド定義") : source)
                        .arg(p.line)
                        .arg(p.name, what));
}

int IntegerOf(const QString& source, const GridProperty& p, int minimum) {
  if (p.values.size() != 1 || p.values[0].type != TypedValue::Type::Integer)
    Fail(source, p, QStringLiteral("には整数が必要です"));
  const int v = p.values[0].integer;
  if (v < minimum) Fail(source, p, QStringLiteral("の値 %1 が小さすぎます (最小 %2)").arg(v).arg(minimum));
  return v;
}

QVector<int> SizesOf(const QString& source, const GridProperty& p) {
  QVector<int> sizes;
  try {
    ValueCursor in(p.values, p.name);
    in.ReadListBegin();
    while (!in.EndOfList()) {
      const int v = in.ReadInteger();
      if (v < 0) Fail(source, p, QStringLiteral("に負の大きさ %1 があります").arg(v));
      sizes << v;
    }
    in.ReadListEnd();
    in.ExpectEnd();
  } catch (const StreamError& e) {
    Fail(source, p, QStringLiteral("の値が壊れています: ") + e.message());
  }
  return sizes;
}

TGridOptions OptionsOf(const QString& source, const GridProperty& p) {
  if (p.values.size() != 1 || p.values[0].type != TypedValue::Type::Set)
    Fail(source, p, QStringLiteral("には集合 [..] が必要です"));
  TGridOptions options;
  for (const QString& name : p.values[0].set) {
    bool known = false;
    for (const OptionName& o : kOptionNames)
      if (name.compare(QLatin1String(o.name), Qt::CaseInsensitive) == 0) {
        options |= o.option;
        known = true;
      }
    if (!known) Fail(source, p, QStringLiteral("に不明な項目 %1 があります").arg(name));
  }
  return options;
}

GridPlan PlanOf(const GridDefinition& def, const QString& source) {
  GridPlan plan;
  for (const GridProperty& p : def.properties) {
    const QString& n = p.name;
    auto is = [&](const char* name) { return n.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
    if (is("ColCount")) plan.colCount = IntegerOf(source, p, 1);
    else if (is("RowCount")) plan.rowCount = IntegerOf(source, p, 1);
    else if (is("FixedCols")) plan.fixedCols = IntegerOf(source, p, 0);
    else if (is("FixedRows")) plan.fixedRows = IntegerOf(source, p, 0);
    else if (is("DefaultColWidth")) plan.defaultColWidth = IntegerOf(source, p, 0);
    else if (is("DefaultRowHeight")) plan.defaultRowHeight = IntegerOf(source, p, 0);
    else if (is("GridLineWidth")) plan.gridLineWidth = IntegerOf(source, p, 0);
    else if (is("Left")) plan.left = IntegerOf(source, p, INT32_MIN);
    else if (is("Top")) plan.top = IntegerOf(source, p, INT32_MIN);
    else if (is("Width")) plan.width = IntegerOf(source, p, 0);
    else if (is("Height")) plan.height = IntegerOf(source, p, 0);
    else if (is("Options")) plan.options = OptionsOf(source, p);
    else if (is("ColWidths")) plan.colWidths = SizesOf(source, p);
    else if (is("RowHeights")) plan.rowHeights = SizesOf(source, p);
    else if (is("DefaultDrawing")) {
      if (p.values.size() != 1 || p.values[0].type != TypedValue::Type::Boolean)
        Fail(source, p, QStringLiteral("には True か False が必要です"));
      plan.defaultDrawing = p.values[0].boolean;
    } else if (is("CellData")) plan.cellData = p.values;
    else if (is("CellKind")) plan.cellKind = p.values;
    else Fail(source, p, QStringLiteral("は不明なプロパティです"));
  }
  return plan;
}

// Checks the stored lists by reading them into a scratch grid of the
// planned size, so that a damaged list never reaches the real grid.
void CheckLists(const GridPlan& plan, const TComboGrid& grid, const QString& source,
                const GridDefinition& def) {
  const int cols = plan.colCount.value_or(grid.ColCount());
  const int rows = plan.rowCount.value_or(grid.RowCount());
  const int fixedCols = plan.fixedCols.value_or(qMin(grid.FixedCols(), cols - 1));
  const int fixedRows = plan.fixedRows.value_or(qMin(grid.FixedRows(), rows - 1));
  GridProperty where{QStringLiteral("FixedCols/FixedRows"), {}, def.line};
  if (fixedCols >= cols || fixedRows >= rows)
    Fail(source, where, QStringLiteral("は列数・行数より小さくなければなりません"));
  TComboGrid scratch;
  scratch.SetColCount(1);
  scratch.SetRowCount(1);
  for (const auto& [values, isData] : {std::pair(plan.cellData, true), std::pair(plan.cellKind, false)}) {
    if (!values) continue;
    try {
      if (isData)
        ReadCellData(scratch, *values);
      else
        ReadCellKind(scratch, *values);
    } catch (const StreamError& e) {
      for (const GridProperty& p : def.properties)
        if (p.name.compare(isData ? u"CellData" : u"CellKind", Qt::CaseInsensitive) == 0)
          Fail(source, p, QStringLiteral("の値が壊れています: ") + e.message());
      throw;
    }
  }
}

void ApplyPlan(TComboGrid& grid, const GridPlan& plan) {
  if (plan.colCount) grid.SetColCount(*plan.colCount);
  if (plan.rowCount) grid.SetRowCount(*plan.rowCount);
  if (plan.fixedCols) grid.SetFixedCols(*plan.fixedCols);
  if (plan.fixedRows) grid.SetFixedRows(*plan.fixedRows);
  if (plan.defaultColWidth) grid.SetDefaultColWidth(*plan.defaultColWidth);
  if (plan.defaultRowHeight) grid.SetDefaultRowHeight(*plan.defaultRowHeight);
  if (plan.gridLineWidth) grid.SetGridLineWidth(*plan.gridLineWidth);
  if (plan.left || plan.top) grid.move(plan.left.value_or(grid.x()), plan.top.value_or(grid.y()));
  if (plan.width || plan.height)
    grid.resize(plan.width.value_or(grid.width()), plan.height.value_or(grid.height()));
  if (plan.options) grid.SetOptions(*plan.options);
  if (plan.defaultDrawing) grid.SetDefaultDrawing(*plan.defaultDrawing);
  if (plan.colWidths)
    for (int i = 0; i < plan.colWidths->size() && i < grid.ColCount(); ++i)
      grid.SetColWidths(i, (*plan.colWidths)[i]);
  if (plan.rowHeights)
    for (int i = 0; i < plan.rowHeights->size() && i < grid.RowCount(); ++i)
      grid.SetRowHeights(i, (*plan.rowHeights)[i]);
  if (plan.cellData) ReadCellData(grid, *plan.cellData);
  if (plan.cellKind) ReadCellKind(grid, *plan.cellKind);
}

QString Indented(const QString& line) { return QStringLiteral("  ") + line + u'\n'; }

}  // namespace

std::vector<GridDefinition> ParseGridDefinitions(const QString& text, const QString& sourceName) {
  TextLexer lexer(text, sourceName);
  std::vector<GridDefinition> defs;
  auto expectIdent = [&](const QString& what) {
    const TextToken t = lexer.Next();
    if (t.kind != TextToken::Kind::Ident) lexer.Fail(t.line, what + QStringLiteral(" が必要です"));
    return t;
  };
  while (lexer.Peek().kind != TextToken::Kind::End) {
    const TextToken object = expectIdent(QStringLiteral("\"object\""));
    if (object.text.compare(u"object", Qt::CaseInsensitive) != 0)
      lexer.Fail(object.line, QStringLiteral("\"object\" が必要ですが %1 があります").arg(object.text));
    GridDefinition def;
    def.line = object.line;
    def.name = expectIdent(QStringLiteral("グリッド名")).text;
    const TextToken colon = lexer.Next();
    if (colon.kind != TextToken::Kind::Punct || colon.punct != u':')
      lexer.Fail(colon.line, QStringLiteral("グリッド名の後に \":\" が必要です"));
    def.className = expectIdent(QStringLiteral("クラス名")).text;
    for (;;) {
      const TextToken name = expectIdent(QStringLiteral("プロパティ名か \"end\""));
      if (name.text.compare(u"end", Qt::CaseInsensitive) == 0) break;
      const TextToken eq = lexer.Next();
      if (eq.kind != TextToken::Kind::Punct || eq.punct != u'=')
        lexer.Fail(eq.line, QStringLiteral("%1 の後に \"=\" が必要です").arg(name.text));
      GridProperty p{name.text, {}, name.line};
      ReadTextValue(lexer, p.values);
      def.properties.push_back(std::move(p));
    }
    defs.push_back(std::move(def));
  }
  return defs;
}

void ApplyGridDefinition(TComboGrid& grid, const GridDefinition& def, const QString& sourceName) {
  if (def.className != QLatin1String("TComboGrid"))
    throw StreamError(QStringLiteral("%1 %2 行目: %3 は TComboGrid ではありません (%4)")
                          .arg(sourceName)
                          .arg(def.line)
                          .arg(def.name, def.className));
  const GridPlan plan = PlanOf(def, sourceName);
  CheckLists(plan, grid, sourceName, def);
  ApplyPlan(grid, plan);
}

QString WriteGridDefinition(TComboGrid& grid) {
  QString out = QStringLiteral("object %1: TComboGrid\n").arg(grid.objectName());
  out += Indented(QStringLiteral("ColCount = %1").arg(grid.ColCount()));
  out += Indented(QStringLiteral("RowCount = %1").arg(grid.RowCount()));
  out += Indented(QStringLiteral("FixedCols = %1").arg(grid.FixedCols()));
  out += Indented(QStringLiteral("FixedRows = %1").arg(grid.FixedRows()));
  out += Indented(QStringLiteral("DefaultColWidth = %1").arg(grid.DefaultColWidth()));
  out += Indented(QStringLiteral("DefaultRowHeight = %1").arg(grid.DefaultRowHeight()));
  QStringList options;
  for (const OptionName& o : kOptionNames)
    if (grid.Options() & o.option) options << QLatin1String(o.name);
  out += Indented(QStringLiteral("Options = [%1]").arg(options.join(QStringLiteral(", "))));
  QStringList widths, heights;
  for (int c = 0; c < grid.ColCount(); ++c) widths << QString::number(grid.ColWidths(c));
  for (int r = 0; r < grid.RowCount(); ++r) heights << QString::number(grid.RowHeights(r));
  out += Indented(QStringLiteral("ColWidths = (%1)").arg(widths.join(u' ')));
  out += Indented(QStringLiteral("RowHeights = (%1)").arg(heights.join(u' ')));

  const TypedValues data = WriteCellData(grid);
  out += QStringLiteral("  CellData = (");
  for (size_t i = 1; i + 1 < data.size(); i += 3)
    out += QStringLiteral("\n    ") +
           WriteTextValues(TypedValues(data.begin() + qsizetype(i), data.begin() + qsizetype(i) + 3));
  out += QStringLiteral(")\n  CellKind = (");
  for (int c = 0; c < grid.ColCount(); ++c)
    out += QStringLiteral("\n    ") + WriteTextValues(CellKindRecord(*grid.GetCellKind(c)));
  out += QStringLiteral(")\nend\n");
  return out;
}

bool LoadGridDefinitions(QWidget* window, const QString& path, QString* error) {
  QStringList problems;
  auto fail = [&](const QString& message) {
    if (error) *error = QStringLiteral("*E:グリッド定義の読込(%1)\n").arg(path) + message;
    return false;
  };
  if (!window) return fail(QStringLiteral("ウィンドウがありません"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return fail(QStringLiteral("ファイルを開けません: %1").arg(file.errorString()));
  const QByteArray bytes = file.readAll();
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString text = utf8(bytes);
  if (utf8.hasError()) return fail(QStringLiteral("UTF-8 のテキストではありません"));
  std::vector<GridDefinition> defs;
  try {
    defs = ParseGridDefinitions(text, path);
  } catch (const StreamError& e) {
    return fail(e.message());
  }
  for (const GridDefinition& def : defs) {
    auto* grid = qobject_cast<TComboGrid*>(window);
    if (!grid || grid->objectName() != def.name) grid = window->findChild<TComboGrid*>(def.name);
    if (!grid) {
      problems << QStringLiteral("%1 行目: グリッド %2 がウィンドウにありません").arg(def.line).arg(def.name);
      continue;
    }
    try {
      ApplyGridDefinition(*grid, def, path);
    } catch (const StreamError& e) {
      problems << e.message();
    }
  }
  if (!problems.isEmpty()) return fail(problems.join(u'\n'));
  if (error) error->clear();
  return true;
}

}  // namespace korvel
