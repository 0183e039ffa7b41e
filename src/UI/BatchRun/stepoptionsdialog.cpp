#include "stepoptionsdialog.h"

#include "Core/BatchRun/processvocabulary.h"
#include "Core/Operations/maskimage.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Operations/createsubstratedialog.h"
#include "UI/Operations/mooreoptionsdialog.h"
#include "UI/Operations/planarizationoptionsdialog.h"
#include "UI/Operations/spincoatingoptionsdialog.h"
#include "Util/vector3d.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <limits>

namespace Ui {

namespace {

using Core::BatchRun::ParameterKind;

QIcon swatch(const Model::Materials::Material &material)
{
    const auto c = material.color();
    QPixmap pixmap(16, 16);
    pixmap.fill(
        QColor(static_cast<int>(c[0] * 255.0f), static_cast<int>(c[1] * 255.0f), static_cast<int>(c[2] * 255.0f)));
    return QIcon(pixmap);
}

QDoubleSpinBox *doubleBox(double value)
{
    auto *box = new QDoubleSpinBox;
    box->setDecimals(6);
    box->setRange(-1e12, 1e12);
    box->setValue(value);
    return box;
}

// Natural defaults for a new step, so that OK on an untouched dialog gives a runnable step.
QVariant defaultValue(int type, const QString &name, ParameterKind kind)
{
    if (name.startsWith(QLatin1String("Volume Size")) || name.startsWith(QLatin1String("Substrate Size")))
        return name.endsWith(QLatin1Char('Z')) ? (name.startsWith(QLatin1String("Volume")) ? 80u : 30u) : 100u;
    if (name == QLatin1String("Substrate Radius"))
        return 50u;
    if (name == QLatin1String("DepositOn") || name == QLatin1String("EtchDirectionValue"))
        return 1;
    if (name == QLatin1String("Horizontal to Vertical Ratio"))
        return 0.0;
    if (name == QLatin1String("OxidationTimeSet"))
        return true;
    if (name == QLatin1String("Micron Conversion"))
        return 1.0;
    if (type == Core::BatchRun::SaveImage && name == QLatin1String("Filename"))
        return QStringLiteral("image.png");
    switch (kind) {
    case ParameterKind::UInt:
        return 5u;
    case ParameterKind::Int:
        return 0;
    case ParameterKind::Float:
    case ParameterKind::Double:
        return 5.0;
    case ParameterKind::Bool:
        return false;
    default:
        return QVariant();
    }
}

} // namespace

StepOptionsDialog::StepOptionsDialog(const ProcessData &step, QWidget *parent)
    : QDialog(parent)
    , m_type(step.getProcessType())
{
    setWindowTitle(Core::BatchRun::displayName(m_type) + QStringLiteral(" Options"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    layout->addLayout(form);
    const auto parameters = step.getParameters();
    const QStringList bases = Core::BatchRun::materialBases(m_type);
    for (const auto &definition : Core::BatchRun::parameterDefinitions(m_type)) {
        // Materials are chosen by their identifier; masks come from their image files; the texts
        // that merely describe another value are derived from it.
        if (bases.contains(definition.name) || definition.name.endsWith(QLatin1String("_Color")) ||
            definition.kind == ParameterKind::Mask || definition.name == QLatin1String("Deposit On") ||
            definition.name == QLatin1String("Etch Direction") || definition.name.endsWith(QLatin1String("Mask Height")) ||
            definition.name.endsWith(QLatin1String("Mask Width")) || definition.name == QLatin1String("OxidationThicknessSet"))
            continue;
        const QVariant value =
            parameters.contains(definition.name) ? parameters.value(definition.name) : defaultValue(m_type, definition.name, definition.kind);
        addField(form, definition.name, int(definition.kind), value);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void StepOptionsDialog::addField(QFormLayout *form, const QString &name, int kindValue, const QVariant &value)
{
    const auto kind = ParameterKind(kindValue);
    m_kinds.insert(name, kindValue);
    QWidget *widget = nullptr;
    if (name.endsWith(QLatin1String("_Id"))) {
        auto *combo = new QComboBox;
        const uint32_t processId = Core::BatchRun::compatibleProcessId(m_type);
        const auto materials =
            processId != 0 ? Model::Process::ProcessFactory::instance()->getProcess(processId).compatibleMaterials()
                           : Model::Materials::MaterialFactory::instance()->getMaterials();
        for (const auto &material : materials)
            combo->addItem(swatch(material), material.name(), material.id());
        const int index = combo->findData(value.toUInt());
        if (index >= 0)
            combo->setCurrentIndex(index);
        m_materials.insert(name, combo);
        widget = combo;
        form->addRow(name.left(name.size() - 3), widget);
        m_fields.insert(name, widget);
        return;
    }
    switch (kind) {
    case ParameterKind::UInt: {
        auto *box = new QSpinBox;
        box->setRange(0, std::numeric_limits<int>::max());
        box->setValue(static_cast<int>(qMin<qulonglong>(value.toULongLong(), std::numeric_limits<int>::max())));
        widget = box;
        break;
    }
    case ParameterKind::Int: {
        auto *box = new QSpinBox;
        box->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        if (name == QLatin1String("DepositOn"))
            box->setRange(1, 3);
        if (name == QLatin1String("EtchDirectionValue"))
            box->setRange(0, 3);
        box->setValue(value.toInt());
        widget = box;
        break;
    }
    case ParameterKind::Float:
    case ParameterKind::Double:
        widget = doubleBox(value.toDouble());
        break;
    case ParameterKind::Bool: {
        auto *box = new QCheckBox;
        box->setChecked(value.toBool());
        widget = box;
        break;
    }
    case ParameterKind::Vector3D: {
        const auto v = Util::Vector3D::fromVariant(value);
        auto *row = new QWidget;
        auto *h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        for (double c : {v.x, v.y, v.z})
            h->addWidget(doubleBox(c));
        widget = row;
        break;
    }
    default: {
        auto *edit = new QLineEdit(value.toString());
        if (name.endsWith(QLatin1String("File")) || name == QLatin1String("Filename")) {
            auto *row = new QWidget;
            auto *h = new QHBoxLayout(row);
            h->setContentsMargins(0, 0, 0, 0);
            h->addWidget(edit);
            auto *browse = new QToolButton;
            browse->setText(QStringLiteral("..."));
            h->addWidget(browse);
            const bool mask = name.endsWith(QLatin1String("Mask File"));
            connect(browse, &QToolButton::clicked, this, [this, edit, mask] {
                const QString chosen =
                    mask ? QFileDialog::getOpenFileName(this, QStringLiteral("Choose Mask File"), edit->text(),
                                                        QStringLiteral("Image Files (*.png *.jpg *.bmp)"))
                         : QFileDialog::getSaveFileName(this, QStringLiteral("Save Image"), edit->text(),
                                                        QStringLiteral("Images (*.png *.xpm *.jpg)"));
                if (!chosen.isEmpty())
                    edit->setText(chosen);
            });
            form->addRow(name, row);
            m_fields.insert(name, edit);
            return;
        }
        widget = edit;
        break;
    }
    }
    form->addRow(name, widget);
    m_fields.insert(name, widget);
}

QMap<QString, QVariant> StepOptionsDialog::values() const
{
    QMap<QString, QVariant> result;
    for (auto it = m_fields.constBegin(); it != m_fields.constEnd(); ++it) {
        const QString &name = it.key();
        QWidget *w = it.value();
        if (auto *combo = m_materials.value(name)) {
            result.insert(name, QVariant::fromValue<uint>(combo->currentData().toUInt()));
        } else if (auto *spin = qobject_cast<QSpinBox *>(w)) {
            const bool isUnsigned = ParameterKind(m_kinds.value(name)) == ParameterKind::UInt;
            result.insert(name, isUnsigned ? QVariant::fromValue<uint>(spin->value()) : QVariant(spin->value()));
        } else if (auto *dbl = qobject_cast<QDoubleSpinBox *>(w)) {
            const bool isFloat = ParameterKind(m_kinds.value(name)) == ParameterKind::Float;
            result.insert(name, isFloat ? QVariant(float(dbl->value())) : QVariant(dbl->value()));
        } else if (auto *check = qobject_cast<QCheckBox *>(w)) {
            result.insert(name, check->isChecked());
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            result.insert(name, edit->text());
        } else {
            const auto boxes = w->findChildren<QDoubleSpinBox *>();
            if (boxes.size() == 3)
                result.insert(
                    name, QVariant::fromValue(Util::Vector3D(boxes[0]->value(), boxes[1]->value(), boxes[2]->value())));
        }
    }
    if (result.contains(QStringLiteral("OxidationTimeSet")))
        result.insert(QStringLiteral("OxidationThicknessSet"),
                      !result.value(QStringLiteral("OxidationTimeSet")).toBool());
    // Masks are read from their files now, so that the list carries them to other machines.
    for (const char *side : {"Top", "Bottom"}) {
        const QString file = QLatin1String(side) + QStringLiteral(" Mask File");
        if (!result.contains(file))
            continue;
        QByteArray mask;
        uint width = 0;
        uint height = 0;
        maskFromImage(result.value(file).toString(), mask, width, height);
        result.insert(QLatin1String(side) + QStringLiteral(" Mask"), mask);
        result.insert(QLatin1String(side) + QStringLiteral(" Mask Width"), QVariant::fromValue<uint>(width));
        result.insert(QLatin1String(side) + QStringLiteral(" Mask Height"), QVariant::fromValue<uint>(height));
    }
    return result;
}

bool StepOptionsDialog::maskFromImage(const QString &fileName, QByteArray &mask, uint &width, uint &height)
{
    mask.clear();
    width = height = 0;
    Core::Operations::MaskBits bits;
    if (fileName.isEmpty() || !Core::Operations::loadMaskImage(fileName, bits))
        return false;
    width = bits.width;
    height = bits.height;
    mask.resize(bits.bits.size());
    for (int i = 0; i < bits.bits.size(); ++i)
        mask[i] = bits.bits.testBit(i) ? 1 : 0;
    return true;
}

namespace {

// A "Create Substrate" step is edited in the operation's own dialog, filled from the step's keys.
bool editCreateSubstrate(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::CreateSubstrateDialog dialog(parent);
    dialog.setMaterials(Model::Materials::MaterialFactory::instance()->getMaterials());
    const auto parameters = step.getParameters();
    auto fill = [&](const char *widget, const char *key) {
        if (parameters.contains(QLatin1String(key)))
            if (auto *box = dialog.findChild<QSpinBox *>(QLatin1String(widget)))
                box->setValue(static_cast<int>(parameters.value(QLatin1String(key)).toUInt()));
    };
    // Volume sizes first: they reset the substrate limits.
    fill("sbxTotalWidth", "Volume Size X");
    fill("sbxTotalLength", "Volume Size Y");
    fill("sbxTotalHeight", "Volume Size Z");
    fill("sbxSubsWidth", "Substrate Size X");
    fill("sbxSubsLength", "Substrate Size Y");
    fill("sbxSubsHeight", "Substrate Size Z");
    fill("sbxSubsX", "Substrate Delta X");
    fill("sbxSubsY", "Substrate Delta Y");
    fill("sbxSubsZ", "Substrate Delta Z");
    fill("sbxSubsCenterX", "Substrate Center X");
    fill("sbxSubsCenterY", "Substrate Center Y");
    fill("sbxSubsCenterZ", "Substrate Center Z");
    fill("sbxSubsRadius", "Substrate Radius");
    if (auto *sphere = dialog.findChild<QCheckBox *>(QStringLiteral("cbxSubsSphere")))
        sphere->setChecked(parameters.value(QStringLiteral("SphericalSubstrate")).toBool());
    if (auto *film = dialog.findChild<QComboBox *>(QStringLiteral("cbxFilm"))) {
        const int index = film->findData(parameters.value(QStringLiteral("Material_Id")).toUInt());
        if (index >= 0)
            film->setCurrentIndex(index);
    }
    const auto corner = Util::Vector3D::fromVariant(parameters.value(QStringLiteral("Lower Left Front Corner")));
    const char *axes[] = {"dblVolumeX", "dblVolumeY", "dblVolumeZ"};
    const double values[] = {corner.x, corner.y, corner.z};
    for (int i = 0; i < 3; ++i)
        if (auto *box = dialog.findChild<QDoubleSpinBox *>(QLatin1String(axes[i])))
            box->setValue(values[i]);

    if (dialog.exec() != QDialog::Accepted)
        return false;
    auto set = [&step](const char *key, uint32_t value) {
        step.setParameterValue(QLatin1String(key), QVariant::fromValue<uint>(value));
    };
    step.setParameterValue(QStringLiteral("Material_Id"), QVariant::fromValue<uint>(dialog.material()));
    step.setParameterValue(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(dialog.position()));
    set("Volume Size X", dialog.totalWidth());
    set("Volume Size Y", dialog.totalLength());
    set("Volume Size Z", dialog.totalHeight());
    step.setParameterValue(QStringLiteral("SphericalSubstrate"), dialog.isSpherical());
    set("Substrate Size X", dialog.substrateWidth());
    set("Substrate Size Y", dialog.substrateLength());
    set("Substrate Size Z", dialog.substrateHeight());
    set("Substrate Delta X", dialog.offsetX());
    set("Substrate Delta Y", dialog.offsetY());
    set("Substrate Delta Z", dialog.offsetZ());
    set("Substrate Center X", dialog.centreX());
    set("Substrate Center Y", dialog.centreY());
    set("Substrate Center Z", dialog.centreZ());
    set("Substrate Radius", dialog.radius());
    Core::BatchRun::completeDerivedParameters(step);
    if (adding)
        Core::BatchRun::applyDefaultVisibility(step);
    return true;
}

void selectMaterial(QComboBox *combo, const QVariant &id)
{
    const int index = id.isValid() ? combo->findData(id.toUInt()) : -1;
    if (index >= 0)
        combo->setCurrentIndex(index);
}

void finishStep(ProcessData &step, bool adding)
{
    Core::BatchRun::completeDerivedParameters(step);
    if (adding)
        Core::BatchRun::applyDefaultVisibility(step);
}

// Planarization, Pour Material and the Moore steps use their operations' own dialogs.
bool editPlanarization(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::PlanarizationOptionsDialog dialog(parent);
    dialog.setParameters(step.getParameters());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    step.setParameterValue(QStringLiteral("Maximum Height"), QVariant::fromValue<uint>(dialog.maximumHeight()));
    step.setParameterValue(QStringLiteral("Minimum Height"), QVariant::fromValue<uint>(dialog.minimumHeight()));
    finishStep(step, adding);
    return true;
}

bool editSpinCoating(QWidget *parent, ProcessData &step, bool adding)
{
    Operations::SpinCoatingOptionsDialog dialog(parent);
    selectMaterial(dialog.materialComboBox(), step.getParameters().value(QStringLiteral("Material_Id")));
    if (step.hasParameter(QStringLiteral("Maximum Height")))
        dialog.heightSpinBox()->setValue(
            static_cast<int>(step.getProcessParameter(QStringLiteral("Maximum Height")).toUInt()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    step.setParameterValue(QStringLiteral("Material_Id"), QVariant::fromValue<uint>(dialog.material()));
    step.setParameterValue(QStringLiteral("Maximum Height"), QVariant::fromValue<uint>(dialog.depositionHeight()));
    finishStep(step, adding);
    return true;
}

bool editMoore(QWidget *parent, ProcessData &step, bool adding)
{
    const bool deposition = step.getProcessType() == Core::BatchRun::MooreDeposition;
    const QString key = deposition ? QStringLiteral("Thickness") : QStringLiteral("Depth");
    Operations::MooreOptionsDialog dialog(parent);
    dialog.setValueLabel(deposition ? QStringLiteral("Film Thickness") : QStringLiteral("Etch Depth"));
    selectMaterial(dialog.filmComboBox(), step.getParameters().value(QStringLiteral("Material_Id")));
    if (step.hasParameter(key))
        dialog.valueSpinBox()->setValue(static_cast<int>(step.getProcessParameter(key).toUInt()));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    step.setParameterValue(QStringLiteral("Material_Id"), QVariant::fromValue<uint>(dialog.material()));
    step.setParameterValue(key, QVariant::fromValue<uint>(dialog.value()));
    finishStep(step, adding);
    return true;
}

} // namespace

bool editStep(QWidget *parent, ProcessData &step, bool adding)
{
    switch (step.getProcessType()) {
    case Core::BatchRun::CreateSubstrate:
        return editCreateSubstrate(parent, step, adding);
    case Core::BatchRun::Planarization:
        return editPlanarization(parent, step, adding);
    case Core::BatchRun::SpinCoating:
        return editSpinCoating(parent, step, adding);
    case Core::BatchRun::MooreDeposition:
    case Core::BatchRun::MooreEtching:
        return editMoore(parent, step, adding);
    default:
        break;
    }
    StepOptionsDialog dialog(step, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const auto values = dialog.values();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        step.setParameterValue(it.key(), it.value());
    for (const char *side : {"Top", "Bottom"}) {
        const QString file = QLatin1String(side) + QStringLiteral(" Mask File");
        if (values.contains(file) && !values.value(file).toString().isEmpty() &&
            values.value(QLatin1String(side) + QStringLiteral(" Mask Width")).toUInt() == 0)
            QMessageBox::warning(
                parent, QStringLiteral("Photolithography"),
                QStringLiteral("%1 mask file \"%2\" could not be read; the step has no %3 mask.")
                    .arg(QLatin1String(side), values.value(file).toString(), QString::fromLatin1(side).toLower()));
    }
    Core::BatchRun::completeDerivedParameters(step);
    if (adding)
        Core::BatchRun::applyDefaultVisibility(step);
    return true;
}

} // namespace Ui
