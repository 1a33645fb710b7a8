// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/Form.h"
#include "frame/controls/CommandButton.h"
#include "frame/controls/ControlArray.h"
#include "frame/controls/ImageBox.h"
#include "frame/controls/Label.h"

namespace tickwell {

struct Services;

// The About box: the program's name and version, its author, the author's
// address, on black.
class frmAbout final : public Form {
    Q_OBJECT

public:
    explicit frmAbout(const Services& services);
    ~frmAbout() override;

    void cmdClose_Click();

    ImageBox Image1;
    ImageBox imgTock;
    Label lblProgramName;
    Label lblProgrammer;
    ControlArray<Label, 0, 0> lblEmail;
    CommandButton cmdClose;

protected:
    void Form_Load() override;
    void Form_Unload() override;
};

} // namespace tickwell
