#include "Core/Processes/photolithographyprocess.h"

#include "Core/BatchRun/layoutmaskstep.h"
#include "Core/Engines/Columns/photolithography.h"
#include "Core/Processes/parameternames.h"

#include <QBitArray>

namespace Core {
namespace Processes {

namespace {

QList<ParameterDefinition> definitions()
{
    QList<ParameterDefinition> list = materialParameters(Parameter::Material);
    for (const QString side : {Parameter::TopMask, Parameter::BottomMask}) {
        list << ParameterDefinition{side, ParameterKind::Mask, Shown::Never}
             << ParameterDefinition{Parameter::maskFile(side), ParameterKind::String, Shown::Always}
             << ParameterDefinition{Parameter::maskHeight(side), ParameterKind::UInt, Shown::Always}
             << ParameterDefinition{Parameter::maskWidth(side), ParameterKind::UInt, Shown::Always};
    }
    return list;
}

// Lists keep a mask as one byte, 0 or 1, per column.
QBitArray toBits(const QByteArray &bytes)
{
    QBitArray bits(bytes.size());
    for (int i = 0; i < bytes.size(); ++i)
        bits.setBit(i, bytes.at(i) != 0);
    return bits;
}

QByteArray toBytes(const QBitArray &bits)
{
    QByteArray bytes(bits.size(), 0);
    for (int i = 0; i < bits.size(); ++i)
        bytes[i] = bits.testBit(i) ? 1 : 0;
    return bytes;
}

} // namespace

PhotolithographyProcess::PhotolithographyProcess()
    : TypedProcessDescriptor(ProcessType::Photolithography, QStringLiteral("Photolithography"),
                             QStringLiteral("Photolithography"), definitions(),
                             {{CommandId::Photolithography, "Photolithography", 20, "Photolithography", {}}})
{
}

PhotolithographyParameters PhotolithographyProcess::read(ParameterReader &reader) const
{
    Params params;
    params.topFromLayout = BatchRun::LayoutMaskStep::named(reader.step());
    params.material = reader.toUInt(Parameter::MaterialId);
    if (!params.topFromLayout) {
        params.top.bits.bits = toBits(reader.toMask(Parameter::TopMask));
        params.top.bits.height = reader.toUInt(Parameter::maskHeight(Parameter::TopMask));
        params.top.bits.width = reader.toUInt(Parameter::maskWidth(Parameter::TopMask));
    }
    params.bottom.bits.bits = toBits(reader.toMask(Parameter::BottomMask));
    params.bottom.bits.height = reader.toUInt(Parameter::maskHeight(Parameter::BottomMask));
    params.bottom.bits.width = reader.toUInt(Parameter::maskWidth(Parameter::BottomMask));
    // The file names only say where the masks came from.
    const QVariantMap all = reader.step().getParameters();
    params.top.file = all.value(Parameter::maskFile(Parameter::TopMask)).toString();
    params.bottom.file = all.value(Parameter::maskFile(Parameter::BottomMask)).toString();
    return params;
}

QVariantMap PhotolithographyProcess::maskValues(const QString &side, const StepMask &mask)
{
    return {{side, toBytes(mask.bits.bits)},
            {Parameter::maskFile(side), mask.file},
            {Parameter::maskWidth(side), QVariant::fromValue<uint>(mask.bits.width)},
            {Parameter::maskHeight(side), QVariant::fromValue<uint>(mask.bits.height)}};
}

QVariantMap PhotolithographyProcess::values(const Params &params) const
{
    QVariantMap values = maskValues(Parameter::TopMask, params.top);
    values.insert(maskValues(Parameter::BottomMask, params.bottom));
    values.insert(Parameter::MaterialId, QVariant::fromValue<uint>(params.material));
    return values;
}

QVariantMap PhotolithographyProcess::layoutValues(const QString &listFolder, const QString &file,
                                                  const std::optional<Operations::LayoutPlacement> &placement)
{
    namespace L = BatchRun::LayoutMaskStep;
    QVariantMap values;
    for (const char *name : {L::file, L::layer, L::datatype, L::scale, L::offsetX, L::offsetY})
        values.insert(QLatin1String(name), QVariant());
    const QString name = L::nameInFolder(listFolder, file);
    if (!placement || name.isEmpty())
        return values;
    values.insert(QLatin1String(L::file), name);
    values.insert(QLatin1String(L::layer), QVariant::fromValue<uint>(uint32_t(placement->layer.layer)));
    values.insert(QLatin1String(L::datatype), QVariant::fromValue<uint>(uint32_t(placement->layer.datatype)));
    values.insert(QLatin1String(L::scale), placement->micronsPerCell);
    values.insert(QLatin1String(L::offsetX), placement->offsetX);
    values.insert(QLatin1String(L::offsetY), placement->offsetY);
    return values;
}

void PhotolithographyProcess::applyValues(ProcessStep &step, const QVariantMap &values) const
{
    namespace L = BatchRun::LayoutMaskStep;
    if (values.contains(QLatin1String(L::file))) {
        for (const char *name : {L::file, L::layer, L::datatype, L::scale, L::offsetX, L::offsetY})
            step.removeParameter(QLatin1String(name));
    }
    TypedProcessDescriptor::applyValues(step, values);
}

int PhotolithographyProcess::prepare(Params &params, const ProcessStep &step, ProcessRun &run) const
{
    if (!params.topFromLayout)
        return Success;
    return BatchRun::LayoutMaskStep::readMask(step, run.listFolder, run.volume->sizeX(), run.volume->sizeY(),
                                              run.control, params.top.bits, run.detail);
}

void PhotolithographyProcess::runEngine(Model::Automaton::TotalVolume &volume, const Params &params,
                                        ProcessRun &run) const
{
    const Operations::MaskBits &top = params.top.bits;
    const Operations::MaskBits &bottom = params.bottom.bits;
    Operations::Photolithography engine(volume, params.material, bottom.bits, bottom.width, bottom.height, top.bits,
                                        top.width, top.height);
    engine.setRunControl(run.control);
    engine.run();
}

void PhotolithographyProcess::afterRun(Model::Automaton::TotalVolume &volume, const Params &, ProcessRun &) const
{
    // The masks were a preview of this step; the developed resist now shows the pattern.
    volume.setLowerMask(QBitArray(), 0, 0);
    volume.setUpperMask(QBitArray(), 0, 0);
}

bool PhotolithographyProcess::preview(Model::Automaton::TotalVolume &volume, const QVariantMap &values) const
{
    // Only the part over the volume's columns can mask a cell; the rest is not shown.
    for (const QString side : {Parameter::TopMask, Parameter::BottomMask}) {
        if (!values.contains(side))
            continue;
        const Operations::MaskBits mask = Operations::MaskBits{toBits(values.value(side).toByteArray()),
                                                               values.value(Parameter::maskWidth(side)).toUInt(),
                                                               values.value(Parameter::maskHeight(side)).toUInt()}
                                              .cropped(volume.sizeX(), volume.sizeY());
        if (side == Parameter::TopMask)
            volume.setUpperMask(mask.bits, mask.width, mask.height);
        else
            volume.setLowerMask(mask.bits, mask.width, mask.height);
    }
    return true;
}

} // namespace Processes
} // namespace Core
