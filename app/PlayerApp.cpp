#include "app/PlayerApp.h"

bool CPlayerApp::OnInit() { return false; }
