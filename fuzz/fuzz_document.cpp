// Fuzzes the document reader as cellforge-batch uses it: a file read into a headless workspace,
// with material conflicts resolved by adding the document's material as new.

#include "Core/BatchRun/documentio.h"
#include "Core/workspace.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzInput::setUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzInput::write(QStringLiteral("input.cfw"), data, size);
    {
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        QString error;
        QStringList notes;
        Core::BatchRun::DocumentIo::read(path, workspace, &error, &notes);
    }
    FuzzInput::resetCatalogues();
    return 0;
}
