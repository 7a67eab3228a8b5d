// Message levels: how readily a message is shown.  A message is shown when
// its level is at least 10 minus the "Error reporting level" policy (0 to
// 10): a message of kLevelAlways at every reporting level, the lower levels
// only as the reporting level rises.  The display switch and the filters of
// the message classes may still hold a message back.
#pragma once

inline constexpr int kLevelAlways = 10;  // errors, program errors and what every run reports
inline constexpr int kLevelMinorError = 9;  // an error the writer mends (an indent level out of range)
inline constexpr int kLevelTagNote = 8;  // the markup of a tag dropped or changed
inline constexpr int kLevelWarning = 7;  // warnings, and notes of what was left unchanged
inline constexpr int kLevelAnalysisNote = 5;  // what the analysis made of a text (duplicate headings, domains)
inline constexpr int kLevelBlockNote = 4;  // what kind a block was found to be, rows left out
inline constexpr int kLevelWordNote = 3;  // what a word was taken for (a host as an ftp link), or not
inline constexpr int kLevelTrace = 1;  // small notes of tags, headings and emphasis
