#pragma once
// Symbols of Abacor are hidden unless marked with ABACOR_API.
#if defined(ABACOR_BUILDING)
#define ABACOR_API __attribute__((visibility("default")))
#else
#define ABACOR_API
#endif
