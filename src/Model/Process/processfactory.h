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
    /// when it differs. A file that cannot be copied aside is left as it is, and startUpReport()
    /// says so.
    void startUp();
    /// Why the file was left unwritten at start-up, in words for the user; empty when all went well.
    QString startUpReport() const;
    bool loadProcesses();
    void createDefaultProcesses();
    void addMissingDefaultProcesses();
    bool saveProcesses();

    Process getProcess(uint32_t id) const;
    QList<Process> getProcesses() const;
    bool setProcess(const Process &process);

    static QString filePath();
    static QByteArray toXml(const QList<Process> &processes);

private:
    ProcessFactory() = default;
    void setStartUpReport(const QString &report);
};

} // namespace Process
} // namespace Model
