#include "ui/widgetprompt.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>

namespace korvel {
namespace {

QMessageBox::Icon toIcon(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Error: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QString defaultCaption() {
  QString caption = QApplication::applicationDisplayName();
  return caption.isEmpty() ? QApplication::applicationName() : caption;
}

}  // namespace

int WidgetPrompt::message(const QString& text, const QString& caption,
                          PromptIcon icon, int buttons) {
  QMessageBox box(toIcon(icon), caption.isEmpty() ? defaultCaption() : caption,
                  text, QMessageBox::NoButton, QApplication::activeWindow());
  const std::pair<int, QMessageBox::StandardButton> map[] = {
      {PromptOk, QMessageBox::Ok}, {PromptYes, QMessageBox::Yes},
      {PromptNo, QMessageBox::No}, {PromptCancel, QMessageBox::Cancel}};
  for (auto [ours, theirs] : map) {
    if (!(buttons & ours)) continue;
    box.addButton(theirs);
    if (promptDefaultOf(buttons) == ours) box.setDefaultButton(theirs);
  }
  if (promptButtons(buttons) == 0) box.addButton(QMessageBox::Ok);
  const int pressed = box.exec();
  for (auto [ours, theirs] : map)
    if (pressed == theirs) return ours;
  if (const int preset = promptDefaultOf(buttons)) return preset;
  return (buttons & PromptCancel) ? PromptCancel : PromptOk;
}

QString WidgetPrompt::openFileName(const QString& caption, const QString& dir,
                                   const QString& filter) {
  return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, dir,
                                      filter);
}

QString WidgetPrompt::saveFileName(const QString& caption, const QString& dir,
                                   const QString& filter) {
  return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, dir,
                                      filter);
}

bool WidgetPrompt::chooseFont(QFont& font, const QString& caption) {
  bool ok = false;
  QFont chosen =
      QFontDialog::getFont(&ok, font, QApplication::activeWindow(), caption);
  if (ok) font = chosen;
  return ok;
}

LoginAnswer WidgetPrompt::login(const LoginRequest& request) {
  QDialog dialog(QApplication::activeWindow());
  dialog.setWindowTitle(QStringLiteral("Database Login"));
  auto* form = new QFormLayout(&dialog);
  auto* user = new QLineEdit(request.userName, &dialog);
  auto* password = new QLineEdit(&dialog);
  password->setEchoMode(QLineEdit::Password);
  form->addRow(QStringLiteral("Database: ") + request.alias, static_cast<QWidget*>(nullptr));
  form->addRow(QStringLiteral("User Name:"), user);
  form->addRow(QStringLiteral("Password:"), password);
  auto* buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  form->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (request.userName.isEmpty()) user->setFocus(); else password->setFocus();
  LoginAnswer answer;
  answer.accepted = dialog.exec() == QDialog::Accepted;
  if (answer.accepted) {
    answer.userName = user->text();
    answer.password = password->text();
  }
  return answer;
}

int WidgetPrompt::showModal(QWidget* window) {
  if (!window) return 0;
  if (auto* dialog = qobject_cast<QDialog*>(window)) return dialog->exec();
  // A plain window: make it application-modal and wait until it is hidden.
  window->setWindowModality(Qt::ApplicationModal);
  window->show();
  QEventLoop loop;
  while (window->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
  return 0;
}

}  // namespace korvel
