// The message boxes that the scripted services showed, each as one line the
// way the console writes it ("caption: text", the product name for an empty
// caption), for tests that compare whole messages.
#pragma once

#include <string>
#include <vector>

#include "app/ui_services.h"
#include "ui/scripted_services.h"

inline std::vector<std::string> MessageLines(const ScriptedUiServices& services) {
    std::vector<std::string> lines;
    for (const ServiceCall& call : services.Messages())
        lines.push_back(ConsoleUiServices::FormatMessageLine(call.caption.c_str(), call.text.c_str()).str());
    return lines;
}
