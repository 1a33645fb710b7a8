// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

class QKeyEvent;

namespace tickwell {

// The key codes and shift masks the key handlers are written against:
// 37 Left, 38 Up, 39 Right, 40 Down, 8 Backspace, 13 Enter, 48-57 the digit
// keys, 65-90 the letter keys. Keys without a code give 0.
namespace KeyCode {
inline constexpr int Backspace = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Delete = 46;
} // namespace KeyCode

namespace ShiftMask {
inline constexpr int Shift = 1;
inline constexpr int Ctrl = 2;
inline constexpr int Alt = 4;
} // namespace ShiftMask

int keyCodeOf(const QKeyEvent& event);
int shiftMaskOf(Qt::KeyboardModifiers modifiers);

// The character code a typed key produces, or 0 for keys that produce none
// (arrows, Delete, Tab, shortcuts such as Ctrl+C).
int characterCodeOf(const QKeyEvent& event);

} // namespace tickwell
