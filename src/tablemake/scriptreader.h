#pragma once
// Reading an SQL definition script file through the common text-file reader,
// and the comment reader of the table information window.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "tablemake/scriptparser.h"

namespace korvel {

// Called for every line read: the reader's result and the line's length in bytes.
using ScriptLineObserver = std::function<void(int readResult, int lineLength)>;

// Reads and parses a script. nullopt when the file cannot be opened; the
// text-file reader has told the user then.
std::optional<ScriptDefinition> ReadScriptDefinition(const QString& fileName,
                                                     const ScriptLineObserver& onLine = {});

// What the comment reader needs of the window that shows a table's
// information; that window implements it (rows and cells as its field grid
// counts them: data rows from 1).
class CommentDefinitionTarget {
 public:
  virtual ~CommentDefinitionTarget() = default;
  virtual void setStatusText(const QString& text) = 0;
  virtual void clearIndexList() = 0;
  virtual void addIndexLine(const QString& line) = 0;
  virtual QString tableComment() const = 0;
  virtual void setTableComment(const QString& comment) = 0;
  virtual void setTableName(const QString& name) = 0;  // the window's table-name edit
  virtual QString tableType() const = 0;               // the window's table-type label
  // The main window's table names, in list order.
  virtual QStringList tableNames() const = 0;
  // Selects entry `index` of the main window's table list and loads that
  // table's information into the window (its fields fill the grid).
  virtual void showTable(int index) = 0;
  virtual int fieldRowCount() const = 0;                    // rows 1 .. count
  virtual QString fieldName(int row) const = 0;             // name cell of a row
  virtual void setFieldComment(int row, const QString& comment) = 0;
};

// Reads a script for its comments: finds its table among the main window's
// tables and shows it, sets the table comment (from the last "-- " line before
// CREATE TABLE) and the comment of every field the script comments, and lists
// each column of the script in the index list as
// "line,name,type text,comment". Errors are shown in message boxes:
// no CREATE TABLE in the file, or no such table in the main window's list.
// Returns true when the table was found and its comments set.
bool LoadCommentDefinition(const QString& fileName, CommentDefinitionTarget& target);

}  // namespace korvel
