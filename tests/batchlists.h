#pragma once
// Process lists for the batch-run tests: steps built in code, the text of list files made from
// them, and the cells a run leaves.

#include "Core/BatchRun/processlistfile.h"
#include "Core/BatchRun/processvocabulary.h"
#include "Core/Engines/RandomWalk/randomwalkdopinginput.h"
#include "Core/Processes/processstep.h"
#include "Model/Persistence/archiverregistry.h"
#include "Model/Persistence/documentarchive.h"
#include "Model/Persistence/materialreconciler.h"
#include "Model/Persistence/materialtranslationtable.h"
#include "Model/Volume/totalvolume.h"
#include "Model/document.h"

#include <QFile>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

/// A step of the given type with the given parameters, all shown.
inline Core::Processes::ProcessStep batchStep(int type, const QList<QPair<const char *, QVariant>> &values)
{
    Core::Processes::ProcessStep step(type);
    for (const auto &value : values)
        step.setParameter(QLatin1String(value.first), value.second, true);
    return step;
}

/// "Create Substrate": an nx x ny x nz volume, material over its whole width from z = 0 up to
/// z = height - 1.
inline Core::Processes::ProcessStep boxSubstrate(uint nx, uint ny, uint nz, uint height, uint material = 1)
{
    Core::Processes::ProcessStep step = batchStep(Core::BatchRun::CreateSubstrate,
                                     {{"Lower Left Front Corner", QVariant::fromValue(Util::Vector3D(0, 0, 0))},
                                      {"Volume Size X", nx},
                                      {"Volume Size Y", ny},
                                      {"Volume Size Z", nz},
                                      {"Substrate Size X", nx},
                                      {"Substrate Size Y", ny},
                                      {"Substrate Size Z", height},
                                      {"Substrate Delta X", 0u},
                                      {"Substrate Delta Y", 0u},
                                      {"Substrate Delta Z", 0u}});
    step.setParameter(QStringLiteral("Material_Id"), material, false);
    step.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
    return step;
}

/// Photolithography of material 3 (developed like a positive resist) with no bottom mask and the
/// top mask from layer `layer` of the layout `name`, named as the list names it: at 1 micrometre per
/// cell from the origin or, without `scaled`, fitted to the volume.
inline Core::Processes::ProcessStep layoutLithography(const QString &name, uint layer, bool scaled = true)
{
    Core::Processes::ProcessStep step = batchStep(Core::BatchRun::Photolithography, {{"Material_Id", 3u},
                                                                        {"Top Mask Layout", name},
                                                                        {"Layout Layer", layer},
                                                                        {"Layout Datatype", 0u},
                                                                        {"Bottom Mask", QByteArray()},
                                                                        {"Bottom Mask Width", 0u},
                                                                        {"Bottom Mask Height", 0u}});
    if (scaled) {
        step.setParameter(QStringLiteral("Layout Scale"), 1.0, true);
        step.setParameter(QStringLiteral("Layout Offset X"), 0.0, true);
        step.setParameter(QStringLiteral("Layout Offset Y"), 0.0, true);
    }
    return step;
}

/// The "Process-Data" element a list file holds for the step.
inline QByteArray stepXml(const Core::Processes::ProcessStep &step)
{
    using Core::BatchRun::ProcessListFile;
    QByteArray xml = "<Process-Data process-type=\"" + QByteArray::number(step.getProcessType()) + "\">";
    const auto parameters = step.getParameters();
    for (auto it = parameters.cbegin(); it != parameters.cend(); ++it)
        xml += "<Parameter parameter-name=\"" + it.key().toUtf8() + "\" parameter-type=\"" +
               ProcessListFile::valueTypeName(it.value()).toUtf8() + "\" parameter-data=\"" +
               ProcessListFile::valueText(it.value()).toUtf8() + "\"/>";
    return xml + "</Process-Data>\n";
}

/// A list file of version 1 with the materials Si (1) and Thermal Si02 (3), and the given steps.
inline QByteArray listXml(const QByteArray &steps)
{
    return "<?xml version=\"1.0\"?>\n<Process-List version=\"1\">\n<Materials>\n"
           "<Material version=\"1\" name=\"Si\" material-id=\"1\" density=\"2329\" color=\"#FF7F7F7F\"/>\n"
           "<Material version=\"1\" name=\"Thermal Si02\" material-id=\"3\" density=\"2200\" color=\"#FF7F7FFF\"/>\n"
           "</Materials>\n" +
           steps + "</Process-List>\n";
}

/// Writes the bytes to a file of the folder; its path.
inline QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return file.fileName();
}

inline QByteArray readFile(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline size_t countState(Model::Automaton::TotalVolume &volume, uint32_t state)
{
    Model::Automaton::CellLock lock(volume);
    size_t count = 0;
    for (size_t i = 0; i < volume.cellCount(); ++i)
        count += lock.cells().state(i) == state ? 1 : 0;
    return count;
}

/// The first cell volume of a document file; null when it cannot be read.
inline Model::Automaton::TotalVolumePtr documentVolume(const QString &fileName)
{
    Model::Document document;
    Model::Persistence::MaterialTranslationTable table;
    Model::Persistence::MaterialReconciler reconciler(table);
    if (!Model::Persistence::loadDocumentFile(fileName, document, Model::Persistence::ArchiverRegistry::standard(),
                                              reconciler)
             .ok ||
        document.allObjects().size() != 1)
        return nullptr;
    return std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(document.allObjects().first());
}

/// Saves a document holding just the volume; its path.
inline QString volumeDocument(const QTemporaryDir &dir, const QString &name,
                              const Model::Automaton::TotalVolumePtr &volume)
{
    Model::Document document;
    document.addObject(volume);
    const QString file = dir.filePath(name);
    QString error;
    if (!Model::Persistence::saveDocumentFile(file, document, Model::Persistence::ArchiverRegistry::standard(), &error))
        qWarning("%s", qPrintable(error));
    return file;
}

/// Boron-like random-walk values in the dialog's units: 10 nm cells (100 particles per cell at
/// 1e20 cm^-3), D = 1e-13 cm^2/s, 1 s steps (q = 0.1), 2 minutes, threshold 10 %.
inline Core::Operations::RandomWalkDopingInput boronWalk()
{
    Core::Operations::RandomWalkDopingInput in;
    in.dopingTimeMinutes = 2.0;
    in.material = 15;
    in.diffusionCoefficientCm2PerS = 1e-13;
    in.cellSizeMicrometres = 0.01;
    in.timeStepSeconds = 1.0;
    in.surfaceConcentrationPerCm3 = 1e20;
    in.thresholdPercent = 10.0;
    return in;
}

inline Core::Processes::ProcessStep walkStep(const Core::Operations::RandomWalkDopingInput &in)
{
    Core::Processes::ProcessStep step =
        batchStep(Core::BatchRun::RandomWalkDoping, {{"Doping Time", in.dopingTimeMinutes},
                                                     {"Material_Id", QVariant::fromValue<uint>(in.material)},
                                                     {"Diffusion Coefficient", in.diffusionCoefficientCm2PerS},
                                                     {"Cell Size", in.cellSizeMicrometres},
                                                     {"Time Step Duration", in.timeStepSeconds},
                                                     {"Surface Concentration", in.surfaceConcentrationPerCm3},
                                                     {"Doping Threshold", in.thresholdPercent}});
    Core::BatchRun::completeDerivedParameters(step);
    return step;
}
