#include "UI/Dialogs/cutcellvolumedialog.h"

#include "UI/Dialogs/lengthunits.h"
#include "UI/Dialogs/materiallist.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace Ui {
namespace Operations {

namespace {

int spinValue(uint32_t value) { return int(std::min<uint32_t>(value, uint32_t(std::numeric_limits<int>::max()))); }

} // namespace

CutCellVolumeDialog::CutCellVolumeDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CutCellVolumeDialog"));
    setWindowTitle(QStringLiteral("Cut Cell Volume"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(makeAxisGroup(0, QStringLiteral("X"), QStringLiteral("Lower X cutoff limit."),
                                    QStringLiteral("Upper X cutoff limit.")));
    layout->addWidget(makeAxisGroup(1, QStringLiteral("Y"), QStringLiteral("Lower Y cutoff limit."),
                                    QStringLiteral("Upper Y cutoff limit.")));
    layout->addWidget(makeAxisGroup(2, QStringLiteral("Z"), QStringLiteral("Lower Z cuttoff limit"),
                                    QStringLiteral("Upper Z cutoff limit.")));

    auto *btnReset = new QPushButton(QStringLiteral("Reset"), this);
    btnReset->setObjectName(QStringLiteral("btnReset"));
    btnReset->setToolTip(QStringLiteral("Reset to original values."));
    btnReset->setAutoDefault(false);
    connect(btnReset, &QPushButton::clicked, this, &CutCellVolumeDialog::reset);
    chkPreview = new QCheckBox(QStringLiteral("Preview"), this);
    chkPreview->setObjectName(QStringLiteral("chkPreview"));
    chkPreview->setToolTip(QStringLiteral("Check to preview changes, it might be slow for large structures."));

    auto *form = new QFormLayout;
    form->addRow(btnReset, chkPreview);
    addOkCancelButtons(this, form);
    layout->addLayout(form);
    setVolume({1, 1, 1}, {0, 0, 0}, {1, 1, 1});
}

QWidget *CutCellVolumeDialog::makeAxisGroup(int axis, const QString &name, const QString &lowerTip,
                                            const QString &upperTip)
{
    auto *group = new QGroupBox(name + QStringLiteral(" Axis Limits"), this);
    group->setObjectName(QStringLiteral("grp") + name + QStringLiteral("Limits"));
    auto *grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Lower Limit"), group), 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Upper Limit"), group), 0, 2, 1, 2);

    Axis &a = m_axes[size_t(axis)];
    auto makePair = [&](const QString &which, const QString &tip, QSlider *&slider, QSpinBox *&spin, int column) {
        slider = new QSlider(Qt::Horizontal, group);
        slider->setObjectName(QStringLiteral("sld") + which + name);
        slider->setToolTip(tip);
        spin = new QSpinBox(group);
        spin->setObjectName(QStringLiteral("sbx") + which + name);
        spin->setToolTip(tip);
        spin->setSuffix(LengthUnits::cells());
        // A typed number counts once it is complete: each preview regenerates the whole surface.
        spin->setKeyboardTracking(false);
        grid->addWidget(slider, 1, column);
        grid->addWidget(spin, 1, column + 1);
        // Coupled both ways; setting an equal value emits nothing, so the pair settles at once.
        connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
        connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), slider, &QSlider::setValue);
    };
    makePair(QStringLiteral("Lower"), lowerTip, a.sldLower, a.sbxLower, 0);
    makePair(QStringLiteral("Upper"), upperTip, a.sldUpper, a.sbxUpper, 2);
    connect(a.sbxLower, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this, axis](int value) { lowerChanged(axis, value); });
    connect(a.sbxUpper, QOverload<int>::of(&QSpinBox::valueChanged), this,
            [this, axis](int value) { upperChanged(axis, value); });
    return group;
}

template <class Change> void CutCellVolumeDialog::change(Change &&work)
{
    ++m_changeDepth;
    work();
    --m_changeDepth;
    if (m_changeDepth == 0 && !m_loading && chkPreview->isChecked())
        emit previewRequested(lower(), upper());
}

void CutCellVolumeDialog::lowerChanged(int axis, int value)
{
    change([&] {
        QSpinBox *upper = m_axes[size_t(axis)].sbxUpper;
        if (value >= upper->value())
            upper->setValue(value + 1);
    });
}

void CutCellVolumeDialog::upperChanged(int axis, int value)
{
    change([&] {
        QSpinBox *lower = m_axes[size_t(axis)].sbxLower;
        if (value <= lower->value())
            lower->setValue(value - 1);
    });
}

void CutCellVolumeDialog::setVolume(const Triple &size, const Triple &lower, const Triple &upper)
{
    m_loading = true;
    for (size_t i = 0; i < 3; ++i) {
        Axis &a = m_axes[i];
        a.size = std::max(size[i], 1u);
        const int n = spinValue(a.size);
        for (QSlider *slider : {a.sldLower, a.sldUpper})
            slider->blockSignals(true);
        a.sbxLower->setRange(0, n - 1);
        a.sldLower->setRange(0, n - 1);
        a.sbxUpper->setRange(1, n);
        a.sldUpper->setRange(1, n);
        for (QSlider *slider : {a.sldLower, a.sldUpper})
            slider->blockSignals(false);
        // The upper limit first: a lower limit shown before it could push it off its value.
        a.sbxUpper->setValue(spinValue(upper[i]));
        a.sbxLower->setValue(spinValue(lower[i]));
        a.sldUpper->setValue(a.sbxUpper->value());
        a.sldLower->setValue(a.sbxLower->value());
    }
    m_loading = false;
}

void CutCellVolumeDialog::reset()
{
    change([&] {
        for (Axis &a : m_axes) {
            a.sbxUpper->setValue(spinValue(a.size));
            a.sbxLower->setValue(0);
        }
    });
}

CutCellVolumeDialog::Triple CutCellVolumeDialog::lower() const
{
    return {uint32_t(m_axes[0].sbxLower->value()), uint32_t(m_axes[1].sbxLower->value()),
            uint32_t(m_axes[2].sbxLower->value())};
}

CutCellVolumeDialog::Triple CutCellVolumeDialog::upper() const
{
    return {uint32_t(m_axes[0].sbxUpper->value()), uint32_t(m_axes[1].sbxUpper->value()),
            uint32_t(m_axes[2].sbxUpper->value())};
}

bool CutCellVolumeDialog::isPreview() const { return chkPreview->isChecked(); }

} // namespace Operations
} // namespace Ui
