#include "UI/ProcessDialogs/photolithographydialog.h"

#include "Core/Processes/parameternames.h"
#include "Core/Processes/photolithographyprocess.h"
#include "Core/Processes/processregistry.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/Dialogs/maskfilegroup.h"
#include "UI/Dialogs/materialitems.h"
#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

QString PhotolithographyDialog::topFailureText()
{
    return QStringLiteral("Top Mask file not found!<br/>Please verify the filename is correct and you have the "
                          "correct permissions.");
}

QString PhotolithographyDialog::bottomFailureText()
{
    return QStringLiteral("Bottom mask not found error!<br/>Please verify if the filename is correct and you have "
                          "the correct permissions.");
}

PhotolithographyDialog::PhotolithographyDialog(QWidget *parent)
    : QDialog(parent)
    , m_top(new MaskFileGroup(QStringLiteral("Top Mask"), QStringLiteral("TopMask"), topFailureText(), this))
    , m_bottom(
          new MaskFileGroup(QStringLiteral("Bottom Mask"), QStringLiteral("BottomMask"), bottomFailureText(), this))
    , m_cbxFilm(new QComboBox(this))
{
    setObjectName(QStringLiteral("PhotolithographyBaseDialog"));
    setWindowTitle(QStringLiteral("Photolithography Options"));
    setFixedSize(370, 360);
    m_cbxFilm->setObjectName(QStringLiteral("cbxFilm"));
    // Photomasks may also come from a layout editor.
    m_top->setLayoutsAccepted(true);
    m_bottom->setLayoutsAccepted(true);
    addMaterialItems(m_cbxFilm);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Select Film"), m_cbxFilm);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_top);
    layout->addWidget(m_bottom);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons);

    connect(m_top, &MaskFileGroup::maskChanged, this, &PhotolithographyDialog::topMaskChanged);
    connect(m_bottom, &MaskFileGroup::maskChanged, this, &PhotolithographyDialog::bottomMaskChanged);
    connect(this, &PhotolithographyDialog::topMaskChanged, this, [this] { m_topApplied = true; });
    DialogMemory::keep(this);
}

unsigned PhotolithographyDialog::material() const { return chosenMaterial(m_cbxFilm); }

const Core::Operations::MaskBits &PhotolithographyDialog::topMask() const { return m_top->mask(); }

const Core::Operations::MaskBits &PhotolithographyDialog::bottomMask() const { return m_bottom->mask(); }

void PhotolithographyDialog::setParameters(const QVariantMap &parameters)
{
    using namespace Core::Processes;
    if (parameters.contains(Parameter::MaterialId))
        MaterialList::select(m_cbxFilm, parameters.value(Parameter::MaterialId).toUInt());
    for (MaskFileGroup *group : {m_top, m_bottom}) {
        const QString side = group == m_top ? Parameter::TopMask : Parameter::BottomMask;
        if (!parameters.contains(side))
            continue;
        const QByteArray bytes = parameters.value(side).toByteArray();
        Core::Operations::MaskBits mask;
        mask.bits.resize(bytes.size());
        for (int i = 0; i < bytes.size(); ++i)
            mask.bits.setBit(i, bytes.at(i) != 0);
        mask.width = parameters.value(Parameter::maskWidth(side)).toUInt();
        mask.height = parameters.value(Parameter::maskHeight(side)).toUInt();
        group->setMask(mask, parameters.value(Parameter::maskFile(side)).toString());
    }
}

QVariantMap PhotolithographyDialog::parameters() const
{
    using Core::Processes::PhotolithographyProcess;
    PhotolithographyProcess::Params values;
    values.material = material();
    values.top = {m_top->mask(), m_top->maskFile()};
    values.bottom = {m_bottom->mask(), m_bottom->maskFile()};
    QVariantMap parameters = Core::Processes::ProcessRegistry::get<PhotolithographyProcess>().values(values);
    if (m_topApplied)
        parameters.insert(
            PhotolithographyProcess::layoutValues(m_listFolder, m_top->maskFile(), m_top->layoutPlacement()));
    return parameters;
}

void PhotolithographyDialog::setContext(const ProcessDialogContext &context)
{
    m_top->setColumns(context.columnsX, context.columnsY);
    m_bottom->setColumns(context.columnsX, context.columnsY);
    m_listFolder = context.listFolder;
}

void PhotolithographyDialog::setPreview(const std::function<void(const QVariantMap &)> &preview)
{
    using Core::Processes::PhotolithographyProcess;
    namespace Parameter = Core::Processes::Parameter;
    connect(this, &PhotolithographyDialog::topMaskChanged, this,
            [preview](const QBitArray &bits, uint width, uint height) {
                preview(PhotolithographyProcess::maskValues(Parameter::TopMask, {{bits, width, height}, QString()}));
            });
    connect(this, &PhotolithographyDialog::bottomMaskChanged, this,
            [preview](const QBitArray &bits, uint width, uint height) {
                preview(PhotolithographyProcess::maskValues(Parameter::BottomMask, {{bits, width, height}, QString()}));
            });
}

} // namespace Operations
} // namespace Ui
