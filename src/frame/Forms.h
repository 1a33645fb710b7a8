// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/FormReference.h"

namespace tickwell {

class frmMain;
class frmTaskbar;
class frmAbout;
class frmPreferences;
struct Services;

// The program-wide references to the windows: the three of the start, and
// the Preferences window, made when first opened.
namespace forms {
extern FormReference<tickwell::frmMain> frmMain;
extern FormReference<tickwell::frmTaskbar> frmTaskbar;
extern FormReference<tickwell::frmAbout> frmAbout;
extern FormReference<tickwell::frmPreferences> frmPreferences;

// New instances are made with these services.
void installFactories(const Services& services);
// Destroys whatever instances are left, without their handlers.
void destroyAll();
} // namespace forms

} // namespace tickwell
