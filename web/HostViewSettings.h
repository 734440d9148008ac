#pragma once

#include "web/ViewConstructProperty.h"

// The settings every web view of the program is made with, for as long as this scope lives.
// How a view is drawn must be settled when it is made: switching a running page out of GL
// compositing can leave it answering no script at all.
class CHostViewSettings {
public:
    CHostViewSettings();

private:
    CViewConstructProperty m_settings;
};
