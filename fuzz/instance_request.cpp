// Any bytes as the line another process sends the running Corvane, and as the
// answer a client reads back: refused, or read into a request (an answer) that
// is written and read again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/remote/instance_wire.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    if (const auto request = InstanceWire::decodeRequest(line)) {
        if (InstanceWire::decodeRequest(InstanceWire::encode(*request)) != request) std::abort();
    }
    if (const auto response = InstanceWire::decodeResponse(line)) {
        if (InstanceWire::decodeResponse(InstanceWire::encode(*response)) != response) std::abort();
    }
    return 0;
}
