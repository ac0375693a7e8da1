// How a show is written: on every core with held pictures encoded once, or
// one frame after another as before (kept to compare against, in the benchmark
// and the tests).
#pragma once

void SetSerialWriting(bool serial);
bool SerialWriting();

// Encoding threads of the parallel path: one per core.
int WritingThreads();
