#include "about/frmAbout.h"

#include "frame/Forms.h"

namespace tickwell {

frmAbout::frmAbout(const Services& services)
{
    (void)services;
    setObjectName(QStringLiteral("frmAbout"));
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Unload()
{
    forms::frmAbout.clear(this);
}

} // namespace tickwell
