// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace tickwell {

// What the notification area is told about the one icon.
struct TrayIconRecord {
    int uID = 0;
    QString szTip;
    QIcon hIcon; // the picture on show
};

// The desktop's notification area. The tray window is given one, so that
// tests can see the icon and click it without a desktop.
class TrayService : public QObject {
    Q_OBJECT

public:
    enum class Activation {
        Trigger, // a single left click, or the host's "activate"
        DoubleClick, // a left double-click
        Context, // the menu was asked for
        Other,
    };

    using QObject::QObject;

    // A notification area is there to show the icon.
    virtual bool isAvailable() const = 0;
    // The host reports a double click (as the classic trays do); hosts that
    // only report "activate" leave it false.
    virtual bool reportsDoubleClicks() const = 0;

    virtual void add(const TrayIconRecord& data, QMenu& menu) = 0;
    virtual void modify(const TrayIconRecord& data) = 0;
    virtual void remove(const TrayIconRecord& data) = 0;

Q_SIGNALS:
    void activated(tickwell::TrayService::Activation activation);
};

class QSystemTrayService final : public TrayService {
    Q_OBJECT

public:
    explicit QSystemTrayService(QObject* parent = nullptr);
    ~QSystemTrayService() override;

    bool isAvailable() const override;
    bool reportsDoubleClicks() const override;
    void add(const TrayIconRecord& data, QMenu& menu) override;
    void modify(const TrayIconRecord& data) override;
    void remove(const TrayIconRecord& data) override;

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
    void askWhetherAHostRuns();

    bool m_reportsDoubleClicks = true;
};

} // namespace tickwell
