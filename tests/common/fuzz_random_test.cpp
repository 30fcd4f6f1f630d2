// A short randomized run of the fuzz checks, kept in the suite. The long run
// is the libFuzzer target (fuzz/common_fuzz.cpp).
#include <gtest/gtest.h>

#include <random>

#include "fuzz/fuzz_checks.h"
#include "ui/scriptedprompt.h"

namespace {

// Bytes biased towards what matters here: lead and trail bytes, blanks,
// quotes, line breaks, digits, separators and pattern letters.
std::vector<uint8_t> randomInput(std::mt19937& rng) {
  static const char bytes[] = "\x81\x82\x83\x93\x95\x9f\xe0\xfc\x40\x5c\x7f\x80\xa1\xdf"
                              "'\" \t\r\n\0,/:.-+%*0123456789eEdmyhnsgaxfu#;";
  static const std::string interesting(bytes, sizeof bytes - 1);  // keeps the zero byte
  std::uniform_int_distribution<int> length(0, 80), pick(0, 3);
  std::vector<uint8_t> out(static_cast<size_t>(length(rng)));
  for (auto& b : out) {
    if (pick(rng) == 0) b = static_cast<uint8_t>(rng());
    else b = static_cast<uint8_t>(interesting[rng() % (interesting.size())]);
  }
  return out;
}

}  // namespace

TEST(FuzzRandomized, ShortRunHoldsAllInvariants) {
  korvel::ScriptedPrompt prompt;  // any error box is recorded, never shown
  std::mt19937 rng(20240105);
  for (int i = 0; i < 6000; ++i) {
    const auto input = randomInput(rng);
    fuzzchecks::runStep(input.data(), input.size(), {.withTextFile = i % 10 == 0});
  }
  EXPECT_EQ(prompt.messageCount(), 0);
}
