#pragma once

#include "Model/Materials/material.h"
#include "UI/ProcessDialogs/iprocessdialog.h"
#include "Util/vector3d.h"

#include <QDialog>
#include <QList>
#include <QVariantMap>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace Ui {
namespace Operations {

/// The options of "Create Substrate": the size and position of the new volume and a box or ball
/// of one material inside it. The substrate limits follow the volume size as it is edited.
class CreateSubstrateDialog : public QDialog, public IProcessDialog {
    Q_OBJECT
public:
    explicit CreateSubstrateDialog(QWidget *parent = nullptr);

    /// Offers these materials in `cbxFilm`, in list order (the dialog starts with the catalogue's);
    /// the chosen one stays chosen when it is offered, else the first becomes current.
    void setMaterials(const QList<Model::Materials::Material> &materials);

    uint32_t material() const;
    uint32_t totalWidth() const;
    uint32_t totalLength() const;
    uint32_t totalHeight() const;
    bool isSpherical() const;
    uint32_t substrateWidth() const;
    uint32_t substrateLength() const;
    uint32_t substrateHeight() const;
    uint32_t offsetX() const;
    uint32_t offsetY() const;
    uint32_t offsetZ() const;
    uint32_t centreX() const;
    uint32_t centreY() const;
    uint32_t centreZ() const;
    uint32_t radius() const;
    Util::Vector3D position() const;

    QDialog &dialog() override { return *this; }
    /// Takes the sizes and positions of the volume and the substrate, the shape and "Material_Id".
    void setParameters(const QVariantMap &parameters) override;
    /// Both shapes' fields, whichever is chosen.
    QVariantMap parameters() const override;

public slots:
    void updateLimitX(int width);
    void updateLimitY(int length);
    void updateLimitZ(int height);
    void updateSubstrateDispX(int size);
    void updateSubstrateDispY(int size);
    void updateSubstrateDispZ(int size);
    void toggleSubsShape(bool spherical);

private:
    QSpinBox *m_sbxTotalWidth;
    QSpinBox *m_sbxTotalLength;
    QSpinBox *m_sbxTotalHeight;
    QCheckBox *m_cbxSubsSphere;
    QSpinBox *m_sbxSubsWidth;
    QSpinBox *m_sbxSubsLength;
    QSpinBox *m_sbxSubsHeight;
    QSpinBox *m_sbxSubsX;
    QSpinBox *m_sbxSubsY;
    QSpinBox *m_sbxSubsZ;
    QSpinBox *m_sbxSubsCenterX;
    QSpinBox *m_sbxSubsCenterY;
    QSpinBox *m_sbxSubsCenterZ;
    QSpinBox *m_sbxSubsRadius;
    QComboBox *m_cbxFilm;
    QDoubleSpinBox *m_dblVolumeX;
    QDoubleSpinBox *m_dblVolumeY;
    QDoubleSpinBox *m_dblVolumeZ;
    QList<QWidget *> m_boxWidgets;
    QList<QWidget *> m_sphereWidgets;
};

} // namespace Operations
} // namespace Ui
