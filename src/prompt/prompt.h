#pragma once
// The one seam through which the program asks the user anything: message
// boxes, file and font dialogs, login dialogs and modal windows. The program
// installs a widget implementation at start; tests install ScriptedPrompt so
// that nothing ever blocks on a real dialog.
//
// This header needs Qt Core only, so non-widget libraries may report through it.

#include <QString>
#include <QStringList>

class QFont;
class QWidget;

namespace korvel {

enum class PromptIcon { None, Information, Warning, Error, Question };

// Buttons may be or-ed together; message() returns the one pressed.
enum PromptButton : int {
  PromptOk = 0x01,
  PromptCancel = 0x02,
  PromptYes = 0x04,
  PromptNo = 0x08,
};

// Or-ed into message()'s buttons: the button Enter presses and that a prompt
// with no one to ask answers (otherwise the first offered button), e.g.
// PromptYes | PromptNo | promptDefault(PromptNo) for a question whose safe
// answer is No.
constexpr int promptDefault(int button) { return button << 8; }
// The buttons of a mask without its default, and the default (0 when none).
constexpr int promptButtons(int buttons) { return buttons & 0xff; }
constexpr int promptDefaultOf(int buttons) { return (buttons >> 8) & promptButtons(buttons); }

struct LoginRequest {
  QString alias;
  QString userName;  // proposed; the user may change it
};

struct LoginAnswer {
  bool accepted = false;
  QString userName;
  QString password;
};

class Prompt {
 public:
  virtual ~Prompt() = default;

  // A message box; returns the button pressed (one of `buttons`).
  virtual int message(const QString& text, const QString& caption,
                      PromptIcon icon, int buttons) = 0;
  // File dialogs; an empty result means the user cancelled.
  virtual QString openFileName(const QString& caption, const QString& dir,
                               const QString& filter) = 0;
  virtual QString saveFileName(const QString& caption, const QString& dir,
                               const QString& filter) = 0;
  // Font dialog; false when cancelled (font unchanged).
  virtual bool chooseFont(QFont& font, const QString& caption) = 0;
  // Database login; the password is never stored by the program.
  virtual LoginAnswer login(const LoginRequest& request) = 0;
  // Shows a window modally and returns its result code (QDialog::exec()).
  virtual int showModal(QWidget* window) = 0;
};

// The installed prompt. Before any is installed a console fallback answers:
// it prints the text to stderr and returns the first offered button.
Prompt& prompt();
// Installs p (not owned; nullptr restores the console fallback). Returns the
// previous one.
Prompt* setPrompt(Prompt* p);

// Shorthands for the common boxes.
void showError(const QString& text);        // error icon, OK
void showWarningYes(const QString& text);   // warning icon, Yes
void showMessage(const QString& text);      // plain box, OK

}  // namespace korvel
