#include "common/windowhelpers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

void Qz_ClearInputs(QWidget* window) {
  if (!window) return;
  // findChildren lists children in creation order, depth first.
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (auto* combo = qobject_cast<QComboBox*>(child)) {
      combo->setCurrentIndex(-1);
      if (combo->isEditable()) combo->setEditText(QString());
      continue;
    }
    if (qobject_cast<QComboBox*>(child->parentWidget())) continue;  // a combo's own edit
    if (auto* edit = qobject_cast<QLineEdit*>(child)) {
      edit->clear();
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(child)) {
      memo->clear();
    } else if (auto* rich = qobject_cast<QTextEdit*>(child)) {
      rich->clear();
    } else if (child->inherits("TNumEdit")) {
      // The numeric edit box lives in the controls library, which depends on
      // this one; reach its clear() slot by name instead of by type.
      QMetaObject::invokeMethod(child, "clear");
    }
  }
}
