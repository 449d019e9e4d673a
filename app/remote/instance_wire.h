#pragma once

#include <optional>
#include <string>

// What one `corvane` process and the running one say to each other: a request
// and its answer, one compact JSON object on one line each.
namespace corvane {

// A request from another `corvane` process to the running one.
struct InstanceRequest {
    std::string command;    // "launch", "apply-layout", "undo", "toggle-grid", ...
    std::string argument;   // the layout name for "apply-layout"
    bool show = false;      // "launch": --show was given
    bool settings = false;  // "launch": --settings was given

    bool operator==(const InstanceRequest&) const = default;
};

// The answer: what the asking process prints and its exit status.
struct InstanceResponse {
    int exitCode = 0;
    std::string out;  // for standard output
    std::string err;  // for standard error

    bool operator==(const InstanceResponse&) const = default;
};

namespace InstanceWire {

// Each line ends in "\n".
std::string encode(const InstanceRequest& request);
std::string encode(const InstanceResponse& response);

// None for anything that is not a JSON object with a text "command" (and, if
// present, a text "argument"). The line may be any bytes a client sent.
std::optional<InstanceRequest> decodeRequest(const std::string& line);
// None for anything that is not a JSON object with a numeric "exitCode" and
// both "stdout" and "stderr".
std::optional<InstanceResponse> decodeResponse(const std::string& line);

}  // namespace InstanceWire
}  // namespace corvane
