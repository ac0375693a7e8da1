// A process started with standard input, output or error closed (by a service,
// or "2>&-") would hand those numbers to the next files it opens, and text meant
// for the console would land in them.
#pragma once

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is not open. Call it
// first in main, before anything opens a file. False when one could not be opened.
bool OpenStandardHandles();
