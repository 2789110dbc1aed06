#pragma once
// The About box: the icon, the program's name and version, and "确定".

#include "app/Dialog_win32.h"
#include "res/resource.h"

namespace sonotag::app {

class AboutBox : public Dialog {
public:
    AboutBox() : Dialog(IDD_ABOUT) {}
};

}  // namespace sonotag::app
