// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/FormReference.h"

namespace tickwell {

class frmMain;
class frmTaskbar;
class frmAbout;
struct Services;

// The program-wide references to the three windows.
namespace forms {
extern FormReference<tickwell::frmMain> frmMain;
extern FormReference<tickwell::frmTaskbar> frmTaskbar;
extern FormReference<tickwell::frmAbout> frmAbout;

// New instances are made with these services.
void installFactories(const Services& services);
// Destroys whatever instances are left, without their handlers.
void destroyAll();
} // namespace forms

} // namespace tickwell
