// Movable text blocks: a small table of owned copies, named by slot number
// plus one so that 0 is never a handle. Freed slots are taken again first,
// so the table stays as large as the most blocks ever alive at once (one,
// for the drawing operations), and a freed slot keeps its bytes for the next
// block that fits, so drawing text allocates nothing once the longest text
// has been seen.
#include "runtime/draw/text_blocks.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Each block owns its bytes on the heap: growing the table never moves a
// text that someone holds locked.
struct Block {
  std::unique_ptr<char[]> bytes;
  std::size_t capacity = 0;
  bool live = false;
};
std::vector<Block> blocks;

Block* block_of(std::int32_t handle) {
  if (handle <= 0 || static_cast<std::size_t>(handle) > blocks.size())
    return nullptr;
  Block& block = blocks[static_cast<std::size_t>(handle) - 1];
  return block.live ? &block : nullptr;
}

}  // namespace

std::int32_t text_block_alloc(const char* text, int length) {
  const std::size_t n = text && length > 0 ? static_cast<std::size_t>(length) : 0;
  std::size_t index = 0;
  while (index < blocks.size() && blocks[index].live)
    ++index;
  if (index == blocks.size()) {
    if (blocks.size() >= static_cast<std::size_t>(INT32_MAX))
      return 0;
    blocks.emplace_back();
  }
  Block& block = blocks[index];
  if (block.capacity < n + 1) {
    block.bytes = std::make_unique<char[]>(n + 1);
    block.capacity = n + 1;
  }
  if (n > 0)
    std::memcpy(block.bytes.get(), text, n);
  block.bytes[n] = '\0';
  block.live = true;
  return static_cast<std::int32_t>(index + 1);
}

const char* text_block_lock(std::int32_t handle) {
  const Block* block = block_of(handle);
  return block ? block->bytes.get() : nullptr;
}

// Blocks never move while they exist, so unlocking has nothing to undo.
void text_block_unlock(std::int32_t) {}

void text_block_free(std::int32_t handle) {
  if (Block* block = block_of(handle))
    block->live = false;
}
