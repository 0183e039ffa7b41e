#pragma once

#include "Util/vector4d.h"

#include <QDialog>

#include <array>

class QPushButton;

namespace Ui {

/// "Change Default Colors": the four view colours (background, grid, object, object outline),
/// loadable from the default and the low scheme or chosen one by one (the custom scheme).
class WindowColorsDialog : public QDialog {
    Q_OBJECT
public:
    explicit WindowColorsDialog(QWidget *parent = nullptr);

    unsigned scheme() const { return m_scheme; }
    Util::Vector4D color(unsigned role) const { return m_colors[role % Util::ColorTable::roleCount]; }
    QPushButton *swatch(unsigned role) const { return m_swatches[role % Util::ColorTable::roleCount]; }

    /// A colour chosen by hand: the dialog's scheme becomes the custom one.
    void setSwatchColor(unsigned role, const QColor &color);
    /// Fills the swatches from scheme 0 ("Load Default Colors") or 1 ("Load Low Color Scheme").
    void loadScheme(unsigned scheme);
    /// Makes the dialog's scheme current and stores the four colours as the custom scheme.
    void applyToTable() const;

    /// "background-color : #rrggbb;\nborder: none;"
    static QString swatchStyle(const Util::Vector4D &color);

public slots:
    void accept() override;

private:
    void chooseColor(unsigned role);
    void showColors();

    unsigned m_scheme;
    std::array<Util::Vector4D, Util::ColorTable::roleCount> m_colors;
    std::array<QPushButton *, Util::ColorTable::roleCount> m_swatches{};
};

} // namespace Ui
