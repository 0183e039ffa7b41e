#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

/// Lets `answer` play the user in the next modal dialog of class Dialog (a QMessageBox too) as
/// soon as it shows, looking for it for up to 5 s (events are also processed while a job runs in a
/// thread of its own, before its dialog shows). Arm it only when a dialog will open: a left-over
/// answer would meet a later one.
template <class Dialog = QDialog, class Answer> void answerNextDialog(Answer answer, int looks = 200)
{
    QTimer::singleShot(looks == 200 ? 0 : 25, [answer, looks] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget()))
            answer(*dialog);
        else if (looks > 1)
            answerNextDialog<Dialog>(answer, looks - 1);
    });
}
