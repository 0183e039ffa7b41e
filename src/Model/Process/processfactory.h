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

    /// The start-up sequence: load the file and add the missing built-in processes, or copy an
    /// unreadable file aside and use the built-in table; then write the file.
    void startUp();
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
};

} // namespace Process
} // namespace Model
