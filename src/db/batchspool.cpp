#include "db/batchspool.h"

#include <QDataStream>
#include <QDir>
#include <QTemporaryFile>

#include "db/engineerror.h"

namespace korvel::db {
namespace {

constexpr int64_t kReportEvery = 500;

class SpooledRowReader final : public RowReader {
 public:
  explicit SpooledRowReader(const RowReader& source) {
    identity_ = source.identity();
    connection_ = source.connection();
    columns_ = source.columns();
    key_ = source.key();
    // Only tables of SQL are spooled: their rows are in no table file's key
    // order (inFileKeyOrder() stays false).
    file_.setFileTemplate(QDir::tempPath() + QStringLiteral("/korvel-copy-XXXXXX"));
    if (!file_.open()) fail(file_.errorString());
    stream_.setDevice(&file_);
    stream_.setVersion(QDataStream::Qt_6_0);
  }

  void add(const local::LocalRow& row) {
    stream_ << static_cast<qint32>(row.size());
    for (int i = 0; i < row.size(); ++i) stream_ << row[i];
    if (stream_.status() != QDataStream::Ok) fail(file_.errorString());
    ++rows_;
  }
  void finishWriting() {
    if (!file_.flush()) fail(file_.errorString());
    restart();
  }

  bool next(local::LocalRow& row) override {
    if (read_ == rows_) return false;
    qint32 size = 0;
    stream_ >> size;
    if (stream_.status() != QDataStream::Ok || size < 0) fail(QStringLiteral("the file was damaged"));
    row.resize(size);
    for (int i = 0; i < size; ++i) stream_ >> row[i];
    if (stream_.status() != QDataStream::Ok) fail(QStringLiteral("the file was damaged"));
    ++read_;
    return true;
  }
  int64_t total() override { return rows_; }
  void restart() override {
    if (!file_.seek(0)) fail(file_.errorString());
    stream_.resetStatus();
    read_ = 0;
  }

 private:
  [[noreturn]] void fail(const QString& reason) const {
    throw EngineError(QStringList{QStringLiteral("Cannot copy %1 through the temporary file %2").arg(identity_, file_.fileName()),
                                  reason});
  }
  QTemporaryFile file_;
  QDataStream stream_;
  int64_t rows_ = 0;
  int64_t read_ = 0;
};

}  // namespace

std::unique_ptr<RowReader> spoolRows(RowReader& source, const std::function<bool(int64_t read)>& keepGoing) {
  auto spooled = std::make_unique<SpooledRowReader>(source);
  local::LocalRow row;
  int64_t read = 0;
  while (source.next(row)) {
    spooled->add(row);
    if (++read % kReportEvery == 0 && keepGoing && !keepGoing(read)) return nullptr;
  }
  spooled->finishWriting();
  return spooled;
}

}  // namespace korvel::db
