#include "app/remote/instance_wire.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace corvane::InstanceWire {

namespace {

QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

std::string line(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

std::optional<QJsonObject> parseObject(const std::string& line) {
    QJsonParseError problem{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(line), &problem);
    if (problem.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    return document.object();
}

}  // namespace

std::string encode(const InstanceRequest& request) {
    QJsonObject object{{"command", toQString(request.command)}};
    if (!request.argument.empty()) object.insert("argument", toQString(request.argument));
    if (request.show) object.insert("show", true);
    if (request.settings) object.insert("settings", true);
    return line(object);
}

std::string encode(const InstanceResponse& response) {
    return line(QJsonObject{{"exitCode", response.exitCode},
                            {"stdout", toQString(response.out)},
                            {"stderr", toQString(response.err)}});
}

std::optional<InstanceRequest> decodeRequest(const std::string& line) {
    const std::optional<QJsonObject> object = parseObject(line);
    if (!object || !(*object)["command"].isString()) return std::nullopt;
    const QJsonValue argument = (*object)["argument"];
    if (!argument.isUndefined() && !argument.isString()) return std::nullopt;
    InstanceRequest request;
    request.command = (*object)["command"].toString().toStdString();
    request.argument = argument.toString().toStdString();
    request.show = (*object)["show"].toBool(false);
    request.settings = (*object)["settings"].toBool(false);
    return request;
}

std::optional<InstanceResponse> decodeResponse(const std::string& line) {
    const std::optional<QJsonObject> object = parseObject(line);
    if (!object) return std::nullopt;
    const QJsonValue code = (*object)["exitCode"];
    if (!code.isDouble() || (*object)["stdout"].isUndefined() ||
        (*object)["stderr"].isUndefined()) {
        return std::nullopt;
    }
    return InstanceResponse{code.toInt(1), (*object)["stdout"].toString().toStdString(),
                            (*object)["stderr"].toString().toStdString()};
}

}  // namespace corvane::InstanceWire
