#include "auxwin/helpwindow.h"

#include <QDialog>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace korvel {
namespace {

QPointer<QDialog> helpWindow;
QPointer<QTextBrowser> browser;

}  // namespace

void showManual(QWidget* parent) {
  if (!helpWindow) {
    helpWindow = new QDialog(parent, Qt::Window);
    helpWindow->setObjectName(QStringLiteral("HelpWindow"));
    helpWindow->setWindowTitle(QStringLiteral("Korvel ヘルプ - 目次"));
    auto* layout = new QVBoxLayout(helpWindow);
    layout->setContentsMargins(0, 0, 0, 0);
    browser = new QTextBrowser(helpWindow);
    browser->setObjectName(QStringLiteral("HelpBrowser"));
    browser->setOpenExternalLinks(true);
    layout->addWidget(browser);
    helpWindow->resize(720, 640);
  }
  browser->setSource(QUrl(QStringLiteral("qrc:/help/manual.html")));
  helpWindow->show();
  helpWindow->raise();
  helpWindow->activateWindow();
}

QTextBrowser* manualBrowser() { return browser; }

}  // namespace korvel
