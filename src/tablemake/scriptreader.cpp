#include "tablemake/scriptreader.h"

#include "common/codepage.h"
#include "common/strings.h"
#include "common/textfile.h"
#include "prompt/prompt.h"

namespace korvel {
namespace {

const QString kReadingStatus = QStringLiteral("SQL定義文読込中");

void errorYes(const QString& text) { prompt().message(text, QString(), PromptIcon::Error, PromptYes); }

bool isParadox(const QString& tableType) {
  std::string type;
  return tryToCp932(tableType, type) && Qz_CompareOpt(type, "PARADOX", "U") == 0;
}

bool sameName(const QString& listed, const std::string& name) {
  std::string bytes;
  return tryToCp932(listed, bytes) && Qz_CompareOpt(bytes, name, "U") == 0;
}

// The entry of the main window's table list the script's table is: for a
// Paradox table type NAME.DB or NAME, otherwise NAME; -1 when none is.
int findTable(const QStringList& names, const std::string& name, bool paradox, bool& withExtension) {
  const std::string withDb = name + ".DB";
  for (int i = 0; i < names.size(); ++i) {
    withExtension = paradox && sameName(names[i], withDb);
    if (withExtension || sameName(names[i], name)) return i;
  }
  return -1;
}

}  // namespace

std::optional<ScriptDefinition> ReadScriptDefinition(const QString& fileName,
                                                     const ScriptLineObserver& onLine) {
  Qz_FTRecord file;
  if (!tryToCp932(fileName, file.fileName)) {
    // The reader takes code page 932 names; this one cannot be written so.
    errorYes(QStringLiteral("*E:ファイルが存在しません。(Qz_FTOpen:") + fileName + u')');
    return std::nullopt;
  }
  if (Qz_FTOpen(file) != 0) return std::nullopt;
  ScriptParser parser;
  int result = 0;
  while ((result = Qz_FTRead(file)) == 0) {
    if (onLine) onLine(result, static_cast<int>(file.line.size()));
    parser.addLine(file.line);
  }
  Qz_FTClose(file);
  return parser.finish();
}

bool LoadCommentDefinition(const QString& fileName, CommentDefinitionTarget& target) {
  target.setStatusText(kReadingStatus);
  const std::optional<ScriptDefinition> script = ReadScriptDefinition(fileName);
  if (!script) {
    target.setStatusText(QString());
    return false;
  }
  target.clearIndexList();
  target.setTableComment(fromCp932(script->spacedTableComment));
  if (!script->sawCreate) {
    errorYes(QStringLiteral("*E:指定されたファイルには CREATE TABLE 文がありません。\r\n"
                            "　　SQL文を確認して下さい。"));
    target.setStatusText(QString());
    return false;
  }

  const QString name = fromCp932(script->tableName);
  bool withExtension = false;
  const int index = findTable(target.tableNames(), script->tableName, isParadox(target.tableType()), withExtension);
  if (index < 0) {
    errorYes(QStringLiteral("*E:指定されたファイル(") + name +
             QStringLiteral(")に対応するテーブルが存在しません。\r\n"
                            "　　予めテーブルを作成してから実行して下さい。"));
    target.setStatusText(QString());
    return false;
  }
  if (withExtension) target.setTableName(name);
  // Loading the table's information empties the comment; the script's stays.
  const QString tableComment = target.tableComment();
  target.showTable(index);
  target.setTableComment(tableComment);

  for (const ScriptColumn& column : script->columns) {
    const ColumnDefinition& c = column.definition;
    target.addIndexLine(fromCp932(column.sourceText + ',' + c.name + ',' + c.typeText + ',' + c.comment));
    if (c.comment.empty()) continue;
    for (int row = 1; row <= target.fieldRowCount(); ++row) {
      if (!sameName(target.fieldName(row), c.name)) continue;
      target.setFieldComment(row, fromCp932(c.comment));
      break;
    }
  }
  target.setStatusText(QString());
  return true;
}

}  // namespace korvel
