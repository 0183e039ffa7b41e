#include "Core/Operations/Document/runmodelextraction.h"

#include "Core/volumechoice.h"
#include "Core/workspace.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/cantileverstructure.h"
#include "Model/ModelExtraction/cuboiddecomposition.h"
#include "Model/ModelExtraction/netlistfile.h"
#include "Model/Volume/totalvolume.h"
#include "Util/failuretext.h"

#include <QDir>

#include <cmath>
#include <exception>

namespace Core {
namespace Operations {

using Model::ModelExtraction::ExtractedModel;

namespace {
QString message(const QString &text) { return RunModelExtraction::consoleName() + QStringLiteral(": ") + text; }

QString counted(size_t n, const char *one, const char *many)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}
} // namespace

RunModelExtraction::RunModelExtraction(Workspace &workspace, const DocumentDialogsPtr &dialogs)
    : Operation(workspace, QStringLiteral("Extract Model"), 1000)
    , m_dialogs(dialogs)
    , m_lengthPerUnit(Model::ModelExtraction::CantileverStructure::defaultLengthPerUnit())
{
}

void RunModelExtraction::setLengthPerUnit(double metres)
{
    if (metres > 0.0 && std::isfinite(metres))
        m_lengthPerUnit = metres;
}

void RunModelExtraction::chooseVolume(const Model::Automaton::TotalVolumePtr &volume)
{
    Workspace &ws = workspace();
    m_volume = volume;
    m_state = DialogOpen;
    ws.selection().clearSelection();
    ws.selection().setSelectionMode(false);
    ws.notifyUpdate();
    ws.console().writeMessage(message(QStringLiteral("Cell volume selected.")));
    if (observer())
        observer()->notify();
}

void RunModelExtraction::start()
{
    if (m_state != Idle)
        return;
    VolumeChoice choice(workspace());
    if (const auto volume = choice.obvious()) {
        chooseVolume(volume);
        return;
    }
    choice.waitForEnter(shared_from_this(), message(QStringLiteral("Select a cell volume and press Enter/Return.")),
                        choice.volumePrompt(consoleName()));
}

bool RunModelExtraction::runPreprocessing()
{
    if (m_state != DialogOpen || !m_volume)
        return false;
    Workspace &ws = workspace();
    // Running the step again starts from scratch: the beams found before belong to the old boxes.
    removePreviews();
    m_structure.reset();
    m_volume->view().setExtractionDisplay(true);
    try {
        BusyScope busy(ws.busyIndicator(), name());
        Model::ModelExtraction::CuboidDecomposition decomposition(*m_volume);
        const auto envelopes = decomposition.run();
        const Model::Automaton::TotalVolume &v = *m_volume;
        m_boxes =
            std::make_shared<ExtractedModel>(envelopes, Util::Vector3D(v.cellSizeX(), v.cellSizeY(), v.cellSizeZ()));
    } catch (const std::exception &error) {
        m_volume->view().setExtractionDisplay(false);
        ws.console().writeMessage(message(Util::failureText(error, QStringLiteral("cut the volume into boxes"))));
        ws.notifyUpdate();
        return false;
    }
    m_boxes->setPosition(m_volume->position());
    ws.document().addObject(m_boxes);
    ws.console().writeMessage(
        message(QStringLiteral("Preprocessing found %1.").arg(counted(m_boxes->envelopes().size(), "box", "boxes"))));
    ws.notifyUpdate();
    return true;
}

bool RunModelExtraction::runFeatureDetection()
{
    if (m_state != DialogOpen || !m_boxes)
        return false;
    Workspace &ws = workspace();
    if (m_beams) {
        ws.document().removeObject(m_beams);
        m_beams.reset();
    }
    Model::ModelExtraction::CantileverModelRule rule;
    m_structure = rule.apply(*m_boxes);
    auto cantilever = std::dynamic_pointer_cast<Model::ModelExtraction::CantileverStructure>(m_structure);
    if (!cantilever) {
        ws.console().writeMessage(message(QStringLiteral("Feature detection found no cantilever beam.")));
        ws.notifyUpdate();
        return false;
    }
    m_beams = std::make_shared<ExtractedModel>(cantilever->beams(), m_boxes->cellSize());
    m_beams->setColorIndex(3);
    const Util::Vector3D at = m_volume->position();
    m_beams->setPosition(
        Util::Vector3D(at.x + (double(m_volume->sizeX()) + besideGap) * m_volume->cellSizeX(), at.y, at.z));
    ws.document().addObject(m_beams);
    ws.console().writeMessage(
        message(QStringLiteral("Feature detection found %1.")
                    .arg(counted(cantilever->beams().size(), "cantilever beam", "cantilever beams"))));
    ws.notifyUpdate();
    return true;
}

QString RunModelExtraction::netlistText(QString *error) const
{
    if (!m_structure) {
        if (error)
            *error = QStringLiteral("No model data was extracted.");
        return QString();
    }
    if (auto cantilever = std::dynamic_pointer_cast<Model::ModelExtraction::CantileverStructure>(m_structure))
        cantilever->setLengthPerUnit(m_lengthPerUnit);
    return m_structure->netlist(error);
}

bool RunModelExtraction::writeNetlist(const QString &fileName, QString *error)
{
    const QString text = netlistText(error);
    if (text.isEmpty())
        return false;
    return Model::ModelExtraction::NetlistFile::write(fileName, text, error);
}

void RunModelExtraction::saveNetlist()
{
    Workspace &ws = workspace();
    auto notice = [this, &ws](bool warning, const QString &title, const QString &text) {
        if (!m_dialogs)
            ws.console().writeMessage(message(text));
        else if (warning)
            m_dialogs->showWarning(title, text);
        else
            m_dialogs->showInformation(title, text);
    };
    if (!m_structure) {
        notice(false, QStringLiteral("No model data"), QStringLiteral("No model data was extracted."));
        return;
    }
    // A beam whose values cannot be worked out is reported before a file is asked for.
    QString error;
    const QString text = netlistText(&error);
    if (text.isEmpty()) {
        notice(true, QStringLiteral("No model data"), error);
        return;
    }
    if (!m_dialogs)
        return;
    const QString fileName = m_dialogs->saveFileName(QStringLiteral("Save netlist"), QDir::homePath(),
                                                     Model::ModelExtraction::NetlistFile::filter());
    if (fileName.isEmpty())
        return;
    if (!Model::ModelExtraction::NetlistFile::write(fileName, text, &error)) {
        m_dialogs->showWarning(QStringLiteral("File Error"),
                               QStringLiteral("Unable to save to selected file!") +
                                   (error.isEmpty() ? QString() : QLatin1Char('\n') + error));
        return;
    }
    ws.console().writeMessage(message(QStringLiteral("Netlist saved to %1.").arg(QDir::toNativeSeparators(fileName))));
}

void RunModelExtraction::removePreviews()
{
    Workspace &ws = workspace();
    if (m_boxes)
        ws.document().removeObject(m_boxes);
    if (m_beams)
        ws.document().removeObject(m_beams);
    m_boxes.reset();
    m_beams.reset();
}

void RunModelExtraction::end(bool finished)
{
    Workspace &ws = workspace();
    m_state = Done;
    removePreviews();
    if (m_volume)
        m_volume->view().setExtractionDisplay(false);
    ws.notifyUpdate();
    ws.console().writeMessage(
        message(finished ? QStringLiteral("Model extracted.") : QStringLiteral("Operation canceled.")));
    // The dialog goes before the workspace lets go of this operation.
    if (m_destroyDialogObserver)
        m_destroyDialogObserver->notify();
    ws.console().reset();
    if (finished)
        ws.operationFinished();
    else
        ws.operationCanceled();
}

void RunModelExtraction::cancel()
{
    if (m_state == Done)
        return;
    end(false);
}

void RunModelExtraction::execute()
{
    if (m_state == DialogOpen)
        end(true);
    else if (m_state == Idle)
        cancel();
}

} // namespace Operations
} // namespace Core
