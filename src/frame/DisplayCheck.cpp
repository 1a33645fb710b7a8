// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/DisplayCheck.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace tickwell {

namespace {

const char* described(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

template <DisplayCheck::OnFailure onFailure>
void noDisplay(QtMsgType type, const QMessageLogContext&, const QString&)
{
    // What the platform says on the way to its failure (which display it
    // could not reach, which plugins it tried) is the failure's own detail.
    if (type != QtFatalMsg)
        return;
    if constexpr (onFailure == DisplayCheck::OnFailure::Explain) {
        const char* x = described("DISPLAY");
        const char* wayland = described("WAYLAND_DISPLAY");
        std::fprintf(stderr,
            "tickwell: no display to show the clock on: %s%s%s, %s%s%s; the commands (--add, --list, ...) "
            "need none\n",
            x ? "DISPLAY \"" : "DISPLAY is not set", x ? x : "", x ? "\" cannot be reached" : "",
            wayland ? "WAYLAND_DISPLAY \"" : "WAYLAND_DISPLAY is not set", wayland ? wayland : "",
            wayland ? "\" cannot be reached" : "");
    }
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

DisplayCheck::DisplayCheck(OnFailure onFailure)
    : m_previous(qInstallMessageHandler(
        onFailure == OnFailure::Explain ? noDisplay<OnFailure::Explain> : noDisplay<OnFailure::Quiet>))
{
}

DisplayCheck::~DisplayCheck()
{
    qInstallMessageHandler(m_previous);
}

} // namespace tickwell
