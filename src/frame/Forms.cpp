// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/Forms.h"

#include "about/frmAbout.h"
#include "editor/frmMain.h"
#include "tray/frmTaskbar.h"

#include <QCoreApplication>

namespace tickwell::forms {

FormReference<tickwell::frmMain> frmMain;
FormReference<tickwell::frmTaskbar> frmTaskbar;
FormReference<tickwell::frmAbout> frmAbout;

void installFactories(const Services& services)
{
    frmMain.setFactory([&services] { return std::make_unique<tickwell::frmMain>(services); });
    frmTaskbar.setFactory([&services] { return std::make_unique<tickwell::frmTaskbar>(services); });
    frmAbout.setFactory([&services] { return std::make_unique<tickwell::frmAbout>(services); });
}

void destroyAll()
{
    frmAbout.reset();
    frmMain.reset();
    frmTaskbar.reset();
    // Instances already unloaded are waiting for deletion.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tickwell::forms
