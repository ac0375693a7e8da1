// Past the process's file-size limit (ulimit -f) the kernel sends SIGXFSZ, which
// ends the process in the middle of a file. Ignored, the write fails with EFBIG
// and takes the same path as a full disk: its reason is reported, the file completed.
#pragma once

void IgnoreFileSizeSignal();
