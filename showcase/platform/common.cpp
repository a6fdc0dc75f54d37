#include "showcase/platform/common.h"

#include "showcase/platform/standin_env.h"

double GetSysDefZoomX() { return StandInEnvFactor("VITRINE_SYS_ZOOM", 1.0); }
double GetZoomMaxLimit() { return StandInEnvFactor("VITRINE_ZOOM_LIMIT", 2.0); }
