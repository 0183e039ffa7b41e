#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"
#include "Util/vector3d.h"

#include <QString>

#include <vector>

namespace Core {

/// The console's model: which operation waits for a typed answer, of what kind, and where it goes,
/// and the one-line instruction the window shows while an operation waits for the user.
class ConsoleInput {
public:
    enum class RequestKind { None, Coordinates, Text };

    /// The requester's `start` is called once the coordinates are stored in `target`.
    void requestCoordinates(const Operations::OperationPtr &requester, Util::Vector3D *target, bool *received);
    void requestText(const Operations::OperationPtr &requester, QString *target);
    /// The requester's `start` is called on the next Enter.
    void requestEnter(const Operations::OperationPtr &requester);
    void writeMessage(const QString &text);
    /// No requester, no pending request, no prompt.
    void reset();

    /// What the window shows (status bar and view) while an operation waits, e.g. "Extract Film: Click a
    /// cell volume, then press Enter — Esc cancels"; empty when nothing waits. A request that is answered,
    /// replaced or reset takes its prompt with it. The prompt observers hear of every change.
    void setPrompt(const QString &text);
    QString prompt() const { return m_prompt; }
    void addPromptObserver(const Util::ObserverPtr &observer) { m_promptObservers.push_back(observer); }

    /// Hands one entered line (possibly empty) to the waiting operation.
    void handleLine(const QString &line);

    QString message() const { return m_message; }
    RequestKind requestKind() const { return m_kind; }
    Operations::OperationPtr requester() const { return m_requester; }
    bool isEnterRequested() const { return m_enterRequested; }
    void addObserver(const Util::ObserverPtr &observer) { m_observers.push_back(observer); }

    /// Reads "x, y, z" (commas required, blanks optional). False when the line is not in that form.
    static bool parseCoordinates(const QString &line, Util::Vector3D &result);

private:
    void handOver(const Operations::OperationPtr &requester);

    Operations::OperationPtr m_requester;
    QString *m_textTarget = nullptr;
    Util::Vector3D *m_coordinatesTarget = nullptr;
    RequestKind m_kind = RequestKind::None;
    bool *m_receivedFlag = nullptr;
    bool m_enterRequested = false;
    QString m_message;
    QString m_prompt;
    std::vector<Util::ObserverPtr> m_observers;
    std::vector<Util::ObserverPtr> m_promptObservers;
};

} // namespace Core
