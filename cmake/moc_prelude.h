// SPDX-License-Identifier: GPL-3.0-or-later
// Read by moc before each header. Qt 6.4's moc loses the standard library's
// configuration macros when a header's first include is a C++20 header such
// as <compare>, and then fails to parse it; reading a plain C header of the
// library first sets them up.
#include <cstddef>
