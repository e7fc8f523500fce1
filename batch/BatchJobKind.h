#pragma once

#include <cstdint>

// The job a progress dialog drives.
enum BatchJobKind : int { AddFiles = 0, AddFolder = 1, Convert = 2 };

// Codes of the add job's messages (WM_ADD_PROGRESS).
enum AddProgressCode : std::uint32_t {
    AddCodeStart = 0, // the dialog to itself: start the job
    AddCodeTotal = 1, // value: the pictures the folder scan found
    AddCodeStep = 2,  // value 2 x i + 1 before path i, 2 x i + 2 after it
    AddCodeEnd = 5,   // the job has ended, normally or stopped; always the last
};
