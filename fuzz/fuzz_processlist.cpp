// Fuzzes the process-list reader: a ".plst" file loaded as the Batch Run window and cellforge-batch
// load it, material reconciliation and the upgrade of old lists included.

#include "Core/BatchRun/batchrunner.h"
#include "Core/BatchRun/processlistfile.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzInput::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzInput::write(QStringLiteral("input.plst"), data, size);
    Core::BatchRun::ProcessListFile list;
    if (list.load(path)) {
        // What the runner does first with every step: word the numbers that did not convert.
        const QList<Core::Processes::ProcessStep> steps = list.steps();
        for (int i = 0; i < steps.size(); ++i)
            Core::BatchRun::BatchRunner::conversionWarnings(steps.at(i), i);
    }
    FuzzInput::resetCatalogues();
    return 0;
}
