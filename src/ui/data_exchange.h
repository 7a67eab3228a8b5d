// Data exchange between a dialog's members and its controls.
//
// A dialog's ExchangeData names each member beside its control once; the same
// list then serves both directions: putting the members into the controls
// (refreshing the window) and taking the control values back with checks
// (the user pressed OK or Apply).  The first value that fails its check stops
// the exchange: the user is told why through the services, the focus goes to
// the control, and the members taken so far stay taken (as the user would
// expect of a form: what was right is not thrown away).
#pragma once

#include <span>
#include <string>

#include "foundation/text_string.h"

class DialogModel;

// A real number as a field shows it: at most three decimals, trailing zeros
// dropped ("2.54", "3.175", "1").
std::string FormatReal(double value);

class DataExchange {
public:
    DataExchange(DialogModel& dialog, bool saveAndValidate) : dialog_(dialog), saving_(saveAndValidate) {}

    bool Saving() const { return saving_; }
    bool Failed() const { return failed_; }
    int FailedControl() const { return failedControl_; }

    // The text of an edit or combo box; with `maxLength` above 0 a longer
    // text fails.
    void Text(int id, TextString& member, int maxLength = 0);
    // A whole number in an edit: leading and trailing blanks are allowed, a
    // sign, then digits; outside minValue..maxValue fails.
    void Number(int id, int& member, int minValue, int maxValue);
    // A real number in an edit (blanks around it allowed); outside
    // minValue..maxValue fails.  Shown with at most three decimals.
    void Real(int id, double& member, double minValue, double maxValue);
    // A check box as 0/1 or as a flag.
    void Check(int id, int& member);
    void Check(int id, bool& member);
    // A group of radio buttons: the index of the checked one in `ids`,
    // -1 when none is.
    void Radio(std::span<const int> ids, int& index);
    // The selected entry of a list or combo box (-1 none).
    void Selection(int id, int& index);
    // A slider's position, kept within its range.
    void Slider(int id, int& member);

private:
    // True when the exchange still goes on and the dialog has the control.
    bool Active(int id) const;
    void Fail(int id, const TextString& message);

    DialogModel& dialog_;
    bool saving_;
    bool failed_ = false;
    int failedControl_ = -1;
};
