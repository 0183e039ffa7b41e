#pragma once

#include "processoperation.h"

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

/// An undoable process step whose options dialog is run by an observer shared by every
/// operation of the concrete class `Derived` (the factory replaces it for each new operation).
/// Each class gets its own observer slot, so the steps do not see one another's dialogs.
template <class Derived> class ObservedProcessOperation : public UndoableProcessOperation {
public:
    using UndoableProcessOperation::UndoableProcessOperation;

    static void setObserver(const Util::ObserverPtr &observer) { classObserver() = observer; }

protected:
    Util::ObserverPtr optionsObserver() const override { return classObserver(); }

private:
    static Util::ObserverPtr &classObserver()
    {
        static Util::ObserverPtr observer;
        return observer;
    }
};

} // namespace Operations
} // namespace Core
