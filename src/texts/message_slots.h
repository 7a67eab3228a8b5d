// The slots of the message-text table (GetMessageText) that the program
// shows, named by their English text.
#pragma once

enum MessageSlot : int {
    kMsgNoFileSelected = 1,  // "No file selected"
    kMsgNoAnalysisNecessary = 2,  // "No analysis necessary"
    kMsgDirectoryError = 3,  // "Directory Error"
    kMsgFileSelectionError = 4,  // "File selection error"
    kMsgBrowserNotDetected = 5,  // "Failed to auto-detect default browser"
    kMsgPolicyFileError = 6,  // "Policy File Error"
    kMsgBrowserLaunchError = 8,  // "Error launching browser"
    kMsgConvertError = 9,  // "Convert Error"
    kMsgResetToDefaults = 14,  // "Reset to defaults"
    kMsgEnterWholeNumber = 15,  // "Enter a whole number."
    kMsgEnterNumberInRange = 16,  // "Enter a number from nnn to xxxxxx."
    kMsgTooManyCharacters = 17,  // "Enter no more than nnn characters."
    kMsgUnableToWriteFile = 18,  // "Unable to write the file \"ffffff\""
    kMsgDdeProblems = 24,  // "Problems using DDE detected"
    kMsgDdeDisabled = 25,  // "Problems detected using DDE last time. ... Disabling DDE. ..."
    kMsgChooseAFileFirst = 26,  // "Must choose a file first"
    kMsgNoAnalysisNeeded = 27,  // "No analysis needed until policies or files are changed"
    kMsgInvalidInputDirectory = 28,  // "Invalid Input Directory"
    kMsgInvalidOutputDirectory = 29,  // "Invalid Output Directory. Must be writable"
    kMsgNoFilesFound = 30,  // "No files found \"xxxxxx\""
    kMsgLocateBrowser = 31,  // "Please use the Settings Menu to locate your browser manually"
    kMsgPolicyFileNotFound = 32,  // "Can't find policy file \"xxxxxx\""
    kMsgNoURL = 45,  // "No URL supplied.  Cannot launch browser"
    kMsgNoFilename = 46,  // "No Filename supplied.  Cannot launch viewer"
    kMsgCommandFailed = 47,  // "Command \"ccc url\" failed. Error code=nnn"
    kMsgConversionFailed = 48,  // "Conversion failed"
    kMsgFileNotFound = 49,  // "Unable to locate file \"ffffff\""
    kMsgDone = 53,  // "Done"
    kMsgLogFileFailed = 69,  // "*** Failed to open log file : ffffff ***"
    kMsgOpeningInstead = 70,  // "    Opening ffffff instead"
    kMsgConversionComplete = 71,  // the "Conversion complete" line of percent signs
    kMsgLogFilesFilter = 91,  // "Log files (*.log)|*.log|All files (*.*)|*.*|"
};
