#pragma once
// Result codes of report operations.

namespace orv {

enum TSestError : int {
    seOk = 0,
    seNoPrinter = 2,         // no printer installed
    seCancelled = 3,         // cancelled by the user
    seTemplateNotLoaded = 4,
    seTemplateNotSaved = 5,
    seOutputNotWritten = 6,  // output file or stream not written
    seBusy = 7,              // another print or preview is running
    seNotReady = 8,          // data not ready, designer not created, export gave no page
    seRunProblems = 9        // the run met fields the data lacks or expressions that failed
};

} // namespace orv
