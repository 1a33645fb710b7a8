// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

namespace tickwell {

// Qt ends a program whose platform finds no display with abort(), after a
// paragraph that blames the installation. While one of these lives, around
// the construction of the application object, that end is instead one line
// on standard error naming DISPLAY and WAYLAND_DISPLAY (or none, where the
// caller has said why it ends already) and status 1; the platform's chatter
// on the way there is left out.
class DisplayCheck {
public:
    enum class OnFailure {
        Explain,
        Quiet,
    };
    explicit DisplayCheck(OnFailure onFailure = OnFailure::Explain);
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

private:
    QtMessageHandler m_previous;
};

} // namespace tickwell
