#pragma once

// The program's windows with the scenario window in front, offscreen; the
// worker's calls wait in a queue that the test serves.
#include "app/program.h"
#include "mainwindow/listview.h"
#include "mainwindow/mainfrm.h"
#include "platform/dispatcher.h"
#include "platform/winunicode.h"
#include "scenario/batchfrm.h"
#include "support/mainui.h"
#include "support/tempdir.h"
#include "support/testdialogs.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace tekstovar {

inline std::vector<std::string> Win(std::initializer_list<const char*> utf8)
{
    std::vector<std::string> lines;
    for (const char* line : utf8)
        lines.push_back(Utf8ToWin(line));
    return lines;
}

class BatchTest : public ::testing::Test {
protected:
    test::TTempDir Home;
    test::TTempDir Files;
    test::TTestDialogs Dialogs;
    std::unique_ptr<TProgram> Program;
    TQueueDispatcher* Queue = nullptr;

    void SetUp() override { Start(); }

    void Start()
    {
        Program = std::make_unique<TProgram>(Dialogs, Home.Path());
        auto queue = std::make_unique<TQueueDispatcher>();
        Queue = queue.get();
        Main().UseDispatcher(std::move(queue));
    }
    TMainFrm& Main() { return Program->MainFrm(); }
    test::TMainUi Ui() { return test::TMainUi(Main()); }
    TBatchFrm& Batch() { return Program->BatchFrm(); }

    // Serves the worker's calls until the scenario has ended.
    bool WaitRun()
    {
        QDeadlineTimer deadline(30000);
        while (Batch().Running() && !deadline.hasExpired()) {
            Queue->ServeUntil([&] { return !Batch().Running() || deadline.hasExpired(); });
            QCoreApplication::processEvents();
        }
        Queue->RunPending();
        return !Batch().Running();
    }

    void Run()
    {
        QTest::mouseClick(Batch().GoBtn, Qt::LeftButton);
        ASSERT_TRUE(WaitRun());
    }

    void ClickRow(int row)
    {
        Batch().PairsGrid->selectRow(row);
        Batch().PairsGridClick();
    }

    QString Cell(int entry, int column) { return Ui().Entry(entry)->text(column); }
    QString Header(int column) { return Ui().FilesLvw->headerItem()->text(column); }
    // A sub-item the entry does not have at all, as opposed to an empty one.
    bool HasCell(int entry, int column) { return Ui().Entry(entry)->data(column, Qt::DisplayRole).isValid(); }

    // Both windows take commands again.
    void ExpectUnlocked()
    {
        EXPECT_TRUE(Ui().GoBtn->isEnabled());
        EXPECT_TRUE(Ui().TasksPgC->isEnabled());
        EXPECT_TRUE(Batch().GoBtn->isEnabled());
        EXPECT_TRUE(Batch().PairsGrid->isEnabled());
        EXPECT_FALSE(Batch().StopBtn->isEnabled());
        EXPECT_EQ(Batch().StepIndex(), -1);
        EXPECT_EQ(Main().StepIndex(), -1);
    }

    void DropFiles(const QStringList& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        // The drop goes to the widget that took the drag when it entered.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Batch(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&Batch(), &drop);
    }
};

} // namespace tekstovar
