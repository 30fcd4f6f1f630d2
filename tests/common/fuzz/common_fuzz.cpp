// libFuzzer entry point over the common unit (build with clang and
// -DKORVEL_FUZZ=ON). Run: common_fuzz -max_total_time=300 corpus/
#include <cstddef>
#include <cstdint>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzchecks::runStep(data, size);
  return 0;
}
