#pragma once
// What stops a channel: a read outside the image, or a flag the driver does not define.
// Thrown by the interpreter's byte readers and caught where the channel is run, so no
// half-read state is acted on; it never leaves the interpreter.

#include <string>

namespace kavelo {

struct stream_fault {
    std::string reason;
};

} // namespace kavelo
