// Fuzzes the process catalogue reader on ~/Cellforge/processes.xml, as at start-up, and writes back
// what it read.

#include "fuzzinput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzInput::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using Model::Process::ProcessFactory;
    FuzzInput::resetCatalogues();
    FuzzInput::write(QStringLiteral("Cellforge/processes.xml"), data, size);
    auto catalogue = ProcessFactory::instance();
    if (catalogue->loadProcesses()) {
        catalogue->addMissingDefaultProcesses();
        ProcessFactory::toXml(catalogue->getProcesses());
    }
    return 0;
}
