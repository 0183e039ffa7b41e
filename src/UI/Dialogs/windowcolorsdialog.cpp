#include "UI/Dialogs/windowcolorsdialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Ui {

namespace {
const char *const roleNames[Util::ColorTable::roleCount] = {"Default Object Color", "Default Object Outline Color",
                                                            "Grid Color", "Background Color"};
const char *const swatchNames[Util::ColorTable::roleCount] = {"btnObjectColor", "btnOutlineColor", "btnGridColor",
                                                              "btnBackgroundColor"};

int channel(double value) { return std::clamp(int(value * 255.0 + 0.5), 0, 255); }
} // namespace

QString WindowColorsDialog::swatchStyle(const Util::Vector4D &color)
{
    return QStringLiteral("background-color : #%1%2%3;\n")
               .arg(channel(color.x), 2, 16, QLatin1Char('0'))
               .arg(channel(color.y), 2, 16, QLatin1Char('0'))
               .arg(channel(color.z), 2, 16, QLatin1Char('0')) +
           QStringLiteral("border: none;");
}

WindowColorsDialog::WindowColorsDialog(QWidget *parent)
    : QDialog(parent)
    , m_scheme(Util::ColorTable::currentScheme())
{
    setWindowTitle(tr("Change Default Colors"));
    for (unsigned role = 0; role < Util::ColorTable::roleCount; ++role)
        m_colors[role] = Util::ColorTable::entry(role, m_scheme);

    auto *form = new QFormLayout;
    // Shown in the order a user thinks of them: the window first, then the objects.
    for (unsigned role :
         {unsigned(Util::ColorTable::BackgroundColor), unsigned(Util::ColorTable::GridColor),
          unsigned(Util::ColorTable::DefaultObjectColor), unsigned(Util::ColorTable::DefaultObjectOutlineColor)}) {
        auto *button = new QPushButton(this);
        button->setObjectName(QLatin1String(swatchNames[role]));
        button->setMinimumSize(60, 22);
        connect(button, &QPushButton::clicked, this, [this, role] { chooseColor(role); });
        m_swatches[role] = button;
        form->addRow(tr(roleNames[role]), button);
    }
    auto *loadDefault = new QPushButton(tr("Load Default Colors"), this);
    loadDefault->setObjectName(QStringLiteral("btnLoadDefaultColors"));
    auto *loadLow = new QPushButton(tr("Load Low Color Scheme"), this);
    loadLow->setObjectName(QStringLiteral("btnLoadLowColorScheme"));
    connect(loadDefault, &QPushButton::clicked, this, [this] { loadScheme(0); });
    connect(loadLow, &QPushButton::clicked, this, [this] { loadScheme(1); });
    auto *schemes = new QHBoxLayout;
    schemes->addWidget(loadDefault);
    schemes->addWidget(loadLow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(schemes);
    layout->addWidget(buttons);
    showColors();
}

void WindowColorsDialog::setSwatchColor(unsigned role, const QColor &color)
{
    if (!color.isValid() || role >= Util::ColorTable::roleCount)
        return;
    // The table's alpha stays: the background is always cleared transparent.
    m_colors[role] = Util::Vector4D(color.redF(), color.greenF(), color.blueF(), m_colors[role].w);
    m_scheme = 2;
    showColors();
}

void WindowColorsDialog::loadScheme(unsigned scheme)
{
    if (scheme > 1)
        return;
    m_scheme = scheme;
    for (unsigned role = 0; role < Util::ColorTable::roleCount; ++role)
        m_colors[role] = Util::ColorTable::entry(role, scheme);
    showColors();
}

void WindowColorsDialog::applyToTable() const
{
    for (unsigned role = 0; role < Util::ColorTable::roleCount; ++role)
        Util::ColorTable::setEntry(role, 2, m_colors[role]);
    Util::ColorTable::setCurrentScheme(m_scheme);
}

void WindowColorsDialog::accept()
{
    applyToTable();
    QDialog::accept();
}

void WindowColorsDialog::chooseColor(unsigned role)
{
    const Util::Vector4D c = m_colors[role];
    const QColor chosen = QColorDialog::getColor(QColor::fromRgbF(c.x, c.y, c.z), this, tr("Select new color"));
    setSwatchColor(role, chosen);
}

void WindowColorsDialog::showColors()
{
    for (unsigned role = 0; role < Util::ColorTable::roleCount; ++role)
        m_swatches[role]->setStyleSheet(swatchStyle(m_colors[role]));
}

} // namespace Ui
