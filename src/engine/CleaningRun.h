#pragma once
// The cleaning run: one synchronous pass over the 16 task slots. The run has no window
// code of its own; it reaches the main window, the option page and the progress window
// through its owner. What its slots may touch is decided by one touch policy the run
// hands to every slot (src/engine/TouchPolicy.h: folder values, links, names, attributes,
// held handles, drives, registry links, cache files); docs/threat-model.md lists every
// input the engine takes and the test that shows its answer.

#include "engine/TaskCatalogue.h"
#include "settings/CleaningOptions.h"

namespace corvale {

// What a run needs of the window that starts it.
class ICleaningRunOwner {
public:
    // The live record: ShowProgress is read at the start, each flag when its slot comes,
    // CleaningAutoClose at the end; all of them may change while the run pumps.
    virtual const CleaningOptions& Options() const = 0;
    // Disables the owner while a reporting run is in progress; afterwards the owner is as
    // the run found it (a modal dialog or an outer run may still hold it disabled).
    virtual void EnableOwner(bool enable) = 0;
    // Stores the check boxes of the page on show into the record (and builds it again).
    virtual void CommitPage() = 0;
    // Destroys the progress window of an earlier run, if any, and shows a new, empty
    // one whose two check boxes start with the given flags.
    virtual void ReplaceProgressWindow(int autoCloseFlag, int showProgressFlag) = 0;
    // Appends a line to the progress window the owner holds now.
    virtual void AddProgressLine(const char* line) = 0;
    // Posts WM_CLOSE to the progress window the owner holds now.
    virtual void PostProgressClose() = 0;
    // Dispatches every message waiting in the thread's queue; a trigger handled there
    // may start a nested run.
    virtual void PumpPendingMessages() = 0;

protected:
    ~ICleaningRunOwner() = default;
};

// Runs the task catalogue to completion before it returns.
void StartCleaningRun(ICleaningRunOwner& owner);
// The same run over the given slots.
void StartCleaningRun(ICleaningRunOwner& owner, const TaskSlots& slots);

// The Clean Now command's entry check, made after the page on show was read: true when
// an Internet or System option is set. Otherwise tells the user "No option selected.
// Nothing cleaned!" in a message box without owner and returns false. Scheduled runs
// do not ask.
bool ConfirmCleanNow(const CleaningOptions& options);

constexpr char kNothingSelectedText[] = "No option selected. Nothing cleaned!";
constexpr char kNothingSelectedCaption[] = "Corvale";

} // namespace corvale
