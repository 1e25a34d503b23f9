#include "engine/CleaningRun.h"

#include <windows.h>

#include "engine/ProgressLines.h"
#include "engine/ProtectedSet.h"
#include "engine/TouchPolicy.h"

namespace corvale {

void StartCleaningRun(ICleaningRunOwner& owner)
{
    StartCleaningRun(owner, TaskCatalogue());
}

void StartCleaningRun(ICleaningRunOwner& owner, const TaskSlots& slots)
{
    // Decided once: a change made while the run pumps counts from the next run.
    const bool reporting = owner.Options().ShowProgress == 1;
    if (reporting) {
        owner.EnableOwner(false);
        owner.ReplaceProgressWindow(owner.Options().CleaningAutoClose, owner.Options().ShowProgress);
        owner.AddProgressLine(kCleaningStartedLine);
        owner.AddProgressLine(kSeparatorLine);
    }

    owner.CommitPage();

    // The protected folders are resolved once for all the run's sweeps, when the first
    // needs them; a run started while this one pumps resolves its own.
    CProtectedSet protectedFolders;
    const CTouchPolicy policy(protectedFolders);
    for (const TaskSlot& slot : slots) {
        owner.PumpPendingMessages();
        const int flag = owner.Options().OptionFlags[slot.option];
        if (flag != 1 && !slot.runsAlways)
            continue;
        slot.work(flag, policy);
        if (reporting && flag == 1)
            owner.AddProgressLine(slot.line);
    }

    if (reporting) {
        owner.AddProgressLine(kSeparatorLine);
        owner.AddProgressLine(kCleaningDoneLine);
        if (owner.Options().CleaningAutoClose == 1) {
            owner.PumpPendingMessages();
            owner.PostProgressClose();
        }
        owner.EnableOwner(true);
    }
}

bool ConfirmCleanNow(const CleaningOptions& options)
{
    if (HasCleaningOptionSelected(options))
        return true;
    (void)::MessageBoxA(nullptr, kNothingSelectedText, kNothingSelectedCaption, MB_ICONINFORMATION);
    return false;
}

} // namespace corvale
