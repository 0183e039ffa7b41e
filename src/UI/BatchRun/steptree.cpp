#include "UI/BatchRun/steptree.h"

#include "Core/BatchRun/processvocabulary.h"
#include "Util/vector3d.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace Ui {

namespace {

constexpr int SerialRole = Qt::UserRole;

QString valueText(const QVariant &value)
{
    if (value.userType() == qMetaTypeId<Util::Vector3D>()) {
        const auto v = value.value<Util::Vector3D>();
        return QStringLiteral("(%1, %2, %3)").arg(v.x).arg(v.y).arg(v.z);
    }
    if (value.userType() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return value.toString();
}

} // namespace

StepTree::StepTree(QWidget *parent)
    : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("treeWidget"));
    setColumnCount(4);
    setHeaderLabels(
        {QStringLiteral("Step"), QStringLiteral("Process"), QStringLiteral("Parameter"), QStringLiteral("Value")});
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setIconSize(QSize(25, 25));
}

void StepTree::showSteps(const QList<Core::Processes::ProcessStep> &steps)
{
    QSignalBlocker blocker(this);
    clear();
    for (int i = 0; i < steps.size(); ++i) {
        const Core::Processes::ProcessStep &step = steps[i];
        auto *row = new QTreeWidgetItem(this);
        row->setText(0, QString::number(i + 1));
        row->setText(1, Core::BatchRun::displayName(step.getProcessType()));
        row->setData(1, SerialRole, step.getSerialNumber());
        const auto parameters = step.getParameters();
        const auto visibility = step.getVisibilities();
        for (auto it = parameters.constBegin(); it != parameters.constEnd(); ++it) {
            if (!visibility.value(it.key(), true))
                continue;
            auto *child = new QTreeWidgetItem(row);
            child->setText(2, it.key());
            child->setText(3, valueText(it.value()));
            const QString colorName = it.key() + QStringLiteral("_Color");
            if (parameters.contains(colorName)) {
                QPixmap swatch(25, 25);
                swatch.fill(parameters.value(colorName).value<QColor>());
                child->setIcon(3, QIcon(swatch));
            }
        }
        row->setExpanded(step.isExpanded());
    }
    resizeColumnToContents(0);
    resizeColumnToContents(1);
}

std::optional<uint32_t> StepTree::serialOf(const QTreeWidgetItem *item)
{
    if (item->parent())
        return std::nullopt;
    return item->data(1, SerialRole).toUInt();
}

uint32_t StepTree::stepSerialOf(const QTreeWidgetItem *item)
{
    return (item->parent() ? item->parent() : item)->data(1, SerialRole).toUInt();
}

std::optional<uint32_t> StepTree::firstSelectedSerial() const
{
    const auto selected = selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return stepSerialOf(selected.first());
}

QList<uint32_t> StepTree::selectedStepSerials() const
{
    QList<uint32_t> serials;
    for (QTreeWidgetItem *item : selectedItems()) {
        if (const auto serial = serialOf(item))
            serials << *serial;
    }
    return serials;
}

} // namespace Ui
