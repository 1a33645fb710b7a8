// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/desktop/FreedMemory.h"

#include <malloc.h>

namespace tickwell {

void returnFreedMemory() noexcept
{
    ::malloc_trim(0);
}

} // namespace tickwell
