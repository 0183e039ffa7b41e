#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

#include <cstdint>

namespace Core {
namespace Processes {

/// One step of a process list: a process type code and its named parameters, each shown in the
/// list view or hidden (hidden ones carry data for the runner, such as material identifiers).
/// It needs no widgets, so it lives in the core library where the command-line runner can use it.
class ProcessStep {
public:
    /// The type code of a step that could not be read.
    static constexpr int FailedToRead = 10000;

    /// A new step: the next serial number, the given type, no parameters, collapsed.
    explicit ProcessStep(int processType = FailedToRead);
    /// A copy is the same step and keeps its serial number, so that value containers may copy
    /// steps freely without changing how the list view identifies them.
    ProcessStep(const ProcessStep &) = default;
    ProcessStep &operator=(const ProcessStep &) = default;

    void setParameter(const QString &name, const QVariant &value, bool visible);
    /// Keeps the visibility the name already had (a new name is shown).
    void setParameterValue(const QString &name, const QVariant &value);
    /// Removes the value, its visibility and any text of the file that did not convert.
    void removeParameter(const QString &name);
    QMap<QString, QVariant> getParameters() const { return m_parameters; }
    QMap<QString, bool> getVisibilities() const { return m_visibility; }
    bool hasParameter(const QString &name) const { return m_parameters.contains(name); }
    /// An invalid variant (and a debug line) for a name that is not present.
    QVariant getProcessParameter(const QString &name) const;
    /// False (and a debug line) for a name that is not present.
    bool getParameterVisibility(const QString &name) const;

    /// A number of the file that did not convert: the value reads as 0 and the text is kept, so
    /// that a run can warn about it and a save writes the text back as it was.
    void markUnconverted(const QString &name, const QString &text) { m_unconverted.insert(name, text); }
    /// Parameter name -> the text that did not convert, in name order.
    QMap<QString, QString> unconvertedParameters() const { return m_unconverted; }
    /// After the values were given anew (through a dialog), none of them is left from the file.
    void clearUnconverted() { m_unconverted.clear(); }

    int getProcessType() const { return m_processType; }
    uint32_t getSerialNumber() const { return m_serialNumber; }
    bool isExpanded() const { return m_expanded; }
    void setExpanded(bool expanded) { m_expanded = expanded; }

private:
    uint32_t m_serialNumber;
    int m_processType;
    QMap<QString, QVariant> m_parameters;
    QMap<QString, bool> m_visibility;
    QMap<QString, QString> m_unconverted;
    bool m_expanded = false;
};

} // namespace Processes
} // namespace Core

Q_DECLARE_METATYPE(Core::Processes::ProcessStep)
