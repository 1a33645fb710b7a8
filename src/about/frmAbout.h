#pragma once

#include "frame/Form.h"

namespace tickwell {

struct Services;

// The About box.
class frmAbout final : public Form {
    Q_OBJECT

public:
    explicit frmAbout(const Services& services);
    ~frmAbout() override;

protected:
    void Form_Unload() override;
};

} // namespace tickwell
