// Keyboard handling of the statement memo: Ctrl commands, discarded control
// characters, overwrite typing and the Insert toggle; and the double click on
// the column list.

#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include "sqleditor/formmemo.h"

bool TFormMemo::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Memo1) {
    switch (event->type()) {
      case QEvent::KeyPress:
        return memoKeyPress(static_cast<QKeyEvent*>(event));
      case QEvent::KeyRelease:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert &&
            !static_cast<QKeyEvent*>(event)->isAutoRepeat())
          CheckBoxOver->toggle();
        break;
      case QEvent::InputMethod:
        return memoInputMethod(static_cast<QInputMethodEvent*>(event));
      default:
        break;
    }
  } else if (ComboBoxItem && (watched == ComboBoxItem || watched == ComboBoxItem->lineEdit()) &&
             event->type() == QEvent::MouseButtonDblClick) {
    ComboBoxItemDblClick();
  }
  return QDialog::eventFilter(watched, event);
}

// Returns true when the key is consumed.
bool TFormMemo::memoKeyPress(QKeyEvent* key) {
  if (key->modifiers() & Qt::ControlModifier) {
    switch (key->key()) {
      case Qt::Key_S: QuickSave(); return true;
      case Qt::Key_Z: Memo1->undo(); return true;
      case Qt::Key_F: ShowFindDialog(); return true;
      case Qt::Key_R: ShowReplaceDialog(); return true;
      // Copy, paste and cut keep working.
      case Qt::Key_C: case Qt::Key_V: case Qt::Key_X: return false;
      // Pressing Ctrl alone must not be swallowed with the others.
      case Qt::Key_Control: return false;
      default: return true;
    }
  }
  const QString text = key->text();
  if (text.isEmpty()) return false;  // navigation and other non-character keys
  const char16_t first = text.at(0).unicode();
  if (first < 32) {
    // Enter and Backspace stay; Tab and the other control characters are
    // dropped. Escape goes on to the window, which closes as CANCEL does.
    return !(first == '\r' || first == '\n' || first == '\b' || key->key() == Qt::Key_Escape);
  }
  if (first != 0x7F && CheckBoxOver->isChecked()) overwriteAtCaret(1);
  return false;
}

bool TFormMemo::memoInputMethod(QInputMethodEvent* input) {
  const QString committed = input->commitString();
  if (!committed.isEmpty() && CheckBoxOver->isChecked())
    overwriteAtCaret(static_cast<int>(committed.toUcs4().size()));
  return false;
}

// Removes up to `count` characters under the caret so that typed text
// replaces them; stops at a line end, at the end of the text and at a
// Ctrl+Z character. With a selection the typed text replaces the selection.
void TFormMemo::overwriteAtCaret(int count) {
  QTextCursor cursor = Memo1->textCursor();
  if (cursor.hasSelection()) return;
  QTextDocument* document = Memo1->document();
  for (int i = 0; i < count; ++i) {
    const QChar under = document->characterAt(cursor.position());
    if (under.isNull() || under == QChar::ParagraphSeparator || under == QChar(0x1A)) return;
    cursor.deleteChar();
  }
}
