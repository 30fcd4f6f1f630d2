#pragma once
// Small routines that act on windows and controls.

#include <QString>

class QComboBox;
class QPlainTextEdit;
class QWidget;
class TComboGrid;

namespace korvel::db {
class Query;
}

// Empties the inputs of a window, in creation order: line edits and memos
// lose their text, numeric edit boxes their text, combo boxes their selection
// and edit text (items stay). Other controls are left alone.
void Qz_ClearInputs(QWidget* window);

// Empties every data cell of the grid; the fixed rows and fixed columns
// (titles) stay. The current cell moves to the first data cell.
void Qz_ClearGrid(TComboGrid* grid);

// For a combo box: selects the first item equal (case-sensitive) to its text,
// or adds the text as a new last item. Other controls are ignored.
void Qz_ComboAddText(QWidget* control);

// The system's default beep.
void Qz_Beep();

// Shows text in a label, or in the second panel of a status bar (the second
// QLabel placed in it; a status bar without one shows the text as its
// message). Beeps when text is not empty, and repaints the window at once so
// the text shows during a long operation.
void Qz_ShowStatus(const QString& text, QWidget* control);

// Inserts text at the memo's caret, in front of any selection, and leaves the
// caret after it, scrolled into view. Returns true.
bool Qz_MemoInsert(QPlainTextEdit* memo, const QString& text);

// Deletes the file when it exists. Returns true when the file is gone or was
// never there; otherwise warns the user and returns false.
bool Qz_DeleteFileChk(const QString& path);

// Closes the query, gives it sql as its only line and opens it; sql is kept
// in Qz_LastSql. On an engine error shows its last message and the number of
// messages, leaves the query closed and returns false.
bool Qz_OpenQuery(korvel::db::Query& query, const QString& sql);

namespace korvel {

// A combo box has a selected item when its edit text is that item's text;
// typing into an editable box leaves it without one.
bool hasSelectedItem(const QComboBox* box);

// Selects the first item equal (case-sensitive) to the box's text, or
// appends the text as a new item and selects that.
void selectOrAppendText(QComboBox* box);

// Refills `box` with the alias's table names (its signals blocked, the first
// name selected), after closing the engine's connections so tables made
// meanwhile show. False when there is nothing to choose, the user told why:
// the engine's message when it cannot list them, or "指定されたエイリアス情報(
// alias)ではテーブルが見つかりません" for an alias without tables.
bool fillAliasTables(QComboBox* box, const QString& alias, bool withExtensions, bool withSystemTables);

}  // namespace korvel
