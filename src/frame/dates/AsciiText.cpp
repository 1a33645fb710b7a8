// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/dates/AsciiText.h"

#include <cassert>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tickwell {

bool narrowAscii(std::u16string_view text, std::span<char> out) noexcept
{
    assert(out.size() >= text.size());
    const char16_t* units = text.data();
    char* bytes = out.data();
    const std::size_t length = text.size();
    std::size_t i = 0;
    char16_t seen = 0;
#if defined(__SSE2__)
    // The clock tick reads every entry text this way, ten times a second:
    // eight characters a step. Packing saturates what is not a byte, but
    // such text is refused below anyway.
    __m128i seenBlock = _mm_setzero_si128();
    for (; i + 8 <= length; i += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        seenBlock = _mm_or_si128(seenBlock, block);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(bytes + i), _mm_packus_epi16(block, block));
    }
    alignas(16) char16_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), seenBlock);
    for (const char16_t lane : lanes)
        seen |= lane;
#endif
    for (; i < length; ++i) {
        seen |= units[i];
        bytes[i] = char(units[i]);
    }
    return seen < 0x80;
}

} // namespace tickwell
