// Fuzzes the material catalogue reader on ~/Cellforge/materials.xml, as at start-up, and writes
// back what it read.

#include "fuzzinput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzInput::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using Model::Materials::MaterialFactory;
    FuzzInput::resetCatalogues();
    FuzzInput::write(QStringLiteral("Cellforge/materials.xml"), data, size);
    auto catalogue = MaterialFactory::instance();
    if (catalogue->loadMaterials())
        MaterialFactory::toXml(catalogue->getMaterials());
    return 0;
}
