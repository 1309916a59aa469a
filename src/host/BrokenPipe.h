#pragma once

namespace qv4130 {

// A reader that goes (`2>&1 | head -1` done, a terminal closed, a client gone)
// must cost a program the output it was writing there, never its life and its
// other clients with it. With SIGPIPE ignored, such a write fails with EPIPE
// and each writer handles that as any other failed write. First thing in main.
void IgnoreBrokenPipe();

} // namespace qv4130
