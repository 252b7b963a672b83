#include "app/program.h"

#include "app/placement.h"

#include "dialogs/aboutfrm.h"
#include "dialogs/filemaskfrm.h"
#include "dialogs/helpfrm.h"
#include "dialogs/viewfrm.h"
#include "library/editdialogs.h"
#include "library/libfrm.h"
#include "library/libgrid.h"
#include "mainwindow/mainfrm.h"
#include "platform/dragformats.h"
#include "scenario/batchfrm.h"
#include "settings/setupfrm.h"

#include <QGuiApplication>
#include <QScreen>

namespace tekstovar {

TProgram::TProgram(TDialogs& dialogs, const std::string& programDir)
{
    Main = std::make_unique<TMainFrm>(dialogs, programDir);
    FileMask = std::make_unique<TFileMaskFrm>(dialogs, programDir + "QZ.Ini", Main.get());
    About = std::make_unique<TAboutFrm>(dialogs, Main.get());
    View = std::make_unique<TViewFrm>(dialogs, Main.get());
    // The mask boxes need the mask editor; the windows after them use the
    // boxes, the main window's runs and its settings through small
    // interfaces, and the main window knows them only as tool windows.
    Main->UseMaskEditor(*View);
    Batch = std::make_unique<TBatchFrm>(*Main, Main->MaskPair(), Main->Settings(), dialogs, programDir, Main.get());
    Setup = std::make_unique<TSetupFrm>(*Main, dialogs, FileMask.get(), Main.get());
    Lib = std::make_unique<TLibFrm>(Main->MaskPair(), dialogs, programDir, Main.get());
    PairEdit = std::make_unique<TPairEditFrm>(dialogs, Main.get());
    LexemEdit = std::make_unique<TLexemEditFrm>(dialogs, Main.get());
    Help = std::make_unique<THelpFrm>(Main.get());
    Batch->SetHelp(Help.get());
    Setup->SetHelp(Help.get());
    Lib->SetEditDialogs(PairEdit.get(), LexemEdit.get());
    Lib->SetHelp(Help.get());
    // Pairs dragged between the scenario and the library are asked of the
    // window they come from.
    Lib->ScenarioPair = [batch = Batch.get()] { return batch->DraggedPair(); };
    Batch->LibraryPair = [lib = Lib.get()] { return TDraggedPair{lib->SelectedMask(), lib->SelectedReplace()}; };
    Batch->IsLibraryGrid = [lib = Lib.get()](const QObject* source) { return source && source == lib->LibGrid; };

    // The scenario and library windows take over what the main window read.
    const TSettings& s = Main->Settings();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    Batch->SetFrameBounds(PlaceOnScreens(QRect(s.BatchLeft, s.BatchTop, s.BatchWidth, s.BatchHeight), screens));
    Lib->SetFrameBounds(PlaceOnScreens(QRect(s.LibLeft, s.LibTop, s.LibWidth, s.LibHeight), screens));
    Main->SetPeers({.FileMaskFrm = FileMask.get(),
        .AboutFrm = About.get(),
        .HelpFrm = Help.get(),
        .BatchFrm = Batch.get(),
        .LibFrm = Lib.get(),
        .OpenSetup = [setup = Setup.get()] { setup->Open(); }});
    if (s.ShowBatch)
        Batch->show();
    if (s.ShowLib)
        Lib->show();
}

TProgram::~TProgram()
{
    // The other windows go before the main window they belong to.
    Help.reset();
    LexemEdit.reset();
    PairEdit.reset();
    Lib.reset();
    Setup.reset();
    Batch.reset();
    View.reset();
    About.reset();
    FileMask.reset();
    Main.reset();
}

} // namespace tekstovar
