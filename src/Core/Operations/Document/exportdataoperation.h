#pragma once

#include "Core/Operations/operation.h"
#include "Model/Volume/totalvolume.h"

namespace Core {
namespace Operations {

/// "Export Data": writes a named data field of one cell volume (the particle counts of random-walk
/// doping) to a CSV file through CSVDataExporter. The console says ":  data saved." only when the
/// file was written, and otherwise which file and why not. Not undoable.
class ExportDataOperation : public Operation {
public:
    explicit ExportDataOperation(Workspace &workspace);

    void start() override;
    void cancel() override;
    void execute() override;

    Model::Automaton::TotalVolumePtr volume() const { return m_volume; }
    void setVolume(const Model::Automaton::TotalVolumePtr &volume) { m_volume = volume; }
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString dataName() const { return m_dataName; }
    void setDataName(const QString &dataName) { m_dataName = dataName; }

private:
    void chooseVolume(const Model::Automaton::TotalVolumePtr &volume, const QString &message);
    void end();

    Model::Automaton::TotalVolumePtr m_volume;
    QString m_fileName;
    QString m_dataName;
};

} // namespace Operations
} // namespace Core
