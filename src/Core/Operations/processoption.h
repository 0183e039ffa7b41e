#pragma once

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

/// One option of a process step and whether the dialog (or the batch runner) has given it;
/// a step runs only once every option it needs is given.
template <typename T> class ProcessOption {
public:
    constexpr ProcessOption() = default;
    constexpr explicit ProcessOption(T initial)
        : m_value(initial)
    {
    }

    void set(T value)
    {
        m_value = value;
        m_set = true;
    }
    T value() const { return m_value; }
    bool isSet() const { return m_set; }

private:
    T m_value{};
    bool m_set = false;
};

} // namespace Operations
} // namespace Core
