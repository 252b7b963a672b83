#pragma once

#include <memory>
#include <string>

namespace tekstovar {

class TDialogs;
class TMainFrm;
class TFileMaskFrm;
class TAboutFrm;
class TViewFrm;
class TBatchFrm;
class TSetupFrm;
class TLibFrm;
class TPairEditFrm;
class TLexemEditFrm;
class THelpFrm;

// The program's windows, each a single instance living until the program
// ends, created in this order: the main window reads the settings that the
// later windows take over.
class TProgram {
public:
    TProgram(TDialogs& dialogs, const std::string& programDir);
    ~TProgram();

    TMainFrm& MainFrm() { return *Main; }
    TFileMaskFrm& FileMaskFrm() { return *FileMask; }
    TAboutFrm& AboutFrm() { return *About; }
    TViewFrm& ViewFrm() { return *View; }
    TBatchFrm& BatchFrm() { return *Batch; }
    TSetupFrm& SetupFrm() { return *Setup; }
    TLibFrm& LibFrm() { return *Lib; }
    TPairEditFrm& PairEditFrm() { return *PairEdit; }
    TLexemEditFrm& LexemEditFrm() { return *LexemEdit; }
    THelpFrm& HelpFrm() { return *Help; }

private:
    std::unique_ptr<TMainFrm> Main;
    std::unique_ptr<TFileMaskFrm> FileMask;
    std::unique_ptr<TAboutFrm> About;
    std::unique_ptr<TViewFrm> View;
    std::unique_ptr<TBatchFrm> Batch;
    std::unique_ptr<TSetupFrm> Setup;
    std::unique_ptr<TLibFrm> Lib;
    std::unique_ptr<TPairEditFrm> PairEdit;
    std::unique_ptr<TLexemEditFrm> LexemEdit;
    std::unique_ptr<THelpFrm> Help;
};

} // namespace tekstovar
