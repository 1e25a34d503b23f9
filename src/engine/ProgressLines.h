#pragma once
// The run's own progress lines; each slot's line is in the task catalogue.

namespace corvale {

constexpr char kCleaningStartedLine[] = "Cleaning Started...";
constexpr char kCleaningDoneLine[] = "Cleaning Done!";
// 97 hyphen-minus characters.
constexpr char kSeparatorLine[] =
    "-------------------------------------------------------------------------------------------------";

} // namespace corvale
