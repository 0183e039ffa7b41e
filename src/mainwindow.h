#pragma once

#include <QHash>
#include <QMainWindow>

class QAction;

/// The application window: the menu bar with every command of the program and, in the centre,
/// the view of the document.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    /// The menu action with that object name (e.g. "actionCreate_Substrate"), or null.
    QAction *action(const QString &objectName) const;
    /// The operation identifier a menu action starts; 0 for actions the window handles itself.
    static uint32_t operationIdentifier(const QString &objectName);

private:
    void createMenus();
    QAction *addAction(QMenu *menu, const QString &objectName);

    QHash<QString, QAction *> m_actions;
};
