// The ids of the standard controls every dialog may have.
#pragma once

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdHelp = 9;
inline constexpr int kIdApply = 12321;
inline constexpr int kIdHelpCommand = 57670;
// The tab control of a property sheet.
inline constexpr int kIdTabControl = 12320;
