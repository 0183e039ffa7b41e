#pragma once

#include <QString>

#include <memory>

namespace Core {

/// Shows the user that a long step is running (in the window: a wait cursor and a status-bar
/// text), so the core can say so without knowing any widget.
class IBusyIndicator {
public:
    virtual ~IBusyIndicator() = default;
    virtual void begin(const QString &operationName) = 0;
    virtual void end() = 0;
};

using BusyIndicatorPtr = std::shared_ptr<IBusyIndicator>;

/// Busy from construction to destruction; does nothing without an indicator.
class BusyScope {
public:
    BusyScope(const BusyIndicatorPtr &indicator, const QString &operationName)
        : m_indicator(indicator)
    {
        if (m_indicator)
            m_indicator->begin(operationName);
    }
    ~BusyScope()
    {
        if (m_indicator)
            m_indicator->end();
    }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    BusyIndicatorPtr m_indicator;
};

} // namespace Core
