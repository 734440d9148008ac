#include "app/PlayerApp.h"

wxIMPLEMENT_APP(CPlayerApp);
