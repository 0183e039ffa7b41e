#pragma once

#include "istructure.h"

namespace Model {
namespace ModelExtraction {

class ExtractedModel;

/// Recognises one kind of structure among the boxes of an extracted model.
class IModelRule {
public:
    virtual ~IModelRule() = default;
    /// The structure found, or null when the model holds none.
    virtual StructurePtr apply(const ExtractedModel &model) = 0;
};

} // namespace ModelExtraction
} // namespace Model
