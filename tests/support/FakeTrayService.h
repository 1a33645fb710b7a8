// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "frame/desktop/TrayService.h"

#include <QMenu>
#include <QStringList>

#include <optional>

namespace tickwell::test {

// A notification area in the test: it holds the icon's data and menu as
// they were last sent, and the test clicks the icon through it.
class FakeTrayService final : public TrayService {
public:
    bool available = true;
    bool doubleClicks = true;
    std::optional<TrayIconRecord> icon;
    QMenu* menu = nullptr;
    QStringList calls;

    bool isAvailable() const override { return available; }
    bool reportsDoubleClicks() const override { return doubleClicks; }

    void add(const TrayIconRecord& data, QMenu& contextMenu) override
    {
        calls << QStringLiteral("add");
        icon = data;
        menu = &contextMenu;
    }
    void modify(const TrayIconRecord& data) override
    {
        calls << QStringLiteral("modify");
        icon = data;
    }
    void remove(const TrayIconRecord&) override
    {
        calls << QStringLiteral("remove");
        icon.reset();
        menu = nullptr;
    }

    void click(Activation activation) { Q_EMIT activated(activation); }

    // The entries the menu shows, a separator as "-".
    QStringList menuEntries() const
    {
        QStringList entries;
        if (menu) {
            for (const QAction* action : menu->actions()) {
                if (action->isVisible())
                    entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
            }
        }
        return entries;
    }
};

} // namespace tickwell::test
