// libFuzzer entry point over the Paradox and CSV readers (build with clang
// and -DKORVEL_FUZZ=ON). The first byte chooses the kind of file. Run:
//   local_fuzz -max_total_time=300 corpus/
#include <QDir>
#include <cstddef>
#include <cstdint>

#include "local_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QString dir = QDir::tempPath() + QStringLiteral("/korvel-local-fuzz");
  if (size == 0) return 0;
  const auto target = static_cast<localfuzz::Target>(data[0] % 3);
  localfuzz::readAsFile(dir, target, data + 1, size - 1);
  return 0;
}
