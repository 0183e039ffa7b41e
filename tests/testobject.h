#pragma once

#include "Model/object.h"

/// A scene object that is not a cell volume, for tests of the scene and the operations.
class TestObject : public Model::Object {
public:
    uint32_t type() const override { return 2; }
    Model::ObjectPtr clone() const override
    {
        auto copy = std::make_shared<TestObject>();
        copy->position = position;
        return copy;
    }
    void translate(const Util::Vector4D &offset) override { position = position + offset; }

    Util::Vector4D position;
};
