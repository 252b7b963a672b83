#pragma once

#include <string>
#include <vector>

namespace tekstovar {

class TMaskedReplacer;

// What a scenario's steps work on: the main window's file list or its
// clipboard text, whichever page is shown when the scenario starts.
enum class TStepTarget { None, Files, Clipboard };

// The scenario as the main window's runs see it.
class TStepFollower {
public:
    // The step being run, -1 outside a scenario.
    virtual int StepIndex() const = 0;
    // Called at the very end of every run's end handler; `failed`: the run
    // ended with an error message, not with its work done or stopped.
    virtual void RunEnded(bool failed) = 0;

protected:
    ~TStepFollower() = default;
};

// What a scenario step needs of the main window's run.
class TStepRunner {
public:
    virtual bool Idle() const = 0;
    virtual TStepTarget ShownTarget() const = 0;
    virtual void FollowSteps(TStepFollower* follower) = 0;
    // The main window's own controls are disabled while a scenario runs;
    // the tool windows it parents stay usable.
    virtual void LockForSteps(bool lock) = 0;
    // The counts and step columns of an earlier run go.
    virtual void ClearStepCounts() = 0;
    // Shows the pair in the mask boxes and starts a run with it; false,
    // the error shown, when a mask is malformed.
    virtual bool StartStep(const std::string& search, const std::string& replace) = 0;
    // The steps started from now on write nothing: a preview of them all,
    // each step on what the one before would have left.
    virtual void PreviewSteps(bool preview) = 0;
    // Stops the run under way (its end handler runs as for any stop).
    virtual void StopStep() = 0;
    virtual TMaskedReplacer* StepReplacer() const = 0;
    // What the step's file run read from the list when it started: full
    // paths (UTF-8) and code page names, in list order.
    virtual const std::vector<std::string>& StepPaths() const = 0;
    virtual const std::vector<std::string>& StepEncodings() const = 0;
    // The file list's counts of the step just ended are kept as `step`'s.
    virtual void KeepStepCounts(int step) = 0;
    // The counts kept for `step` are shown as the entries' counts.
    virtual void ShowStepCounts(int step) = 0;
    // Only the first `steps` step columns stay.
    virtual void DropStepColumnsFrom(int steps) = 0;
    virtual std::string ClipboardCount() const = 0;
    virtual void ShowClipboardCount(const std::string& count) = 0;

protected:
    ~TStepRunner() = default;
};

} // namespace tekstovar
