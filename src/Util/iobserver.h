#pragma once

#include <memory>

namespace Util {

/// Something that wants to hear that a subject changed. Subjects hold observers by shared pointer.
class IObserver {
public:
    virtual ~IObserver() = default;
    virtual void notify() = 0;
};

using ObserverPtr = std::shared_ptr<IObserver>;

} // namespace Util
