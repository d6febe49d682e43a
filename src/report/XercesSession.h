#pragma once
// Keeps the XML library initialised for as long as the program runs.

namespace report {

// Initialises Xerces-C once per process; later calls do nothing. The library is never
// terminated: documents may outlive any single report and termination would free them.
void ensureXercesInitialised();

} // namespace report
