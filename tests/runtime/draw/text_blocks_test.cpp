// Text blocks: copies named by 32-bit handles.
#include "runtime/draw/text_blocks.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(TextBlocks, HoldACopyUntilFreed) {
  std::string source = "two\nlines";
  const std::int32_t handle = text_block_alloc(source.c_str(), static_cast<int>(source.size()));
  ASSERT_NE(handle, 0);
  source[0] = 'X';  // the block has its own copy
  EXPECT_STREQ(text_block_lock(handle), "two\nlines");
  text_block_unlock(handle);
  text_block_free(handle);
  EXPECT_EQ(text_block_lock(handle), nullptr);
  text_block_free(handle);  // a second free is harmless

  // Exactly the given length is copied.
  const std::int32_t part = text_block_alloc("abcdef", 3);
  const std::int32_t none = text_block_alloc(nullptr, 5);
  EXPECT_STREQ(text_block_lock(part), "abc");
  EXPECT_STREQ(text_block_lock(none), "");
  text_block_free(part);
  text_block_free(none);
}

TEST(TextBlocks, LiveBlocksAreDistinctAndFreedSlotsAreReused) {
  std::set<std::int32_t> handles;
  std::vector<std::int32_t> live;
  for (int i = 0; i < 40; ++i) {
    const std::string text = "block " + std::to_string(i);
    const std::int32_t h = text_block_alloc(text.c_str(), static_cast<int>(text.size()));
    EXPECT_NE(h, 0);
    handles.insert(h);
    live.push_back(h);
  }
  EXPECT_EQ(handles.size(), live.size());
  // Texts stay put while the table grows.
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(text_block_lock(live[i]), "block " + std::to_string(i));
  }
  for (std::int32_t h : live)
    text_block_free(h);

  // Allocating and freeing one block at a time, as the drawing operations
  // do, keeps reusing one handle: the table does not grow.
  const std::int32_t first = text_block_alloc("a", 1);
  text_block_free(first);
  for (int i = 0; i < 1000; ++i) {
    const std::int32_t h = text_block_alloc("b", 1);
    EXPECT_EQ(h, first);
    text_block_free(h);
  }
}

TEST(TextBlocks, HandlesThatNameNoBlockLockToNull) {
  EXPECT_EQ(text_block_lock(0), nullptr);
  EXPECT_EQ(text_block_lock(-1), nullptr);
  EXPECT_EQ(text_block_lock(INT32_MIN), nullptr);
  EXPECT_EQ(text_block_lock(INT32_MAX), nullptr);
  text_block_free(0);
  text_block_free(-7);
  text_block_unlock(12345);
}
