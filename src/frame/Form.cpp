// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/Form.h"

#include "frame/controls/PolishWhenShown.h"
#include "frame/controls/Timer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

namespace tickwell {

Form::Form(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_QuitOnClose, false);
}

Form::~Form() = default;

void Form::Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    Form_Load();
    Q_EMIT loaded();
}

void Form::chainTabOrder(std::initializer_list<QWidget*> controls)
{
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

void Form::Show()
{
    Load();
    if (m_unloaded)
        return;
    // Showing a window the user has minimised brings it back.
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    becomeActiveForm();
}

void Form::ShowModal()
{
    Load();
    if (m_unloaded)
        return;
    // The window that was active comes back when this one goes, as the
    // desktop would do for an owned dialog; without a window manager
    // nothing else would activate it.
    const QPointer<Form> previous = activeForm();
    const QPointer<Form> self = this;

    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &Form::hidden, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    Show();
    if (isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (self)
        setWindowModality(Qt::NonModal);

    if (previous && previous != self && previous->isVisible()) {
        previous->raise();
        previous->activateWindow();
        previous->becomeActiveForm();
    }
}

void Form::Hide()
{
    hide();
}

void Form::Unload(UnloadMode mode)
{
    if (!m_loaded || m_unloaded)
        return;
    if (isBusy()) {
        whenIdle([this, mode] { Unload(mode); });
        return;
    }
    bool cancel = false;
    Form_QueryUnload(cancel, mode);
    if (cancel)
        return;
    m_unloaded = true;
    for (QTimer* timer : findChildren<QTimer*>())
        timer->stop();
    for (Timer* timer : findChildren<Timer*>())
        timer->stop();
    hide();
    Form_Unload();
    Q_EMIT unloaded();
}

Form* Form::activeForm()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<Form*>(widget);
        if (form && form->m_activeForm && form->isVisible())
            return form;
    }
    return nullptr;
}

void Form::becomeActiveForm()
{
    if (m_activeForm || m_unloaded)
        return;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<Form*>(widget))
            form->m_activeForm = false;
    }
    m_activeForm = true;
    Form_Activate();
}

bool Form::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        becomeActiveForm();
    // Polishing a window polishes all its controls.
    if (isEarlyPolishRequest(*this, *event))
        return true;
    return QWidget::event(event);
}

void Form::closeEvent(QCloseEvent* event)
{
    // The window system's close command asks for an unload, which the
    // window's query-unload handler may turn down.
    if (m_unloaded) {
        event->accept();
        return;
    }
    event->ignore();
    Unload(UnloadMode::WindowFrame);
}

void Form::hideEvent(QHideEvent* event)
{
    // The window system hides a window it minimises; that is not the
    // program hiding it, and restoring it must not count as a fresh
    // activation (the editor would lose what is being composed).
    if (event->spontaneous()) {
        QWidget::hideEvent(event);
        return;
    }
    m_activeForm = false;
    QWidget::hideEvent(event);
    Q_EMIT hidden();
}

} // namespace tickwell
