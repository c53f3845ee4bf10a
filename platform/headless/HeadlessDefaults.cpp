// The native default UI: headless, without templates, so that a program that installs no UI of
// its own can open no dialog and answers every message box with its negative choice.
#include "platform/Platform.h"
#include "platform/headless/HeadlessUi.h"

IUi& DefaultUi() {
    static HeadlessUi ui;
    return ui;
}
