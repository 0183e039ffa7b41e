#include "Core/consoleinput.h"

#include <sstream>
#include <string>

namespace Core {

void ConsoleInput::handOver(const Operations::OperationPtr &requester)
{
    // A replaced requester gets its execute, which cancels it when its inputs are incomplete.
    if (m_requester && m_requester != requester) {
        auto previous = m_requester;
        m_requester.reset();
        m_kind = RequestKind::None;
        m_enterRequested = false;
        setPrompt(QString());
        previous->execute();
    }
}

void ConsoleInput::requestCoordinates(const Operations::OperationPtr &requester, Util::Vector3D *target,
                                      bool *received)
{
    handOver(requester);
    m_receivedFlag = received;
    if (m_receivedFlag)
        *m_receivedFlag = false;
    m_requester = requester;
    m_coordinatesTarget = target;
    m_kind = RequestKind::Coordinates;
}

void ConsoleInput::requestText(const Operations::OperationPtr &requester, QString *target)
{
    handOver(requester);
    m_requester = requester;
    m_textTarget = target;
    m_kind = RequestKind::Text;
}

void ConsoleInput::requestEnter(const Operations::OperationPtr &requester)
{
    handOver(requester);
    m_requester = requester;
    m_enterRequested = true;
}

void ConsoleInput::writeMessage(const QString &text)
{
    m_message = text;
    for (const auto &observer : m_observers)
        observer->notify();
}

void ConsoleInput::setPrompt(const QString &text)
{
    if (text == m_prompt)
        return;
    m_prompt = text;
    for (const auto &observer : m_promptObservers)
        observer->notify();
}

void ConsoleInput::reset()
{
    setPrompt(QString());
    m_requester.reset();
    m_kind = RequestKind::None;
    m_enterRequested = false;
    m_textTarget = nullptr;
    m_coordinatesTarget = nullptr;
    m_receivedFlag = nullptr;
}

bool ConsoleInput::parseCoordinates(const QString &line, Util::Vector3D &result)
{
    // A number, a skip through the next comma, a number, a skip, a number: three blank-separated
    // numbers fail because the first skip swallows the rest of the line.
    std::istringstream in(line.toStdString());
    double values[3];
    for (int i = 0; i < 3; ++i) {
        if (!(in >> values[i]))
            return false;
        if (i < 2)
            in.ignore(100, ',');
    }
    result = Util::Vector3D(values[0], values[1], values[2]);
    return true;
}

void ConsoleInput::handleLine(const QString &line)
{
    if (m_requester && !line.isEmpty()) {
        if (m_kind == RequestKind::Coordinates) {
            Util::Vector3D value;
            if (parseCoordinates(line, value)) {
                if (m_coordinatesTarget)
                    *m_coordinatesTarget = value;
                auto requester = m_requester;
                m_requester.reset();
                m_kind = RequestKind::None;
                if (m_receivedFlag)
                    *m_receivedFlag = true;
                setPrompt(QString());
                requester->start();
                return;
            }
            writeMessage(QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
        } else if (m_kind == RequestKind::Text) {
            if (m_textTarget)
                *m_textTarget = line;
            auto requester = m_requester;
            m_requester.reset();
            m_kind = RequestKind::None;
            m_enterRequested = false; // the typed answer also serves as the Enter
            setPrompt(QString());
            requester->start();
            return;
        }
    }
    if (m_requester && m_enterRequested) {
        auto requester = m_requester;
        m_requester.reset();
        m_enterRequested = false;
        setPrompt(QString());
        requester->start();
    }
}

} // namespace Core
