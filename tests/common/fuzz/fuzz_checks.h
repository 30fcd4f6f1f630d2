#pragma once
// One fuzz step over the common unit: the input bytes drive every routine,
// and the checks below must hold for any input. Used by the libFuzzer target
// and by the randomized test in the suite. A failed check aborts with a note.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzchecks {

// Bytes to run one step on, with the flags it needs.
struct Step {
  bool withTextFile = true;  // writes a temporary file; slower
};

void runStep(const uint8_t* data, size_t size, const Step& step = {});

[[noreturn]] inline void failed(const char* what, const std::string& input) {
  std::fprintf(stderr, "fuzz check failed: %s\ninput (%zu bytes):", what, input.size());
  for (unsigned char c : input) std::fprintf(stderr, " %02X", c);
  std::fprintf(stderr, "\n");
  std::abort();
}

}  // namespace fuzzchecks
