// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace tickwell {

// Copies UTF-16 text into `out` one byte per character, for readers of
// plain ASCII texts such as the alarm entries. True when every character was
// ASCII; otherwise what `out` holds is of no use. `out` must have room for
// the whole text.
bool narrowAscii(std::u16string_view text, std::span<char> out) noexcept;

} // namespace tickwell
