#include "Core/workspace.h"
#include "UI/cellvolumeexport.h"
#include "catalogtesthome.h"
#include "vtifile.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>

using Model::Automaton::TotalVolume;
using Ui::CellVolumeExport;

namespace {

std::shared_ptr<TotalVolume> volumeOf(uint32_t state)
{
    return std::make_shared<TotalVolume>(2, 3, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D(), state);
}

} // namespace

class tst_CellVolumeExport : public QObject {
    Q_OBJECT
private slots:
    void volumeIsTheSelectedOrTheOnlyOne()
    {
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        QString reason;
        QVERIFY(!CellVolumeExport::volumeToExport(workspace, &reason));
        QCOMPARE(reason, QStringLiteral("The document holds no cell volume to export."));

        const auto first = volumeOf(1);
        workspace.document().addObject(first);
        QCOMPARE(CellVolumeExport::volumeToExport(workspace, &reason), first);

        const auto second = volumeOf(2);
        workspace.document().addObject(second);
        QVERIFY(!CellVolumeExport::volumeToExport(workspace, &reason));
        QVERIFY2(reason.startsWith(QLatin1String("The document holds 2 cell volumes: select the one")),
                 qPrintable(reason));
        workspace.pickState().setSelected({second});
        QCOMPARE(CellVolumeExport::volumeToExport(workspace, &reason), second);
    }

    void menuCommandWritesTheFileOrSaysWhyNot()
    {
        QMainWindow window;
        auto *action = new QAction(QStringLiteral("Export Cell Volume..."), &window);
        action->setObjectName(QStringLiteral("actionExport_Cell_Volume"));
        action->setEnabled(false);
        Core::Workspace workspace(Core::UndoFiles::Storage::None);
        CellVolumeExport *command = CellVolumeExport::install(window, workspace);
        QVERIFY(action->isEnabled());
        workspace.document().addObject(volumeOf(7));

        const QString file = m_dir.filePath(QStringLiteral("window.vti"));
        QVERIFY(command->exportTo(file));
        VtiFile vti;
        QVERIFY2(vti.read(file), qPrintable(vti.error));
        QCOMPARE(vti.attribute(QStringLiteral("WholeExtent")), QStringLiteral("0 2 0 3 0 4"));
        QCOMPARE(vti.array(QStringLiteral("material"))->uint32At(23), 7u);

        QString shown;
        QTimer::singleShot(0, [&shown] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->close();
            }
        });
        QVERIFY(!command->exportTo(m_dir.path()));
        QVERIFY2(shown.startsWith(QStringLiteral("The cell volume could not be exported to \"%1\"").arg(m_dir.path())),
                 qPrintable(shown));
    }

private:
    CatalogTestHome m_home;
    QTemporaryDir m_dir;
};

QTEST_MAIN(tst_CellVolumeExport)
#include "tst_cellvolumeexport.moc"
