#pragma once

#include <QString>

#include <memory>

namespace Model {
namespace ModelExtraction {

/// A structure recognised in an extracted model, which can describe itself as a netlist.
class IStructure {
public:
    virtual ~IStructure() = default;
    /// The netlist text; empty with a reason in `error` when it cannot be written.
    virtual QString netlist(QString *error = nullptr) const = 0;
};

using StructurePtr = std::shared_ptr<IStructure>;

} // namespace ModelExtraction
} // namespace Model
