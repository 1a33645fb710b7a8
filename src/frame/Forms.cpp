// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/Forms.h"

#include "about/frmAbout.h"
#include "editor/frmMain.h"
#include "preferences/frmPreferences.h"
#include "tray/frmTaskbar.h"

#include <QCoreApplication>

namespace tickwell::forms {

FormReference<tickwell::frmMain> frmMain;
FormReference<tickwell::frmTaskbar> frmTaskbar;
FormReference<tickwell::frmAbout> frmAbout;
FormReference<tickwell::frmPreferences> frmPreferences;

void installFactories(const Services& services)
{
    frmMain.setFactory([&services] { return std::make_unique<tickwell::frmMain>(services); });
    frmTaskbar.setFactory([&services] { return std::make_unique<tickwell::frmTaskbar>(services); });
    frmAbout.setFactory([&services] { return std::make_unique<tickwell::frmAbout>(services); });
    frmPreferences.setFactory([&services] { return std::make_unique<tickwell::frmPreferences>(services); });
}

void destroyAll()
{
    frmPreferences.reset();
    frmAbout.reset();
    frmMain.reset();
    frmTaskbar.reset();
    // Instances already unloaded are waiting for deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tickwell::forms
