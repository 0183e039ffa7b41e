#pragma once

#include "Core/Operations/operation.h"

#include <cstdint>

namespace Core {
namespace Operations {

/// Turns an operation identifier (the command vocabulary of the menus) into a new operation.
class IOperationFactory {
public:
    virtual ~IOperationFactory() = default;
    /// A new operation with its options observer installed, or null for an identifier it does not serve.
    virtual OperationPtr create(uint32_t identifier) = 0;
};

} // namespace Operations
} // namespace Core
