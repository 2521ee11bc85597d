// Movable text blocks named by 32-bit handles, so that the text of a drawing
// command fits the command's 32-bit field on every platform.
#pragma once

#include <cstdint>

// A block holding a copy of text (with its terminator); 0 is never a handle.
std::int32_t text_block_alloc(const char* text, int length);
// The text of a block; null for a handle that names no block.
const char* text_block_lock(std::int32_t handle);
void text_block_unlock(std::int32_t handle);
void text_block_free(std::int32_t handle);
