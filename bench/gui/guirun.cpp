// Times a contents run in the main window (offscreen) over one file and
// measures how long the UI thread was ever kept from its event loop: a
// timer asks to run every 5 ms and the longest gap between its ticks is the
// longest time the window could not answer.
//
//   tekstovar-guibench FILE SEARCH REPLACE
// prints "seconds=S longest_block_ms=B replacements=N"; with
// TEKSTOVAR_GUIBENCH_GAPS=MS, every block of MS milliseconds or more goes to
// standard error with the time it began, counted from the click, and the
// CPU time the window's thread had in it.
//
// The window is driven as a user's tools would drive it: its controls are
// found by object name and the run starts with a click on its button.
#include "app/application.h"
#include "app/program.h"
#include "mainwindow/mainfrm.h"
#include "platform/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

template <class T> T* Control(const QObject& root, const char* name)
{
    T* control = root.findChild<T*>(QString::fromLatin1(name));
    if (!control) {
        std::fprintf(stderr, "tekstovar-guibench: the window has no control named %s\n", name);
        std::exit(2);
    }
    return control;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: tekstovar-guibench FILE SEARCH REPLACE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tekstovar::TQtDialogs dialogs;
    tekstovar::TApplication application(argc, argv, dialogs);
    QTemporaryDir home;
    tekstovar::TProgram program(dialogs, home.path().toStdString() + "/");
    tekstovar::TMainFrm& main = program.MainFrm();
    Control<QCheckBox>(main, "BackUpChk")->setChecked(false);
    main.AddFile(argv[1], 0);
    Control<QComboBox>(main, "MaskCbx")->setEditText(QString::fromUtf8(argv[2]));
    Control<QComboBox>(main, "ReplaceCbx")->setEditText(QString::fromUtf8(argv[3]));
    QPushButton* go = Control<QPushButton>(main, "GoBtn");
    QTreeWidget* list = Control<QTreeWidget>(main, "FilesLvw");

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    const qint64 tellGaps = qEnvironmentVariableIntValue("TEKSTOVAR_GUIBENCH_GAPS");
    // The thread's own CPU time tells a block of its own work from a wait
    // for a core that other processes held.
    const auto threadMs = [] {
        timespec t{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    };
    double lastCpu = threadMs();
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        const double cpu = threadMs();
        longest = std::max(longest, now - lastTick);
        if (tellGaps > 0 && now - lastTick >= tellGaps)
            std::fprintf(stderr, "blocked %lld ms from %lld ms, %.1f ms of it on the CPU\n",
                static_cast<long long>(now - lastTick), static_cast<long long>(lastTick), cpu - lastCpu);
        lastTick = now;
        lastCpu = cpu;
    });
    clock.start();
    ticker.start();
    QTest::mouseClick(go, Qt::LeftButton);
    // Sleeps until an event comes (a tick at least every 5 ms): processEvents
    // with a time limit would spin instead, taking a core from the worker.
    while (!main.Idle())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    // The gap from the last tick to the end counts too.
    longest = std::max(longest, clock.elapsed() - lastTick);
    ticker.stop();
    QTreeWidgetItem* entry = list->topLevelItem(0);
    std::printf("seconds=%.3f longest_block_ms=%lld replacements=%s\n", seconds, static_cast<long long>(longest),
        entry ? entry->text(3).toStdString().c_str() : "?");
    return 0;
}
