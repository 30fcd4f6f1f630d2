#pragma once
// A Prompt for tests: records every request and answers from a script.
// Unscripted requests get a neutral answer (the default button, else the
// first offered one; empty file name, cancelled font and login, modal
// result 0), so a test never blocks.

#include <QFont>
#include <QList>
#include <QString>
#include <deque>
#include <functional>

#include "prompt/prompt.h"

namespace korvel {

struct PromptRecord {
  enum Kind { Message, OpenFile, SaveFile, Font, Login, Modal } kind;
  QString text;     // message text, dialog caption, alias, or window class
  QString caption;  // message caption
  PromptIcon icon = PromptIcon::None;
  int buttons = 0;
};

class ScriptedPrompt final : public Prompt {
 public:
  ScriptedPrompt();   // installs itself
  ~ScriptedPrompt();  // restores the previous prompt

  QList<PromptRecord> records;

  std::deque<int> messageAnswers;
  std::deque<QString> fileAnswers;
  std::deque<LoginAnswer> loginAnswers;
  // Fonts the font dialog "chooses", in order; when none is left the dialog
  // is cancelled. fontsOffered records the font each dialog started from.
  std::deque<QFont> fontAnswers;
  QList<QFont> fontsOffered;
  // Called for each modal showing; may drive the window, returns its result.
  std::function<int(QWidget*)> onModal;

  int messageCount() const;
  QString lastMessage() const;  // text of the last message box, or empty
  void clear() { records.clear(); }

  int message(const QString& text, const QString& caption, PromptIcon icon,
              int buttons) override;
  QString openFileName(const QString& caption, const QString& dir,
                       const QString& filter) override;
  QString saveFileName(const QString& caption, const QString& dir,
                       const QString& filter) override;
  bool chooseFont(QFont& font, const QString& caption) override;
  LoginAnswer login(const LoginRequest& request) override;
  int showModal(QWidget* window) override;

 private:
  Prompt* previous_ = nullptr;
};

}  // namespace korvel
