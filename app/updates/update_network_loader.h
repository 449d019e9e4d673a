#pragma once

#include <QString>
#include <memory>

#include "app/updates/update_network.h"

namespace corvane {

// The network module, or why it could not be had (a text for the user).
struct UpdateNetworkLoad {
    std::unique_ptr<UpdateNetwork> network;
    QString error;
};

// Loads the module at `modulePath` (when empty: where the installation puts it
// beside the program, else where this build made it) and creates its network.
// Once loaded the module stays for the rest of the run: Qt Network is not made
// to be unloaded.
UpdateNetworkLoad loadUpdateNetwork(const QString& modulePath, const FetchLimits& feed,
                                    const FetchLimits& release);

namespace network_module_errors {
inline const char* const cannotLoad = "Corvane could not load its network module: ";
}  // namespace network_module_errors

}  // namespace corvane
