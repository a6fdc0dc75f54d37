#pragma once
// The process-wide recursive lock that serialises every compilation.
#include <mutex>

// Created on first use and never destroyed.
std::recursive_mutex& CompileLock();
