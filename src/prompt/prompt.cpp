#include "prompt/prompt.h"

#include <cstdio>

namespace korvel {
namespace {

// Used when no window system prompt is installed (command-line tools,
// non-widget tests): nothing blocks, the text goes to stderr.
class ConsolePrompt final : public Prompt {
 public:
  int message(const QString& text, const QString& caption, PromptIcon,
              int buttons) override {
    std::fprintf(stderr, "[%s] %s\n", caption.toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
    if (const int preset = promptDefaultOf(buttons)) return preset;
    for (int b : {PromptOk, PromptYes, PromptNo, PromptCancel})
      if (buttons & b) return b;
    return PromptOk;
  }
  QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  bool chooseFont(QFont&, const QString&) override { return false; }
  LoginAnswer login(const LoginRequest&) override { return {}; }
  int showModal(QWidget*) override { return 0; }
};

ConsolePrompt g_console;
Prompt* g_current = nullptr;

}  // namespace

Prompt& prompt() { return g_current ? *g_current : g_console; }

Prompt* setPrompt(Prompt* p) {
  Prompt* previous = g_current;
  g_current = p;
  return previous;
}

void showError(const QString& text) {
  prompt().message(text, QString(), PromptIcon::Error, PromptOk);
}

void showWarningYes(const QString& text) {
  prompt().message(text, QString(), PromptIcon::Warning, PromptYes);
}

void showMessage(const QString& text) {
  prompt().message(text, QString(), PromptIcon::None, PromptOk);
}

}  // namespace korvel
