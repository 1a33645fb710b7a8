// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tickwell {

bool isValidUtf8(std::string_view bytes) noexcept;

// Every byte becomes its Windows-1252 character; the five bytes that code
// page leaves undefined become the control characters of the same number,
// so nothing is lost.
std::string windows1252ToUtf8(std::string_view bytes);

// Characters (code points) in valid UTF-8 text.
std::size_t countCharacters(std::string_view utf8) noexcept;

} // namespace tickwell
