#pragma once
// Umbrella header: everything a host needs from Abacor.
#include "abacor/export.h"
