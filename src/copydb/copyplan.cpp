#include "copydb/copyplan.h"

namespace korvel::copydb {

CopyPlan makeCopyPlan(const QString& tableText, const QStringList& sourceNames,
                      const std::vector<DestinationField>& destination, const QString& databaseKind,
                      const std::function<QString(const QString&)>& writeName) {
  CopyPlan plan;
  plan.form = literalFormOf(databaseKind);
  QStringList written;
  for (const DestinationField& field : destination) {
    const int source = static_cast<int>(sourceNames.indexOf(field.name));
    if (source < 0) continue;
    plan.columns.push_back({field.name, typeCodeOf(field.className), source});
    written << writeName(field.name);
  }
  plan.head = QStringLiteral("INSERT INTO ") + tableText + QStringLiteral(" ( ") + written.join(u',') +
              QStringLiteral(" ) VALUES ( ");
  return plan;
}

RowStatement rowStatement(const CopyPlan& plan, const QVector<QVariant>& row) {
  RowStatement statement;
  statement.text.reserve(plan.head.size() + 16 * static_cast<qsizetype>(plan.columns.size()));
  statement.text += plan.head;
  bool first = true;
  for (const CopyColumn& column : plan.columns) {
    const QVariant value = column.sourceIndex < row.size() ? row[column.sourceIndex] : QVariant();
    const CopyLiteral literal = copyLiteral(plan.form, column.typeCode, value);
    if (!first) statement.text += u',';
    first = false;
    statement.text += literal.text;
    statement.readable = statement.readable && literal.readable;
  }
  statement.text += QStringLiteral(" )");
  return statement;
}

}  // namespace korvel::copydb
