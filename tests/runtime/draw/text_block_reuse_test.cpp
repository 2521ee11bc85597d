// Freed text blocks keep their bytes for the next block: shorter and longer
// texts after each other must still come back exactly.
#include <gtest/gtest.h>

#include <string>

#include "runtime/draw/text_blocks.h"

TEST(TextBlockReuse, EachTextComesBackWholeWhateverCameBefore) {
  const std::string texts[] = {"a fairly long line of text for a first block",
                               "short",
                               "",
                               std::string(1023, 'x'),
                               "two\nlines",
                               "after the longest"};
  for (const std::string& text : texts) {
    const std::int32_t h = text_block_alloc(text.c_str(), static_cast<int>(text.size()));
    ASSERT_NE(h, 0);
    EXPECT_EQ(std::string(text_block_lock(h)), text);
    text_block_free(h);
    EXPECT_EQ(text_block_lock(h), nullptr);
  }
}
