// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cassert>
#include <functional>
#include <memory>

namespace tickwell {

// A program-wide reference to the one instance of a window class. Using an
// empty reference creates and loads a fresh instance; the window's unload
// handler empties it again, so the next use starts over.
template <typename F> class FormReference {
public:
    using Factory = std::function<std::unique_ptr<F>()>;

    FormReference() = default;
    // A window still referenced at the end of the program was left by an
    // exit() from inside a library, the toolkit's end among them: it is left
    // to the system, not destroyed without the toolkit it belongs to.
    ~FormReference() { (void)m_instance.release(); }
    FormReference(const FormReference&) = delete;
    FormReference& operator=(const FormReference&) = delete;

    void setFactory(Factory factory) { m_factory = std::move(factory); }

    bool isEmpty() const noexcept { return !m_instance; }
    // The instance, without creating one.
    F* instance() const noexcept { return m_instance.get(); }

    F& get()
    {
        if (!m_instance) {
            assert(m_factory && "no factory installed for this window");
            m_instance = m_factory();
        }
        m_instance->Load();
        return *m_instance;
    }
    F* operator->() { return &get(); }
    F& operator*() { return get(); }

    void Load() { get(); }
    // Unloading an empty reference does nothing.
    void Unload()
    {
        if (m_instance)
            m_instance->Unload();
    }

    // For the window's unload handler: lets go of `instance` if it is the one
    // referenced; it is destroyed once control is back in the event loop.
    void clear(const F* instance)
    {
        if (m_instance && m_instance.get() == instance)
            m_instance.release()->deleteLater();
    }

    // Destroys the instance at once, unloaded or not: at the end of the
    // program, and between tests.
    void reset() { m_instance.reset(); }

private:
    Factory m_factory;
    std::unique_ptr<F> m_instance;
};

} // namespace tickwell
