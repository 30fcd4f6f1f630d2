#include "ui/dbnavigator.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "db/dataset.h"
#include "db/engineerror.h"
#include "ui/datasource.h"
#include "ui/endfollower.h"
#include "prompt/prompt.h"

namespace korvel::ui {
namespace {

struct ButtonLook {
  const char* glyph;
  const char* hint;
};

constexpr ButtonLook kLooks[DBNavigator::Count] = {
    {"|◀", "先頭レコード"}, {"◀", "前のレコード"}, {"▶", "次のレコード"},
    {"▶|", "最終レコード"}, {"+", "レコードの挿入"}, {"−", "レコードの削除"},
    {"▲", "レコードの編集"}, {"✓", "編集の確定"}, {"✕", "編集の取消"},
    {"↻", "データの再表示"}};

}  // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent), toEnd_(new EndFollower(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int i = 0; i < Count; ++i) {
    auto* b = new QToolButton(this);
    b->setText(QString::fromUtf8(kLooks[i].glyph));
    b->setToolTip(QString::fromUtf8(kLooks[i].hint));
    b->setMinimumWidth(26);
    connect(b, &QToolButton::clicked, this, [this, i] { press(static_cast<Button>(i)); });
    layout->addWidget(b);
    buttons_[i] = b;
  }
  updateButtons();
}

void DBNavigator::setDataSource(DataSource* source) {
  if (source_) disconnect(source_, nullptr, this, nullptr);
  source_ = source;
  if (source_) {
    connect(source_, &DataSource::stateChange, this, &DBNavigator::updateButtons);
    connect(source_, &DataSource::dataChange, this, &DBNavigator::updateButtons);
  }
  updateButtons();
}

void DBNavigator::press(Button which) {
  db::Dataset* ds = source_ ? source_->dataSet() : nullptr;
  if (!ds || !ds->active()) return;
  try {
    switch (which) {
      case First: ds->first(); break;
      case Prior: ds->prior(); break;
      case Next: ds->next(); break;
      case Last: toEnd_->goToLast(ds); break;
      case Insert: ds->insert(); break;
      case Delete:
        if (prompt().message(QStringLiteral("レコードを削除しますか?"), QString(),
                             PromptIcon::Question, PromptOk | PromptCancel) == PromptOk)
          ds->deleteRecord();
        break;
      case Edit: ds->edit(); break;
      case Post: ds->post(); break;
      case Cancel: ds->cancel(); break;
      case Refresh:
        ds->close();
        ds->open();
        break;
      case Count: break;
    }
  } catch (const db::EngineError& e) {
    showError(e.lastMessage());
  }
  updateButtons();
}

void DBNavigator::updateButtons() {
  db::Dataset* ds = source_ ? source_->shownDataSet() : nullptr;
  const bool active = ds && ds->active();
  const bool editing = active && (ds->state() == db::DatasetState::Edit ||
                                  ds->state() == db::DatasetState::Insert);
  const bool browsing = active && !editing;
  const bool canModify = active && ds->canModify();
  buttons_[First]->setEnabled(browsing && !ds->bof());
  buttons_[Prior]->setEnabled(browsing && !ds->bof());
  buttons_[Next]->setEnabled(browsing && !ds->eof());
  buttons_[Last]->setEnabled(browsing && !ds->eof());
  buttons_[Insert]->setEnabled(canModify);
  buttons_[Delete]->setEnabled(canModify && browsing && ds->recNo() >= 0);
  buttons_[Edit]->setEnabled(canModify && browsing && ds->recNo() >= 0);
  buttons_[Post]->setEnabled(editing);
  buttons_[Cancel]->setEnabled(editing);
  buttons_[Refresh]->setEnabled(browsing);
}

}  // namespace korvel::ui
