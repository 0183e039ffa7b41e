#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;

namespace Ui {

class GLWidget;

/// "Set vew and lighting": rotation, zoom, positions and the lamps of a view. Every change
/// applies to the view at once.
class ViewProperties : public QDialog {
    Q_OBJECT
public:
    explicit ViewProperties(GLWidget &view, QWidget *parent = nullptr);

    QDoubleSpinBox *rotation(int axis) const { return m_rotation[axis]; }
    QDoubleSpinBox *zoomBox() const { return dbxZoom; }
    QDoubleSpinBox *screenPosition(int axis) const { return m_screen[axis]; }
    QDoubleSpinBox *axisDistance(int axis) const { return m_distance[axis]; }
    QComboBox *lampBox() const { return cbxLamp; }
    QCheckBox *enabledBox() const { return chkEnabled; }
    QDoubleSpinBox *radiusBox() const { return dbxRadius; }
    /// Degrees on screen, radians in the lamp set.
    QDoubleSpinBox *thetaBox() const { return dbxTheta; }
    QDoubleSpinBox *phiBox() const { return dbxPhi; }

public slots:
    void on_btnAddLamp_clicked();
    void on_btnDelete_clicked();

private:
    void loadView();
    void loadLamp();
    void applyView();
    void applyLamp();
    int selectedLamp() const;

    GLWidget &m_view;
    QDoubleSpinBox *m_rotation[3];
    QDoubleSpinBox *dbxZoom;
    QDoubleSpinBox *m_screen[2];
    QDoubleSpinBox *m_distance[3];
    QComboBox *cbxLamp;
    QPushButton *btnAddLamp;
    QPushButton *btnDelete;
    QCheckBox *chkEnabled;
    QDoubleSpinBox *dbxRadius;
    QDoubleSpinBox *dbxTheta;
    QDoubleSpinBox *dbxPhi;
    bool m_loading = false;
};

} // namespace Ui
