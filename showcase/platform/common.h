// common: the zoom limits. VITRINE_SYS_ZOOM and VITRINE_ZOOM_LIMIT stand for
// the machine's settings, defaulting to 1.0 and 2.0.
#pragma once

double GetSysDefZoomX();
double GetZoomMaxLimit();
