#pragma once

#include "process.h"

#include <QList>

#include <memory>

namespace Model {
namespace Process {

/// The process catalogue: which materials each process may act on. Read from "processes.xml"
/// beside "materials.xml", completed with the built-in processes and written back at start-up.
class ProcessFactory {
public:
    static std::shared_ptr<ProcessFactory> instance();

    /// The start-up sequence: load the file and add the missing built-in processes, or use the
    /// built-in table when it cannot be loaded; then write the file, after copying the old one aside
    /// when it differs. A file that cannot be copied aside is left as it is; startUpReport() says so,
    /// or names the copy of a file that could not be loaded.
    void startUp();
    /// What happened to a file that could not be loaded at start-up, in words for the user; empty
    /// when all went well.
    QString startUpReport() const;
    bool loadProcesses();
    void createDefaultProcesses();
    void addMissingDefaultProcesses();
    /// Writes the catalogue; false with the system's reason in `error` when the file could not be
    /// written (the old file is left intact).
    bool saveProcesses(QString *error = nullptr);

    Process getProcess(uint32_t id) const;
    QList<Process> getProcesses() const;
    bool setProcess(const Process &process);

    static QString filePath();
    static QByteArray toXml(const QList<Process> &processes);

private:
    ProcessFactory() = default;
};

} // namespace Process
} // namespace Model
