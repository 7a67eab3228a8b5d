// Code locations: the stage of a conversion that is running, kept in the
// Context's trackers (TrackerSet::codeLocation).  Each of the three stages
// has a tracker of its own; between them (no location) the output tracker
// stands in.
#pragma once

constexpr int kNoCodeLocation = 0;
constexpr int kReadingInput = 1;
constexpr int kAnalysingLines = 2;
constexpr int kWritingOutput = 3;

// Whether `location` is one of the three stages that have a tracker.
constexpr bool IsTrackedCodeLocation(int location) {
    return location >= kReadingInput && location <= kWritingOutput;
}
