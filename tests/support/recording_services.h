// UI services for tests: every message box is kept (caption and text) and
// answered OK; the file and folder choosers choose nothing.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/ui_services.h"

class RecordingServices : public ConsoleUiServices {
public:
    std::vector<std::pair<std::string, std::string>> boxes;  // caption, text

    MessageAnswer ShowMessage(const char* caption, const char* text, MessageButtons, MessageIcon, int) override {
        boxes.emplace_back(caption ? caption : "", text ? text : "");
        return MessageAnswer::kOk;
    }
    bool ChooseFile(bool, const char*, const char*, TextString&) override { return false; }
    bool ChooseFolder(const char*, TextString&) override { return false; }
};
