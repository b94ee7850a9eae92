#pragma once
#include <string>

// What the stand-ins of app_stand_in.cpp saw.
struct StandInCounters {
    bool active = false;  // the stand-ins (not the real code) are linked
    int messageBoxes = 0;
    std::string lastCaption;
};
StandInCounters& StandIn();
