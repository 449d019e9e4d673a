#include "app/updates/update_network_loader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace corvane {

namespace {

// The installed module, relative to the program's folder; the build's own for
// a program run from the build folder (both set by the build).
QString defaultModulePath() {
    // Plain bytes rather than QStringLiteral's UTF-16, so the installation
    // tests can find the path in the program.
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() +
                        QString::fromUtf8("/" CORVANE_UPDATE_NETWORK_RELATIVE));
    if (QFileInfo::exists(installed)) return installed;
    const QString built = QString::fromUtf8(CORVANE_UPDATE_NETWORK_BUILT);
    return QFileInfo::exists(built) ? built : installed;
}

UpdateNetworkLoad failure(const QString& reason) {
    return {nullptr, QString::fromUtf8(network_module_errors::cannotLoad) + reason};
}

}  // namespace

UpdateNetworkLoad loadUpdateNetwork(const QString& modulePath, const FetchLimits& feed,
                                    const FetchLimits& release) {
    const QString path = modulePath.isEmpty() ? defaultModulePath() : modulePath;
    if (!QFileInfo::exists(path)) return failure(path + QStringLiteral(" is missing."));
    QLibrary library(path);
    if (!library.load()) return failure(library.errorString());
    const auto create =
        reinterpret_cast<UpdateNetworkFactory>(library.resolve(updateNetworkFactoryName));
    if (!create)
        return failure(path + QStringLiteral(" is not the module of this version of Corvane."));
    std::unique_ptr<UpdateNetwork> network(create(feed, release));
    if (!network) return failure(path + QStringLiteral(" could not start."));
    return {std::move(network), {}};
}

}  // namespace corvane
