// InternetTransfer: fetches a data piece or a download through the internet
// transfer library the installation file carries ("t1"), loading the library
// the first time it is needed.
#pragma once

#include "run.h"

namespace merl {

inline constexpr int kTransferDone = 0;
inline constexpr int kTransferFailed = 2;
// The main window's timer while "t1" runs, and its period.
inline constexpr win::UINT_PTR kTransferTimerId = 1234;
inline constexpr win::UINT kTransferTimerMs = 250;
// The error number shown when the library is not loaded.
inline constexpr int kTransferNoLibrary = 11;

// Transfers source to destination with the library's own arguments a to d. 0 on success, 2 on
// failure, which shows script message 15 with the error number and the library's detail text
// (not when a is -1 or -3).
int InternetTransfer(const char* source, const char* destination, int a, int b, int c, int d);

}  // namespace merl
