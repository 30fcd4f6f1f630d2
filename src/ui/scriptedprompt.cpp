#include "ui/scriptedprompt.h"

#include <QWidget>

namespace korvel {

ScriptedPrompt::ScriptedPrompt() { previous_ = setPrompt(this); }

ScriptedPrompt::~ScriptedPrompt() { setPrompt(previous_); }

int ScriptedPrompt::messageCount() const {
  int n = 0;
  for (const auto& r : records)
    if (r.kind == PromptRecord::Message) ++n;
  return n;
}

QString ScriptedPrompt::lastMessage() const {
  for (auto it = records.crbegin(); it != records.crend(); ++it)
    if (it->kind == PromptRecord::Message) return it->text;
  return {};
}

int ScriptedPrompt::message(const QString& text, const QString& caption,
                            PromptIcon icon, int buttons) {
  records.append({PromptRecord::Message, text, caption, icon, buttons});
  if (!messageAnswers.empty()) {
    int answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
  }
  if (const int preset = promptDefaultOf(buttons)) return preset;
  for (int b : {PromptOk, PromptYes, PromptNo, PromptCancel})
    if (buttons & b) return b;
  return PromptOk;
}

QString ScriptedPrompt::openFileName(const QString& caption, const QString&,
                                     const QString&) {
  records.append({PromptRecord::OpenFile, caption, {}, PromptIcon::None, 0});
  if (fileAnswers.empty()) return {};
  QString answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

QString ScriptedPrompt::saveFileName(const QString& caption, const QString&,
                                     const QString&) {
  records.append({PromptRecord::SaveFile, caption, {}, PromptIcon::None, 0});
  if (fileAnswers.empty()) return {};
  QString answer = fileAnswers.front();
  fileAnswers.pop_front();
  return answer;
}

bool ScriptedPrompt::chooseFont(QFont& font, const QString& caption) {
  records.append({PromptRecord::Font, caption, {}, PromptIcon::None, 0});
  fontsOffered.append(font);
  if (fontAnswers.empty()) return false;
  font = fontAnswers.front();
  fontAnswers.pop_front();
  return true;
}

LoginAnswer ScriptedPrompt::login(const LoginRequest& request) {
  records.append({PromptRecord::Login, request.alias, {}, PromptIcon::None, 0});
  if (loginAnswers.empty()) return {};
  LoginAnswer answer = loginAnswers.front();
  loginAnswers.pop_front();
  return answer;
}

int ScriptedPrompt::showModal(QWidget* window) {
  records.append({PromptRecord::Modal,
                  window ? QString::fromLatin1(window->metaObject()->className())
                         : QString(),
                  {}, PromptIcon::None, 0});
  return onModal ? onModal(window) : 0;
}

}  // namespace korvel
