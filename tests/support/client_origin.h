// Where runtime point (0, 0) lies in the graphics window's client area.
#pragma once

// The graphics window is 601 x 540; its client area is 595 x 496, and the
// runtime puts (0, 0) at the middle of that: client pixel (297, 248). Runtime
// point (x, y) is client pixel (CLIENT_ORIGIN_X + x, CLIENT_ORIGIN_Y - y).
inline constexpr int CLIENT_WIDTH = 595;
inline constexpr int CLIENT_HEIGHT = 496;
inline constexpr int CLIENT_ORIGIN_X = CLIENT_WIDTH / 2;
inline constexpr int CLIENT_ORIGIN_Y = CLIENT_HEIGHT / 2;
