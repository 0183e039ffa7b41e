#include "UI/measurementsdock.h"

#include "Core/BatchRun/resultsfile.h"
#include "Core/volumechoice.h"
#include "Core/workspace.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <stdexcept>

namespace Ui {

using Core::Processes::MeasureParameters;
using Core::Processes::MeasureProcess;

MeasurementsDock::MeasurementsDock(Core::Workspace &workspace, QWidget *parent)
    : QDockWidget(QStringLiteral("Measurements"), parent)
    , m_workspace(workspace)
{
    setObjectName(QStringLiteral("dockMeasurements"));
    auto *body = new QWidget(this);
    auto *layout = new QVBoxLayout(body);
    m_table = new QTableWidget(0, Columns, body);
    m_table->setObjectName(QStringLiteral("tblMeasurements"));
    m_table->setHorizontalHeaderLabels(
        {"Name", "Kind", "Material", "X", "Y", "Z", "Axis", "Z1", "Z2", "Value", "Unit"});
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(m_table);
    auto *buttons = new QHBoxLayout;
    auto *add = new QPushButton(QStringLiteral("Add"), body);
    add->setObjectName(QStringLiteral("btnAddMeasurement"));
    auto *remove = new QPushButton(QStringLiteral("Remove"), body);
    remove->setObjectName(QStringLiteral("btnRemoveMeasurement"));
    m_micrometres = new QDoubleSpinBox(body);
    m_micrometres->setObjectName(QStringLiteral("dblMicrometresPerCell"));
    m_micrometres->setRange(0.0, 1e6);
    m_micrometres->setDecimals(4);
    m_micrometres->setSpecialValueText(QStringLiteral("cells"));
    m_micrometres->setToolTip(QStringLiteral("The edge of a cell of size 1 in µm; \"cells\" measures in cells."));
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(new QLabel(QStringLiteral("µm per cell"), body));
    buttons->addWidget(m_micrometres);
    layout->addLayout(buttons);
    setWidget(body);

    connect(add, &QPushButton::clicked, this, [this] {
        MeasureParameters params;
        params.name = QStringLiteral("m%1").arg(count() + 1);
        params.kind = QStringLiteral("height");
        params.axis = QStringLiteral("x");
        addMeasurement(params);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_table->currentRow() >= 0)
            removeMeasurement(m_table->currentRow());
    });
    connect(m_table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (!m_filling && item->column() < Value)
            evaluate(item->row());
    });
    connect(m_micrometres, QOverload<double>::of(&QDoubleSpinBox::valueChanged), this, &MeasurementsDock::refresh);
}

int MeasurementsDock::addMeasurement(const MeasureParameters &params)
{
    m_filling = true;
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const QStringList texts{params.name,
                            params.kind,
                            params.material,
                            QString::number(params.x),
                            QString::number(params.y),
                            QString::number(params.z),
                            params.axis,
                            QString::number(params.z1),
                            QString::number(params.z2),
                            QString(),
                            QString()};
    for (int column = 0; column < Columns; ++column) {
        auto *item = new QTableWidgetItem(texts.at(column));
        if (column >= Value)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        m_table->setItem(row, column, item);
    }
    auto *kinds = new QComboBox(m_table);
    kinds->addItems(Core::Operations::measurementKindNames());
    kinds->setCurrentText(params.kind);
    m_table->setCellWidget(row, Kind, kinds);
    connect(kinds, &QComboBox::currentTextChanged, this, [this, kinds](const QString &kind) {
        for (int r = 0; r < m_table->rowCount(); ++r) {
            if (m_table->cellWidget(r, Kind) == kinds)
                m_table->item(r, Kind)->setText(kind);
        }
    });
    m_filling = false;
    evaluate(row);
    return row;
}

void MeasurementsDock::removeMeasurement(int row) { m_table->removeRow(row); }

int MeasurementsDock::count() const { return m_table->rowCount(); }

QString MeasurementsDock::valueText(int row) const { return m_table->item(row, Value)->text(); }

QString MeasurementsDock::unitText(int row) const { return m_table->item(row, Unit)->text(); }

void MeasurementsDock::setMicrometresPerCell(double um) { m_micrometres->setValue(um); }

void MeasurementsDock::refresh()
{
    for (int row = 0; row < m_table->rowCount(); ++row)
        evaluate(row);
}

MeasureParameters MeasurementsDock::parameters(int row) const
{
    const auto text = [&](int column) { return m_table->item(row, column)->text().trimmed(); };
    const auto number = [&](int column) { return text(column).toUInt(); };
    MeasureParameters params;
    params.name = text(Name);
    params.kind = text(Kind);
    params.material = text(Material);
    params.x = number(X);
    params.y = number(Y);
    params.z = number(Z);
    params.axis = text(Axis);
    params.z1 = number(Z1);
    params.z2 = number(Z2);
    return params;
}

void MeasurementsDock::evaluate(int row)
{
    QString value;
    QString unit;
    const MeasureParameters params = parameters(row);
    QString problem = MeasureProcess().validate(params);
    static const char *const names[] = {"X", "Y", "Z", "Axis", "Z1", "Z2"};
    for (const int column : {int(X), int(Y), int(Z), int(Z1), int(Z2)}) {
        bool ok = false;
        const QString text = m_table->item(row, column)->text().trimmed();
        text.toUInt(&ok);
        if (!ok && problem.isEmpty())
            problem = QStringLiteral("invalid: \"%1\" is \"%2\"; it must be a whole number of at least 0")
                          .arg(QLatin1String(names[column - X]), text);
    }
    const auto volume = Core::VolumeChoice(m_workspace).volumes().value(0);
    if (problem.isEmpty() && !volume)
        problem = QStringLiteral("No cell volume to measure.");
    if (problem.isEmpty()) {
        try {
            Core::Operations::Measurement m;
            m.name = params.name;
            m.kind = MeasureProcess::request(params).kind;
            m.value = Core::Operations::VolumeMeasurement(*volume).measure(MeasureProcess::request(params));
            const auto rows = Core::BatchRun::ResultsFile::rows({m}, m_micrometres->value());
            value = Core::BatchRun::ResultsFile::numberText(rows.at(0).value);
            unit = rows.at(0).unit;
        } catch (const std::invalid_argument &e) {
            problem = QString::fromStdString(e.what());
        }
    }
    m_filling = true;
    m_table->item(row, Value)->setText(problem.isEmpty() ? value : problem);
    m_table->item(row, Value)->setToolTip(problem);
    m_table->item(row, Unit)->setText(unit);
    m_filling = false;
}

} // namespace Ui
