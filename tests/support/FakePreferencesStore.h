// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "preferences/PreferencesStore.h"

#include <string>
#include <vector>

namespace tickwell::test {

// Preferences kept in memory: the test sets what is kept, sees what was
// saved, and can have a save fail.
class FakePreferencesStore final : public PreferencesStore {
public:
    Preferences kept;
    std::vector<Preferences> saved;
    int loaded = 0;
    // Why the next saves fail; empty for a save that works.
    std::string failure;

    Preferences load() override
    {
        ++loaded;
        return kept;
    }
    std::string save(const Preferences& preferences) override
    {
        if (!failure.empty())
            return failure;
        saved.push_back(preferences);
        kept = preferences;
        return {};
    }
};

} // namespace tickwell::test
