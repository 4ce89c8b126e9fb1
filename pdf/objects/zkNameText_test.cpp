#include "pdf/objects/zkNameText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace sarvane::pdf {
namespace {

TEST(TzkNameText, KeepsItsTextWhetherSharedOrOwned) {
  const std::string longText = "/" + std::string(TzkNameText::kMaxSharedLength, 'L');
  struct Row {
    std::string text;
    bool shared;
  };
  const Row rows[] = {
      {"/Type", true},
      {"/", true},
      {"", true},
      {std::string("/A\0B", 4), true},  // bytes, not a C string
      {longText.substr(0, TzkNameText::kMaxSharedLength), true},
      {longText, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    TzkNameText key(row.text);
    EXPECT_EQ(key.Text(), row.text);
    EXPECT_EQ(key.Shared(), row.shared);

    TzkNameText copy(key);
    EXPECT_EQ(copy.Text(), row.text);
    // An owned text is copied, a shared one is the same text.
    EXPECT_EQ(&copy.Text() == &key.Text(), row.shared);

    TzkNameText assigned("/Other");
    assigned = key;
    EXPECT_EQ(assigned.Text(), row.text);
    assigned = assigned;  // self-assignment keeps the text
    EXPECT_EQ(assigned.Text(), row.text);

    TzkNameText moved(std::move(copy));
    EXPECT_EQ(moved.Text(), row.text);
    EXPECT_EQ(copy.Text(), "");  // a moved-from key reads empty and frees nothing
    copy = std::move(moved);
    EXPECT_EQ(copy.Text(), row.text);
  }
}

TEST(TzkNameText, EqualTextsFromManyThreadsShareOneText) {
  std::vector<const std::string*> seen(8);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < seen.size(); ++t) {
    threads.emplace_back([&seen, t] {
      for (int i = 0; i < 2000; ++i) {
        TzkNameText key("/ThreadShared" + std::to_string(i % 50));
        if (i % 50 == 7) seen[t] = &key.Text();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string* text : seen) {
    EXPECT_EQ(text, seen[0]);
    EXPECT_EQ(*text, "/ThreadShared7");
  }
}

TEST(TzkNameText, MadeUpKeysBeyondTheTablesLimitAreOwned) {
  // In a child process, so that the full table does not reach other tests.
  EXPECT_EXIT(
      {
        for (size_t i = 0; i <= TzkNameText::kMaxShared; ++i) TzkNameText("/Made" + std::to_string(i));
        TzkNameText fresh("/NeverSeenBefore");
        TzkNameText known("/Made7");
        const bool sound = !fresh.Shared() && fresh.Text() == "/NeverSeenBefore" && known.Shared() &&
                           known.Text() == "/Made7";
        std::exit(sound ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace sarvane::pdf
