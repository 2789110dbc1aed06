#pragma once
// The picture of the Kingsoft phonetic font's keyboard letters and the IPA
// symbols they stand for. One window, made on first use; closing it only
// hides it, and the next showing brings back the same window where it was.

#include "app/Dialog_win32.h"
#include "res/resource.h"

namespace sonotag::app {

class ComparisonTableWindow : public Dialog {
public:
    ComparisonTableWindow() : Dialog(IDD_COMPARISON_TABLE) {}

    // Makes the window over `parent` the first time, then shows it.
    void show(HWND parent);

protected:
    bool onInitDialog() override;
};

}  // namespace sonotag::app
