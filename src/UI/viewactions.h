#pragma once

#include <QObject>
#include <QString>

class QMainWindow;

namespace Ui {

class GLWidget;

/// The status-bar texts of the view's signals.
namespace ViewStatus {
QString rotation(double rx, double ry, double rz);
QString axisPosition(double ax, double ay, double az);
QString viewPosition(double vx, double vy);
QString zoom(double percent);
QString lampPosition(int lamp, double radius, double theta, double phi);
} // namespace ViewStatus

/// Hooks a view into its main window: the File, Edit, Rendering and View actions it serves
/// (found by object name, "Fit to Volumes" among them), the Q W E A S D L shortcuts and the
/// status-bar texts.
class ViewActions : public QObject {
    Q_OBJECT
public:
    /// Everything lives as long as the window.
    static ViewActions *install(QMainWindow &window, GLWidget &view);

    /// "Save Image": asks for a file and writes the frame; a cancelled dialog writes nothing.
    void saveImage();
    void changeGridSpacing();
    void changeWindowColors();
    void setViewAndLighting();

private:
    ViewActions(QMainWindow &window, GLWidget &view);
    void connectActions();
    void connectStatusBar();
    void createShortcuts();

    QMainWindow &m_window;
    GLWidget &m_view;
};

} // namespace Ui
