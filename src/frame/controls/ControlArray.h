// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <array>

namespace tickwell {

// Controls of one kind addressed by index, Low to High; their handlers are
// given the index of the control that raised the event. The controls belong
// to their parent widget.
template <typename T, int Low, int High> class ControlArray {
public:
    static constexpr int lowIndex = Low;
    static constexpr int highIndex = High;

    // `make(index)` creates the control of that index, parented to a widget.
    template <typename Make> explicit ControlArray(Make make)
    {
        for (int index = Low; index <= High; ++index)
            m_controls[std::size_t(index - Low)] = make(index);
    }

    T& operator()(int index) const { return *m_controls.at(std::size_t(index - Low)); }

private:
    std::array<T*, std::size_t(High - Low + 1)> m_controls {};
};

} // namespace tickwell
