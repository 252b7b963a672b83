// Times a contents run in the main window (offscreen) over one file and
// measures how long the UI thread was ever kept from its event loop: a
// timer asks to run every 5 ms and the longest gap between its ticks is the
// longest time the window could not answer.
//
//   tekstovar-guibench FILE SEARCH REPLACE
// prints "seconds=S longest_block_ms=B replacements=N".
#include "app/application.h"
#include "app/program.h"
#include "mainwindow/mainfrm.h"
#include "platform/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidgetItem>

#include <cstdio>

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
    main.BackUpChk->setChecked(false);
    main.AddFile(argv[1], 0);
    main.MaskCbx->setEditText(QString::fromUtf8(argv[2]));
    main.ReplaceCbx->setEditText(QString::fromUtf8(argv[3]));

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    clock.start();
    ticker.start();
    main.GoBtnClick();
    while (!main.Idle())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    ticker.stop();
    std::printf("seconds=%.3f longest_block_ms=%lld replacements=%s\n", seconds, static_cast<long long>(longest),
        main.Entry(0)->text(3).toStdString().c_str());
    return 0;
}
