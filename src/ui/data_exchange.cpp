#include "ui/data_exchange.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ui_services.h"
#include "texts/message_slots.h"
#include "texts/message_texts.h"
#include "ui/dialog_model.h"

namespace {

// A whole number with optional blanks around it and an optional sign; false
// for anything else, and for a number beyond the range of a long.
bool ParseWholeNumber(const char* text, long& value) {
    while (*text == ' ' || *text == '\t') ++text;
    const char* start = text;
    if (*text == '+' || *text == '-') ++text;
    if (*text < '0' || *text > '9') return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtol(start, &end, 10);
    if (errno == ERANGE) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0';
}

// A real number with optional blanks around it; false for anything else.
bool ParseReal(const char* text, double& value) {
    while (*text == ' ' || *text == '\t') ++text;
    if (*text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtod(text, &end);
    if (end == text || errno == ERANGE || !std::isfinite(value)) return false;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0';
}

}  // namespace

std::string FormatReal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string shown(text);
    // Trailing zeros of the decimals, and a point left alone, go.
    while (!shown.empty() && shown.back() == '0') shown.pop_back();
    if (!shown.empty() && shown.back() == '.') shown.pop_back();
    if (shown == "-0") shown = "0";
    return shown;
}

bool DataExchange::Active(int id) const { return !failed_ && dialog_.HasControl(id); }

void DataExchange::Fail(int id, const TextString& message) {
    failed_ = true;
    failedControl_ = id;
    dialog_.Services().ShowMessage("", message.c_str());
    dialog_.SetFocus(id);
}

void DataExchange::Text(int id, TextString& member, int maxLength) {
    if (!Active(id)) return;
    if (!saving_) {
        dialog_.SetControlText(id, member.c_str());
        return;
    }
    const char* text = dialog_.ControlText(id);
    if (maxLength > 0 && static_cast<int>(std::strlen(text)) > maxLength) {
        TextString message(GetMessageText(kMsgTooManyCharacters));
        std::string limit = std::to_string(maxLength);
        FillMessagePlaceholders(message, {{"nnn", limit.c_str()}});
        Fail(id, message);
        return;
    }
    member = text;
}

void DataExchange::Number(int id, int& member, int minValue, int maxValue) {
    if (!Active(id)) return;
    if (!saving_) {
        dialog_.SetControlText(id, std::to_string(member).c_str());
        return;
    }
    long value = 0;
    if (!ParseWholeNumber(dialog_.ControlText(id), value)) {
        Fail(id, GetMessageText(kMsgEnterWholeNumber));
        return;
    }
    if (value < minValue || value > maxValue) {
        TextString message(GetMessageText(kMsgEnterNumberInRange));
        std::string low = std::to_string(minValue);
        std::string high = std::to_string(maxValue);
        FillMessagePlaceholders(message, {{"nnn", low.c_str()}, {"xxxxxx", high.c_str()}});
        Fail(id, message);
        return;
    }
    member = static_cast<int>(value);
}

void DataExchange::Real(int id, double& member, double minValue, double maxValue) {
    if (!Active(id)) return;
    if (!saving_) {
        dialog_.SetControlText(id, FormatReal(member).c_str());
        return;
    }
    double value = 0.0;
    if (!ParseReal(dialog_.ControlText(id), value) || value < minValue || value > maxValue) {
        TextString message(GetMessageText(kMsgEnterNumberInRange));
        const std::string low = FormatReal(minValue);
        const std::string high = FormatReal(maxValue);
        FillMessagePlaceholders(message, {{"nnn", low.c_str()}, {"xxxxxx", high.c_str()}});
        Fail(id, message);
        return;
    }
    member = value;
}

void DataExchange::Check(int id, int& member) {
    if (!Active(id)) return;
    if (saving_)
        member = dialog_.IsChecked(id) ? 1 : 0;
    else
        dialog_.SetChecked(id, member != 0);
}

void DataExchange::Check(int id, bool& member) {
    if (!Active(id)) return;
    if (saving_)
        member = dialog_.IsChecked(id);
    else
        dialog_.SetChecked(id, member);
}

void DataExchange::Radio(std::span<const int> ids, int& index) {
    if (failed_ || ids.empty()) return;
    if (saving_) {
        index = -1;
        for (size_t i = 0; i < ids.size(); ++i)
            if (dialog_.IsChecked(ids[i])) {
                index = static_cast<int>(i);
                break;
            }
        return;
    }
    for (size_t i = 0; i < ids.size(); ++i) dialog_.SetChecked(ids[i], static_cast<int>(i) == index);
}

void DataExchange::Selection(int id, int& index) {
    if (!Active(id)) return;
    if (saving_)
        index = dialog_.Selection(id);
    else
        dialog_.SetSelection(id, index);
}

void DataExchange::Slider(int id, int& member) {
    if (!Active(id)) return;
    const DialogControl* control = dialog_.Control(id);
    if (saving_) {
        int value = control->value;
        if (value < control->rangeMin) value = control->rangeMin;
        if (value > control->rangeMax) value = control->rangeMax;
        member = value;
    } else {
        dialog_.SetValue(id, member);
    }
}
