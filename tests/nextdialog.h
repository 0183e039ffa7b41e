#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

/// Lets `answer` play the user in the next modal dialog of class Dialog (a QMessageBox too) as
/// soon as it shows. Arm it only when a dialog will open: a left-over answer would meet a later one.
template <class Dialog = QDialog, class Answer> void answerNextDialog(Answer answer)
{
    QTimer::singleShot(0, [answer] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget()))
            answer(*dialog);
    });
}
