#pragma once

#include "Util/vector3d.h"
#include "processdata.h"

#include <QByteArray>

namespace Core {
namespace BatchRun {

/// Reads the parameters one step needs and remembers the first problem: a name that is absent
/// gives "missing parameter", a value that does not convert to the wanted kind gives "invalid
/// value". Values of failed reads are 0, so a step reads everything and then checks result().
class StepParameters {
public:
    explicit StepParameters(const Ui::ProcessData &step)
        : m_step(step)
    {
    }

    uint32_t toUInt(const QString &name);
    int toInt(const QString &name);
    float toFloat(const QString &name);
    double toDouble(const QString &name);
    bool toBool(const QString &name);
    /// A mask bitmap: one byte 0 or 1 per cell.
    QByteArray toMask(const QString &name);
    Util::Vector3D toVector(const QString &name);

    /// 0 when everything was read, 1 when a parameter was missing, else 2.
    int result() const;
    bool ok() const { return result() == 0; }
    /// The names behind the result, for the step's report.
    QString problem() const;

private:
    QVariant fetch(const QString &name);
    void invalid(const QString &name);

    const Ui::ProcessData &m_step;
    QStringList m_missing;
    QStringList m_invalid;
};

} // namespace BatchRun
} // namespace Core
