#pragma once
// The program's Prompt: real message boxes and dialogs.

#include "prompt/prompt.h"

namespace korvel {

class WidgetPrompt final : public Prompt {
 public:
  int message(const QString& text, const QString& caption, PromptIcon icon,
              int buttons) override;
  QString openFileName(const QString& caption, const QString& dir,
                       const QString& filter) override;
  QString saveFileName(const QString& caption, const QString& dir,
                       const QString& filter) override;
  bool chooseFont(QFont& font, const QString& caption) override;
  LoginAnswer login(const LoginRequest& request) override;
  int showModal(QWidget* window) override;
};

}  // namespace korvel
